"""Products over every pair of operand kinds, the affine x affine
expansion, scaling by constants, unary minus and the in-place forms."""

import numpy as np
import pytest

import quorva
from algebra_helpers import NONLINEAR, check, describe, hooks, operands, table_cases

MUL = {
    "C V": "linterm:3*x", "C L": "linterm:6*y", "C Q": "quadterm:3*x*y", "C E": "expression:3 +3 x",
    "C A": ["float64:3.0", "float64:6.0"],
    "V C": "linterm:3*x", "V V": "quadterm:x**2", "V L": "quadterm:2*x*y", "V Q": NONLINEAR,
    "V E": "expression:  x + x**2", "V A": ["var:x", "linterm:2*x"],
    "L C": "linterm:6*y", "L V": "quadterm:2*x*y", "L L": "quadterm:4*y**2", "L Q": NONLINEAR,
    "L E": "expression: 2 y +2 x*y", "L A": ["linterm:2*y", "linterm:4*y"],
    "Q C": "quadterm:3*x*y", "Q V": NONLINEAR, "Q L": NONLINEAR, "Q Q": NONLINEAR, "Q E": NONLINEAR,
    "Q A": ["quadterm:x*y", "quadterm:2*x*y"],
    "E C": "expression:3 +3 x", "E V": "expression:  x + x**2", "E L": "expression: 2 y +2 x*y",
    "E Q": NONLINEAR, "E E": "expression:1 +2 x + x**2", "E A": ["expression:1 + x", "expression:2 +2 x"],
    "A V": ["var:x", "linterm:2*x"], "A L": ["linterm:2*y", "linterm:4*y"],
    "A Q": ["quadterm:x*y", "quadterm:2*x*y"], "A E": ["expression:1 + x", "expression:2 +2 x"],
}


@pytest.mark.parametrize("left, right, expected", table_cases(MUL))
def test_multiplication_of_every_pair_of_kinds(left, right, expected):
    _, _, kinds = operands()
    check(lambda: kinds[left] * kinds[right], expected)


def test_multiplication_by_zero_and_one():
    x, y, _ = operands()
    assert describe(0 * x) == "float:0.0" and describe(x * 0.0) == "float:0.0"
    assert (1 * x) is x and (x * 1.0) is x
    t = 2 * x
    assert describe(0 * t) == "float:0.0" and describe(t * 1) == "linterm:2*x" and (t * 1) is not t
    assert describe(0 * (x * y)) == "quadterm:0*x*y"
    assert describe(0 * (x + 1)) == "expression:0" and describe((x + 1) * 1) == "expression:1 + x"


def test_factor_order_follows_serials():
    x, y, _ = operands()
    assert describe(y * x) == describe(x * y) == "quadterm:x*y"
    q = (3 * y) * (2 * x)
    assert describe(q) == "quadterm:6*x*y"


def test_affine_products_expand_and_sum_both_orders():
    x, y, _ = operands()
    assert describe((x + 1) * (y + 1)) == "expression:1 + x + y + x*y"
    e = (x + y) * (x + y)
    assert hooks._expression_parts(e) == (0.0, [], [(x, x, 1.0), (x, y, 2.0), (y, y, 1.0)], [hash(x), hash(y)])
    assert describe((x + y) * (x - y)) == "expression:  x**2 - y**2"  # the x*y terms cancel
    assert describe(((x + 2) - x) * (y + 1)) == "expression:2 +2 y"


def test_degree_three_and_beyond_is_nonlinear():
    x, y, _ = operands()
    check(lambda: (x + 1) * (x * y), NONLINEAR)
    check(lambda: (2 * x) * (x * y), NONLINEAR)
    check(lambda: ((x + y) * (x + y)) * (x + 1), NONLINEAR)
    check(lambda: x * ((x + y) * (x + y)), NONLINEAR)


def test_quadratic_expression_times_a_constant_is_scaled():
    x, y, _ = operands()
    squares = x * x + y * y
    assert describe(squares * 3) == "expression: 3 x**2 +3 y**2"
    assert describe(squares * ((x + 3) - x)) == "expression: 3 x**2 +3 y**2"
    assert describe(((x + 2) - x) * (x * y)) == "expression: 2 x*y"  # a constant expression only scales


def test_unary_minus_of_each_kind():
    x, y, _ = operands()
    assert describe(-x) == "linterm:-1*x"
    assert describe(-(2 * x)) == "linterm:-2*x"
    assert describe(-(x * y)) == "quadterm:-1*x*y"
    assert describe(-(x + 1)) == "expression:-1 - x"
    for obj in (x, 2 * x, x * y, x + 1):
        with pytest.raises(TypeError):
            +obj  # no unary plus


def test_inplace_product_of_an_expression():
    x, y, _ = operands()
    e = x + 2 * y + 1
    f = e
    e *= 1
    assert e is f
    e *= 2
    assert e is f and describe(f) == "expression:2 +2 x +4 y"
    e *= 1e-200
    e *= 1e-200  # coefficients that underflow to zero leave the maps
    assert hooks._expression_parts(f) == (0.0, [], [], [])
    g = x + 1
    h = g
    g *= 0
    assert describe(g) == "float:0.0" and describe(h) == "expression:1 + x"
    g = x + 1
    g *= y
    assert describe(g) == "expression:  y + x*y"
    g = x + 1
    g *= np.array([1.0, 2.0])
    assert describe(g) == ["expression:1 + x", "expression:2 +2 x"]


def test_inplace_products_of_immutable_kinds():
    x, y, _ = operands()
    t = 2 * x
    before = t
    t *= 1
    assert t is before
    t *= 3
    assert describe(t) == "linterm:6*x" and describe(before) == "linterm:2*x"
    q = x * y
    q2 = q
    q2 *= 1
    assert q2 is q
    q2 *= 2
    assert describe(q) == "quadterm:x*y" and describe(q2) == "quadterm:2*x*y"
    v = x
    v *= 1
    assert v is x
    v *= y
    assert describe(v) == "quadterm:x*y"
