"""Problem files: write, read back and solve to the same optimum; HiGHS's own
program reads what we write and finds the same optimum too."""
import os
import re
import subprocess

import pytest

from engine_model import INF, Model, dbl, declare, int64s, ints


@pytest.fixture
def m(env, prob):
    declare(env)
    return Model(env, prob)


def fresh(env):
    from ctypes import byref, c_void_p
    handle = c_void_p()
    assert env.QRVAcreateprob(byref(handle)) == 0
    return Model(env, handle)


def lp_model(m):
    m.add_cols([3, 5, -1], [0, 0, -INF], [INF, INF, 4])
    m.add_rows("LLLR", [4, 12, 18, 10], [{0: 1}, {1: 2}, {0: 3, 1: 2}, {1: 1, 2: 1}],
               ranges=[0, 0, 0, 6])
    m.ok("QRVAchgobj", 1, ints([-1]), dbl([-2.5]))  # objective constant 2.5
    m.ok("QRVAchgobjsense", -1)
    m.set_names(2, ["x", "y", "z"])


def mip_model(m):
    m.add_cols([10, 13, 7, 8, 1], [0] * 5, [1, 1, 1, 1, 50], types="BBBIS")
    m.ok("QRVAchgglblimit", 1, ints([4]), dbl([2]))
    m.add_rows("LL", [10, 30], [{0: 4, 1: 6, 2: 3, 3: 5}, {4: 1, 0: 1}])
    m.ok("QRVAchgobjsense", -1)


def qp_model(m):
    m.add_cols([-2, -4], [-10, -10], [10, 10])
    m.ok("QRVAchgmqobj64", 3, ints([0, 1, 0]), ints([0, 1, 1]), dbl([2, 2, 0.5]))
    m.add_rows("L", [1], [{0: 1, 1: 1}])


def highs_optimum(path):
    import highsbox
    env = dict(os.environ, LD_LIBRARY_PATH=highsbox.highs_lib_dir())
    run = subprocess.run([highsbox.highs_bin_path(), path], capture_output=True, text=True,
                         env=env, timeout=120)
    found = re.search(r"Objective value\s*:\s*(\S+)", run.stdout) or \
        re.search(r"Primal bound\s+(\S+)", run.stdout)
    assert found, run.stdout + run.stderr
    return float(found.group(1))


@pytest.mark.parametrize("build,kind", [(lp_model, "lp"), (mip_model, "mip"), (qp_model, "lp")])
def test_write_read_solve_and_cross_check(env, m, tmp_path, build, kind):
    build(m)
    solve = m.lpopt if kind == "lp" else m.mipopt
    status, optimum = solve()
    path = str(tmp_path / "model.mps")
    m.ok("QRVAwriteprob", path.encode(), b"")
    other = fresh(env)
    try:
        other.ok("QRVAreadprob", path.encode(), b"")
        assert (other.rows, other.cols) == (m.rows, m.cols)
        assert other.names(2, 0, m.cols - 1) == m.names(2, 0, m.cols - 1)
        again = other.lpopt if kind == "lp" else other.mipopt
        assert again() == (status, pytest.approx(optimum, abs=1e-6))
    finally:
        env.QRVAdestroyprob(other.prob)
    pytest.importorskip("highsbox")
    assert highs_optimum(path) == pytest.approx(optimum, abs=1e-6)


def test_sets_indicators_and_quadratic_rows_survive_a_round_trip(env, m, tmp_path):
    m.add_cols([1, 2, 3, 0], [0] * 4, [1, 1, 1, 1], types="CCCB")
    m.ok("QRVAaddsets64", 1, 3, b"2", int64s([0, 3]), ints([0, 1, 2]), dbl([1, 2, 3]))
    m.add_rows("LL", [1, 4], [{0: 1, 1: 1}, {0: 1}])
    m.ok("QRVAsetindicators", 1, ints([0]), ints([3]), ints([-1]))
    m.ok("QRVAaddqmatrix64", 1, 2, ints([0, 0]), ints([0, 1]), dbl([1, 0.5]))
    path = str(tmp_path / "full.mps")
    m.ok("QRVAwriteprob", path.encode(), b"")
    other = fresh(env)
    try:
        other.ok("QRVAreadprob", path.encode(), b"")
        assert other.attr(1004) == 1 and other.attr(1005) == 3 and other.attr(1014) == 1
        assert other.attr(1013) == 1 and other.attr(1032) == 1
        from ctypes import byref, c_double
        q = c_double()
        other.ok("QRVAgetqrowcoeff", 1, 1, 0, byref(q))
        assert q.value == 0.5
    finally:
        env.QRVAdestroyprob(other.prob)


def test_fixed_mps_is_read(m, tmp_path):
    text = """NAME          FIXED
ROWS
 N  COST
 L  LIM1
 G  LIM2
COLUMNS
    X1        COST         1.0   LIM1         1.0
    X1        LIM2         1.0
    X2        COST         2.0   LIM1         1.0
RHS
    RHS       LIM1         4.0   LIM2         1.0
BOUNDS
 UP BND       X1           4.0
ENDATA
"""
    path = tmp_path / "fixed.mps"
    path.write_text(text)
    m.ok("QRVAreadprob", str(path).encode(), b"")
    assert (m.rows, m.cols) == (2, 2)
    assert m.lpopt() == (1, pytest.approx(1.0))


def test_file_errors(m, tmp_path):
    assert "cannot open" in m.fails("QRVAreadprob", str(tmp_path / "none.mps").encode(), b"")
    bad = tmp_path / "bad.mps"
    bad.write_text("NAME x\nROWS\n N obj\n L r\nCOLUMNS\n    c r abc\nENDATA\n")
    assert m.fails("QRVAreadprob", str(bad).encode(), b"") == \
        "QRVAreadprob: line 6: 'abc' is not a number"
    assert "not available yet" in m.fails("QRVAwriteprob", str(tmp_path / "x").encode(), b"l")
