"""User scaling, the presolve of one row, polishing MIP solutions and
tuning: scale() must not move the optimum, duals, slacks or reduced costs of
published LPs and refuses bad factors with the problem as it was;
presolverow against rows worked out by hand; refinemipsol improves or keeps
a deliberately bad incumbent; tune leaves the problem solving to the same
optimum, logs its trials, and its method files round trip while bad files
are refused with the line named."""

import random

import numpy as np
import pytest

import quorva

INSTANCES = "/work/shared/instances"


def read(name):
    p = quorva.problem()
    p.controls.outputlog = 0
    p.read("%s/%s" % (INSTANCES, name))
    return p


def lp_solution(p):
    x, slack, dual, dj = [], [], [], []
    p.lpoptimize()
    assert p.attributes.lpstatus == quorva.lp_optimal
    p.getlpsol(x, slack, dual, dj)
    return p.attributes.lpobjval, [np.array(v) for v in (x, slack, dual, dj)]


class TestScale:
    @pytest.mark.parametrize("name", ["afiro.mps", "adlittle.mps", "israel.mps"])
    def test_factors_leave_the_solution_in_the_problems_units(self, name):
        p = read(name)
        obj, plain = lp_solution(p)
        rnd = random.Random(7)
        m, n = p.attributes.rows, p.attributes.cols
        p.scale([rnd.randint(-6, 6) for _ in range(m)], [rnd.randint(-6, 6) for _ in range(n)])
        sobj, scaled = lp_solution(p)
        assert sobj == pytest.approx(obj, rel=1e-8)
        for a, b in zip(plain, scaled):
            assert b == pytest.approx(a, rel=1e-5, abs=1e-5 * (1 + np.abs(a).max()))
        # Rows only, then no user scaling at all.
        p.scale([3] * m, None)
        assert lp_solution(p)[0] == pytest.approx(obj, rel=1e-8)
        p.scale()
        assert lp_solution(p)[0] == pytest.approx(obj, rel=1e-8)

    def test_mip_keeps_its_optimum_and_integral_columns(self):
        p = read("flugpl.mps")
        n = p.attributes.cols
        p.scale([2] * p.attributes.rows, [-3] * n)
        p.mipoptimize()
        assert p.attributes.mipobjval == pytest.approx(1201500, rel=1e-4)
        x, types = [], []
        p.getmipsol(x)
        p.getcoltype(types, 0, n - 1)
        assert all(abs(v - round(v)) < 1e-6 for v, t in zip(x, types) if t == "I")

    def test_scaled_basis_condition(self):
        p = read("afiro.mps")
        p.lpoptimize()
        plain = p.basisstability(0, 1, 1)
        assert plain == pytest.approx(p.basisstability(0, 1, 0))
        p.scale([4] * p.attributes.rows, None)
        # R B C with slack columns kept unit: B's structural part times 16.
        assert p.basisstability(0, 1, 1) != pytest.approx(plain)
        assert p.basisstability(0, 1, 0) == pytest.approx(plain)

    def test_bad_factors_are_refused_and_change_nothing(self):
        p = read("afiro.mps")
        obj, _ = lp_solution(p)
        m, n = p.attributes.rows, p.attributes.cols
        with pytest.raises(quorva.ModelError, match="expected %d, found 2" % m):
            p.scale([1, 2], None)
        with pytest.raises(quorva.SolverError, match="'colscale' at position 3 is 65"):
            p.scale([1] * m, [0, 0, 0, 65] + [0] * (n - 4))
        with pytest.raises((quorva.ModelError, TypeError)):
            p.scale([float("nan")] * m, None)
        sobj, _ = lp_solution(p)
        assert sobj == pytest.approx(obj, rel=1e-12)


class TestPresolverow:
    @pytest.fixture
    def p(self):
        p = quorva.problem()
        p.controls.outputlog = 0
        self.x, self.y, self.z = quorva.var(lb=2, ub=2), quorva.var(ub=5), quorva.var(lb=-quorva.infinity)
        p.addVariable(self.x, self.y, self.z)
        p.addConstraint(self.x + self.y + self.z >= 0)
        return p

    def test_fixed_columns_duplicates_and_zeros(self, p):
        cols, vals = [], []
        result = p.presolverow("L", [self.x, self.y, self.y, self.z], [1, 2, 3, 0], 10, 5, cols, vals)
        assert result == (8.0, 0)
        assert cols == [1] and vals == [5.0]

    def test_redundant_infeasible_and_too_long(self, p):
        cols, vals = [], []
        assert p.presolverow("L", [self.x, self.y], [1, 1], 7, 5, cols, vals) == (5.0, 1)
        assert p.presolverow("G", [self.x, self.y], [1, 1], 8, 5, cols, vals) == (6.0, 2)
        assert p.presolverow("E", [self.y, self.z], [1, 1], 3, 1, cols, vals)[1] == 3
        assert cols == [] and vals == []

    def test_refusals(self, p):
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments mcolso, dvalo, mcolsp, dvalp"):
            p.presolverow("L", [self.x], [1], 1, 5, None, [])
        with pytest.raises(quorva.ModelError, match="expected 2, found 1"):
            p.presolverow("L", [self.x, self.y], [1], 1, 5, [], [])
        with pytest.raises(quorva.SolverError, match="rowtype is 'N'"):
            p.presolverow("N", [self.x], [1], 1, 5, [], [])
        with pytest.raises(quorva.SolverError, match="NaN"):
            p.presolverow("L", [self.y], [float("nan")], 1, 5, [], [])


@pytest.fixture
def mip():
    """min -x - y  s.t.  x + y <= 3.5,  x + y >= 3;  x integer in [0, 2], y in [0, 2]."""
    p = quorva.problem()
    p.controls.outputlog = 0
    x, y = quorva.var(vartype=quorva.integer, ub=2), quorva.var(ub=2)
    p.addVariable(x, y)
    p.addConstraint(x + y <= 3.5, x + y >= 3)
    p.setObjective(-x - y)
    return p


class TestRefinemipsol:
    def test_a_bad_incumbent_is_improved_then_kept(self, mip):
        refined = []
        assert mip.refinemipsol(0, "", [1, 2], refined) == 1
        assert refined == pytest.approx([1, 2])  # x = 1 only allows y = 2
        assert mip.refinemipsol(0, "", [2.0000001, 1], refined) == 0
        assert refined == pytest.approx([2, 1.5])
        assert mip.refinemipsol(0, "", refined, refined) == 1
        assert refined == pytest.approx([2, 1.5])

    def test_infeasible_incumbents(self, mip):
        refined = []
        # Continuous part broken, integer decision fine: repaired.
        assert mip.refinemipsol(0, "", [2, 7], refined) == 0
        assert refined == pytest.approx([2, 1.5])
        # x = 0 leaves no room for y: nothing to keep.
        assert mip.refinemipsol(0, "", [0, 0], refined) == 2
        assert refined == [0, 0]

    def test_published_mip_optimum_is_kept(self):
        p = read("egout.mps")
        p.mipoptimize()
        x, refined = [], []
        p.getmipsol(x)
        assert p.refinemipsol(1, "", x, refined) in (0, 1)
        assert p.calcobjective(refined) <= p.attributes.mipobjval + 1e-6
        p.mipoptimize()
        assert p.attributes.mipobjval == pytest.approx(568.1007, rel=1e-4)

    def test_refusals_leave_the_problem_alone(self, mip):
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments solution and refined_solution"):
            mip.refinemipsol(0, "", None, [])
        with pytest.raises(quorva.ModelError, match="expected 2, found 1"):
            mip.refinemipsol(0, "", [1], [])
        with pytest.raises(quorva.SolverError, match="options is 4"):
            mip.refinemipsol(4, "", [1, 2], [])
        with pytest.raises(quorva.SolverError, match="NaN"):
            mip.refinemipsol(0, "", [1, float("nan")], [])
        with pytest.raises(quorva.SolverError, match="flags is 'd'"):
            mip.refinemipsol(0, "d", [1, 2], [])
        mip.mipoptimize()
        assert mip.attributes.mipobjval == pytest.approx(-3.5)


class TestTune:
    def test_lp_tuning_keeps_the_optimum_and_logs_trials(self):
        p = read("adlittle.mps")
        lines = []
        p.addcbmessage(lambda prob, data, msg, kind: lines.append(msg))
        p.controls.tunermaxtime = 30
        p.tune()
        trials = [line for line in lines if "QRVAtune: trial" in line]
        assert len(trials) == 6 and "defaultalg=2" in trials[1]
        assert any("its settings are left set" in line for line in lines)
        p.lpoptimize()
        assert p.attributes.lpobjval == pytest.approx(225494.96316, rel=1e-6)

    def test_method_file_round_trip_and_mip_tuning(self, tmp_path):
        p = read("flugpl.mps")
        first, second = tmp_path / "first.txt", tmp_path / "second.txt"
        p.tunerwritemethod(str(first))
        text = first.read_text()
        assert text.startswith("QRVA tuner method 1\n") and "cutstrategy=0" in text
        mine = tmp_path / "mine.txt"
        mine.write_text("QRVA tuner method 1\n# two trials\n\npresolve=0 heuristiceffort=0.25\ncutstrategy=2\n")
        p.tunerreadmethod(str(mine))
        p.tunerwritemethod(str(second))
        p.tunerreadmethod(str(second))
        p.tunerwritemethod(str(first))
        assert first.read_text() == second.read_text()
        assert second.read_text().splitlines()[-2:] == ["presolve=0 heuristiceffort=0.25", "cutstrategy=2"]
        p.tune("g")
        assert p.controls.timelimit == quorva.infinity
        p.mipoptimize()
        assert p.attributes.mipobjval == pytest.approx(1201500, rel=1e-4)

    @pytest.mark.parametrize("body,message", [
        ("presolve=0\n", "line 1: 'presolve=0' is not the header"),
        ("QRVA tuner method 1\npresolve=0\nnosuchcontrol=1\n", "line 3: 'nosuchcontrol' is not a control"),
        ("QRVA tuner method 1\npresolve=7\n", "line 2: value 7 of presolve is outside its range"),
        ("QRVA tuner method 1\nfeastol=abc\n", "line 2: value 'abc' of feastol is not a number"),
        ("QRVA tuner method 1\npresolve\n", "line 2: 'presolve' is not of the form control=value"),
        ("QRVA tuner method 1\ntimelimit=5\n", "line 2: timelimit is set by the tuner itself"),
        ("QRVA tuner method 1\npresolve=0 presolve=1\n", "line 2: the trial sets presolve twice"),
        ("# nothing\n", "has no header"),
    ])
    def test_bad_method_files_are_refused(self, tmp_path, body, message):
        p = read("afiro.mps")
        before, after, bad = tmp_path / "before.txt", tmp_path / "after.txt", tmp_path / "bad.txt"
        p.tunerwritemethod(str(before))
        bad.write_text(body)
        with pytest.raises(quorva.SolverError, match=message):
            p.tunerreadmethod(str(bad))
        p.tunerwritemethod(str(after))
        assert before.read_text() == after.read_text()

    def test_other_refusals(self, tmp_path):
        p = read("afiro.mps")
        with pytest.raises(quorva.SolverError, match="cannot open"):
            p.tunerreadmethod(str(tmp_path / "missing.txt"))
        with pytest.raises(quorva.SolverError, match="only 'l'"):
            p.tune("x")
