"""The module's functions and constructors called with bad arguments: wrong
kinds, huge and negative integers, NaN, None, text, objects of the wrong
class, arrays of the wrong element type. Each call must be refused with an
exception of the right class and text and leave the module-wide state (the
checked mode, the module's control values, the message handlers) as it was;
the calls run in a child interpreter so that a crash names its call."""
import pytest

from bad_input_runner import run_bad_calls

SETUP = """
def build():
    x, y = quorva.var(name="x"), quorva.var(name="y")
    q = quorva.problem(name="q")
    q.controls.outputlog = 0
    qx = quorva.var(name="qx")
    q.addVariable(qx)
    return dict(x=x, y=y, q=q, qx=qx)

def state(names):
    return (quorva.getcheckedmode(), quorva.controls.feastol, quorva.controls.lpiterlimit,
            quorva.getversion())
"""

WRONG_KINDS = ["None", "1.5", "nan", "'nosuch'", "b'\\xff'", "object()", "quorva.problem", "np.array([1j])"]
HUGE = ["2**63", "-2**63 - 1", "10**30"]
NO_ARGUMENT_FUNCTIONS = ["init", "free", "getversion", "getbanner", "getlasterror", "getcheckedmode", "setdefaults"]
UNARY = ["sin", "cos", "tan", "asin", "acos", "atan", "exp", "log", "log10", "abs", "sqrt", "sign", "erf", "erfc"]
NOT_AN_INDEX = "RuntimeError:Invalid index: a call to quorva.vars\\(\\) must have a tuple of lists or integer"
TOO_MANY = "RuntimeError:No memory to create variables. Consider restricting"
ADD_HANDLER = "RuntimeError:Incorrect arguments in addcbmsghandler. Must provide correct list of three arguments"
REMOVE_HANDLER = "RuntimeError:Incorrect arguments in removecbmsghandler. Must provide correct list of two arguments"


def each(template, forms, expected):
    return [(template.format(form), expected) for form in forms]


CASES = {
    "environment": (
        [("quorva.%s(%s)" % (name, form), "TypeError") for name in NO_ARGUMENT_FUNCTIONS
         for form in ("0", "None")]
        + [("quorva.setcheckedmode()", "TypeError"), ("quorva.setdefaultcontrol()", "TypeError"),
           ("quorva.setdefaultcontrol(np.array([1.0]))", "TypeError")]),
    "message handlers": (
        each("quorva.addcbmsghandler({})", ["", "print", "print, None"] + WRONG_KINDS, ADD_HANDLER)
        + each("quorva.addcbmsghandler(print, None, {})", WRONG_KINDS + HUGE, ADD_HANDLER)
        + [("quorva.addcbmsghandler(print, None, 0, 1)", ADD_HANDLER)]
        + each("quorva.removecbmsghandler({})", ["", "print", "print, None, 1"], REMOVE_HANDLER)
        + [("quorva.removecbmsghandler(print, None)", "InterfaceError:Callback not found")]),
    "vars": (
        each("quorva.vars({})", WRONG_KINDS + ["x", "iter([0, 1])"], NOT_AN_INDEX)
        + each("quorva.vars({})", ["0", "-1"], "RuntimeError:Invalid index: integer argument to quorva.vars\\(\\) must "
                                                "be positive")
        + each("quorva.vars({})", ["2**63", "-2**63 - 1"], "OverflowError")
        # More columns than a problem can index are refused before any is made.
        + each("quorva.vars({})", ["2**31", "2**16, 2**16", "2**40, 2**40", "range(2**31)", "3, range(2**30)"],
               TOO_MANY)
        + [("quorva.vars([])", "RuntimeError:Invalid index: empty dimension in creation of variables"),
           ("quorva.vars([1.5])", "RuntimeError:Element of index tuple in vars\\(\\) cannot be represented"),
           ("quorva.vars(['a', 'a'])", "RuntimeError:Duplicate entry in vars: <x\\(a\\)>"),
           ("quorva.vars(2, lb=nan)", "ModelError/ValueError"),
           ("quorva.vars(2, vartype=2**63)", "OverflowError"),
           ("quorva.vars(2, name=1.5)", "TypeError")]),
    "Sum and Prod": (
        each("quorva.Sum({})", ["object()", "quorva.problem"], "RuntimeError:Invalid object in Sum or Prod operators")
        + each("quorva.Prod({})", ["object()", "quorva.problem"], "RuntimeError:Invalid object in Sum or Prod "
                                                                  "operators")
        + each("quorva.Sum({})", ["'ab'", "np.array([1j])"], "ModelError:Invalid object being copied")
        + each("quorva.Sum({})", ["[x, 'a']", "[x, object()]", "iter([x, object()])", "{1: x, 2: object()}"],
               "ModelError:Invalid object in operation")
        + [("quorva.Sum(x, out=None)", "TypeError")]),
    "Dot": (
        each("quorva.Dot({})", ["x", "[1, 2]", "1.5", "'ab'"], "ModelError:Dot product should only be on NumPy arrays")
        + [("quorva.Dot(np.array([x]), [1])", "ModelError:Dot product can only occur between NumPy arrays"),
           ("quorva.Dot(np.array([x, y]), np.array([1, 2, 3]))",
            "ModelError:Dot product must have matching sizes in the multiplying dimension"),
           ("quorva.Dot(np.array([x]), np.array([1j]))",
            "ModelError:Dot product must be between long, double, and expressions/variables"),
           ("quorva.Dot(np.array([1.0]), np.array([2.0]), out=np.zeros(1, dtype=np.int8))",
            "ModelError:Output argument set with wrong type")]
        # None inside an array is no factor: x * None has no value, and the
        # product must not quietly read it as 1 (or 0).
        + each("quorva.Dot({})", ["np.array([x, y]), np.array([None, 2])", "np.array([None, None]), np.array([x, y])",
                                  "np.array([[x, None]]), np.array([1.0, 2.0])"],
               "ModelError:Invalid object in operation")),
    "nonlinear functions": (
        [("quorva.%s(%s)" % (name, form), "ModelError:Invalid object in unary operation")
         for name in UNARY for form in ("None", "'a'", "object()", "quorva.problem", "iter([x])")]
        + [("quorva.%s()" % name, "TypeError") for name in UNARY]
        + [("quorva.%s(x, y)" % name, "TypeError") for name in UNARY[:3]]
        + [("quorva.%s(%s)" % (name, form), "ModelError:Invalid object in n-ary operation")
           for name in ("max", "min") for form in ("None", "x, 'a'", "x, object()", "np.array([x])")]
        + [("quorva.user()", "ModelError:Insufficient number of arguments declared for operator"),
           ("quorva.user(1.5, x)", "ModelError:Invalid object in n-ary operation"),
           ("quorva.user(print, None)", "ModelError:Invalid object in n-ary operation")]),
    "constructors": (
        each("quorva.var({})", ["lb=nan", "ub=nan", "threshold=nan"], "ModelError:A bound or threshold cannot be NaN")
        + each("quorva.var({})", ["lb='a'", "ub=None", "1, 2, 3, 4, 5, 6"], "TypeError")
        + [("quorva.var(lb=2, ub=1)", "ModelError:Variable has empty feasible set"),
           ("quorva.var(vartype=2**63)", "OverflowError"),
           ("quorva.var(name=1.5)", "ModelError:Invalid variable name"),
           ("quorva.sos((x,), [1])", "ModelError:SOS indices must be passed as a list"),
           ("quorva.sos([x], (1,))", "ModelError:SOS weights must be passed as a list"),
           ("quorva.sos([x], [1], type=3)", "ModelError:SOS type must be 1 or 2"),
           ("quorva.sos([x], [1], type=2**63)", "OverflowError"),
           ("quorva.constraint(body=None)", "ModelError:Arguments required for quorva.constraint\\(\\)"),
           ("quorva.constraint(body=x, rhs=2**1100)", "OverflowError"),
           ("quorva.problem(name=1.5)", "TypeError"),
           ("quorva.problem(name='a\\x00b')", "ValueError")]),
    "module controls": (
        [("setattr(quorva.controls, 'feastol', nan)", "SolverError"),
         ("setattr(quorva.controls, 'feastol', 'a')", "ModelError:Cannot set non-numerical value"),
         ("setattr(quorva.controls, 'lpiterlimit', 2**63)", "ModelError:Value 9223372036854775808 for integer "
                                                            "control"),
         ("setattr(quorva.controls, 'lpiterlimit', 1.5)", "ModelError"),
         ("setattr(quorva.controls, 'nosuch', 1)", "AttributeError"),
         ("quorva.controls.nosuch", "AttributeError")]),
}


@pytest.mark.parametrize("family", sorted(CASES))
def test_module_functions_refuse_bad_arguments(family):
    faults = run_bad_calls(SETUP, CASES[family])
    assert not faults, "\n".join(faults)
