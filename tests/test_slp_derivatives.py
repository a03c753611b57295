"""Derivative factors of quorva.problem: stored per (column, row), read back,
copied with the problem, honoured by the solver's linearizations (another
path, the same optimum), and bad input refused with the factors as they
were."""
import pytest

import quorva

from test_slp_solver_methods import OPTIMUM, model  # noqa: F401  (the circle and product model)


def path_and_optimum(p, x, y):
    steps = []

    def iterend(prob, d):
        sol = []
        prob.getslpsol(sol)
        steps.append(tuple(round(v, 9) for v in sol[:2]))
        return 0

    p.setcbiterend(iterend)
    p.nlpoptimize()
    sol = []
    p.getslpsol(sol)
    return steps, sol[:2]


class TestDerivativeFactors:
    def test_stored_read_back_and_copied(self, model):
        p, x, y, circle, product = model
        assert p.getdf(x, circle) == 1.0
        p.adddfs([x, y], [circle, "product"], [0.5, 2.0])
        p.chgdf(y, circle, 3.0)
        assert [p.getdf(x, circle), p.getdf(y, product), p.getdf(y, circle)] == [0.5, 2.0, 3.0]
        q = p.copy()
        assert q.getdf(0, 0) == 0.5 and q.getdf(1, 1) == 2.0
        p.chgdf(x, circle, None)
        assert p.getdf(x, circle) == 1.0 and q.getdf(0, 0) == 0.5
        p.loaddfs([x], [product], [4.0])
        assert [p.getdf(y, product), p.getdf(y, circle), p.getdf(x, product)] == [1.0, 1.0, 4.0]
        p.delConstraint(circle)
        assert p.getdf(x, 0) == 4.0  # the product row moved to 0 with its factor

    def test_honoured_by_the_linearizations(self, model):
        p, x, y, circle, product = model
        plain_path, plain = path_and_optimum(p, x, y)
        p.adddfs([x, y], [circle, circle], [0.6, 0.6])
        path, optimum = path_and_optimum(p, x, y)
        assert path != plain_path
        assert plain == pytest.approx(OPTIMUM, abs=1e-5) and optimum == pytest.approx(OPTIMUM, abs=1e-5)

    def test_bad_input_refused(self, model):
        p, x, y, circle, product = model
        p.adddfs([x], [circle], [0.5])
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in adddfs"):
            p.adddfs([x])
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in chgdf"):
            p.chgdf(x, circle, "big")
        with pytest.raises(quorva.InterfaceError, match="Incorrect arguments in getdf"):
            p.getdf(x)
        for bad in (0.0, -1.0, float("nan"), float("inf")):
            with pytest.raises(quorva.SolverError, match="not a finite positive number"):
                p.adddfs([y, x], [product, circle], [2.0, bad])
            with pytest.raises(quorva.SolverError, match="not a finite positive number"):
                p.loaddfs([x], [product], [bad])
            with pytest.raises(quorva.SolverError, match="not a finite positive number"):
                p.chgdf(x, circle, bad)
        with pytest.raises(quorva.SolverError, match="out of range"):
            p.adddfs([x], [7], [1.0])
        assert [p.getdf(x, circle), p.getdf(y, product), p.getdf(x, product)] == [0.5, 1.0, 1.0]
