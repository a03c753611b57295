"""The tree search with several workers (control threads): Python node
callbacks on the workers' threads, each worker announced and ended once,
an exception raised on a worker thread surfacing from solve(), and a stop
from a callback ending every worker."""
import random
import threading
import traceback

import pytest

import quorva


def knapsack(threads, n=35, seed=3):
    """A knapsack with a cardinality row whose tree takes about a thousand
    nodes, so that every worker gets some of them."""
    rnd = random.Random(seed)
    w = [rnd.randint(10, 60) for _ in range(n)]
    v = [wi + rnd.randint(-5, 15) for wi in w]
    p = quorva.problem()
    x = [quorva.var(vartype=quorva.binary) for _ in range(n)]
    p.addVariable(*x)
    p.addConstraint(quorva.Sum(a * b for a, b in zip(w, x)) <= sum(w) // 3)
    p.addConstraint(quorva.Sum(x) <= n // 2)
    p.setObjective(quorva.Sum(a * b for a, b in zip(v, x)), sense=quorva.maximize)
    p.setControl({"outputlog": 0, "treesearch": 1, "threads": threads})
    return p, x


def optimum():
    p, _ = knapsack(1)
    p.setControl("treesearch", 2)  # HiGHS's MIP
    p.solve()
    return p.getObjVal()


def test_node_callbacks_run_on_each_workers_thread():
    main = threading.get_ident()
    p, x = knapsack(2)
    made, ended, nodes = [], [], {}

    def mipthread(prob, data, worker):
        made.append((prob.attributes.mipthreadid, threading.get_ident()))

    def prenode(prob, data):
        nodes.setdefault(prob.attributes.mipthreadid, set()).add(threading.get_ident())
        return 0
    p.addcbmipthread(mipthread)
    p.addcbdestroymt(lambda prob, data: ended.append((prob.attributes.mipthreadid, threading.get_ident())))
    p.addcbprenode(prenode)
    p.solve()
    assert p.attributes.mipstatus == quorva.mip_optimal
    assert p.getObjVal() == pytest.approx(optimum())
    assert sorted(made) == sorted(ended) and sorted(i for i, _ in made) == [0, 1]
    threads = dict(made)
    assert len(set(threads.values())) == 2 and main not in threads.values()
    assert set(nodes) == {0, 1}
    assert all(nodes[i] == {threads[i]} for i in nodes)


def test_an_exception_on_a_worker_thread_surfaces_from_solve(capsys):
    main = threading.get_ident()
    p, x = knapsack(2)
    raised, late = [], []

    def prenode(prob, data):
        if raised:
            late.append(prob.attributes.currentnode)
        elif prob.attributes.currentnode > 20:
            raised.append(threading.get_ident())
            raise ValueError("from a worker")
        return 0
    p.addcbprenode(prenode)
    with pytest.raises(ValueError, match="from a worker") as info:
        p.solve()
    assert raised and raised[0] != main and late == []
    assert "prenode" in [frame.name for frame in traceback.extract_tb(info.value.__traceback__)]
    assert "Problem in callback, stopping optimization\n" in capsys.readouterr().err
    assert p.attributes.stopstatus == quorva.stop_user
    # Without the callback the next solve runs to the end.
    p.removecbprenode(prenode)
    p.solve()
    assert p.getObjVal() == pytest.approx(optimum())


def test_a_stop_from_a_callback_ends_every_worker():
    p, x = knapsack(2)
    calls, ended = [], []

    def prenode(prob, data):
        calls.append(prob.attributes.currentnode)
        if len(calls) == 30:
            prob.interrupt(quorva.stop_user)
        return 0
    p.addcbprenode(prenode)
    p.addcbdestroymt(lambda prob, data: ended.append(prob.attributes.mipthreadid))
    p.solve()
    assert p.attributes.stopstatus == quorva.stop_user
    # Only the node the other worker already held may follow the stop.
    assert 30 <= len(calls) <= 31 and sorted(ended) == [0, 1]
    assert p.attributes.mipstatus in (quorva.mip_solution, quorva.mip_no_sol_found)
    if p.attributes.mipstatus == quorva.mip_solution:
        assert p.getObjVal() <= optimum() + 1e-9 <= p.attributes.bestbound + 2e-9
