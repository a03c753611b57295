"""The nonlinear solver calling the SLP callbacks: the stages of a solve in
order, the columns of each iteration, determined columns, formula values
and formulas that cannot be evaluated, with the problem given to the
callback answering for the current iterate; stops and exceptions."""
import pytest

import quorva

STAGES = ["construct", "slpstart", "iterstart", "iterend", "slpend", "destroy"]


def rosenbrock():
    p = quorva.problem()
    p.controls.outputlog = 0
    x, y = quorva.var(lb=-1.5, ub=2, name="x"), quorva.var(lb=-0.5, ub=2, name="y")
    p.addVariable(x, y)
    p.setObjective((1 - x) ** 2 + 100 * (y - x ** 2) ** 2)
    return p, x, y


def product_row():
    """min x + y subject to log x + log y >= 0: optimum 2 at (1, 1)."""
    p = quorva.problem()
    p.controls.outputlog = 0
    x, y = quorva.var(lb=0.1, ub=10), quorva.var(lb=0.1, ub=10)
    p.addVariable(x, y)
    p.addConstraint(quorva.log(x) + quorva.log(y) >= 0)
    p.setObjective(x + y)
    return p, x, y


def iterate(prob):
    xs = []
    prob.getlpsol(xs)
    return prob.attributes.slpiterations, prob.attributes.nlpobjval, xs


def test_rosenbrock_fires_every_kind_in_order_with_the_current_iterate():
    p, x, y = rosenbrock()
    events = []
    data = object()

    def stage(name):
        def f(prob, d, *rest):
            assert d is data and rest == () and prob is not p
            events.append((name,) + iterate(prob))
        return f

    for name in STAGES:
        getattr(p, "setcb" + name)(stage(name), data)
    p.setcbitervar(lambda prob, d, col: events.append(("itervar", col)))
    p.setcbdrcol(lambda prob, d, col, value, lb, ub: events.append(("drcol", col, value, lb, ub)))
    p.setcbformula(lambda prob, d, value: events.append(("formula", value)))
    p.solve()
    assert p.getObjVal() == pytest.approx(0, abs=1e-7)

    kinds = [e[0] for e in events if e[0] not in ("drcol", "formula")]
    n = p.attributes.slpiterations
    assert n > 5
    assert kinds == ["construct", "slpstart"] + ["iterstart", "itervar", "itervar", "iterend"] * n + ["slpend", "destroy"]
    # itervar names the columns of the nonlinear parts, in order.
    assert [e[1] for e in events if e[0] == "itervar"][:2] == [0, 1]
    # iterstart sees the iterations done so far, iterend the one just done,
    # each with the iterate's values and objective.
    assert [e[1] for e in events if e[0] == "iterstart"] == list(range(n))
    assert [e[1] for e in events if e[0] == "iterend"] == list(range(1, n + 1))
    for name, count, objective, xs in (e for e in events if e[0] in STAGES):
        assert len(xs) == 3  # x, y and the objective's own column
        assert objective == pytest.approx((1 - xs[0]) ** 2 + 100 * (xs[1] - xs[0] ** 2) ** 2)
    start = next(e for e in events if e[0] == "slpstart")
    assert start[3][:2] == pytest.approx([0, 0]) and start[2] == pytest.approx(1)
    end = next(e for e in events if e[0] == "slpend")
    assert end[3][:2] == pytest.approx(p.getSolution([x, y])) and end[2] == pytest.approx(p.getObjVal())
    # The objective's column is determined by its row: drcol gets its value
    # and its bounds at every point evaluated; formula the formula's value.
    drcols = [e for e in events if e[0] == "drcol"]
    assert drcols and {(e[1], e[3], e[4]) for e in drcols} == {(2, -1e20, 1e20)}
    assert len([e for e in events if e[0] == "formula"]) == len(drcols)


@pytest.mark.parametrize("kind", ["iterstart", "iterend"])
def test_a_non_zero_result_stops_after_the_third_iteration(kind):
    p, x, y = product_row()
    counts = []

    def f(prob, d, *col):
        counts.append(prob.attributes.slpiterations)
        return 1 if prob.attributes.slpiterations == 3 else 0

    getattr(p, "setcb" + kind)(f)
    ends = []
    p.setcbslpend(lambda prob, d: ends.append(prob.attributes.slpiterations))
    p.solve()
    assert p.attributes.slpiterations == 3
    assert p.attributes.slpstopstatus == quorva.stop_user
    assert p.getProbStatusString() == "nlp_unfinished"
    assert ends == [3]


def test_the_result_of_itervar_is_ignored():
    p, *_ = product_row()
    p.setcbitervar(lambda prob, d, col: 1)
    p.solve()
    assert p.getObjVal() == pytest.approx(2, abs=1e-6) and p.attributes.slpstopstatus == 0


def test_slpstart_and_construct_stop_before_any_iteration():
    for kind in ["construct", "slpstart"]:
        p, *_ = product_row()
        getattr(p, "setcb" + kind)(lambda prob, d: 1)
        p.solve()
        assert p.attributes.slpiterations == 0 and p.attributes.slpstopstatus == quorva.stop_user


def test_values_returned_by_drcol_and_formula_are_used():
    # A formula value kept as it is (a float or None) leaves the optimum.
    p, x, y = product_row()
    values = []
    p.setcbformula(lambda prob, d, value: values.append(value) or float(value))
    p.solve()
    assert values and p.getObjVal() == pytest.approx(2, abs=1e-6)
    # The objective's determined column: its own value keeps the optimum; 5
    # more than its row allows leaves that row violated at every point.
    p, x, y = rosenbrock()
    p.setcbdrcol(lambda prob, d, col, value, lb, ub: value)
    p.solve()
    assert p.getObjVal() == pytest.approx(0, abs=1e-7)
    p, x, y = rosenbrock()
    p.setcbdrcol(lambda prob, d, col, value, lb, ub: value + 5)
    p.solve()
    assert p.getProbStatusString() == "nlp_locally_infeasible"
    # A result that is no number stops the solve with a TypeError.
    p, *_ = product_row()
    p.setcbformula(lambda prob, d, value: "two")
    with pytest.raises(TypeError):
        p.solve()


def test_coefevalerror_names_the_row_and_may_stop_the_solve():
    def model():
        p = quorva.problem()
        p.controls.outputlog = 0
        x, y = quorva.var(lb=-1, ub=5), quorva.var(ub=5)
        p.addVariable(x, y)
        c = quorva.log(x) + y >= 1
        p.addConstraint(c)
        p.setObjective(x + y)
        return p, c

    p, c = model()
    seen = []
    p.setcbcoefevalerror(lambda prob, d, row, col: seen.append((row, col)))
    with pytest.raises(quorva.SolverError, match="cannot be evaluated: log of 0"):
        p.solve()
    assert seen == [(p.getIndex(c), -1)]
    p, c = model()
    p.setcbcoefevalerror(lambda prob, d, row, col: 1)
    p.solve()
    assert p.attributes.slpstopstatus == quorva.stop_user


@pytest.mark.parametrize("kind", ["itervar", "formula", "iterend"])
def test_an_exception_in_an_slp_callback_stops_the_solve_and_surfaces(kind, capsys):
    p, *_ = rosenbrock()
    later = []

    def boom(prob, d, *args):
        later.clear()
        raise KeyError("from " + kind)

    getattr(p, "setcb" + kind)(boom)
    p.setcbslpend(lambda prob, d: later.append("slpend"))
    p.addcbmessage(lambda prob, d, msg, t: later.append(msg))
    with pytest.raises(KeyError, match="from " + kind):
        p.solve()
    assert later == []
    assert f"Problem in {kind}() callback" in capsys.readouterr().err or kind == "iterend"
