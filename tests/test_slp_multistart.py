"""Multistart of the nonlinear solver: jobs and presets finding the global
optimum a single start misses, a small circle packing, the job callbacks
(skipping, discarding, the winner) with the job objects they are given, the
same winner on one thread and on two, and refused jobs leaving the problem
as it was."""
import itertools
import math
import sys

import pytest

import quorva
from test_module_interrupts import CTRL_C_RAISES


def g(t):
    """Two local minima: about -22.1 at t = -2.09, about -10.1 at t = 1.90."""
    return t ** 4 - 8 * t ** 2 + 3 * t


GLOBAL = -44.26916908703


def two_wells(start=1.5):
    """g(x) + g(y) on [-3, 3]^2: four local minima, the global one at
    (-2.09, -2.09); a solve from (start, start) ends in the worst one."""
    p = quorva.problem()
    p.controls.outputlog = 0
    x, y = quorva.var(lb=-3, ub=3, name="x"), quorva.var(lb=-3, ub=3, name="y")
    p.addVariable(x, y)
    p.setObjective(g(x) + g(y))
    p.chgvar(x, initvalue=start)
    p.chgvar(y, initvalue=start)
    return p, x, y


def circles(n):
    """n equal circles of the largest radius r in the unit square."""
    p = quorva.problem()
    p.controls.outputlog = 0
    xs = [quorva.var(lb=0, ub=1, name=f"x{i}") for i in range(n)]
    ys = [quorva.var(lb=0, ub=1, name=f"y{i}") for i in range(n)]
    r = quorva.var(lb=0, ub=0.5, name="r")
    p.addVariable(xs, ys, r)
    for v in xs + ys:
        p.addConstraint(v - r >= 0, v + r <= 1)
    for i, j in itertools.combinations(range(n), 2):
        p.addConstraint((xs[i] - xs[j]) ** 2 + (ys[i] - ys[j]) ** 2 >= 4 * r ** 2)
    p.setObjective(r, sense=quorva.maximize)
    return p, r


def messages(p):
    lines = []
    p.addcbmessage(lambda prob, d, msg, msgtype: lines.append(msg), None, 0)
    return lines


class TestFindingTheGlobalOptimum:
    def test_a_single_start_stays_in_its_well_and_the_jobs_find_the_global_one(self):
        p, x, y = two_wells()
        p.solve()
        single = p.getObjVal()
        assert single == pytest.approx(-20.2958, abs=1e-3)
        p.msaddjob("as given", [], [], {}, None)
        p.msaddjob("left corner", [x, y], [-2.5, -2.5], {"slpiterlimit": 100}, None)
        log = messages(p)
        p.solve()
        assert p.getProbStatus() == quorva.nlp_solution
        assert p.getObjVal() == pytest.approx(GLOBAL, abs=1e-6)
        assert p.getSolution([x, y]) == pytest.approx([-2.08787, -2.08787], abs=1e-4)
        # One line per job, in the order they end, and one for the winner.
        jobs = [m for m in log if m.startswith("Multistart job")]
        assert len(jobs) == 2 and any("(as given): locally optimal, objective -20.29" in m for m in jobs)
        assert any("job 2 (left corner) wins" in m for m in log)

    def test_random_points_within_the_bounds_find_it_and_msclear_ends_the_multistart(self):
        p, x, y = two_wells()
        p.msaddpreset("random", quorva.msset_initialvalues, 6, None)
        p.solve()
        assert p.getObjVal() == pytest.approx(GLOBAL, abs=1e-6)
        p.msclear()
        log = messages(p)
        p.solve()
        assert p.getObjVal() == pytest.approx(-20.2958, abs=1e-3)
        assert not any(m.startswith("Multistart") for m in log)

    def test_filtered_and_perturbed_presets_and_a_custom_one(self):
        p, x, y = two_wells()
        p.msaddpreset("filtered", quorva.msset_initialfiltered, 4, None)
        p.solve()
        assert p.getObjVal() == pytest.approx(GLOBAL, abs=1e-6)
        # Points around (1.5, 1.5) within a tenth of the box stay in its well.
        q, x, y = two_wells()
        q.msaddpreset("around", quorva.msset_slp_basic, 4, None)
        q.solve()
        assert q.getObjVal() == pytest.approx(-20.2958, abs=1e-3)
        # The same around (-1.5, -1.5), given by the job itself.
        q.msclear()
        q.msaddcustompreset("around", quorva.msset_slp_extended, 3, [x, y], [-1.5, -1.5], {}, None)
        q.solve()
        assert q.getObjVal() == pytest.approx(GLOBAL, abs=1e-6)

    def test_a_presolved_problem_is_solved_presolved_by_every_job(self):
        p, x, y = two_wells()
        z = quorva.var(lb=1, ub=1, name="z")
        p.addVariable(z)
        p.addConstraint(x + z <= 5)
        p.setObjective(g(x) + g(y) + z)
        p.presolve()
        p.msaddpreset("random", quorva.msset_initialvalues, 4, None)
        log = messages(p)
        p.solve()
        assert p.getObjVal() == pytest.approx(GLOBAL + 1, abs=1e-6)
        assert p.getSolution(z) == 1
        # The evaluation report counts the points of every job.
        p.printevalinfo()
        report = next(m for m in log if m.startswith("SLP evaluations"))
        assert int(report.split(": ")[1].split()[0]) > 4

    def test_three_and_five_circles_in_a_square(self):
        for n, radius in ((3, 0.254333095030), (5, (math.sqrt(2) - 1) / 2)):
            p, r = circles(n)
            p.solve()
            assert p.getObjVal() < radius - 1e-3  # all centres start at one point
            p.msaddpreset("random", quorva.msset_initialvalues, 8, None)
            p.solve()
            assert p.getObjVal() == pytest.approx(radius, abs=1e-6)

    def test_one_thread_and_two_give_the_same_winner(self):
        results = []
        for threads in (1, 2):
            p, x, y = two_wells()
            p.controls.slpthreads = threads
            p.controls.randomseed = 7
            p.msaddpreset("random", quorva.msset_initialvalues, 5, None)
            p.msaddpreset("solvers", quorva.msset_solvers, 2, None)
            winners = []
            p.setcbmswinner(lambda prob, d, job, name: winners.append(name))
            p.solve()
            results.append((winners, p.getObjVal(), p.getSolution([x, y])))
        assert results[0] == results[1] and len(results[0][0]) == 1


class TestJobCallbacks:
    def test_skipped_and_discarded_jobs_cannot_win_and_the_winner_is_named_once(self):
        p, x, y = two_wells()
        objects = {name: object() for name in ("given", "left", "right")}
        p.msaddjob("given", [], [], {}, objects["given"])
        p.msaddjob("left", [x, y], [-2.5, -2.5], {}, objects["left"])
        p.msaddjob("right", [x, y], [-2.5, 2.5], {}, objects["right"])
        seen = []

        def start(prob, d, job, name):
            assert job is objects[name] and d == "data"
            seen.append(("start", name))
            return 0

        def end(prob, d, job, name):
            # The job's copy shows its own result.
            seen.append(("end", name, round(prob.attributes.nlpobjval, 3)))
            return 1 if name == "left" else 0

        winners = []
        p.setcbmsjobstart(start, "data")
        p.setcbmsjobend(end)
        p.setcbmswinner(lambda prob, d, job, name: winners.append((job, name, prob.attributes.nlpobjval)))
        p.solve()
        assert [s for s in seen if s[0] == "start"] == [("start", n) for n in ("given", "left", "right")]
        assert ("end", "left", round(GLOBAL, 3)) in seen
        # left's result was discarded: right's (-32.28) wins over given's.
        assert p.getObjVal() == pytest.approx(-32.2825, abs=1e-3)
        assert winners == [(objects["right"], "right", pytest.approx(p.getObjVal()))]

        p.setcbmsjobstart(lambda prob, d, job, name: 1 if name == "right" else 0)
        seen.clear(), winners.clear()
        p.solve()
        assert [s[1] for s in seen] == ["given", "left"]  # right never ran
        assert winners[0][1] == "given"

    def test_the_jobs_hold_their_objects_until_msclear(self):
        p, x, y = two_wells()
        job = object()
        before = sys.getrefcount(job)
        p.msaddpreset("random", quorva.msset_initialvalues, 3, job)
        p.msaddjob("given", [], [], {}, job)
        assert sys.getrefcount(job) == before + 2
        got = []
        p.setcbmsjobstart(lambda prob, d, j, name: got.append(j is job))
        p.setcbmsjobend(lambda prob, d, j, name: got.append(j is job))
        p.setcbmswinner(lambda prob, d, j, name: got.append(j is job))
        for _ in range(2):
            p.solve()
        assert got == [True] * 18 and sys.getrefcount(job) == before + 2
        p.msclear()
        assert sys.getrefcount(job) == before
        # Jobs are not copied; their objects go with the problem.
        p.msaddjob("given", [], [], {}, job)
        q = p.copy()
        log = messages(q)
        q.solve()
        assert not any(m.startswith("Multistart") for m in log)
        del p
        assert sys.getrefcount(job) == before

    def test_an_exception_in_msjobend_stops_every_job_and_is_raised(self, capsys):
        p, x, y = two_wells()
        p.msaddpreset("random", quorva.msset_initialvalues, 6, None)
        ended = []

        def end(prob, d, job, name):
            ended.append(name)
            raise ValueError("no more")

        p.setcbmsjobend(end)
        with pytest.raises(ValueError, match="no more"):
            p.solve()
        assert ended == ["random #1"]
        assert "Problem in msjobend() callback, stopping optimization" in capsys.readouterr().err


class TestRefusedJobs:
    @pytest.mark.parametrize("call, error, text", [
        (lambda p, x: p.msaddjob("j", [x], [1.0], {"nosuchcontrol": 1}, None), quorva.InterfaceError,
         "Unknown control nosuchcontrol in msaddcustompreset/msaddjob"),
        (lambda p, x: p.msaddjob("j", [x], [1.0], [("slplog", 1)], None), quorva.InterfaceError,
         "Incorrect argument 'control' in msaddcustompreset/msaddjob: must be a dictionary"),
        (lambda p, x: p.msaddjob("j", [x], [1.0], {3: 1}, None), quorva.InterfaceError,
         "Incorrect key in parameter 'control' (all keys must be strings) of msaddcustompreset/msaddjob"),
        (lambda p, x: p.msaddjob("j", [x], [1.0], {"slpuniqueprefix": "a"}, None), quorva.InterfaceError,
         "Only integer and double controls allowed in msaddcustompreset/msaddjob"),
        (lambda p, x: p.msaddjob("j", [x], [1.0], {"slpiterlimit": 2.5}, None), quorva.ModelError,
         "Cannot set non-integer value to an integer control"),
        (lambda p, x: p.msaddjob("j", [x], [1.0], {"slpfeastol": 5.0}, None), quorva.SolverError,
         "QSLPmsaddjob: value 5 for control 12101 (slpfeastol) is outside its range"),
        (lambda p, x: p.msaddjob("j", [x], [1.0, 2.0], {}, None), quorva.ModelError,
         "Mismatched lengths in arguments: expected 1, found 2"),
        (lambda p, x: p.msaddjob("j", [x], [float("nan")], {}, None), quorva.SolverError,
         "'initvalue' at position 0 is nan"),
        (lambda p, x: p.msaddjob("j", [x], [1.0], {}), quorva.InterfaceError, "Incorrect arguments in msaddjob"),
        (lambda p, x: p.msaddpreset("j", quorva.msset_knitro_basic, 2, None), quorva.SolverError,
         "QSLPmsaddpreset: preset 4 (msset_knitro_basic) needs a solver this library does not have"),
        (lambda p, x: p.msaddpreset("j", 9, 2, None), quorva.SolverError,
         "QSLPmsaddpreset: preset 9 is not one of the QSLP_MSSET_* presets"),
        (lambda p, x: p.msaddpreset("j", quorva.msset_initialvalues, 0, None), quorva.SolverError,
         "count 0 of preset 0 (msset_initialvalues) is less than 1"),
        (lambda p, x: p.msaddpreset("j", quorva.msset_solvers, 3, None), quorva.SolverError,
         "count 3 of preset 1 (msset_solvers) is more than its 2 jobs"),
        (lambda p, x: p.msaddpreset("j", "one", 3, None), quorva.InterfaceError, "Incorrect arguments in msaddpreset"),
        (lambda p, x: p.msaddcustompreset("j", quorva.msset_initialvalues, 2, [x], [1.0], {"slptimelimit": "x"},
                                          None), quorva.ModelError, "non-numerical value"),
        (lambda p, x: p.msaddcustompreset("j", 0, 2, [x], [1.0], None), quorva.InterfaceError,
         "Incorrect arguments in msaddcustompreset"),
    ])
    def test_a_refused_job_is_not_added_and_holds_no_reference(self, call, error, text):
        p, x, y = two_wells()
        marker = object()
        p.msaddjob("kept", [], [], {}, marker)
        count = sys.getrefcount(marker)
        with pytest.raises(error) as info:
            call(p, x)
        assert text in str(info.value)
        assert sys.getrefcount(marker) == count
        log = messages(p)
        p.solve()
        assert "Multistart: 1 jobs on 1 thread" in log

    def test_jobs_cannot_change_from_a_callback(self):
        p, x, y = two_wells()
        p.msaddjob("given", [], [], {}, None)
        errors = []

        def start(prob, d, job, name):
            for call in (lambda: prob.msaddjob("more", [], [], {}, None), prob.msclear):
                with pytest.raises(quorva.InterfaceError, match="the problem a callback is given") as e:
                    call()
                errors.append(e.type)

        p.setcbmsjobstart(start)
        p.solve()
        assert errors == [quorva.InterfaceError] * 2


CTRL_C = """
import os, signal
import quorva

calls, started = [], []

def wells(a, b):
    calls.append(1)
    if len(calls) == 40:
        os.kill(os.getpid(), signal.SIGINT)
    return sum(t ** 4 - 8 * t ** 2 + 3 * t for t in (a, b))

p = quorva.problem()
p.controls.outputlog = 0
x, y = quorva.var(lb=-3, ub=3), quorva.var(lb=-3, ub=3)
p.addVariable(x, y)
p.setObjective(quorva.user(wells, x, y))
p.controls.slpthreads = 2
p.msaddpreset("random", quorva.msset_initialvalues, 30, None)
p.setcbmsjobstart(lambda prob, d, job, name: started.append(name))
p.solve()
print(len(started) < 30, p.attributes.slpstopstatus == quorva.stop_ctrlc)
""" + CTRL_C_RAISES


def test_ctrl_c_stops_every_job_and_the_handler_comes_back(fresh_python):
    code, out, err = fresh_python(CTRL_C)
    assert code == 0, err
    assert out.split() == ["True", "True", "KeyboardInterrupt"]
