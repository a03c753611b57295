"""Sums and differences over every pair of operand kinds, the special
constants, and the in-place forms (which change expressions only)."""

import operator
import sys

import numpy as np
import pytest

import quorva
from algebra_helpers import check, describe, hooks, operands, table_cases

ADD = {
    "C V": "expression:3 + x", "C L": "expression:3 +2 y", "C Q": "expression:3 + x*y",
    "C E": "expression:4 + x", "C A": ["float64:4.0", "float64:5.0"],
    "V C": "expression:3 + x", "V V": "linterm:2*x", "V L": "expression:  x +2 y",
    "V Q": "expression:  x + x*y", "V E": "expression:1 +2 x",
    "V A": ["expression:1 + x", "expression:2 + x"],
    "L C": "expression:3 +2 y", "L V": "expression:  x +2 y", "L L": "linterm:4*y",
    "L Q": "expression: 2 y + x*y", "L E": "expression:1 + x +2 y",
    "L A": ["expression:1 +2 y", "expression:2 +2 y"],
    "Q C": "expression:3 + x*y", "Q V": "expression:  x + x*y", "Q L": "expression: 2 y + x*y",
    "Q Q": "quadterm:2*x*y", "Q E": "expression:1 + x + x*y",
    "Q A": ["expression:1 + x*y", "expression:2 + x*y"],
    "E C": "expression:4 + x", "E V": "expression:1 +2 x", "E L": "expression:1 + x +2 y",
    "E Q": "expression:1 + x + x*y", "E E": "expression:2 +2 x",
    "E A": ["expression:2 + x", "expression:3 + x"],
    "A V": ["expression:1 + x", "expression:2 + x"], "A L": ["expression:1 +2 y", "expression:2 +2 y"],
    "A Q": ["expression:1 + x*y", "expression:2 + x*y"], "A E": ["expression:2 + x", "expression:3 + x"],
}

SUB = {
    "C V": "expression:3 - x", "C L": "expression:3 -2 y", "C Q": "expression:3 - x*y",
    "C E": "expression:2 - x", "C A": ["float64:2.0", "float64:1.0"],
    "V C": "expression:-3 + x", "V V": "float:0.0", "V L": "expression:  x -2 y",
    "V Q": "expression:  x - x*y", "V E": "expression:-1",
    "V A": ["expression:-1 + x", "expression:-2 + x"],
    "L C": "expression:-3 +2 y", "L V": "expression: - x +2 y", "L L": "float:0.0",
    "L Q": "expression: 2 y - x*y", "L E": "expression:-1 - x +2 y",
    "L A": ["expression:-1 +2 y", "expression:-2 +2 y"],
    "Q C": "expression:-3 + x*y", "Q V": "expression: - x + x*y", "Q L": "expression: -2 y + x*y",
    "Q Q": "quadterm:0*x*y", "Q E": "expression:-1 - x + x*y",
    "Q A": ["expression:-1 + x*y", "expression:-2 + x*y"],
    "E C": "expression:-2 + x", "E V": "expression:1", "E L": "expression:1 + x -2 y",
    "E Q": "expression:1 + x - x*y", "E E": "expression:0",
    "E A": ["expression:  x", "expression:-1 + x"],
    "A V": ["expression:1 - x", "expression:2 - x"], "A L": ["expression:1 -2 y", "expression:2 -2 y"],
    "A Q": ["expression:1 - x*y", "expression:2 - x*y"], "A E": ["expression: - x", "expression:1 - x"],
}


@pytest.mark.parametrize("left, right, expected", table_cases(ADD))
def test_addition_of_every_pair_of_kinds(left, right, expected):
    _, _, kinds = operands()
    check(lambda: kinds[left] + kinds[right], expected)


@pytest.mark.parametrize("left, right, expected", table_cases(SUB))
def test_subtraction_of_every_pair_of_kinds(left, right, expected):
    _, _, kinds = operands()
    check(lambda: kinds[left] - kinds[right], expected)


def test_zero_constants_and_identities():
    x, y, _ = operands()
    assert (x + 0) is x and (x - 0) is x
    assert describe(0 + x) == "expression:  x"  # a constant on the left always builds an expression
    t, q = 2 * x, x * y
    assert describe(t + 0) == "linterm:2*x" and (t + 0) is not t
    assert describe(0 + t) == "linterm:2*x" and describe(0 - t) == "linterm:-2*x"
    assert describe(q + 0) == "quadterm:x*y" and (q + 0) is not q
    assert describe(0 - q) == "quadterm:-1*x*y"
    assert describe((2 * x) + (3 * x)) == "linterm:5*x"
    assert describe(x + 3 * x) == "linterm:4*x" and describe(x - 3 * x) == "linterm:-2*x"
    assert describe(x - 1 * x) == "float:0.0"


def test_sums_that_cancel_print_zero_and_leave_the_maps_empty():
    x, y, _ = operands()
    e = (x + y) - (x + y)
    assert describe(e) == "expression:0"
    assert hooks._expression_parts(e) == (0.0, [], [], [])
    e = (x * y + x) - (x * y)
    constant, linear, quadratic, serials = hooks._expression_parts(e)
    assert linear == [(x, 1.0)] and quadratic == []


def test_sums_of_two_distinct_quadratic_terms():
    x, y, _ = operands()
    e = x * y + 3 * (x * x)
    assert describe(e) == "expression: 3 x**2 + x*y"
    assert hooks._expression_parts(e)[3] == [hash(x), hash(y)]
    assert describe(x * y - y * x) == "quadterm:0*x*y"


def test_inplace_sum_changes_the_expression_and_keeps_its_identity():
    x, y, _ = operands()
    z = quorva.var("z")
    e = x + y
    f = e
    e += z
    assert e is f and describe(f) == "expression:  x + y + z"
    e -= 2 * x
    assert e is f and describe(e) == "expression: - x + y + z"
    e += x * y
    e -= 5
    e += e  # adding an expression to itself doubles it
    assert e is f and describe(e) == "expression:-10 -2 x +2 y +2 z +2 x*y"
    e -= e
    assert e is f and describe(e) == "expression:0"


def test_inplace_sum_with_an_array_gives_an_array():
    x, _, _ = operands()
    e = x + 1
    e += np.array([1.0, 2.0])
    assert describe(e) == ["expression:2 + x", "expression:3 + x"]


def test_inplace_sums_of_immutable_kinds_never_change_them():
    x, y, _ = operands()
    t = 2 * x
    before = t
    t += 0
    assert t is before
    t -= 0
    assert t is before
    t += y
    assert describe(before) == "linterm:2*x" and describe(t) == "expression: 2 x + y"
    q = x * y
    q2 = q
    q2 += 0
    assert q2 is q
    q2 += x * y
    assert describe(q) == "quadterm:x*y" and describe(q2) == "quadterm:2*x*y"
    v = x
    v += 0
    assert v is x
    v += 1
    assert describe(x) == "var:x" and describe(v) == "expression:1 + x"


def test_sum_accumulation_step_accepts_any_accumulator():
    x, y, _ = operands()
    assert describe(hooks._incremental_sum(None, x, 1.0)) == "expression:  x"
    assert describe(hooks._incremental_sum(2, 3, -1.0)) == "float:-1.0"
    assert describe(hooks._incremental_sum(x, y, -1.0)) == "expression:  x - y"
    assert describe(hooks._incremental_sum(2 * x, 4, 1.0)) == "expression:4 +2 x"
    assert describe(hooks._incremental_sum(x * y, 2 * x, 1.0)) == "expression: 2 x + x*y"
    e = x + 1
    assert hooks._incremental_sum(e, y, 1.0) is e and describe(e) == "expression:1 + x + y"


def test_constant_operands_include_numpy_platform_scalars():
    x, _, _ = operands()
    for c in (np.float64(3), np.float32(3), np.int32(3), np.int64(3), np.longlong(3), 3, 3.0, True):
        assert describe(x - c) == ("expression:-1 + x" if c is True else "expression:-3 + x")
        assert describe(c * x) in ("linterm:3*x", "var:x")
