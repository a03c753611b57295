"""The optimizer's callbacks during real solves: simplex log points, barrier
iterations, the MIP search's log, incumbents, candidates and gap targets;
priority order, stops by result, removal while a delivery runs, and what the
callback's problem answers while the solve runs."""
import ctypes
import random
from ctypes import POINTER, byref, c_double, c_int, c_int64, c_void_p

import pytest

from conftest import ERR_NOT_AVAILABLE
from engine_model import INF, Model, declare

LOG_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)
VOID_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p)
BARITER_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, POINTER(c_int))
GAP_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, POINTER(c_double), POINTER(c_double),
                          POINTER(c_double), POINTER(c_double))
PREINTSOL_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, c_int, POINTER(c_int),
                                POINTER(c_double))

LPLOGFREQ, MIPRELGAPNOTIFY, MIPABSGAPNOTIFYOBJ = 8013, 7008, 7010
LPSTATUS, MIPSTATUS, SIMPLEXITERS, BARITERS, MIPSOLS, STOPSTATUS = 1010, 1011, 1040, 1041, 1043, 1050
LPOBJVAL, MIPOBJVAL, BESTBOUND, MIPGAP = 2001, 2003, 2004, 2005
LP_OPTIMAL, LP_UNFINISHED, STOP_USER = 1, 4, 9
BARITERATION_STOP, BARITERATION_CROSSOVER = 1, 2


@pytest.fixture
def m(env, prob):
    declare(env)
    for kind, cbtype in [("lplog", LOG_CB), ("barlog", LOG_CB), ("globallog", LOG_CB),
                         ("intsol", VOID_CB), ("bariteration", BARITER_CB),
                         ("gapnotify", GAP_CB), ("preintsol", PREINTSOL_CB)]:
        getattr(env, "QRVAaddcb" + kind).argtypes = [c_void_p, cbtype, c_void_p, c_int]
        getattr(env, "QRVAremovecb" + kind).argtypes = [c_void_p, c_void_p, c_void_p]
    model = Model(env, prob)
    model.ok("QRVAsetintcontrol", 8035, 0)
    model.keep = []  # callback objects must outlive the solve
    return model


def register(m, kind, cbtype, fn, priority=0, data=None):
    cb = cbtype(fn)
    m.keep.append(cb)
    m.ok("QRVAaddcb" + kind, cb, data, priority)
    return cb


def view(m, handle):
    """The callback's problem as a Model (the same handle as m's here)."""
    return Model(m.lib, c_void_p(handle))


def transport(m, n=30, seed=3):
    """A transport problem of n sources and n sinks: n*n columns, a few
    hundred simplex iterations."""
    rnd = random.Random(seed)
    supply = [rnd.randint(50, 100) for _ in range(n)]
    demand = [rnd.randint(20, 90) for _ in range(n)]
    m.add_rows("L" * n + "G" * n, supply + demand, [{} for _ in range(2 * n)])
    cols = [{i: 1.0, n + j: 1.0} for i in range(n) for j in range(n)]
    m.add_cols([rnd.uniform(1, 50) for _ in cols], [0] * len(cols), [INF] * len(cols), cols)


def knapsack(m, n=60, seed=7):
    """A multi-row knapsack whose search finds several incumbents."""
    rnd = random.Random(seed)
    m.add_cols([rnd.randint(10, 99) for _ in range(n)], [0] * n, [1] * n, types="B" * n)
    rows = [{j: rnd.randint(5, 60) for j in range(n)} for _ in range(5)]
    m.add_rows("L" * 5, [sum(r.values()) // 3 for r in rows], rows)
    m.ok("QRVAchgobjsense", -1)


def test_lplog_every_lplogfreq_iterations_in_priority_order(m):
    transport(m)
    m.ok("QRVAsetintcontrol", LPLOGFREQ, 25)
    calls = []

    def logger(tag):
        def fn(p, data):
            calls.append((tag, view(m, p).attr(SIMPLEXITERS)))
            return 0
        return fn
    register(m, "lplog", LOG_CB, logger("low"), priority=-1)
    register(m, "lplog", LOG_CB, logger("high-1"), priority=5)
    register(m, "lplog", LOG_CB, logger("high-2"), priority=5)
    status, _ = m.lpopt(b"p")
    assert status == LP_OPTIMAL
    total = m.attr(SIMPLEXITERS)
    rounds = [calls[k:k + 3] for k in range(0, len(calls), 3)]
    assert len(rounds) >= 4 and len(calls) % 3 == 0
    assert len(rounds) <= total // 25 + 1
    for k, r in enumerate(rounds):
        assert [tag for tag, _ in r] == ["high-1", "high-2", "low"]
        assert r[0][1] >= 25 * (k + 1)
    # Iteration counts seen by the callbacks grow with the rounds.
    assert [r[0][1] for r in rounds] == sorted(r[0][1] for r in rounds)
    # 0 switches the callbacks off.
    calls.clear()
    m.ok("QRVAsetintcontrol", LPLOGFREQ, 0)
    m.lpopt(b"p")
    assert calls == []


def test_lplog_stop_and_removal_during_delivery(m):
    transport(m)
    m.ok("QRVAsetintcontrol", LPLOGFREQ, 10)
    seen = []
    later = register(m, "lplog", LOG_CB, lambda p, d: seen.append("later") or 0, priority=0)

    def first(p, data):
        seen.append("first")
        # Removing a lower-priority callback in the middle of a delivery: the
        # delivery does not call it any more.
        m.ok("QRVAremovecblplog", ctypes.cast(later, c_void_p), None)
        return 1  # stop
    register(m, "lplog", LOG_CB, first, priority=10)
    m.ok("QRVAlpoptimize", b"p")
    assert seen == ["first"]
    assert m.attr(STOPSTATUS) == STOP_USER and m.attr(LPSTATUS) == LP_UNFINISHED
    assert 10 <= m.attr(SIMPLEXITERS) < 20
    # The problem is whole: without the callback the same solve ends optimal.
    m.ok("QRVAremovecblplog", None, None)
    status, _ = m.lpopt(b"p")
    assert status == LP_OPTIMAL and m.attr(STOPSTATUS) == 0


def test_barrier_callbacks_each_iteration_and_actions(m):
    transport(m, n=20)
    iters, logs = [], []
    register(m, "barlog", LOG_CB, lambda p, d: logs.append(view(m, p).attr(BARITERS)) or 0)
    register(m, "bariteration", BARITER_CB,
             lambda p, d, action: iters.append(view(m, p).attr(BARITERS)))
    status, _ = m.lpopt(b"b")
    assert status == LP_OPTIMAL
    assert iters == logs == list(range(iters[0], iters[0] + len(iters)))
    assert len(iters) >= 5 and iters[-1] <= m.attr(BARITERS)
    m.ok("QRVAremovecbbariteration", None, None)
    m.ok("QRVAremovecbbarlog", None, None)

    def act(value):
        def fn(p, d, action):
            if view(m, p).attr(BARITERS) >= 3:
                action[0] = value
        return fn
    register(m, "bariteration", BARITER_CB, act(BARITERATION_STOP))
    m.ok("QRVAlpoptimize", b"b")
    assert m.attr(STOPSTATUS) == STOP_USER and m.attr(LPSTATUS) == LP_UNFINISHED
    assert m.attr(BARITERS) == 3
    m.ok("QRVAremovecbbariteration", None, None)
    register(m, "bariteration", BARITER_CB, act(BARITERATION_CROSSOVER))
    m.ok("QRVAlpoptimize", b"b")
    assert m.attr(LPSTATUS) == LP_OPTIMAL and m.attr(STOPSTATUS) == 0
    rstat, cstat = (c_int * m.rows)(), (c_int * m.cols)()
    m.ok("QRVAgetbasis", rstat, cstat)  # a basic solution
    # barlog's result stops the solve too.
    m.ok("QRVAremovecbbariteration", None, None)
    logs.clear()
    register(m, "barlog", LOG_CB, lambda p, d: logs.append(view(m, p).attr(BARITERS)) or 1)
    m.ok("QRVAlpoptimize", b"b")
    assert m.attr(STOPSTATUS) == STOP_USER and logs == [iters[0]] == [m.attr(BARITERS)]


def test_intsol_and_globallog_see_the_search_as_it_stands(m):
    knapsack(m)
    incumbents, logs = [], []

    def intsol(p, data):
        v = view(m, p)
        x = v.mipsol()
        objcoef = v.get("QRVAgetobj", v.cols)
        incumbents.append((v.dattr(MIPOBJVAL), sum(a * b for a, b in zip(objcoef, x)),
                           v.attr(MIPSOLS), x))

    def globallog(p, data):
        v = view(m, p)
        logs.append((v.dattr(MIPOBJVAL), v.dattr(BESTBOUND), v.attr(MIPSOLS)))
        return 0
    register(m, "intsol", VOID_CB, intsol)
    register(m, "globallog", LOG_CB, globallog)
    status, best = m.mipopt()
    assert status == 6
    assert len(incumbents) >= 3
    for k, (reported, computed, count, x) in enumerate(incumbents):
        assert reported == pytest.approx(computed)
        assert count == k + 1
        assert all(abs(v - round(v)) < 1e-6 for v in x)
    objs = [i[0] for i in incumbents]
    assert objs == sorted(objs) and objs[-1] == pytest.approx(best)
    assert m.attr(MIPSOLS) == len(incumbents)
    assert len(logs) >= 2
    # The bound never undercuts the best objective of a maximization.
    assert all(bound >= obj - 1e-6 for obj, bound, count in logs if count > 0)


def test_globallog_stop_keeps_the_solution(m):
    knapsack(m)
    register(m, "globallog", LOG_CB, lambda p, d: 1 if view(m, p).attr(MIPSOLS) else 0)
    m.ok("QRVAmipoptimize", b"")
    assert m.attr(STOPSTATUS) == STOP_USER
    assert m.attr(MIPSOLS) >= 1 and len(m.mipsol()) == m.cols


def test_gapnotify_targets_move_and_switch_off(m):
    knapsack(m)
    m.ok("QRVAsetdblcontrol", MIPRELGAPNOTIFY, 0.05)
    calls = []

    def gap(p, data, rel, abs_, obj, bound):
        v = view(m, p)
        calls.append((v.dattr(MIPGAP), rel[0], obj[0]))
        # The reached target comes switched off; set a tighter one once.
        if len(calls) == 1:
            rel[0] = v.dattr(MIPGAP) / 10
    register(m, "gapnotify", GAP_CB, gap)
    m.mipopt()
    assert 1 <= len(calls) <= 2
    assert calls[0][0] <= 0.05 and calls[0][1] < 0 and calls[0][2] == 1e20
    if len(calls) == 2:
        assert calls[1][0] <= calls[0][0] / 10 + 1e-12
    # The control itself stays where it was.
    v = c_double()
    m.ok("QRVAgetdblcontrol", MIPRELGAPNOTIFY, byref(v))
    assert v.value == 0.05
    # An objective target: reached by a solution at least that good (maximizing).
    calls.clear()
    m.ok("QRVAsetdblcontrol", MIPRELGAPNOTIFY, -1)
    m.ok("QRVAsetdblcontrol", MIPABSGAPNOTIFYOBJ, 1.0)
    m.mipopt()
    assert len(calls) == 1


def test_preintsol_sees_each_candidate_and_its_reject_is_honoured(m):
    # A registered preintsol runs the MIP on the engine's own tree search,
    # where the callback's problem shows the candidate as its LP solution.
    knapsack(m)
    seen = []

    def look(p, data, soltype, reject, cutoff):
        x = view(m, p).lpsol()[0]
        seen.append((soltype, cutoff[0], x))
    register(m, "preintsol", PREINTSOL_CB, look)
    status, best = m.mipopt()
    assert status == 6 and len(seen) >= m.attr(MIPSOLS) >= 1
    assert all(s in (0, 1) and len(x) == m.cols for s, _, x in seen)
    assert all(abs(v - round(v)) < 1e-6 for _, _, x in seen for v in x)
    assert seen[0][1] == -1e20  # no incumbent yet: no cutoff (maximizing)


def test_preintsol_rejecting_every_candidate_leaves_no_solution(m):
    # Small, since nothing prunes the search once every candidate goes.
    knapsack(m, n=10)
    calls = []

    def rejecter(p, data, soltype, reject, cutoff):
        calls.append(soltype)
        reject[0] = 1
    register(m, "preintsol", PREINTSOL_CB, rejecter)
    m.mipopt()
    assert calls and m.attr(MIPSOLS) == 0
