"""Solutions the user gives for a MIP solve: each is checked when the solve
starts (feasible, repaired, infeasible, rejected), reported to usersolnotify
with its name, and a usable one becomes the search's first incumbent, on
HiGHS's MIP and on the engine's own tree search."""
import ctypes
from ctypes import POINTER, c_char_p, c_double, c_int, c_void_p

import pytest

from engine_model import Model, declare, dbl, ints
from test_engine_callbacks import knapsack

USERSOL_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, c_char_p, c_int)
VOID_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p)
PREINTSOL_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, c_int, POINTER(c_int),
                                POINTER(c_double))
FEASIBLE, REPAIRED, INFEASIBLE, REJECTED = 1, 2, 3, 4
TREESEARCH, MIPOBJVAL, MIPSTATUS = 8090, 2003, 1011
SOLTYPE_USER = 2
PATHS = {"highs": 2, "tree": 1}


@pytest.fixture
def m(env, prob):
    declare(env)
    for kind, cbtype in [("usersolnotify", USERSOL_CB), ("intsol", VOID_CB),
                         ("preintsol", PREINTSOL_CB)]:
        getattr(env, "QRVAaddcb" + kind).argtypes = [c_void_p, cbtype, c_void_p, c_int]
    env.QRVAaddmipsol.argtypes = [c_void_p, c_int, POINTER(c_double), POINTER(c_int), c_char_p]
    model = Model(env, prob)
    model.keep = []
    return model


def register(m, kind, cbtype, fn):
    cb = cbtype(fn)
    m.keep.append(cb)
    m.ok("QRVAaddcb" + kind, cb, None, 0)


def small_mip(m):
    """max 5x + 4y + 3z; x, y integer in [0, 10], z in [0, 10];
    2x + 3y + z <= 12, x + y <= 5."""
    m.add_cols([5, 4, 3], [0, 0, 0], [10, 10, 10], types="IIC")
    m.add_rows("LL", [12, 5], [{0: 2, 1: 3, 2: 1}, {0: 1, 1: 1}])
    m.ok("QRVAchgobjsense", -1)


def add(m, name, values, cols=None):
    m.ok("QRVAaddmipsol", len(values), dbl(values), ints(cols) if cols else None, name.encode())


def notified(m):
    seen = []
    register(m, "usersolnotify", USERSOL_CB, lambda p, d, name, status: seen.append((name, status)))
    return seen


@pytest.mark.parametrize("path", sorted(PATHS))
def test_each_solution_is_checked_and_reported_in_order(m, path):
    small_mip(m)
    m.ok("QRVAsetintcontrol", TREESEARCH, PATHS[path])
    seen = notified(m)
    add(m, "as given", [1, 1, 0])
    add(m, "partial", [2, 1], [0, 1])                  # z completed by the LP
    add(m, "z out of bounds", [2, 1, 100])             # z freed and re-solved
    add(m, "breaks a row", [6, 0], [0, 1])             # x + y <= 5 with x fixed at 6
    add(m, "fractional", [1.5, 1, 0])
    add(m, "twice", [1, 2], [0, 0])
    add(m, "infinite", [1, 1, float("inf")])
    status, obj = m.mipopt()
    assert seen == [(b"as given", FEASIBLE), (b"partial", REPAIRED),
                    (b"z out of bounds", REPAIRED), (b"breaks a row", INFEASIBLE),
                    (b"fractional", INFEASIBLE), (b"twice", REJECTED), (b"infinite", REJECTED)]
    assert obj == pytest.approx(35)  # x = 1, y = 0, z = 10


def test_loadmipsol_reports_the_check_at_once(m):
    small_mip(m)
    status = c_int(-1)
    m.ok("QRVAloadmipsol", dbl([1, 1, 0]), ctypes.byref(status))
    assert status.value == FEASIBLE
    m.ok("QRVAloadmipsol", dbl([2, 1, 100]), ctypes.byref(status))
    assert status.value == REPAIRED
    m.ok("QRVAloadmipsol", dbl([9, 9, 0]), ctypes.byref(status))
    assert status.value == INFEASIBLE
    seen = notified(m)
    m.mipopt()
    assert [s for _, s in seen] == [FEASIBLE, REPAIRED, INFEASIBLE]


def greedy(values, weights, caps):
    """A feasible, far from optimal point of knapsack(): the cheapest items."""
    x = [0] * len(values)
    load = [0] * len(caps)
    for j in sorted(range(len(values)), key=lambda j: values[j])[:5]:
        if all(load[i] + weights[i][j] <= caps[i] for i in range(len(caps))):
            x[j] = 1
            for i in range(len(caps)):
                load[i] += weights[i][j]
    return x


@pytest.mark.parametrize("path", sorted(PATHS))
def test_a_feasible_solution_is_the_first_incumbent(m, path):
    knapsack(m)
    n = m.cols
    values = m.get("QRVAgetobj", n)
    rows = m.rows_of(0, m.rows - 1)
    caps = m.get("QRVAgetrhs", m.rows)
    x = greedy(values, [[r.get(j, 0) for j in range(n)] for r in rows], caps)
    given = sum(v * xi for v, xi in zip(values, x))
    m.ok("QRVAsetintcontrol", TREESEARCH, PATHS[path])
    add(m, "greedy", x)
    first = []
    register(m, "intsol", VOID_CB, lambda p, d: first.append(Model(m.lib, c_void_p(p)).dattr(MIPOBJVAL)))
    seen = notified(m)
    status, best = m.mipopt()
    assert seen == [(b"greedy", FEASIBLE)]
    assert first[0] == pytest.approx(given)
    assert best > given + 1


def test_the_tree_offers_user_solutions_to_preintsol(m):
    small_mip(m)
    add(m, "mine", [1, 1, 0])
    types = []

    def preintsol(p, d, soltype, reject, cutoff):
        types.append(soltype)
        if soltype == SOLTYPE_USER:
            reject[0] = 1

    register(m, "preintsol", PREINTSOL_CB, preintsol)
    first = []
    register(m, "intsol", VOID_CB, lambda p, d: first.append(Model(m.lib, c_void_p(p)).dattr(MIPOBJVAL)))
    status, obj = m.mipopt()
    assert types[0] == SOLTYPE_USER
    assert first and first[0] != pytest.approx(9)  # the rejected start never became the incumbent
    assert obj == pytest.approx(35)
