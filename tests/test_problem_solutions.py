"""Objective, solving as LP, MIP and QP, and the solution queries: values,
slacks, duals, reduced costs, objective value and status."""

import numpy as np
import pytest

import quorva


@pytest.fixture
def p():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


@pytest.fixture
def lp(p):
    """min x + 2y + 3z  s.t.  c1: x + y + z >= 4,  c2: x - y <= 2,  c3: y <= 5.

    By hand: the optimum is x = 3, y = 1, z = 0 with objective 5; c1 and c2
    are active with duals 1.5 and -0.5 (from 1 = d1 + d2, 2 = d1 - d2); the
    reduced cost of z is 3 - 1.5 = 1.5; the slack of c3 is 5 - 1 = 4."""
    x, y, z = quorva.var(name="x"), quorva.var(name="y"), quorva.var(name="z")
    p.addVariable(x, y, z)
    c1 = quorva.constraint(x + y + z >= 4, name="c1")
    c2 = quorva.constraint(x - y <= 2, name="c2")
    c3 = quorva.constraint(y <= 5, name="c3")
    p.addConstraint(c1, c2, c3)
    p.setObjective(x + 2 * y + 3 * z)
    p.solve()
    return p, (x, y, z), (c1, c2, c3)


class TestHandSolvedLP:
    def test_values(self, lp):
        p, (x, y, z), (c1, c2, c3) = lp
        assert p.getProbStatus() == quorva.lp_optimal
        assert p.getObjVal() == pytest.approx(5.0)
        assert p.getSolution() == pytest.approx([3.0, 1.0, 0.0])
        assert p.getDual() == pytest.approx([1.5, -0.5, 0.0])
        assert p.getSlack() == pytest.approx([0.0, 0.0, 4.0])
        assert p.getRCost() == pytest.approx([0.0, 0.0, 1.5])

    def test_argument_forms(self, lp):
        p, (x, y, z), (c1, c2, c3) = lp
        assert p.getSolution(x) == pytest.approx(3.0) and isinstance(p.getSolution(x), float)
        assert p.getSolution(2) == pytest.approx(0.0)
        assert p.getSolution([x]) == pytest.approx([3.0])
        assert p.getSolution("y") == pytest.approx([1.0])  # a name is a sequence: a list
        assert p.getSolution(x, [z, (y,)]) == pytest.approx([3.0, 0.0, 1.0])
        assert p.getSolution({"a": y}) == pytest.approx([1.0])
        assert p.getSolution(np.array([2, 0])) == pytest.approx([0.0, 3.0])
        assert p.getSolution(v for v in (y, x)) == pytest.approx([1.0, 3.0])
        assert p.getSolution(np.int64(1)) == pytest.approx(1.0)
        assert p.getDual(c1) == pytest.approx(1.5)
        assert p.getDual(["c2", 2]) == pytest.approx([-0.5, 0.0])
        assert p.getSlack(c3) == pytest.approx(4.0)
        assert p.getRCost(z) == pytest.approx(1.5)

    @pytest.mark.parametrize(
        "getter, arg, message",
        [
            ("getSolution", 3, r"Index out of range: 3 is not a column index of the problem \(it has 3 columns\)"),
            ("getSolution", -1, "Index out of range: -1 is not a column index of the problem"),
            ("getSolution", 2**70, "Index out of range: 1180591620717411303424 is not a column index"),
            ("getSolution", "nobody", "Index out of range: the problem has no column named 'nobody'"),
            ("getSolution", quorva.var("stray"), "Index out of range: quorva.var stray is not in this problem"),
            ("getSlack", 3, r"Index out of range: 3 is not a row index of the problem \(it has 3 rows\)"),
            ("getSolution", 1.5, r"Incorrect object\(s\) passed: need index, variable or column name"),
            ("getSlack", "x", "Index out of range: the problem has no row named 'x'"),
        ],
    )
    def test_bad_arguments(self, lp, getter, arg, message):
        p = lp[0]
        with pytest.raises(quorva.ModelError, match=f"^{message}"):
            getattr(p, getter)(arg)

    def test_variables_are_not_rows(self, lp):
        p, (x, _, _), (c1, _, _) = lp
        rows_only = "^Incorrect object.s. passed: need index, constraint, SOS or row name$"
        with pytest.raises(quorva.ModelError, match=rows_only):
            p.getDual(x)
        columns_only = "^Incorrect object.s. passed: need index, variable or column name$"
        with pytest.raises(quorva.ModelError, match=columns_only):
            p.getSolution(c1)


class TestObjective:
    def test_messages(self, p):
        x = quorva.var()
        p.addVariable(x)
        with pytest.raises(quorva.ModelError, match="^Invalid optimization sense$"):
            p.setObjective(x, sense=0)
        with pytest.raises(quorva.ModelError, match="^Invalid object set as objective$"):
            p.setObjective("x")
        with pytest.raises(quorva.ModelError, match="^Only one objective can be set, passed a sequence or NumPy array$"):
            p.setObjective(np.array([x, x]))

    def test_replacing_the_objective(self, p):
        x, y = quorva.var(ub=3), quorva.var(ub=3)
        p.addVariable(x, y)
        p.setObjective(x * x + y * y - 2 * x + 7)
        assert p.attributes.qelems > 0
        p.setObjective(np.array([x + 2 * y + 1]), sense=quorva.maximize)  # one-element array
        assert p.attributes.qelems == 0
        p.solve()
        assert p.getObjVal() == pytest.approx(3 + 6 + 1)

    def test_a_refused_objective_keeps_the_old_one(self, p):
        x = quorva.var(ub=2)
        p.addVariable(x)
        p.setObjective(x, sense=quorva.maximize)
        with pytest.raises(quorva.ModelError, match="^Variable in linear part"):
            p.setObjective(x + quorva.var())
        p.solve()
        assert p.getObjVal() == pytest.approx(2.0)

    def test_quadratic_objective(self, p):
        """min x^2 + 2y^2 + xy with x + y = 1: f = 2x^2 - 3x + 2, so x = 3/4, f = 7/8."""
        x, y = quorva.var(lb=-10), quorva.var(lb=-10)
        p.addVariable(x, y)
        p.addConstraint(x + y == 1)
        p.setObjective(x * x + 2 * y ** 2 + x * y)
        p.solve()
        assert p.getProbStatusString() == "lp_optimal"
        assert p.getSolution() == pytest.approx([0.75, 0.25], abs=1e-6)
        assert p.getObjVal() == pytest.approx(0.875)


class TestMIP:
    def test_solution_and_no_duals(self, p):
        x = quorva.var(vartype=quorva.integer, ub=10)
        y = quorva.var(ub=10)
        p.addVariable(x, y)
        c = 2 * x + y <= 7.5
        p.addConstraint(c)
        p.setObjective(3 * x + y, sense=quorva.maximize)
        p.solve()
        assert p.getProbStatusString() == "mip_optimal"
        assert p.getSolution(x) == pytest.approx(3.0) and p.getSolution(y) == pytest.approx(1.5)
        assert p.getObjVal() == pytest.approx(10.5)
        assert p.getSlack(c) == pytest.approx(0.0, abs=1e-9)
        with pytest.raises(quorva.SolverError, match="^Cannot retrieve dual variables in a MIP$"):
            p.getDual()
        with pytest.raises(quorva.SolverError, match="^Cannot retrieve reduced cost in a MIP$"):
            p.getRCost(x)


class TestStatus:
    def test_statuses(self, p):
        assert p.getProbStatusString() == "lp_unstarted"
        x = quorva.var()
        p.addVariable(x)
        p.setObjective(x, sense=quorva.maximize)
        p.solve()
        assert p.getProbStatusString() == "lp_unbounded"
        p.addConstraint(x <= 1, x >= 2)
        p.solve()
        assert (p.getProbStatus(), p.getProbStatusString()) == (quorva.lp_infeas, "lp_infeas")
        p.addVariable(quorva.var(vartype=quorva.integer))
        p.solve()
        assert p.getProbStatusString() == "mip_infeas"

    def test_getters_before_any_solve(self, p):
        x = quorva.var()
        p.addVariable(x)
        for query in (p.getSolution, p.getDual, p.getObjVal):
            with pytest.raises(quorva.SolverError, match="status lp_unstarted"):
                query()

    def test_empty_problem(self, p):
        p.solve()
        assert p.getProbStatusString() == "lp_optimal"
        assert p.getSolution() == [] and p.getDual() == [] and p.getObjVal() == 0.0
