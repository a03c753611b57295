"""Faults that used to give silent wrong answers: truth values of constraints,
NaN and infinite data, deleting an indicator's binary, and solution queries
after a solve that found no solution."""

import math

import pytest

import quorva


def quiet_problem(*variables):
    p = quorva.problem()
    p.controls.outputlog = 0
    if variables:
        p.addVariable(*variables)
    return p


class TestConstraintTruthValue:
    def test_chained_comparison_is_refused_with_the_range_forms(self):
        x, y = quorva.var(), quorva.var()
        with pytest.raises(TypeError, match=r"quorva\.constraint\(body=.*lb=.*ub=.*two constraints"):
            2 <= x + y <= 4
        with pytest.raises(TypeError):
            0 <= x <= 5
        with pytest.raises(TypeError):
            bool(x == y)
        with pytest.raises(TypeError):
            if x <= 1:
                pass

    def test_membership_works_by_identity_and_never_by_truth(self):
        x, y = quorva.var(), quorva.var()
        assert x in [x]
        assert [x, y].index(x) == 0
        with pytest.raises(TypeError):
            y in [x]
        with pytest.raises(TypeError):
            [x, y].index(y)
        # Dictionaries and sets of variables hash by identity.
        assert {x: 1, y: 2}[y] == 2 and len({x, y, x}) == 2

    def test_the_explicit_range_solves_as_a_range(self):
        x = quorva.var(lb=-10)
        p = quiet_problem(x)
        p.addConstraint(quorva.constraint(body=x, lb=0, ub=5))
        p.setObjective(x)
        p.solve()
        assert p.getObjVal() == pytest.approx(0.0)


class TestNaNAndInfinity:
    @pytest.mark.parametrize("make", [
        lambda x: x <= float("nan"),
        lambda x: x >= float("nan"),
        lambda x: x + float("nan") == 1,
        lambda x: quorva.constraint(body=x, lb=float("nan"), ub=1),
    ])
    def test_nan_right_hand_side_is_refused(self, make):
        x = quorva.var()
        p = quiet_problem(x)
        c = make(x)
        with pytest.raises(quorva.ModelError, match="NaN"):
            p.addConstraint(c)
        assert p.getConstraint() == []
        b = quorva.var(vartype=quorva.binary)
        p.addVariable(b)
        with pytest.raises(quorva.ModelError, match="NaN"):
            p.addIndicator(b == 1, make(x))

    @pytest.mark.parametrize("coef", [1e20, -1e25, math.inf, -math.inf])
    def test_infinite_objective_coefficient_is_refused(self, coef):
        x, y = quorva.var(ub=1), quorva.var(ub=1)
        p = quiet_problem(x, y)
        p.setObjective(x + y)
        with pytest.raises(quorva.ModelError, match="infinity"):
            p.setObjective(coef * x + y, sense=quorva.maximize)
        with pytest.raises(quorva.ModelError, match="infinity"):
            p.setObjective(x + coef * x * y)
        with pytest.raises(quorva.ModelError, match="infinity"):
            p.addConstraint(coef * x + y <= 1)
        # The old objective stays.
        p.setObjective(x + y, sense=quorva.maximize)
        p.solve()
        assert p.getObjVal() == pytest.approx(2.0)

    def test_infinite_bounds_still_mean_unbounded(self):
        x = quorva.var(lb=-math.inf, ub=math.inf)
        p = quiet_problem(x)
        p.addConstraint(x >= -3, x <= quorva.infinity)
        p.setObjective(x)
        p.solve()
        assert p.getObjVal() == pytest.approx(-3.0)


def test_deleting_an_indicators_binary_is_refused():
    x, b = quorva.var(lb=-10, ub=10), quorva.var(vartype=quorva.binary)
    p = quiet_problem(x, b)
    p.addIndicator(b == 1, x <= 2)
    p.setObjective(x, sense=quorva.maximize)
    with pytest.raises(quorva.SolverError, match="indicator"):
        p.delVariable(b)
    assert p.getIndex(b) == 1
    p.solve()
    assert p.getObjVal() == pytest.approx(10.0)  # b = 0 leaves x free
    # Without its indicator row the binary may go.
    p.delConstraint(0)
    p.delVariable(b)
    p.solve()
    assert p.getObjVal() == pytest.approx(10.0)


class TestNoSolution:
    """One rule for every kind of problem: no solution, an error naming the status."""

    QUERIES = ["getObjVal", "getSolution", "getSlack", "getDual", "getRCost"]

    def infeasible_lp(self):
        x = quorva.var()
        p = quiet_problem(x)
        p.addConstraint(x >= 2, x <= 1)
        p.setObjective(x)
        return p

    def test_unsolved_problem(self):
        p = self.infeasible_lp()
        for query in self.QUERIES:
            with pytest.raises(quorva.SolverError, match="lp_unstarted"):
                getattr(p, query)()

    def test_infeasible_lp(self):
        p = self.infeasible_lp()
        p.solve()
        assert p.getProbStatusString() == "lp_infeas"
        for query in self.QUERIES:
            with pytest.raises(quorva.SolverError, match="lp_infeas"):
                getattr(p, query)()
        with pytest.raises(quorva.SolverError, match="lp_infeas"):
            p.getSolution(0)

    def test_infeasible_mip(self):
        x = quorva.var(vartype=quorva.integer, ub=10)
        p = quiet_problem(x)
        p.addConstraint(2 * x == 3)
        p.setObjective(x)
        p.solve()
        assert p.getProbStatusString() == "mip_infeas"
        for query in ["getObjVal", "getSolution", "getSlack"]:
            with pytest.raises(quorva.SolverError, match="mip_infeas"):
                getattr(p, query)()

    def test_nonconvex_qp_names_status_and_reason(self):
        x, y = quorva.var(ub=1), quorva.var(ub=1)
        p = quiet_problem(x, y)
        p.addConstraint(x + y <= 1.5)
        p.setObjective(-x * x - y * y)
        p.solve()
        assert p.getProbStatusString() == "lp_nonconvex"
        for query in ["getObjVal", "getSolution"]:
            with pytest.raises(quorva.SolverError, match="lp_nonconvex.*not convex"):
                getattr(p, query)()

    def test_solution_after_success_and_after_a_change(self):
        x = quorva.var(ub=4)
        p = quiet_problem(x)
        p.setObjective(x, sense=quorva.maximize)
        p.solve()
        assert p.getObjVal() == pytest.approx(4.0) and p.getSolution() == pytest.approx([4.0])
        assert p.getRCost(x) == pytest.approx(1.0)


class TestChangesAfterAdding:
    """What the objects say is what every problem holding them solves, writes and copies."""

    def test_variable_bounds_and_type_reach_every_problem(self, tmp_path):
        x = quorva.var(lb=-10, ub=10)
        p, q = quiet_problem(x), quiet_problem(x)
        for prob in (p, q):
            prob.setObjective(x, sense=quorva.maximize)
        x.ub = 3.5
        for prob in (p, q):
            prob.solve()
            assert prob.getObjVal() == pytest.approx(3.5)
        x.vartype = quorva.integer
        p.solve()
        assert p.getProbStatusString() == "mip_optimal" and p.getObjVal() == pytest.approx(3.0)
        x.lb, x.ub = -2, -1
        copy = p.copy()
        p.write(str(tmp_path / "m.lp"))
        read = quiet_problem()
        read.read(str(tmp_path / "m.lp"))
        assert (read.getVariable(0).lb, read.getVariable(0).ub) == (-2, -1)
        copy.solve()
        assert copy.getObjVal() == pytest.approx(-1.0)

    def test_constraint_bounds_reach_the_problem(self):
        x, y = quorva.var(), quorva.var(ub=1)
        c = x + y <= 4
        r = quorva.constraint(body=x + 1, lb=0, ub=3)  # the body's constant stays out of the bounds
        p = quiet_problem(x, y)
        p.addConstraint(c, r)
        p.setObjective(x + y, sense=quorva.maximize)
        c.ub = 2
        p.solve()
        assert p.getObjVal() == pytest.approx(2.0)
        c.ub = quorva.infinity
        p.solve()
        assert p.getObjVal() == pytest.approx(3.0)
        r.lb = 1.5  # a range 1.5 <= x + 1 <= 3
        p.setObjective(x)
        p.solve()
        assert p.getObjVal() == pytest.approx(0.5)
        r.lb, r.ub = 2, 2
        p.solve()
        assert p.getObjVal() == pytest.approx(1.0)

    def test_refused_changes_send_nothing(self):
        x = quorva.var(ub=5)
        p = quiet_problem(x)
        p.setObjective(x, sense=quorva.maximize)
        with pytest.raises(quorva.ModelError, match="NaN"):
            x.ub = float("nan")
        with pytest.raises(TypeError):
            x.lb = "low"
        x.vartype = quorva.semicontinuous
        x.threshold = 7  # above the upper bound
        with pytest.raises(quorva.ModelError, match="threshold"):
            p.solve()
        x.threshold = 2
        x.ub = 4
        p.solve()
        assert p.getObjVal() == pytest.approx(4.0)
