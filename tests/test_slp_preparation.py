"""The nonlinear solver's preparation and report methods of quorva.problem
on real solves: presolve giving the problem's own optimum, solution, duals
and reduced costs, starting values kept through it, scaling of a badly
scaled problem, fixed penalties, the linearization shown by the getters,
the unique prefix, the solution file read back as CSV, the log reports, and
bad input refused."""
import csv
import math

import pytest

import quorva


def plan(p, sx=1.0, sy=1.0, start=(1.0, 2.0)):
    """min (X-1)^2 + (Y-2)^2 + 3z - w with X = sx x, Y = sy y on
    log X + log Y + z >= 2 + log 3, z fixed at 2 by its bounds, w <= 4 (a row
    of one variable) and X + Y + w <= 20."""
    p.controls.outputlog = 0
    x = quorva.var(lb=0.01 / sx, ub=10 / sx, name="x")
    y = quorva.var(lb=0.01 / sy, ub=10 / sy, name="y")
    z, w = quorva.var(lb=2, ub=2, name="z"), quorva.var(ub=100, name="w")
    p.addVariable(x, y, z, w)
    prod = quorva.constraint(quorva.log(sx * x) + quorva.log(sy * y) + z >= 2 + math.log(3),
                             name="prod")
    cap = quorva.constraint(w <= 4, name="cap")
    total = quorva.constraint(sx * x + sy * y + w <= 20, name="total")
    p.addConstraint(prod, cap, total)
    p.setObjective((sx * x - 1) ** 2 + (sy * y - 2) ** 2 + 3 * z - w)
    p.addvars([x, y], None, None, None, None, [start[0] / sx, start[1] / sy], None)
    return [x, y, z, w], [prod, cap, total]


def solution(p):
    p.solve()
    assert p.getProbStatusString() == "nlp_solution"
    x, slack, dual, dj = [], [], [], []
    p.getslpsol(x, slack, dual, dj)
    return p.getObjVal(), x, slack, dual, dj


class TestPresolve:
    def test_same_optimum_and_results_as_without(self):
        plain, pre = quorva.problem(), quorva.problem()
        plain_cols, _ = plan(plain)
        cols, rows = plan(pre)
        pre.presolve()
        assert pre.attributes.slpstatus & 0x20000000
        reference, got = solution(plain), solution(pre)
        assert got[0] == pytest.approx(reference[0], abs=1e-7)
        for a, b in zip(got[1:], reference[1:]):
            assert a == pytest.approx(b, abs=1e-5)
        assert pre.getSolution(cols) == pytest.approx(plain.getSolution(plain_cols), abs=1e-6)
        # w is held at 4 by its row, which takes w's reduced cost as its dual.
        assert got[3][pre.getIndex(rows[1])] == pytest.approx(-1, abs=1e-6)
        assert got[4][pre.getIndex(cols[3])] == pytest.approx(0, abs=1e-6)

    def test_the_starting_values_still_pick_the_local_optimum(self):
        """Two wells of (x^2 - 1)^2 + 0.05 x, with a fixed column in the
        objective for presolve to take."""
        for start, well in ((0.9, 0.9937), (-0.6, -1.0062)):
            p = quorva.problem()
            p.controls.outputlog = 0
            x, fixed = quorva.var(lb=-3, ub=3, name="x"), quorva.var(lb=1, ub=1, name="f")
            p.addVariable(x, fixed)
            p.addConstraint(quorva.constraint(x + fixed <= 10, name="room"))
            p.setObjective((x ** 2 - 1) ** 2 + 0.05 * x + fixed)
            p.chgvar(x, initvalue=start)
            p.presolve()
            p.nlpoptimize()
            sol = []
            p.getslpsol(sol)
            assert sol[p.getIndex(x)] == pytest.approx(well, abs=1e-3)
            assert sol[p.getIndex(fixed)] == 1.0


class TestScalingAndPenalties:
    def test_scaling_a_badly_scaled_problem_keeps_the_optimum(self):
        plain, scaled = quorva.problem(), quorva.problem()
        cols, _ = plan(plain, sx=1e-3, sy=1e3)
        scaled_cols, _ = plan(scaled, sx=1e-3, sy=1e3)
        scaled.scaling()
        assert scaled.controls.slpscale == 1 and plain.controls.slpscale == 0
        reference, got = solution(plain), solution(scaled)
        assert got[0] == pytest.approx(reference[0], abs=1e-6)
        assert scaled.getSolution(scaled_cols) == pytest.approx(plain.getSolution(cols), rel=1e-5)

    def test_fixed_penalties_hold_for_the_next_solve(self):
        p = quorva.problem()
        _, rows = plan(p, start=(-1.0, 1.0))
        p.controls.slppenaltycost = 1e-3
        p.fixpenalties()
        p.solve()
        assert p.getrowinfo(quorva.rowinfo_currentpenaltyfactor, rows[0]) == pytest.approx(1e-3)
        p.solve()
        risen = p.getrowinfo(quorva.rowinfo_currentpenaltyfactor, rows[0])
        assert risen > 1e-3
        p.fixpenalties()
        p.solve()
        assert p.getrowinfo(quorva.rowinfo_currentpenaltyfactor, rows[0]) == pytest.approx(risen)


def row_of(p, row):
    """The row's coefficients by variable name, and its right-hand side."""
    starts, cols, vals = [], [], []
    i = p.getIndex(row)
    p.getrows(starts, cols, vals, 100, i, i)
    rhs = []
    p.getrhs(rhs, i, i)
    return {c.name: v for c, v in zip(cols, vals)}, rhs[0]


class TestShownLinearization:
    def test_getrows_show_the_linearization_at_the_current_point(self):
        p = quorva.problem()
        cols, rows = plan(p)
        x, y = (p.getIndex(v) for v in cols[:2])
        own = row_of(p, rows[0])
        assert own == ({"z": 1.0}, pytest.approx(2 + math.log(3)))
        objective = []
        p.getobj(objective, 0, p.attributes.cols - 1)
        p.updatelinearization()
        # log X + log Y at the start (1, 2): derivatives 1 and 1/2; the
        # right-hand side moves by log 2 - 1 - 1.
        coefs, rhs = row_of(p, rows[0])
        assert coefs == pytest.approx({"x": 1.0, "y": 0.5, "z": 1.0})
        assert rhs == pytest.approx(2 + math.log(3) - math.log(2) + 2)
        after = []
        p.getobj(after, 0, p.attributes.cols - 1)
        assert after == objective  # the objective's nonlinear part lies in its own row
        best = solution(p)
        assert row_of(p, rows[0]) == own  # the solve read the problem's own row
        p.updatelinearization()
        coefs, _ = row_of(p, rows[0])
        assert coefs["x"] == pytest.approx(1 / best[1][x]) and coefs["y"] == pytest.approx(1 / best[1][y])


class TestFilesAndReports:
    def test_filesol_round_trip(self, tmp_path):
        p = quorva.problem()
        cols, rows = plan(p)
        extra = quorva.var(name="slp_extra", ub=1)
        p.addVariable(extra)
        p.setuniqueprefix()
        assert p.controls.slpuniqueprefix == "slp_1_"
        best = solution(p)
        path = tmp_path / "plan.csv"
        p.filesol(filename=str(path))
        with open(path, newline="") as f:
            lines = list(csv.DictReader(f))
        values = {r["name"]: float(r["value"]) for r in lines if r["kind"] == "C"}
        for v in cols + [extra]:
            assert values[v.name] == pytest.approx(p.getSolution(v), rel=1e-12, abs=1e-300)
        slacks = [float(r["slack"]) for r in lines if r["kind"] == "R"]
        assert slacks == pytest.approx(best[2], rel=1e-12, abs=1e-12)
        errors = [r["name"] for r in lines if r["kind"] == "E"]
        assert "slp_1_plus_prod" in errors and "slp_1_minus_prod" in errors

    def test_filesol_refusals(self, tmp_path):
        p = quorva.problem()
        plan(p)
        with pytest.raises(quorva.SolverError, match="no nonlinear solution"):
            p.filesol(str(tmp_path / "early.csv"))
        p.solve()
        with pytest.raises(quorva.SolverError, match="missing"):
            p.filesol(str(tmp_path / "missing" / "plan.csv"))
        with pytest.raises(quorva.InterfaceError, match="Incorrect argument to filesol"):
            p.filesol(3)

    def test_reports_go_through_the_message_log(self):
        p = quorva.problem()
        plan(p)
        lines = []
        p.addcbmessage(lambda prob, data, msg, kind: lines.append(msg))
        p.printevalinfo()
        assert "0 points (0 with derivatives)" in lines[-2]
        p.solve()
        del lines[:]
        p.printevalinfo()
        p.printmemory()
        assert lines[0].startswith("SLP evaluations since the last solve started:")
        assert "0 points" not in lines[0]
        assert lines[1].startswith("SLP nonlinear part: ") and " formula coefficients in 1 rows" in lines[1]
        assert lines[2].startswith("SLP memory") and lines[-1].startswith("  total: ")
