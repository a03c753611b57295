"""Indices and arrays from Python on their way to the library: values outside
the library's 32-bit range are refused instead of wrapping onto another
index, every failed conversion says why, and an iterator has to match the
count that its group fixed."""

import numpy as np
import pytest

import quorva
from quorva import quorvalib

convert = getattr(quorvalib, "_convert_array", None)
KIND_ROW, KIND_COL, KIND_SET, KIND_INT, KIND_INT64, KIND_DOUBLE = range(6)

HUGE = [2**31, 2**32, 2**32 + 1, -(2**31) - 1, 2**63, -(2**64), np.int64(2**32)]


@pytest.fixture
def p():
    p = quorva.problem()
    p.controls.outputlog = 0
    xs = [quorva.var(name=f"x{i}") for i in range(3)]
    p.addVariable(xs)
    p.addConstraint([x <= 1 for x in xs])
    p.addSOS(quorva.sos(xs, [1, 2, 3], type=1))
    return p


class TestIndicesOutOfRange:
    @pytest.mark.parametrize("value", HUGE, ids=repr)
    @pytest.mark.parametrize("method", ["delVariable", "delConstraint", "delSOS"])
    def test_deleting_leaves_the_problem_whole(self, p, method, value):
        names = [v.name for v in p.getVariable()]
        with pytest.raises(OverflowError):
            getattr(p, method)(value)
        with pytest.raises(OverflowError):
            getattr(p, method)([1, value])
        assert [v.name for v in p.getVariable()] == names
        assert len(p.getConstraint()) == 3 and len(p.getSOS()) == 1
        assert p.attributes.cols == 3 and p.attributes.rows == 3

    @pytest.mark.parametrize("value", HUGE, ids=repr)
    @pytest.mark.parametrize("kind", [KIND_ROW, KIND_COL, KIND_SET, KIND_INT])
    def test_32_bit_kinds(self, p, kind, value):
        with pytest.raises(OverflowError):
            convert(p, [0, value], kind)

    def test_limits_of_the_range_pass(self, p):
        assert convert(p, [2**31 - 1, -(2**31)], KIND_INT) == [2**31 - 1, -(2**31)]
        assert convert(p, [2**40, -(2**40)], KIND_INT64) == [2**40, -(2**40)]
        with pytest.raises(OverflowError):
            convert(p, [2**63], KIND_INT64)

    def test_a_set_member_index(self, p):
        x = p.getVariable(0)
        with pytest.raises(OverflowError):
            p.addSOS(quorva.sos([x, 2**32], [1, 2], type=1))
        assert len(p.getSOS()) == 1


class TestFailedConversions:
    @pytest.mark.parametrize("item", [1.0, "1", None, np.float64(1)], ids=repr)
    @pytest.mark.parametrize("kind", [KIND_INT, KIND_INT64])
    def test_non_integer_in_integer_array(self, p, kind, item):
        with pytest.raises(quorva.ModelError, match="^Integer required in array, found "):
            convert(p, [1, item], kind)

    def test_the_same_array_from_every_kind_of_sequence(self, p):
        for sequence in ([1, 2, 3], (1, 2, 3), range(1, 4), np.array([1, 2, 3]), iter([1, 2, 3])):
            assert convert(p, sequence, KIND_INT) == [1, 2, 3]
        assert convert(p, ["x0", p.getVariable(2)], KIND_COL) == [0, 2]


class TestIteratorLengths:
    def test_an_iterator_must_give_the_expected_count(self, p):
        for items in ([1, 2], [1, 2, 3, 4], []):
            with pytest.raises(quorva.ModelError, match=f"^Mismatched lengths in arguments: expected 3, found {len(items)}$"):
                convert(p, iter(items), KIND_INT, 3)
        assert convert(p, iter(range(300)), KIND_INT, 300) == list(range(300))

    def test_large_counts_are_reported_exactly(self, p):
        with pytest.raises(quorva.ModelError, match="^Mismatched lengths in arguments: expected 5000000000, found 2$"):
            convert(p, [1, 2], KIND_INT, 5_000_000_000)
