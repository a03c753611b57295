"""What an edit leaves of the last results: a change of costs, bounds or
coefficients makes the solution stale but keeps the basis, so the next solve
starts warm; a deletion takes the basis too; a refused or empty call, or new
names, leave everything as it was."""
from ctypes import byref, c_double, c_int, c_void_p

import pytest

from engine_model import INF, Model, dbl, ints
from test_engine_solve import LP_OPTIMAL, m  # noqa: F401 (m is the fixture)

SIMPLEX_ITERATIONS, LP_STATUS = 1040, 1010
SOURCES, SINKS = 8, 9


def transport(m):
    """Supply rows (L) of eight sources, demand rows (G) of nine sinks, a
    column per route; the simplex needs some fifteen iterations from cold."""
    supply = [30, 25, 35, 20, 40, 30, 28, 33]
    demand = [20, 25, 15, 30, 25, 20, 30, 22, 18]
    routes = [(i, j) for i in range(SOURCES) for j in range(SINKS)]
    cost = [(7 * i + 3 * j) % 11 + 1 + 0.1 * i for i, j in routes]
    m.add_cols(cost, [0] * len(routes), [INF] * len(routes))
    rows = [{k: 1 for k, (i, _) in enumerate(routes) if i == s} for s in range(SOURCES)]
    rows += [{k: 1 for k, (_, j) in enumerate(routes) if j == t} for t in range(SINKS)]
    m.add_rows("L" * SOURCES + "G" * SINKS, supply + demand, rows)
    m.ok("QRVAsetintcontrol", 8003, 0)  # presolve off: the iterations are the simplex's own


def basis(m):
    rs, cs = (c_int * max(1, m.rows))(), (c_int * max(1, m.cols))()
    m.ok("QRVAgetbasis", rs, cs)
    return list(rs)[:m.rows], list(cs)[:m.cols]


def cold_optimum(env, build, edit):
    """The optimum of the edited problem solved on a problem of its own."""
    other = c_void_p()
    assert env.QRVAcreateprob(byref(other)) == 0
    try:
        fresh = Model(env, other)
        build(fresh)
        edit(fresh)
        status, objective = fresh.lpopt()
        return status, objective, fresh.attr(SIMPLEX_ITERATIONS)
    finally:
        env.QRVAdestroyprob(other)


# Edits that keep the basis: (label, edit, whether the basis keeps its shape).
KEEPING = [
    ("objective", lambda m: m.ok("QRVAchgobj", 1, ints([0]), dbl([4])), True),
    ("bounds", lambda m: m.ok("QRVAchgbounds", 1, ints([14]), b"U", dbl([12])), True),
    ("rhs", lambda m: m.ok("QRVAchgrhs", 1, ints([9]), dbl([30])), True),
    ("coefficient", lambda m: m.ok("QRVAchgcoef", 0, 0, c_double(1.5)), True),
    ("new row", lambda m: m.add_rows("L", [10], [{0: 1, 4: 1}]), False),
    ("new column", lambda m: m.add_cols([3], [0], [10], [{0: 1, 9: 1}]), False),
]


@pytest.mark.parametrize("label,edit,same_shape", KEEPING, ids=[k[0] for k in KEEPING])
def test_an_edit_that_keeps_the_basis_makes_the_next_solve_warm(env, m, label, edit,
                                                                 same_shape):
    transport(m)
    assert m.lpopt()[0] == LP_OPTIMAL
    cold = m.attr(SIMPLEX_ITERATIONS)
    rows, cols = basis(m)
    edit(m)
    assert m.attr(LP_STATUS) == 0
    assert "no solution" in m.fails("QRVAgetlpsol", None, None, None, None)
    kept_rows, kept_cols = basis(m)
    if same_shape:
        assert (kept_rows, kept_cols) == (rows, cols)
    else:  # new rows basic, new columns at their lower bound
        assert kept_rows == rows + [1] * (m.rows - len(rows))
        assert kept_cols == cols + [0] * (m.cols - len(cols))
    status, objective = m.lpopt()
    expected = cold_optimum(env, transport, edit)
    assert (status, objective) == (expected[0], pytest.approx(expected[1]))
    assert cold >= 15 and expected[2] >= 15
    # From the kept basis at most half the iterations of a start from nothing.
    assert m.attr(SIMPLEX_ITERATIONS) * 2 <= expected[2]


@pytest.mark.parametrize("call,args", [
    ("QRVAdelrows", (1, ints([2]))),
    ("QRVAdelcols", (1, ints([5]))),
    ("QRVAloadlp", (b"p", 0, 0) + (None,) * 10),
])
def test_deleting_rows_or_columns_makes_basis_and_solution_stale(m, call, args):
    transport(m)
    m.lpopt()
    m.ok(call, *args)
    assert "no solution" in m.fails("QRVAgetlpsol", None, None, None, None)
    assert "no basis" in m.fails("QRVAgetbasis", None, None)
    # A basis of the new shape may be loaded and is then the one kept.
    rs, cs = [1] * m.rows, [0] * m.cols
    m.ok("QRVAloadbasis", ints(rs), ints(cs))
    assert basis(m) == (rs, cs)


# Calls that change nothing: refused, empty, or names only.
UNCHANGING = [
    ("QRVAchgobj", (2, ints([0, 99]), dbl([1, 1])), "out of range"),
    ("QRVAchgbounds", (2, ints([0, 1]), b"UX", dbl([1, 1])), "not one of U L B"),
    ("QRVAchgmcoef", (2, ints([0, 0]), ints([0, 1]), dbl([1, float("nan")])), "NaN"),
    ("QRVAdelrows", (2, ints([0, 17])), "out of range"),
    ("QRVAdelcols", (0, None), None),
    ("QRVAdelrows", (0, None), None),
    ("QRVAaddrows64", (0, 0, None, None, None, None, None, None), None),
    ("QRVAaddcols64", (0, 0, None, None, None, None, None, None), None),
    ("QRVAchgrhs", (0, None, None), None),
    ("QRVAaddnames", (2, b"route\0", 0, 0), None),
]


@pytest.mark.parametrize("call,args,refusal", UNCHANGING)
def test_a_call_that_changes_nothing_keeps_solution_and_basis(m, call, args, refusal):
    transport(m)
    m.lpopt()
    solution, kept = m.lpsol(), basis(m)
    objective = m.dattr(2001)
    if refusal:
        assert refusal in m.fails(call, *args)
    else:
        m.ok(call, *args)
    assert m.attr(LP_STATUS) == LP_OPTIMAL and m.dattr(2001) == objective
    assert m.lpsol() == solution and basis(m) == kept

