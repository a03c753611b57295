"""Branching objects: constraints read as bound changes and rows, the
refusals, and user branching steering real tree searches to the optimum."""
import itertools
import math

import pytest

import quorva

# Even weights and an odd capacity: the LP bound stays one above the
# optimum, so the search must branch to prove it.
WEIGHTS = VALUES = [2, 4, 6, 8, 10, 12, 14, 16]
CAPACITY = 33


def knapsack():
    p = quorva.problem()
    x = [quorva.var(vartype=quorva.integer, ub=1, name="x%d" % i) for i in range(len(VALUES))]
    p.addVariable(*x)
    p.addConstraint(quorva.Sum(w * v for w, v in zip(WEIGHTS, x)) <= CAPACITY)
    p.setObjective(quorva.Sum(c * v for c, v in zip(VALUES, x)), sense=quorva.maximize)
    p.setControl("outputlog", 0)
    return p, x


def best_knapsack():
    return max(sum(v for v, t in zip(VALUES, pick) if t)
               for pick in itertools.product((0, 1), repeat=len(VALUES))
               if sum(w for w, t in zip(WEIGHTS, pick) if t) <= CAPACITY)


def bounds(b, branch):
    t, c, v = [], [], []
    b.getbounds(branch, 10, t, c, v)
    return list(zip(t, c, v))


def rows(b, branch, nrows=10, nelems=20):
    t, r, s, c, v = [], [], [], [], []
    b.getrows(branch, nrows, nelems, t, r, s, c, v)
    return t, r, s, c, v


def test_constraints_become_bounds_and_rows():
    p = quorva.problem()
    x, y = quorva.var(name="x"), quorva.var(name="y", lb=-10)
    p.addVariable(x, y)
    b = quorva.branchobj(p, [[x <= 3], [x >= 4], 2 * x <= 6, [-2 * x <= 6], [quorva.constraint(body=x + 2, lb=3, ub=7)],
                             [x + y <= 1], [quorva.constraint(body=x + y, lb=1, ub=3)], []])
    assert b.getbranches() == 8 and b.getid() == 0
    assert bounds(b, 0) == [("U", x, 3.0)]
    assert bounds(b, 1) == [("L", x, 4.0)]
    assert bounds(b, 2) == [("U", x, 3.0)]
    assert bounds(b, 3) == [("L", x, -3.0)]
    # The body's constant moves to the sides: 3 <= x + 2 <= 7 is 1 <= x <= 5.
    assert bounds(b, 4) == [("L", x, 1.0), ("U", x, 5.0)]
    assert bounds(b, 5) == [] and rows(b, 5) == (["L"], [1.0], [0], [x, y], [1.0, 1.0])
    # A range keeps its whole width: a G row at its lower side, an L row at its upper side.
    assert rows(b, 6) == (["G", "L"], [1.0, 3.0], [0, 2], [x, y, x, y], [1.0] * 4)
    # Room for one whole row only: the second is left out with its elements.
    assert rows(b, 6, nelems=3) == (["G"], [1.0], [0], [x, y], [1.0, 1.0])
    assert bounds(b, 7) == [] and rows(b, 7) == ([], [], [], [], [])
    assert b.validate() == 2  # the empty branch would repeat the node
    b.addbounds(7, ["B"], [y], [0.5])
    assert b.validate() == 0
    b.setpreferredbranch(1)
    b.setpriority(-3)
    assert b.getlasterror() == (0, "")


def test_bad_branches_and_calls_are_refused():
    p = quorva.problem()
    x, y, z = quorva.var(name="x"), quorva.var(name="y"), quorva.var(name="z")
    p.addVariable(x, y)
    creation = "Incorrect creation of branching object"
    for args in ((), (5,), (p, [], True, 4)):
        with pytest.raises(quorva.ModelError, match=creation):
            quorva.branchobj(*args)
    with pytest.raises(quorva.ModelError, match="if the isoriginal flag is false"):
        quorva.branchobj(p, [[x <= 1]], isoriginal=False)
    assert quorva.branchobj(p, isoriginal=0).getbranches() == 0
    cases = [(x <= 1, "The branches parameter must be a list or a tuple"),
             ([[5]], "Branch 0 is invalid: element of branch not of the valid type"),
             ([[x <= 1], [x * y <= 1]], "Branch 1 contains a quadratic or nonlinear constraint"),
             ([[quorva.exp(x) <= 1]], "Branch 0 contains a quadratic or nonlinear constraint"),
             ([[z <= 1]], "Variable in branching object has not been added to problem yet"),
             ([[z + 0 <= 1]], "Variable in branching object has not been added to problem yet"),
             ([[quorva.constraint(body=x + y, lb=-1e20)]], "Branch cannot have a free row")]
    for branches, message in cases:
        with pytest.raises(quorva.ModelError, match=message):
            quorva.branchobj(p, branches)
    b = quorva.branchobj(p, [[x <= 1], [x >= 2]])
    with pytest.raises(quorva.SolverError, match="branch 2 does not exist"):
        b.addbounds(2, ["U"], [x], [1])
    with pytest.raises(quorva.SolverError, match="bound type 'Q'"):
        b.addbounds(0, ["Q"], [x], [1])
    with pytest.raises(quorva.SolverError, match="row type 'N'"):
        b.addrows(0, ["N"], [1], [0], [x], [1])
    with pytest.raises(OverflowError):
        b.addbranches(2 ** 40)
    assert bounds(b, 0) == [("U", x, 1.0)] and b.getbranches() == 2  # nothing half-added
    code, text = b.getlasterror()
    assert code != 0 and "row type" in text
    # Outside a tree search there is no node to store at: the object stays the caller's.
    with pytest.raises(quorva.SolverError, match="not a node of a running tree search"):
        b.store()
    assert b.getbranches() == 2


def solve_with(p, **callbacks):
    for kind, f in callbacks.items():
        getattr(p, "addcb" + kind)(f)
    p.solve()
    return p.getObjVal()


def first_fractional(prob, x):
    values = []
    prob.getlpsol(values)
    for v, value in zip(x, values):
        if abs(value - round(value)) > 1e-6:
            return v, value
    return None, None


def test_chgbranchobject_keeps_or_replaces_the_search_branching():
    best = best_knapsack()
    p, x = knapsack()
    offered = []

    def keep(prob, data, obranch):
        offered.append((obranch.getid(), obranch.getbranches()))
        return obranch
    assert solve_with(p, chgbranchobject=keep) == pytest.approx(best)
    assert offered and all(n == 2 and i >= 1 for i, n in offered)
    assert p.getAttrib("nodes") >= len(offered)

    p, x = knapsack()
    made = []

    def replace(prob, data, obranch):
        v, value = first_fractional(prob, x)
        if v is None:
            return obranch
        b = quorva.branchobj(prob, [[v >= math.ceil(value)], [v <= math.floor(value)]])
        b.setpreferredbranch(1)
        made.append(b)
        return b
    assert solve_with(p, chgbranchobject=replace) == pytest.approx(best)
    # Handed back: the optimizer owns the objects now.
    assert made and all(b.getid() is None and b.getbranches() == 0 for b in made)
    with pytest.raises(quorva.SolverError, match="holds no optimizer object"):
        made[0].validate()


def test_branching_objects_stored_at_nodes_branch_them():
    best = best_knapsack()
    p, x = knapsack()
    statuses = []

    def optnode(prob, data):
        v, value = first_fractional(prob, x)
        if v is not None:
            down, up = [v <= math.floor(value)], [v >= math.ceil(value)]
            statuses.append(quorva.branchobj(prob, [down, up]).store())
            statuses.append(quorva.branchobj(prob, []).store())  # no branches: not used
        return 0
    assert solve_with(p, optnode=optnode) == pytest.approx(best)
    assert statuses and set(statuses[0::2]) == {0} and set(statuses[1::2]) == {1}

    # Of two objects stored at a node, the one of least priority value branches
    # it: here the one that also caps x0 at 0 in every child.
    p, x = knapsack()
    child_caps = []

    def optnode_two(prob, data):
        v, value = first_fractional(prob, x)
        if v is not None and v is not x[0]:
            plain = quorva.branchobj(prob, [[v <= math.floor(value)], [v >= math.ceil(value)]])
            plain.setpriority(5)
            capped = quorva.branchobj(prob, [[v <= math.floor(value), x[0] <= 0], [v >= math.ceil(value), x[0] <= 0]])
            capped.setpriority(1)
            assert (plain.store(), capped.store()) == (0, 0)
        return 0

    def prenode(prob, data):
        if prob.getAttrib("currentnode") > 1:
            ub = []
            prob.getub(ub, x[0], x[0])
            child_caps.append(ub[0])
        return 0
    solve_with(p, optnode=optnode_two, prenode=prenode)
    assert child_caps and set(child_caps) == {0.0}
