"""Sensitivity of an optimal basis: objsa and rhssa against HiGHS's own
ranging (through highspy, reading the same file) on a transportation LP
and netlib LPs, row dual ranges by hand, and the refusals."""

import numpy as np
import pytest

import quorva

highspy = pytest.importorskip("highspy")

INSTANCES = "/work/shared/instances"
INFINITY = 1e20


def problem():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


def transportation():
    """Three plants ship to four markets at least their demand, within supply."""
    supply, demand = [30, 45, 25], [20, 25, 30, 15]
    cost = [[4, 6, 9, 5], [7, 3, 4, 8], [6, 5, 3, 7]]
    p = problem()
    x = [[quorva.var(name="x%d%d" % (i, j)) for j in range(4)] for i in range(3)]
    p.addVariable(*[v for row in x for v in row])
    p.addConstraint(*[quorva.constraint(quorva.Sum(x[i]) <= supply[i], name="s%d" % i) for i in range(3)])
    p.addConstraint(*[quorva.constraint(quorva.Sum(x[i][j] for i in range(3)) >= demand[j], name="d%d" % j)
                      for j in range(4)])
    p.setObjective(quorva.Sum(cost[i][j] * x[i][j] for i in range(3) for j in range(4)))
    return p


def highs_ranging(path):
    h = highspy.Highs()
    h.setOptionValue("output_flag", False)
    h.readModel(path)
    h.run()
    status, ranging = h.getRanging()
    n, m = h.getNumCol(), h.getNumRow()
    clip = lambda v: np.clip(np.asarray(v, dtype=float), -INFINITY, INFINITY)
    return (clip(ranging.col_cost_dn.value_[:n]), clip(ranging.col_cost_up.value_[:n]),
            clip(ranging.row_bound_dn.value_[:m]), clip(ranging.row_bound_up.value_[:m]))


@pytest.mark.parametrize("source", ["transportation", "adlittle.mps", "israel.mps", "25fv47.mps"])
def test_ranges_agree_with_highs(tmp_path, source):
    if source == "transportation":
        p = transportation()
        path = str(tmp_path / "transport.mps")
        p.write(path)
    else:
        path = "%s/%s" % (INSTANCES, source)
        p = problem()
        p.read(path)
    p.lpoptimize()
    n, m = p.attributes.cols, p.attributes.rows
    cost_dn, cost_up, rhs_dn, rhs_up = highs_ranging(path)
    lower, upper = [], []
    p.objsa(list(range(n)), lower, upper)
    assert lower == pytest.approx(cost_dn, rel=1e-7, abs=1e-7)
    assert upper == pytest.approx(cost_up, rel=1e-7, abs=1e-7)
    p.rhssa(list(range(m)), lower, upper)
    assert len(lower) == m
    assert lower == pytest.approx(rhs_dn, rel=1e-7, abs=1e-7)
    assert upper == pytest.approx(rhs_up, rel=1e-7, abs=1e-7)


def test_ranges_by_objects_and_names():
    p = transportation()
    p.lpoptimize()
    lower, upper = [], []
    x00 = p.getVariable()[0]
    p.objsa([x00, "x12"], lower, upper)
    all_lower, all_upper = [], []
    p.objsa(list(range(12)), all_lower, all_upper)
    assert lower == [all_lower[0], all_lower[6]] and upper == [all_upper[0], all_upper[6]]


class TestRowDuals:
    def lp(self):
        """min -x: c: x <= b (b = 4), 0 <= x <= 10. Its value is -b on [0, 10], -10 beyond."""
        p = problem()
        x = quorva.var(ub=10, name="x")
        p.addVariable(x)
        c = quorva.constraint(x <= 4, name="c")
        p.addConstraint(c)
        p.setObjective(-x)
        p.lpoptimize()
        return p, x, c

    def test_by_hand(self):
        p, x, c = self.lp()
        lower, upper = [], []
        p.rhssa([c], lower, upper)
        assert (lower, upper) == ([0.0], [10.0])
        p.objsa([x], lower, upper)
        assert (lower, upper) == ([-INFINITY], [0.0])
        p.estimaterowdualranges([c], 50, lower, upper)
        # The dual is -1 on the range, 0 above it; below 0 there is no solution.
        assert lower == [-INFINITY] and upper == [pytest.approx(0.0)]

    def test_a_maximised_value(self):
        p, x, c = self.lp()
        p.setObjective(x, sense=quorva.maximize)
        p.lpoptimize()
        lower, upper = [], []
        p.estimaterowdualranges([c], 50, lower, upper)
        assert lower == [pytest.approx(0.0)] and upper == [INFINITY]
        dual = []
        p.getlpsol(None, None, dual)
        assert dual == [pytest.approx(1.0)]


class TestRefusals:
    def test_missing_arguments(self):
        p = transportation()
        p.lpoptimize()
        for method in (p.objsa, p.rhssa):
            with pytest.raises(quorva.InterfaceError, match="Must provide arguments mindex, lower, and upper"):
                method(None, [], [])
            with pytest.raises(quorva.InterfaceError, match="Must provide arguments mindex, lower, and upper"):
                method([0], [], None)
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments minDualActivity, maxDualActivity"):
            p.estimaterowdualranges([0], 10, None, [])

    def test_unsolved_mip_and_bad_indices(self):
        p = transportation()
        kept = ["kept"]
        with pytest.raises(quorva.SolverError, match="no optimal basis is available"):
            p.objsa([0], kept, kept)
        assert kept == ["kept"]
        p.lpoptimize()
        with pytest.raises(quorva.SolverError, match="out of range"):
            p.rhssa([99], [], [])
        with pytest.raises(quorva.SolverError, match="iterlimit is -1"):
            p.estimaterowdualranges([0], -1, [], [])
        mip = problem()
        mip.read("%s/flugpl.mps" % INSTANCES)
        mip.mipoptimize()
        with pytest.raises(quorva.SolverError, match="discrete columns"):
            mip.objsa([0], [], [])
        mip.fixglobals(True)
        mip.lpoptimize()
        lower, upper = [], []
        mip.objsa([0], lower, upper)
        assert lower[0] <= upper[0]
