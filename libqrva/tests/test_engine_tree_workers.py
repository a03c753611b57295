"""Several workers in the engine's own tree search (control threads): the
optima of one worker and of HiGHS's MIP, every worker announced and ended
on a thread of its own, node callbacks on the workers' threads, rows and
cuts the workers share, and the limits and stops that end all of them."""
import os
import random
import threading
import time

import pytest

from engine_model import dbl, int64s, ints
from test_engine_tree import (INSTANCES, MAXMIPSOL, MAXNODE, MIP_NO_SOL_FOUND, MIP_OPTIMAL,
                              MIP_SOLUTION, MIPRELGAPTOL, MIPSOLS, NODES, STOP_NODELIMIT,
                              STOP_SOLLIMIT, STOPSTATUS, BESTBOUND, TREESEARCH, facility_location,
                              knapsack, set_cover)
from test_engine_tree_nodes import add, m, mip_value, node_model  # noqa: F401 (m: the fixture)

THREADS, MIPTHREADID, CURRENTNODE, TIMELIMIT = 8006, 1084, 1080, 7006
STOP_TIMELIMIT, STOP_USER = 1, 9


def tree(m, threads):
    """(status, objective, nodes, best bound) of the tree with that many workers."""
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    m.ok("QRVAsetintcontrol", THREADS, threads)
    status, obj = m.mipopt()
    return status, obj, m.attr(NODES), m.dattr(BESTBOUND)


@pytest.mark.parametrize("build", [knapsack,
                                   lambda m: set_cover(m, elements=35, sets=60, seed=4),
                                   lambda m: facility_location(m, fac=8, cust=14, seed=2)],
                         ids=["knapsack", "set_cover", "facility"])
def test_several_workers_find_the_optimum_of_one_and_of_highs(m, build):
    build(m)
    m.ok("QRVAsetdblcontrol", MIPRELGAPTOL, 0.0)
    runs = {threads: tree(m, threads) for threads in (1, 2, 3)}
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    highs = m.mipopt()
    assert highs[0] == MIP_OPTIMAL
    for threads, (status, obj, nodes, bound) in runs.items():
        assert status == MIP_OPTIMAL, threads
        assert obj == pytest.approx(highs[1], rel=1e-9, abs=1e-9), threads
        assert bound == pytest.approx(obj, rel=1e-9, abs=1e-9) and nodes >= 1


@pytest.mark.parametrize("name,optimum", [("flugpl", 1201500), ("egout", 568.1007)])
def test_public_instances_with_two_workers(m, name, optimum):
    m.ok("QRVAreadprob", os.path.join(INSTANCES, name + ".mps").encode(), b"")
    status, obj, _, _ = tree(m, 2)
    assert status == MIP_OPTIMAL
    assert obj == pytest.approx(optimum, rel=1e-4)


def test_every_worker_is_announced_and_ended_on_its_own_thread(m):
    knapsack(m, n=40, seed=5, root_cuts=False)
    caller = threading.get_ident()
    made, ended, nodes = {}, [], {}

    def mipthread(p, d, worker):
        assert worker == p
        made[worker] = (node_model(m, worker).attr(MIPTHREADID), threading.get_ident())

    def prenode(p, d, infeasible):
        nodes.setdefault(node_model(m, p).attr(MIPTHREADID), set()).add(threading.get_ident())
        time.sleep(0.001)  # lets the other workers run their nodes meanwhile
    add(m, "mipthread", mipthread)
    add(m, "destroymt", lambda p, d: ended.append((p, threading.get_ident())))
    add(m, "prenode", prenode)
    results = {}
    for threads in (3, 2, 1, 0):
        made.clear(), ended.clear(), nodes.clear()
        results[threads] = tree(m, threads)[:2]
        workers = max(threads, 1)
        assert sorted(i for i, _ in made.values()) == list(range(workers))
        assert sorted(ended) == sorted((p, ident) for p, (_, ident) in made.items())
        idents = {ident for _, ident in made.values()}
        assert len(idents) == workers and (caller in idents) == (workers == 1)
        # Each worker's nodes ran on the thread it was announced on.
        assert all(nodes[i] == {ident} for i, ident in made.values() if i in nodes)
        if workers > 1:
            assert len(nodes) >= 2
    assert results[1][0] == MIP_OPTIMAL
    assert all(r == (MIP_OPTIMAL, pytest.approx(results[1][1])) for r in results.values())


def test_rows_and_cuts_the_workers_share(m):
    """Delayed rows and model cuts join the LP from whichever worker finds
    them violated; optnode adds the capacity row, which the model leaves
    out, as a cut wherever a node's LP breaks it."""
    set_cover(m, elements=20, sets=30, seed=3)
    m.add_rows("LLL", [4, 3, 5], [{j: 1 for j in range(0, 30, 2)}, {j: 1 for j in range(1, 30, 3)},
                                  {j: 1 for j in range(30)}])
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    full = mip_value(m)
    m.ok("QRVAloaddelayedrows", 2, ints([20, 21]))
    m.ok("QRVAloadmodelcuts", 1, ints([22]))
    assert tree(m, 2)[:2] == (full[0], pytest.approx(full[1]))
    x = m.mipsol()
    assert sum(x[0:30:2]) <= 4 + 1e-6 and sum(x[1:30:3]) <= 3 + 1e-6


def test_cuts_added_by_the_workers(m):
    rnd = random.Random(6)
    n = 26
    w = [rnd.randint(10, 60) for _ in range(n)]
    cap = sum(w) // 3
    m.add_cols([wi + rnd.randint(-5, 15) for wi in w], [0] * n, [1] * n, types="B" * n)
    m.add_rows("L", [n // 2], [{j: 1 for j in range(n)}])
    m.ok("QRVAchgobjsense", -1)
    adders = set()

    def optnode(p, d, infeasible):
        node = node_model(m, p)
        x = node.lpsol()[0]
        if sum(a * b for a, b in zip(w, x)) > cap + 1e-7:
            node.ok("QRVAaddcuts64", 1, ints([1]), b"L", dbl([cap]), int64s([0, n]),
                    ints(range(n)), dbl(w))
            adders.add(node.attr(MIPTHREADID))
    add(m, "optnode", optnode)
    status, obj, _, _ = tree(m, 2)
    x = m.mipsol()
    assert status == MIP_OPTIMAL and adders
    assert sum(a * b for a, b in zip(w, x)) <= cap + 1e-6
    m.ok("QRVAremovecboptnode", None, None)
    m.add_rows("L", [cap], [dict(enumerate(w))])
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    assert mip_value(m) == (MIP_OPTIMAL, pytest.approx(obj))


def test_limits_and_stops_end_every_worker(m):
    knapsack(m)
    m.ok("QRVAsetintcontrol", MAXNODE, 7)
    status, _, nodes, _ = tree(m, 2)
    assert nodes == 7 and m.attr(STOPSTATUS) == STOP_NODELIMIT
    assert status in (MIP_SOLUTION, MIP_NO_SOL_FOUND)
    m.ok("QRVAsetintcontrol", MAXNODE, 2 ** 31 - 1)
    m.ok("QRVAsetintcontrol", MAXMIPSOL, 1)
    status, _, _, _ = tree(m, 2)
    assert m.attr(MIPSOLS) == 1
    assert status == MIP_OPTIMAL or m.attr(STOPSTATUS) == STOP_SOLLIMIT
    m.ok("QRVAsetintcontrol", MAXMIPSOL, 0)
    m.ok("QRVAsetdblcontrol", TIMELIMIT, 0.0)  # no time at all: both workers stop at once
    status, _, nodes, _ = tree(m, 2)
    assert m.attr(STOPSTATUS) == STOP_TIMELIMIT and nodes <= 2
    m.ok("QRVAsetdblcontrol", TIMELIMIT, 1e20)
    # A callback's interrupt on one worker's problem stops the others: at
    # most the node each other worker already holds reaches prenode after it.
    calls = []

    def prenode(p, d, infeasible):
        calls.append(node_model(m, p).attr(CURRENTNODE))
        if len(calls) == 12:
            m.lib.QRVAinterrupt(p, STOP_USER)
    add(m, "prenode", prenode)
    status, obj, nodes, bound = tree(m, 2)
    assert m.attr(STOPSTATUS) == STOP_USER and 12 <= len(calls) <= 13
    assert status in (MIP_SOLUTION, MIP_NO_SOL_FOUND)
    if status == MIP_SOLUTION:  # the incumbent is kept, the bound above it (maximising)
        x = m.mipsol()
        assert sum(c * v for c, v in zip(m.get("QRVAgetobj", m.cols), x)) == pytest.approx(obj)
        assert bound >= obj - 1e-9
