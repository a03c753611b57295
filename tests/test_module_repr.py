"""repr() of every class names the class and shows the object (bounds,
type, formula, size), while str() keeps its fixed formats."""

import gc

import numpy as np
import pytest

import quorva

INSTANCES = "/work/shared/instances"


def test_variable_shows_name_bounds_and_type():
    assert repr(quorva.var(name="x", ub=10, vartype=quorva.integer)) == "<quorva.var x [0, 10] integer>"
    assert repr(quorva.var(name="b", vartype=quorva.binary)) == "<quorva.var b [0, 1] binary>"
    assert repr(quorva.var(name="f", lb=-quorva.infinity)) == "<quorva.var f [-inf, inf] continuous>"
    semi = quorva.var(name="s", ub=8, threshold=2, vartype=quorva.semiinteger)
    assert repr(semi) == "<quorva.var s [0, 8] semiinteger threshold 2>"
    # Bounds read back exactly: no digits lost, none invented.
    third = quorva.var(name="t", lb=0.1, ub=1 / 3)
    assert repr(third) == "<quorva.var t [0.1, 0.3333333333333333] continuous>"
    unnamed = quorva.var()
    assert repr(unnamed) == "<quorva.var %s [0, inf] continuous>" % unnamed
    assert str(third) == "t"


def test_algebraic_objects_show_their_formula():
    x, y = quorva.var(name="x"), quorva.var(name="y")
    assert repr(3 * x) == "<quorva.linterm 3*x>"
    assert repr(2 * x * y) == "<quorva.quadterm 2*x*y>"
    # A sum's str() starts with spaces; repr() leaves them out.
    assert str(x + y) == "  x + y" and repr(x + y) == "<quorva.expression x + y>"
    assert repr(quorva.exp(x) + 1) == "<quorva.nonlinear %s>" % str(quorva.exp(x) + 1).strip()
    # Arrays of modeling objects print their elements' reprs.
    assert "<quorva.var x [0, inf] continuous>" in repr(np.array([x, y], dtype=object))


def test_constraint_shows_name_body_and_bounds():
    x, y = quorva.var(name="x"), quorva.var(name="y")
    assert repr(quorva.constraint(x + y <= 5, name="cap")) == "<quorva.constraint cap: x + y <= 5>"
    assert repr(quorva.constraint(2 * x >= 1, name="low")) == "<quorva.constraint low: 2 x >= 1>"
    assert repr(quorva.constraint(x - y == 0, name="eq")) == "<quorva.constraint eq: x - y == 0>"
    ranged = quorva.constraint(body=x, lb=-1, ub=2.5, name="r")
    assert repr(ranged) == "<quorva.constraint r: -1 <= x <= 2.5>"
    # The constant moves into the bound, as the problem will see it.
    made = x + 3 <= 5
    assert repr(made) == "<quorva.constraint %s: x <= 2>" % made
    assert str(made) == made.name


def test_set_shows_type_members_and_weights():
    x, y = quorva.var(name="x"), quorva.var(name="y")
    s = quorva.sos([x, y], [1, 2.5], type=2, name="pick")
    assert repr(s) == "<quorva.SOS pick type 2: x 1, y 2.5>" and str(s) == "pick"


def test_problem_shows_name_and_size():
    p = quorva.problem(name="plan")
    assert repr(p) == "<quorva.problem plan: 0 columns, 0 rows, 0 sets>"
    x, y = quorva.var(name="x"), quorva.var(name="y")
    p.addVariable(x, y)
    p.addConstraint(x + y <= 1)
    p.addSOS(quorva.sos([x, y], [1, 2]))
    assert repr(p) == "<quorva.problem plan: 2 columns, 1 rows, 1 sets>" and str(p) == "plan"
    # A problem read from a file: the library's counts, not only added objects.
    read = quorva.problem()
    read.controls.outputlog = 0
    read.read(INSTANCES + "/afiro.mps")
    assert repr(read).endswith(": 32 columns, 27 rows, 0 sets>")


def test_controls_and_attributes_say_whose_they_are():
    assert repr(quorva.controls) == "<quorva.control module-wide defaults>"
    p = quorva.problem(name="plan")
    controls, attributes = p.controls, p.attributes
    assert repr(controls) == "<quorva.control of problem plan>"
    assert repr(attributes) == "<quorva.attribute of problem plan>"
    assert str(attributes).startswith("{")
    del p
    gc.collect()
    # The objects outlive their problem: repr() still answers, str() raises.
    assert repr(attributes) == "<quorva.attribute of a problem that no longer exists>"
    with pytest.raises(quorva.ModelError):
        str(attributes)
