"""The cut methods: the cut pool read back, cuts added at nodes enforcing a
row the model leaves out, stored bounds and cuts steering the branching,
and the refusals."""
import itertools

import pytest

import quorva

WEIGHTS = VALUES = [2, 4, 6, 8, 10, 12, 14, 16]
CAPACITY = 33


def knapsack(with_capacity=True):
    p = quorva.problem()
    x = [quorva.var(vartype=quorva.binary, name="x%d" % i) for i in range(len(VALUES))]
    p.addVariable(*x)
    if with_capacity:
        p.addConstraint(quorva.Sum(w * v for w, v in zip(WEIGHTS, x)) <= CAPACITY)
    p.setObjective(quorva.Sum(c * v for c, v in zip(VALUES, x)), sense=quorva.maximize)
    p.setControl({"outputlog": 0, "treesearch": 1})
    return p, x


def best(limit=CAPACITY):
    return max(sum(v for v, t in zip(VALUES, pick) if t)
               for pick in itertools.product((0, 1), repeat=len(VALUES))
               if sum(w for w, t in zip(WEIGHTS, pick) if t) <= limit)


def test_the_pool_holds_reads_back_and_deletes_cuts():
    p, x = knapsack()
    h = []
    p.storecuts(1, [7], ["L"], [5.0], [0, 2], h, [x[0], x[1]], [1.0, 2.0])
    assert len(h) == 1 and isinstance(h[0], quorva.poolcut)
    again = []
    p.storecuts(1, [7, 3], ["L", "G"], [5.0, 1.0], [0, 2, 3], again, [x[0], "x1", 2], [1.0, 2.0, 1.0])
    t, r, s, c, v, b = [], [], [], [], [], []
    p.getcpcuts(again, 100, t, r, s, c, v, b)
    assert (t, r, s, c, v, b) == ([7, 3], ["L", "G"], [0, 2, 3], [x[0], x[1], x[2]], [1.0, 2.0, 1.0], [5.0, 1.0])
    p.getcpcuts(again, 1, t, r, s, c, v, b)  # size limits the elements only
    assert (s, c, v) == ([0, 2, 3], [x[0]], [1.0])
    p.solve()
    sol = p.getSolution(x)
    assert p.getcutslack(h[0]) == pytest.approx(5.0 - sol[0] - 2 * sol[1])
    cuts, viol = [], []
    assert p.getcpcutlist(3, 1, -1.0, 10, cuts, viol) == 1 and len(cuts) == len(viol) == 1
    # nodupl 1: the second call's first cut equals the first call's and is not stored again.
    assert p.getcpcutlist(-1, -1, -1.0, 0, cuts, None) == 2 and cuts == []
    p.delcpcuts(7, 1, None)
    assert p.getcpcutlist(-1, -1, -1.0, 10, None, None) == 1
    with pytest.raises(quorva.SolverError, match="not a cut of this problem's pool"):
        p.getcutslack(h[0])


def test_bad_cut_calls_are_refused():
    p, x = knapsack()
    with pytest.raises(quorva.InterfaceError, match="getcutslack must be provided a single cut as the only argument"):
        p.getcutslack(3)
    with pytest.raises(quorva.ModelError, match="Mismatched lengths"):
        p.storecuts(0, [0], ["L"], [1.0], [0, 1, 2], [], [x[0], x[1]], [1.0, 1.0])
    with pytest.raises(quorva.ModelError, match="Invalid cut object"):
        p.getcutmap([5], [])
    with pytest.raises(quorva.SolverError, match="not a node of a running tree search"):
        p.addcuts([0], ["L"], [1.0], [0, 1], [x[0]], [1.0])
    with pytest.raises(quorva.InterfaceError, match="the object returned by storebounds"):
        p.setbranchbounds(None)
    with pytest.raises(quorva.SolverError, match="bound type 'Q'"):
        p.storebounds([x[0]], ["Q"], [0])
    p.solve()
    assert p.getcpcutlist(-1, -1, -1.0, 10, None, None) == 0  # nothing half-stored


def test_cuts_added_at_nodes_enforce_a_row_the_model_leaves_out():
    """The capacity row is missing: optnode adds it as a cut wherever the
    node's LP solution breaks it."""
    p, x = knapsack(with_capacity=False)
    seen = []

    def optnode(prob, data):
        lp = []
        prob.getlpsol(lp)
        if sum(w * v for w, v in zip(WEIGHTS, lp)) > CAPACITY + 1e-7:
            prob.addcuts([1], ["L"], [CAPACITY], [0, len(x)], x, WEIGHTS)
        here, rows = [], []
        prob.getcutlist(1, 1, 10, here)
        prob.getcutmap(here, rows)
        seen.append((len(here), rows))
        return 0
    p.addcboptnode(optnode)
    p.solve()
    assert p.getObjVal() == pytest.approx(best())
    assert any(n >= 1 and all(r >= 0 for r in rows) for n, rows in seen)


def test_stored_bounds_and_branch_cuts_replace_the_search_branching():
    p, x = knapsack()
    h = []
    p.storecuts(0, [5], ["L"], [2], [0, len(x)], h, x, [1] * len(x))  # at most two items
    children = {}

    def optnode(prob, data):
        if prob.getAttrib("currentnode") == 1:
            prob.setbranchbounds(prob.storebounds([x[7]], ["U"], [0]))
            prob.setbranchbounds(prob.storebounds([x[7]], ["L"], [1]))
            prob.setbranchcuts(h)
        return 0

    def prenode(prob, data):
        if prob.getAttrib("parentnode") == 1:
            lb, ub, cuts = [], [], []
            prob.getlb(lb, x[7], x[7])
            prob.getub(ub, x[7], x[7])
            prob.getcutlist(5, 1, 10, cuts)
            children[prob.getAttrib("currentnode")] = (lb[0], ub[0], len(cuts))
        return 0
    p.addcboptnode(optnode)
    p.addcbprenode(prenode)
    p.solve()
    assert sorted(children.values()) == [(0.0, 0.0, 1), (1.0, 1.0, 1)]
    # The root's own heuristics found the optimum before it branched.
    assert p.getObjVal() == pytest.approx(best())


def lp_value(values, fix):
    """The LP relaxation's optimum with objective values and the bounds in
    fix ({index: (lb, ub)})."""
    p = quorva.problem()
    x = [quorva.var(lb=fix.get(j, (0, 1))[0], ub=fix.get(j, (0, 1))[1]) for j in range(len(values))]
    p.addVariable(*x)
    p.addConstraint(quorva.Sum(w * v for w, v in zip(WEIGHTS, x)) <= CAPACITY)
    p.setObjective(quorva.Sum(c * v for c, v in zip(values, x)), sense=quorva.maximize)
    p.setControl("outputlog", 0)
    p.solve()
    return p.getObjVal()


def test_strong_branching_matches_solving_each_bound_change():
    p, x = knapsack()
    values = [2.5] + VALUES[1:]  # a relaxation with a fractional column, and bound changes that cost
    p.chgobj([x[0]], [values[0]])
    o, s = [], []
    p.strongbranch([x[0], x[0], x[7]], ["U", "L", "B"], [0, 1, 0], 10000, o, s)
    assert s == [1, 1, 1]
    assert o == pytest.approx([lp_value(values, {0: (0, 0)}), lp_value(values, {0: (1, 1)}),
                               lp_value(values, {7: (0, 0)})])
    with pytest.raises(quorva.SolverError, match="bound type 'Q'"):
        p.strongbranch([x[0]], ["Q"], [0], 10, o, s)
    assert s == [1, 1, 1]  # outputs untouched by a refused call


def test_strong_branching_at_a_node_calls_back_and_leaves_the_node_as_it_was():
    p, x = knapsack()
    calls = []

    def solved(prob, context, index):
        lp = []
        prob.getlpsol(lp)
        calls.append((context, index, lp[7]))
        return 1 if index == 1 else 0  # stop after the second change

    def optnode(prob, data):
        if prob.getAttrib("currentnode") == 1:
            o, s = [], []
            prob.strongbranchcb([x[7], x[7], x[6]], ["U", "L", "U"], [0, 1, 0], 1000, o, s, solved, "ctx")
            calls.append(tuple(s))
        return 0
    p.addcboptnode(optnode)
    p.solve()
    assert calls[:2] == [("ctx", 0, 0.0), ("ctx", 1, 1.0)]
    assert calls[2] == (1, 1, 0)  # the third change was not tried
    assert p.getObjVal() == pytest.approx(best())
