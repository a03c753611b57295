"""Nonlinear expressions: functions, simplifications, printing, the sum that
keeps one linear part, in-place products/quotients/powers, deep trees."""

import math
import sys

import numpy as np
import pytest

import quorva
from quorva import quorvalib

NONLINEAR = type(quorva.exp(quorva.var()))


@pytest.fixture(scope="module")
def v():
    names = "xyzw"
    return {n: quorva.var(name=n) for n in names}


class TestFunctions:
    @pytest.mark.parametrize(
        "name, arg, value",
        [
            ("exp", 1.0, math.e), ("log", math.e, 1.0), ("log10", 100.0, 2.0), ("sin", 0.5, math.sin(0.5)),
            ("cos", 0.5, math.cos(0.5)), ("tan", 0.5, math.tan(0.5)), ("asin", 0.5, math.asin(0.5)),
            ("acos", 0.5, math.acos(0.5)), ("atan", 0.5, math.atan(0.5)), ("abs", -2, 2.0),
            ("sign", -3.0, -1.0), ("sign", 0, 0.0), ("sign", np.float32(2), 1.0), ("erf", 0.5, math.erf(0.5)),
            ("erfc", 0.5, math.erfc(0.5)), ("sqrt", np.int64(9), 3.0),
        ],
    )
    def test_numbers_are_computed_at_once(self, name, arg, value):
        result = getattr(quorva, name)(arg)
        assert type(result) is float
        assert result == pytest.approx(value, rel=1e-15)

    @pytest.mark.parametrize("name", ["exp", "log", "log10", "sin", "cos", "tan", "asin", "acos", "atan", "abs",
                                      "sign", "erf", "erfc", "sqrt"])
    def test_operands_become_nodes(self, v, name):
        node = getattr(quorva, name)(v["x"])
        assert type(node) is NONLINEAR
        assert str(node) == f"{name} (x)"

    def test_arrays_are_mapped_element_by_element(self, v):
        numbers = np.array([[0.0, 1.0], [2.0, 3.0]])
        assert np.allclose(quorva.sin(numbers), np.sin(numbers))
        assert np.allclose(quorva.sqrt(np.array([4, 9])), [2.0, 3.0])  # integers give doubles
        objects = np.array([v["x"], 0.5], dtype=object)
        mapped = quorva.exp(objects)
        assert mapped.shape == (2,) and str(mapped[0]) == "exp (x)" and mapped[1] == pytest.approx(math.exp(0.5))
        assert str(objects[0]) == "x"  # the argument array is not changed
        with pytest.raises(quorva.ModelError, match="^Cannot iterate on sequence of arguments$"):
            quorva.exp(np.array(["a"], dtype=object))

    def test_max_min_user(self, v):
        x, y = v["x"], v["y"]
        assert str(quorva.max()) == "max ()"
        assert str(quorva.max(x, 2 * y, 1)) == "max (x, 2*y, 1)"
        assert str(quorva.min(x, y)) == "min (x, y)"
        assert str(quorva.user(math.hypot, x, y)) == "user (user, x, y)"
        assert str(quorva.user(math.hypot, x, derivatives=True)) == "user (user, x)"

    @pytest.mark.parametrize(
        "call, message",
        [
            (lambda x, y: quorva.sin((x, y)),
             "Could not create a unary nonlinear expression: the argument must be a single expression"),
            (lambda x, y: quorva.sin([x]),
             "Could not create a unary nonlinear expression: the argument must be a single expression"),
            (lambda x, y: quorva.sin("x"), "Invalid object in unary operation"),
            (lambda x, y: quorva.max(x, [y]), "Invalid object in n-ary operation"),
            (lambda x, y: quorva.min(x, "y"), "Invalid object in n-ary operation"),
            (lambda x, y: quorva.user(math.hypot, x, None), "Invalid object in n-ary operation"),
            (lambda x, y: quorva.user(), "Insufficient number of arguments declared for operator"),
            (lambda x, y: quorva.user(3, x), "Invalid object in n-ary operation"),
        ],
    )
    def test_bad_arguments(self, v, call, message):
        with pytest.raises(quorva.ModelError, match="^" + message.replace("(", r"\(").replace(")", r"\)") + "$"):
            call(v["x"], v["y"])

    def test_user_takes_only_the_derivatives_keyword(self, v):
        with pytest.raises(TypeError):
            quorva.user(math.hypot, v["x"], arguments=1)

    def test_the_class_is_not_called_directly(self):
        with pytest.raises(quorva.ModelError):
            NONLINEAR()


def expressions(v):
    """Named operands for the table below."""
    x, y, z = v["x"], v["y"], v["z"]
    return {"x": x, "y": y, "z": z, "e": quorva.exp(x), "s": quorva.sin(y), "ex": x + 1}


class TestOperators:
    # (expression over e = exp(x), s = sin(y), ex = x + 1; printed result or a Python value)
    CASES = [
        ("e * 0", 0.0), ("0 * e", 0.0), ("e * 1", "exp (x)"), ("1 * e", "exp (x)"),
        ("e * -1", "- (exp (x))"), ("-1 * e", "- (exp (x))"), ("2 * e", "(exp (x) * 2)"),
        ("e * s", "(exp (x) * sin (y))"), ("x * e", "(exp (x) * x)"),
        ("e / 1", "exp (x)"), ("0 / e", 0.0), ("e / s", "(exp (x) / sin (y))"), ("2 / e", "(2 / exp (x))"),
        ("e ** 0", 1.0), ("0 ** e", 0.0), ("1 ** e", 1.0), ("e ** 1", "exp (x)"), ("e ** 2", "(exp (x) ** 2)"),
        ("2 ** e", "(2 ** exp (x))"),
        ("e - 0", "exp (x)"), ("0 - e", "- (exp (x))"), ("e - s", "(exp (x) - sin (y))"),
        ("3 - e", "(3 - exp (x))"), ("(e + y) - s", "(exp (x) + - (sin (y)) + y)"),
        ("e + 0", "exp (x)"), ("0 + e", "exp (x)"), ("e + s", "(exp (x) + sin (y))"),
        ("y + e", "(exp (x) + y)"), ("e + ex", "(exp (x) + 1 + x)"), ("ex + e", "(exp (x) + 1 + x)"),
        ("-e", "- (exp (x))"), ("abs(e)", "abs (exp (x))"), ("abs(x)", "abs (x)"), ("abs(ex)", "abs (1 + x)"),
        ("x * y * z", "(z * x*y)"), ("(x + 1) / (y + 1)", "((1 + x) / (1 + y))"),
        ("x ** 3", "(x ** 3)"), ("(x * y) ** 2", "((x*y) ** 2)"),
        ("e + y - s", "(exp (x) + - (sin (y)) + y)"), ("y - (e + y)", "(y - (exp (x) + y))"),
    ]

    @pytest.mark.parametrize("text, expected", CASES)
    def test_results(self, v, text, expected):
        result = eval(text, {}, expressions(v))
        if isinstance(expected, str):
            assert type(result) is NONLINEAR
            assert str(result) == expected
        else:
            assert type(result) is float and result == expected

    def test_division_by_zero(self, v):
        e = quorva.exp(v["x"])
        with pytest.raises(quorva.ModelError, match="^Division by zero$"):
            e / 0
        with pytest.raises(quorva.ModelError, match="^Division by zero$"):
            e /= 0.0

    def test_vector_operands(self, v):
        e = quorva.exp(v["x"])
        a = np.array([1.0, 2.0])
        assert [str(t) for t in e * a] == ["exp (x)", "(exp (x) * 2.0)"]
        assert [str(t) for t in e + a] == ["(exp (x) + 1.0)", "(exp (x) + 2.0)"]
        assert [str(t) for t in e - a] == ["(exp (x) + -1.0)", "(exp (x) + -2.0)"]
        assert [str(t) for t in e / a] == ["exp (x)", "(exp (x) * 0.5)"]
        with pytest.raises(quorva.ModelError, match="^Cannot obtain a power with a vector as an exponent$"):
            e ** a

    def test_invalid_operand_is_named(self, v):
        e = quorva.exp(v["x"])
        with pytest.raises(quorva.ModelError, match="^Invalid object <abc> in operation$"):
            e * "abc"


class TestSums:
    def test_one_linear_part_kept_last(self, v):
        x, y, z = v["x"], v["y"], v["z"]
        s = quorva.exp(x) + y
        same = s
        s += 2 * y
        assert s is same and str(s) == "(exp (x) + 3*y)"
        s += quorva.exp(z)
        assert str(s) == "(exp (x) + exp (z) + 3*y)"
        s -= 3 * y
        assert str(s) == "(exp (x) + exp (z))"  # a linear part that cancels is dropped

    def test_sum_of_two_sums(self, v):
        x, y, z, w = v["x"], v["y"], v["z"], v["w"]
        left, right = quorva.exp(x) + y, quorva.exp(z) + w
        total = left + right
        assert str(total) == "(exp (x) + exp (z) + y + w)"
        assert str(left) == "(exp (x) + y)" and str(right) == "(exp (z) + w)"
        assert str(left - right) == "(exp (x) + - (exp (z)) + y - w)"

    def test_sum_of_a_sum_with_itself(self, v):
        s = quorva.exp(v["x"]) + v["y"]
        s += s
        assert str(s) == "(exp (x) + exp (x) + 2*y)"

    @pytest.mark.parametrize(
        "text, expected",
        [
            # not a sum + not a sum: a new sum, operands that are not nonlinear last
            ("e + s", "(exp (x) + sin (y))"), ("e - s", "(exp (x) - sin (y))"), ("y + e", "(exp (x) + y)"),
            # not a sum + a sum: nonlinear P first, then R's items, then the merged linear part
            ("s + (e + y)", "(sin (y) + exp (x) + y)"), ("y + (e + z)", "(exp (x) + y + z)"),
            ("(x + 1) + (e + y)", "(exp (x) + 1 + x + y)"),
            ("2 + (e + s)", "(exp (x) + sin (y) + 2)"),
            # a sum + not a sum
            ("(e + y) + 1", "(exp (x) + 1 + y)"), ("(e + s) + 1", "(exp (x) + sin (y) + 1)"),
            ("(e + y) - y", "(exp (x))"),
        ],
    )
    def test_cases(self, v, text, expected):
        ns = expressions(v)
        assert str(eval(text, {}, ns)) == expected

    def test_operands_are_not_changed(self, v):
        x, y = v["x"], v["y"]
        linear = x + 1
        s = quorva.exp(x) + linear
        t = s + y
        assert str(linear) == "1 + x" and str(s) == "(exp (x) + 1 + x)"
        assert str(t) == "(exp (x) + 1 + x + y)"
        s += y
        assert str(linear) == "1 + x" and str(s) == "(exp (x) + 1 + x + y)"


class TestInplaceProducts:
    def test_trailing_constant(self, v):
        p = 2 * quorva.exp(v["x"])
        p *= 3
        assert str(p) == "(exp (x) * 6.0)"
        p *= quorva.sin(v["y"])
        assert str(p) == "(exp (x) * sin (y) * 6.0)"
        p /= 6
        assert str(p) == "(exp (x) * sin (y))"

    def test_product_times_product(self, v):
        p = 2 * quorva.exp(v["x"])
        q = 3 * quorva.sin(v["y"])
        p *= q
        assert str(p) == "(exp (x) * sin (y) * 6.0)"
        assert str(q) == "(sin (y) * 3)"
        p *= 0
        assert p == 0.0

    def test_quotient_and_power_in_place(self, v):
        x, y, z = v["x"], v["y"], v["z"]
        d = quorva.exp(x) / y
        d /= z
        assert str(d) == "(exp (x) / (y*z))"
        den = quorva.sin(y) * quorva.cos(z)
        f = quorva.exp(x) / den
        f /= x
        assert str(f) == "(exp (x) / (sin (y) * x * cos (z)))"
        assert str(den) == "(sin (y) * cos (z))"  # the shared denominator is not changed
        p = quorva.exp(x) ** 3
        p **= 2
        assert str(p) == "(exp (x) ** 6.0)"
        p **= 1
        assert str(p) == "(exp (x) ** 6.0)"
        p **= 0
        assert p == 1.0
        with pytest.raises(quorva.ModelError, match="^Cannot obtain a power with a vector as an exponent$"):
            quorva.exp(x).__ipow__(np.array([1.0]))


class TestPrinting:
    def test_depth_limit(self, v):
        node = v["x"]
        for _ in range(70):
            node = quorva.sin(node)
        text = str(node)
        assert text.count("sin") == 65
        assert "[MAX RECURS LEV]" in text
        shallow = v["x"]
        for _ in range(64):
            shallow = quorva.sin(shallow)
        assert "[MAX RECURS LEV]" not in str(shallow)
        assert repr(shallow) == "<quorva.nonlinear %s>" % str(shallow).strip()


class TestDeepTrees:
    DEPTH = 100_000

    def test_build_print_compare_destroy(self, v):
        node = v["x"]
        for _ in range(self.DEPTH):
            node = quorva.sin(node)
        assert "[MAX RECURS LEV]" in str(node)
        c = node <= 1
        assert c.ub == 1.0
        total = node + 1
        total += v["y"]
        del node, c, total  # destroyed without exhausting the C stack

    def test_copy_raises_recursion_error(self, v):
        node = v["x"]
        for _ in range(self.DEPTH):
            node = quorva.cos(node) * 2
        with pytest.raises(RecursionError):
            (node <= 1).copy()

    def test_cycles_are_collected(self, v):
        import gc

        d = quorva.exp(v["x"]) / v["y"]
        d /= d  # the denominator now refers to d itself
        gc.collect()
        del d
        assert gc.collect() >= 1


class TestCopiesAndArguments:
    @pytest.mark.parametrize(
        "make, factor, expected",
        [
            (lambda x, y: quorva.exp(x), 2.0, "(exp (x) * 2.0)"),
            (lambda x, y: 2 * quorva.exp(x), 3.0, "(exp (x) * 6.0)"),  # the trailing constant absorbs it
            (lambda x, y: -quorva.exp(x), 2.0, "(exp (x) * -2.0)"),  # unary minus folds into the factor
            (lambda x, y: quorva.exp(x) * quorva.sin(y), 2.0, "(exp (x) * sin (y) * 2.0)"),
            (lambda x, y: quorva.exp(x) + y, 1.0, "(exp (x) + y)"),
            (lambda x, y: quorva.exp(x) + y, 0.0, "0.0"),
            (lambda x, y: quorva.user(abs, x), 1.0, "user (user, x)"),
        ],
    )
    def test_scaled_copies(self, v, make, factor, expected):
        original = make(v["x"], v["y"])
        before = str(original)
        copy = quorvalib._nonlin_copy(original, factor)
        assert str(copy) == expected and copy is not original and str(original) == before

    def test_copies_are_deep(self, v):
        inner = quorva.exp(v["x"]) + v["y"]
        outer = quorva.sin(inner)
        copy = quorvalib._nonlin_copy(outer, 1.0)
        inner += v["z"]
        assert str(outer) == "sin ((exp (x) + y + z))" and str(copy) == "sin ((exp (x) + y))"

    def test_argument_iteration(self, v):
        x, y = v["x"], v["y"]
        assert quorvalib._nonlin_args(quorva.exp(x)) == (1, [x])
        size, items = quorvalib._nonlin_args(quorva.exp(x) / y)
        assert size == 2 and items[1] is y
        assert quorvalib._nonlin_args(quorva.max()) == (0, [])
        with pytest.raises(quorva.ModelError) as error:
            quorvalib._nonlin_args(x)
        assert str(error.value) == "Accessing first argument list of an object that is not a nonlinear expression"
