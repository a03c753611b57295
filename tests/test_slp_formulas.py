"""The formula methods of quorva.problem: text, unparsed and parsed tokens
convert into one another, coefficients and formulas evaluate alike in
every form, and bad formulas raise with the position of the fault."""
import math

import pytest

import quorva


@pytest.fixture
def p():
    prob = quorva.problem()
    x, y = quorva.var(name="x", lb=-5, ub=5), quorva.var(name="y", lb=-5, ub=5)
    prob.addVariable(x, y)
    prob.addConstraint(quorva.constraint(x + y <= 4, name="c"))
    return prob


def test_formula_methods_round_trip(p):
    for text in ("x ^ 2 + 3 * y", "-(x - y) / -2 + max(x, y, 1.5)", "exp(-y) * sqrt(2)"):
        t, v = [], []
        assert p.parsecformula(text, t, v) is None
        assert t[-1] == 0 and len(t) == len(v)
        ut, uv, written = p.preparseformula(text)
        assert p.tokencount(text) == len(ut)
        pt, pv = [], []
        p.parseformula(ut, uv, pt, pv)
        assert (pt, pv) == (t, v)
        # Lists without their end token are taken as well.
        p.parseformula(ut[:-1], uv[:-1], pt, pv)
        assert (pt, pv) == (t, v)
        value, text_back, message = p.validformula(t, v)
        assert text_back == written and message == "the formula is valid"
        assert p.evaluateformula(1, t, v) == p.evaluateformula(0, ut, uv) == value
    # At the current point (x = y = 0 moved into the bounds).
    assert p.evaluateformula(1, *_parsed(p, "x * y - 1 + cos(x)")) == pytest.approx(0.0)


def test_bad_formulas_raise_with_the_position(p):
    t, v = [], []
    with pytest.raises(quorva.SolverError, match="at character 5"):
        p.parsecformula("x + * y", t, v)
    with pytest.raises(quorva.SolverError, match="'w' is not a column at character 5"):
        p.parsecformula("x + w", t, v)
    assert (t, v) == ([], [])
    ut, uv, _ = p.preparseformula("(x + y)")
    with pytest.raises(quorva.SolverError, match=r"'\)' is expected at token 4"):
        p.parseformula(ut[:-2], uv[:-2], t, v)
    with pytest.raises(quorva.InterfaceError, match="Incorrect arguments in parsecformula"):
        p.parsecformula(3, t, v)
    with pytest.raises(quorva.InterfaceError, match="Erroneous argument in tokencount"):
        p.tokencount(None)
    with pytest.raises(quorva.InterfaceError, match="character '#' is not part of a formula"):
        p.tokencount("x # 1")
    value, _, message = p.validformula(*_parsed(p, "log(x - y + 10 - 10)"))
    assert math.isnan(value) and "cannot be evaluated at the current point" in message


def _parsed(p, text):
    t, v = [], []
    p.parsecformula(text, t, v)
    return t, v
