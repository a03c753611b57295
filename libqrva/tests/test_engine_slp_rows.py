"""The SLP's settings of rows (statuses and penalty weights) and steps (delta
types), and what a solve's linearizations report per column and row: each
changes or describes a real solve."""
import math
from ctypes import byref, c_double, c_int

import pytest

from conftest import ERR_ARGUMENT, ERR_STATE
from engine_model import dbl, ints
from slp_model import var

NLP_OPTIMAL = 1
NONLINEAR, ENFORCED, IGNORED = 0x1, 0x2, 0x4
COL_VALUE, COL_RDJ, COL_DELTAINDEX, COL_DELTA, COL_DELTADJ, COL_UPDATEROW, COL_SB, COL_SBDUAL = range(1, 9)
ROW_SLACK, ROW_DUAL, ROW_NUMERRORS, ROW_MAXERROR, ROW_TOTALERROR, ROW_CURERROR, ROW_FACTOR, \
    ROW_PLUS, ROW_PLUSVALUE, ROW_PLUSDJ, ROW_MINUS, ROW_MINUSVALUE, ROW_MINUSDJ = range(1, 14)


@pytest.fixture
def m(slp_problem):
    return slp_problem


def circle_and_product(m):
    """min (x-2)^2 + (y-1)^2 on sqrt(x^2+y^2) <= 1 and x*y >= 0.3, from (3, -2):
    the optimum is the circle's point nearest (2, 1)."""
    x, y = m.add_cols([0, 0], [-5, -5], [5, 5])
    circle, product = m.add_rows("LG", [1, 0.3], [{}, {}])
    X, Y = var(x), var(y)
    m.add_coefs([(circle, -1, 1.0, (X * X + Y * Y + 1e-12) ** 0.5), (product, -1, 1.0, X * Y)])
    t = m.add_cols([1], [-1e20], [1e20])[0]
    objrow = m.add_rows("E", [0], [{t: -1.0}])[0]
    m.add_coefs([(objrow, -1, 1.0, (X - 2) ** 2 + (Y - 1) ** 2)])
    m.set_start({x: 3.0, y: -2.0})
    return x, y, circle, product


OPTIMUM = [2 / math.sqrt(5), 1 / math.sqrt(5)]


def rowinfo(m, kind, row, as_int=False):
    v = c_int() if as_int else c_double()
    m.sok("QSLPgetrowinfo", kind, row, byref(v))
    return v.value


def colinfo(m, kind, col, as_int=False):
    v = c_int() if as_int else c_double()
    m.sok("QSLPgetcolinfo", kind, col, byref(v))
    return v.value


def status_of(m, row):
    v = c_int()
    m.sok("QSLPgetrowstatus", row, byref(v))
    return v.value


class TestRowWeights:
    def test_weights_change_the_path_but_not_the_optimum(self, m):
        x, y, circle, product = circle_and_product(m)
        m.sok("QSLPsetdblcontrol", 12103, 1.0)  # a penalty small enough for the weights to matter
        status, obj = m.solve()
        heavy = (m.iattr(12040), rowinfo(m, ROW_NUMERRORS, circle, True))
        assert status == NLP_OPTIMAL and m.slpsol()[0][:2] == pytest.approx(OPTIMUM, abs=1e-6)
        assert heavy[1] == 0  # at weight 1 the circle's error vectors stay unused
        m.sok("QSLPchgrowwt", circle, byref(c_double(1e-3)))
        m.sok("QSLPchgrowwt", product, byref(c_double(2e-3)))
        status2, obj2 = m.solve()
        assert status2 == NLP_OPTIMAL and obj2 == pytest.approx(obj, abs=1e-8)
        assert m.slpsol()[0][:2] == pytest.approx(OPTIMUM, abs=1e-6)
        light = (m.iattr(12040), rowinfo(m, ROW_NUMERRORS, circle, True))
        assert light[1] > 0 and light != heavy
        assert rowinfo(m, ROW_TOTALERROR, circle) > 0
        # The error vectors' cost is the (raised) penalty times the weight.
        assert rowinfo(m, ROW_FACTOR, product) == pytest.approx(2 * rowinfo(m, ROW_FACTOR, circle))

    def test_weights_are_read_back_kept_by_a_copy_and_checked(self, m):
        x, y, circle, product = circle_and_product(m)
        w = c_double()
        m.sok("QSLPgetrowwt", circle, byref(w))
        assert w.value == 1.0
        m.sok("QSLPchgrowwt", circle, byref(c_double(4.0)))
        m.sok("QSLPgetrowwt", circle, byref(w))
        assert w.value == 4.0
        for bad in (0.0, -1.0, math.inf, math.nan):
            code, text = m.sfails("QSLPchgrowwt", circle, byref(c_double(bad)))
            assert code == ERR_ARGUMENT and "is not a finite positive number" in text
        code, text = m.sfails("QSLPchgrowwt", 99, byref(c_double(1.0)))
        assert "row index 99 in 'row' is out of range" in text
        m.sok("QSLPgetrowwt", circle, byref(w))
        assert w.value == 4.0  # refusals left it
        # Deleting a row before it moves the weight with the row.
        m.ok("QRVAdelrows", 1, ints([product]))
        m.sok("QSLPgetrowwt", circle, byref(w))
        assert w.value == 4.0


class TestRowStatuses:
    def test_nonlinear_bit_and_settable_bits(self, m):
        x, y, circle, product = circle_and_product(m)
        linear = m.add_rows("L", [10], [{x: 1.0, y: 1.0}])[0]
        assert status_of(m, circle) == NONLINEAR and status_of(m, linear) == 0
        m.sok("QSLPchgrowstatus", circle, byref(c_int(ENFORCED | NONLINEAR)))
        assert status_of(m, circle) == NONLINEAR | ENFORCED
        for bad, why in ((ENFORCED | IGNORED, "also ignored"), (0x10, "has bits other than")):
            code, text = m.sfails("QSLPchgrowstatus", circle, byref(c_int(bad)))
            assert code == ERR_ARGUMENT and why in text
        assert status_of(m, circle) == NONLINEAR | ENFORCED

    def test_an_enforced_row_keeps_the_iterates_on_it(self, m):
        x, y, circle, product = circle_and_product(m)
        m.sok("QSLPchgrowstatus", circle, byref(c_int(ENFORCED)))
        status, obj = m.solve()
        assert status == NLP_OPTIMAL and m.slpsol()[0][:2] == pytest.approx(OPTIMUM, abs=1e-6)
        assert rowinfo(m, ROW_NUMERRORS, circle, True) == 0
        assert rowinfo(m, ROW_MAXERROR, circle) == 0.0

    def test_an_ignored_row_leaves_the_solve(self, m):
        x, y, circle, product = circle_and_product(m)
        m.sok("QSLPchgrowstatus", circle, byref(c_int(IGNORED)))
        status, obj = m.solve()
        # Without the circle the optimum is (2, 1) itself; its slack tells the violation.
        assert status == NLP_OPTIMAL and obj == pytest.approx(0, abs=1e-8)
        xs, slack, _, _ = m.slpsol()
        assert xs[:2] == pytest.approx([2, 1], abs=1e-5)
        assert slack[circle] == pytest.approx(1 - math.sqrt(5), abs=1e-5)
        m.sok("QSLPchgrowstatus", circle, byref(c_int(0)))
        assert m.solve()[1] == pytest.approx((math.sqrt(5) - 1) ** 2, abs=1e-6)


class TestDeltaTypes:
    def test_step_bounds_follow_the_delta_type(self, m):
        x, y, circle, product = circle_and_product(m)
        m.sok("QSLPsetintcontrol", 12001, 1)  # one linearization: its step bounds are the first ones
        m.sok("QSLPchgdeltatype", 2, ints([x, y]), ints([1, 3]), dbl([0.25, 0.1]))
        m.solve()
        assert colinfo(m, COL_SB, x) == pytest.approx(0.25)  # absolute: radius 1 times 0.25
        assert colinfo(m, COL_SB, y) == pytest.approx(0.1)   # capped at 0.1
        assert abs(colinfo(m, COL_DELTA, x)) <= 0.25 + 1e-9
        m.sok("QSLPchgdeltatype", 1, ints([x]), ints([2]), dbl([0.5]))
        m.solve()
        assert colinfo(m, COL_SB, x) == pytest.approx(0.5 * 3.0)  # relative to |x| = 3
        # Smaller steps may reach the other branch of x*y >= 0.3: a local optimum all the same.
        m.sok("QSLPsetintcontrol", 12001, 1000)
        status, obj = m.solve()
        xs = m.slpsol()[0]
        assert status == NLP_OPTIMAL and xs[x] * xs[y] >= 0.3 - 1e-6

    def test_bad_delta_types_change_nothing(self, m):
        x, y, circle, product = circle_and_product(m)
        m.sok("QSLPchgdeltatype", 1, ints([x]), ints([1]), dbl([0.25]))
        for types, values, why in (([1, 4], [0.5, 1.0], "delta type 4 at position 1"),
                                   ([1, 1], [0.5, 0.0], "value 0 at position 1"),
                                   ([0, 1], [math.inf, 0.5], "value inf at position 0")):
            code, text = m.sfails("QSLPchgdeltatype", 2, ints([x, y]), ints(types), dbl(values))
            assert code == ERR_ARGUMENT and why in text
        code, text = m.sfails("QSLPchgdeltatype", 1, ints([x]), ints([1]), None)
        assert "needs a value" in text
        m.sok("QSLPsetintcontrol", 12001, 1)
        m.solve()
        assert colinfo(m, COL_SB, x) == pytest.approx(0.25)


class TestSolveInformation:
    def test_column_and_row_information_of_a_solve(self, m):
        x, y, circle, product = circle_and_product(m)
        t = 2  # the objective's free column, determined by its row
        status, obj = m.solve()
        xs, slack, dual, dj = m.slpsol()
        assert colinfo(m, COL_VALUE, x) == xs[x]
        assert colinfo(m, COL_RDJ, y) == dj[y]
        assert colinfo(m, COL_DELTAINDEX, x, True) == x
        assert colinfo(m, COL_DELTAINDEX, t, True) == -1
        assert colinfo(m, COL_UPDATEROW, t, True) == 2 and colinfo(m, COL_UPDATEROW, x, True) == -1
        assert abs(colinfo(m, COL_DELTA, x)) < 1e-5  # converged: the last step is tiny
        assert colinfo(m, COL_SB, x) > 0 and colinfo(m, COL_SB, t) == 1e20
        assert rowinfo(m, ROW_SLACK, circle) == slack[circle]
        assert rowinfo(m, ROW_DUAL, circle) == dual[circle] != 0
        # The linearization's columns: 3 problem columns, then two per nonlinear row.
        assert [rowinfo(m, k, circle, True) for k in (ROW_PLUS, ROW_MINUS)] == [3, 4]
        assert [rowinfo(m, k, product, True) for k in (ROW_PLUS, ROW_MINUS)] == [5, 6]
        assert rowinfo(m, ROW_FACTOR, circle) == pytest.approx(1000.0)
        assert rowinfo(m, ROW_CURERROR, circle) == pytest.approx(0, abs=1e-9)
        # The active circle's error vectors price at the penalty minus the multiplier.
        assert rowinfo(m, ROW_PLUSDJ, circle) + rowinfo(m, ROW_MINUSDJ, circle) == \
            pytest.approx(2000.0, abs=1e-6)

    def test_information_needs_a_solve_and_good_arguments(self, m):
        x, y, circle, product = circle_and_product(m)
        assert colinfo(m, COL_VALUE, x) == 3.0  # the current point: the initial value
        code, text = m.sfails("QSLPgetcolinfo", COL_SB, x, byref(c_double()))
        assert code == ERR_STATE and "no nonlinear solution is available" in text
        code, text = m.sfails("QSLPgetrowinfo", ROW_DUAL, circle, byref(c_double()))
        assert code == ERR_STATE
        m.solve()
        for fn, kind in (("QSLPgetcolinfo", 9), ("QSLPgetrowinfo", 0), ("QSLPgetrowinfo", 14)):
            code, text = m.sfails(fn, kind, 0, byref(c_double()))
            assert code == ERR_ARGUMENT and "infotype %d is not a" % kind in text
        code, text = m.sfails("QSLPgetrowinfo", ROW_SLACK, 7, byref(c_double()))
        assert "row index 7" in text
        code, text = m.sfails("QSLPgetcolinfo", COL_VALUE, x, None)
        assert "argument 'info' is NULL" in text


def test_row_and_step_settings_travel_through_a_file(m, tmp_path):
    x, y, circle, product = circle_and_product(m)
    m.sok("QSLPchgrowwt", circle, byref(c_double(0.25)))
    m.sok("QSLPchgrowstatus", product, byref(c_int(ENFORCED)))
    m.sok("QSLPchgdeltatype", 1, ints([y]), ints([2]), dbl([0.5]))
    path = tmp_path / "settings.mps"
    m.sok("QSLPwriteprob", str(path).encode(), b"")
    text = path.read_text()
    assert "SLPROWS\n    R0 ST 0 WT 0.25\n    R1 ST 2 WT 1\n" in text
    assert " DT 2 DV 0.5" in text
    m.sok("QSLPchgrowwt", circle, byref(c_double(1.0)))
    m.sok("QSLPchgrowstatus", product, byref(c_int(0)))
    m.sok("QSLPreadprob", str(path).encode(), b"")
    w = c_double()
    m.sok("QSLPgetrowwt", circle, byref(w))
    assert w.value == 0.25 and status_of(m, product) == NONLINEAR | ENFORCED
    m.sok("QSLPsetintcontrol", 12001, 1)
    m.solve()
    assert colinfo(m, COL_SB, y) == pytest.approx(0.5 * 2.0)  # relative to |y| = 2
    # A file with a status the engine does not know is refused whole.
    path.write_text(text.replace("R1 ST 2", "R1 ST 8"))
    code, message = m.sfails("QSLPreadprob", str(path).encode(), b"")
    assert "row status 8 is not 0, 2 (enforced) or 4 (ignored)" in message
    m.sok("QSLPgetrowwt", circle, byref(w))
    assert w.value == 0.25
