"""The nonlinear solver's own settings on real solves: tolerance sets
deciding when a run has converged, starting values given as SLP settings
deciding which local optimum is reached, and the tolerance-set and SLP
variable methods refusing bad input with the problem left as it was."""
import pytest

import quorva

NONE = [0.0] * 9


def tolset(**values):
    """Nine tolerances with the named ones set."""
    order = ["absstep", "relstep", "stepbound", "absimpact", "relimpact", "absobjimpact",
             "relobjimpact", "absredcost", "relredcost"]
    return [values.get(name, 0.0) for name in order]


@pytest.fixture
def p():
    prob = quorva.problem()
    prob.controls.outputlog = 0
    return prob


def rosenbrock(p, start=(-1.2, 1.0)):
    x, y = quorva.var(lb=-5, ub=5, name="x"), quorva.var(lb=-5, ub=5, name="y")
    p.addVariable(x, y)
    p.setObjective((1 - x) ** 2 + 100 * (y - x ** 2) ** 2)
    p.addvars([x, y], None, None, None, None, list(start), None)
    return x, y


def iterations(p):
    return p.getAttrib("slpiterations")


class TestToleranceSets:
    def test_a_loose_step_tolerance_ends_the_run_early_and_a_tight_one_holds_it(self, p):
        x, y = rosenbrock(p)
        p.solve()
        default_iterations = iterations(p)
        default_error = abs(p.getSolution(x) - 1)
        assert p.getSolution([x, y]) == pytest.approx([1, 1], abs=1e-4)

        p.addtolsets(tolset(absstep=0.05) + tolset(absredcost=1e-14))
        p.chgvar(x, tolset=1), p.chgvar(y, tolset=1)
        p.solve()
        assert p.getProbStatus() == quorva.nlp_solution
        assert iterations(p) < default_iterations
        early = p.getSolution([x, y])
        assert abs(early[0] - 1) > 10 * default_error  # stopped before the optimum
        # The columns say that they met their test.
        assert p.getvar(x)[9] == 1 and p.getvar(y)[9] == 1

        # A stationarity tolerance no point meets keeps the run from
        # claiming convergence.
        p.chgvar(x, tolset=2), p.chgvar(y, tolset=2)
        p.solve()
        assert p.getProbStatus() != quorva.nlp_solution
        assert p.getvar(x)[9] == 0

    def test_changing_a_set_changes_the_next_run_and_status_words_follow(self, p):
        x, y = rosenbrock(p)
        p.addtolsets(tolset(absstep=0.05))
        t = []
        assert p.gettolset(1, t) == 0x1
        assert t == pytest.approx(tolset(absstep=0.05))
        p.chgvar(x, tolset=1), p.chgvar(y, tolset=1)
        p.solve()
        loose = iterations(p)
        # Status None: the bits follow the positive values.
        p.chgtolset(1, None, tolset(absstep=1e-6, relredcost=1e-6))
        assert p.gettolset(1, t) == (1 << 0) | (1 << 8)
        p.solve()
        assert iterations(p) > loose
        assert p.getSolution([x, y]) == pytest.approx([1, 1], abs=1e-3)
        # A status word of 0 takes every tolerance out of force: the
        # columns fall back to the default test; the values stay.
        p.chgtolset(1, 0, None)
        assert p.gettolset(1, t) == 0 and t[0] == pytest.approx(1e-6)
        p.solve()
        assert p.getSolution([x, y]) == pytest.approx([1, 1], abs=1e-4)

    def test_deleting_and_loading_sets_renumbers_the_columns(self, p):
        x, y = rosenbrock(p)
        p.addtolsets(tolset(absstep=1) + tolset(absstep=2) + tolset(absstep=3))
        assert p.getAttrib("slptolsets") == 3
        p.chgvar(x, tolset=3)
        p.deltolsets([1, 2])
        assert p.getAttrib("slptolsets") == 1
        assert p.getvar(x)[7] == 1
        t = []
        p.gettolset(1, t)
        assert t[0] == 3
        p.loadtolsets(tolset(absstep=4) + tolset(absstep=5))
        p.gettolset(1, t)
        assert t[0] == 4 and p.getAttrib("slptolsets") == 2


class TestStartingPoints:
    def test_the_starting_value_picks_the_local_optimum(self, p):
        # Two wells: near -1 (the lower, objective about -0.05) and near +1.
        x = quorva.var(lb=-3, ub=3, name="x")
        p.addVariable(x)
        p.setObjective((x ** 2 - 1) ** 2 + 0.05 * x)
        p.addvars([x], None, None, None, None, [0.9], None)
        p.solve()
        assert p.getSolution(x) == pytest.approx(0.9937, abs=1e-3)
        right = p.getObjVal()
        p.chgvar(x, initvalue=-0.6)
        p.nlpoptimize()
        sol = []
        p.getslpsol(sol)
        assert sol[0] == pytest.approx(-1.0062, abs=1e-3)
        assert p.getvar(x)[5] == -0.6  # the initial value stays as given
        p.solve()
        assert p.getObjVal() == pytest.approx(right - 0.1, abs=1e-3)

    def test_an_initial_step_bound_keeps_the_first_steps_in_the_starting_well(self, p):
        x = quorva.var(lb=-3, ub=3, name="x")
        p.addVariable(x)
        p.setObjective((x ** 2 - 1) ** 2 + 0.05 * x)
        p.addvars([x], None, None, None, None, [2.0], None)
        p.solve()
        assert p.getSolution(x) == pytest.approx(-1.0062, abs=1e-3)  # the first step jumps the hump
        p.addvars([x], None, None, None, None, [2.0], [0.25])
        p.solve()
        assert p.getSolution(x) == pytest.approx(0.9937, abs=1e-3)
        assert p.getvar(x)[1] == 0.25

    def test_settings_round_trip_and_go_with_delvars(self, p):
        x, y = rosenbrock(p, start=(0.5, 0.25))
        p.chgvar(y, initstepbound=0.5, penalty=3.0, damp=0.5, vartype=2, detrow=None)
        v = p.getvar(y)
        assert len(v) == 15
        assert v[0] == -1 and v[1] == 0.5 and v[3] == 3.0 and v[4] == 0.5 and v[5] == 0.25 and v[10] == 2
        p.delvars([y])
        assert p.getvar(y)[5] == 0.0
        with pytest.raises(quorva.SolverError, match="no SLP settings"):
            p.delvars([y])


class TestBadInput:
    def test_tolerance_arrays_of_the_wrong_length(self, p):
        rosenbrock(p)
        with pytest.raises(quorva.InterfaceError, match='multiple of 9'):
            p.addtolsets([1e-3] * 10)
        with pytest.raises(quorva.InterfaceError, match='multiple of 9'):
            p.loadtolsets([1e-3] * 8)
        assert p.getAttrib("slptolsets") == 0
        p.addtolsets([1e-3] * 18)
        assert p.getAttrib("slptolsets") == 2
        with pytest.raises(quorva.InterfaceError, match=r"should be 9"):
            p.chgtolset(1, None, [1e-3] * 8)
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in addtolsets"):
            p.addtolsets()

    def test_bad_values_and_sets_in_use_leave_the_sets_as_they_were(self, p):
        x, y = rosenbrock(p)
        p.addtolsets(tolset(absstep=1e-3) + tolset(relstep=1e-4))
        with pytest.raises(quorva.SolverError, match="not a finite number of 0 or more"):
            p.addtolsets(tolset(absstep=1e-3) + tolset(relstep=-1))
        with pytest.raises(quorva.SolverError, match="not a finite number of 0 or more"):
            p.chgtolset(2, None, tolset(relstep=float("nan")))
        with pytest.raises(quorva.SolverError, match="beyond the nine"):
            p.chgtolset(2, 0x200, None)
        with pytest.raises(quorva.SolverError, match="out of range"):
            p.gettolset(3, [])
        p.chgvar(y, tolset=2)
        with pytest.raises(quorva.SolverError, match="used by column 1"):
            p.deltolsets([1, 2])
        with pytest.raises(quorva.SolverError, match="names tolerance set 2"):
            p.loadtolsets(tolset(absstep=1))
        with pytest.raises(quorva.SolverError, match="tolset 3"):
            p.chgvar(x, tolset=3)
        assert p.getAttrib("slptolsets") == 2
        t = []
        assert p.gettolset(2, t) == 0x2 and t[1] == 1e-4
        assert p.getvar(x)[7] == 0 and p.getvar(y)[7] == 2

    def test_chgvar_and_getvar_arguments(self, p):
        x, _ = rosenbrock(p)
        with pytest.raises(quorva.InterfaceError, match="Incorrect arguments to chgvar"):
            p.chgvar()
        with pytest.raises(quorva.InterfaceError, match="Incorrect arguments in getvar"):
            p.getvar()
        with pytest.raises(TypeError):
            p.chgvar(x, initvalue="high")
        assert p.getvar(x)[5] == -1.2
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in addvars"):
            p.addvars([x])
