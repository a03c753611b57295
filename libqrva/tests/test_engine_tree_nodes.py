"""Node callbacks, the node problem, cuts and stored bounds of the engine's
tree search, on the C interface: what each callback sees, how declaring
nodes infeasible, rejecting solutions, adding cuts and branching change
the result, and the refusals of bad cuts and handles."""
import ctypes
from ctypes import POINTER, byref, c_char, c_char_p, c_double, c_int, c_int64, c_void_p

import pytest

from conftest import problem_error
from engine_model import INF, Model, dbl, declare, int64s, ints
from test_engine_tree import MIP_INFEAS, MIP_OPTIMAL, NODES, MIPSOLS, TREESEARCH, knapsack, \
    set_cover

P, D, I = c_void_p, POINTER(c_double), POINTER(c_int)
CURRENTNODE, PARENTNODE, NODEDEPTH, ACTIVENODES = 1080, 1081, 1082, 1083
LPOBJVAL = 2001

NODE_CB = ctypes.CFUNCTYPE(None, P, P, I)           # prenode, optnode
PLAIN_CB = ctypes.CFUNCTYPE(None, P, P)             # infnode, intsol, destroymt
CUTOFF_CB = ctypes.CFUNCTYPE(None, P, P, c_int)     # nodecutoff
NEWNODE_CB = ctypes.CFUNCTYPE(None, P, P, c_int, c_int, c_int)
PREINTSOL_CB = ctypes.CFUNCTYPE(None, P, P, c_int, I, D)
MIPTHREAD_CB = ctypes.CFUNCTYPE(None, P, P, P)
KINDS = {"prenode": NODE_CB, "optnode": NODE_CB, "infnode": PLAIN_CB, "intsol": PLAIN_CB,
         "destroymt": PLAIN_CB, "nodecutoff": CUTOFF_CB, "newnode": NEWNODE_CB,
         "preintsol": PREINTSOL_CB, "mipthread": MIPTHREAD_CB}
CUT = c_void_p


@pytest.fixture
def m(env, prob):
    declare(env)
    for kind, proto in KINDS.items():
        getattr(env, "QRVAaddcb" + kind).argtypes = [P, proto, P, c_int]
    sig = {
        "QRVAaddcuts64": [P, c_int, I, c_char_p, D, POINTER(c_int64), I, D],
        "QRVAstorecuts64": [P, c_int, c_int, I, c_char_p, D, POINTER(c_int64), POINTER(CUT), I, D],
        "QRVAloadcuts": [P, c_int, c_int, c_int, POINTER(CUT)],
        "QRVAdelcuts": [P, c_int, c_int, c_int, c_double, c_int, POINTER(CUT)],
        "QRVAdelcpcuts": [P, c_int, c_int, c_int, POINTER(CUT)],
        "QRVAgetcutlist": [P, c_int, c_int, I, c_int, POINTER(CUT)],
        "QRVAgetcpcutlist": [P, c_int, c_int, c_double, I, c_int, POINTER(CUT), D],
        "QRVAgetcpcuts64": [P, c_int, c_int64, POINTER(CUT), I, c_char_p, POINTER(c_int64), I, D, D],
        "QRVAgetcutmap": [P, c_int, POINTER(CUT), I],
        "QRVAgetcutslack": [P, CUT, D],
        "QRVAsetbranchcuts": [P, c_int, POINTER(CUT)],
        "QRVAstorebounds": [P, c_int, I, c_char_p, D, POINTER(c_void_p)],
        "QRVAsetbranchbounds": [P, c_void_p],
        "QRVAloadbranchdirs": [P, c_int, I, I],
        "QRVAloaddelayedrows": [P, c_int, I], "QRVAloadmodelcuts": [P, c_int, I],
    }
    for name, args in sig.items():
        getattr(env, name).argtypes, getattr(env, name).restype = args, c_int
    model = Model(env, prob)
    model.keep = []  # callbacks must outlive the solve
    return model


def add(m, kind, fn):
    cb = KINDS[kind](fn)
    m.keep.append(cb)
    m.ok("QRVAaddcb" + kind, cb, None, 0)


def node_model(m, prob):
    """A Model on the node problem a callback was given."""
    return Model(m.lib, c_void_p(prob))


def mip_value(m):
    m.ok("QRVAsetintcontrol", 8035, 0)
    m.ok("QRVAmipoptimize", b"")
    return m.attr(1011), m.dattr(2003)


def cut_arrays(rows):
    """rows: (type, rowtype, rhs, {col: coef}) each."""
    start, cols, vals = [0], [], []
    for _, _, _, coefs in rows:
        for c, v in coefs.items():
            cols.append(c), vals.append(v)
        start.append(len(cols))
    return (len(rows), ints([r[0] for r in rows]), "".join(r[1] for r in rows).encode(),
            dbl([r[2] for r in rows]), int64s(start), ints(cols), dbl(vals))


def test_every_node_kind_fires_with_its_node(m):
    set_cover(m, elements=30, sets=50, seed=2)
    seen, parents, children, counts = {}, {}, [], {}
    orig_lb = m.get("QRVAgetlb", m.cols)

    def bump(kind):
        counts[kind] = counts.get(kind, 0) + 1

    def prenode(p, d, infeasible):
        n = node_model(m, p)
        node = n.attr(CURRENTNODE)
        seen[node] = (n.attr(PARENTNODE), n.attr(NODEDEPTH), n.attr(ACTIVENODES))
        bump("prenode")

    def newnode(p, d, parent, child, branch):
        children.append((parent, child, branch))
        parents[child] = parent
    add(m, "prenode", prenode)
    add(m, "newnode", newnode)
    add(m, "optnode", lambda p, d, inf: bump("optnode"))
    add(m, "infnode", lambda p, d: bump("infnode"))
    add(m, "nodecutoff", lambda p, d, node: bump("nodecutoff"))
    add(m, "preintsol", lambda p, d, t, rej, cut: bump("preintsol"))
    add(m, "intsol", lambda p, d: bump("intsol"))
    add(m, "mipthread", lambda p, d, worker: bump("mipthread"))
    add(m, "destroymt", lambda p, d: bump("destroymt"))
    status, obj = mip_value(m)
    assert status == MIP_OPTIMAL
    assert counts["mipthread"] == counts["destroymt"] == 1
    assert counts["prenode"] == m.attr(NODES) == len(seen)
    assert counts["intsol"] == m.attr(MIPSOLS) and counts["preintsol"] >= counts["intsol"]
    assert seen[1] == (0, 0, 1)
    assert len({c for _, c, _ in children}) == len(children)
    for node, (parent, depth, active) in seen.items():
        if node != 1:
            assert parents[node] == parent and depth == seen[parent][1] + 1 and active >= 1
    assert {b for _, _, b in children} <= {0, 1}
    assert m.get("QRVAgetlb", m.cols) == orig_lb  # the problem itself is left as it was


def test_node_problem_answers_for_the_node(m):
    knapsack(m, n=25, seed=8)
    obj = m.get("QRVAgetobj", m.cols)
    checks = []

    def optnode(p, d, infeasible):
        n = node_model(m, p)
        lb, ub = n.get("QRVAgetlb", n.cols), n.get("QRVAgetub", n.cols)
        x = n.lpsol()[0]
        assert n.cols == len(obj)
        checks.append((n.attr(CURRENTNODE), lb, ub, x, n.dattr(LPOBJVAL)))
    add(m, "optnode", optnode)
    assert mip_value(m)[0] == MIP_OPTIMAL
    assert len(checks) > 1
    moved = 0
    for node, lb, ub, x, lpobj in checks:
        assert all(l - 1e-9 <= v <= u + 1e-9 for l, v, u in zip(lb, x, ub))
        assert lpobj == pytest.approx(sum(c * v for c, v in zip(obj, x)))
        moved += any(u - l < 1 for l, u in zip(lb, ub))
        if node == 1:
            assert lb == [0] * 25 and ub == [1] * 25
    assert moved >= 1


def test_declared_infeasible_nodes_and_rejected_solutions_restrict_the_search(m):
    """prenode drops every node with x0 fixed at 0 and preintsol rejects
    solutions with x0 = 0: the tree finds the optimum of the model with x0 = 1."""
    knapsack(m, n=30, seed=4)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    m.ok("QRVAchgbounds", 1, ints([0]), b"B", dbl([1]))
    _, forced = mip_value(m)
    m.ok("QRVAchgbounds", 1, ints([0]), b"L", dbl([0]))
    _, free = mip_value(m)
    assert forced < free  # the restriction matters
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)

    def prenode(p, d, infeasible):
        if node_model(m, p).get("QRVAgetub", 1)[0] < 0.5:
            infeasible[0] = 1

    def preintsol(p, d, soltype, reject, cutoff):
        if node_model(m, p).lpsol()[0][0] < 0.5:
            reject[0] = 1
    add(m, "prenode", prenode)
    add(m, "preintsol", preintsol)
    assert mip_value(m) == (MIP_OPTIMAL, pytest.approx(forced))
    assert m.mipsol()[0] == pytest.approx(1)


def test_cutoff_set_by_preintsol_is_honoured(m):
    knapsack(m, n=20, seed=6)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    _, best = mip_value(m)
    calls = []

    def preintsol(p, d, soltype, reject, cutoff):
        calls.append(soltype)
        reject[0] = 1
        cutoff[0] = best + 0.5  # maximising: only solutions above this may follow
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    add(m, "preintsol", preintsol)
    assert mip_value(m)[0] == MIP_INFEAS
    assert len(calls) == 1


def capacity_row(m):
    """A cardinality row over the knapsack's items (at most a quarter), as a cut."""
    n = m.cols
    return (1, "L", n // 4, {j: 1.0 for j in range(n)})


@pytest.mark.parametrize("where", ["optnode", "preintsol"])
def test_cuts_from_callbacks_enforce_a_missing_row(m, where):
    """The lazy-constraint pattern: the model lacks its cardinality row,
    which callbacks add as a cut where the node's point violates it."""
    knapsack(m, n=30 if where == "optnode" else 18, seed=12)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    _, relaxed = mip_value(m)
    _, _, _, coefs = capacity_row(m)
    m.add_rows("L", [m.cols // 4], [coefs])
    _, full = mip_value(m)
    m.ok("QRVAdelrows", 1, ints([m.rows - 1]))
    assert relaxed > full
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    n = m.cols
    added = []

    def enforce(p, *rest):
        node = node_model(m, p)
        x = node.lpsol()[0]
        if sum(x[:n]) > n // 4 + 1e-6:
            node.ok("QRVAaddcuts64", *cut_arrays([capacity_row(m)]))
            added.append(node.attr(CURRENTNODE))
            if where == "preintsol":
                rest[1][0] = 1  # reject: the cut cuts this solution off
    if where == "optnode":
        add(m, "optnode", lambda p, d, inf: enforce(p, d, inf))
    else:
        add(m, "preintsol", lambda p, d, t, rej, cut: enforce(p, t, rej, cut))
    assert mip_value(m) == (MIP_OPTIMAL, pytest.approx(full))
    assert added
    assert sum(m.mipsol()) <= n // 4 + 1e-6


def test_delayed_rows_and_model_cuts_give_the_optimum_of_the_model(m):
    facility_rows = 3
    set_cover(m, elements=20, sets=30, seed=3)
    m.add_rows("L" * facility_rows, [4, 3, 5],
               [{j: 1 for j in range(0, 30, 2)}, {j: 1 for j in range(1, 30, 3)},
                {j: 1 for j in range(30)}])
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    full = mip_value(m)
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    m.ok("QRVAloaddelayedrows", 2, ints([20, 21]))
    m.ok("QRVAloadmodelcuts", 1, ints([22]))
    tree = mip_value(m)
    assert tree == (full[0], pytest.approx(full[1]))
    x = m.mipsol()
    assert sum(x[0:30:2]) <= 4 + 1e-6 and sum(x[1:30:3]) <= 3 + 1e-6


def test_cut_pool(m):
    knapsack(m, n=10, seed=1)
    h = (CUT * 3)()
    rows = cut_arrays([(5, "L", 4, {0: 1, 1: 1}), (6, "G", 1, {2: 2}), (5, "L", 4, {1: 1, 0: 1})])
    m.ok("QRVAstorecuts64", 3, 1, rows[1], rows[2], rows[3], rows[4], h, rows[5], rows[6])
    assert h[2] == h[0] and h[1] != h[0]  # the third duplicates the first
    types, rtype, start = (c_int * 2)(), ctypes.create_string_buffer(2), (c_int64 * 3)()
    cols, coefs, rhs = (c_int * 3)(), (c_double * 3)(), (c_double * 2)()
    m.ok("QRVAgetcpcuts64", 2, 3, h, types, rtype, start, cols, coefs, rhs)
    assert list(types) == [5, 6] and rtype.raw == b"LG" and list(start) == [0, 2, 3]
    assert list(cols) == [0, 1, 2] and list(coefs) == [1, 1, 2] and list(rhs) == [4, 1]
    mip_value(m)  # a point to measure the pool against
    count, got, viol = c_int(), (CUT * 2)(), (c_double * 2)()
    m.ok("QRVAgetcpcutlist", 5, 1, -1.0, byref(count), 2, got, viol)
    assert count.value == 1 and got[0] == h[0]
    m.ok("QRVAdelcpcuts", 5, 1, -1, None)
    assert "not a cut of this problem's pool" in m.fails("QRVAgetcutslack", h[0], byref(c_double()))
    slack = c_double()
    m.ok("QRVAgetcutslack", h[1], byref(slack))
    assert slack.value == pytest.approx(1 - 2 * m.mipsol()[2])


def test_pool_cuts_at_nodes(m):
    """optnode loads a stored cut into the root, lists it, maps it to its
    row, reads its slack and deletes it again at a child."""
    knapsack(m, n=20, seed=5, root_cuts=False)
    n = m.cols
    h = (CUT * 1)()
    rows = cut_arrays([capacity_row(m)])
    m.ok("QRVAstorecuts64", 1, 0, rows[1], rows[2], rows[3], rows[4], h, rows[5], rows[6])
    base_rows = m.rows
    log = []

    def optnode(p, d, infeasible):
        node = node_model(m, p)
        count, got = c_int(), (CUT * 4)()
        node.ok("QRVAgetcutlist", -1, -1, byref(count), 4, got)
        here = node.attr(CURRENTNODE)
        if here == 1 and count.value == 0:
            node.ok("QRVAloadcuts", 1, 1, -1, None)
            node.ok("QRVAgetcutlist", 1, 1, byref(count), 4, got)
            cmap = (c_int * 1)()
            node.ok("QRVAgetcutmap", 1, h, cmap)
            log.append(("loaded", count.value, got[0] == h[0], cmap[0]))
        elif here != 1 and count.value:
            slack = c_double()
            node.ok("QRVAgetcutslack", h[0], byref(slack))
            assert slack.value >= -1e-6
            assert node.rows == base_rows + count.value
            node.ok("QRVAdelcuts", 0, -1, -1, -1.0, 1, h)
            node.ok("QRVAgetcutlist", -1, -1, byref(count), 4, got)
            log.append(("deleted", count.value))
    add(m, "optnode", optnode)
    assert mip_value(m)[0] == MIP_OPTIMAL
    assert log[0] == ("loaded", 1, True, base_rows)
    assert ("deleted", 0) in log


def test_cut_calls_refuse_bad_input_and_the_search_goes_on(m):
    knapsack(m, n=15, seed=9)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    _, best = mip_value(m)
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    # outside a node: no node to add cuts to
    text = m.fails("QRVAaddcuts64", *cut_arrays([(0, "L", 1, {0: 1})]))
    assert "not a node of a running tree search" in text
    errors = []

    def optnode(p, d, infeasible):
        node = node_model(m, p)
        for bad, expect in [((0, "R", 1, {0: 1}), "is not one of L G E"),
                            ((0, "L", 1, {99: 1}), "out of range"),
                            ((0, "L", float("nan"), {0: 1}), "NaN")]:
            rc = m.lib.QRVAaddcuts64(node.prob, *cut_arrays([bad]))
            errors.append(rc != 0 and expect in problem_error(m.lib, node.prob))
        stale = (CUT * 1)(c_void_p(12345))
        rc = m.lib.QRVAloadcuts(node.prob, 0, 1, 1, stale)
        errors.append(rc != 0 and "not a cut of this problem's pool" in problem_error(m.lib, node.prob))
        bounds = c_void_p()
        rc = m.lib.QRVAstorebounds(node.prob, 1, ints([0]), b"X", dbl([0]), byref(bounds))
        errors.append(rc != 0 and "is not one of U L B" in problem_error(m.lib, node.prob))
    add(m, "optnode", optnode)
    assert mip_value(m) == (MIP_OPTIMAL, pytest.approx(best))
    assert errors and all(errors)


def test_branching_on_stored_bounds(m, env):
    """optnode at the root replaces the search's branching by two stored
    bound sets on x0 (and every child gets a pool cut); the optimum stays."""
    knapsack(m, n=20, seed=14, root_cuts=False)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    _, best = mip_value(m)
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    h = (CUT * 1)()
    rows = cut_arrays([capacity_row(m)])
    m.ok("QRVAstorecuts64", 1, 0, rows[1], rows[2], rows[3], rows[4], h, rows[5], rows[6])
    other = c_void_p()
    assert env.QRVAcreateprob(byref(other)) == 0
    foreign = c_void_p()
    assert env.QRVAstorebounds(other, 0, None, None, None, byref(foreign)) == 0
    children, refused = {}, []

    def optnode(p, d, infeasible):
        node = node_model(m, p)
        if node.attr(CURRENTNODE) != 1:
            return
        down, up = c_void_p(), c_void_p()
        node.ok("QRVAstorebounds", 1, ints([0]), b"U", dbl([0]), byref(down))
        node.ok("QRVAstorebounds", 1, ints([0]), b"L", dbl([1]), byref(up))
        refused.append(m.lib.QRVAsetbranchbounds(node.prob, foreign) != 0)
        node.ok("QRVAsetbranchbounds", down)
        node.ok("QRVAsetbranchbounds", up)
        node.ok("QRVAsetbranchcuts", 1, h)

    def prenode(p, d, infeasible):
        node = node_model(m, p)
        if node.attr(PARENTNODE) == 1:
            count = c_int()
            node.ok("QRVAgetcutlist", -1, -1, byref(count), 0, None)
            children[node.attr(CURRENTNODE)] = (node.get("QRVAgetlb", 1)[0],
                                                node.get("QRVAgetub", 1)[0], count.value)
    add(m, "optnode", optnode)
    add(m, "prenode", prenode)
    try:
        assert mip_value(m) == (MIP_OPTIMAL, pytest.approx(best))
    finally:
        env.QRVAdestroyprob(other)
    assert refused == [True]
    assert sorted(children.values()) == [(0, 0, 1), (1, 1, 1)]


@pytest.mark.parametrize("branch", [0, 1])
def test_branch_directions(m, branch):
    """With every column's first branch down (0) or up (1), the first child
    the search dives into has its branching column at 0 or at 1."""
    knapsack(m, n=30, seed=8)
    m.ok("QRVAchgobj", 30, ints(list(range(30))),
         dbl([v * 1.013 for v in m.get("QRVAgetobj", 30)]))
    m.ok("QRVAsetdblcontrol", 7005, 0.0)
    m.ok("QRVAloadbranchdirs", m.cols, ints(list(range(m.cols))), ints([branch] * m.cols))
    first = []

    def prenode(p, d, infeasible):
        node = node_model(m, p)
        if node.attr(NODEDEPTH) == 1 and not first:
            lb, ub = node.get("QRVAgetlb", node.cols), node.get("QRVAgetub", node.cols)
            first.append([(l, u) for l, u in zip(lb, ub) if l == u])
    add(m, "prenode", prenode)
    assert mip_value(m)[0] == MIP_OPTIMAL
    assert first and first[0] == [(branch, branch)]
