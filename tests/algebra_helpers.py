"""Shared pieces of the modeling-algebra tests: the operand kinds, a way to
describe a result by its class and printed form, and the one place that says
what a result leaving the quadratic world looks like."""

import numpy as np
import pytest

import quorva

hooks = quorva.quorvalib  # internal functions under underscore names

NONLINEAR = "nonlinear"

# Nonlinear nodes are built by the nonlinear layer; until it lands, every
# result that leaves the quadratic world is this clear error.
NONLINEAR_PENDING = "Nonlinear expressions are not available yet in this version"


def describe(result):
    """'kind:printed' of a result; arrays element by element."""
    if isinstance(result, np.ndarray):
        return [describe(item) for item in result.ravel()]
    return "%s:%s" % (type(result).__name__, result)


def check(compute, expected):
    """compute() gives the expected description, or a nonlinear result."""
    if expected == NONLINEAR:
        try:
            result = compute()
        except quorva.ModelError as error:
            assert str(error) == NONLINEAR_PENDING
        else:
            assert type(result).__name__ == "nonlinear", describe(result)
        return
    assert describe(compute()) == expected


def operands():
    """The six operand kinds over two variables x and y (x created first)."""
    x = quorva.var("x")
    y = quorva.var("y")
    return x, y, {
        "C": 3.0,
        "V": x,
        "L": 2 * y,
        "Q": x * y,
        "E": x + 1,
        "A": np.array([1.0, 2.0]),
    }


def table_cases(table):
    """pytest parameters 'left right' -> expected from a table of strings."""
    return [pytest.param(pair.split()[0], pair.split()[1], expected, id=pair.replace(" ", ""))
            for pair, expected in table.items()]
