"""Operand classification, the generic arithmetic of the cumulative
operators, and the operands that are no operands at all."""

import numpy as np
import pytest

import quorva
from algebra_helpers import NONLINEAR, check, describe, hooks, operands

INVALID = "Invalid object in operation"


def test_operand_kinds():
    x, y, kinds = operands()
    assert [hooks._getExprType(kinds[k])[0] for k in "CVLQE"] == [0, 1, 2, 3, 4]
    for constant in (True, 7, 2.5, np.int32(1), np.int64(1), np.longlong(1), np.float32(1), np.float64(1)):
        assert hooks._getExprType(constant) == (0, None, False), type(constant)
    for bad in (np.int8(1), np.int16(1), np.uint32(1), np.float16(1), np.bool_(True), 1j, np.complex128(1),
                "x", b"x", [x], (x,), None, {}, np.array([1.0])):
        assert hooks._getExprType(bad) == (-1, INVALID, True), repr(bad)


def test_general_copy():
    x, y, kinds = operands()
    assert hooks._general_copy(x, 1) is x
    assert describe(hooks._general_copy(x, 0)) == "float:0.0"
    assert describe(hooks._general_copy(x, 2)) == "linterm:2*x"
    assert describe(hooks._general_copy(3, 2)) == "float:6.0"
    three = 3
    assert hooks._general_copy(three, 1) is three
    assert describe(hooks._general_copy(kinds["L"], -1)) == "linterm:-2*y"
    assert describe(hooks._general_copy(kinds["Q"], 0.5)) == "quadterm:0.5*x*y"
    e = kinds["E"]
    copy = hooks._general_copy(e, 1)
    assert copy is not e and describe(copy) == "expression:1 + x"
    assert describe(hooks._general_copy(e, 0)) == "expression:0"
    array = np.array([1.0, 2.0])
    same = hooks._general_copy(array, 1)
    assert same is not array and list(same) == [1.0, 2.0]
    assert list(hooks._general_copy(np.array([1, 2]), 1.5)) == [1.5, 3.0]
    with pytest.raises(quorva.ModelError, match="^Invalid object being copied$"):
        hooks._general_copy("x", 1)


def test_general_negation():
    x, y, kinds = operands()
    assert [describe(hooks._general_neg(kinds[k])) for k in "CVLQE"] == [
        "float:-3.0", "linterm:-1*x", "linterm:-2*y", "quadterm:-1*x*y", "expression:-1 - x"]
    assert list(hooks._general_neg(np.array([1.0]))) == [-1.0]
    with pytest.raises(quorva.ModelError, match=INVALID):
        hooks._general_neg("x")


def test_accumulation_steps_follow_precedence():
    x, y, kinds = operands()
    assert hooks._general_iadd(None, x) is x
    assert hooks._general_mul(x, None) is x
    assert describe(hooks._general_iadd(2, 3)) == "float:5.0"
    assert describe(hooks._general_mul(2, 3)) == "float:6.0"
    assert describe(hooks._general_iadd(x, 2 * x)) == "linterm:3*x"
    assert describe(hooks._general_iadd(3, x)) == "expression:3 + x"
    assert describe(hooks._general_mul(x, y)) == "quadterm:x*y"
    assert describe(hooks._general_imul(2 * x, y)) == "quadterm:2*x*y"
    e = x + 1
    assert hooks._general_iadd(e, y) is e and describe(e) == "expression:1 + x + y"
    assert hooks._general_imul(e, 2) is e and describe(e) == "expression:2 +2 x +2 y"
    assert describe(hooks._general_iadd(y, x + 1)) == "expression:1 + x + y"
    assert describe(hooks._general_imul(3, x + 1)) == "expression:3 +3 x"
    assert describe(hooks._general_mul(np.array([1.0, 2.0]), x)) == ["var:x", "linterm:2*x"]
    acc = np.array([1.0, 2.0])
    assert describe(hooks._general_iadd(acc, x)) == ["expression:1 + x", "expression:2 + x"]
    check(lambda: hooks._general_mul(x * y, x), NONLINEAR)
    for step in (hooks._general_iadd, hooks._general_mul, hooks._general_imul):
        with pytest.raises(quorva.ModelError, match=INVALID):
            step(x, "y")
        with pytest.raises(quorva.ModelError, match=INVALID):
            step(np.int8(2), 3)


def test_constant_helpers():
    assert hooks._constant_add(2, 3.5) == 5.5 and hooks._constant_mul(2, np.float32(3)) == 6.0
    assert list(hooks._constant_add(1, np.array([1, 2]))) == [2, 3]
    assert list(hooks._constant_mul(np.array([1, 2]), 2)) == [2, 4]


def test_results_of_cumulated_operators_become_modeling_objects():
    x, y, _ = operands()
    assert describe(hooks._convert_const_to_expr(2.5)) == "expression:2.5"
    assert describe(hooks._convert_const_to_expr(np.int32(4))) == "expression:4"
    assert hooks._convert_const_to_expr(x) is x
    objects = np.array([x, 2 * y], dtype=object)
    assert hooks._convert_const_to_expr(objects) is objects
    mixed = np.array([[x, 2.0], [3, y]], dtype=object)
    converted = hooks._convert_const_to_expr(mixed)
    assert converted.shape == (2, 2) and converted[0, 0] is x and converted[1, 1] is y
    assert describe(converted) == ["var:x", "expression:2", "expression:3", "var:y"]
    assert describe(mixed) == ["var:x", "float:2.0", "int:3", "var:y"]  # the input is untouched
    assert describe(hooks._convert_const_to_expr(np.array([1.5, 2.0]))) == ["expression:1.5", "expression:2"]
    assert describe(hooks._convert_const_to_expr(np.arange(2))) == ["expression:0", "expression:1"]
    assert describe(hooks._convert_const_to_expr(np.array([1, 2], dtype=np.int8))) == [
        "expression:1", "expression:2"]
    with pytest.raises(quorva.ModelError, match="^Invalid object in place of expression/constant$"):
        hooks._convert_const_to_expr(np.array([x, "s"], dtype=object))
    for bad in ("s", None, np.array(["a"]), np.array([1j])):
        with pytest.raises(quorva.ModelError,
                           match=r"^Wrong expression resulting from cumulated operator \(Sum, Prod, Dot\)$"):
            hooks._convert_const_to_expr(bad)


BAD_OPERANDS = ["text", b"bytes", [1], (1,), None, {"a": 1}, 1j, np.int8(3), np.uint16(3), np.bool_(True),
                np.float16(1), np.complex64(1), object()]

MESSAGES = {
    ("V", "+"): "Invalid operands in addition", ("V", "-"): "Invalid operands in subtraction",
    ("V", "*"): "Invalid operands in multiplication", ("V", "/"): "Invalid operands in division",
    ("V", "**"): "Invalid operands in power",
    ("L", "+"): "Invalid operands in sum", ("L", "-"): "Invalid operands in sum",
    ("L", "*"): "Invalid operands in product of linear terms",
    ("L", "/"): "Invalid operands in product of linear terms", ("L", "**"): "Invalid operands in power",
    ("Q", "+"): "Invalid operands in sum with quadratic term",
    ("Q", "-"): "Invalid operands in sum with quadratic term",
    ("Q", "*"): INVALID, ("Q", "/"): INVALID, ("Q", "**"): INVALID,
    ("E", "+"): INVALID, ("E", "-"): INVALID, ("E", "*"): INVALID, ("E", "/"): INVALID, ("E", "**"): INVALID,
}


@pytest.mark.parametrize("kind", ["V", "L", "Q", "E"])
@pytest.mark.parametrize("op", ["+", "-", "*", "/", "**"])
def test_bad_operands_raise_model_errors(kind, op):
    _, _, kinds = operands()
    obj = kinds[kind]
    message = MESSAGES[kind, op]
    for bad in BAD_OPERANDS:
        with pytest.raises(quorva.ModelError) as error:
            eval("obj %s bad" % op)
        assert str(error.value) == message, repr(bad)
        if not isinstance(bad, np.generic):  # NumPy turns its own scalars into Python numbers first
            with pytest.raises(quorva.ModelError) as error:
                eval("bad %s obj" % op)
            assert str(error.value) == message, repr(bad)
        target = obj
        with pytest.raises(quorva.ModelError):
            exec("target %s= bad" % op)
    assert describe(kinds["E"]) == "expression:1 + x"  # failed in-place operations left it alone


def test_huge_integers_raise_instead_of_wrapping():
    x, _, _ = operands()
    with pytest.raises(OverflowError):
        x * 10 ** 400
    with pytest.raises(OverflowError):
        (x + 1) + 10 ** 400
