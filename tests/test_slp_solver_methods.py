"""The nonlinear solver's own methods of quorva.problem: row statuses and
weights, delta types, column and row information, validation of solutions
and points, KKT residuals, restarts from the solution, the clock and
message types, each on real solves, and bad input refused with the problem
left as it was."""
import math

import pytest

import quorva

OPTIMUM = [2 / math.sqrt(5), 1 / math.sqrt(5)]


@pytest.fixture
def model():
    """min (x-2)^2 + (y-1)^2 on sqrt(x^2 + y^2) <= 1 and x*y >= 0.3, from (3, -2)."""
    p = quorva.problem()
    p.controls.outputlog = 0
    x, y = quorva.var(lb=-5, ub=5, name="x"), quorva.var(lb=-5, ub=5, name="y")
    p.addVariable(x, y)
    circle = quorva.constraint(quorva.sqrt(x ** 2 + y ** 2 + 1e-12) <= 1, name="circle")
    product = quorva.constraint(x * y >= 0.3, name="product")
    p.addConstraint(circle, product)
    p.setObjective((x - 2) ** 2 + (y - 1) ** 2)
    p.addvars([x, y], None, None, None, None, [3.0, -2.0], None)
    return p, x, y, circle, product


def solved(p):
    p.solve()
    assert p.getProbStatusString() == "nlp_solution"
    return p.getObjVal()


class TestRowsAndSteps:
    def test_row_weights_change_the_path_not_the_optimum(self, model):
        p, x, y, circle, product = model
        p.controls.slppenaltycost = 1.0
        obj = solved(p)
        path = (p.attributes.slpiterations, p.getrowinfo(quorva.rowinfo_numpenaltyerrors, circle))
        p.chgrowwt(circle, 1e-3)
        p.chgrowwt(rowindex="product", value=1e-3)
        assert p.getrowwt(circle) == p.getrowwt(1) == 1e-3
        assert solved(p) == pytest.approx(obj, abs=1e-8)
        assert p.getSolution([x, y]) == pytest.approx(OPTIMUM, abs=1e-6)
        light = (p.attributes.slpiterations, p.getrowinfo(quorva.rowinfo_numpenaltyerrors, circle))
        assert light != path and light[1] > 0

    def test_statuses_enforce_and_ignore_rows(self, model):
        p, x, y, circle, product = model
        assert p.getrowstatus(circle) == 1  # nonlinear
        p.chgrowstatus(circle, 2)
        assert p.getrowstatus(rowindex=circle) == 3
        assert solved(p) == pytest.approx((math.sqrt(5) - 1) ** 2, abs=1e-6)
        assert p.getrowinfo(quorva.rowinfo_maxpenaltyerror, circle) == 0.0
        p.chgrowstatus(circle, 4)
        assert solved(p) == pytest.approx(0, abs=1e-8)  # (2, 1) without the circle
        assert p.getSolution([x, y]) == pytest.approx([2, 1], abs=1e-5)

    def test_delta_types_bound_the_steps(self, model):
        p, x, y, circle, product = model
        p.controls.slpiterlimit = 1
        p.chgdeltatype(vars=[x, y], deltatypes=[1, 3], values=[0.25, 0.1])
        p.solve()
        assert p.getcolinfo(quorva.colinfo_sb, x) == pytest.approx(0.25)
        assert p.getcolinfo(quorva.colinfo_sb, "y") == pytest.approx(0.1)
        assert abs(p.getcolinfo(quorva.colinfo_delta, x)) <= 0.25 + 1e-9

    def test_column_and_row_information_types(self, model):
        p, x, y, circle, product = model
        solved(p)
        assert p.getcolinfo(quorva.colinfo_value, x) == pytest.approx(OPTIMUM[0], abs=1e-6)
        assert p.getcolinfo(quorva.colinfo_deltaindex, y) == 1
        assert isinstance(p.getcolinfo(quorva.colinfo_updaterow, x), int)
        assert isinstance(p.getcolinfo(quorva.colinfo_sbdual, x), float)
        assert p.getrowinfo(quorva.rowinfo_slack, circle) == pytest.approx(0, abs=1e-6)
        assert p.getrowinfo(quorva.rowinfo_dual, circle) != 0
        plus, minus = (p.getrowinfo(k, circle) for k in (quorva.rowinfo_penaltycolumnplus,
                                                          quorva.rowinfo_penaltycolumnminus))
        assert isinstance(plus, int) and minus == plus + 1
        for kind in range(1, 14):
            assert isinstance(p.getrowinfo(kind, product), (int, float))

    def test_bad_input_is_refused_and_changes_nothing(self, model):
        p, x, y, circle, product = model
        p.chgrowwt(circle, 2.0)
        with pytest.raises(quorva.SolverError, match="is not a finite positive number"):
            p.chgrowwt(circle, -1.0)
        with pytest.raises(quorva.InterfaceError, match="Incorrect call to chgrowwt"):
            p.chgrowwt(circle, "heavy")
        with pytest.raises(quorva.InterfaceError, match="Incorrect call to chgrowwt"):
            p.chgrowwt(circle)
        assert p.getrowwt(circle) == 2.0
        with pytest.raises(quorva.InterfaceError, match="Incorrect call to chgrowstatus"):
            p.chgrowstatus(circle, None)
        with pytest.raises(quorva.SolverError, match="also ignored"):
            p.chgrowstatus(circle, 6)
        with pytest.raises(quorva.SolverError, match="out of range"):
            p.getrowstatus(7)
        assert p.getrowstatus(circle) == 1
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in chgdeltatypes"):
            p.chgdeltatype([x, y], [1])
        with pytest.raises(quorva.ModelError):
            p.chgdeltatype([x, y], [1], [0.5, 0.5])
        with pytest.raises(quorva.SolverError, match="delta type 7"):
            p.chgdeltatype([x], [7], [1.0])
        with pytest.raises(quorva.InterfaceError, match="Incorrect argument to getcolinfo"):
            p.getcolinfo("sb", x)
        with pytest.raises(quorva.SolverError, match="no nonlinear solution is available"):
            p.getrowinfo(quorva.rowinfo_dual, circle)
        with pytest.raises(quorva.SolverError, match="infotype 20"):
            p.getcolinfo(20, x)


class TestValidation:
    def test_validatevector_against_a_hand_computation(self):
        p = quorva.problem()
        p.controls.outputlog = 0
        x, y = quorva.var(lb=-5, ub=5), quorva.var(lb=-5, ub=0.9)
        p.addVariable(x, y)
        p.addConstraint(x ** 2 + y ** 2 <= 1, x + y >= -3)
        p.setObjective(x * x + y * y - 4 * x - 2 * y)
        # (-6, 2): the circle is over by 39, x + y under by 1 (1/3 of |-3|),
        # x below -5 by 1 (1/5), y above 0.9 by 1.1; objective 36 + 4 + 24 - 4.
        suminf, scaled, obj = p.validatevector([-6, 2])
        assert (suminf, scaled, obj) == pytest.approx((42.1, 39 + 1 / 3 + 0.2 + 1.1, 60))
        assert p.validatevector(vector=(0.5, 0.5))[:2] == (0.0, 0.0)
        with pytest.raises(quorva.InterfaceError, match="Wrong vector size in validatevector"):
            p.validatevector([1.0])
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in validatevector"):
            p.validatevector()

    def test_validate_and_kkt_at_the_optimum_and_away_from_it(self, model):
        p, x, y, circle, product = model
        with pytest.raises(quorva.SolverError, match="no nonlinear solution is available"):
            p.validate()
        with pytest.raises(quorva.SolverError, match="no nonlinear solution is available"):
            p.validatekkt(0, 0, 0, 1e-6)
        solved(p)
        assert p.validate() is None
        assert p.attributes.validationindex_a < 1e-7
        p.validaterow(row=circle)
        assert p.attributes.validationindex_r < 1e-7
        p.validatekkt(calculationmode=1, respectbasisstatus=1, updatemultipliers=0,
                      kktviolationtarget=1e-6)
        assert p.attributes.validationindex_k < 1e-6 and p.attributes.kktvalidated == 1
        p.controls.slpiterlimit = 2
        p.solve()
        p.validatekkt(1, 0, 0, 1e-6)
        assert p.attributes.validationindex_k > 1e-3 and p.attributes.kktvalidated == 0
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in validatekkt"):
            p.validatekkt(1, 0, 0)
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in validaterow"):
            p.validaterow()


class TestSolverState:
    def test_setcurrentiv_restarts_from_the_optimum(self, model):
        p, x, y, circle, product = model
        with pytest.raises(quorva.SolverError, match="no nonlinear solution is available"):
            p.setcurrentiv()
        solved(p)
        first = p.attributes.slpiterations
        p.setcurrentiv()
        assert p.getvar(x)[5] == pytest.approx(OPTIMUM[0], abs=1e-6)  # the initial value
        solved(p)
        assert p.attributes.slpiterations < first
        p.reinitialize()
        assert p.attributes.nlpstatus == 0
        with pytest.raises(quorva.SolverError, match="no nonlinear solution is available"):
            p.getslpsol([])

    def test_clock_and_message_types(self, model):
        p = model[0]
        t0 = p.getdtime()
        assert isinstance(t0, float) and 0 <= t0 <= p.getdtime()
        assert p.getmessagetype(0) == 1 and p.getmessagetype(code=2) == 4
        with pytest.raises(quorva.InterfaceError, match="Incorrect code passed to getmessagetype"):
            p.getmessagetype(42)
        with pytest.raises(quorva.InterfaceError, match="Incorrect argument in getmessagetype"):
            p.getmessagetype("one")
