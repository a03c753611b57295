"""Models with integer or binary variables and nonlinear parts: solve(),
nlpoptimize() and globalsol() run the branch-and-bound over nonlinear node
solves; statuses of both kinds, quadratic rows with binaries, the slpnode
callback with its arguments and its stop, and the node limit."""
import pytest

import quorva


def integer_rosenbrock(a=1.4):
    p = quorva.problem()
    p.controls.outputlog = 0
    x = quorva.var(vartype=quorva.integer, lb=-5, ub=5, name="x")
    y = quorva.var(vartype=quorva.integer, lb=-5, ub=5, name="y")
    p.addVariable(x, y)
    p.setObjective((a - x) ** 2 + 100 * (y - x ** 2) ** 2)
    return p, x, y


POINTS = [(0, 0), (1.5, 0), (0, 3)]


def discs():
    """The centre (u, v) and a binary per point of POINTS; at most two
    picked, rewarded 3, 2, 2. The rows that tie them are the caller's."""
    p = quorva.problem()
    p.controls.outputlog = 0
    u, v = quorva.var(lb=-3, ub=3), quorva.var(lb=-3, ub=3)
    b = [quorva.var(vartype=quorva.binary) for _ in range(3)]
    p.addVariable(u, v, b)
    p.addConstraint(quorva.Sum(b) <= 2)
    p.setObjective(3 * b[0] + 2 * b[1] + 2 * b[2], sense=quorva.maximize)
    return p, u, v, b


def assert_two_discs(p, u, v, b):
    # (0, 0) and (1.5, 0) fit one disc; (0, 3) fits with neither.
    p.solve()
    assert p.attributes.mipstatus == quorva.mip_optimal
    assert p.getObjVal() == pytest.approx(5, abs=1e-6)
    assert p.getSolution(b) == pytest.approx([1, 1, 0], abs=1e-6)
    su, sv = p.getSolution([u, v])
    assert su ** 2 + sv ** 2 <= 1 + 1e-5 and (su - 1.5) ** 2 + sv ** 2 <= 1 + 1e-5


class TestSolves:
    def test_solve_and_globalsol_find_the_integer_optimum(self):
        p, x, y = integer_rosenbrock()
        p.solve()
        assert p.getProbStatusString() == "nlp_solution"
        assert p.getObjVal() == pytest.approx(0.16, abs=1e-7)
        assert p.getSolution([x, y]) == pytest.approx([1, 1], abs=1e-6)
        assert p.attributes.mipstatus == quorva.mip_optimal
        assert p.attributes.mipobjval == pytest.approx(0.16, abs=1e-7)
        assert p.attributes.bestbound == pytest.approx(0.16, abs=1e-6)
        p.globalsol()
        assert p.getObjVal() == pytest.approx(0.16, abs=1e-7)
        assert p.attributes.nodes > 1

    def test_binaries_with_a_quadratic_row(self):
        # Pick at most two of three points on the plane to lie within the
        # unit disc around (u, v); reward 3, 2, 2 for picking them.
        p, u, v, b = discs()
        for (px, py), bk in zip(POINTS, b):
            # (u - px)^2 + (v - py)^2 <= 1 + 20 (1 - bk)
            p.addConstraint((u - px) * (u - px) + (v - py) * (v - py) + 20 * bk <= 21)
        assert_two_discs(p, u, v, b)

    def test_indicators_with_nonlinear_rows(self):
        # The same choice with each disc an indicator's row, one of them a
        # formula: a row holds only where its binary is 1.
        p, u, v, b = discs()
        p.addIndicator(b[0] == 1, quorva.sqrt(u * u + v * v + 1e-12) <= 1)
        p.addIndicator(b[1] == 1, (u - 1.5) ** 2 + v ** 2 <= 1)
        p.addIndicator(b[2] == 1, u ** 2 + (v - 3) ** 2 <= 1)
        assert_two_discs(p, u, v, b)


class TestCallbacksAndLimits:
    def test_slpnode_gets_the_problem_of_the_node_and_can_stop(self):
        p, x, y = integer_rosenbrock()
        data = object()
        seen = []

        def slpnode(prob, d, *rest):
            assert d is data and rest == ()
            lb, ub = [], []
            prob.getlb(lb, 0, 1)
            prob.getub(ub, 0, 1)
            seen.append((prob.attributes.currentnode, prob.attributes.nodedepth, lb, ub))
            return 1 if len(seen) == 2 else 0

        p.setcbslpnode(slpnode, data)
        p.solve()
        assert [s[:2] for s in seen] == [(1, 0), (2, 1)]
        assert seen[0][2:] == ([-5, -5], [5, 5]) and seen[1][2:] != seen[0][2:]
        assert p.attributes.stopstatus == 9 and p.attributes.mipstatus != quorva.mip_optimal

    def test_node_limit_leaves_a_solution_not_proven_optimal(self):
        p, x, y = integer_rosenbrock(a=2.6)
        p.controls.maxnode = 2
        p.solve()
        assert p.attributes.nodes == 2
        assert p.attributes.mipstatus in (quorva.mip_solution, quorva.mip_no_sol_found)
        p.controls.maxnode = 100000
        p.solve()
        # y <= 5 keeps (3, 9) out: (2, 4) is the best integer point left.
        assert p.attributes.mipstatus == quorva.mip_optimal
        assert p.getSolution([x, y]) == pytest.approx([2, 4], abs=1e-6)
        assert p.getObjVal() == pytest.approx(0.36, abs=1e-7)
