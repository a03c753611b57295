"""Cascading in the engine: the order of determined columns, a cycle
refused with the problem as it was, and pass limits refused out of range."""
from ctypes import byref, c_double, c_int

import pytest

from conftest import ERR_ARGUMENT, ERR_STATE
from slp_model import var


@pytest.fixture
def m(slp_problem):
    return slp_problem


def value_of(m, col):
    v = c_double()
    m.sok("QSLPgetvar", col, None, None, None, None, None, None, byref(v), None, None, None, None,
          None, None, None, None)
    return v.value


def determine(m, cols, rows, init):
    n = len(cols)
    m.sok("QSLPaddvars", n, (c_int * n)(*cols), None, (c_int * n)(*rows), None, None,
          (c_double * n)(*init), None)


class TestCascade:
    def test_chain_through_formulas_and_linear_rows(self, m):
        x, c, b, a = m.add_cols([0, 0, 0, 0], [0, -100, -100, -100], [5, 100, 100, 100])
        ra, rb, rc = m.add_rows("EEE", [0, 0, 1], [{a: 1.0}, {b: 1.0}, {c: 1.0, a: -1.0, b: -1.0}])
        X, A = var(x), var(a)
        m.add_coefs([(ra, -1, -1.0, X * X), (rb, -1, -1.0, A * X)])
        determine(m, [x, c, b, a], [-1, rc, rb, ra], [3.0, 0.0, 0.0, 0.0])
        m.sok("QSLPcascade")
        assert [value_of(m, j) for j in (a, b, c)] == pytest.approx([9.0, 27.0, 37.0])

    def test_cycle_and_bad_limits_refused(self, m):
        a, b = m.add_cols([0, 0], [-10, -10], [10, 10])
        ra, rb = m.add_rows("EE", [0, 1], [{a: 1.0, b: -1.0}, {b: 1.0}])
        m.add_coefs([(rb, -1, -1.0, var(a) * var(a))])
        determine(m, [a, b], [ra, rb], [1.0, 2.0])
        for fn in ("QSLPcascade", "QSLPcascadeorder"):
            code, text = m.sfails(fn)
            assert code == ERR_STATE and "lies on a cycle of determined columns" in text
        assert [value_of(m, j) for j in (a, b)] == [0.0, 0.0]
        for col, limit in ((a, -1), (a, 1001), (5, 1)):
            assert m.sfails("QSLPchgcascadenlimit", col, limit)[0] == ERR_ARGUMENT


def test_factors_and_pass_limits_travel_through_a_file(m, tmp_path):
    x, a = m.add_cols([0, 0], [0, -10], [5, 10])
    ra = m.add_rows("E", [0], [{a: 1.0}])[0]
    m.add_coefs([(ra, -1, -1.0, var(x) * var(x))])
    determine(m, [a], [ra], [0.0])
    m.sok("QSLPchgcascadenlimit", a, 3)
    m.sok("QSLPadddfs", 1, (c_int * 1)(x), (c_int * 1)(ra), (c_double * 1)(0.5))
    path = tmp_path / "factors.mps"
    m.sok("QSLPwriteprob", str(path).encode(), b"")
    text = path.read_text()
    assert " CL 3" in text and "SLPDFS\n    C0 R0 0.5\n" in text
    m.sok("QSLPloaddfs", 0, None, None, None)
    m.sok("QSLPreadprob", str(path).encode(), b"")
    f = c_double()
    m.sok("QSLPgetdf", x, ra, byref(f))
    assert f.value == 0.5
    path.write_text(text.replace("C0 R0 0.5", "C0 R0 -2"))
    code, message = m.sfails("QSLPreadprob", str(path).encode(), b"")
    assert "a derivative factor is positive" in message
    m.sok("QSLPgetdf", x, ra, byref(f))
    assert f.value == 0.5
