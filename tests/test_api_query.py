"""Reading the problem back through the library-named getters: two-call
getters against what was loaded, size limits, ranges given by objects,
getters after deletions, solutions, bases and rays."""

import os

import pytest

import quorva

INSTANCES = "/work/shared/instances"


def problem():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


@pytest.fixture
def lp():
    """min -x - y - z  s.t.  r0: x + 2y <= 4,  r1: 3x + y + z <= 6,  r2: z >= 1 (range 2)."""
    p = problem()
    x, y, z = (quorva.var(name=n, ub=10) for n in "xyz")
    p.addVariable(x, y, z)
    r0, r1 = x + 2 * y <= 4, 3 * x + y + z <= 6
    r2 = quorva.constraint(body=z, lb=1, ub=3)
    p.addConstraint(r0, r1, r2)
    p.setObjective(-x - y - z)
    return p, (x, y, z), (r0, r1, r2)


class TestMatrix:
    def test_rows_and_columns_as_loaded(self, lp):
        p, (x, y, z), (r0, r1, r2) = lp
        s, c, v = [], [], []
        p.getrows(s, c, v, 100, r0, r2)
        assert s == [0, 2, 5, 6] and c == [x, y, x, y, z, z] and v == [1, 2, 3, 1, 1, 1]
        s, r, v = [], [], []
        p.getcols(s, r, v, 100, 0, 2)
        assert s == [0, 2, 4, 6] and r == [r0, r1, r0, r1, r1, r2] and v == [1, 3, 2, 1, 1, 1]

    def test_size_limits_the_elements_not_the_starts(self, lp):
        p = lp[0]
        s, c, v = [9], [9], [9]
        p.getrows(s, c, v, 0, 0, 0)
        assert len(s) == 2 and c == [] and v == []
        p.getrows(s, c, v, 3, 0, 1)  # the starts count the elements written
        assert s == [0, 2, 3] and len(c) == len(v) == 3

    def test_empty_ranges(self, lp):
        p = lp[0]
        with pytest.raises(quorva.InterfaceError, match="Empty range of rows requested"):
            p.getrows([], [], [], 10, 2, 1)
        with pytest.raises(quorva.InterfaceError, match="Empty range of columns requested"):
            p.getcols([], [], [], 10, 2, 1)
        with pytest.raises(quorva.InterfaceError, match="Must provide at least one of arguments mstart, mrwind"):
            p.getcols(None, None, None, 10, 0, 1)
        kept = ["kept"]
        assert p.getlb(kept, 2, 1) is None and kept == ["kept"]
        with pytest.raises(quorva.InterfaceError, match="Empty or invalid range of columns requested"):
            p.getcoltype([], 2, 1)

    def test_range_outside_the_problem_is_the_library_error(self, lp):
        with pytest.raises(quorva.SolverError):
            lp[0].getrhs([], 0, 7)

    def test_bounds_types_and_right_hand_sides(self, lp):
        p, (x, y, z), (r0, r1, r2) = lp
        x.ub = 5  # a pending change is what the getters see
        ub, types, rhs, rng, obj = [], [], [], [], []
        p.getub(ub)
        p.getrowtype(types, 0, 2)
        p.getrhs(rhs, 0, 2)
        p.getrhsrange(rng, r2, r2)
        p.getobj(obj, x, z)
        assert ub == [5, 10, 10] and types == ["L", "L", "R"] and rhs == [4, 6, 3] and rng == [2]
        assert obj == [-1, -1, -1]
        assert p.getcoef(r1, x) == 3 and p.getcoef(r0, z) == 0

    def test_getters_after_deletions(self, lp):
        p, (x, y, z), (r0, r1, r2) = lp
        p.delVariable(y)
        p.delConstraint(r0)
        s, c, v = [], [], []
        p.getrows(s, c, v, 100, 0, 1)
        assert s == [0, 2, 3] and c == [x, z, z] and v == [3, 1, 1]
        lb = []
        p.getlb(lb)
        assert len(lb) == 2

    def test_quadratic_objective(self):
        p = problem()
        x, y = quorva.var(name="x"), quorva.var(name="y")
        p.addVariable(x, y)
        p.setObjective(x**2 + 3 * x * y)
        s, c, v = [], [], []
        assert p.getmqobj(s, c, v, 10, 0, 1) == 3
        assert s == [0, 2, 3] and c == [x, y, x] and v == [2, 3, 3]
        assert p.getmqobj(None, None, None, 10, y, y) == 1


class TestGlobal:
    def test_entities_and_sets_as_added(self):
        p = problem()
        x, y = quorva.var(name="x", vartype=quorva.integer, ub=5), quorva.var(name="y")
        s = quorva.var(name="s", vartype=quorva.semicontinuous, threshold=2, ub=9)
        p.addVariable(x, y, s)
        p.addSOS(quorva.sos([x, y], [1, 2], type=2))
        lists = [[] for _ in range(7)]
        p.getglobal(*lists)
        types, cols, limits, settypes, starts, members, refs = lists
        assert (types, cols, limits[1]) == (["I", "S"], [0, 2], 2)
        assert (settypes, starts, members, refs) == (["2"], [0, 2], [x, y], [1, 2])


class TestSolutions:
    def test_lp_solution_and_basis_restart(self):
        p = problem()
        p.read(os.path.join(INSTANCES, "afiro.mps"))
        p.solve()
        x, slack, dual, dj = [], [], [], []
        p.getlpsol(x, slack, dual, dj)
        assert len(x) == len(dj) == 32 and len(slack) == len(dual) == 27
        assert x == pytest.approx(p.getSolution())
        rstatus, cstatus = [], []
        p.getbasis(rstatus, cstatus)
        fresh = problem()
        fresh.read(os.path.join(INSTANCES, "afiro.mps"))
        fresh.loadbasis(rstatus, cstatus)
        fresh.solve()
        assert fresh.attributes.simplexiters == 0
        assert fresh.getObjVal() == pytest.approx(-464.75314286, rel=1e-6)

    def test_loadbasis_lengths_and_required(self, lp):
        p = lp[0]
        p.solve()
        r, c = [], []
        p.getbasis(r, c)
        with pytest.raises(quorva.ModelError, match="expected 3, found 2"):
            p.loadbasis(r[:2], c)
        with pytest.raises(quorva.InterfaceError, match="Must provide argument rstatus, cstatus"):
            p.loadbasis(None, c)
        with pytest.raises(quorva.InterfaceError, match="get\\[presolve\\]basis"):
            p.getbasis(r, None)

    def test_mip_solution(self):
        p = problem()
        p.read(os.path.join(INSTANCES, "flugpl.mps"))
        p.solve()
        x, slack = [], []
        p.getmipsol(x, slack)
        assert len(x) == 18 and len(slack) == 18
        assert x == pytest.approx(p.getSolution())

    def test_no_infeasibility_leaves_the_lists(self, lp):
        p = lp[0]
        p.solve()
        lists = [["a"], ["b"], ["c"], ["d"]]
        assert p.getinfeas(*lists) is None and p.getscaledinfeas(*lists) is None
        assert lists == [["a"], ["b"], ["c"], ["d"]]

    def test_rays(self, lp):
        p = lp[0]
        p.solve()
        assert p.hasdualray() is False and p.hasprimalray() is False
        ray = ["kept"]
        p.getdualray(ray)
        assert ray == ["kept"]
        with pytest.raises(quorva.InterfaceError, match="Must provide argument to retrieve"):
            p.getprimalray(None)
        with pytest.raises(quorva.SolverError, match="getunbvec returns a valid object only"):
            p.getunbvec()

    def test_unbounded_problem_has_a_ray(self):
        p = problem()
        x, y = quorva.var(name="x"), quorva.var(name="y")
        p.addVariable(x, y)
        p.addConstraint(x - y <= 1)
        p.setObjective(x + y, sense=quorva.maximize)
        p.solve("p")
        if p.hasprimalray():
            ray = []
            p.getprimalray(ray)
            assert len(ray) == 2 and ray[0] + ray[1] > 0


class TestLibraryInformation:
    def test_info_and_messages(self, lp):
        p = lp[0]
        assert p.getattribinfo("rows") == (1001, 1)
        ident, kind = p.getcontrolinfo("feastol")
        assert ident > 0 and kind == 3
        assert p.getcontrolinfo("nosuchcontrol") == (0, 0)
        p.setmessagestatus(97, 0)
        assert p.getmessagestatus(97) == 0
        p.setprobname("renamed")
        assert p.name() == "renamed"
        with pytest.raises(quorva.SolverError):
            p.chgbounds([0], ["Q"], [1])
        assert "QRVAchgbounds" in p.getlasterror()
