"""Loading whole problems and appending rows and columns through the
library-named methods: each kind of problem solves to its known optimum, the
new rows and columns get their objects, and a refused call leaves the
library and the object lists as they were."""

import math
import os

import numpy as np
import pytest

import quorva

INSTANCES = "/work/shared/instances"


def problem():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


def solved(p):
    p.solve()
    return p.getObjVal()


# min -x - y  s.t.  r0: x + 2y <= 4,  r1: 3x + y <= 6,  0 <= x, y <= 10: optimum -2.8 at (1.6, 1.2).
LP = dict(probname="lp", qrtypes=["L", "L"], rhs=[4, 6], range=None, obj=[-1, -1], mstart=[0, 2, 4], mnel=None,
          mrwind=[0, 1, 0, 1], dmatval=[1, 3, 2, 1], dlb=[0, 0], dub=[10, 10])


class TestLoadproblem:
    def test_lp_and_its_objects(self):
        p = problem()
        old = quorva.var(name="old")
        p.addVariable(old)
        p.loadproblem(**LP, colnames=["x", "y"], rownames=["r0", "r1"])
        assert solved(p) == pytest.approx(-2.8)
        xs, cs = p.getVariable(), p.getConstraint()
        assert [v.name for v in xs] == ["x", "y"] and [c.name for c in cs] == ["r0", "r1"]
        assert (xs[1].lb, xs[1].ub) == (0, 10) and cs[0].ub == 4
        assert p.getSolution(xs) == pytest.approx([1.6, 1.2])
        with pytest.raises(quorva.ModelError):
            p.getIndex(old)

    def test_numpy_arrays_and_column_counts(self):
        p = problem()
        args = dict(LP, mstart=np.array([0, 2]), mnel=np.array([2, 2], dtype=np.int32), rhs=np.array([4.0, 6.0]),
                    mrwind=np.array([0, 1, 0, 1]), dmatval=np.array([1.0, 3.0, 2.0, 1.0]))
        p.loadproblem(**args)
        assert solved(p) == pytest.approx(-2.8)

    def test_qp(self):
        p = problem()
        # 1/2 x'Qx with Q = 2I: x^2 + y^2 - x - y, unconstrained optimum -0.5 at (0.5, 0.5).
        p.loadproblem(**LP, mqcol1=[0, 1], mqcol2=[0, 1], dqe=[2, 2])
        assert solved(p) == pytest.approx(-0.5, abs=1e-6)

    def test_mip_with_sets(self):
        p = problem()
        # x integer, y in an SOS1 with x: one of them is zero. min -x - y: x = 4 (r0), y = 0; r1 caps x at 2.
        p.loadproblem(**LP, qgtype=["I"], mgcols=[0], qstype=["1"], msstart=[0, 2], mscols=[0, 1], dref=[1, 2])
        assert solved(p) == pytest.approx(-2)
        assert len(p.getSOS()) == 1 and p.getVariable(0).vartype == quorva.integer

    def test_qcqp(self):
        p = problem()
        # x^2 + y^2 <= 2 added to row r0 (x + 2y + x^2 + y^2 <= 4 would mix): a third row carries it.
        args = dict(LP, qrtypes=["L", "L", "L"], rhs=[4, 6, 2], mstart=[0, 2, 4], mrwind=[0, 1, 0, 1])
        p.loadproblem(**args, qcrows=[2], qcnquads=[2], qcmqcol1=[0, 1], qcmqcol2=[0, 1], qcdqval=[1, 1])
        assert solved(p) == pytest.approx(-2, abs=1e-5)  # x = y = 1 on the circle

    @pytest.mark.parametrize("extra, message", [
        (dict(mqcol1=[0], mqcol2=[0]), "quadratic objective component"),
        (dict(qcrows=[0], qcnquads=[1]), "quadratic rows component"),
        (dict(qgtype=["I"]), "global entities"),
        (dict(mgcols=[0]), "global entities"),
        (dict(qstype=["1"], msstart=[0, 1]), "SOS"),
    ])
    def test_incomplete_parts(self, extra, message):
        p = problem()
        with pytest.raises(quorva.InterfaceError, match="Incomplete list of parameters specified for the " + message):
            p.loadproblem(**LP, **extra)

    def test_mismatched_arrays(self):
        p = problem()
        with pytest.raises(quorva.ModelError, match="expected 2, found 3"):
            p.loadproblem(**dict(LP, rhs=[1, 2, 3]))
        with pytest.raises(quorva.ModelError, match="expected 3, found 2"):
            p.loadproblem(**dict(LP, mstart=[0, 2]))
        with pytest.raises(quorva.ModelError, match="expected 4, found 3"):
            p.loadproblem(**dict(LP, mrwind=[0, 1, 0]))

    def test_refused_load_keeps_the_problem(self):
        p = problem()
        p.loadproblem(**LP)
        xs = p.getVariable()
        with pytest.raises(quorva.SolverError):
            p.loadproblem(**dict(LP, mrwind=[0, 7, 0, 1]))
        assert p.getVariable() == xs and solved(p) == pytest.approx(-2.8)

    def test_round_trip_of_a_public_instance(self):
        source = problem()
        source.read(os.path.join(INSTANCES, "afiro.mps"))
        m, n = source.attributes.rows, source.attributes.cols
        types, rhs, rng, obj, lb, ub = [], [], [], [], [], []
        source.getrowtype(types, 0, m - 1)
        source.getrhs(rhs, 0, m - 1)
        source.getrhsrange(rng, 0, m - 1)
        source.getobj(obj, 0, n - 1)
        source.getlb(lb)
        source.getub(ub)
        start, rows, vals = [], [], []
        source.getcols(start, rows, vals, 10**6, 0, n - 1)
        rowind = [source.getIndex(r) for r in rows]
        copy = problem()
        copy.loadproblem("afiro", types, rhs, rng, obj, start, None, rowind, vals, lb, ub)
        assert solved(copy) == pytest.approx(-464.75314286, rel=1e-6)


class TestAddrowsAddcols:
    def test_the_collector_pause_for_new_constraints_ends_with_the_call(self):
        import gc
        p, (x, y, z) = self.base()
        was = gc.isenabled()
        try:
            for enabled in (True, False):
                (gc.enable if enabled else gc.disable)()
                p.addrows(["L"] * 1000, [1.0] * 1000, list(range(1000)) + [1000], [x] * 1000, [1.0] * 1000)
                with pytest.raises(quorva.ModelError):
                    p.addrows(["L"], [1.0], [0, 1], [x], [1.0], None, ["a", "b"])  # two names for one row
                assert gc.isenabled() == enabled
        finally:
            (gc.enable if was else gc.disable)()

    def base(self):
        p = problem()
        xs = [quorva.var(name=n, ub=10) for n in "xyz"]
        p.addVariable(xs)
        p.setObjective(quorva.Sum(xs), sense=quorva.maximize)
        return p, xs

    def test_addrows_makes_constraints_and_solves(self):
        p, (x, y, z) = self.base()
        p.addrows(["L"], [25], [0, 3], [x, y, z], [8, 9, 10])
        (c,) = p.getConstraint()
        assert c.name.startswith("R") and c.ub == 25
        assert solved(p) == pytest.approx(25 / 8)
        p.addrows(["L", "G"], [2, 0], [0, 1, 2], ["x", "y"], [1, 1], names=["cx", "cy"])
        assert [c.name for c in p.getConstraint()[1:]] == ["cx", "cy"]
        assert p.getIndexFromName(1, "cy") == 2
        assert solved(p) == pytest.approx(3)  # x = 2, then y at 9 per unit

    def test_addcols_makes_variables_with_bounds_and_types(self):
        p, (x, y, z) = self.base()
        p.addrows(["L"], [25], [0, 3], [x, y, z], [8, 9, 10])
        c = p.getConstraint(0)
        p.addcols([1, 1], [0, 1, 2], [c, 0], [1, 1], [0, 0], [2.5, 4], names=["u", "v"], types=["I", "C"])
        u, v = p.getVariable()[3:]
        assert (u.name, u.ub, u.vartype, v.ub) == ("u", 2.5, quorva.integer, 4)
        # u and v cost 1 unit of the row each: both at their bounds (2 and 4), 19 left for x at 8 each.
        assert solved(p) == pytest.approx(2 + 4 + 19 / 8, rel=1e-6)
        assert p.getSolution([u, v]) == pytest.approx([2, 4])

    def test_mismatched_starts(self):
        p, (x, y, z) = self.base()
        with pytest.raises(quorva.ModelError, match="expected 2, found 1"):
            p.addrows(["L"], [25], [0], [x], [1])
        with pytest.raises(quorva.ModelError, match="expected 3, found 2"):
            p.addrows(["L"], [25], [0, 3], [x, y], [1, 1])

    def test_required_arguments(self):
        p, xs = self.base()
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments qrtype, rhs, mstart, mclind, dmatval"):
            p.addrows(["L"], None, [0, 1], [0], [1])
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments qrtype, rhs, mstart, mclind, dmatval"):
            p.addrows(["L"])
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments objx, mstart, mrwind, dmatval, bdl"):
            p.addcols([1], [0, 0], [], [], [0], None)

    def test_refused_rows_and_columns_leave_nothing_behind(self):
        p, xs = self.base()
        with pytest.raises(quorva.SolverError):
            p.addrows(["L"], [1], [0, 1], [7], [1])  # no column 7
        with pytest.raises(quorva.ModelError, match="Erroneous name for constraint 1"):
            p.addrows(["L", "L"], [1, 1], [0, 1, 2], [0, 0], [1, 1], names=["a", 5])
        assert p.getConstraint() == [] and p.attributes.rows == 0
        with pytest.raises(quorva.SolverError):
            p.addcols([1], [0, 1], [5], [1], [0], [1])  # no row 5
        with pytest.raises(quorva.SolverError, match="column type 'Q'"):
            p.addcols([1], [0, 0], [], [], [0], [1], types=["Q"])
        assert p.getVariable() == xs and p.attributes.cols == 3


class TestSolutionsGiven:
    def test_loadlpsol_and_mipsol_sizes(self):
        p = problem()
        p.loadproblem(**LP, qgtype=["I", "I"], mgcols=[0, 1])
        with pytest.raises(quorva.ModelError, match="expected 2, found 1"):
            p.loadmipsol([1])
        with pytest.raises(quorva.ModelError, match="expected 2, found 1"):
            p.addmipsol([1])
        with pytest.raises(quorva.InterfaceError, match="Must provide argument mipsolval"):
            p.addmipsol(None)
        p.addmipsol([1], [1], "start")
        assert isinstance(p.loadlpsol(x=[1, 1]), int)
        assert solved(p) == pytest.approx(-2)
