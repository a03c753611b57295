"""Powers over every pair of operand kinds, absolute values, and the
in-place forms."""

import numpy as np
import pytest

import quorva
from algebra_helpers import NONLINEAR, check, describe, operands, table_cases

VECTOR_EXPONENT = "Cannot obtain a power with a vector as an exponent"

POW = {
    "C V": NONLINEAR, "C L": NONLINEAR, "C Q": NONLINEAR, "C E": NONLINEAR,
    "C A": ["float64:3.0", "float64:9.0"],
    "V C": NONLINEAR, "V V": NONLINEAR, "V L": NONLINEAR, "V Q": NONLINEAR, "V E": NONLINEAR,
    "L C": NONLINEAR, "L V": NONLINEAR, "L L": NONLINEAR, "L Q": NONLINEAR, "L E": NONLINEAR,
    "Q C": NONLINEAR, "Q V": NONLINEAR, "Q L": NONLINEAR, "Q Q": NONLINEAR, "Q E": NONLINEAR,
    "E C": NONLINEAR, "E V": NONLINEAR, "E L": NONLINEAR, "E Q": NONLINEAR, "E E": NONLINEAR,
    # NumPy raises element by element; 1 to any quadratic power is 1.0.
    "A V": ["nonlinear:(1.0 ** x)", "nonlinear:(2.0 ** x)"],
    "A L": ["nonlinear:(1.0 ** (2*y))", "nonlinear:(2.0 ** (2*y))"],
    "A Q": ["float:1.0", "nonlinear:(2.0 ** (x*y))"],
    "A E": ["float:1.0", "nonlinear:(2.0 ** (1 + x))"],
}


@pytest.mark.parametrize("left, right, expected", table_cases(POW))
def test_power_of_every_pair_of_kinds(left, right, expected):
    _, _, kinds = operands()
    check(lambda: kinds[left] ** kinds[right], expected)


@pytest.mark.parametrize("base", ["V", "L", "Q", "E"])
def test_a_vector_exponent_is_refused(base):
    _, _, kinds = operands()
    with pytest.raises(quorva.ModelError) as error:
        kinds[base] ** kinds["A"]
    assert str(error.value) == VECTOR_EXPONENT


def test_exponents_zero_one_and_two():
    x, y, _ = operands()
    t, q, e = 2 * x, x * y, x + y
    assert describe(x ** 0) == describe(t ** 0) == describe(q ** 0) == describe(e ** 0) == "float:1.0"
    assert (x ** 1) is x and (t ** 1) is t
    assert describe(q ** 1) == "quadterm:x*y" and (q ** 1) is not q
    assert describe(e ** 1) == "expression:  x + y" and (e ** 1) is not e
    assert describe(x ** 2) == "quadterm:x**2" and describe(pow(x, 2, 7)) == "quadterm:x**2"
    assert describe(t ** 2) == "quadterm:4*x**2"
    assert describe(e ** 2) == "expression:  x**2 +2 x*y + y**2"
    assert describe(1 ** q) == "float:1.0"
    check(lambda: (2 * x) ** 3, NONLINEAR)
    check(lambda: ((x + y) ** 2) ** 2, NONLINEAR)
    check(lambda: q ** 2, NONLINEAR)


def test_inplace_powers():
    x, y, _ = operands()
    v = x
    v **= 1
    assert v is x
    v **= 0
    assert describe(v) == "float:1.0"
    t = 2 * x
    t2 = t
    t2 **= 1
    assert t2 is t
    t2 **= 2
    assert describe(t2) == "quadterm:4*x**2" and describe(t) == "linterm:2*x"
    q = x * y
    q2 = q
    q2 **= 1
    assert q2 is q
    q2 **= 0
    assert describe(q2) == "float:1.0"
    e = x + 1
    f = e
    e **= 1
    assert e is f
    e **= 2
    assert describe(e) == "expression:1 +2 x + x**2" and describe(f) == "expression:1 + x"
    e = x + 1
    e **= 0
    assert describe(e) == "float:1.0"
    with pytest.raises(quorva.ModelError, match=VECTOR_EXPONENT):
        f **= np.array([1.0])


def test_absolute_value_is_nonlinear():
    x, y, _ = operands()
    for obj in (x, 2 * x, x * y, x + 1):
        check(lambda: abs(obj), NONLINEAR)
