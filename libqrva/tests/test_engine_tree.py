"""The engine's own tree search against HiGHS's MIP on the same models:
knapsack, set cover, facility location, piecewise-linear SOS2, indicator
rows (also with unbounded activity, which HiGHS's path cannot take),
semi-continuous columns, convex MIQP and public instances; statuses, limits
and the choice between the two searches."""
import ctypes
import os
import random
import re
from ctypes import POINTER, byref, c_double, c_int, c_void_p

import pytest

from engine_model import INF, Model, dbl, declare, int64s, ints

TREESEARCH, MAXNODE, MAXMIPSOL, TREECUTROUNDS = 8090, 8007, 8008, 8091
MIPRELGAPTOL = 7005
MIP_NO_SOL_FOUND, MIP_SOLUTION, MIP_INFEAS, MIP_OPTIMAL = 3, 4, 5, 6
NODES, MIPSOLS, STOPSTATUS, BESTBOUND, MIPOBJVAL = 1042, 1043, 1050, 2004, 2003
STOP_NODELIMIT, STOP_SOLLIMIT = 3, 6
INSTANCES = os.path.join(os.path.dirname(__file__), "..", "..", "..", "..", "shared",
                         "instances")
if not os.path.isdir(INSTANCES):
    INSTANCES = "/work/shared/instances"

NODE_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, POINTER(c_int))
LOG_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)


@pytest.fixture
def m(env, prob):
    declare(env)
    env.QRVAaddcbprenode.argtypes = [c_void_p, NODE_CB, c_void_p, c_int]
    env.QRVAremovecbprenode.argtypes = [c_void_p, NODE_CB, c_void_p]
    return Model(env, prob)


def both(m):
    """(status, objective) of the engine's tree and of HiGHS's MIP."""
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    tree = m.mipopt()
    tree_nodes = m.attr(NODES)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    highs = m.mipopt()
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    return tree, highs, tree_nodes


def knapsack(m, n=35, seed=3, root_cuts=True):
    """root_cuts False: the tree's own root cuts are off, for tests that need the root to branch."""
    if not root_cuts:
        m.ok("QRVAsetintcontrol", TREECUTROUNDS, 0)
    rnd = random.Random(seed)
    w = [rnd.randint(10, 60) for _ in range(n)]
    v = [wi + rnd.randint(-5, 15) for wi in w]
    m.add_cols(v, [0] * n, [1] * n, types="B" * n)
    m.add_rows("LL", [sum(w) // 3, n // 2], [dict(enumerate(w)), {j: 1 for j in range(n)}])
    m.ok("QRVAchgobjsense", -1)


def set_cover(m, elements=25, sets=40, seed=5):
    rnd = random.Random(seed)
    cover = [rnd.sample(range(elements), rnd.randint(2, 6)) for _ in range(sets)]
    m.add_cols([rnd.randint(1, 9) for _ in range(sets)], [0] * sets, [1] * sets, types="B" * sets)
    rows = [{s: 1 for s in range(sets) if e in cover[s]} for e in range(elements)]
    for e, r in enumerate(rows):
        if not r:
            r[e % sets] = 1
    m.add_rows("G" * elements, [1] * elements, rows)


def facility_location(m, fac=6, cust=12, seed=7):
    """Open facilities (binary y, fixed cost) and serve each customer's demand
    (continuous x, fraction served) only from open ones."""
    rnd = random.Random(seed)
    y = m.add_cols([rnd.randint(20, 40) for _ in range(fac)], [0] * fac, [1] * fac,
                   types="B" * fac)
    x = m.add_cols([rnd.randint(1, 15) for _ in range(fac * cust)], [0] * (fac * cust),
                   [1] * (fac * cust))
    xi = lambda i, j: x[i * cust + j]
    m.add_rows("E" * cust, [1] * cust, [{xi(i, j): 1 for i in range(fac)} for j in range(cust)])
    m.add_rows("L" * (fac * cust), [0] * (fac * cust),
               [{xi(i, j): 1, y[i]: -1} for i in range(fac) for j in range(cust)])
    demand = [rnd.randint(1, 5) for _ in range(cust)]
    m.add_rows("L" * fac, [0] * fac,
               [dict([(xi(i, j), demand[j]) for j in range(cust)] + [(y[i], -15)])
                for i in range(fac)])


def piecewise(m):
    """min f(x) - x over x in [0, 4] with f piecewise linear through
    (0, 0) (1, 3) (2, 1) (3, 4) (4, 0.5): the lambdas form an SOS2."""
    px, py = [0, 1, 2, 3, 4], [0, 3, 1, 4, 0.5]
    lam = m.add_cols(py, [0] * 5, [1] * 5)
    x = m.add_cols([-0.6], [0], [4])[0]
    m.add_rows("EE", [1, 0], [{l: 1 for l in lam}, dict([(lam[k], px[k]) for k in range(5)] +
                                                          [(x, -1)])])
    m.ok("QRVAaddsets64", 1, 5, b"2", int64s([0, 5]), ints(lam), dbl(px))
    # a second, SOS1 set over copies: at most one of three bonuses
    bonus = m.add_cols([-1, -1.5, -1.2], [0] * 3, [1] * 3)
    m.add_rows("L", [1.8], [{b: 1 for b in bonus}])
    m.ok("QRVAaddsets64", 1, 3, b"1", int64s([0, 3]), ints(bonus), dbl([1, 2, 3]))


def semicontinuous(m, big):
    """Production runs: each either off or between its threshold and
    capacity, demand to meet at least cost (fixed-charge-like)."""
    caps = [40, 30, 60, big]
    m.add_cols([3, 2.5, 4, 6], [0] * 4, caps, types="SSSS")
    m.ok("QRVAchgglblimit", 4, ints([0, 1, 2, 3]), dbl([25, 20, 35, 10]))
    m.add_rows("G", [52], [{0: 1, 1: 1, 2: 1, 3: 1}])
    # a general integer batch count: 7 per batch
    k = m.add_cols([1], [0], [20], types="I")[0]
    m.add_rows("G", [0], [{2: 1, k: -7}])
    m.add_rows("L", [0], [{2: 1, k: -7}])


@pytest.mark.parametrize("build", [knapsack, set_cover, facility_location, piecewise,
                                   lambda m: semicontinuous(m, 50),
                                   lambda m: semicontinuous(m, 1e6)],
                         ids=["knapsack", "set_cover", "facility", "sos", "semi", "semi_large"])
def test_same_optimum_as_highs(m, build):
    build(m)
    tree, highs, nodes = both(m)
    assert highs[0] == MIP_OPTIMAL
    assert tree[0] == MIP_OPTIMAL
    assert tree[1] == pytest.approx(highs[1], rel=1e-6, abs=1e-6)
    assert nodes >= 1


def test_solution_and_bound_of_the_tree(m):
    knapsack(m)
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    m.ok("QRVAsetdblcontrol", MIPRELGAPTOL, 0.0)
    status, obj = m.mipopt()
    x = m.mipsol()
    assert status == MIP_OPTIMAL
    assert all(abs(v - round(v)) < 1e-6 for v in x)
    assert sum(c * v for c, v in zip(m.get("QRVAgetobj", m.cols), x)) == pytest.approx(obj)
    assert m.dattr(BESTBOUND) == pytest.approx(obj)
    assert m.attr(MIPSOLS) >= 1 and m.attr(STOPSTATUS) == 0


def test_indicators_with_unbounded_activity(m):
    """Indicator rows over columns without bounds: the tree enforces them by
    branching on the binary; HiGHS's path, which needs big-M terms, refuses.
    min -x - y + 3b1 + 5b2, b1 = 0 -> x <= 2, b2 = 0 -> x + y <= 3, x + y <= 10
    (a plain row), x, y >= 0 unbounded above: both binaries 0 give -3, b1
    alone 0, b2 alone -10 + 5 = -5 (x <= 2 in force), both -2: -5 wins."""
    m.add_cols([-1, -1, 3, 5], [0, 0, 0, 0], [INF, INF, 1, 1], types="CCBB")
    m.add_rows("LLL", [2, 3, 10], [{0: 1}, {0: 1, 1: 1}, {0: 1, 1: 1}])
    m.ok("QRVAsetindicators", 2, ints([0, 1]), ints([2, 3]), ints([-1, -1]))
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    m.ok("QRVAsetintcontrol", 8035, 0)
    assert "unbounded activity" in m.fails("QRVAmipoptimize", b"")
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(-5))
    x = m.mipsol()
    assert x[0] <= 2 + 1e-6 and x[0] + x[1] == pytest.approx(10)
    assert x[2:] == pytest.approx([0, 1], abs=1e-6)


def test_indicators_match_highs_with_finite_bounds(m):
    rnd = random.Random(11)
    n = 8
    m.add_cols([-rnd.randint(1, 9) for _ in range(n)], [0] * n, [10] * n)
    b = m.add_cols([rnd.randint(2, 12) for _ in range(n)], [0] * n, [1] * n, types="B" * n)
    m.add_rows("L" * n, [0] * n, [{j: 1} for j in range(n)])  # x_j <= 0 unless b_j
    m.ok("QRVAsetindicators", n, ints(list(range(n))), ints(b), ints([-1] * n))
    m.add_rows("L", [25], [{j: 1 for j in range(n)}])
    tree, highs, _ = both(m)
    assert tree == (MIP_OPTIMAL, pytest.approx(highs[1]))


def test_convex_miqp(m):
    """min sum (x_j - t_j)^2 over integers x: each x_j rounds t_j; with the
    row x0 + x1 >= 5 the pair moves together."""
    t = [1.3, 2.6, -0.4]
    m.add_cols([-2 * v for v in t], [-10] * 3, [10] * 3, types="III")
    m.ok("QRVAchgmqobj64", 3, ints([0, 1, 2]), ints([0, 1, 2]), dbl([2, 2, 2]))
    m.add_rows("G", [5], [{0: 1, 1: 1}])
    status, obj = m.mipopt()  # a quadratic objective with integers takes the tree
    x = m.mipsol()
    assert status == MIP_OPTIMAL
    assert [round(v) for v in x] in ([2, 3, 0], [1, 4, 0], [3, 2, 0])
    best = min((a - 1.3) ** 2 + (5 - a - 2.6) ** 2 for a in range(-2, 8)) + 0.16
    assert obj + sum(v * v for v in t) == pytest.approx(best, abs=1e-5)


def test_node_and_solution_limits(m):
    set_cover(m, elements=40, sets=70, seed=9)
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    m.ok("QRVAsetintcontrol", MAXNODE, 1)
    status, _ = m.mipopt()
    assert m.attr(NODES) == 1
    if status != MIP_OPTIMAL:
        assert status in (MIP_SOLUTION, MIP_NO_SOL_FOUND)
        assert m.attr(STOPSTATUS) == STOP_NODELIMIT
    m.ok("QRVAsetintcontrol", MAXNODE, 2 ** 31 - 1)
    m.ok("QRVAsetintcontrol", MAXMIPSOL, 1)
    status, _ = m.mipopt()
    assert m.attr(MIPSOLS) == 1
    assert status in (MIP_SOLUTION, MIP_OPTIMAL)


def test_infeasible_mip(m):
    m.add_cols([1, 1], [0, 0], [3, 3], types="II")
    m.add_rows("EE", [1, 1], [{0: 2, 1: 2}, {0: 1}])
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    assert m.mipopt()[0] == MIP_INFEAS


def test_treesearch_never_refuses_node_callbacks(m):
    knapsack(m, n=5)
    calls = []
    cb = NODE_CB(lambda p, d, inf: calls.append(1))
    m.ok("QRVAaddcbprenode", cb, None, 0)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    m.ok("QRVAsetintcontrol", 8035, 0)
    text = m.fails("QRVAmipoptimize", b"")
    assert "a prenode callback is registered" in text and "treesearch is 2" in text
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    assert m.mipopt()[0] == MIP_OPTIMAL
    assert calls


@pytest.mark.parametrize("name,optimum", [("flugpl", 1201500), ("egout", 568.1007), ("p0548", 8691)])
def test_public_instances(m, name, optimum):
    m.ok("QRVAreadprob", os.path.join(INSTANCES, name + ".mps").encode(), b"")
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    status, obj = m.mipopt()
    assert status == MIP_OPTIMAL
    assert obj == pytest.approx(optimum, rel=1e-4)


def test_root_cuts_move_the_bound_and_keep_the_optimum(m):
    """lseu: Gomory and cover rounds at the root raise the bound (the log
    says by how much and how many cuts stay); cutlog comes once per root LP;
    without them the optimum is the same."""
    from conftest import MESSAGE_CB
    lines, rounds = [], []
    msg = MESSAGE_CB(lambda p, d, text, length, kind: lines.append(text[:length].decode()))
    cutlog = LOG_CB(lambda p, d: rounds.append(1) or 0)
    m.ok("QRVAaddcbmessage", msg, None, 0)
    m.lib.QRVAaddcbcutlog.argtypes = [c_void_p, LOG_CB, c_void_p, c_int]
    m.ok("QRVAaddcbcutlog", cutlog, None, 0)
    m.ok("QRVAreadprob", os.path.join(INSTANCES, "lseu.mps").encode(), b"")
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    status, obj = m.mipopt()
    assert status == MIP_OPTIMAL and obj == pytest.approx(1120)
    report = [line for line in lines if "root cuts:" in line]
    assert len(report) == 1
    found = re.search(r"(\d+) Gomory mixed-integer and (\d+) cover cuts in (\d+) rounds, bound (\S+) to (\S+);",
                      report[0])
    gomory, covers, nrounds = (int(v) for v in found.groups()[:3])
    first, last = (float(v) for v in found.groups()[3:])
    assert gomory > 0 and covers > 0 and last > first + 1
    assert len(rounds) >= nrounds + 1
    lines.clear()
    m.ok("QRVAsetintcontrol", TREECUTROUNDS, 0)
    assert m.mipopt() == (MIP_OPTIMAL, pytest.approx(1120))
    assert not [line for line in lines if "root cuts:" in line]
