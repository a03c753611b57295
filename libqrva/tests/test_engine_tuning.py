"""User scaling, MIP solution refinement, row presolve and the tuner through
the C interface: factors that follow deletions and keep rays in the
problem's units, refinement over sets, indicators and semi-continuous
columns, and the tuner's time budget and restored controls."""
from ctypes import byref, c_char, c_char_p, c_double, c_int, c_void_p

import pytest

from conftest import MESSAGE_CB
from engine_model import INF, Model, dbl, declare, int64s, ints

LP_OPTIMAL, LP_UNBOUNDED = 1, 5
TIMELIMIT, TUNERMAXTIME, PRESOLVE, OUTPUTLOG = 7006, 7121, 8003, 8035


@pytest.fixture
def m(env, prob):
    declare(env)
    model = Model(env, prob)
    model.ok("QRVAsetintcontrol", OUTPUTLOG, 0)
    return model


def lp_solution(m):
    m.ok("QRVAlpoptimize", b"")
    assert m.attr(1010) == LP_OPTIMAL
    n, r = m.cols, m.rows
    x, slack, dual, dj = (c_double * n)(), (c_double * r)(), (c_double * r)(), (c_double * n)()
    m.ok("QRVAgetlpsol", x, slack, dual, dj)
    return [list(v) for v in (x, slack, dual, dj)]


def test_scaling_follows_deletions_and_keeps_units(m):
    # max 3x + 5y + z st x <= 4, 2y <= 12, 3x + 2y <= 18, z <= 1
    m.add_cols([3, 5, 1], [0, 0, 0], [INF, INF, 1])
    m.add_rows("LLL", [4, 12, 18], [{0: 1}, {1: 2}, {0: 3, 1: 2}])
    m.ok("QRVAchgobjsense", -1)
    plain = lp_solution(m)
    m.ok("QRVAscale", ints([3, -2, 5]), ints([-4, 6, 2]))
    for a, b in zip(plain, lp_solution(m)):
        assert b == pytest.approx(a, abs=1e-7)
    # The last row and column go: the factors of the others stay theirs.
    m.ok("QRVAdelrows", 1, ints([2]))
    m.ok("QRVAdelcols", 1, ints([2]))
    x = lp_solution(m)[0]
    assert x == pytest.approx([4, 6], abs=1e-7)
    assert "between -64 and 64" in m.fails("QRVAscale", None, ints([0, -65]))


def test_scaled_primal_ray_is_in_the_problems_units(m):
    # min -x - y st x - y <= 1: the ray moves x and y together.
    m.add_cols([-1, -1], [0, 0], [INF, INF])
    m.add_rows("L", [1], [{0: 1, 1: -1}])
    m.ok("QRVAsetintcontrol", PRESOLVE, 0)
    m.ok("QRVAscale", ints([2]), ints([5, -5]))
    m.ok("QRVAlpoptimize", b"")
    assert m.attr(1010) == LP_UNBOUNDED
    ray, has = (c_double * 2)(), c_int()
    m.ok("QRVAgetprimalray", ray, byref(has))
    assert has.value == 1
    assert ray[0] > 0 and ray[1] > 0 and ray[0] - ray[1] <= 1e-9 * ray[0]


def test_refinement_over_sets_indicators_and_semicontinuous_columns(m):
    # min -(x + 2y + s) over x, y in [0, 3] in one SOS1, s semi-continuous
    # (0 or [2, 5]), b binary with b = 1 -> x <= 1, and x + y + s <= 10.
    m.add_cols([-1, -2, -1, 0], [0, 0, 0, 0], [3, 3, 5, 1], types="CCSB")
    m.ok("QRVAchgglblimit", 1, ints([2]), dbl([2]))
    m.add_rows("LL", [10, 1], [{0: 1, 1: 1, 2: 1}, {0: 1}])
    m.ok("QRVAsetindicators", 1, ints([1]), ints([3]), ints([1]))
    m.ok("QRVAaddsets64", 1, 2, b"1", int64s([0, 2]), ints([0, 1]), dbl([1, 2]))
    refined, status = (c_double * 4)(), c_int()
    # y = 0 and s off stay; b = 1 keeps x <= 1.
    m.ok("QRVArefinemipsol", 0, b"", dbl([0.5, 0, 0, 1]), refined, byref(status))
    assert status.value == 0 and list(refined) == pytest.approx([1, 0, 0, 1])
    # s on and b = 0: s rises to 5 and x to 3.
    m.ok("QRVArefinemipsol", 1, b"", dbl([1, 0, 2.5, 0]), refined, byref(status))
    assert status.value == 0 and list(refined) == pytest.approx([3, 0, 5, 0])
    # An SOS breach in the given point is no solution, but its decisions are.
    m.ok("QRVArefinemipsol", 0, b"", dbl([1, 1, 0, 0]), refined, byref(status))
    assert status.value == 2 and list(refined) == [1, 1, 0, 0]
    m.ok("QRVAmipoptimize", b"")
    assert m.dattr(2003) == pytest.approx(-11)


def test_presolved_row(m):
    m.add_cols([0, 0, 0], [1, 0, 0], [1, 4, 4])
    cols, coefs, n, rhs, status = (c_int * 2)(), (c_double * 2)(), c_int(), c_double(), c_int()
    m.ok("QRVApresolverow", c_char(b"G"), 4, ints([0, 1, 1, 2]), dbl([2, 0.5, 0.5, 1e-12]), c_double(3.0), 2,
         byref(n), cols, coefs, byref(rhs), byref(status))
    assert (n.value, cols[0], coefs[0], rhs.value, status.value) == (1, 1, 1.0, 1.0, 0)


def test_tuner_budget_controls_and_log(m, env):
    lines = []
    cb = MESSAGE_CB(lambda p, d, msg, n, t: lines.append(msg.decode()))
    assert env.QRVAaddcbmessage(m.prob, cb, None, 0) == 0
    m.add_cols([3, 5], [0, 0], [INF, INF])
    m.add_rows("LLL", [4, 12, 18], [{0: 1}, {1: 2}, {0: 3, 1: 2}])
    m.ok("QRVAchgobjsense", -1)
    m.ok("QRVAsetdblcontrol", TIMELIMIT, c_double(50.0))
    m.ok("QRVAsetdblcontrol", TUNERMAXTIME, c_double(0.0))
    m.ok("QRVAtune", b"")
    assert any("time (tunermaxtime) is up after 0 trials" in line for line in lines)
    lines.clear()
    m.ok("QRVAsetdblcontrol", TUNERMAXTIME, c_double(30.0))
    m.ok("QRVAtune", b"l")
    assert sum("QRVAtune: trial" in line for line in lines) == 6
    limit = c_double()
    m.ok("QRVAgetdblcontrol", TIMELIMIT, byref(limit))
    assert limit.value == 50.0
    assert m.attr(1010) == 0  # no solution is left behind
    assert lp_solution(m)[0] == pytest.approx([2, 6])
    assert "methodfile" in m.fails("QRVAtunerwritemethod", None)


def test_save_keeps_the_user_scaling(m, env, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    env.QRVAsave.argtypes, env.QRVArestore.argtypes = [c_void_p], [c_void_p, c_char_p, c_char_p]
    m.add_cols([3, 5], [0, 0], [INF, INF])
    m.add_rows("LL", [4, 18], [{0: 1}, {0: 3, 1: 2}])
    m.ok("QRVAchgobjsense", -1)  # optimum y = 9: y's column is in the basis
    m.ok("QRVAsetprobname", b"scaled")
    m.ok("QRVAscale", ints([0, 6]), None)

    def condition(scaled):
        value = c_double()
        m.ok("QRVAlpoptimize", b"")
        m.ok("QRVAbasisstability", 0, 1, scaled, byref(value))
        return value.value

    before = condition(1)
    assert before != pytest.approx(condition(0))
    m.ok("QRVAsave")
    m.ok("QRVAscale", None, None)
    assert condition(1) == pytest.approx(condition(0))
    m.ok("QRVArestore", b"scaled", b"")
    assert condition(1) == pytest.approx(before)


def test_scaled_infeasibilities_measure_the_scaled_problem(m, env):
    # x in [0, 1] at 1 + 5e-7 and row x <= 1: both beyond the tolerance 1e-7;
    # within it for x / 8 and the row times 1/8, not for the row times 4.
    m.add_cols([1], [0], [1])
    m.add_rows("L", [1], [{0: 1}])
    status = c_int()
    m.ok("QRVAloadlpsol", dbl([1 + 5e-7]), None, None, None, byref(status))

    def counts(name):
        c = [c_int() for _ in range(4)]
        m.ok(name, *[byref(v) for v in c], None, None, None, None)
        return [v.value for v in c]

    assert counts("QRVAgetinfeas")[:2] == [1, 1]
    assert counts("QRVAgetscaledinfeas")[:2] == [1, 1]
    m.ok("QRVAscale", ints([-3]), ints([3]))
    assert counts("QRVAgetscaledinfeas")[:2] == [0, 0]
    m.ok("QRVAscale", ints([2]), ints([3]))
    assert counts("QRVAgetscaledinfeas")[:2] == [0, 1]
    assert counts("QRVAgetinfeas")[:2] == [1, 1]
