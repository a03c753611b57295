"""Validation of nonlinear solutions and points, the KKT residual with the
solve's and fresh multipliers, and the solver state between solves
(initial values from the solution, reinitialisation), the clock and message
types."""
import math
from ctypes import byref, c_double, c_int

import pytest

from conftest import ERR_ARGUMENT, ERR_STATE, MESSAGE_CB, global_error
from engine_model import dbl, ints
from slp_model import var

NLP_OPTIMAL, NLP_UNFINISHED = 1, 6
VALIDATION_A, VALIDATION_R, VALIDATION_K, KKT_VALIDATED = 12181, 12182, 12183, 12063
ITERATIONS, ITERLIMIT = 12040, 12001


@pytest.fixture
def m(slp_problem):
    return slp_problem


def constrained(m):
    """min (x-2)^2 + (y-1)^2 (a quadratic objective) on x^2 + y^2 <= 1 (a
    formula) and x + y >= -3, x in [-5, 5], y in [-5, 0.9]."""
    x, y = m.add_cols([0, 0], [-5, -5], [5, 0.9])
    circle, lin = m.add_rows("LG", [1, -3], [{}, {x: 1.0, y: 1.0}])
    m.add_coefs([(circle, -1, 1.0, var(x) * var(x) + var(y) * var(y))])
    # 1/2 x'Qx with Q = 2I, and the linear part -4x - 2y (+5 constant dropped).
    m.ok("QRVAchgmqobj", 2, ints([x, y]), ints([x, y]), dbl([2.0, 2.0]))
    m.ok("QRVAchgobj", 2, ints([x, y]), dbl([-4.0, -2.0]))
    m.set_start({x: 3.0, y: -2.0})
    return x, y, circle, lin


def dslp(m, ident):
    return m.dslp(ident)


def vector(m, values):
    suminf, scaled, obj = c_double(), c_double(), c_double()
    m.sok("QSLPvalidatevector", dbl(values), byref(suminf), byref(scaled), byref(obj))
    return suminf.value, scaled.value, obj.value


class TestValidateVector:
    def test_against_a_hand_computation(self, m):
        x, y, circle, lin = constrained(m)
        # (3, -4): circle 25 > 1 by 24 (relative 24), x + y = -1 holds,
        # y within bounds, x within bounds; objective 9 + 16 - 12 + 8 = 21.
        assert vector(m, [3.0, -4.0]) == pytest.approx((24.0, 24.0, 21.0))
        # (-6, 2): circle 40 by 39; x + y = -4 < -3 by 1 (relative 1/3);
        # x below -5 by 1 (relative 1/5); y above 0.9 by 1.1 (relative 1.1).
        suminf, scaled, obj = vector(m, [-6.0, 2.0])
        assert suminf == pytest.approx(39 + 1 + 1 + 1.1)
        assert scaled == pytest.approx(39 + 1 / 3 + 1 / 5 + 1.1)
        assert obj == pytest.approx(36 + 4 + 24 - 4)
        # No solve needed, and nothing changes: a feasible point sums to 0.
        assert vector(m, [0.5, 0.5])[:2] == (0.0, 0.0)

    def test_refusals(self, m):
        x, y, circle, lin = constrained(m)
        code, text = m.sfails("QSLPvalidatevector", dbl([1.0, math.nan]), None, None, None)
        assert code == ERR_ARGUMENT and "vector value nan at position 1" in text
        code, text = m.sfails("QSLPvalidatevector", None, None, None, None)
        assert "argument 'vector' is NULL" in text
        # A point where a formula has no value is refused, not summed.
        m.add_coefs([(lin, x, 1.0, var(y) ** 0.5)])
        code, text = m.sfails("QSLPvalidatevector", dbl([1.0, -1.0]), None, None, None)
        assert code == ERR_STATE and "cannot be evaluated" in text


class TestValidateSolution:
    def test_validation_needs_a_solution(self, m):
        x, y, circle, lin = constrained(m)
        for name, args in (("QSLPvalidate", ()), ("QSLPvalidaterow", (circle,)),
                           ("QSLPvalidatekkt", (0, 0, 0, 1e-6)), ("QSLPsetcurrentiv", ())):
            code, text = m.sfails(name, *args)
            assert code == ERR_STATE and "no nonlinear solution is available" in text
        m.solve()
        m.ok("QRVAaddcols64", 1, 0, dbl([0]), None, None, None, dbl([0]), dbl([1]))
        code, text = m.sfails("QSLPvalidate")
        assert code == ERR_STATE and "changed since the last nonlinear solve" in text

    def test_validate_and_validaterow_report_violations(self, m):
        x, y, circle, lin = constrained(m)
        got = []
        cb = MESSAGE_CB(lambda p, data, msg, length, t: got.append(msg[:length].decode()))
        m.ok("QRVAaddcbmessage", cb, None, 0)
        # One short step from (3, -2): still off the circle.
        m.sok("QSLPchgdeltatype", 2, ints([x, y]), ints([1, 1]), dbl([0.1, 0.1]))
        m.sok("QSLPsetintcontrol", ITERLIMIT, 1)
        m.sok("QSLPsetintcontrol", 12002, 0)
        assert m.solve()[0] == NLP_UNFINISHED
        xs = m.slpsol()[0]
        m.sok("QSLPvalidate")
        worst = dslp(m, VALIDATION_A)
        assert worst == pytest.approx(max(0.0, xs[0] ** 2 + xs[1] ** 2 - 1), abs=1e-9) and worst > 0.1
        assert dslp(m, VALIDATION_R) == pytest.approx(worst)
        assert "largest violation" in got[-1] and "(row 0)" in got[-1]
        m.sok("QSLPvalidaterow", lin)
        assert dslp(m, VALIDATION_A) == 0.0
        assert any(line.startswith("SLP validation: row 1: linear part") for line in got)
        code, text = m.sfails("QSLPvalidaterow", 5)
        assert "row index 5" in text
        m.sok("QSLPsetintcontrol", ITERLIMIT, 1000)
        assert m.solve()[0] == NLP_OPTIMAL
        m.sok("QSLPvalidate")
        assert dslp(m, VALIDATION_A) < 1e-7
        m.ok("QRVAremovecbmessage", MESSAGE_CB(), None)


class TestValidateKkt:
    def test_residual_is_small_at_the_optimum_only(self, m):
        x, y, circle, lin = constrained(m)
        assert m.solve()[0] == NLP_OPTIMAL
        for mode in (0, 1):
            for respect in (0, 1):
                m.sok("QSLPvalidatekkt", mode, respect, 0, 1e-6)
                assert dslp(m, VALIDATION_K) < 1e-6 and m.iattr(KKT_VALIDATED) == 1
        # Two iterations from the start: far from stationary.
        m.sok("QSLPsetintcontrol", ITERLIMIT, 2)
        assert m.solve()[0] == NLP_UNFINISHED
        m.sok("QSLPvalidatekkt", 1, 0, 0, 1e-6)
        assert dslp(m, VALIDATION_K) > 1e-3 and m.iattr(KKT_VALIDATED) == 0
        m.sok("QSLPvalidatekkt", 1, 0, 0, 10.0)
        assert m.iattr(KKT_VALIDATED) == 1  # the target decides

    def test_fresh_multipliers_replace_the_solutions_when_asked(self, m):
        x, y, circle, lin = constrained(m)
        m.solve()
        dual = m.slpsol()[2]
        # The circle's multiplier: grad f = -lambda grad g at (2, 1)/sqrt(5).
        expected = -(math.sqrt(5) - 1)
        assert dual[circle] == pytest.approx(expected, abs=1e-5)
        m.sok("QSLPvalidatekkt", 1, 0, 1, 1e-6)
        assert m.slpsol()[2][circle] == pytest.approx(expected, abs=1e-5)
        for args, why in (((2, 0, 0, 1e-6), "calculationmode is 2"),
                          ((0, 0, 1, 1e-6), "needs calculationmode 1"),
                          ((0, 0, 0, -1.0), "kktviolationtarget -1")):
            code, text = m.sfails("QSLPvalidatekkt", *args)
            assert code == ERR_ARGUMENT and why in text


class TestSolverState:
    def test_setcurrentiv_restarts_from_the_optimum(self, m):
        x, y, circle, lin = constrained(m)
        m.solve()
        first, sol = m.iattr(ITERATIONS), m.slpsol()[0]
        m.sok("QSLPsetcurrentiv")
        init = c_double()
        m.sok("QSLPgetvar", x, None, None, None, None, None, byref(init), None, None, None, None,
              None, None, None, None, None)
        assert init.value == sol[x]
        status, _ = m.solve()
        assert status == NLP_OPTIMAL and m.iattr(ITERATIONS) < first
        assert m.slpsol()[0] == pytest.approx(sol, abs=1e-7)

    def test_reinitialize_forgets_the_solve_and_keeps_settings(self, m):
        x, y, circle, lin = constrained(m)
        m.sok("QSLPchgrowwt", circle, byref(c_double(3.0)))
        m.solve()
        m.sok("QSLPreinitialize")
        assert m.iattr(12044) == 0 and m.iattr(ITERATIONS) == 0
        assert m.sfails("QSLPgetslpsol", None, None, None, None)[0] == ERR_STATE
        w = c_double()
        m.sok("QSLPgetrowwt", circle, byref(w))
        assert w.value == 3.0
        assert m.solve()[0] == NLP_OPTIMAL

    def test_clock_and_message_types(self, m, slp_env):
        t0, t1 = c_double(), c_double()
        m.sok("QSLPgetdtime", byref(t0))
        m.sok("QSLPgetdtime", byref(t1))
        assert 0 <= t0.value <= t1.value < 60
        kind = c_int()
        assert slp_env.QSLPgetmessagetype(0, byref(kind)) == 0 and kind.value == 1
        assert slp_env.QSLPgetmessagetype(3, byref(kind)) == 0 and kind.value == 4
        assert slp_env.QSLPgetmessagetype(99, byref(kind)) == ERR_ARGUMENT
        assert "code 99 is not a return code" in global_error(slp_env)[1]
