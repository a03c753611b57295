"""Quotients over every pair of operand kinds, divisions by zero with their
messages, and the in-place forms."""

import numpy as np
import pytest

import quorva
from algebra_helpers import NONLINEAR, check, describe, hooks, operands, table_cases

DIV = {
    "C V": NONLINEAR, "C L": NONLINEAR, "C Q": NONLINEAR, "C E": NONLINEAR,
    "C A": ["float64:3.0", "float64:1.5"],
    "V C": "linterm:0.333333*x", "V V": "float:1.0", "V L": NONLINEAR, "V Q": NONLINEAR, "V E": NONLINEAR,
    "V A": ["var:x", "linterm:0.5*x"],
    "L C": "linterm:0.666667*y", "L V": NONLINEAR, "L L": "float:1.0", "L Q": NONLINEAR, "L E": NONLINEAR,
    "L A": ["linterm:2*y", "linterm:y"],
    "Q C": "quadterm:0.333333*x*y", "Q V": "linterm:y", "Q L": "linterm:0.5*x", "Q Q": "float:1.0",
    "Q E": NONLINEAR, "Q A": ["quadterm:x*y", "quadterm:0.5*x*y"],
    "E C": "expression:0.333333 +0.333333 x", "E V": NONLINEAR, "E L": NONLINEAR, "E Q": NONLINEAR,
    "E E": NONLINEAR, "E A": ["expression:1 + x", "expression:0.5 +0.5 x"],
    # NumPy divides element by element: each element is a nonlinear quotient.
    "A V": ["nonlinear:(1.0 / x)", "nonlinear:(2.0 / x)"],
    "A L": ["nonlinear:(1.0 / (2*y))", "nonlinear:(2.0 / (2*y))"],
    "A Q": ["nonlinear:(1.0 / (x*y))", "nonlinear:(2.0 / (x*y))"],
    "A E": ["nonlinear:(1.0 / (1 + x))", "nonlinear:(2.0 / (1 + x))"],
}


@pytest.mark.parametrize("left, right, expected", table_cases(DIV))
def test_division_of_every_pair_of_kinds(left, right, expected):
    _, _, kinds = operands()
    check(lambda: kinds[left] / kinds[right], expected)


def test_divisions_that_simplify():
    x, y, _ = operands()
    assert (x / 1) is x
    assert describe(0 / x) == "float:0.0"
    assert describe(x / (2 * x)) == "float:0.5"
    assert describe((2 * x) / x) == "float:2.0"
    assert describe((2 * x * y) / (4 * x)) == "linterm:0.5*y"
    assert describe((2 * x * y) / (4 * y)) == "linterm:0.5*x"
    assert describe((3 * x * y) / (6 * x * y)) == "float:0.5"
    assert describe((x * x) / x) == "linterm:x"
    assert describe((x + 1) / 2) == "expression:0.5 +0.5 x"
    check(lambda: x / (2 * y), NONLINEAR)
    check(lambda: 2 / (x + 1), NONLINEAR)
    check(lambda: (2 * x) / (x * y), NONLINEAR)  # 2 / y
    check(lambda: x / (x * y), NONLINEAR)
    check(lambda: (x * y) / (x * quorva.var("z")), NONLINEAR)  # y / z


@pytest.mark.parametrize("compute, message", [
    (lambda x, y: x / 0, "Division of variable by zero"),
    (lambda x, y: (2 * x) / 0, "Division by zero"),
    (lambda x, y: (x * y) / 0, "Division by zero of a bilinear term"),
    (lambda x, y: (x + 1) / 0.0, "Division by zero"),
    (lambda x, y: (2 * x) / (0 * (x * y)), "Division by zero of a linear term"),
    (lambda x, y: x / (0 * (x * y)), "Division by zero of a variable"),
    (lambda x, y: (x * y) / (0 * (x * y)), "Division by zero of a bilinear term"),
    (lambda x, y: (x * y) / (0 * (x * x)), "Division by zero of a bilinear term"),
])
def test_division_by_zero_messages(compute, message):
    x, y, _ = operands()
    with pytest.raises(quorva.ModelError) as error:
        compute(x, y)
    assert str(error.value) == message


def test_inplace_division():
    x, y, _ = operands()
    v = x
    with pytest.raises(quorva.ModelError, match="^Division by zero$"):
        v /= 0
    v /= 1
    assert v is x
    v /= 4
    assert describe(v) == "linterm:0.25*x" and describe(x) == "var:x"
    t = 2 * x
    t2 = t
    t2 /= 1
    assert t2 is t
    with pytest.raises(quorva.ModelError, match="^Division by zero$"):
        t2 /= 0
    q = x * y
    q2 = q
    q2 /= 1
    assert q2 is q
    with pytest.raises(quorva.ModelError, match="^Division by zero$"):
        q2 /= 0
    q2 /= x
    assert describe(q2) == "linterm:y" and describe(q) == "quadterm:x*y"
    e = x + 2
    f = e
    e /= 1
    assert e is f
    e /= 2
    assert e is f and describe(f) == "expression:1 +0.5 x"
    with pytest.raises(quorva.ModelError, match="^Division by zero$"):
        e /= 0
    assert describe(f) == "expression:1 +0.5 x"
    e /= np.array([1.0, 2.0])
    assert describe(e) == ["expression:1 +0.5 x", "expression:0.5 +0.25 x"]
