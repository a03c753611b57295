"""Nonconvex problems whose default start violates reverse-convex rows: the
engine must still reach a feasible point and the optimum, and a run that
ends with violated rows on a problem not proven infeasible must say so
honestly (locally infeasible, not infeasible)."""
import math
from ctypes import byref, c_void_p

import pytest

from engine_model import Model, dbl, ints
from slp_model import var

NLP_OPTIMAL, NLP_LOCALLY_INFEASIBLE = 1, 3
LP_OPTIMAL, LP_INFEAS, LP_UNFINISHED = 1, 2, 4
STOP_NONE = 0


@pytest.fixture
def plain(env):
    q = c_void_p()
    assert env.QRVAcreateprob(byref(q)) == 0
    yield Model(env, q)
    assert env.QRVAdestroyprob(q) == 0


@pytest.fixture
def m(slp_problem):
    return slp_problem


def quadratic_rows(model, rows):
    """rows: (type, rhs, {col: linear}, [(i, j, value)]) with the quadratic
    terms as QRVAaddqmatrix64 takes them."""
    first = model.add_rows("".join(r[0] for r in rows), [r[1] for r in rows], [r[2] for r in rows])[0]
    for k, (_, _, _, terms) in enumerate(rows):
        if terms:
            model.ok("QRVAaddqmatrix64", first + k, len(terms), ints([t[0] for t in terms]),
                     ints([t[1] for t in terms]), dbl([t[2] for t in terms]))


def hs023(model):
    """min x^2 + y^2 s.t. x + y >= 1, x^2 + y^2 >= 1, 9x^2 + y^2 >= 9,
    x^2 - y >= 0, y^2 - x >= 0 in [-50, 50]^2: the origin, where the default
    start lies, violates the reverse-convex rows; optimum 2 at (1, 1)."""
    x, y = model.add_cols([0, 0], [-50, -50], [50, 50])
    model.ok("QRVAchgmqobj64", 2, ints([x, y]), ints([x, y]), dbl([2, 2]))
    quadratic_rows(model, [
        ("G", 1, {x: 1, y: 1}, []),
        ("G", 1, {}, [(x, x, 1), (y, y, 1)]),
        ("G", 9, {}, [(x, x, 9), (y, y, 1)]),
        ("G", 0, {y: -1}, [(x, x, 1)]),
        ("G", 0, {x: -1}, [(y, y, 1)]),
    ])


def test_reverse_convex_rows_from_the_default_start(m, plain):
    hs023(m)
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(2, abs=1e-6)
    assert m.slpsol()[0] == pytest.approx([1, 1], abs=1e-5)
    # Through the optimizer's own solve: the SLP problem above records the
    # iterations; a plain problem solves the same way.
    status, obj = m.lpopt()
    assert status == LP_OPTIMAL and obj == pytest.approx(2, abs=1e-6)
    assert m.iattr(12044) == NLP_OPTIMAL and m.iattr(12040) > 1
    hs023(plain)
    status, obj = plain.lpopt()
    assert status == LP_OPTIMAL and obj == pytest.approx(2, abs=1e-6)
    assert plain.lpsol()[0] == pytest.approx([1, 1], abs=1e-5)


def test_flat_objective_at_a_feasible_start(m):
    """min -xyz s.t. x^2 + 2y^2 + 4z^2 <= 48 from the origin, where the
    objective and its gradient vanish: optimum -16 sqrt(2)."""
    x, y, z = m.add_cols([0, 0, 0], [-1e20] * 3, [1e20] * 3)
    t = m.add_cols([1], [-1e20], [1e20])[0]
    objective = m.add_rows("E", [0], [{t: -1.0}])[0]
    m.add_coefs([(objective, -1, 1.0, -(var(x) * var(y) * var(z)))])
    quadratic_rows(m, [("L", 48, {}, [(x, x, 1), (y, y, 2), (z, z, 4)])])
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(-16 * math.sqrt(2), abs=1e-6)
    assert [abs(v) for v in m.slpsol()[0][:3]] == pytest.approx([4, 2 * math.sqrt(2), 2], abs=1e-4)


def stuck_on_a_valley(model):
    """x^2 + y^2 >= 4 with x = 0 fixed and y in [-1, 1]: infeasible, yet
    nothing linear proves it, so the engine can only end locally
    infeasible."""
    x, y = model.add_cols([0, 0], [0, -1], [0, 1])
    quadratic_rows(model, [("G", 4, {}, [(x, x, 1), (y, y, 1)])])


def test_violated_rows_at_the_end_are_reported_as_locally_infeasible(m):
    stuck_on_a_valley(m)
    status, _ = m.solve()
    assert status == NLP_LOCALLY_INFEASIBLE
    # The search moved y as far from 0 as its bounds allow.
    assert abs(m.slpsol()[0][1]) == pytest.approx(1, abs=1e-6)
    status, _ = m.lpopt()
    # Not proven infeasible: unfinished with no stop reason, the point kept.
    assert status == LP_UNFINISHED and m.attr(1050) == STOP_NONE
    assert m.iattr(12044) == NLP_LOCALLY_INFEASIBLE and m.iattr(12040) > 0
    assert abs(m.lpsol()[0][1]) == pytest.approx(1, abs=1e-6)
    # Linear rows that contradict each other are proven infeasible.
    x = m.add_cols([0], [0], [1])[0]
    m.add_rows("GL", [2, 1], [{x: 1}, {x: 1}])
    assert m.lpopt()[0] == LP_INFEAS
