"""Constraints made by calling the class, their copies, the sense the library
sees, and special ordered sets."""

import numpy as np
import pytest

import quorva
from quorva import quorvalib

INF = 1e20
ARGS_REQUIRED = (
    "Arguments required for quorva.constraint(): constraint OR {body, lb and/or ub} OR {body,sense,rhs}."
)
RHS_AND_BOUNDS = "Cannot create constraint by specifying both rhs AND either or both of lb/ub."
INFEASIBLE = "Constraint defined infeasible: lower bound > upper bound"
EMPTY = ("Attempt to generate an empty constraint failed. Consider using quorva.constraint(body=..., sense=..., "
         "rhs=...) instead.")
INVALID_BODY = "Invalid expression passed as body of constraint"


@pytest.fixture
def x():
    return quorva.var(name="x")


class TestConstruction:
    # keyword arguments (with "body" standing for x) -> (lb, ub) or an error message
    CASES = [
        (dict(body=1, sense=quorva.leq, rhs=5), (-INF, 5.0)),
        (dict(body=1, sense=quorva.geq, rhs=5), (5.0, INF)),
        (dict(body=1, sense=quorva.eq, rhs=5), (5.0, 5.0)),
        (dict(body=1, sense=quorva.range, rhs=5), (5.0, 5.0)),
        (dict(body=1, sense=quorva.geq), (-INF, INF)),
        (dict(body=1, lb=1), (1.0, INF)),
        (dict(body=1, ub=2), (-INF, 2.0)),
        (dict(body=1, lb=1, ub=2), (1.0, 2.0)),
        (dict(body=1, lb=1, ub=1 - 1e-7), (1.0, 1 - 1e-7)),  # within the tolerance
        (dict(body=1, lb=1, sense=quorva.leq), (1.0, INF)),  # without rhs the sense is ignored
        (dict(body=1), ARGS_REQUIRED),
        (dict(sense=quorva.leq, rhs=1), ARGS_REQUIRED),
        (dict(), ARGS_REQUIRED),
        (dict(body=1, lb=1, rhs=2), RHS_AND_BOUNDS),
        (dict(body=1, ub=1, sense=quorva.leq, rhs=2), RHS_AND_BOUNDS),
        (dict(body=1, lb=2, ub=1), INFEASIBLE),
        (dict(body="x", lb=0), INVALID_BODY),
        (dict(body=[1], lb=0), INVALID_BODY),
    ]

    @pytest.mark.parametrize("kwargs, expected", CASES)
    def test_arguments(self, x, kwargs, expected):
        if kwargs.get("body") == 1:
            kwargs = dict(kwargs, body=x)
        if isinstance(expected, str):
            with pytest.raises(quorva.ModelError) as error:
                quorva.constraint(**kwargs)
            assert str(error.value) == expected
        else:
            c = quorva.constraint(**kwargs)
            assert (c.lb, c.ub) == expected and c.body is x

    def test_positional_order(self, x):
        c = quorva.constraint(None, x, 1.0, 3.0, 0, -2e20, "cap")
        assert (c.lb, c.ub, str(c), c.name) == (1.0, 3.0, "cap", "cap")

    def test_bodies_of_every_kind(self, x):
        y = quorva.var()
        for body in (x, 2 * x, x * y, x + y, quorva.exp(x), 3.0, 2):
            assert quorva.constraint(body=body, ub=1).body is body

    def test_array_body_gives_its_first_element(self, x):
        c = quorva.constraint(body=np.array([[x, 1], [2, 3]], dtype=object), lb=0)
        assert c.body is x
        with pytest.raises(quorva.ModelError, match="^" + INVALID_BODY + "$"):
            quorva.constraint(body=np.array([], dtype=object), lb=0)

    def test_taken_over_from_another_constraint(self, x):
        source = quorva.constraint(body=x, lb=1, ub=2)
        c = quorva.constraint(source, ub=7, name="again")
        assert (c.body, c.lb, c.ub, c.name) == (x, 1.0, 2.0, "again")
        for bad in (x, "c", 3):
            with pytest.raises(quorva.ModelError) as error:
                quorva.constraint(bad, body=x, lb=0)
            assert str(error.value) == EMPTY

    def test_names_follow_serials(self, x):
        a = quorva.constraint(body=x, lb=0)
        b = quorva.constraint(body=x, lb=0)
        na, nb = int(str(a)[1:]), int(str(b)[1:])
        assert str(a).startswith("R") and nb == na + 1
        assert quorva.constraint(body=x, lb=0, name=b"raw").name == b"raw"

    def test_members_are_writable(self, x):
        c = quorva.constraint(body=x, lb=0)
        c.lb, c.ub, c.name, c.body = -1.0, 1.0, "n", 2 * x
        assert (c.lb, c.ub, c.name, str(c.body)) == (-1.0, 1.0, "n", "2*x")


class TestCopy:
    def test_copy_has_its_own_body(self, x):
        y = quorva.var(name="y")
        c = x + y <= 3
        d = c.copy()
        assert (d.lb, d.ub) == (c.lb, c.ub)
        assert d.body is not c.body and str(d.body) == str(c.body)
        d.body += y
        assert str(c.body) == "  x + y"
        assert d.name == "R%d_copy_%s" % (int(d.name.split("_")[0][1:]), c.name)
        assert int(d.name.split("_")[0][1:]) > int(c.name[1:])

    def test_copy_of_a_variable_body_keeps_the_variable(self, x):
        assert (x >= 0).copy().body is x

    def test_copy_of_a_nonlinear_body_is_deep(self, x):
        c = quorva.exp(x) + quorva.sin(x) <= 1
        d = c.copy()
        d.body += x
        assert str(c.body) == "(exp (x) + sin (x))"
        assert str(d.body) == "(exp (x) + sin (x) + x)"


class TestRhsSense:
    @pytest.mark.parametrize(
        "lb, ub, expected",
        [
            (2, 2, ("E", 2.0, None)), (-INF, 5, ("L", 5.0, None)), (1, 3, ("R", 3.0, 2.0)),
            (1, INF, ("G", 1.0, None)), (-INF, INF, ("N", 0.0, None)), (-2e20, 3e20, ("N", 0.0, None)),
        ],
    )
    def test_sense_and_rhs(self, x, lb, ub, expected):
        c = quorva.constraint(body=x, lb=lb, ub=ub)
        assert quorvalib._rhs_sense(c) == expected

    def test_rhs_is_added_to_the_value_passed(self, x):
        assert quorvalib._rhs_sense(quorva.constraint(body=x, lb=1, ub=3), 10.0) == ("R", 13.0, 2.0)


class TestSOS:
    def test_construction(self, x):
        y = quorva.var()
        s = quorva.sos([x, y], [1, 2])
        assert str(s).startswith("sos")
        named = quorva.sos([x, y], [1, 2], 2, "s2")
        assert str(named) == "s2" and named.name == "s2"
        assert type(s).__name__ == "SOS"

    @pytest.mark.parametrize(
        "args, message",
        [
            (([1], [1], 3), "SOS type must be 1 or 2"),
            (([1], [1], 0), "SOS type must be 1 or 2"),
            (([1], (1,)), "SOS weights must be passed as a list"),
            (((1,), [1]), "SOS indices must be passed as a list"),
            (((1,), (1,)), "SOS weights must be passed as a list"),
        ],
    )
    def test_bad_arguments(self, args, message):
        with pytest.raises(quorva.ModelError) as error:
            quorva.sos(*args)
        assert str(error.value) == message

    def test_copy_is_named_after_the_set_copied(self, x):
        s = quorva.sos([x], [1.0], name="base")
        serial = int(str(quorva.sos([], [])).replace("sos", "")) - 1
        copy = s.copy()
        assert str(copy) == "sos%d_copy_base" % serial
        assert str(copy.copy()) == "sos%d_copy_sos%d_copy_base" % (serial + 2, serial)
