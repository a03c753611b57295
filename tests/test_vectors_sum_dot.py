"""quorva.Sum, quorva.Prod and quorva.Dot over every collection kind."""

import numpy as np
import pytest

import quorva


@pytest.fixture
def xyz():
    return quorva.var(name="x"), quorva.var(name="y"), quorva.var(name="z")


def kind(obj):
    return type(obj).__name__


class TestSum:
    @pytest.mark.parametrize(
        "make, expected",
        [
            (lambda x, y, z: quorva.Sum(), "expression:0"),
            (lambda x, y, z: quorva.Sum([]), "expression:0"),
            (lambda x, y, z: quorva.Sum([1, 2]), "expression:3"),
            (lambda x, y, z: quorva.Sum(3), "expression:3"),
            (lambda x, y, z: quorva.Sum(x, 2 * y, x), "expression: 2 x +2 y"),
            (lambda x, y, z: quorva.Sum((x, y)), "expression:  x + y"),
            (lambda x, y, z: quorva.Sum([x, None, y]), "expression:  x + y"),
            (lambda x, y, z: quorva.Sum({"a": x, "b": y}), "expression:  x + y"),
            (lambda x, y, z: quorva.Sum(i * x for i in range(4)), "expression: 6 x"),
            (lambda x, y, z: quorva.Sum(iter([x, 1.5, y * z])), "expression:1.5 + x + y*z"),
            (lambda x, y, z: quorva.Sum(np.array([x, y, 2.0], dtype=object)), "expression:2 + x + y"),
            (lambda x, y, z: quorva.Sum([x, np.float64(2.5), 3, x * x, x + z]),
             "expression:5.5 +2 x + z + x**2"),
            (lambda x, y, z: quorva.Sum([x, quorva.exp(y), 1.0]), "nonlinear:(exp (y) + 1 + x)"),
            (lambda x, y, z: quorva.Sum([quorva.exp(y), x]), "nonlinear:(exp (y) + x)"),
            (lambda x, y, z: quorva.Sum(np.array([[1.0, 2.0], [3.0, 4.0]])), "ndarray:[4. 6.]"),
        ],
    )
    def test_collections(self, xyz, make, expected):
        result = make(*xyz)
        assert "%s:%s" % (kind(result), result) == expected

    def test_single_variable_is_returned(self, xyz):
        x = xyz[0]
        assert quorva.Sum([x]) is x and quorva.Sum(x) is x

    def test_operands_are_never_changed(self, xyz):
        x, y, z = xyz
        e1, e2 = x + 1, y + 2
        n = quorva.exp(z) + x
        total = quorva.Sum(e1, e2, n, e1)
        assert str(total) == "(exp (z) + 4 + 3*x + y)"
        assert (str(e1), str(e2), str(n)) == ("1 + x", "2 + y", "(exp (z) + x)")
        assert str(quorva.Sum([0, n, y])) == "(exp (z) + x + y)" and str(n) == "(exp (z) + x)"

    def test_generator_is_consumed_once(self, xyz):
        gen = (v for v in xyz)
        assert str(quorva.Sum(gen)) == "  x + y + z"
        assert str(quorva.Sum(gen)) == "0"

    def test_adaptive_order_handles_mixed_kinds(self, xyz):
        x, y, z = xyz
        items = [x, 2 * y, x * z, 1.0, x + y] * 50 + [3 * z] * 100 + [x] * 10
        assert str(quorva.Sum(items)) == "50 +110 x +150 y +300 z +50 x*z"

    def test_many_terms(self):
        xs = [quorva.var() for _ in range(20000)]
        total = quorva.Sum(2.0 * v for v in xs)
        assert str(total).count("+2 C") == 19999

    @pytest.mark.parametrize(
        "arg, error, message",
        [
            (object(), RuntimeError, "Invalid object in Sum or Prod operators"),
            ("ab", quorva.ModelError, "Invalid object being copied"),
            ([1, "ab"], quorva.ModelError, "Invalid object in operation"),
        ],
    )
    def test_bad_elements(self, arg, error, message):
        with pytest.raises(error) as raised:
            quorva.Sum(arg)
        assert str(raised.value) == message

    def test_failing_iterator_propagates(self):
        def broken():
            yield 1.0
            raise ValueError("broken")

        with pytest.raises(ValueError, match="broken"):
            quorva.Sum(broken())


class TestProd:
    @pytest.mark.parametrize(
        "make, expected",
        [
            (lambda x, y, z: quorva.Prod([]), "float:0.0"),
            (lambda x, y, z: quorva.Prod([x, y]), "quadterm:x*y"),
            (lambda x, y, z: quorva.Prod(x, 2.0), "linterm:2*x"),
            (lambda x, y, z: quorva.Prod([2, 3.0]), "float:6.0"),
            (lambda x, y, z: quorva.Prod([x, y, z]), "nonlinear:(z * x*y)"),
            (lambda x, y, z: quorva.Prod([quorva.exp(x), 2, 3]), "nonlinear:(exp (x) * 6.0)"),
            (lambda x, y, z: quorva.Prod({"a": x + 1, "b": None, "c": 2}), "expression:2 +2 x"),
        ],
    )
    def test_products(self, xyz, make, expected):
        result = make(*xyz)
        assert "%s:%s" % (kind(result), result) == expected

    def test_operands_are_never_changed(self, xyz):
        x = xyz[0]
        p = 2 * quorva.exp(x)
        assert str(quorva.Prod([1, p, 3])) == "(exp (x) * 6.0)" and str(p) == "(exp (x) * 2)"
        e = x + 1
        quorva.Prod([e, 2])
        assert str(e) == "1 + x"


class TestDot:
    def test_object_matrix_times_numbers(self, xyz):
        x, y, z = xyz
        A = np.array([[x, y, z], [z, y, x]], dtype=object)
        r = quorva.Dot(A, np.array([1.0, 2.0, 3.0]))
        assert r.shape == (2,) and r.dtype == object
        assert [str(e) for e in r] == ["  x +2 y +3 z", " 3 x +2 y + z"]
        assert str(A[0, 0]) == "x"

    @pytest.mark.parametrize(
        "shape_a, shape_b, shape_r",
        [((2, 3), (3,), (2,)), ((3,), (3, 4), (4,)), ((2, 3), (3, 4), (2, 4)), ((2, 3), (5, 3, 4), (2, 5, 4)),
         ((2, 2, 3), (3,), (2, 2))],
    )
    def test_shapes_follow_the_dot_convention(self, shape_a, shape_b, shape_r):
        a = np.arange(np.prod(shape_a), dtype=float).reshape(shape_a)
        b = np.arange(np.prod(shape_b), dtype=float).reshape(shape_b)
        r = quorva.Dot(a, b)
        assert r.shape == shape_r and np.allclose(r, np.dot(a, b))
        objects = quorva.Dot(a.astype(object), b)
        assert objects.shape == shape_r and np.allclose(objects.astype(float), np.dot(a, b))

    def test_vectors_give_their_single_element(self, xyz):
        x, y, _ = xyz
        v = np.array([x, y], dtype=object)
        assert str(quorva.Dot(v, v)) == "  x**2 + y**2"
        assert quorva.Dot(np.array([1.0, 2.0]), np.array([3.0, 4.0])) == 11.0

    def test_element_types(self, xyz):
        longs = np.array([[1, 2], [3, 4]], dtype=np.int_)
        singles = np.ones((2, 2), dtype=np.float32)
        assert quorva.Dot(longs, longs).dtype == np.int_
        assert quorva.Dot(longs, np.ones((2, 2))).dtype == np.float64
        assert quorva.Dot(singles, longs).dtype == np.float32
        with pytest.raises(quorva.ModelError) as error:
            quorva.Dot(np.ones((2, 2), dtype=np.int32), longs)
        assert str(error.value) == "Dot product must be between long, double, and expressions/variables"

    def test_three_operands_and_out(self, xyz):
        x, y, _ = xyz
        v = np.array([x, y], dtype=object)
        out = np.empty(2, dtype=object)
        result = quorva.Dot(np.eye(2), 2 * np.eye(2), v, out=out)
        assert result is out and [str(e) for e in out] == ["2*x", " 2 y"]
        numeric_out = np.zeros(2)
        quorva.Dot(np.eye(2), np.array([1.0, 2.0]), out=numeric_out)
        assert numeric_out.tolist() == [1.0, 2.0]
        with pytest.raises(quorva.ModelError) as error:
            quorva.Dot(np.eye(2), np.array([1.0, 2.0]), out=np.zeros(2, dtype=object))
        assert str(error.value) == "Output argument set with wrong type"

    def test_empty_and_single(self, xyz):
        assert quorva.Dot() == 0.0 and quorva.Dot([]) == 0.0
        a = np.array([1.0, 2.0])
        copy = quorva.Dot([a])
        assert copy is not a and copy.tolist() == [1.0, 2.0]

    @pytest.mark.parametrize(
        "args, message",
        [
            ((np.ones((2, 3)), np.ones(2)), "Dot product must have matching sizes in the multiplying dimension"),
            ((np.ones(2), np.array(1.0)), "Dot product must have matching sizes in the multiplying dimension"),
            ((np.ones(3), [1, 2, 3]), "Dot product can only occur between NumPy arrays"),
            (([1, 2], np.ones(2)), "Dot product should only be on NumPy arrays"),
        ],
    )
    def test_bad_operands(self, args, message):
        with pytest.raises(quorva.ModelError) as error:
            quorva.Dot(*args)
        assert str(error.value) == message
