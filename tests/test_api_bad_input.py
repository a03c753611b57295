"""The library-named methods of quorva.problem called with arguments of
the wrong kind. They share one argument parser and one set of converters,
so one table of forms reaches all of them: every required argument missing
or given as a float, NaN, a huge integer, a string, an object or an array of
the wrong element type. Each call must be refused with a clear exception
and leave the fixture's problems as they were; the calls run in a child
interpreter so that a crash names its call."""
import re

import pytest

import quorva
from bad_input_runner import batches, run_bad_calls
from test_problem_bad_input import SETUP, CASES as MODELING_CASES

FORMS = ["1.5", "nan", "2**63", "-2**63 - 1", "'nosuch'", "object()", "np.array([1j])",
         "np.array([[0.5]])", "iter([0, None])", "qx"]
REFUSED = "ModelError/SolverError/InterfaceError/TypeError/ValueError/OverflowError"
# Forms that are sound arguments of a method: any text names a file to
# write, a log file or a problem, an unknown name has the info (0, 0), and
# fixglobals takes any object (only True rounds).
SOUND = {"setlogfile": {"'nosuch'"}, "setprobname": {"'nosuch'"}, "getattribinfo": {"'nosuch'"},
         "getcontrolinfo": {"'nosuch'"}, "fixglobals": set(FORMS), "tokencount": {"'nosuch'"},
         "tunerwritemethod": {"'nosuch'"}}


def sound(name):
    return SOUND.get(name, {"'nosuch'"} if name.startswith("write") else set())


def synopsis(name):
    """The argument names of a method's Synopsis line: required, optional."""
    text = getattr(quorva.problem, name).__doc__ or ""
    match = re.search(r"Synopsis:\n\s*.*?p\.%s\((.*)\)" % name, text)
    if not match:
        return None
    required, optional = [], []
    for arg in filter(None, (a.strip() for a in match.group(1).split(","))):
        (optional if "=" in arg else required).append(arg)
    return required, optional


def library_named():
    public = [n for n in dir(quorva.problem) if not n.startswith("_")]
    return sorted(n for n in public if n not in MODELING_CASES and n.islower() and synopsis(n) is not None)


def generic_cases(name):
    required, optional = synopsis(name)
    call = "p.%s(%s)" % (name, ", ".join(["{0}"] * len(required)))
    if not required:
        return [("p.%s(%s)" % (name, ", ".join(["0"] * (len(optional) + 1))), REFUSED)]
    cases = [("p.%s()" % name, REFUSED)]
    cases += [(call.format(form), REFUSED) for form in FORMS if form not in sound(name)]
    return cases


SWEPT = library_named()

# Public names of quorva.problem that neither table sweeps.
OUT_OF_SCOPE = {
    "controls": "a member; assignments go through setControl's checks (test_problem_controls)",
    "attributes": "a member that only reads",
}


def test_every_method_is_swept():
    public = {name for name in dir(quorva.problem) if not name.startswith("_")}
    covered = set(MODELING_CASES) | set(SWEPT) | set(OUT_OF_SCOPE)
    assert sorted(public - covered) == [], "methods without bad-input cases"
    assert sorted(set(MODELING_CASES) - public) == [], "cases for methods that do not exist"


@pytest.mark.parametrize("methods", batches(SWEPT, 25))
def test_library_named_methods_refuse_wrong_kinds(methods):
    faults = run_bad_calls(SETUP, [case for method in methods for case in generic_cases(method)])
    assert not faults, "\n".join(faults)
