"""Mixed-integer nonlinear solves by the tree search over SLP node solves:
known optima with integer and binary columns, a convex problem checked
against enumeration of its integer values, the statuses of both kinds, the
slpnode callback with a stop, the node limit, and what stays refused."""
import ctypes
import math
from ctypes import POINTER, c_double, c_int, c_void_p
from itertools import product

import pytest

from engine_model import dbl, int64s, ints
from slp_model import fn, var

NLP_OPTIMAL, NLP_INFEASIBLE, NLP_LOCALLY_INFEASIBLE = 1, 4, 3
MIPSTATUS, MIPOBJVAL, BESTBOUND, NODES, STOPSTATUS = 1011, 2003, 2004, 1042, 1050
CURRENTNODE, PARENTNODE, NODEDEPTH, MAXNODE = 1080, 1081, 1082, 8007
MIP_SOLUTION, MIP_INFEAS, MIP_OPTIMAL = 4, 5, 6
STOP_NODELIMIT, STOP_USER = 3, 9
STAGE_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)
PREINTSOL_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, c_int, POINTER(c_int), POINTER(c_double))


@pytest.fixture
def m(slp_problem):
    slp_problem.ok("QRVAsetintcontrol", 8035, 0)
    return slp_problem


def transfer_objective(m, formula):
    t = m.add_cols([1], [-1e20], [1e20])[0]
    row = m.add_rows("E", [0], [{t: -1.0}])[0]
    m.add_coefs([(row, -1, 1.0, formula)])
    return t


def rosenbrock(m, a):
    x, y = m.add_cols([0, 0], [-5, -5], [5, 5], types="II")
    transfer_objective(m, (a - var(x)) ** 2 + 100 * (var(y) - var(x) ** 2) ** 2)
    return x, y


def convex_model(m):
    """Two integer columns and a continuous one; a convex objective and row."""
    x1, x2 = m.add_cols([0, 0], [0, 0], [4, 4], types="II")
    x3 = m.add_cols([0], [0], [5])[0]
    t = transfer_objective(m, (var(x1) - 2.6) ** 2 + (var(x2) - 2.4) ** 2
                           + 0.5 * var(x3) ** 2 - 2 * var(x3))
    row = m.add_rows("L", [10], [{x3: 1.0}])[0]
    m.add_coefs([(row, -1, 1.0, fn("exp", 0.5 * var(x1)) + var(x2) ** 2)])
    return x1, x2, x3, t


def global_solve(m):
    m.sok("QSLPglobal")
    return m.iattr(12044), m.dslp(12179)


class TestKnownOptima:
    def test_integer_rosenbrock_at_the_continuous_optimum(self, m):
        x, y = rosenbrock(m, 1.0)
        status, obj = global_solve(m)
        assert status == NLP_OPTIMAL and obj == pytest.approx(0, abs=1e-8)
        assert m.slpsol()[0][:2] == pytest.approx([1, 1], abs=1e-6)
        assert m.attr(MIPSTATUS) == MIP_OPTIMAL and m.dattr(MIPOBJVAL) == pytest.approx(0, abs=1e-8)

    def test_integer_rosenbrock_off_the_continuous_optimum(self, m):
        # With a = 1.4 the continuous optimum (1.4, 1.96) is fractional; of
        # the integer points (1, 1) is best, at 0.16.
        x, y = rosenbrock(m, 1.4)
        m.set_start({x: 0.0, y: 0.0})
        # solve() is QSLPnlpoptimize, which runs the tree for integer columns.
        status, obj = m.solve()
        assert status == NLP_OPTIMAL and obj == pytest.approx(0.16, abs=1e-7)
        assert m.slpsol()[0][:2] == pytest.approx([1, 1], abs=1e-6)
        assert m.attr(MIPSTATUS) == MIP_OPTIMAL and m.attr(NODES) > 1
        # The column bounds are the problem's own again after the search.
        lb, ub = (c_double * 2)(), (c_double * 2)()
        m.ok("QRVAgetlb", lb, 0, 1)
        m.ok("QRVAgetub", ub, 0, 1)
        assert list(lb) == [-5, -5] and list(ub) == [5, 5]

    def test_synthesis_with_binaries_chooses_the_cheaper_process(self, m):
        # Product z1 + z2 >= 1 from process 1 (z1 <= 0.9 log(1 + x1), fixed
        # cost 7) or process 2 (z2 <= 1.1 log(1 + x2), fixed cost 5, x2
        # costs 1.2); xk <= 10 yk.
        x1, x2, z1, z2 = m.add_cols([1, 1.2, 0, 0], [0] * 4, [10, 10, 5, 5])
        y1, y2 = m.add_cols([7, 5], [0, 0], [1, 1], types="BB")
        r1, r2 = m.add_rows("LL", [0, 0], [{z1: 1.0}, {z2: 1.0}])
        m.add_rows("GLL", [1, 0, 0], [{z1: 1.0, z2: 1.0}, {x1: 1.0, y1: -10.0},
                                      {x2: 1.0, y2: -10.0}])
        m.add_coefs([(r1, -1, 1.0, -0.9 * fn("log", 1 + var(x1))),
                     (r2, -1, 1.0, -1.1 * fn("log", 1 + var(x2)))])
        m.ok("QRVAmipoptimize", b"")
        best = 5 + 1.2 * (math.exp(1 / 1.1) - 1)
        assert m.attr(MIPSTATUS) == MIP_OPTIMAL
        assert m.dattr(MIPOBJVAL) == pytest.approx(best, abs=1e-5)
        x = (c_double * 6)()
        m.ok("QRVAgetmipsol", x, None)
        assert [round(v, 6) for v in x[4:]] == [0, 1]
        assert x[1] == pytest.approx(math.exp(1 / 1.1) - 1, abs=1e-4)
        # The SLP side tells the same solution.
        assert m.iattr(12044) == NLP_OPTIMAL
        assert m.dslp(12179) == pytest.approx(best, abs=1e-5)

    def test_convex_problem_matches_enumeration_of_its_integer_values(self, m):
        x1, x2, x3, t = convex_model(m)
        status, obj = global_solve(m)
        found = m.slpsol()[0]
        assert status == NLP_OPTIMAL and m.attr(MIPSTATUS) == MIP_OPTIMAL
        assert m.dattr(BESTBOUND) == pytest.approx(obj, abs=1e-6)
        # Every integer pair solved as a continuous problem with both fixed.
        m.ok("QRVAchgcoltype", 2, ints([x1, x2]), b"CC")
        best, where = math.inf, None
        for a, b in product(range(5), repeat=2):
            m.ok("QRVAchgbounds", 2, ints([x1, x2]), b"BB", dbl([a, b]))
            status_ab, obj_ab = m.solve()
            if status_ab == NLP_OPTIMAL and obj_ab < best:
                best, where = obj_ab, (a, b)
        assert obj == pytest.approx(best, abs=1e-6)
        assert (round(found[x1]), round(found[x2])) == where


    def test_a_set_and_a_semi_continuous_column_by_branching(self, m):
        # At most one of x0..x2 non-zero (targets 1, 1.5, 1.2): x1 = 1.5
        # stays, costing 1 + 1.44; s is 0 or in [1, 3] (target 0.4): 0.
        xs = m.add_cols([0, 0, 0], [0, 0, 0], [2, 2, 2])
        s = m.add_cols([0], [1], [3], types="S")[0]
        m.ok("QRVAaddsets64", 1, 3, b"1", int64s([0, 3]), ints(xs), dbl([1, 2, 3]))
        transfer_objective(m, (var(xs[0]) - 1) ** 2 + (var(xs[1]) - 1.5) ** 2
                           + (var(xs[2]) - 1.2) ** 2 + (var(s) - 0.4) ** 2)
        status, obj = global_solve(m)
        assert status == NLP_OPTIMAL and m.attr(MIPSTATUS) == MIP_OPTIMAL
        assert obj == pytest.approx(2.6, abs=1e-7)
        assert m.slpsol()[0][:4] == pytest.approx([0, 1.5, 0, 0], abs=1e-6)


class TestStatusesAndLimits:
    def test_infeasible_integer_values(self, m):
        # x^2 = 2 has no integer solution.
        x = m.add_cols([1], [0], [4], types="I")[0]
        row = m.add_rows("E", [2], [{}])[0]
        m.add_coefs([(row, -1, 1.0, var(x) * var(x))])
        status, _ = global_solve(m)
        assert status in (NLP_INFEASIBLE, NLP_LOCALLY_INFEASIBLE)
        assert m.attr(MIPSTATUS) == MIP_INFEAS

    def test_node_limit_keeps_an_incumbent_not_proven_optimal(self, m):
        convex_model(m)
        m.ok("QRVAsetintcontrol", MAXNODE, 3)
        status, obj = global_solve(m)
        assert m.attr(NODES) == 3 and m.attr(STOPSTATUS) == STOP_NODELIMIT
        assert status == NLP_OPTIMAL and m.attr(MIPSTATUS) == MIP_SOLUTION
        assert m.dattr(BESTBOUND) <= obj + 1e-9

    def test_preintsol_rejections_leave_no_incumbent_and_no_optimum(self, m):
        x, y = rosenbrock(m, 1.4)
        types = []
        cb = PREINTSOL_CB(lambda prob, data, soltype, reject, cutoff:
                          types.append(soltype) or reject.__setitem__(0, 1))
        f = m.lib.QRVAaddcbpreintsol
        f.argtypes, f.restype = [c_void_p, PREINTSOL_CB, c_void_p, c_int], c_int
        assert f(m.prob, cb, None, 0) == 0
        global_solve(m)
        assert types and set(types) == {0}
        assert m.attr(MIPSTATUS) == MIP_INFEAS and m.iattr(12044) == NLP_LOCALLY_INFEASIBLE

    def test_slpnode_sees_each_node_and_its_stop_ends_the_search(self, m):
        x, y = rosenbrock(m, 1.4)
        seen = []
        q = m.prob

        def node(slp, data):
            lb, ub = (c_double * 2)(), (c_double * 2)()
            m.lib.QRVAgetlb(q, lb, 0, 1)
            m.lib.QRVAgetub(q, ub, 0, 1)
            seen.append((m.attr(CURRENTNODE), m.attr(PARENTNODE), m.attr(NODEDEPTH),
                         list(lb), list(ub)))
            return 1 if len(seen) == 3 else 0

        cb = STAGE_CB(node)
        f = m.lib.QSLPsetcbslpnode
        f.argtypes, f.restype = [c_void_p, STAGE_CB, c_void_p], c_int
        assert f(m.slp, cb, None) == 0
        global_solve(m)
        assert [s[:3] for s in seen][:1] == [(1, 0, 0)]
        assert len(seen) == 3 and seen[1][1] == 1 and seen[1][2] == 1
        # The child's bounds differ from the root's in the column branched on.
        assert seen[1][3:] != seen[0][3:]
        assert m.attr(STOPSTATUS) == STOP_USER and m.attr(NODES) == 2
        assert m.attr(MIPSTATUS) != MIP_OPTIMAL

    def test_continuous_problem_is_one_node(self, m):
        x = m.add_cols([0], [0.1], [4])[0]
        transfer_objective(m, (var(x) - 2) ** 2)
        status, obj = global_solve(m)
        assert status == NLP_OPTIMAL and obj == pytest.approx(0, abs=1e-9)
        assert m.attr(NODES) == 1 and m.attr(MIPSTATUS) == MIP_OPTIMAL

    @pytest.mark.parametrize("reward, on, optimum", [(3.0, 1, -2.0), (0.5, 0, 0.0)])
    def test_indicator_rows_hold_only_where_their_binary_is_on(self, m, reward, on, optimum):
        # min (x-2)^2 - reward z with z = 1 -> exp(x) <= e: on, x = 1 and the
        # objective is 1 - reward; off, x = 2 and it is 0.
        x = m.add_cols([0], [0.1], [4])[0]
        z = m.add_cols([-reward], [0], [1], types="B")[0]
        transfer_objective(m, (var(x) - 2) ** 2)
        row = m.add_rows("L", [math.e], [{}])[0]
        m.add_coefs([(row, -1, 1.0, fn("exp", var(x)))])
        m.ok("QRVAsetindicators", 1, ints([row]), ints([z]), ints([1]))
        status, obj = global_solve(m)
        assert status == NLP_OPTIMAL and obj == pytest.approx(optimum, abs=1e-6)
        assert m.attr(MIPSTATUS) == MIP_OPTIMAL
        solution = m.slpsol()[0]
        assert solution[z] == pytest.approx(on) and solution[x] == pytest.approx(2 - on, abs=1e-6)
