"""Shared services: the walk over nested arguments, index selection, error reporting."""

import numpy as np
import pytest

import quorva
from quorva import quorvalib

walk = quorvalib._walk_nested
select = quorvalib._select_items


def nest(obj, depth):
    for _ in range(depth):
        obj = [obj]
    return obj


class TestNestedWalk:
    @pytest.mark.parametrize(
        "args, leaves",
        [
            ((1, [2, (3, 4)], 5), [1, 2, 3, 4, 5]),
            (({"a": 1, "b": [2, 3]},), [1, 2, 3]),  # dictionaries give their values
            ((iter([1, [2]]),), [1, 2]),
            (((i for i in range(3)),), [0, 1, 2]),
            (("abc", b"xy"), ["abc", b"xy"]),  # strings are leaves
            (({1, 2},), [{1, 2}]),  # a set is neither sequence nor iterator: a leaf
            (([], (), {}), []),
            ((np.arange(4).reshape(2, 2),), [0, 1, 2, 3]),
        ],
    )
    def test_leaves_in_order(self, args, leaves):
        assert walk(*args) == leaves

    def test_zero_dimensional_array_is_a_leaf(self):
        (leaf,) = walk(np.array(7))
        assert leaf == 7

    def test_depth_limit(self):
        assert walk(nest("x", 31)) == ["x"]
        with pytest.raises(quorva.ModelError, match=r"^Maximum recursion \(inclusion\) level reached$"):
            walk(nest("x", 32))

    def test_errors_of_iterators_propagate(self):
        def broken():
            yield 1
            raise ValueError("broken generator")

        with pytest.raises(ValueError, match="broken generator"):
            walk(broken())


class TestIndexSelection:
    source = ["a", "b", "c", "d"]

    def test_nested_indices_in_walking_order(self):
        assert select(self.source, [0, [2, 1]]) == ["a", "c", "b"]
        assert select(self.source, np.array([3, 0], dtype=np.int64)) == ["d", "a"]
        assert select(self.source, [np.intc(1), np.longlong(2)]) == ["b", "c"]

    @pytest.mark.parametrize("bad", [1.0, "1", np.int8(1), np.uint64(1), np.int16(1)])
    def test_only_integers(self, bad):
        with pytest.raises(quorva.ModelError, match=r"^Error in index list\(s\): must contain only integers$"):
            select(self.source, [bad])

    def test_out_of_range_is_a_model_error(self):
        with pytest.raises(quorva.ModelError, match="^Index 4 is out of range"):
            select(self.source, [4])
        with pytest.raises(quorva.ModelError, match="^Index -1 is out of range"):
            select(self.source, [-1])


class TestErrorReporting:
    def test_failures_without_text(self, fresh_python):
        rc, out, err = fresh_python("""
            import quorva
            from quorva import quorvalib
            for obj in (quorva.problem(), None, quorva.poolcut()):
                try:
                    quorvalib._report_failure(obj)
                except Exception as e:
                    print(type(e).__name__, repr(str(e)))
        """)
        assert rc == 0, err
        assert out.splitlines() == [
            "SolverError 'Unidentified error associated with optimization problem'",
            "InterfaceError 'Unidentified error associated with the global environment'",
            "InterfaceError ''",
        ]

    def test_pending_error_is_never_replaced(self):
        with pytest.raises(quorva.ModelError, match="^Incorrect control name$"):
            quorva.problem().controls.nothing_like_this


def test_handle_classes_construct_with_null_handles():
    cut = quorva.poolcut()
    assert type(cut).__name__ == "poolcut"
    del cut  # dropping it never touches the library
