"""Arguments of the library-named methods on their way in and their results on
the way out: every argument form gives the same array, mismatched lengths
name both counts, output lists are cut or extended in place, and rows and
columns come back as the problem's own objects."""

import numpy as np
import pytest

import quorva
from quorva import quorvalib

convert = quorvalib._convert_array
KIND_ROW, KIND_COL, KIND_SET, KIND_INT, KIND_INT64, KIND_DOUBLE = range(6)


@pytest.fixture
def p():
    p = quorva.problem()
    p.controls.outputlog = 0
    xs = [quorva.var(name=f"x{i}", ub=10 + i) for i in range(4)]
    p.addVariable(xs)
    p.addConstraint([x <= 1 for x in xs])
    return p


class TestArgumentForms:
    @pytest.mark.parametrize("kind", [KIND_INT, KIND_INT64, KIND_DOUBLE, KIND_COL, KIND_ROW])
    def test_every_sequence_form_gives_the_same_array(self, p, kind):
        forms = [(1, 2, 3), [1, 2, 3], range(1, 4), np.array([1, 2, 3]), np.array([1, 2, 3], dtype=np.int32),
                 iter([1, 2, 3]), (i for i in [1, 2, 3])]
        assert all(convert(p, form, kind) == [1, 2, 3] for form in forms)

    def test_objects_and_names_give_their_indices(self, p):
        xs, cs = p.getVariable(), p.getConstraint()
        assert convert(p, [xs[2], "x0", 3], KIND_COL) == [2, 0, 3]
        assert convert(p, [cs[1], cs[3]], KIND_ROW) == [1, 3]

    def test_numpy_arrays_are_converted_without_loss(self, p):
        values = np.linspace(0.0, 1.0, 7)
        assert convert(p, values, KIND_DOUBLE) == list(values)
        assert convert(p, np.array([2**40]), KIND_INT64) == [2**40]
        assert convert(p, np.array([1.5, 2.0]), KIND_DOUBLE) == [1.5, 2.0]
        # Out of the 32-bit range or of the wrong kind: refused, not cut.
        with pytest.raises(OverflowError):
            convert(p, np.array([2**33]), KIND_COL)
        with pytest.raises(quorva.ModelError):
            convert(p, np.array([1.5]), KIND_INT)

    def test_iterators_longer_than_their_first_room(self, p):
        for n in (255, 256, 257, 511, 1000, 5000):
            assert convert(p, iter(range(n)), KIND_INT) == list(range(n))

    def test_empty_sequence_is_an_empty_array(self, p):
        assert convert(p, [], KIND_DOUBLE) == []

    @pytest.mark.parametrize("bad", [{1: 2}, {1, 2}, 7])
    def test_non_sequences_are_refused(self, p, bad):
        with pytest.raises(quorva.ModelError, match="Invalid sequence of objects"):
            convert(p, bad, KIND_INT)

    def test_mismatch_names_expected_and_found(self, p):
        with pytest.raises(quorva.ModelError, match="expected 3, found 2"):
            convert(p, [1, 2], KIND_INT, 3)
        with pytest.raises(quorva.ModelError, match="expected 3, found 2"):
            p.chgbounds([0, 1, 2], ["U", "U"], [1, 2, 3])


class TestIndexErrors:
    def test_object_not_in_problem(self, p):
        stranger = quorva.var(name="stranger")
        with pytest.raises(quorva.ModelError, match="Variable stranger not in problem"):
            p.chgobj([stranger], [1])

    def test_object_of_the_wrong_class(self, p):
        c = p.getConstraint(0)
        with pytest.raises(quorva.ModelError, match="Invalid variable object"):
            p.chgobj([c], [1])
        with pytest.raises(quorva.ModelError, match="Invalid constraint object"):
            p.chgrhs([p.getVariable(0)], [1])

    def test_unknown_name_is_a_solver_error(self, p):
        with pytest.raises(quorva.SolverError, match="nosuch"):
            p.chgobj(["nosuch"], [1])
        with pytest.raises(quorva.SolverError, match="nosuch"):
            p.getlb([], "nosuch", 2)

    def test_none_as_a_single_index_is_refused(self, p):
        with pytest.raises(quorva.ModelError):
            p.chgcoef(None, 0, 1.0)


class TestOutputLists:
    def test_lists_are_cut_or_extended_in_place(self, p):
        long, short = [9, 9, 9, 9, 9, 9], ["old"]
        p.getub(long)
        p.getub(short)
        assert long == short == [10.0, 11.0, 12.0, 13.0]

    def test_output_argument_must_be_a_list(self, p):
        with pytest.raises(quorva.ModelError, match="Argument of type List required"):
            p.getub((1, 2, 3, 4))

    def test_rows_and_columns_come_back_as_objects(self, p):
        starts, cols, vals = [], [], []
        p.getrows(starts, cols, vals, 100, 1, 2)
        assert starts == [0, 1, 2]
        assert cols[0] is p.getVariable(1) and cols[1] is p.getVariable(2)
        rows = []
        p.getcols(None, rows, None, 100, "x3", p.getVariable(3))
        assert rows == [p.getConstraint(3)]

    def test_minus_one_is_an_int_not_an_object(self, p):
        inds, comps = [], []
        p.getindicators(inds, comps, 0, 1)
        assert inds == [-1, -1] and comps == [0, 0]

    def test_characters_come_back_as_strings(self, p):
        types = []
        p.getrowtype(types, 0, 3)
        assert types == ["L"] * 4
