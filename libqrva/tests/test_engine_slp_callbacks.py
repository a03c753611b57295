"""The SLP callbacks as the C interface gives them: a stop from itervar,
the value a drcol callback leaves, and the latest function set per kind."""
import ctypes
from ctypes import POINTER, c_double, c_int, c_void_p

import pytest

from slp_model import var

STAGE_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)
ITERVAR_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p, c_int)
DRCOL_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p, c_int, c_int, c_double, POINTER(c_double),
                            c_double, c_double)
ITERATIONS, STOPSTATUS, STOP_USER = 12040, 12045, 9


def rosenbrock(m, top=1e20):
    x, y = m.add_cols([0, 0], [-1.5, -0.5], [2, 2])
    t = m.add_cols([1], [-1e20], [top])[0]
    row = m.add_rows("E", [0], [{t: -1.0}])[0]
    m.add_coefs([(row, -1, 1.0, (1 - var(x)) ** 2 + 100 * (var(y) - var(x) ** 2) ** 2)])
    m.set_start({x: 0.0, y: 0.0})
    return t, row


def setcb(m, kind, cb, data=None):
    f = getattr(m.lib, "QSLPsetcb" + kind)
    f.argtypes, f.restype = [c_void_p, type(cb), c_void_p], c_int
    assert f(m.slp, cb, data) == 0


def test_itervar_stops_and_the_latest_function_is_called(slp_problem):
    m = slp_problem
    rosenbrock(m)
    cols, replaced = [], []
    first = ITERVAR_CB(lambda slp, data, col: replaced.append(col) or 0)
    latest = ITERVAR_CB(lambda slp, data, col: cols.append(col) or (1 if len(cols) == 3 else 0))
    setcb(m, "itervar", first)
    setcb(m, "itervar", latest)
    m.solve()
    # The stop came at the first column of the second iteration: that
    # iteration's other column is not reported, and no third one begins.
    assert replaced == [] and cols == [0, 1, 0]
    assert m.iattr(ITERATIONS) == 2 and m.iattr(STOPSTATUS) == STOP_USER


def test_drcol_gets_the_row_and_its_value_is_used_within_bounds(slp_problem):
    m = slp_problem
    t, row = rosenbrock(m, top=50)
    seen = []

    def drcol(slp, data, detrow, col, value, p_new, lb, ub):
        seen.append((detrow, col, value, p_new[0], lb, ub))
        p_new[0] = 1e30  # beyond the bounds: moved onto the upper one
        return 0

    cb = DRCOL_CB(drcol)
    setcb(m, "drcol", cb)
    status, obj = m.solve()
    assert seen and all(s[:2] == (row, t) and s[2] == s[3] and s[4:] == (-1e20, 50) for s in seen)
    assert seen[0][2] == pytest.approx(1)  # the objective at the origin
    assert obj == 50 and m.slpsol()[0][t] == 50
