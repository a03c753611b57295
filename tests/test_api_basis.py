"""The basis as the library-named methods see it: the pivot order, the
ratio test of an entering row or column against hand-computed pivots, and
the presolve getters while no presolved problem is kept (the problem itself,
with the identity map)."""

import pytest

import quorva


@pytest.fixture
def lp():
    """min -x - 2y + w: c1 x + y + w <= 4, c2 x + 3y <= 6, x, y in [0, 10], w in [0, wub].
    Optimum x = 3, y = 1, w = 0 (both rows binding, w at its lower bound)."""
    def build(wub=5, solve=True):
        p = quorva.problem()
        p.controls.outputlog = 0
        x, y = quorva.var(name="x", ub=10), quorva.var(name="y", ub=10)
        w = quorva.var(name="w", ub=wub)
        p.addVariable(x, y, w)
        c1, c2 = x + y + w <= 4, x + 3 * y <= 6
        p.addConstraint(c1, c2)
        p.setObjective(-x - 2 * y + w)
        if solve:
            p.solve()
            assert p.getSolution() == pytest.approx([3, 1, 0])
        return p, (x, y, w), (c1, c2)
    return build


class TestPivots:
    def test_pivot_order_lists_basic_rows_then_columns(self, lp):
        p, (x, y, w), (c1, c2) = lp()
        order = [None]
        p.getpivotorder(order)
        assert order == [x, y]
        p.chgrhs([c2], [100])  # c2 slack becomes basic: y = 4 alone
        p.solve()
        p.getpivotorder(order)
        assert order == [c2, y]
        with pytest.raises(quorva.InterfaceError, match="Must provide argument mpiv"):
            p.getpivotorder(None)

    def test_ratio_test_of_an_entering_row(self, lp):
        p, (x, y, w), (c1, c2) = lp()
        out, values = [], []
        # Releasing c1 moves x = 3 - 1.5t, y = 1 + 0.5t: x leaves at t = 2.
        assert p.getpivots(c1, out, values, 5) == (pytest.approx(-4), 1)
        assert out == [x] and values == pytest.approx([2, 0, 0, 2, 0])
        # Releasing c2 moves y = 1 - t/2, x = 3 + t/2: y leaves at t = 2.
        assert p.getpivots(1, out, None, 5) == (pytest.approx(-4), 1)
        assert out == [y]

    def test_entering_column_by_object_name_or_position(self, lp):
        p, (x, y, w), (c1, c2) = lp()
        # w up by t pushes c1 as releasing it does: x leaves at t = 2.
        out, values = [], []
        result = p.getpivots(w, out, values, 5)
        assert result == (pytest.approx(-2), 1) and out == [x]
        assert values == pytest.approx([0, 0, 0, 2, 2])
        assert p.getpivots("w", [], None, 5) == result
        assert p.getpivots(2 + 2, [], None, 5) == result  # rows 0-1, then columns: w is 4
        # With w <= 1 its own bound comes first: w is the candidate.
        p, (x, y, w), _ = lp(wub=1)
        out = []
        assert p.getpivots(w, out, None, 5) == (pytest.approx(-3.5), 1) and out == [w]
        # maxpiv limits the list, not the count.
        out = ["old"]
        assert p.getpivots(w, out, None, 0)[1] == 1 and out == []

    def test_refusals(self, lp):
        p, (x, y, w), (c1, c2) = lp()
        with pytest.raises(quorva.SolverError, match="position 2 is basic"):
            p.getpivots(x, [], None, 5)
        with pytest.raises(quorva.SolverError, match="in 9 is not a row"):
            p.getpivots(9, [], None, 5)
        with pytest.raises(quorva.SolverError, match="Unknown column name 'nope'"):
            p.getpivots("nope", [], None, 5)
        fresh = quorva.problem()
        fresh.addVariable(quorva.var(name="v"))
        fresh.addConstraint(fresh.getVariable(0) <= 1)
        with pytest.raises(quorva.SolverError, match="no basis is available"):
            fresh.getpivotorder([])

    def test_unbounded_direction_has_no_candidate(self):
        p = quorva.problem()
        p.controls.outputlog = 0
        x, y = quorva.var(name="x"), quorva.var(name="y")
        p.addVariable(x, y)
        c = x - y <= 1
        p.addConstraint(c)
        p.setObjective(x + y)
        p.solve()  # x = y = 0, c slack basic
        values = []
        assert p.getpivots(y, [], values, 3) == (pytest.approx(0), 0)
        assert values == pytest.approx([1, 0, 0])  # the point as it is


class TestPresolveGetters:
    def test_identity_while_no_presolved_problem_is_kept(self, lp):
        p, (x, y, w), (c1, c2) = lp()
        rowmap, colmap = [], []
        p.getpresolvemap(rowmap, colmap)
        assert rowmap == [0, 1] and colmap == [0, 1, 2]
        got, want = [[] for _ in range(4)], [[] for _ in range(4)]
        p.getpresolvesol(*got)
        p.getlpsol(*want)
        assert got == want
        r, c, pr, pc = [], [], [], []
        p.getbasis(r, c)
        p.getpresolvebasis(pr, pc)
        assert (pr, pc) == (r, c)
        fresh, _, _ = lp(solve=False)
        fresh.loadpresolvebasis(pr, pc)
        fresh.solve()
        assert fresh.attributes.simplexiters == 0

    def test_presolve_directives_and_messages(self, lp):
        p, (x, y, w), _ = lp()
        p.loadpresolvedirs([0, 2], [3, 4])
        cols, pri = [], []
        p.getdirs(cols, pri, [], [], [])
        assert cols == [x, w] and pri == [3, 4]
        with pytest.raises(quorva.InterfaceError, match="Must provide argument rowmap and colmap"):
            p.getpresolvemap([], None)
        with pytest.raises(quorva.InterfaceError, match="get\\[presolve\\]basis"):
            p.getpresolvebasis(None, [])
        with pytest.raises(quorva.ModelError, match="expected 2, found 1"):
            p.loadpresolvebasis([1], [0, 0, 0])
