"""The chg... methods change the library problem in place: each change is
followed by a solve with the new optimum worked out by hand, and the
variable and constraint objects say afterwards what the problem solves."""

import math

import pytest

import quorva


def lp():
    """max 3x + 2y  s.t.  c1: x + y <= 4,  c2: x + 3y <= 6,  0 <= x <= 3,  0 <= y <= 10.
    Optimum 11 at (3, 1)."""
    p = quorva.problem()
    p.controls.outputlog = 0
    x, y = quorva.var(name="x", ub=3), quorva.var(name="y", ub=10)
    p.addVariable(x, y)
    c1, c2 = x + y <= 4, x + 3 * y <= 6
    p.addConstraint(c1, c2)
    p.setObjective(3 * x + 2 * y, sense=quorva.maximize)
    return p, x, y, c1, c2


def optimum(p):
    p.solve()
    return p.getObjVal()


CHANGES = {
    "chgbounds": (lambda p, x, y, c1, c2: p.chgbounds([x], ["U"], [2]), 6 + 8 / 3),
    "chgbounds by name": (lambda p, x, y, c1, c2: p.chgbounds(["x"], ["U"], [2]), 6 + 8 / 3),
    "chgobj": (lambda p, x, y, c1, c2: p.chgobj([y], [5]), 14),
    "chgrhs": (lambda p, x, y, c1, c2: p.chgrhs([c1], [3]), 9),
    "chgcoef": (lambda p, x, y, c1, c2: p.chgcoef(c1, y, 2.0), 10),
    "chgmcoef": (lambda p, x, y, c1, c2: p.chgmcoef([c1, c2], [x, y], [2, 1]), 8),
    "chgrowtype": (lambda p, x, y, c1, c2: (p.chgbounds([x], ["U"], [10]), p.chgrowtype([c1], ["N"])), 18),
    "chgcoltype": (lambda p, x, y, c1, c2: (p.chgbounds([x], ["U"], [2.5]), p.chgcoltype([x], ["I"])), 6 + 8 / 3),
    "chgglblimit": (lambda p, x, y, c1, c2: (p.chgbounds([x], ["U"], [10]), p.chgcoltype([x], ["S"]),
                                             p.chgglblimit([x], [5])), 4),
    "chgobjsense and ranges": (lambda p, x, y, c1, c2: (p.chgrowtype([c1], ["R"]), p.chgrhsrange([c1], [2]),
                                                        p.chgobjsense(quorva.minimize)), 4),
}


class TestChangeThenSolve:
    def test_unchanged_optimum(self):
        assert optimum(lp()[0]) == pytest.approx(11)

    @pytest.mark.parametrize("name", list(CHANGES))
    def test_new_optimum(self, name):
        p, x, y, c1, c2 = lp()
        change, expected = CHANGES[name]
        optimum(p)
        change(p, x, y, c1, c2)
        assert optimum(p) == pytest.approx(expected)

    def test_chgobjsense_any_other_value_maximises(self):
        p = lp()[0]
        p.chgobjsense(quorva.minimize)
        assert optimum(p) == pytest.approx(0)
        p.chgobjsense(2)
        assert optimum(p) == pytest.approx(11)


class TestObjectsFollowTheProblem:
    def test_variables_take_bounds_and_types(self):
        p, x, y, c1, c2 = lp()
        p.chgbounds([x, y], ["L", "B"], [1, 2])
        assert (x.lb, x.ub, y.lb, y.ub) == (1, 3, 2, 2)
        p.chgcoltype([y], ["I"])
        assert y.vartype == quorva.integer
        p.chgcoltype([x], ["S"])
        p.chgglblimit([x], [2.5])
        assert x.vartype == quorva.semicontinuous and x.threshold == 2.5

    def test_constraints_take_bounds_with_their_constant(self):
        p, x, y, c1, c2 = lp()
        c = quorva.constraint(body=x + y + 1, ub=5)
        p.addConstraint(c)
        p.chgrhs([c], [3])
        assert (c.lb, c.ub) == (-quorva.infinity, 4)
        p.chgrowtype([c], ["G"])
        assert (c.lb, c.ub) == (4, quorva.infinity)
        p.chgrowtype([c], ["R"])
        p.chgrhsrange([c], [2])
        assert (c.lb, c.ub) == (2, 4)

    def test_pending_change_of_an_object_is_not_lost(self):
        p, x, y, c1, c2 = lp()
        x.ub = 2
        p.chgbounds([x], ["L"], [0.5])
        assert (x.lb, x.ub) == (0.5, 2)
        assert optimum(p) == pytest.approx(6 + 8 / 3)

    def test_later_change_of_an_object_still_reaches_the_problem(self):
        p, x, y, c1, c2 = lp()
        p.chgbounds([x], ["U"], [2])
        x.ub = 3
        assert optimum(p) == pytest.approx(11)

    def test_copy_holding_the_same_objects_sees_the_change(self):
        p, x, y, c1, c2 = lp()
        q = p.copy()
        p.chgbounds([x], ["U"], [2])
        assert optimum(q) == pytest.approx(6 + 8 / 3)

    def test_refused_change_leaves_objects_and_problem(self):
        p, x, y, c1, c2 = lp()
        with pytest.raises(quorva.SolverError):
            p.chgbounds([x, y], ["U", "Q"], [1, 1])
        with pytest.raises(quorva.SolverError):
            p.chgbounds([x], ["U"], [math.nan])
        assert (x.ub, y.ub) == (3, 10)
        assert optimum(p) == pytest.approx(11)


class TestRequiredArguments:
    @pytest.mark.parametrize("call, message", [
        (lambda p: p.chgbounds([0], None, [1]), "Must provide arguments mindex, qbtype, bnd"),
        (lambda p: p.chgobj(None, [1]), "Must provide arguments mindex, obj"),
        (lambda p: p.chgrhs([0], None), "Must provide arguments mindex, rhs"),
        (lambda p: p.chgrhsrange(None, [1]), "Must provide arguments mindex, rng"),
        (lambda p: p.chgrowtype([0], None), "Must provide arguments mindex and qrtype"),
        (lambda p: p.chgcoltype(None, ["I"]), "mindex, qctype"),
        (lambda p: p.chgglblimit([0], None), "Must provide arguments mindex, dlimit"),
        (lambda p: p.chgmcoef([0], [0]), "Must provide arguments mrow, mcol, dval"),
        (lambda p: p.chgmqobj([0], None, [1]), "Must provide arguments mqcol1, mqcol2, dval"),
        (lambda p: p.addqmatrix(-1, [0], [0], None), "Must provide arguments mqc1, mqc2, dqe"),
    ])
    def test_message(self, call, message):
        p = lp()[0]
        with pytest.raises(quorva.InterfaceError, match=message):
            call(p)


class TestQuadratic:
    def qp(self):
        """min x^2 + y^2 - 2x - 4y, 0 <= x, y <= 10: optimum -5 at (1, 2)."""
        p = quorva.problem()
        p.controls.outputlog = 0
        x, y = quorva.var(name="x", ub=10), quorva.var(name="y", ub=10)
        p.addVariable(x, y)
        p.setObjective(x**2 + y**2 - 2 * x - 4 * y)
        return p, x, y

    def test_objective_terms(self):
        p, x, y = self.qp()
        assert optimum(p) == pytest.approx(-5, abs=1e-6)
        assert p.getqobj(x, x) == 2.0
        p.chgqobj(x, x, 4.0)  # 2x^2 - 2x: x = 0.5
        assert optimum(p) == pytest.approx(-4.5, abs=1e-6)
        p.chgmqobj([x, y], [x, y], [2.0, 4.0])  # x^2 - 2x + 2y^2 - 4y
        assert optimum(p) == pytest.approx(-3, abs=1e-6)
        p.delqmatrix(-1)  # linear: -2x - 4y at the upper bounds
        assert optimum(p) == pytest.approx(-60, abs=1e-6)
        p.addqmatrix(-1, [x, y], [x, y], [2.0, 2.0])
        assert optimum(p) == pytest.approx(-5, abs=1e-6)

    def test_row_terms(self):
        p = quorva.problem()
        p.controls.outputlog = 0
        x, y = quorva.var(name="x", ub=10), quorva.var(name="y", ub=10)
        p.addVariable(x, y)
        c = x + y <= 10
        p.addConstraint(c)
        p.setObjective(x + y, sense=quorva.maximize)
        p.addqmatrix(c, [x, y], [x, y], [1.0, 1.0])  # x + y + x^2 + y^2 <= 10: x = y = t, t^2 + t = 5
        assert optimum(p) == pytest.approx(-1 + math.sqrt(21), abs=1e-5)
        before = p.getqrowcoeff(c, x, x)
        p.chgqrowcoeff(c, x, x, 0.0)
        assert p.getqrowcoeff(c, x, x) == 0.0 != before
        rows = ["stale"]
        p.getqrows(rows)
        assert rows == [c]
        p.delqmatrix(c)
        assert optimum(p) == pytest.approx(10, abs=1e-6)
