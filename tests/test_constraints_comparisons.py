"""Constraints made by comparing modeling objects: the constant moved into the
bounds, every operand kind on either side, nonlinear bodies, the refused
comparisons, and NumPy arrays compared element by element."""

import operator

import numpy as np
import pytest

import quorva

INF = 1e20
STRICT = "Invalid constraint: cannot enforce f(x) != 0, f(x) > 0, or f(x) < 0"


@pytest.fixture
def ops():
    x, y = quorva.var(name="x"), quorva.var(name="y")
    return {"x": x, "y": y, "e": quorva.exp(x), "np": np}


# comparison text -> (printed body, lb, ub)
CASES = [
    ("2 * x + 3 <= 7", " 2 x", -INF, 4.0),
    ("x >= y", "  x - y", 0.0, INF),
    ("5 == x", "  x", 5.0, 5.0),
    ("x <= x", "0.0", -INF, 0.0),
    ("x <= 0", "x", -INF, 0.0),
    ("1 <= x", "  x", 1.0, INF),
    ("2 * x >= 4", " 2 x", 4.0, INF),
    ("2 * x <= 2 * x", "0.0", -INF, 0.0),
    ("x * y <= 1", "  x*y", -INF, 1.0),
    ("x * y + x <= 1 + y", "  x - y + x*y", -INF, 1.0),
    ("x + 1 == y + 1", "  x - y", 0.0, 0.0),
    # nonlinear bodies: a constant closing a sum or one side of a subtraction moves too
    ("e + 3 <= 5", "(exp (x))", -INF, 2.0),
    ("e + y + 3 >= 5", "(exp (x) + y)", 2.0, INF),
    ("e - 3 <= 5", "(exp (x) - 3)", -INF, 5.0),
    ("e <= 2", "exp (x)", -INF, 2.0),
    ("3 - e <= 0", "exp (x)", 3.0, INF),
    ("3 - e >= 0", "exp (x)", -INF, 3.0),
    ("3 - e == 0", "exp (x)", 3.0, 3.0),
    ("e * y <= 1", "(exp (x) * y)", -INF, 1.0),
    ("2 >= e", "exp (x)", -INF, 2.0),
]


@pytest.mark.parametrize("text, body, lb, ub", CASES)
def test_comparison(ops, text, body, lb, ub):
    c = eval(text, {}, ops)
    assert type(c) is quorva.constraint
    assert (str(c.body), c.lb, c.ub) == (body, lb, ub)


@pytest.mark.parametrize("op", [operator.lt, operator.gt, operator.ne])
@pytest.mark.parametrize("left", ["x", "2 * x", "x * y", "x + y", "e"])
def test_strict_and_unequal_comparisons_are_refused(ops, op, left):
    with pytest.raises(quorva.ModelError) as error:
        op(eval(left, {}, ops), 1)
    assert str(error.value) == STRICT


def test_operands_are_not_changed_later(ops):
    x, y = ops["x"], ops["y"]
    e = x + y + 1
    c = e <= 3
    e += x
    assert str(c.body) == "  x + y" and c.ub == 2.0 and str(e) == "1 +2 x + y"
    s = quorva.exp(x) + 1
    d = s <= 3
    assert str(s) == "(exp (x) + 1)" and str(d.body) == "(exp (x))"


def test_invalid_right_operand(ops):
    with pytest.raises(quorva.ModelError):
        ops["x"] <= "abc"


class TestArrays:
    def test_object_arrays_give_constraint_arrays(self, ops):
        x, y = ops["x"], ops["y"]
        a = np.array([x, 2 * y, x + y, quorva.exp(x)], dtype=object)
        for result, (lb, ub) in (
            (a <= 1, (-INF, 1.0)), (a >= 1, (1.0, INF)), (a == 1, (1.0, 1.0)),
            (1 >= a, (-INF, 1.0)), (np.less_equal(a, np.ones(4), dtype=object), (-INF, 1.0)),
        ):
            assert result.dtype == object and result.shape == (4,)
            assert all(type(c) is quorva.constraint for c in result)
            assert [(c.lb, c.ub) for c in result] == [(lb, ub)] * 4

    def test_elementwise_pairs(self, ops):
        x, y = ops["x"], ops["y"]
        left = np.array([[x, y], [x, y]], dtype=object)
        right = np.array([[y, x], [1, 2]], dtype=object)
        result = left <= right
        assert [str(c.body) for c in result.ravel()] == ["  x - y", " - x + y", "  x", "  y"]
        assert [c.ub for c in result.ravel()] == [0.0, 0.0, 1.0, 2.0]

    def test_variable_against_numeric_array(self, ops):
        result = ops["x"] <= np.array([1.0, 2.0])
        assert [(str(c.body), c.ub) for c in result] == [("  x", 1.0), ("  x", 2.0)]

    def test_numeric_arrays_keep_numpy_results(self):
        assert (np.array([1, 2]) <= np.array([2, 1])).tolist() == [True, False]
        assert (np.array([1.0, 2.0]) == 2.0).dtype == bool
        mixed = np.array([1, "a", None], dtype=object) == np.array([1, "b", None], dtype=object)
        assert mixed.tolist() == [True, False, True]

    @pytest.mark.parametrize("left, right", [
        (np.array(["x", "y", 1], dtype=object), "x"),
        ("x", np.array(["x", "y", 1], dtype=object)),
        (np.array([[1, 2.5], [None, 3]], dtype=object), np.array([1, 2.5], dtype=object)),
        (np.array([3, 1, 2], dtype=object), 2),
        (np.array([], dtype=object), 1),
        (np.array([1, 2], dtype=object), [1, 3]),
    ])
    def test_object_arrays_without_modeling_objects_are_numpy_results(self, left, right):
        """A comparison of such arrays is a boolean array that can serve as a mask."""
        for op, ufunc in ((lambda a, b: a == b, np.equal), (lambda a, b: a <= b, np.less_equal),
                          (lambda a, b: a >= b, np.greater_equal)):
            try:
                expected = ufunc(left, right)
            except TypeError:
                with pytest.raises(TypeError):
                    op(left, right)
                continue
            result = op(left, right)
            assert result.dtype == expected.dtype == bool
            assert result.shape == expected.shape and (result == expected).all()
        a = np.array(["x", "y", "x"], dtype=object)
        assert a[a == "x"].tolist() == ["x", "x"]

    def test_a_modeling_object_anywhere_builds_constraints(self, ops):
        left = np.array([[1, 2], [3, ops["x"]]], dtype=object)
        result = left <= 2
        assert result.dtype == object and type(result[1, 1]) is quorva.constraint
        assert (2 >= left).dtype == object and (left == np.array([1, 2], dtype=object)).dtype == object

    def test_failing_element_raises(self, ops):
        with pytest.raises(quorva.ModelError):
            np.array([ops["x"]], dtype=object) <= np.array(["abc"], dtype=object)


def _row(c):
    return (str(c.body), c.lb, c.ub)


class TestArraysOnEveryNumpy:
    """The same constraints from array operators on NumPy 1 and 2, whichever
    way the array was made and whichever way the operator is reached."""

    @staticmethod
    def _sources():
        x = quorva.vars(4, name="x")
        column = np.array(list(x.values()), dtype=object)
        dot = quorva.Dot(np.array([[1.0, 2.0, 0.0, 1.0], [0.0, 1.0, 1.0, 0.0]]), column)
        grid = np.array([[x[0], x[1] + 1], [2 * x[2], x[3] * x[0]]], dtype=object)
        return {"user array": column, "Dot": dot, "2-d": grid, "strided view": column[::2],
                "transposed": grid.T, "with numbers": np.array([x[0], 3, 2.5], dtype=object)}

    @pytest.mark.parametrize("name", ["user array", "Dot", "2-d", "strided view", "transposed", "with numbers"])
    @pytest.mark.parametrize("op, reflected", [("<=", ">="), (">=", "<="), ("==", "==")])
    def test_operators_build_each_elements_constraint(self, name, op, reflected):
        a = self._sources()[name]
        numbers = np.arange(a.size, dtype=float).reshape(a.shape) + 1
        for right in (2, 2.5, np.float64(2), numbers, numbers.tolist()):
            result = eval("a %s right" % op)
            assert result.dtype == object and result.shape == a.shape
            rights = np.broadcast_to(np.asarray(right, dtype=float), a.shape)
            for element, r, c in zip(a.ravel(), rights.ravel().tolist(), result.ravel()):
                if isinstance(element, (int, float)):
                    assert c is eval("element %s r" % op)
                else:
                    assert type(c) is quorva.constraint and _row(c) == _row(eval("element %s r" % op))
            mirrored = eval("right %s a" % reflected)
            assert [_row(c) for c in mirrored.ravel() if type(c) is quorva.constraint] == \
                [_row(c) for c in result.ravel() if type(c) is quorva.constraint]

    @pytest.mark.filterwarnings("ignore::PendingDeprecationWarning")  # np.matrix
    def test_every_route_to_the_comparison(self):
        a = self._sources()["user array"]
        expected = [_row(c) for c in a <= 1]
        class Later(np.ndarray):
            pass
        for result in (a.__le__(1), np.ndarray.__le__(a, 1), a.view(Later) <= 1,
                       np.asmatrix(a) <= 1, np.float64(1) >= a, a[:, None] <= np.ones((1, 3))):
            assert result.dtype == object
            assert sorted(set(_row(c) for c in np.asarray(result).ravel())) == sorted(set(expected))

    def test_no_silent_booleans(self):
        a = self._sources()["2-d"]
        for op in (operator.lt, operator.gt, operator.ne):
            with pytest.raises(quorva.ModelError):
                op(a, 1)
        # NumPy's own ufuncs, called by name, keep their boolean output: a
        # constraint in it has no truth value.
        with pytest.raises(TypeError, match="no truth value"):
            np.less_equal(a, 1)

    def test_numpy_keeps_its_deferral_to_other_operands(self):
        class Deferring:
            __array_ufunc__ = None
            def __ge__(self, other):
                return "deferred"
            __le__ = __ge__
        assert (np.array([1.0, 2.0]) <= Deferring()) == "deferred"
        assert (np.array([quorva.var()], dtype=object) <= Deferring()) == "deferred"
