"""References and memory: large expressions give back every reference they
took, every operator (failing ones too) leaves no object behind, and the
in-place operators change the object they are applied to."""

import gc
import sys

import numpy as np
import pytest

import quorva
from algebra_helpers import describe, operands


def test_million_term_expression_returns_every_reference():
    n = 1_000_000
    x = [quorva.var() for _ in range(n)]
    before = [sys.getrefcount(v) for v in x[:: n // 1000]] + [sys.getrefcount(x[-1])]
    e = x[0] + 0.5
    for i in range(1, n):
        e += (1 + i % 7) * x[i]
    assert str(e).count("C") == n
    copy = e * 2.0
    squares = x[0] * x[0]
    for i in range(0, n, 10):
        squares += x[i] * x[i + 1]
    assert sys.getrefcount(x[-1]) > before[-1]
    del e, copy, squares
    after = [sys.getrefcount(v) for v in x[:: n // 1000]] + [sys.getrefcount(x[-1])]
    assert after == before


def _every_operation(kinds, bad):
    """Runs every operator on every pair of operands, keeping nothing."""
    for left in kinds.values():
        for right in list(kinds.values()) + [bad]:
            for op in ("+", "-", "*", "/", "**"):
                for expression in ("left %s right" % op, "right %s left" % op):
                    try:
                        eval(expression)
                    except (quorva.ModelError, TypeError):
                        pass
                target = left * 1  # a copy: in-place operators change expressions
                try:
                    exec("target %s= right" % op)
                except (quorva.ModelError, TypeError):
                    pass
        -left if not isinstance(left, float) else None
        str(left)


def test_operators_leave_no_objects_behind():
    x, y, kinds = operands()
    kinds["E2"] = (x + y) * (x - 2 * y) + 3
    bad = "".join(["b", "ad"])  # a string of its own, not a shared constant
    # Earlier tests may leave cycles (exceptions and their frames) that refer
    # to the shared string; collect them so they do not vanish mid-count.
    gc.collect()
    counts = [sys.getrefcount(v) for v in (x, y, bad)]
    with np.errstate(all="ignore"):
        for _ in range(5):
            _every_operation(kinds, bad)  # warm up caches
        gc.collect()
        blocks = sys.getallocatedblocks()
        for _ in range(100):
            _every_operation(kinds, bad)
    # Failing operators leave cycles (exceptions and their frames) that only
    # the collector frees; one object kept per operation would be tens of
    # thousands of blocks.
    gc.collect()
    assert sys.getallocatedblocks() - blocks < 200
    assert [sys.getrefcount(v) for v in (x, y, bad)] == counts


def test_inplace_operators_keep_identity():
    x, y, _ = operands()
    e = x + y
    alias = e
    for op, value in (("+", x), ("-", 2 * y), ("+", x * y), ("*", 3), ("/", 2), ("-", 1)):
        exec("e %s= value" % op)
        assert e is alias
    assert describe(alias) == "expression:-1 +3 x -1.5 y +1.5 x*y"



class TestReferenceCycles:
    """Objects that may hold arbitrary objects are seen by the cycle
    collector; variables hold only their str or bytes name."""

    @staticmethod
    def collected(make):
        import weakref

        class Marker:
            pass

        marker = Marker()
        gone = weakref.ref(marker)
        make(marker)
        del marker
        gc.collect()
        return gone() is None

    def test_constraint_naming_itself(self):
        def make(marker):
            c = quorva.var("x") + 1 <= 2
            c.name = (c, marker)

        assert self.collected(make)

    def test_body_set_to_the_constraint_itself(self):
        def make(marker):
            c = quorva.var("x") <= 2
            c.body = (c, marker)

        assert self.collected(make)

    def test_user_function_holding_its_constraint(self):
        def make(marker):
            holder = {"marker": marker}
            c = quorva.constraint(body=quorva.user(lambda *args: holder, quorva.var("x")), lb=0)
            holder["c"] = c

        assert self.collected(make)
