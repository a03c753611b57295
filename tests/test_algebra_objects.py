"""Variables, terms and expressions as objects: construction, members,
names, hash, printing; and the ordered containers underneath them."""

import math
import sys

import numpy as np
import pytest

import quorva
from algebra_helpers import describe, hooks, operands


def test_default_names_follow_the_serial(fresh_python):
    code, out, err = fresh_python("""
        import quorva
        a, b = quorva.var(), quorva.var()
        print(a, b, hash(a), hash(b))
    """)
    assert code == 0, err
    assert out.split() == ["C1", "C2", "1", "2"]


def test_constructor_arguments_bounds_and_types():
    x = quorva.var("x", -1, 5, 0.5, quorva.integer)
    assert (x.name, x.lb, x.ub, x.threshold, x.vartype) == ("x", -1.0, 5.0, 0.5, quorva.integer)
    d = quorva.var()
    assert (d.lb, d.ub, d.threshold, d.vartype) == (0.0, 1e20, 0.0, quorva.continuous)
    assert quorva.var(lb=5, ub=4.9999995).lb == 5.0  # within the tolerance
    with pytest.raises(quorva.ModelError, match="^Variable has empty feasible set: lower bound > upper bound$"):
        quorva.var(lb=5, ub=4)
    b = quorva.var(lb=-3, ub=7, vartype=quorva.binary)
    assert (b.lb, b.ub) == (0.0, 1.0)
    with pytest.raises(TypeError):
        quorva.var(lb="low")
    with pytest.raises(OverflowError):
        quorva.var(vartype=2 ** 40)


def test_names_must_be_strings():
    with pytest.raises(quorva.ModelError, match=r"^Invalid variable name \(must be a string\)$"):
        quorva.var(3)
    assert str(quorva.var(b"bx")) == "bx"
    assert str(quorva.var(name=None)).startswith("C")
    x = quorva.var("x")
    for bad in (42, x, None):  # the member takes what the constructor takes
        with pytest.raises(quorva.ModelError, match=r"^Invalid variable name \(must be a string\)$"):
            x.name = bad
    with pytest.raises(quorva.ModelError, match=r"^Invalid variable name"):
        del x.name
    x.name = b"bytes"
    assert str(x) == "bytes" and str(2 * x) == "2*bytes"


def test_members_are_writable():
    x = quorva.var("x")
    x.lb, x.ub, x.threshold, x.vartype = -2, 3, 1.5, quorva.semicontinuous
    assert (x.lb, x.ub, x.threshold, x.vartype) == (-2.0, 3.0, 1.5, 3)
    x.name = "renamed"
    assert str(x) == "renamed" and repr(x) == "<quorva.var renamed [-2, 3] semicontinuous threshold 1.5>"


def test_hash_is_the_serial_and_reinitialising_keeps_it():
    x, y, _ = operands()
    assert hash(y) == hash(x) + 1
    e = x + 2 * y
    serial = hash(x)
    x.__init__("again", 1, 2)
    assert hash(x) == serial and str(x) == "again"
    assert describe(e) == "expression:  again +2 y"
    assert describe(e - x) == "expression: 2 y"


def test_objects_are_made_by_operators_only():
    x, y, _ = operands()
    for obj in (2 * x, x * y, x + 1):
        with pytest.raises(quorva.ModelError):
            type(obj)()
    # Bypassing the constructor gives an object the algebra refuses, not a crash.
    empty = type(2 * x).__new__(type(2 * x))
    with pytest.raises(quorva.ModelError):
        empty + x
    with pytest.raises(quorva.ModelError):
        x * empty
    assert str(empty) == "" and repr(empty) == "<quorva.linterm>"
    bare = quorva.var.__new__(quorva.var)
    assert str(bare) == "C0"


def test_term_printing():
    x, y, _ = operands()
    assert str(2 * x) == "2*x" and str(1 * (x * 1)) == "x"
    assert str(-1 * (2 * x) / 2) == "-1*x"
    assert str(3 * (x * x)) == "3*x**2" and str(x * y) == "x*y" and str(0.5 * (x * y)) == "0.5*x*y"
    assert str(float("nan") * x) == "nan*x"
    assert repr(2 * x) == "<quorva.linterm 2*x>" and repr(x * y) == "<quorva.quadterm x*y>"


def test_expression_printing_spacing():
    x, y, _ = operands()
    assert str(3 + 2 * x - y + x ** 2) == "3 +2 x - y + x**2"
    assert str(x + y) == "  x + y"
    assert str(-1 * x + y) == " - x + y"
    assert str(-2 * x + y) == " -2 x + y"
    assert str(1 - 2 * x) == "1 -2 x"
    assert str((x + 1) - x) == "1"
    assert str(1.5 + x * y) == "1.5 + x*y"
    assert str(x - x + (x + 0.25)) == "0.25 + x"
    assert repr(x + y) == "<quorva.expression x + y>"


def test_long_names_are_printed_whole():
    long_name = "v" * 2000
    x = quorva.var(long_name)
    y = quorva.var("y")
    assert str(2 * x) == "2*" + long_name
    assert str(x * y) == long_name + "*y"
    assert str(x + 2 * y + 3) == "3 + " + long_name + " +2 y"
    assert str(x * x + 1) == "1 + " + long_name + "**2"


# ---- the containers ----

def test_linmap_zero_rule_references_and_order():
    x, y = quorva.var("x"), quorva.var("y")
    base_x, base_y = sys.getrefcount(x), sys.getrefcount(y)
    items, copied, size = hooks._linmap_run([("set", y, 2.0), ("set", x, 0.0), ("add", x, 2.0),
                                             ("add", x, -2.0), ("set", x, float("nan")), ("add", y, 1.0)])
    assert size == 2 and [v for v, _ in items] == [x, y] and copied[1] == (y, 3.0)
    assert math.isnan(items[0][1])
    items, copied, size = hooks._linmap_run([("set", x, 1.0), ("set", x, 0.0), ("set", y, -0.0), ("del", y)])
    assert size == 0 and items == []
    del items, copied
    assert sys.getrefcount(x) == base_x and sys.getrefcount(y) == base_y


def test_quadmap_cancellation_and_size():
    x, y = quorva.var("x"), quorva.var("y")
    z = quorva.var("z")
    base = [sys.getrefcount(v) for v in (x, y, z)]
    entries, size = hooks._quadmap_run([("add", x, x, 1.0), ("add", x, y, 2.0), ("add", y, z, 3.0)])
    assert size == 3
    assert entries == [(x, [(x, 1.0), (y, 2.0)]), (y, [(z, 3.0)])]
    entries, size = hooks._quadmap_run([("add", x, y, 2.0), ("add", x, y, -2.0), ("add", y, z, 1.0),
                                        ("del", y, z), ("del", z, x)])
    assert entries == [] and size == 0
    del entries
    assert [sys.getrefcount(v) for v in (x, y, z)] == base


def test_rowcolmap_and_indexset():
    pairs, keys, first = hooks._rowcolmap_run([("set", 9, 0), ("set", 2, 1), ("set", 4294967295, 2),
                                               ("set", 2, 5), ("del", 9), ("del", 77)])
    assert pairs == [(2, 5), (4294967295, 2)] and keys == [2, 4294967295] and first == 2
    pairs, keys, first = hooks._rowcolmap_run([("set", 1, 1), ("clear",)])
    assert pairs == [] and keys == [] and first is None
