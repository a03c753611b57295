"""Cascading of quorva.problem: determined columns computed from their
determining rows in dependency order with the cascade callbacks, cycles
refused, solves that cascade before every iteration, and per-column limits
of the Newton passes."""
import pytest

import quorva


def value(p, col):
    return p.getvar(col)[6]


@pytest.fixture
def chain():
    """t3 = t2 + t1, t2 = t1 * x, t1 = x^2, with the columns added in the
    reverse of their dependency order; x starts at 2."""
    p = quorva.problem()
    p.controls.outputlog = 0
    x = quorva.var(lb=0, ub=5, name="x")
    t3, t2, t1 = (quorva.var(lb=-100, ub=100, name=n) for n in ("t3", "t2", "t1"))
    p.addVariable(x, t3, t2, t1)
    r1 = quorva.constraint(t1 - x * x == 0, name="r1")
    r2 = quorva.constraint(t2 - t1 * x == 0, name="r2")
    r3 = quorva.constraint(t3 - t2 - t1 == 0, name="r3")
    p.addConstraint(r1, r2, r3)
    p.addvars([x, t3, t2, t1], None, [-1, r3, r2, r1], None, None, [2.0, 0.0, 0.0, 0.0], None)
    return p, x, t1, t2, t3


def record(p, events):
    p.setcbcascadestart(lambda prob, d: events.append("start"))
    p.setcbcascadevar(lambda prob, d, col: events.append(("var", col)))
    p.setcbcascadevarfail(lambda prob, d, col: events.append(("fail", col)))
    p.setcbcascadeend(lambda prob, d: events.append("end"))


class TestCascade:
    def test_chain_in_dependency_order_with_callbacks(self, chain):
        p, x, t1, t2, t3 = chain
        events = []
        record(p, events)
        p.cascadeorder()
        p.cascade()
        idx = [p.getIndex(v) for v in (t1, t2, t3)]
        assert events == ["start"] + [("var", j) for j in idx] + ["end"]
        assert [value(p, v) for v in (t1, t2, t3)] == pytest.approx([4.0, 8.0, 12.0])
        assert p.getvar(t3)[5] == pytest.approx(12.0)  # the next solve starts there

    def test_column_that_cannot_be_computed_keeps_its_value(self, chain):
        p, x, t1, t2, t3 = chain
        s = quorva.var(lb=-10, ub=10, name="s")
        p.addVariable(s)
        rs = quorva.constraint(s * s - x == 0, name="rs")
        p.addConstraint(rs)
        p.addvars([s], None, [rs], None, None, [0.0], None)  # derivative 2s is 0 at s = 0
        events = []
        record(p, events)
        p.cascade()
        assert ("fail", p.getIndex(s)) in events and events[-1] == "end"
        assert value(p, s) == 0.0 and value(p, t3) == pytest.approx(12.0)

    def test_cycle_refused_with_problem_as_it_was(self):
        p = quorva.problem()
        p.controls.outputlog = 0
        a, b = quorva.var(name="a"), quorva.var(name="b")
        p.addVariable(a, b)
        ra, rb = quorva.constraint(a - b == 0), quorva.constraint(b - a * a == 1)
        p.addConstraint(ra, rb)
        p.addvars([a, b], None, [ra, rb], None, None, [1.0, 5.0], None)
        before = [p.getvar(v) for v in (a, b)]
        for method in (p.cascade, p.cascadeorder):
            with pytest.raises(quorva.SolverError, match="cycle of determined columns"):
                method()
        p.controls.slpcascade = 1
        with pytest.raises(quorva.SolverError, match="column [01] lies on a cycle"):
            p.nlpoptimize()
        assert [p.getvar(v) for v in (a, b)] == before

    def test_cascading_changes_the_path_not_the_optimum(self, chain):
        p, x, t1, t2, t3 = chain
        p.setObjective((x - 3) ** 2 + t3)
        firsts = {}

        def first_point(prob, d):  # the point of the first iteration
            firsts.setdefault(p.controls.slpcascade, _point(prob))
            return 0

        p.setcbiterstart(first_point)
        for on in (0, 1):
            p.controls.slpcascade = on
            p.addvars([x, t3, t2, t1], None, None, None, None, [2.0, 0.0, 0.0, 0.0], None)
            p.nlpoptimize()
            assert value(p, x) == pytest.approx((-4 + 88 ** 0.5) / 6, abs=1e-5)
        j1, j2, j3 = (p.getIndex(v) for v in (t1, t2, t3))
        assert [firsts[0][j] for j in (j1, j2, j3)] == [0.0, 0.0, 0.0]
        assert [firsts[1][j] for j in (j1, j2, j3)] == pytest.approx([4.0, 8.0, 12.0])

    def test_pass_limit_per_column(self, chain):
        p, x, t1, t2, t3 = chain
        s = quorva.var(lb=0, ub=10, name="s")
        p.addVariable(s)
        rs = quorva.constraint(s * s - x == 2, name="rs")
        p.addConstraint(rs)
        p.addvars([s], None, [rs], None, None, [1.0], None)
        p.chgcascadenlimit(s, 1)
        p.cascade()
        assert value(p, s) == pytest.approx(2.5)  # one Newton pass on s^2 = 4 from 1
        p.chgcascadenlimit(s, 0)
        p.cascade()
        assert value(p, s) == pytest.approx(2.0)

    def test_bad_input_refused(self, chain):
        p, x, t1, t2, t3 = chain
        before = p.getvar(t1)
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in chgcascadenlimit"):
            p.chgcascadenlimit(t1)
        with pytest.raises(quorva.InterfaceError, match="Wrong arguments in chgcascadenlimit"):
            p.chgcascadenlimit(t1, "many")
        for limit in (-1, 1001):
            with pytest.raises(quorva.SolverError, match="outside 0 to 1000"):
                p.chgcascadenlimit(t1, limit)
        with pytest.raises(quorva.SolverError, match="out of range"):
            p.chgcascadenlimit(99, 1)
        assert p.getvar(t1) == before


def _point(prob):
    x = []
    prob.getslpsol(x)
    return x
