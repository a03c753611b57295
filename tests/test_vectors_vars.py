"""quorva.vars: families of variables over lists, sets, ranges and counts."""

import numpy as np
import pytest

import quorva


class TestFamilies:
    @pytest.mark.parametrize(
        "args, keys, names",
        [
            (([0, 1], ["a", "b", "c"]), [(0, "a"), (0, "b"), (0, "c"), (1, "a"), (1, "b"), (1, "c")],
             ["x(0,a)", "x(0,b)", "x(0,c)", "x(1,a)", "x(1,b)", "x(1,c)"]),
            ((2, 3), [(0, 0), (0, 1), (0, 2), (1, 0), (1, 1), (1, 2)], None),
            ((3,), [0, 1, 2], ["x(0)", "x(1)", "x(2)"]),
            ((np.int64(2),), [0, 1], ["x(0)", "x(1)"]),
            ((range(2, 4), ["u"]), [(2, "u"), (3, "u")], ["x(2,u)", "x(3,u)"]),
            (({7}, range(2)), [(7, 0), (7, 1)], ["x(7,0)", "x(7,1)"]),
            (([b"k"],), [b"k"], ["x(k)"]),
            ((2, 2, 2), [(i, j, k) for i in range(2) for j in range(2) for k in range(2)], None),
        ],
    )
    def test_keys_and_names_in_order(self, args, keys, names):
        family = quorva.vars(*args)
        assert list(family.keys()) == keys
        if names:
            assert [str(v) for v in family.values()] == names
        assert all(type(v) is quorva.var for v in family.values())

    def test_integer_keys_are_plain_ints(self):
        assert all(type(k) is int for k in quorva.vars(3))

    def test_no_index_gives_one_variable(self):
        z = quorva.vars(name="z", lb=-1, ub=4, threshold=2, vartype=quorva.integer)
        assert type(z) is quorva.var
        assert (str(z), z.lb, z.ub, z.threshold, z.vartype) == ("z", -1.0, 4.0, 2.0, quorva.integer)

    def test_attributes_without_checks(self):
        family = quorva.vars(2, vartype=quorva.binary, ub=5, name="b")
        assert [(v.lb, v.ub, v.vartype, v.threshold) for v in family.values()] == [(0.0, 5.0, 1, -1e20)] * 2
        assert [str(v) for v in family.values()] == ["b(0)", "b(1)"]

    def test_serials_are_consecutive(self):
        family = quorva.vars(4)
        serials = [hash(v) for v in family.values()]
        assert serials == list(range(serials[0], serials[0] + 4))

    def test_long_names_are_cut(self):
        family = quorva.vars(["a" * 3000], name="p")
        (v,) = family.values()
        assert len(str(v)) == 2499 and str(v).startswith("p(aaa")


class TestBadIndices:
    @pytest.mark.parametrize(
        "args, kwargs, error, message",
        [
            ((["a", "b", "a"],), {"name": "y"}, RuntimeError,
             "Duplicate entry in vars: <y(a)>. Check arguments for duplicate entries in one or more of the lists"),
            ((0,), {}, RuntimeError,
             "Invalid index: integer argument to quorva.vars() must be positive (it is equivalent to range(k))"),
            ((2, -1), {}, RuntimeError,
             "Invalid index: integer argument to quorva.vars() must be positive (it is equivalent to range(k))"),
            (([],), {}, RuntimeError, "Invalid index: empty dimension in creation of variables"),
            ((set(),), {}, RuntimeError, "No object available from set"),
            ((range(0),), {}, RuntimeError, "No object available from set"),
            (([1.5],), {}, RuntimeError, "Element of index tuple in vars() cannot be represented"),
            (((1, 2),), {}, RuntimeError,
             "Invalid index: a call to quorva.vars() must have a tuple of lists or integer numbers as its first "
             "argument"),
            (("ab",), {}, RuntimeError,
             "Invalid index: a call to quorva.vars() must have a tuple of lists or integer numbers as its first "
             "argument"),
        ],
    )
    def test_messages(self, args, kwargs, error, message):
        with pytest.raises(error) as raised:
            quorva.vars(*args, **kwargs)
        assert str(raised.value) == message

    def test_non_ascii_element(self):
        with pytest.raises(UnicodeEncodeError):
            quorva.vars(["é"])

    def test_keywords_only(self):
        with pytest.raises(TypeError):
            quorva.vars(2, lb="low")
