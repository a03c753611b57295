"""Every method of quorva.problem called with bad arguments: wrong kinds,
huge and negative integers, NaN and infinities, None, objects of another
problem or deleted from this one, empty and mismatched sequences, NumPy
arrays of the wrong element type or shape. Each call must be refused with
an exception of the right class (the module's where it detects the
mistake, Python's TypeError/ValueError/OverflowError where the argument
cannot be parsed) and leave both problems of the fixture as they were: the
same lists, library counts, names and controls, and the same optimum when
solved again. The calls run in a child interpreter per method."""

import pytest

import quorva
from bad_input_runner import batches, run_bad_calls

SETUP = """
import atexit, os, shutil, tempfile
folder = tempfile.mkdtemp()
atexit.register(shutil.rmtree, folder)
junk = os.path.join(folder, "junk.mps")
with open(junk, "w") as f:
    f.write("this is not a problem\\n")

def quiet(name):
    prob = quorva.problem(name=name)
    prob.controls.outputlog = 0
    return prob

def build():
    p = quiet("mip")
    x = [quorva.var(name="x%d" % i, ub=3) for i in range(3)]
    b = quorva.var(vartype=quorva.binary, name="b")
    d = quorva.var(name="d")
    p.addVariable(x, b, d)
    cons = [quorva.constraint(x[0] + x[1] <= 4, name="c0"), quorva.constraint(x[1] + x[2] >= 1, name="c1")]
    p.addConstraint(cons)
    s = quorva.sos(x[:2], [1, 2], type=1, name="s0")
    p.addSOS(s)
    p.delVariable(d)
    p.setObjective(x[0] + 2 * x[1] - x[2] + b, sense=quorva.maximize)
    l = quiet("lp")
    l.addVariable(quorva.var(name="u", ub=2), quorva.var(name="w", ub=2))
    u, w = l.getVariable()
    l.addConstraint(u + w <= 3)
    l.setObjective(u + 2 * w, sense=quorva.maximize)
    q = quiet("other")
    qx = quorva.var(name="qx")
    q.addVariable(qx)
    qc = quorva.constraint(qx <= 1, name="qc")
    q.addConstraint(qc)
    qs = quorva.sos([qx], [1], type=1, name="qs")
    q.addSOS(qs)
    path = os.path.join(folder, "p.mps")
    p.write(path)
    r = quiet("read")
    r.read(path)
    stale = r.getConstraint(0)
    return dict(p=p, l=l, x=x, b=b, d=d, cons=cons, s=s, q=q, qx=qx, qc=qc, qs=qs, stale=stale, junk=junk,
                folder=folder)

def state(names):
    result = []
    for prob in (names["p"], names["l"]):
        prob.solve()
        result.append((len(prob.getVariable()), len(prob.getConstraint()), len(prob.getSOS()),
                       prob.attributes.cols, prob.attributes.rows, prob.attributes.sets,
                       [v.name for v in prob.getVariable()], [str(c.name) for c in prob.getConstraint()],
                       round(prob.getObjVal(), 9), prob.getProbStatusString(), prob.getControl()))
    return result
"""

# Argument forms, as the source the child evaluates.
WRONG_KINDS = ["None", "1.5", "nan", "inf", "object()", "{1}", "quorva.problem", "np.float64(nan)",
               "np.uint64(1)"]
NOT_A_NAME = ["1.5", "nan", "object()", "{1}", "quorva.problem", "np.float64(nan)", "np.uint64(1)"]
HUGE = ["2**31", "2**32", "2**63", "2**64", "-2**63 - 1", "10**30", "-10**30", "np.int64(2**40)"]
NEGATIVE = ["-1"]
TEXTS = ["'nosuch'", "b'\\xff'"]
NON_ASCII = ["'\\u00e9'"]
BAD_ARRAYS = ["np.array([0.5])", "np.array([1j])", "np.array([0], dtype=np.int8)",
              "np.array([2**63], dtype=np.uint64)", "iter([0, None])"]
FOREIGN = ["qx", "qc", "qs", "d"]   # another problem's objects, a deleted variable


def each(template, forms, expected):
    return [(template.format(form), expected) for form in forms]


def many(template, expected):
    """One form for every family whose members all get the same refusal."""
    return each(template, WRONG_KINDS + HUGE + NEGATIVE + TEXTS + NON_ASCII + BAD_ARRAYS, expected)


def no_arguments(method):
    return [("p.%s(1)" % method, "TypeError"), ("p.%s(x[0])" % method, "TypeError")]


def solution_query(method, prob, kind):
    """getSolution and its row and column siblings."""
    call = prob + "." + method + "({})"
    own, other = ("qx", ["qc", "qs"]) if kind == "column" else ("qc", ["qx"])
    not_in = "ModelError:Index out of range: quorva.%s %s is not in this problem"
    return (each(call, WRONG_KINDS, "ModelError:Incorrect object\\(s\\) passed")
            + each(call, HUGE + NEGATIVE, "ModelError:Index out of range: .* is not a %s index" % kind)
            + each(call, ["[{}]".format(f) for f in HUGE], "ModelError:Index out of range")
            + [(call.format("'nosuch'"), "ModelError:Index out of range: the problem has no %s named" % kind)]
            + each(call, NON_ASCII, "ValueError")
            + each(call, BAD_ARRAYS, "ModelError:Incorrect object\\(s\\) passed")
            + [(call.format(own), not_in % (("var", "qx") if kind == "column" else ("constraint", "qc")))]
            + each(call, other, "ModelError:Incorrect object\\(s\\) passed"))


CASES = {
    "addVariable": many("p.addVariable({})", "ModelError:Incorrect objects added as variables to problem") + [
        ("p.addVariable(qc)", "ModelError:Incorrect objects added"),
        ("p.addVariable(quorva.var(), 'junk')", "ModelError:Incorrect objects added"),
        ("p.addVariable([quorva.var(), quorva.var()], [quorva.var(), None])", "ModelError:Incorrect objects added"),
        ("p.addVariable(np.array([quorva.var(), 1.0], dtype=object))", "ModelError:Incorrect objects added"),
        ("p.addVariable(x[0])", "ModelError:Variable already added to problem"),
        ("p.addVariable(quorva.var(), x[0])", "ModelError:Variable already added to problem"),
        ("(lambda y: p.addVariable(y, y))(quorva.var())", "ModelError:Variable already added to problem"),
        ("p.addVariable(quorva.var(), quorva.var(name='\\u00e9'))", "ValueError"),
        ("p.addVariable(quorva.var(), quorva.var(vartype=99))", "ModelError:Incorrect variable type"),
        ("p.addVariable(quorva.var(vartype=2**31))", "OverflowError"),
        ("p.addVariable(quorva.var(vartype=quorva.semicontinuous, threshold=-1, ub=5))",
         "ModelError:Incorrect semi-continuous"),
        ("p.addVariable(quorva.vars(2, lb=nan))", "ModelError:A bound or threshold cannot be NaN"),
        ("p.addVariable(quorva.var(lb=1e30, ub=1e31))", "ModelError:.*lower bound 1e\\+30"),
        ("p.addVariable(quorva.var(lb=-1e31, ub=-1e30))", "ModelError:.*upper bound -1e\\+30"),
        ("p.addVariable(quorva.var(name='a\\0b'))", "ValueError:embedded null"),
        ("p.addVariable(eval('[' * 32 + 'quorva.var()' + ']' * 32))",
         "ModelError:Maximum recursion \\(inclusion\\) level reached"),
    ],
    "addConstraint": many("p.addConstraint({})", "ModelError:Invalid constraint") + [
        ("p.addConstraint(qx)", "ModelError:Invalid constraint"),
        ("p.addConstraint(qc)", "ModelError:Variable in linear part of constraint has not been added"),
        ("p.addConstraint(d <= 1)", "ModelError:Variable in linear part of constraint has not been added"),
        ("p.addConstraint(x[0] + qx <= 1)", "ModelError:Variable in linear part"),
        ("p.addConstraint(x[0] * qx <= 1)", "ModelError:Variable in quadratic part"),
        ("p.addConstraint(quorva.sin(qx) <= 1)", "ModelError:Variable in nonlinear part"),
        ("p.addConstraint(x[0] <= 1, x[1] + qx <= 1)", "ModelError:Variable in linear part"),
        ("p.addConstraint(x[0] <= 1, 'junk')", "ModelError:Invalid constraint"),
        ("p.addConstraint(np.array([x[0] <= 1, 5]))", "ModelError:Invalid constraint"),
        ("p.addConstraint(cons[0])", "ModelError:Constraint already added to problem"),
        ("(lambda c: p.addConstraint(c, c))(x[0] <= 2)", "ModelError:Constraint already added to problem"),
        ("p.addConstraint(stale)", "ModelError:Stale expression link, cannot add constraint"),
        ("p.addConstraint(x[0] <= nan)", "ModelError:.*NaN"),
        ("p.addConstraint(nan * x[0] <= 1)", "ModelError:Invalid coefficient nan"),
        ("p.addConstraint(1e25 * x[0] * x[1] <= 1)", "ModelError:Invalid coefficient"),
        ("p.addConstraint(quorva.max(x[0], nan) <= 1)", "ModelError:.*nan"),
        ("p.addConstraint(quorva.exp(x[0]) * inf <= 1)", "ModelError:.*inf"),
        ("p.addConstraint(x[0] <= 1, quorva.sin(x[1]) * nan <= 1)", "ModelError:.*nan"),
        ("p.addConstraint(quorva.constraint(body=x[0], lb=inf, ub=inf))", "ModelError:.*lower bound inf"),
        ("p.addConstraint(x[0] + 1e30 <= 1)", "ModelError:.*upper bound -1e\\+30"),
        ("p.addConstraint(x[0] <= 1, quorva.constraint(body=x[0], lb=0, ub=1, name='\\u00e9'))", "ValueError"),
        ("p.addConstraint(quorva.constraint(body=x[0], lb=0, ub=1, name='r\\0s'))", "ValueError:embedded null"),
    ],
    "addSOS": many("p.addSOS({})", "ModelError:Object added is not a SOS") + [
        ("p.addSOS(qx)", "ModelError:Object added is not a SOS"),
        ("p.addSOS(qs)", "ModelError:SOS contains variable that was not added to the problem"),
        ("p.addSOS(quorva.sos([x[0], d], [1, 2]))", "ModelError:SOS contains variable that was not added"),
        ("p.addSOS(s)", "ModelError:SOS already added to problem"),
        ("p.addSOS(quorva.sos([x[0], x[1]], [1, nan]))", "SolverError:.*NaN"),
        ("p.addSOS(quorva.sos([x[0], x[0]], [1, 2]))", "SolverError:.*twice"),
        ("p.addSOS(quorva.sos([0, -1], [1, 2]))", "SolverError:.*out of range"),
        ("p.addSOS(quorva.sos([0, 2**32], [1, 2]))", "OverflowError"),
        ("p.addSOS(quorva.sos([0.5, 1], [1, 2]))", "ModelError:SOS indices must be passed as a list"),
        # Several sets in one call: all of them or none.
        ("p.addSOS(quorva.sos([0, 1], [1, 2]), quorva.sos([0, 99], [1, 2]))", "SolverError:.*out of range"),
        ("p.addSOS(quorva.sos([0, 1], [1, 2]), 'junk')", "ModelError:Object added is not a SOS"),
        ("p.addSOS(quorva.sos([0, 1], [1, 2]), qs)", "ModelError:SOS contains variable that was not added"),
        ("(lambda t: p.addSOS(t, t))(quorva.sos([0, 1], [1, 2]))", "ModelError:SOS already added to problem"),
        ("p.addSOS(quorva.sos([0, 1], [1, 2], name='a\\0b'))", "ValueError:embedded null"),
    ],
    "addIndicator": each("p.addIndicator({})", WRONG_KINDS + HUGE + TEXTS + FOREIGN + ["[b == 1, x[0] <= 1]"],
                         "ModelError:Invalid declaration of indicator constraints\\.") + [
        ("p.addIndicator(b == 1, x[0] <= nan)", "ModelError:.*NaN"),
        ("p.addIndicator(b == 2, x[0] <= 1)", "ModelError:Invalid condition for indicator constraints: must be"),
        ("p.addIndicator(b == nan, x[0] <= 1)", "ModelError:Invalid condition for indicator constraints: must be"),
        ("p.addIndicator(2 * b == 2, x[0] <= 1)", "ModelError:Indicator variable must have coefficient 1"),
        ("p.addIndicator(b + x[0] == 1, x[0] <= 1)", "ModelError:.*there must be exactly one variable"),
        ("p.addIndicator(qx == 1, x[0] <= 1)", "ModelError:Indicator variable has not been added to problem yet"),
        ("p.addIndicator(d == 1, x[0] <= 1)", "ModelError:Indicator variable has not been added to problem yet"),
        ("p.addIndicator(x[0] == 1, x[1] <= 1)", "SolverError:.*binary"),
        ("p.addIndicator(b == 1, x[1] + qx <= 1)", "ModelError:Variable in linear part"),
        ("p.addIndicator(b == 1, cons[0])", "ModelError:Constraint already added to problem"),
        ("p.addIndicator(b == 1, stale)", "ModelError:Stale expression link"),
        # Several indicators in one call: all of them or none.
        ("p.addIndicator((b == 1, x[0] <= 1), (b == 1, x[1] + qx <= 1))", "ModelError:Variable in linear part"),
        ("p.addIndicator((b == 1, x[0] <= 1), (x[0] == 1, x[1] <= 1))", "SolverError:.*binary"),
        ("p.addIndicator((b == 1, x[0] <= 1), (b == 1,))", "ModelError:Invalid declaration"),
        ("(lambda c: p.addIndicator((b == 1, c), (b == 0, c)))(x[0] <= 1)",
         "ModelError:Constraint already added to problem"),
    ],
    "getIndex": each("p.getIndex({})", WRONG_KINDS + HUGE + TEXTS + BAD_ARRAYS + ["[x[0]]", "x[0] + 1"],
                     "ModelError:Incorrect object\\(s\\) passed: need variable, constraint, or SOS") + [
        ("p.getIndex(qx)", "ModelError:Incorrect object\\(s\\) passed: quorva.var qx is not in this problem"),
        ("p.getIndex(d)", "ModelError:Incorrect object\\(s\\) passed: quorva.var d is not in this problem"),
        ("p.getIndex(qc)", "ModelError:Incorrect object\\(s\\) passed: quorva.constraint qc is not in this"),
        ("p.getIndex(qs)", "ModelError:Incorrect object\\(s\\) passed: quorva.SOS qs is not in this problem"),
        ("p.getIndex()", "TypeError"),
    ],
    "getIndexFromName": [
        ("p.getIndexFromName(7, 'x0')", "SolverError:.*name type 7"),
        ("p.getIndexFromName(-1, 'x0')", "SolverError:.*name type -1"),
        ("p.getIndexFromName(2, 'a\\0b')", "ValueError"),
        ("p.getIndexFromName(2)", "TypeError"),
    ] + each("p.getIndexFromName({}, 'x0')", HUGE[:-1], "OverflowError")
      + each("p.getIndexFromName({}, 'x0')", WRONG_KINDS[:-1], "TypeError")
      + each("p.getIndexFromName(2, {})", WRONG_KINDS + ["x[0]"], "TypeError"),
    "copycontrols": each("p.copycontrols({})", WRONG_KINDS + TEXTS + FOREIGN + ["x[0]"],
                         "ModelError:A problem must be passed for copying controls") + [
        ("p.copycontrols()", "TypeError"), ("p.copycontrols(q, q)", "TypeError")],
    "setdefaultcontrol": each("p.setdefaultcontrol({})", ["'nosuch'", "'FEASTOL'", "'cols'", "None", "5"],
                              "InterfaceError:Incorrect control name") + [
        ("p.setdefaultcontrol(['feastol'])", "InterfaceError/TypeError")],
    "getControl": each("p.getControl({})", ["'nosuch'", "'FEASTOL'", "'cols'", "None", "5", "1.5",
                                            "'feastol', 'nosuch'", "['feastol', 5]", "iter(['feastol', None])"],
                       "InterfaceError:Requested value of an unknown control"),
    "getAttrib": each("p.getAttrib({})", ["'nosuch'", "'COLS'", "'feastol'", "None", "5",
                                          "'cols', 'nosuch'", "['cols', 5]"],
                      "InterfaceError:Requested value of an unknown attribute"),
    "setControl": [
        ("p.setControl()", "ModelError:setControl requires at least one argument"),
        ("p.setControl('feastol', 1e-5, 2)", "ModelError:setControl: arguments mismatch"),
        ("p.setControl('feastol')", "ModelError:single argument to setControl must be a dictionary"),
        ("p.setControl('nosuch', 1)", "ModelError:Incorrect control name"),
        ("p.setControl('FEASTOL', 1e-5)", "ModelError:Incorrect control name"),
        ("p.setControl(None, None)", "ModelError:Incorrect control name"),
        ("p.setControl('feastol', 'a')", "ModelError:Cannot set non-numerical value to a floating-point control"),
        ("p.setControl('feastol', None)", "ModelError:Cannot set non-numerical value"),
        ("p.setControl('feastol', 10**400)", "OverflowError"),
        ("p.setControl('lpiterlimit', 1.5)", "ModelError:Cannot set non-integer value to an integer control"),
        ("p.setControl('lpiterlimit', 'a')", "ModelError:Cannot set non-integer value"),
        ("p.setControl('outputlog', 2)", "SolverError:.*outside its range"),
        ("p.setControl('threads', -1)", "SolverError:.*outside its range"),
        ("p.setControl('lpiterlimit', -5)", "SolverError:.*outside its range"),
        ("p.setControl('mpsnamelength', 'x' * 300)", "ModelError/SolverError"),
        # A dictionary is set whole or not at all.
        ("p.setControl({'feastol': 1e-5, 'lpiterlimit': 'a'})", "ModelError:Cannot set non-integer value"),
        ("p.setControl({'feastol': 1e-5, 'nosuch': 1})", "ModelError:Incorrect control name"),
        ("p.setControl({'feastol': 1e-5, 'outputlog': 2})", "SolverError:.*outside its range"),
    ] + each("p.setControl('feastol', {})", ["nan", "inf", "-5", "np.float64(nan)"], "SolverError:.*feastol")
      + each("p.setControl('lpiterlimit', {})", HUGE, "ModelError:Value .* is outside the range of integer controls")
      + each("p.setControl('timelimit', {})", ["nan"], "SolverError:.*timelimit"),
    "setObjective": each("p.setObjective({})", ["None", "object()", "{1}", "quorva.problem", "'nosuch'", "qc",
                                                "qs", "x[0] <= 1", "[x[0]]", "stale"],
                         "ModelError:Invalid object set as objective") + [
        ("p.setObjective(nan)", "ModelError:Invalid objective constant nan"),
        ("p.setObjective(10**30)", "ModelError:Invalid objective constant 1e\\+30"),
        ("p.setObjective(qx)", "ModelError:Variable .* has not been added to problem yet"),
        ("p.setObjective(d)", "ModelError:Variable .* has not been added to problem yet"),
        ("p.setObjective(x[0] + qx)", "ModelError:Variable .* has not been added to problem yet"),
        ("p.setObjective(x[0] * qx)", "ModelError:Variable .* has not been added to problem yet"),
        ("p.setObjective(quorva.sin(qx))", "ModelError:Variable .* has not been added to problem yet"),
        ("p.setObjective(1e25 * x[0])", "ModelError:Invalid coefficient"),
        ("p.setObjective(nan * x[0] * x[1])", "ModelError:Invalid coefficient"),
        ("p.setObjective(quorva.sin(x[0]) * nan)", "ModelError:.*nan"),
        ("p.setObjective(quorva.sin(x[0]) * inf)", "ModelError:.*inf"),
        ("p.setObjective(quorva.max(x[0], nan))", "ModelError:.*nan"),
        ("p.setObjective(np.array([x[0], x[1]]))", "ModelError:Only one objective can be set"),
        ("p.setObjective(np.array([[x[0], x[1]]]))", "ModelError:Only one objective can be set"),
        ("p.setObjective(np.array([]))", "ModelError:Only one objective can be set"),
        ("p.setObjective(x[0], sense=0)", "ModelError:Invalid optimization sense"),
        ("p.setObjective(x[0], sense=2)", "ModelError:Invalid optimization sense"),
        ("p.setObjective(x[0], sense=2**63)", "OverflowError"),
        ("p.setObjective(x[0], sense=1.0)", "TypeError"),
        ("p.setObjective(x[0], sense=None)", "TypeError"),
        ("p.setObjective()", "TypeError"),
    ],
    "solve": each("p.solve({})", ["1", "1.5", "object()", "['l']", "x[0]"],
                  "ModelError:The flags of solve\\(\\) must be a string") + [
        ("p.solve('\\u00e9')", "ValueError"),
        ("p.solve('a\\0b')", "ValueError:embedded null"),
        ("p.solve('l', 'l')", "TypeError"),
    ],
    "read": each("p.read({})", WRONG_KINDS + ["b'p.mps'", "['p.mps']"], "TypeError") + [
        ("p.read(os.path.join(folder, 'nosuch.mps'))", "SolverError:.*cannot open"),
        ("p.read(folder)", "SolverError:.*directory"),
        ("p.read(junk)", "SolverError"),
        ("p.read('a\\0b')", "ValueError"),
        ("p.read(junk, 5)", "TypeError"),
    ],
    "write": each("p.write({})", WRONG_KINDS + ["b'p.mps'"], "TypeError") + [
        ("p.write(os.path.join(folder, 'no', 'such.mps'))", "SolverError:.*cannot open"),
        ("p.write('a\\0b')", "ValueError"),
        ("p.write(os.path.join(folder, 'w.mps'), 5)", "TypeError"),
    ],
    "getSolution": solution_query("getSolution", "p", "column"),
    "getRCost": solution_query("getRCost", "l", "column") + [
        ("p.getRCost()", "SolverError:Cannot retrieve reduced cost in a MIP")],
    "getSlack": solution_query("getSlack", "p", "row"),
    "getDual": solution_query("getDual", "l", "row") + [
        ("p.getDual()", "SolverError:Cannot retrieve dual variables in a MIP")],
    "name": no_arguments("name"),
    "reset": no_arguments("reset"),
    "copy": no_arguments("copy"),
    "getObjVal": no_arguments("getObjVal"),
    "getProbStatus": no_arguments("getProbStatus"),
    "getProbStatusString": no_arguments("getProbStatusString"),
}

for kind in ("Variable", "Constraint", "SOS"):
    get, delete = "p.get%s({})" % kind, "p.del%s({})" % kind
    CASES["get" + kind] = (
        each(get, HUGE[:-1] + NEGATIVE + ["[0, 99]", "[0, [1, -1]]"], "ModelError:Index .* is out of range")
        + each(get, NOT_A_NAME + ["'x0'", "[x[0]]"] + BAD_ARRAYS[:4], "ModelError:Error in index list")
        + each(get, ["first=2**31, last=2**31", "first=0, last=2**63"], "OverflowError")
        + each(get, ["first=1.5, last=2", "first=None, last=1"], "TypeError")
        + [(get.format("first=-1, last=1"), "ModelError:Parameters 'first' and 'last' must be both nonnegative"),
           (get.format("first=1"), "ModelError:Parameters 'first' and 'last' must be both nonnegative"),
           (get.format("first=0, last=99"), "ModelError:Parameters 'first' and 'last' are out of range"),
           (get.format("0, first=0, last=0"), "ModelError:Parameters 'first' and 'last' cannot be specified")])
    CASES["del" + kind] = (
        each(delete, HUGE[:-1] + ["[0, %s]" % h for h in HUGE], "OverflowError")
        + each(delete, NEGATIVE + ["99", "[0, 99]", "[0, -1]"], "ModelError:Index out of bounds")
        + [(delete.format("'nosuch'"), "SolverError:Unknown (column|row|set) name 'nosuch' in problem")]
        + each(delete, ["nan", "object()", "{1}", "quorva.problem"] + BAD_ARRAYS[:2], "ModelError")
        + each(delete, BAD_ARRAYS[3:4], "TypeError")
        + each(delete, FOREIGN, "ModelError")
        + each(delete, NON_ASCII, "ValueError")
        + each(delete, ["first=2**31, last=2**31", "first=0, last=2**63"], "OverflowError")
        + each(delete, ["first=1.5, last=2", "first=None, last=1"], "TypeError")
        + [(delete.format(""), "ModelError:At least one parameter must be specified"),
           (delete.format("first=1, last=0" if kind != "SOS" else "first=0, last=-1"),
            "ModelError:Parameter 'first' must be less than, or equal to, 'last'" if kind != "SOS"
            else "ModelError:Parameters 'first' and 'last' must be both nonnegative"),
           (delete.format("first=-1, last=0"), "ModelError:Parameters 'first' and 'last' must be both nonnegative"),
           (delete.format("last=0"), "ModelError:Parameters 'first' and 'last' must be both nonnegative"),
           (delete.format("first=0, last=99"), "ModelError:Parameters 'first' or 'last' are out of range"),
           (delete.format("0, first=0, last=0"), "ModelError:Parameters 'first' and 'last' cannot be specified")])

@pytest.mark.parametrize("methods", batches(CASES, 8))
def test_bad_arguments_are_refused_cleanly(methods):
    faults = run_bad_calls(SETUP, [case for method in methods for case in CASES[method]])
    assert not faults, "\n".join(faults)
