"""Solving on HiGHS: LPs with known optimum, duals, slacks and basis;
infeasible and unbounded problems; MIPs with sets, indicators and
semi-continuous columns; convex and non-convex QPs; interrupts."""
import threading
import time
from ctypes import byref, c_double, c_int

import pytest

from conftest import ERR_NOT_AVAILABLE
from engine_model import INF, Model, dbl, declare, int64s, ints

LP_OPTIMAL, LP_INFEAS, LP_UNBOUNDED, LP_NONCONVEX = 1, 2, 5, 8
MIP_OPTIMAL, MIP_INFEAS = 6, 5


@pytest.fixture
def m(env, prob):
    declare(env)
    return Model(env, prob)


def production(m):
    """max 3x + 5y st x <= 4, 2y <= 12, 3x + 2y <= 18: optimum 36 at (2, 6)."""
    m.add_cols([3, 5], [0, 0], [INF, INF])
    m.add_rows("LLL", [4, 12, 18], [{0: 1}, {1: 2}, {0: 3, 1: 2}])
    m.ok("QRVAchgobjsense", -1)


@pytest.mark.parametrize("flags", [b"", b"p", b"d", b"b"])
def test_lp_optimum_duals_slacks_and_basis(m, flags):
    production(m)
    assert m.lpopt(flags) == (LP_OPTIMAL, pytest.approx(36))
    x, slack, dual, dj = m.lpsol()
    assert x == pytest.approx([2, 6]) and slack == pytest.approx([2, 0, 0], abs=1e-7)
    assert dual == pytest.approx([0, 1.5, 1], abs=1e-7) and dj == pytest.approx([0, 0], abs=1e-7)
    rs, cs = (c_int * 3)(), (c_int * 2)()
    m.ok("QRVAgetbasis", rs, cs)
    assert list(cs) == [1, 1] and list(rs) == [1, 2, 2]  # row 0 basic, rows 1, 2 at upper
    assert m.attr(1050) == 0


def test_warm_start_after_adding_a_row(m):
    production(m)
    m.lpopt()
    m.add_rows("L", [7], [{0: 1, 1: 1}])
    assert m.lpopt() == (LP_OPTIMAL, pytest.approx(33))
    assert m.attr(1040) <= 3


def test_change_invalidates_solution(m):
    production(m)
    m.lpopt()
    m.ok("QRVAchgrhs", 1, ints([0]), dbl([1]))
    assert m.attr(1010) == 0
    assert "no solution" in m.fails("QRVAgetlpsol", None, None, None, None)


def test_infeasible_lp_has_dual_ray(m):
    m.add_cols([1, 1], [0, 0], [INF, INF])
    m.add_rows("GL", [5, 3], [{0: 1, 1: 1}, {0: 1, 1: 1}])
    assert m.lpopt()[0] == LP_INFEAS
    has = c_int()
    ray = (c_double * 2)()
    m.ok("QRVAgetdualray", ray, byref(has))
    assert has.value == 1 and abs(ray[0]) > 0


def test_unbounded_lp_has_primal_ray_and_direction(m):
    m.add_cols([-1, 0], [0, 0], [INF, INF])
    m.add_rows("L", [1], [{0: 1, 1: -1}])
    m.ok("QRVAsetintcontrol", 8003, 0)
    assert m.lpopt(b"p")[0] == LP_UNBOUNDED
    has = c_int()
    ray = (c_double * 2)()
    m.ok("QRVAgetprimalray", ray, byref(has))
    assert has.value == 1 and ray[0] > 0
    seq = c_int()
    m.ok("QRVAgetunbvec", byref(seq))
    assert seq.value in (1, 2)


def test_knapsack(m):
    # max 10a + 13b + 7c + 8d, 4a + 6b + 3c + 5d <= 10, binary: optimum 23 with a and b
    m.add_cols([10, 13, 7, 8], [0] * 4, [1] * 4, types="BBBB")
    m.add_rows("L", [10], [{0: 4, 1: 6, 2: 3, 3: 5}])
    m.ok("QRVAchgobjsense", -1)
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(23))
    assert m.mipsol() == pytest.approx([1, 1, 0, 0], abs=1e-6)
    assert m.dattr(2004) == pytest.approx(23)


def test_set_cover(m):
    # cover {1..4} with sets A{1,2} B{2,3} C{3,4} D{1,4} E{1,2,3,4}(cost 3): optimum 2
    cost = [1, 1, 1, 1, 3]
    m.add_cols(cost, [0] * 5, [1] * 5, types="BBBBB")
    members = {0: [0, 3, 4], 1: [0, 1, 4], 2: [1, 2, 4], 3: [2, 3, 4]}
    m.add_rows("GGGG", [1] * 4, [{c: 1 for c in members[e]} for e in range(4)])
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(2))


def test_infeasible_mip(m):
    m.add_cols([1], [0], [1], types="I")
    m.add_rows("E", [0.5], [{0: 1}])
    assert m.mipopt()[0] == MIP_INFEAS


@pytest.mark.parametrize("ub", [50, 1e6])
def test_semicontinuous_column(m, ub):
    # min -x + 0 with x semi-continuous in {0} or [limit 3, ub], x <= 2.5 forced by a row
    m.add_cols([-1], [0], [ub], types="S")
    m.ok("QRVAchgglblimit", 1, ints([0]), dbl([3]))
    m.add_rows("L", [2.5], [{0: 1}])
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(0))
    m.ok("QRVAchgrhs", 1, ints([0]), dbl([ub + 10]))
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(-ub))


def test_semicontinuous_with_infinite_bound_is_refused(m):
    m.add_cols([-1], [0], [INF], types="S")
    m.ok("QRVAsetintcontrol", 8035, 0)
    text = m.fails("QRVAmipoptimize", b"")
    assert "semi-continuous with an infinite upper bound" in text


def test_sos1_and_sos2(m):
    # max x0 + 2 x1 + 3 x2, each in [0, 1], at most one non-zero: 3
    m.add_cols([1, 2, 3], [0] * 3, [1] * 3)
    m.ok("QRVAchgobjsense", -1)
    m.ok("QRVAaddsets64", 1, 3, b"1", int64s([0, 3]), ints([0, 1, 2]), dbl([1, 2, 3]))
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(3))
    m.ok("QRVAdelsets", 1, ints([0]))
    m.ok("QRVAaddsets64", 1, 3, b"2", int64s([0, 3]), ints([0, 1, 2]), dbl([1, 2, 3]))
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(5))  # two adjacent: x1 + x2
    x = m.mipsol()
    assert x[0] == pytest.approx(0, abs=1e-6)


def test_indicator_rows(m):
    # max x + y, x, y in [0, 10], b binary; b = 1 -> x + y <= 4; b costs -1 ... and b must be 1
    m.add_cols([1, 1, 0], [0, 0, 1], [10, 10, 1], types="CCB")
    m.ok("QRVAchgobjsense", -1)
    m.add_rows("L", [4], [{0: 1, 1: 1}])
    m.ok("QRVAsetindicators", 1, ints([0]), ints([2]), ints([1]))
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(4))
    m.ok("QRVAchgbounds", 1, ints([2]), b"B", dbl([0]))  # b = 0: row not enforced
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(20))
    m.ok("QRVAsetindicators", 1, ints([0]), ints([2]), ints([-1]))  # enforced at 0
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(4))


def test_convex_qp(m):
    # min x^2 + y^2 - 2x - 4y  ->  x = 1, y = 2, objective -5 (Q = 2I)
    m.add_cols([-2, -4], [-INF, -INF], [INF, INF])
    m.ok("QRVAchgmqobj64", 2, ints([0, 1]), ints([0, 1]), dbl([2, 2]))
    assert m.lpopt() == (LP_OPTIMAL, pytest.approx(-5))
    assert m.lpsol()[0] == pytest.approx([1, 2], abs=1e-5)
    # with x + y <= 1: x = 0, y = 1, objective -3
    m.add_rows("L", [1], [{0: 1, 1: 1}])
    assert m.lpopt() == (LP_OPTIMAL, pytest.approx(-3, abs=1e-6))


def test_nonconvex_qp_and_refused_models(m):
    m.add_cols([0, 0], [-1, -1], [1, 1])
    m.ok("QRVAchgmqobj64", 1, ints([0]), ints([1]), dbl([1]))  # x*y: indefinite
    assert m.lpopt()[0] == LP_NONCONVEX
    m.ok("QRVAchgcoltype", 1, ints([0]), b"I")
    assert "mixed-integer quadratic" in m.fails("QRVAmipoptimize", b"")
    m.ok("QRVAdelqmatrix", -1)
    m.add_rows("L", [1], [{}])
    m.ok("QRVAaddqmatrix64", 0, 1, ints([0]), ints([0]), dbl([1]))
    # Quadratic rows go through the nonlinear solver: its relaxation, and
    # with the integer column the tree search over nonlinear node solves.
    assert m.lpopt()[0] == LP_OPTIMAL
    m.ok("QRVAchgobj", 2, ints([0, 1]), dbl([-1, -1]))
    m.ok("QRVAmipoptimize", b"")
    assert m.attr(1011) == 6 and m.dattr(2003) == pytest.approx(-2, abs=1e-6)


def test_interrupt_from_another_thread(m, env):
    # A knapsack-like MIP large enough to run for a while.
    import random
    rnd = random.Random(5)
    n = 60
    m.add_cols([rnd.randint(50, 100) for _ in range(n)], [0] * n, [1] * n, types="B" * n)
    for _ in range(30):
        m.add_rows("L", [rnd.randint(200, 400)], [{j: rnd.randint(5, 40) for j in range(n)}])
    m.ok("QRVAchgobjsense", -1)
    m.ok("QRVAsetintcontrol", 8035, 0)
    m.ok("QRVAsetdblcontrol", 7005, 0.0)
    done = threading.Event()

    def stopper():
        time.sleep(0.3)
        if not done.is_set():
            env.QRVAinterrupt(m.prob, 9)

    t = threading.Thread(target=stopper)
    t.start()
    started = time.time()
    m.ok("QRVAmipoptimize", b"")
    done.set()
    t.join()
    if time.time() - started >= 0.3:  # the solve was still running when asked to stop
        assert m.attr(1050) == 9 and m.attr(1011) in (3, 4)


CTRL_C_CHILD = r"""
import ctypes, os, signal, sys
from ctypes import byref, c_void_p
sys.path.insert(0, sys.argv[2])
from conftest import _declare
from engine_model import Model, declare, market_split

lib = ctypes.CDLL(sys.argv[1])
_declare(lib), declare(lib)
assert lib.QRVAinit(None) == 0
libc = ctypes.CDLL(None, use_errno=True)


def disposition():
    action = (ctypes.c_char * 256)()  # struct sigaction: the handler comes first
    assert libc.sigaction(signal.SIGINT, None, action) == 0
    return ctypes.c_void_p.from_buffer(action).value or 0


def solve(tag):
    handle = c_void_p()
    assert lib.QRVAcreateprob(byref(handle)) == 0
    m = Model(lib, handle)
    market_split(m, rows=5, cols=40)
    m.ok("QRVAsetdblcontrol", 7006, 60.0)  # never hang the suite
    print(tag, flush=True)
    status, _ = m.mipopt()
    print("stopped", m.attr(1050), status, flush=True)
    lib.QRVAdestroyprob(handle)


signal.signal(signal.SIGINT, signal.SIG_DFL)  # what the extension does around a solve
solve("solving")
print("default disposition back", disposition() == 0, flush=True)
signal.signal(signal.SIGINT, signal.default_int_handler)
solve("solving")
try:
    os.kill(os.getpid(), signal.SIGINT)
    signal.pthread_kill(signal.pthread_self(), 0)  # let the handler run
    print("no KeyboardInterrupt", flush=True)
except KeyboardInterrupt:
    print("KeyboardInterrupt", flush=True)
"""


def test_ctrl_c_stops_the_solve_and_the_process_survives(lib, tmp_path):
    """A SIGINT during a long MIP stops it with the Ctrl-C stop reason; the
    disposition from before the solve is back afterwards."""
    import os
    import signal
    import subprocess
    import sys
    script = tmp_path / "child.py"
    script.write_text(CTRL_C_CHILD)
    here = os.path.dirname(os.path.abspath(__file__))
    child = subprocess.Popen([sys.executable, str(script), lib._name, here],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        lines = []
        for _ in range(2):
            assert child.stdout.readline().strip() == "solving"
            time.sleep(1.0)
            started = time.time()
            child.send_signal(signal.SIGINT)
            lines.append(child.stdout.readline().split())
            assert time.time() - started < 10
            lines.append(child.stdout.readline().strip())
        out, err = child.communicate(timeout=60)
    finally:
        if child.poll() is None:
            child.kill()
    assert child.returncode == 0, err
    assert lines[0][:2] == ["stopped", "2"] and int(lines[0][2]) in (3, 4)  # mip_lp/no_sol
    assert lines[1] == "default disposition back True"
    assert lines[2][:2] == ["stopped", "2"]
    assert lines[3] == "KeyboardInterrupt"


def test_time_limit_stop_status(m):
    import random
    rnd = random.Random(7)
    n = 60
    m.add_cols([rnd.randint(50, 100) for _ in range(n)], [0] * n, [1] * n, types="B" * n)
    for _ in range(30):
        m.add_rows("L", [rnd.randint(200, 400)], [{j: rnd.randint(5, 40) for j in range(n)}])
    m.ok("QRVAchgobjsense", -1)
    m.ok("QRVAsetdblcontrol", 7005, 0.0)
    m.ok("QRVAsetdblcontrol", 7006, 0.05)
    status, _ = m.mipopt()
    if status != MIP_OPTIMAL:
        assert m.attr(1050) == 1


def test_solver_log_reaches_message_callbacks(m, env):
    from conftest import MESSAGE_CB
    lines = []
    cb = MESSAGE_CB(lambda p, d, msg, n, t: lines.append(msg.decode()))
    assert env.QRVAaddcbmessage(m.prob, cb, None, 0) == 0
    production(m)
    m.ok("QRVAlpoptimize", b"")
    assert any("HiGHS" in line for line in lines)
    assert any(line.startswith("QRVAlpoptimize: lp_optimal") for line in lines)
    # The output control only governs standard output: the log still arrives.
    lines.clear()
    m.ok("QRVAsetintcontrol", 8035, 0)
    m.ok("QRVAlpoptimize", b"")
    assert any("Coefficient ranges" in line for line in lines)
    assert any(line.startswith("QRVAlpoptimize: lp_optimal") for line in lines)


def test_mip_start_and_loaded_solution(m):
    m.add_cols([10, 13, 7, 8], [0] * 4, [1] * 4, types="BBBB")
    m.add_rows("L", [10], [{0: 4, 1: 6, 2: 3, 3: 5}])
    m.ok("QRVAchgobjsense", -1)
    m.ok("QRVAaddmipsol", 2, dbl([1, 1]), ints([0, 2]), b"start")
    assert m.mipopt()[0] == MIP_OPTIMAL
    status = c_int(-1)
    m.ok("QRVAloadlpsol", dbl([1, 0, 0, 0]), None, None, None, byref(status))
    assert status.value == 0 and m.lpsol()[1] == pytest.approx([6])
