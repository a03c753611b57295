"""Adding and deleting variables, constraints, sets and indicators, with the
bookkeeping of indices between the problem's objects and the library."""

import numpy as np
import pytest

import quorva


@pytest.fixture
def p():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


def cols(p):
    return p.attributes.cols


class TestAddingVariables:
    def test_any_nesting_in_order(self, p):
        x, y, z, w, a, b = (quorva.var() for _ in range(6))
        p.addVariable(x, [y, (z,)], {"k": w}, np.array([a]), (v for v in [b]))
        assert p.getVariable() == [x, y, z, w, a, b]
        assert [p.getIndex(v) for v in (x, y, z, w, a, b)] == list(range(6))
        assert cols(p) == 6

    def test_a_failing_call_adds_nothing(self, p):
        x, y = quorva.var(), quorva.var()
        p.addVariable(x)
        for args, message in [
            ((y, x), "Variable already added to problem"),
            ((y, y), "Variable already added to problem"),
            ((y, 3), "Incorrect objects added as variables to problem"),
            ((y, quorva.var(vartype=quorva.semicontinuous, lb=2, ub=5, threshold=7)),
             "Incorrect semi-continuous, semi-integer, or partially integer variable; check that its threshold is "
             "between its lower and upper bounds"),
        ]:
            with pytest.raises(quorva.ModelError, match=f"^{message}$"):
                p.addVariable(*args)
            assert p.getVariable() == [x] and cols(p) == 1
            with pytest.raises(quorva.ModelError):
                p.getIndex(y)
        p.addVariable(y)
        assert p.getIndex(y) == 1

    def test_library_refusal_adds_nothing(self, p):
        with pytest.raises(quorva.SolverError):
            p.addVariable(quorva.var(), quorva.var(vartype=quorva.semicontinuous, threshold=-1, lb=-5, ub=3))
        assert p.getVariable() == [] and cols(p) == 0

    def test_types_names_and_thresholds_reach_the_library(self, p, tmp_path):
        long_name = "n" * 200
        b = quorva.var(name="b", vartype=quorva.integer, lb=0, ub=1)
        i = quorva.var(name="i", vartype=quorva.integer, lb=0, ub=5)
        s = quorva.var(name="s", vartype=quorva.semicontinuous, ub=8, threshold=3)
        named = quorva.var(name=long_name)
        p.addVariable(b, i, s, named)
        assert p.getIndexFromName(2, long_name[:150]) == 3
        assert p.attributes.discretecols == 3
        path = tmp_path / "types.mps"
        p.write(str(path))
        text = path.read_text()
        assert " BV " in text and " SC " in text  # the 0-1 integer became binary

    def test_semicontinuous_threshold_is_used(self, p):
        s = quorva.var(vartype=quorva.semicontinuous, ub=8, threshold=3)
        p.addVariable(s)
        p.addConstraint(s >= 1)
        p.setObjective(s)
        p.solve()
        assert p.getSolution(s) == pytest.approx(3.0)


class TestAddingConstraints:
    def test_batch_and_renamed_rows(self, p):
        x = [quorva.var(ub=10) for _ in range(3)]
        p.addVariable(x)
        rows = [quorva.constraint(x[i] + x[i + 1] <= 4 + i, name=f"pair{i}") for i in range(2)]
        p.addConstraint(rows, (r for r in [x[0] - x[2] == 0]))
        assert p.attributes.rows == 3 and p.getConstraint()[:2] == rows
        assert p.getIndexFromName(1, "pair1") == 1
        assert p.attributes.elems == 6

    def test_a_failing_batch_leaves_problem_and_maps_alike(self, p):
        x, y = quorva.var(), quorva.var()
        p.addVariable(x)
        good = x <= 1
        for bad, message in [
            (x + y <= 3, "Variable in linear part of constraint has not been added to problem yet"),
            (quorva.constraint(body=2 * y, ub=3), "Variable in linear term defining constraint has not been added to problem yet"),
            (quorva.constraint(body=x * y, ub=3), "Variable in quadratic term defining constraint has not been added to problem yet"),
            (x * y + x <= 3, "Variable in quadratic part of constraint has not been added to problem yet"),
            (x, "Invalid constraint"),
            (good, "Constraint already added to problem"),
        ]:
            with pytest.raises(quorva.ModelError, match=f"^{message}$"):
                p.addConstraint(good, bad)
            assert p.attributes.rows == 0 and p.getConstraint() == []
            with pytest.raises(quorva.ModelError):
                p.getIndex(good)
        p.addConstraint(good)
        assert p.getIndex(good) == 0

    def test_quadratic_rows(self, p):
        x, y = quorva.var(lb=-5), quorva.var(lb=-5)
        p.addVariable(x, y)
        p.addConstraint(x * x + 3 * x * y + y <= 4, x + y >= 1)
        assert p.attributes.qconstraints == 1


class TestDeleting:
    def test_delete_columns_1_and_3_of_five(self, p):
        xs = [quorva.var(name=f"x{j}", ub=j + 1) for j in range(5)]
        p.addVariable(xs)
        total = quorva.Sum(xs) if hasattr(quorva, "Sum") else sum(xs[1:], xs[0])
        p.addConstraint(total <= 100)
        p.setObjective(sum((j + 1) * xs[j] for j in range(5)), sense=quorva.maximize)
        p.delVariable([1, 3])
        assert p.getVariable() == [xs[0], xs[2], xs[4]]
        assert p.getIndex(xs[4]) == 2 and p.getIndex(xs[2]) == 1 and p.getIndex(xs[0]) == 0
        for gone in (xs[1], xs[3]):
            with pytest.raises(quorva.ModelError):
                p.getIndex(gone)
        p.solve()
        assert p.getSolution(xs[0], xs[2], xs[4]) == pytest.approx([1.0, 3.0, 5.0])
        assert p.getObjVal() == pytest.approx(1 + 9 + 25)

    def test_argument_forms(self, p):
        xs = [quorva.var(name=f"x{j}") for j in range(8)]
        p.addVariable(xs)
        p.delVariable(xs[7])
        p.delVariable("x6")
        p.delVariable(5)
        p.delVariable(first=3, last=4)
        p.delVariable(np.array([0, 0, 2]))  # a repeated index deletes once
        assert p.getVariable() == [xs[1]] and cols(p) == 1 and p.getIndex(xs[1]) == 0

    @pytest.mark.parametrize(
        "kwargs, message",
        [
            (dict(), "At least one parameter must be specified"),
            (dict(index=0, first=0, last=1), "Parameters 'first' and 'last' cannot be specified if 'index' is also specified"),
            (dict(first=1), "Parameters 'first' and 'last' must be both nonnegative when specified"),
            (dict(first=0, last=3), "Parameters 'first' or 'last' are out of range"),
            (dict(first=2, last=1), "Parameter 'first' must be less than, or equal to, 'last'"),
            (dict(index=[0, 3]), "Index out of bounds"),
            (dict(index={0: 1}), "Invalid sequence of objects"),
        ],
    )
    def test_messages_change_nothing(self, p, kwargs, message):
        xs = [quorva.var() for _ in range(3)]
        p.addVariable(xs)
        with pytest.raises(quorva.ModelError, match=f"^{message}$"):
            p.delVariable(**kwargs)
        assert p.getVariable() == xs and cols(p) == 3

    def test_objects_not_in_the_problem(self, p):
        x = quorva.var(name="stranger")
        p.addVariable(quorva.var())
        with pytest.raises(quorva.ModelError, match="^Variable stranger not in problem$"):
            p.delVariable(x)
        with pytest.raises(quorva.ModelError, match="^Invalid variable object"):
            p.delVariable([x <= 1])

    def test_deleting_while_iterating(self, p):
        xs = [quorva.var() for _ in range(4)]
        p.addVariable(xs)
        for v in p.getVariable()[::2]:
            p.delVariable(v)
        assert p.getVariable() == [xs[1], xs[3]]

    def test_delete_constraints_and_solve(self, p):
        x = quorva.var(ub=10)
        p.addVariable(x)
        rows = [x <= 7, x <= 3, x <= 5]
        p.addConstraint(rows)
        p.setObjective(x, sense=quorva.maximize)
        p.delConstraint(rows[1])
        assert p.getIndex(rows[2]) == 1 and p.attributes.rows == 2
        p.solve()
        assert p.getSolution(x) == pytest.approx(5.0)
        assert p.getSlack(rows[0]) == pytest.approx(2.0)


class TestSetsAndIndicators:
    def test_sos1_allows_one_member(self, p):
        xs = [quorva.var(ub=1) for _ in range(3)]
        p.addVariable(xs)
        s = quorva.sos(xs, [1, 2, 3], type=1)
        p.addSOS(s)
        p.setObjective(xs[0] + 2 * xs[1] + xs[2], sense=quorva.maximize)
        p.solve()
        assert p.getObjVal() == pytest.approx(2.0)
        assert p.getIndex(s) == 0 and p.getSOS() == [s]
        with pytest.raises(quorva.ModelError, match="^SOS already added to problem$"):
            p.addSOS(s)
        p.delSOS(s)
        p.solve()
        assert p.getSOS() == [] and p.getObjVal() == pytest.approx(4.0)

    def test_sos_messages(self, p):
        x = quorva.var()
        with pytest.raises(quorva.ModelError, match="^Object added is not a SOS$"):
            p.addSOS(x)
        with pytest.raises(quorva.ModelError, match="^SOS contains variable that was not added to the problem$"):
            p.addSOS(quorva.sos([x], [1]))
        assert p.getSOS() == [] and p.attributes.sets == 0

    def test_indicator_with_complement(self, p):
        b = quorva.var(vartype=quorva.binary)
        x = quorva.var(ub=10)
        p.addVariable(b, x)
        p.addIndicator(b == 0, x <= 2)
        p.addConstraint(b <= 0)
        p.setObjective(x, sense=quorva.maximize)
        p.solve()
        assert p.getSolution(x) == pytest.approx(2.0)
        assert p.attributes.indicators == 1

    def test_indicator_messages(self, p):
        b, x, y = quorva.var(vartype=quorva.binary), quorva.var(), quorva.var()
        p.addVariable(b, x)
        cases = [
            ((b + x == 1, x <= 1), "Invalid condition for indicator constraints: there must be exactly one variable"),
            ((y == 1, x <= 1), "Indicator variable has not been added to problem yet"),
            ((2 * b == 2, x <= 1), "Indicator variable must have coefficient 1"),
            ((b >= 1, x <= 1), "Invalid condition for indicator constraints: must be <variable_name> == 0 or "
                               "<variable_name> == 1"),
            ((b == 1, 3), "Invalid declaration of indicator constraints."),
        ]
        for args, message in cases:
            with pytest.raises(quorva.ModelError, match=f"^{message}$"):
                p.addIndicator(*args)
        assert p.attributes.rows == 0 and p.getConstraint() == []
