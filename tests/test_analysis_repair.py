"""Infeasibility repair: the least weighted relaxation checked by hand, the
phase-2 re-optimisation within delta, largest relaxations, MIPs, and bad
preferences or deltas leaving the problem as it was."""

import pytest

import quorva


def problem():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


def conflict():
    """r0: x + y >= 10 with x <= 3, y <= 4: short by 3; min -x."""
    p = problem()
    x, y = quorva.var(name="x", ub=3), quorva.var(name="y", ub=4)
    p.addVariable(x, y)
    r0 = quorva.constraint(x + y >= 10, name="r0")
    p.addConstraint(r0)
    p.setObjective(-x)
    return p, x, y, r0


def rhs(p):
    values = []
    p.getrhs(values, 0, p.attributes.rows - 1)
    return values


class TestUniformPreferences:
    def test_the_cheaper_row_is_relaxed(self):
        p, x, y, r0 = conflict()
        # A row unit costs 1, a bound unit 1 / 0.5 = 2: relaxing r0 by 3 is cheapest.
        assert p.repairinfeas("c", "f", "l", 1, 1, 0.5, 0.5, 0) == 0
        assert rhs(p) == [pytest.approx(7.0)]
        assert r0.lb == pytest.approx(7.0)
        assert (x.ub, y.ub) == (3, 4)
        sol = []
        p.getlpsol(sol)
        assert sum(sol) == pytest.approx(7.0)

    def test_the_cheaper_bounds_are_relaxed_and_phase_two_optimises(self):
        p, x, y, r0 = conflict()
        # A row unit costs 4, a bound unit 1: the bounds take the 3 units; phase 2
        # maximises x within them, so x's bound takes all of it.
        assert p.repairinfeas("c", "o", "l", 0.25, 0.25, 1, 1, 0) == 0
        assert rhs(p) == [10.0]
        ub = []
        p.getub(ub)
        assert ub == [pytest.approx(6.0), 4.0] and x.ub == pytest.approx(6.0)
        assert p.attributes.lpobjval == pytest.approx(-6.0)

    def test_delta_lets_phase_two_go_further(self):
        p, x, y, r0 = conflict()
        # Within twice the least violation, x's bound may grow by 6: x = 9.
        assert p.repairinfeas("c", "o", "l", 0.25, 0.25, 1, 1, 1.0) == 0
        assert p.attributes.lpobjval == pytest.approx(-9.0)

    def test_nothing_relaxable(self):
        p, x, y, r0 = conflict()
        assert p.repairinfeas("c", "f", "l", 0, 0, 0, 0, 0) == 1
        assert rhs(p) == [10.0] and (x.ub, y.ub) == (3, 4)


class TestWeighted:
    def test_per_row_and_column_preferences(self):
        p, x, y, r0 = conflict()
        # Only y's upper bound may move.
        assert p.repairweightedinfeas(None, None, [0, 0], [0, 1], "f", 0, "") == 0
        ub = []
        p.getub(ub)
        assert ub == [3.0, pytest.approx(7.0)]

    def test_largest_relaxations(self):
        p, x, y, r0 = conflict()
        # Each bound may move by 2 at most, the row by nothing: 2 + 1 or 1 + 2.
        status = p.repairweightedinfeasbounds(None, None, [0, 0], [1, 1], None, None, [0, 0], [2, 2], "o", 0, "")
        assert status == 0
        ub = []
        p.getub(ub)
        assert ub == [pytest.approx(5.0), pytest.approx(5.0)]
        # With at most 1 per bound no relaxation suffices.
        p2 = conflict()[0]
        assert p2.repairweightedinfeasbounds(None, None, [0, 0], [1, 1], None, None, [0, 0], [1, 1], "f", 0, "") == 1

    def test_mip_keeps_integrality(self):
        """2x + 2y = 3 in integers: the row must move by 1 (to 2 or 4)."""
        p = problem()
        x, y = quorva.var(vartype=quorva.integer, ub=5), quorva.var(vartype=quorva.integer, ub=5)
        p.addVariable(x, y)
        p.addConstraint(2 * x + 2 * y == 3)
        assert p.repairweightedinfeas([1], [1], None, None, "f", 0, "") == 0
        assert rhs(p)[0] in (pytest.approx(2.0), pytest.approx(4.0))
        assert p.attributes.mipstatus == quorva.mip_optimal

    def test_bad_input_changes_nothing(self):
        p, x, y, r0 = conflict()
        with pytest.raises(quorva.SolverError, match="a preference must be a number >= 0"):
            p.repairweightedinfeas([-1], None, None, None, "f", 0, "")
        with pytest.raises(quorva.SolverError, match="delta is nan"):
            p.repairinfeas("c", "o", "l", 1, 1, 1, 1, float("nan"))
        with pytest.raises(quorva.SolverError, match="phase2 is 'x'"):
            p.repairweightedinfeas(None, None, None, None, "x", 0, "")
        with pytest.raises(quorva.SolverError, match="pflags is 'q'"):
            p.repairinfeas("q", "o", "l", 1, 1, 1, 1, 0)
        with pytest.raises(quorva.ModelError, match="expected 1, found 2"):
            p.repairweightedinfeas([1, 1], None, None, None, "f", 0, "")
        assert rhs(p) == [10.0] and (x.ub, y.ub) == (3, 4)
