"""Formulas of the SLP engine: values of every operator and function, their
derivatives (through the optima they lead the solver to), malformed token
arrays, and the storage of formula coefficients and SLP variables."""
import ctypes
import math
from ctypes import byref, c_double, c_int

import pytest

from conftest import ERR_ARGUMENT, ERR_STATE, problem_error
from engine_model import dbl, ints
from slp_model import const, fn, formulas_of, pack, user, var


@pytest.fixture
def m(slp_problem):
    return slp_problem


X, Y = var(0), var(1)
VALUES = [  # formula at x = 0.5, y = 2
    (X + Y, 2.5), (X - Y, -1.5), (X * Y, 1.0), (X / Y, 0.25), (Y ** 3, 8.0), (-X, -0.5),
    (X ** Y, 0.25), (fn("log10", Y * 50), 2.0), (fn("log", Y), math.log(2)),
    (fn("exp", X), math.exp(0.5)), (fn("abs", X - Y), 1.5), (fn("sqrt", Y), math.sqrt(2)),
    (fn("sin", X), math.sin(0.5)), (fn("cos", X), math.cos(0.5)), (fn("tan", X), math.tan(0.5)),
    (fn("asin", X), math.asin(0.5)), (fn("acos", X), math.acos(0.5)),
    (fn("atan", Y), math.atan(2)), (fn("min", X, Y, -1), -1.0), (fn("max", X, Y), 2.0),
    (fn("sign", X - Y), -1.0), (fn("sign", X - X), 0.0), (fn("erf", X), math.erf(0.5)),
    (fn("erfc", X), math.erfc(0.5)),
    # The pairwise joining of four summands: o1 o2 + o3 o4 + +.
    (X + Y + (X + Y), 5.0),
]


def test_values_of_operators_and_functions(m):
    m.add_cols([0, 0], [-10, -10], [10, 10])
    m.set_start({0: 0.5, 1: 2.0})
    for formula, expected in VALUES:
        assert m.evaluate(formula) == pytest.approx(expected, rel=1e-12), formula.tokens


def _root(f, lo, hi):
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        lo, hi = (mid, hi) if f(lo) * f(mid) > 0 else (lo, mid)
    return 0.5 * (lo + hi)


# min over x in [lo, hi] of the formula, from start: the minimizer is where
# the derivative vanishes, so a wrong derivative leads elsewhere.
DERIVATIVES = [
    ("exp", fn("exp", X) - 2 * X, (-5, 5, 0), math.log(2)),
    ("log", X - 2 * fn("log", X), (0.1, 10, 1), 2.0),
    ("log10", X - 2 * math.log(10) * fn("log10", X), (0.1, 10, 1), 2.0),
    ("sqrt", X - fn("sqrt", X), (0.01, 4, 1), 0.25),
    ("sin", fn("sin", X), (2, 6, 3), 1.5 * math.pi),
    ("cos", fn("cos", X), (1, 5, 2), math.pi),
    ("tan", fn("tan", X) - 2 * X, (-1.2, 1.2, 0), math.pi / 4),
    ("asin", fn("asin", X) - 2 * X, (-0.5, 0.99, 0), math.sqrt(0.75)),
    ("acos", -fn("acos", X) - 2 * X, (-0.5, 0.99, 0), math.sqrt(0.75)),
    ("atan", 0.5 * X * X - fn("atan", X), (-3, 3, 0), _root(lambda t: t ** 3 + t - 1, 0, 1)),
    ("erf", X * X - fn("erf", X), (-3, 3, 0),
     _root(lambda t: t * math.exp(t * t) - 1 / math.sqrt(math.pi), 0, 1)),
    ("erfc", X * X + fn("erfc", X), (-3, 3, 0),
     _root(lambda t: t * math.exp(t * t) - 1 / math.sqrt(math.pi), 0, 1)),
    ("power", X ** X, (0.1, 2, 1), 1 / math.e),
    ("divide", X + 1 / X, (0.1, 10, 3), 1.0),
    ("product", (X - 1) * (X - 3), (-10, 10, 0), 2.0),
]


@pytest.mark.parametrize("name,formula,box,argmin", DERIVATIVES, ids=[d[0] for d in DERIVATIVES])
def test_derivatives_lead_to_the_stationary_point(m, name, formula, box, argmin):
    lo, hi, start = box
    x, t = m.add_cols([0, 1], [lo, -1e20], [hi, 1e20])
    row = m.add_rows("E", [0], [{t: -1.0}])[0]
    m.add_coefs([(row, -1, 1.0, formula)])
    m.set_start({x: start})
    status, _ = m.solve()
    assert status == 1
    assert m.slpsol()[0][x] == pytest.approx(argmin, abs=1e-5)


MALFORMED = [
    ([(10, 0), (10, 1), (31, 5), (31, 5)], "addition needs 2 operands but finds 1 at position 5"),
    ([(10, 0), (10, 1)], "finds 2 values on the stack"),
    ([(22, 0), (10, 0), (12, 27), (22, 0)], "argument-list marker that no function used"),
    ([(10, 0), (12, 27)], "sin has no argument-list marker before its arguments at position 3"),
    ([(22, 0), (10, 0), (10, 1), (12, 27)], "sin takes one argument but has 2"),
    ([(22, 0), (12, 34)], "max has no arguments"),
    ([(10, 7)], "variable token 7 is not a column index (the problem has 2 columns) at position 2"),
    ([(10, 0.5)], "variable token 0.5 is not a column index"),
    ([(1, float("nan"))], "constant nan is not a finite number at position 2"),
    ([(10, 0), (31, 9)], "operator code 9 is not one of"),
    ([(22, 0), (10, 0), (12, 99)], "built-in function code 99 is not known at position 4"),
    ([(22, 0), (10, 0), (11, 1)], "user function 1 is not defined (0 user functions are)"),
    ([(7, 0)], "token type 7 is not one of 0 (end), 1 (constant)"),
]


@pytest.mark.parametrize("tokens,text", MALFORMED, ids=[t for _, t in MALFORMED])
def test_malformed_token_arrays_are_refused_naming_the_position(m, tokens, text):
    m.add_cols([0, 0], [-10, -10], [10, 10])
    m.add_rows("L", [1], [{}])
    good = [(10, 0), (0, 0)]
    types = [t for t, _ in good] + [t for t, _ in tokens] + [0]
    values = [v for _, v in good] + [v for _, v in tokens] + [0]
    # Two formulas: the first is fine, the second (from position 2) is not;
    # positions count in the whole token array.
    code, message = m.sfails("QSLPaddcoefs", 2, ints([0, 0]), ints([0, 1]), dbl([1, 1]),
                             ints([0, 2, len(types)]), 1, ints(types), dbl(values))
    assert code == ERR_ARGUMENT
    assert message.startswith("QSLPaddcoefs: formula 1 (tokens from position 2): ")
    assert text in message
    assert m.iattr(12016) == 0  # nothing was added


def test_formula_running_into_the_next_and_bad_arguments(m):
    m.add_cols([0], [0], [1])
    m.add_rows("L", [1], [{}])
    code, message = m.sfails("QSLPaddcoefs", 2, ints([0, 0]), ints([0, -1]), dbl([1, 1]),
                             ints([0, 1, 3]), 1, ints([10, 10, 0]), dbl([0, 0, 0]))
    assert "formula 0 (tokens from position 0) has no end token (type 0) before position 1" in message
    _, message = m.sfails("QSLPaddcoefs", 1, ints([3]), ints([0]), dbl([1]), ints([0, 2]), 1,
                          ints([10, 0]), dbl([0, 0]))
    assert "row index 3 in 'rowindex' at position 0 is out of range" in message
    _, message = m.sfails("QSLPaddcoefs", 1, ints([0]), ints([0]), dbl([1]), ints([0, 2]), 2,
                          ints([10, 0]), dbl([0, 0]))
    assert "parsed is 2; it must be 1 (parsed form) or 0 (unparsed form)" in message
    # Starts beyond the block of formulas read so far are refused before any
    # token there is touched (nothing else bounds the arrays); a start used
    # twice shares one formula.
    for starts in ([10 ** 7], [2], [0, 5]):
        _, message = m.sfails("QSLPaddcoefs", len(starts), ints([0] * len(starts)),
                              ints(list(range(len(starts)))[:1] + [-1] * (len(starts) - 1)),
                              None, ints(starts), 1, ints([10, 0]), dbl([0, 0]))
        assert "is beyond the formulas read so far (they end at token" in message
    m.sok("QSLPaddcoefs", 2, ints([0, 0]), ints([0, -1]), None, ints([0, 0]), 1,
          ints([10, 0]), dbl([0, 0]))
    assert m.iattr(12016) == 2


def test_coefficients_are_stored_summed_read_changed_and_deleted(m):
    m.add_cols([0, 0], [-10, -10], [10, 10])
    m.add_rows("LL", [1, 1], [{}, {}])
    m.set_start({0: 0.5, 1: 2.0})
    # Two terms at the same place are summed: 2 sin(x) + 3 cos(x).
    m.add_coefs([(0, -1, 2.0, fn("sin", X)), (0, -1, 3.0, fn("cos", X)), (1, 1, 1.5, X * X)])
    assert (m.iattr(12016), m.iattr(12026)) == (2, 2)
    out = c_double()
    m.sok("QSLPevaluatecoef", 0, -1, byref(out))
    assert out.value == pytest.approx(2 * math.sin(0.5) + 3 * math.cos(0.5))
    m.sok("QSLPevaluatecoef", 1, 1, byref(out))
    assert out.value == pytest.approx(1.5 * 0.25)
    n, rows, cols = c_int(), (c_int * 2)(), (c_int * 2)()
    m.sok("QSLPgetcoefs", byref(n), rows, cols)
    assert (n.value, list(rows), list(cols)) == (2, [0, 1], [-1, 1])
    # Read back as tokens and loaded again, the formula keeps its value.
    factor, count = c_double(), c_int()
    m.sok("QSLPgetcoefformula", 1, 1, byref(factor), 1, 0, byref(count), None, None)
    types, values = (c_int * count.value)(), (c_double * count.value)()
    assert "maxtokens is 2" in m.sfails("QSLPgetcoefformula", 1, 1, None, 1, 2, byref(count),
                                        types, values)[1]
    m.sok("QSLPgetcoefformula", 1, 1, byref(factor), 1, count.value, byref(count), types, values)
    assert factor.value == 1.5 and list(types) == [10, 10, 31, 0]
    m.sok("QSLPchgcoef", 1, 1, byref(c_double(4.0)), 1, types, values)
    m.sok("QSLPevaluatecoef", 1, 1, byref(out))
    assert out.value == pytest.approx(1.0)
    m.sok("QSLPchgcoef", 1, 1, byref(c_double(2.0)), 1, None, None)
    m.sok("QSLPevaluatecoef", 1, 1, byref(out))
    assert out.value == pytest.approx(0.5)
    assert "there is no formula coefficient at row 1, column 0 (position 0)" in \
        m.sfails("QSLPdelcoefs", 1, ints([1]), ints([0]))[1]
    m.sok("QSLPdelcoefs", 1, ints([0]), ints([-1]))
    assert (m.iattr(12016), m.iattr(12026)) == (1, 1)
    m.sok("QSLPloadcoefs", 0, None, None, None, None, 1, None, None)
    assert m.iattr(12016) == 0


def test_coefficients_as_formula_text_read_back_token_for_token(m):
    m.add_cols([0, 0, 0], [-10, -10, -10], [10, 10, 10])
    m.add_rows("L", [1], [{}])
    m.set_names(2, ["x", "y(1)"])  # column 2 keeps its generated name C2
    m.set_start({0: 0.5, 1: 2.0, 2: 3.0})
    # A new coefficient starts with the factor 1.
    m.sok("QSLPchgccoef", 0, -1, None, b'sin(x) * "y(1)" ^ 2 + C2 / -4')
    out = c_double()
    m.sok("QSLPevaluatecoef", 0, -1, byref(out))
    assert out.value == pytest.approx(math.sin(0.5) * 4 - 0.75)
    tokens = formulas_of(m)[(0, -1)]
    factor, text = c_double(), ctypes.create_string_buffer(200)
    m.sok("QSLPgetccoef", 0, -1, byref(factor), text, 200)
    assert factor.value == 1.0 and text.value == b'sin(x) * "y(1)" ^ 2 + C2 / -4'
    m.sok("QSLPchgccoef", 0, -1, byref(c_double(2.5)), text.value)
    assert formulas_of(m)[(0, -1)] == (2.5, tokens[1])
    m.sok("QSLPchgccoef", 0, -1, byref(c_double(-1.0)), None)  # the factor alone
    m.sok("QSLPgetccoef", 0, -1, byref(factor), None, 0)
    assert factor.value == -1.0
    for args, message in [
            ((0, -1, None, text, 20), "maxbytes is 20; the formula text needs 30 bytes"),
            ((0, 0, byref(factor), text, 200), "there is no formula coefficient at row 0, "
                                               "column 0")]:
        assert m.sfails("QSLPgetccoef", *args)[1].startswith("QSLPgetccoef: " + message)
    for args, message in [
            ((0, -1, None, b"x + z"), "the formula text"),
            ((0, -1, None, b"x +"), "the formula text"),
            ((0, 1, None, None), "there is no formula coefficient at row 0, column 1"),
            ((0, -1, byref(c_double(math.inf)), b"x"), "factor inf is not a finite number")]:
        assert m.sfails("QSLPchgccoef", *args)[1].startswith("QSLPchgccoef: " + message)
    assert formulas_of(m)[(0, -1)] == (-1.0, tokens[1])


def test_deleting_rows_and_columns_renumbers_formulas(m):
    m.add_cols([0, 0, 0], [0, 0, 0], [5, 5, 5])
    m.add_rows("LLL", [1, 1, 1], [{}, {}, {}])
    m.add_coefs([(0, -1, 1.0, var(2)), (2, 1, 1.0, var(2) * 2)])
    m.set_start({2: 3.0})
    m.ok("QRVAdelrows", 1, ints([1]))
    m.ok("QRVAdelcols", 1, ints([0]))
    n, rows, cols = c_int(), (c_int * 2)(), (c_int * 2)()
    m.sok("QSLPgetcoefs", byref(n), rows, cols)
    assert (list(rows), list(cols)) == ([0, 1], [-1, 0])
    out = c_double()
    m.sok("QSLPevaluatecoef", 1, 0, byref(out))  # the formula now reads column 1
    assert out.value == pytest.approx(6.0)
    # A column a formula reads cannot go; a coefficient's own column can.
    assert m.lib.QRVAdelcols(m.prob, 1, ints([1])) == ERR_STATE
    assert "column 1 is used in the formula of coefficient (row 0, column -1)" in \
        problem_error(m.lib, m.prob)
    m.ok("QRVAdelcols", 1, ints([0]))
    assert m.iattr(12016) == 1


def test_slp_variables(m):
    m.add_cols([0, 0], [0, 0], [5, 5])
    m.sok("QSLPaddvars", 1, ints([1]), None, None, None, None, dbl([2.5]), dbl([0.5]))
    assert m.iattr(12030) == 1
    init, step, value = c_double(), c_double(), c_double()
    m.sok("QSLPgetvar", 1, None, byref(step), None, None, None, byref(init), byref(value),
          None, None, None, None, None, None, None, None)
    assert (init.value, step.value) == (2.5, 0.5)
    assert "initstepbound -1 is negative" in m.sfails(
        "QSLPchgvar", 0, None, byref(c_double(-1)), None, None, None, None, None, None, None,
        None, None)[1]
    assert "column 0 at position 0 has no SLP settings" in m.sfails("QSLPdelvars", 1, ints([0]))[1]
    m.sok("QSLPdelvars", 1, ints([1]))
    assert m.iattr(12030) == 0
    assert "no nonlinear solution is available" in m.sfails("QSLPgetslpsol", None, None, None, None)[1]


def test_domain_errors_are_reported_with_the_token(m):
    m.add_cols([0], [-5], [5])
    m.set_start({0: -1.0})
    for formula, text in [(fn("log", X), "log of -1 (token 2)"), (1 / (X + 1), "division by zero (token 4)"),
                          (fn("sqrt", X), "sqrt of -1"), (X ** 0.5, "power of a negative number")]:
        _, types, values = pack([formula])
        out = c_double()
        code, message = m.sfails("QSLPevaluateformula", 1, ints(types), dbl(values), byref(out))
        assert code == ERR_STATE and text in message, message
