"""Solving in the library and calculations on given vectors: lpoptimize and
mipoptimize on published instances, fixglobals with and without rounding,
calculations against hand computations and the solver's own values, and
basis solves and condition numbers against NumPy with the basis matrix
built from getbasis."""

import numpy as np
import pytest

import quorva

INSTANCES = "/work/shared/instances"


def problem():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


def read(name):
    p = problem()
    p.read("%s/%s" % (INSTANCES, name))
    return p


@pytest.fixture
def lp():
    """max 3x + 2y + z  s.t.  c0: x + y <= 4,  c1: x + 3y + z <= 6,  c2: z >= 1; 0 <= x, y, z <= 3."""
    p = problem()
    x, y, z = (quorva.var(name=n, ub=3) for n in "xyz")
    p.addVariable(x, y, z)
    c = [x + y <= 4, x + 3 * y + z <= 6, z >= 1]
    p.addConstraint(*c)
    p.setObjective(3 * x + 2 * y + z, sense=quorva.maximize)
    return p


def dense_matrix(p):
    m, n = p.attributes.rows, p.attributes.cols
    start, rows, values = [], [], []
    p.getcols(start, rows, values, 10 ** 7, 0, n - 1)
    a = np.zeros((m, n))
    for j in range(n):
        for k in range(start[j], start[j + 1]):
            a[p.getIndex(rows[k]), j] = values[k]
    return a


def basis_matrix(p):
    """Basic slacks by row (unit columns), then basic columns by index."""
    m = p.attributes.rows
    rstatus, cstatus = [], []
    p.getbasis(rstatus, cstatus)
    a = dense_matrix(p)
    cols = [np.eye(m)[:, i] for i in range(m) if rstatus[i] == 1]
    cols += [a[:, j] for j, s in enumerate(cstatus) if s == 1]
    return np.column_stack(cols)


class TestOptimize:
    @pytest.mark.parametrize("name,flags,optimum", [
        ("afiro.mps", "", -464.75314286), ("adlittle.mps", "d", 225494.96316),
        ("israel.mps", "b", -896644.82186)])
    def test_lp_instances_reach_their_optima(self, name, flags, optimum):
        p = read(name)
        assert p.lpoptimize(flags) is None
        assert p.attributes.lpstatus == quorva.lp_optimal
        assert p.attributes.lpobjval == pytest.approx(optimum, rel=1e-6)

    @pytest.mark.parametrize("name,optimum", [("flugpl.mps", 1201500), ("lseu.mps", 1120)])
    def test_mip_instances_reach_their_optima(self, name, optimum):
        p = read(name)
        assert p.mipoptimize() is None
        assert p.attributes.mipstatus == quorva.mip_optimal
        assert p.attributes.mipobjval == pytest.approx(optimum, rel=1e-4)

    def test_lpoptimize_solves_the_relaxation_of_a_mip(self):
        p = read("flugpl.mps")
        p.lpoptimize()
        assert p.attributes.lpstatus == quorva.lp_optimal
        assert p.attributes.lpobjval < 1201500 - 1

    def test_pending_objects_reach_the_library_first(self):
        p = problem()
        x = quorva.var(ub=5)
        p.addVariable(x)
        p.setObjective(-x)
        p.lpoptimize()
        assert p.attributes.lpobjval == pytest.approx(-5)

    def test_bad_flags_and_postsolve(self, lp):
        with pytest.raises(TypeError):
            lp.lpoptimize(3)
        lp.lpoptimize()
        assert lp.postsolve() is None
        x = []
        lp.getlpsol(x)  # the solution stays readable
        assert len(x) == 3


class TestFixglobals:
    def mip(self):
        """min x + 5y: 3x + y >= 2.25, x integer; the integrality tolerance 0.3 takes x = 0.75."""
        p = problem()
        x, y = quorva.var(vartype=quorva.integer, name="x", ub=10), quorva.var(name="y", ub=10)
        p.addVariable(x, y)
        p.addConstraint(3 * x + y >= 2.25, x + y <= 10)
        p.setObjective(x + 5 * y)
        p.controls.integralitytol = 0.3
        p.controls.presolve = 0
        p.mipoptimize()
        return p, x

    def test_true_rounds_and_the_integer_one_does_not(self):
        for ifround, fixed in ((True, 1.0), (1, 0.75)):
            p, x = self.mip()
            lb, ub = [], []
            p.getlb(lb), p.getub(ub)
            assert p.getSolution(x) == pytest.approx(0.75)
            p.fixglobals(ifround)
            p.getlb(lb), p.getub(ub)
            assert lb[0] == ub[0] == fixed
            assert x.lb == x.ub == pytest.approx(fixed)
            types = []
            p.getcoltype(types, 0, 1)
            assert types == ["C", "C"]

    def test_the_fixed_lp_gives_the_mip_objective_and_its_duals(self):
        p = read("lseu.mps")
        p.mipoptimize()
        best = p.attributes.mipobjval
        p.fixglobals(True)
        p.lpoptimize()
        assert p.attributes.lpstatus == quorva.lp_optimal
        assert p.attributes.lpobjval == pytest.approx(best, rel=1e-9)
        dual, dj = [], []
        p.getlpsol(None, None, dual, dj)
        assert len(dual) == p.attributes.rows and len(dj) == p.attributes.cols

    def test_without_a_mip_solution_nothing_changes(self, lp):
        with pytest.raises(quorva.SolverError, match="no MIP solution"):
            lp.fixglobals(True)
        ub = []
        lp.getub(ub)
        assert ub == [3, 3, 3]


class TestCalculations:
    def test_by_hand_at_a_point(self, lp):
        point = [1.0, 2.0, 0.5]
        assert lp.calcobjective(point) == pytest.approx(3 + 4 + 0.5)
        slacks = ["old"] * 7
        lp.calcslacks(point, slacks)
        assert slacks == pytest.approx([4 - 3, 6 - 7.5, 1 - 0.5])
        dj = []
        lp.calcreducedcosts([1.0, 0.5, 0.0], None, dj)
        assert dj == pytest.approx([3 - 1 - 0.5, 2 - 1 - 1.5, 1 - 0.5])
        # c1 is violated by 1.5 (relative 1.5 / 7), c2 by 0.5 (relative 0.5 / 2).
        info = quorva.solinfo_absprimalinfeas
        assert lp.calcsolinfo(point, [0, 0, 0], info) == pytest.approx(1.5)
        assert lp.calcsolinfo(point, [0, 0, 0], quorva.solinfo_relprimalinfeas) == pytest.approx(0.25)
        # Maximising: a free row c0 dual of the wrong sign; all columns bounded.
        assert lp.calcsolinfo(point, [-2.0, 0, 0], quorva.solinfo_absdualinfeas) == pytest.approx(2.0)

    def test_quadratic_objective_terms(self):
        p = problem()
        x, y = quorva.var(), quorva.var()
        p.addVariable(x, y)
        p.setObjective(x * x + 3 * x * y + 2 * y + 1)
        assert p.calcobjective([2.0, 1.0]) == pytest.approx(4 + 6 + 2 + 1)
        dj = []
        p.calcreducedcosts([], [2.0, 1.0], dj)
        assert dj == pytest.approx([2 * 2 + 3 * 1, 2 + 3 * 2])

    @pytest.mark.parametrize("name", ["afiro.mps", "israel.mps"])
    def test_agree_with_the_solver_at_its_optimum(self, name):
        p = read(name)
        p.lpoptimize()
        x, slack, dual, dj = [], [], [], []
        p.getlpsol(x, slack, dual, dj)
        assert p.calcobjective(x) == pytest.approx(p.attributes.lpobjval, rel=1e-9)
        mine = []
        p.calcslacks(x, mine)
        assert mine == pytest.approx(slack, abs=1e-7)
        p.calcreducedcosts(dual, x, mine)
        assert mine == pytest.approx(dj, abs=1e-7)
        for prop in range(4):
            assert p.calcsolinfo(x, dual, prop) < 1e-6

    def test_mip_fractionality(self):
        p = read("flugpl.mps")
        p.lpoptimize()
        x = []
        p.getlpsol(x)
        types = []
        p.getcoltype(types, 0, p.attributes.cols - 1)
        frac = max(abs(v - round(v)) for v, t in zip(x, types) if t == "I")
        assert frac > 0.01
        assert p.calcsolinfo(x, [0.0] * p.attributes.rows, quorva.solinfo_maxmipfractional) == pytest.approx(frac)

    def test_wrong_lengths_and_missing_arguments(self, lp):
        with pytest.raises(quorva.ModelError, match="expected 3, found 1"):
            lp.calcobjective([1.0])
        with pytest.raises(quorva.ModelError, match="expected 3, found 2"):
            lp.calcreducedcosts([1.0, 2.0], None, [])
        with pytest.raises(quorva.InterfaceError, match="Must provide argument solution"):
            lp.calcobjective(None)
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments solution and calculatedslacks"):
            lp.calcslacks([1, 2, 3], None)
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments duals and calculateddjs"):
            lp.calcreducedcosts(None, None, [])
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments solution and dual"):
            lp.calcsolinfo([1, 2, 3], None, 0)
        with pytest.raises(quorva.SolverError, match="property 9 is not one of"):
            lp.calcsolinfo([1, 2, 3], [0, 0, 0], 9)
        with pytest.raises(quorva.SolverError, match="NaN"):
            lp.calcobjective([1, float("nan"), 3])


class TestBasisSolves:
    @pytest.mark.parametrize("name", ["afiro.mps", "adlittle.mps"])
    def test_ftran_and_btran_against_numpy(self, name):
        p = read(name)
        p.lpoptimize()
        b = basis_matrix(p)
        rhs = [float((i * 7) % 5) - 2 for i in range(p.attributes.rows)]
        v = list(rhs)
        assert p.ftran(v) is None
        assert v == pytest.approx(np.linalg.solve(b, rhs), abs=1e-8)
        v = list(rhs)
        p.btran(v)
        assert v == pytest.approx(np.linalg.solve(b.T, rhs), abs=1e-8)

    def test_stability_against_numpy(self):
        p = read("afiro.mps")
        p.lpoptimize()
        b = basis_matrix(p)
        for norm, npnorm in ((0, np.inf), (1, 1), (2, "fro")):
            assert p.basisstability(0, norm, 0) == pytest.approx(np.linalg.cond(b, npnorm), rel=1e-9)
            assert p.basisstability(1, norm, 0) == pytest.approx(np.linalg.norm(b, npnorm), rel=1e-12)
            inverse = np.linalg.norm(np.linalg.inv(b), npnorm)
            assert p.basisstability(2, norm, 0) == pytest.approx(inverse, rel=1e-9)

    def test_a_loaded_basis_is_used(self, lp):
        # All slacks basic: B is the identity.
        lp.loadbasis([1, 1, 1], [0, 0, 0])
        v = [1.0, 2.0, 3.0]
        lp.ftran(v)
        assert v == [1.0, 2.0, 3.0]
        assert lp.basisstability(0, 1, 0) == pytest.approx(1.0)

    def test_refusals(self, lp):
        with pytest.raises(quorva.SolverError, match="no basis is available"):
            lp.btran([1.0, 2.0, 3.0])
        lp.lpoptimize()
        with pytest.raises(quorva.ModelError, match="expected 3, found 2"):
            lp.ftran([1.0, 2.0])
        with pytest.raises(quorva.SolverError, match="norm 5 is not one of"):
            lp.basisstability(0, 5, 0)
        with pytest.raises(quorva.SolverError, match="type 7 is not one of"):
            lp.basisstability(7, 0, 0)
