"""Solutions given with addmipsol and loadmipsol: usersolnotify reports each
one's check (feasible, repaired, infeasible, rejected) when a MIP solve
starts, and a feasible one is the incumbent the search starts from, on
HiGHS's MIP and on the engine's own tree search."""
import pytest

import quorva

FEASIBLE, REPAIRED, INFEASIBLE, REJECTED = 1, 2, 3, 4
PATHS = {"highs": 2, "tree": 1}


def mip(path):
    """max 5x + 4y + 3z; x, y integer in [0, 10], z in [0, 10];
    2x + 3y + z <= 12, x + y <= 5. Optimum 35 at (1, 0, 10)."""
    p = quorva.problem()
    x, y = quorva.var(vartype=quorva.integer, ub=10), quorva.var(vartype=quorva.integer, ub=10)
    z = quorva.var(ub=10)
    p.addVariable(x, y, z)
    p.addConstraint(2 * x + 3 * y + z <= 12, x + y <= 5)
    p.setObjective(5 * x + 4 * y + 3 * z, sense=quorva.maximize)
    p.setControl({"outputlog": 0, "treesearch": PATHS[path]})
    return p, x, y, z


def knapsack(path, n=60):
    """Binary knapsack over three rows, with a poor but feasible start."""
    p = quorva.problem()
    x = [quorva.var(vartype=quorva.binary) for _ in range(n)]
    p.addVariable(x)
    values = [(37 * j) % 89 + 10 for j in range(n)]
    for r in range(3):
        weights = [(13 * j + 29 * r) % 53 + 5 for j in range(n)]
        p.addConstraint(quorva.Sum(w * v for w, v in zip(weights, x)) <= sum(weights) // 3)
    p.setObjective(quorva.Sum(c * v for c, v in zip(values, x)), sense=quorva.maximize)
    p.setControl({"outputlog": 0, "treesearch": PATHS[path]})
    start = [0] * n
    start[min(range(n), key=lambda j: values[j])] = 1
    return p, x, start, min(values)


def watch(p):
    seen = []
    p.addcbusersolnotify(lambda prob, data, name, status: seen.append((name, status)))
    return seen


@pytest.mark.parametrize("path", sorted(PATHS))
def test_every_status_is_reported_in_the_order_given(path):
    p, x, y, z = mip(path)
    seen = watch(p)
    p.addmipsol([1, 1, 0], [x, y, z], "as given")
    p.addmipsol([2, 1], [x, y], "partial")           # z from the LP: 5
    p.addmipsol([2, 1, 100], [x, y, z], "repaired")  # z beyond its bound, re-solved
    p.addmipsol([6, 0], [x, y], "breaks a row")      # x + y <= 5 cannot hold
    p.addmipsol([0.5, 1], [x, y], "fractional")
    p.addmipsol([1, 2], [x, x], "twice")
    p.solve()
    assert seen == [("as given", FEASIBLE), ("partial", REPAIRED), ("repaired", REPAIRED),
                    ("breaks a row", INFEASIBLE), ("fractional", INFEASIBLE), ("twice", REJECTED)]
    assert p.getObjVal() == pytest.approx(35)
    assert p.getSolution([x, y, z]) == pytest.approx([1, 0, 10])
    # The solutions stay for the next solve, which checks them again.
    seen.clear()
    p.solve()
    assert [s for _, s in seen] == [FEASIBLE, REPAIRED, REPAIRED, INFEASIBLE, INFEASIBLE, REJECTED]


@pytest.mark.parametrize("path", sorted(PATHS))
def test_a_feasible_solution_is_the_starting_incumbent(path):
    p, x, start, worth = knapsack(path)
    p.addmipsol(start, x, "poor")
    found = []
    p.addcbintsol(lambda prob, data: found.append(prob.attributes.mipobjval))
    seen = watch(p)
    p.solve()
    assert seen == [("poor", FEASIBLE)]
    assert found[0] == pytest.approx(worth)
    assert p.getObjVal() > worth + 100


def test_loadmipsol_returns_the_check_and_notifies_at_the_solve():
    p, x, y, z = mip("highs")
    assert p.loadmipsol([1, 0, 10]) == FEASIBLE
    assert p.loadmipsol([1, 0, 11]) == REPAIRED
    assert p.loadmipsol([3, 3, 0]) == INFEASIBLE
    seen = watch(p)
    p.solve()
    assert [s for _, s in seen] == [FEASIBLE, REPAIRED, INFEASIBLE]
    assert p.getObjVal() == pytest.approx(35)


@pytest.mark.parametrize("path", sorted(PATHS))
def test_an_exception_in_usersolnotify_stops_the_solve(path, capsys):
    p, x, y, z = mip(path)
    p.addmipsol([1, 1, 0], [x, y, z], "first")
    p.addmipsol([2, 1, 0], [x, y, z], "second")
    calls = []

    def bad(prob, data, name, status):
        calls.append(name)
        raise ValueError("refused " + name)

    p.addcbusersolnotify(bad)
    with pytest.raises(ValueError, match="refused first"):
        p.solve()
    assert calls == ["first"]
    assert "Problem in usersolnotify() callback, stopping optimization\n" in capsys.readouterr().err
    p.removecbusersolnotify(bad)
    p.solve()
    assert p.getObjVal() == pytest.approx(35)
