"""The optimizer's callback kinds through Python on real solves: simplex and
barrier logs, the MIP's log, incumbents, gap targets and candidates, what
their results do, bad results, and Ctrl-C while a callback runs."""
import random

import pytest

import quorva


def transport(n=20, seed=1):
    """A transportation LP of n x n routes: enough simplex and barrier iterations."""
    rng = random.Random(seed)
    p = quorva.problem()
    p.controls.outputlog = 0
    x = [[quorva.var() for _ in range(n)] for _ in range(n)]
    p.addVariable([v for row in x for v in row])
    supply = [rng.randint(50, 100) for _ in range(n)]
    demand = [s * 0.9 for s in supply]
    rng.shuffle(demand)
    p.addConstraint([quorva.Sum(x[i]) <= supply[i] for i in range(n)])
    p.addConstraint([quorva.Sum(x[i][j] for i in range(n)) >= demand[j] for j in range(n)])
    p.setObjective(quorva.Sum(rng.randint(1, 30) * x[i][j] for i in range(n) for j in range(n)))
    return p


def knapsack(n=30, seed=3):
    """A 0-1 knapsack HiGHS improves on several times."""
    rng = random.Random(seed)
    p = quorva.problem()
    p.controls.outputlog = 0
    x = [quorva.var(vartype=quorva.binary) for _ in range(n)]
    p.addVariable(x)
    w = [rng.randint(10, 60) for _ in range(n)]
    p.addConstraint(quorva.Sum(wi * xi for wi, xi in zip(w, x)) <= sum(w) // 3)
    p.setObjective(quorva.Sum((wi + rng.randint(-5, 15)) * xi for wi, xi in zip(w, x)), sense=quorva.maximize)
    return p, x


def test_simplex_and_barrier_logs_fire_and_their_results_stop_the_solve():
    p = transport(n=30)
    p.controls.presolve = 0
    p.controls.lplogfreq = 5
    seen = []
    p.addcblplog(lambda prob, data: seen.append(prob.attributes.simplexiters))
    p.lpoptimize()
    assert p.getProbStatusString() == "lp_optimal" and len(seen) >= 2
    assert seen == sorted(seen) and seen[0] >= 5
    p = transport(n=30)  # a fresh one: a re-solve starts from the optimal basis
    p.controls.presolve = 0
    p.controls.lplogfreq = 5
    p.addcblplog(lambda prob, data: 1)
    p.lpoptimize()
    assert p.attributes.stopstatus == quorva.stop_user and p.attributes.lpstatus != quorva.lp_optimal

    p = transport()
    iterations, logs = [], []
    p.addcbbarlog(lambda prob, data: logs.append(prob.attributes.bariters))
    p.addcbbariteration(lambda prob, data: iterations.append(prob.attributes.bariters))
    p.lpoptimize("b")
    assert p.getProbStatusString() == "lp_optimal"
    assert len(iterations) >= 5 and iterations == logs
    p.removecbbarlog(None)
    p.removecbbariteration(None)
    # The action returned: 1 stops, 2 stops and crosses over to a basic optimum.
    for action, status in ((1, quorva.lp_unfinished), (2, quorva.lp_optimal)):
        p.removecbbariteration(None)
        p.addcbbariteration(lambda prob, data, a=action: a if prob.attributes.bariters >= 3 else 0)
        p.lpoptimize("b")
        assert p.attributes.lpstatus == status


def test_mip_log_incumbents_and_gap_targets():
    p, x = knapsack()
    incumbents = []

    def intsol(prob, data):
        sol = []
        prob.getmipsol(sol)
        incumbents.append((prob.attributes.mipobjval, sum(sol)))
    p.addcbintsol(intsol)
    p.solve()
    best = p.getObjVal()
    assert incumbents and incumbents[-1][0] == pytest.approx(best)
    assert [o for o, _ in incumbents] == sorted(o for o, _ in incumbents)

    p, x = knapsack()
    p.addcbgloballog(lambda prob, data: 1)
    p.solve()
    assert p.attributes.stopstatus == quorva.stop_user

    p, x = knapsack()
    p.controls.miprelgapnotify = 0.5
    targets = []

    def gap(prob, data):
        targets.append(prob.attributes.mipobjval)
        return (-1.0, None, None, None)  # the relative target is reached: switch it off
    p.addcbgapnotify(gap)
    p.solve()
    assert len(targets) == 1 and p.getObjVal() == pytest.approx(best)


def test_preintsol_rejects_are_honoured_and_bad_results_surface(capfd):
    p, x = knapsack(n=12)
    p.solve()
    best = p.getObjVal()
    p, x = knapsack(n=12)
    offered = []

    def preintsol(prob, data, soltype, cutoff):
        sol = []
        prob.getlpsol(sol)
        offered.append(soltype)
        return (1 if len(offered) == 1 else 0, None)  # the first candidate is refused
    p.addcbpreintsol(preintsol)
    p.solve()
    assert len(offered) >= 2 and p.getObjVal() == pytest.approx(best)

    p, x = knapsack(n=12)
    p.addcbpreintsol(lambda prob, data, soltype, cutoff: "yes")
    with pytest.raises(TypeError, match="must return tuple of two elements"):
        p.solve()
    assert "must return tuple of two elements" in capfd.readouterr().err

    p, x = knapsack()
    p.controls.miprelgapnotify = 0.5
    p.addcbgapnotify(lambda prob, data: 0.5)
    with pytest.raises(TypeError, match="must return tuple of four elements"):
        p.solve()


def test_ctrl_c_while_a_python_callback_runs_stops_the_solve(fresh_python):
    code = """
import os, random, signal
import quorva
from test_callbacks_kinds import transport
p = transport(n=30)
p.controls.lplogfreq = 1
sent = []
def lplog(prob, data):
    if not sent:
        sent.append(1)
        os.kill(os.getpid(), signal.SIGINT)
    return 0
p.addcblplog(lplog)
p.lpoptimize()
print(p.attributes.stopstatus == quorva.stop_ctrlc, p.attributes.lpstatus == quorva.lp_unfinished)
"""
    import os
    rc, out, err = fresh_python("import sys; sys.path.insert(0, %r)\n" % os.path.dirname(__file__) + code)
    assert rc == 0, err
    assert out.split("\n")[0] == "True True"
