/* quorva.branchobj: a branching object of the optimizer library. Made in
 * Python from a problem and a list of branches (constraints become bound
 * changes or rows), or handed to a chgbranchobject callback by the library.
 * Each method wraps one QRVA_bo_* function through the skeleton of the
 * library-named methods; the object's problem names the columns. */
#include "branching/branchobj.h"

#include "api/wrapper.h"
#include "model/constraint.h"
#include "model/types.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/errors.h"
#include "module/helpers.h"
#include "problem/convert.h"

#include <climits>
#include <vector>

#define BRANCHOBJ(o) reinterpret_cast<branchobj_s *>(o)

static const char *const kCreationMessage =
    "Incorrect creation of branching object: must provide a problem and, optionally, a list of branches and a "
    "True/False flag. The flag must be True if the list of branches is provided";
static const char *const kNoHandleMessage =
    "The branching object holds no optimizer object: it was stored, or handed back from a callback";

PyObject *branchobj_base() {
  PyObject *object = quorva_branchobjType.tp_alloc(&quorva_branchobjType, 0);
  if (object) BRANCHOBJ(object)->isoriginal = 1;
  return object;
}

static void branchobj_dealloc(PyObject *self) {
  branchobj_s *object = BRANCHOBJ(self);
  if (object->handle) QRVA_bo_destroy(object->handle);
  object->handle = nullptr;
  Py_CLEAR(object->problem);
  Py_TYPE(self)->tp_free(self);
}

/* ---- construction: constraints as branches ---- */

static int branchFailure(const char *format, int branch) {
  PyErr_Format(qpy_model_exc, format, branch);
  return -1;
}

/* The linear entries and constant of a constraint's body, columns of the
 * object's problem. 0, or -1 with an error. */
static int linearBody(branchobj_s *b, PyObject *constraint, double *constant, LinearEntries &linear) {
  QuadraticEntries quadratic;
  FormulaEntries formulas;
  return convertExpr(PROBLEM(b->problem), CONSTRAINT(constraint)->body, false, constant, linear, quadratic,
                     formulas);
}

/* A constraint on one variable as its bounds on branch i: the constraint's
 * sides, less the body's constant, divided by the coefficient. */
static int addBoundsOf(branchobj_s *b, int i, PyObject *constraint) {
  constraint_s *c = CONSTRAINT(constraint);
  double constant = 0.0;
  LinearEntries linear;
  if (linearBody(b, constraint, &constant, linear) != 0) {
    /* The body is linear (counted before): what fails is its variable. */
    if (!PyErr_ExceptionMatches(qpy_model_exc)) return -1;
    PyErr_Clear();
    PyErr_SetString(qpy_model_exc, "Variable in branching object has not been added to problem yet");
    return -1;
  }
  if (linear.size() != 1) {
    PyErr_SetString(qpy_model_exc, "Invalid constraint in addbounds");
    return -1;
  }
  int col = linear.col[0];
  double w = linear.coef[0];
  if (w == 0.0) {
    PyErr_SetString(qpy_model_exc, "Coefficient zero in branch");
    return -1;
  }
  double lb = c->lb > -1e20 ? c->lb - constant : c->lb, ub = c->ub < 1e20 ? c->ub - constant : c->ub;
  double lower = -1e20, upper = 1e20;
  if (w > 0) {
    if (lb > -5e19) lower = lb / w;
    if (ub < 5e19) upper = ub / w;
  } else {
    if (ub < 5e19) lower = ub / w;
    if (lb > -5e19) upper = lb / w;
  }
  char types[2];
  int cols[2] = {col, col};
  double values[2];
  int n = 0;
  if (lower > -1e20) types[n] = 'L', values[n++] = lower;
  if (upper < 1e20) types[n] = 'U', values[n++] = upper;
  return n == 0 || QRVA_bo_addbounds(b->handle, i, n, types, cols, values) == 0 ? 0 : -1;
}

/* Any other linear constraint as one row of branch i (a range as two: a
 * 'G' row at its lower side and an 'L' row at its upper side). */
static int addRowOf(branchobj_s *b, int i, PyObject *constraint) {
  double constant = 0.0;
  LinearEntries linear;
  if (linearBody(b, constraint, &constant, linear) != 0) return -1;
  char sense = 'N';
  double rhs = -constant, range = 0.0;
  getRhsSense(constraint, &sense, &rhs, &range);
  if (sense == 'N') {
    PyErr_SetString(qpy_model_exc, "Branch cannot have a free row");
    return -1;
  }
  std::vector<char> types;
  std::vector<double> sides;
  if (sense == 'R')
    types = {'G', 'L'}, sides = {rhs - range, rhs};
  else
    types = {sense}, sides = {rhs};
  int n = (int)linear.size(), start = 0;
  for (size_t k = 0; k < types.size(); ++k)
    if (QRVA_bo_addrows(b->handle, i, 1, n, &types[k], &sides[k], &start, linear.col.data(), linear.coef.data()) != 0)
      return -1;
  return 0;
}

static int addConstraint(branchobj_s *b, int i, PyObject *constraint) {
  if (!constraint_check(constraint))
    return branchFailure("Branch %i is invalid: element of branch not of the valid type (constraint)", i);
  ConvertCounts counts;
  if (countExpr(CONSTRAINT(constraint)->body, counts) != 0) return -1;
  if (counts.quadratic > 0 || counts.coefficients > 0 || counts.tokens > 0)
    return branchFailure("Branch %i contains a quadratic or nonlinear constraint, invalid", i);
  return counts.linear == 1 ? addBoundsOf(b, i, constraint) : addRowOf(b, i, constraint);
}

static int addBranches(branchobj_s *b, PyObject *branches) {
  if (!PyList_Check(branches) && !PyTuple_Check(branches)) {
    PyErr_SetString(qpy_model_exc,
                    "The branches parameter must be a list or a tuple of elements. Each element of the list/tuple "
                    "must be a constraint, a variable bound, or a list/tuple thereof.");
    return -1;
  }
  Py_ssize_t count = PySequence_Fast_GET_SIZE(branches);
  if (count > INT_MAX) return branchFailure("Branch %i is invalid: too many branches", INT_MAX);
  if (QRVA_bo_addbranches(b->handle, (int)count) != 0) return -1;
  for (Py_ssize_t i = 0; i < count; ++i) {
    PyObject *branch = PySequence_Fast_GET_ITEM(branches, i);
    if (!PyList_Check(branch) && !PyTuple_Check(branch)) {
      if (addConstraint(b, (int)i, branch) != 0) return -1;
      continue;
    }
    for (Py_ssize_t k = 0; k < PySequence_Fast_GET_SIZE(branch); ++k)
      if (addConstraint(b, (int)i, PySequence_Fast_GET_ITEM(branch, k)) != 0) return -1;
  }
  return 0;
}

static int branchobj_init(PyObject *self, PyObject *args, PyObject *kwargs) {
  static const char *keywords[] = {"prob", "branches", "isoriginal", nullptr};
  PyObject *prob = nullptr, *branches = nullptr, *flag = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O|OO", const_cast<char **>(keywords), &prob, &branches, &flag) ||
      !PyObject_TypeCheck(prob, &quorva_problemType)) {
    PyErr_Clear();
    PyErr_SetString(qpy_model_exc, kCreationMessage);
    return -1;
  }
  branchobj_s *b = BRANCHOBJ(self);
  /* A second __init__ starts the object afresh. */
  if (b->handle) QRVA_bo_destroy(b->handle);
  b->handle = nullptr;
  int isoriginal = 0;
  if (!flag || flag == Py_True) {
    isoriginal = 1;
  } else if (isIntegerObject(flag)) {
    PyRef one(PyLong_FromLong(1));
    int equal = one ? PyObject_RichCompareBool(flag, one.get(), Py_EQ) : -1;
    if (equal < 0) return -1;
    isoriginal = equal;
  }
  Py_INCREF(prob);
  Py_XSETREF(b->problem, prob);
  b->isoriginal = isoriginal;
  bool hasBranches = branches && branches != Py_None;
  if (!isoriginal && hasBranches) {
    PyErr_SetString(qpy_model_exc, "Cannot define the branches of a branching object if the isoriginal flag is false");
    return -1;
  }
  if (QRVA_bo_create(&b->handle, PROBLEM(prob)->qprob, isoriginal) != 0) {
    setQrvaErrIfNull(prob, nullptr);
    return -1;
  }
  if (hasBranches && addBranches(b, branches) != 0) {
    setQrvaErrIfNull(self, nullptr);
    return -1;
  }
  return 0;
}

/* ---- methods ---- */

static problem_s *branchobjProblem(PyObject *self) {
  PyObject *problem = BRANCHOBJ(self)->problem;
  return problem ? PROBLEM(problem) : nullptr;
}

/* The prepare step of the methods that need the library's object. */
static int needHandle(WrapperCall &c) {
  if (BRANCHOBJ(c.self)->handle) return 0;
  PyErr_SetString(qpy_solver_exc, kNoHandleMessage);
  return -1;
}

static QRVAbranchobject handleOf(const WrapperCall &c) { return BRANCHOBJ(c.self)->handle; }


static PyObject *addboundsBody(WrapperCall &c) {
  int branch = 0;
  if (c.longAsInt(0, &branch) != 0) return nullptr;
  return c.done(QRVA_bo_addbounds(handleOf(c), branch, c.n(0), c.in<char>(1), c.in<int>(2), c.in<double>(3)));
}

static PyObject *addbranchesBody(WrapperCall &c) {
  int n = 0;
  if (c.longAsInt(0, &n) != 0) return nullptr;
  return c.done(QRVA_bo_addbranches(handleOf(c), n));
}

static PyObject *addcutsBody(WrapperCall &c) {
  int branch = 0;
  if (c.longAsInt(0, &branch) != 0) return nullptr;
  return c.done(QRVA_bo_addcuts(handleOf(c), branch, c.n(0), c.in<QRVAcut>(1)));
}

static PyObject *addrowsBody(WrapperCall &c) {
  int branch = 0;
  if (c.longAsInt(0, &branch) != 0) return nullptr;
  return c.done(QRVA_bo_addrows(handleOf(c), branch, c.n(0), c.n(1), c.in<char>(1), c.in<double>(2), c.in<int>(3),
                                c.in<int>(4), c.in<double>(5)));
}

static PyObject *getboundsBody(WrapperCall &c) {
  int branch = 0, size = 0, count = 0;
  if (c.longAsInt(0, &branch) != 0 || c.longAsInt(1, &size) != 0) return nullptr;
  if (QRVA_bo_getbounds(handleOf(c), branch, &count, 0, nullptr, nullptr, nullptr) != 0) return nullptr;
  int room = size < count ? (size < 0 ? 0 : size) : count;
  bool failed = false;
  char *types = c.out<char>(2, room, &failed);
  int *cols = c.out<int>(3, room, &failed);
  double *values = c.out<double>(4, room, &failed);
  if (failed) return nullptr;
  return c.done(QRVA_bo_getbounds(handleOf(c), branch, &count, room, types, cols, values));
}

static PyObject *getrowsBody(WrapperCall &c) {
  int branch = 0, rowsSize = 0, elemsSize = 0, rows = 0, elems = 0;
  if (c.longAsInt(0, &branch) != 0 || c.longAsInt(1, &rowsSize) != 0 || c.longAsInt(2, &elemsSize) != 0)
    return nullptr;
  if (QRVA_bo_getrows(handleOf(c), branch, &rows, 0, &elems, 0, nullptr, nullptr, nullptr, nullptr, nullptr) != 0)
    return nullptr;
  /* Every row is read; the lists get the whole rows that fit in both sizes. */
  bool failed = false;
  char *types = c.out<char>(3, rows, &failed);
  double *sides = c.out<double>(4, rows, &failed);
  int *starts = c.all<int>(5, rows, &failed);
  int *cols = c.out<int>(6, elems, &failed);
  double *values = c.out<double>(7, elems, &failed);
  if (failed ||
      QRVA_bo_getrows(handleOf(c), branch, &rows, rows, &elems, elems, types, sides, starts, cols, values) != 0)
    return nullptr;
  int fit = 0;
  while (fit < rows && fit < rowsSize && (fit + 1 < rows ? starts[fit + 1] : elems) <= elemsSize) ++fit;
  int fitElems = fit < rows ? starts[fit] : elems;
  for (int i = 3; i <= 5; ++i) c.written(i, fit);
  for (int i = 6; i <= 7; ++i) c.written(i, fitElems);
  return newNone();
}

static PyObject *setpreferredbranchBody(WrapperCall &c) {
  int branch = 0;
  if (c.longAsInt(0, &branch) != 0) return nullptr;
  return c.done(QRVA_bo_setpreferredbranch(handleOf(c), branch));
}

static PyObject *setpriorityBody(WrapperCall &c) {
  int priority = 0;
  if (c.longAsInt(0, &priority) != 0) return nullptr;
  return c.done(QRVA_bo_setpriority(handleOf(c), priority));
}

static PyObject *getbranchesBody(WrapperCall &c) {
  int n = 0;
  if (handleOf(c) && QRVA_bo_getbranches(handleOf(c), &n) != 0) return nullptr;
  return PyLong_FromLong(n);
}

static PyObject *getidBody(WrapperCall &c) {
  int id = 0;
  if (!handleOf(c)) return newNone();
  if (QRVA_bo_getid(handleOf(c), &id) != 0) return nullptr;
  return PyLong_FromLong(id);
}

static PyObject *getlasterrorBody(WrapperCall &c) {
  char text[2048] = "";
  int code = 0, length = 0;
  if (QRVA_bo_getlasterror(handleOf(c), &code, text, (int)sizeof text, &length) != 0) return nullptr;
  text[sizeof text - 1] = '\0';
  return Py_BuildValue("(is)", code, text);
}

static PyObject *storeBody(WrapperCall &c) {
  int status = 0;
  if (QRVA_bo_store(handleOf(c), &status) != 0) return nullptr;
  /* The library owns the object now. */
  BRANCHOBJ(c.self)->handle = nullptr;
  return PyLong_FromLong(status);
}

static PyObject *validateBody(WrapperCall &c) {
  int status = 0;
  if (QRVA_bo_validate(handleOf(c), &status) != 0) return nullptr;
  return PyLong_FromLong(status);
}

/* Every method: a declaration for the skeleton, with the object's problem
 * naming the columns. */
#define BO_SPEC(name, format, body, prepare, ...) \
  static const WrapperSpec name{format, nullptr, CHECK_BEFORE, false, body, __VA_ARGS__, prepare, branchobjProblem}

static const WrapperArg kBranchArg{"ibranch", -1, -1, ARG_PLAIN, -1};

BO_SPEC(kAddbounds, "lOOO", addboundsBody, needHandle,
        {kBranchArg,
         {"bndtype", KIND_CHAR, 0, ARG_ARRAY, -1},
         {"bndcol", KIND_COL, 0, ARG_ARRAY, -1},
         {"bndval", KIND_DOUBLE, 0, ARG_ARRAY, -1}});
BO_SPEC(kAddbranches, "l", addbranchesBody, needHandle, {{"nbranches", -1, -1, ARG_PLAIN, -1}});
BO_SPEC(kAddcuts, "lO", addcutsBody, needHandle, {kBranchArg, {"cutind", KIND_CUT, 0, ARG_ARRAY, -1}});
BO_SPEC(kAddrows, "lOOOOO", addrowsBody, needHandle,
        {kBranchArg,
         {"rtype", KIND_CHAR, 0, ARG_ARRAY, -1},
         {"rhs", KIND_DOUBLE, 0, ARG_ARRAY, -1},
         {"beg", KIND_INT, 0, ARG_ARRAY, -1},
         {"mcol", KIND_COL, 1, ARG_ARRAY, -1},
         {"val", KIND_DOUBLE, 1, ARG_ARRAY, -1}});
BO_SPEC(kGetbounds, "llOOO", getboundsBody, needHandle,
        {kBranchArg,
         {"nbounds_size", -1, -1, ARG_PLAIN, -1},
         {"bndtype", KIND_CHAR, -1, ARG_OUTPUT, -1},
         {"bndcol", KIND_COL, -1, ARG_OUTPUT, -1},
         {"bndval", KIND_DOUBLE, -1, ARG_OUTPUT, -1}});
BO_SPEC(kGetrows, "lllOOOOO", getrowsBody, needHandle,
        {kBranchArg,
         {"nrows_size", -1, -1, ARG_PLAIN, -1},
         {"nelems_size", -1, -1, ARG_PLAIN, -1},
         {"rtype", KIND_CHAR, -1, ARG_OUTPUT, -1},
         {"rrhs", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
         {"rbeg", KIND_INT, -1, ARG_OUTPUT, -1},
         {"mcol", KIND_COL, -1, ARG_OUTPUT, -1},
         {"dval", KIND_DOUBLE, -1, ARG_OUTPUT, -1}});
BO_SPEC(kSetpreferredbranch, "l", setpreferredbranchBody, needHandle, {kBranchArg});
BO_SPEC(kSetpriority, "l", setpriorityBody, needHandle, {{"priority", -1, -1, ARG_PLAIN, -1}});
BO_SPEC(kGetbranches, "", getbranchesBody, nullptr, {});
BO_SPEC(kGetid, "", getidBody, nullptr, {});
BO_SPEC(kGetlasterror, "", getlasterrorBody, needHandle, {});
BO_SPEC(kStore, "", storeBody, needHandle, {});
BO_SPEC(kValidate, "", validateBody, needHandle, {});

static PyMethodDef branchobj_methods[] = {
    QRVA_WRAPPER("addbounds", kAddbounds,
                 QRVA_DOC("Adds bound changes to a branch.", "b.addbounds(ibranch, bndtype, bndcol, bndval)",
                          "ibranch: the branch (from 0); bndtype: 'L' (lower), 'U' (upper) or 'B' (both) per bound; "
                          "bndcol: the variables; bndval: the new bounds.",
                          "b.addbounds(0, ['U'], [x], [3])",
                          "The lists have one entry per bound change.", "addrows, getbounds")),
    QRVA_WRAPPER("addbranches", kAddbranches,
                 QRVA_DOC("Adds empty branches to the object.", "b.addbranches(nbranches)",
                          "nbranches: how many branches to add.", "b.addbranches(2)",
                          "Branches are numbered from 0 in the order they are added; each must get a bound, row or "
                          "cut before the object is stored.",
                          "getbranches, addbounds")),
    QRVA_WRAPPER("addcuts", kAddcuts,
                 QRVA_DOC("Adds cuts of the problem's cut pool to a branch.", "b.addcuts(ibranch, cutind)",
                          "ibranch: the branch; cutind: a list of quorva.poolcut objects.",
                          "b.addcuts(1, cuts)", "The child node of the branch gets the cuts as rows.",
                          "quorva.problem.storecuts, addrows")),
    QRVA_WRAPPER("addrows", kAddrows,
                 QRVA_DOC("Adds rows to a branch.", "b.addrows(ibranch, rtype, rhs, beg, mcol, val)",
                          "ibranch: the branch; rtype: 'L', 'G' or 'E' per row; rhs: right-hand sides; beg: where "
                          "each row's elements start in mcol and val; mcol: variables; val: coefficients.",
                          "b.addrows(0, ['L'], [1], [0], [x, y], [1, 1])",
                          "The child node of the branch gets the rows.", "addbounds, getrows")),
    QRVA_WRAPPER("getbounds", kGetbounds,
                 QRVA_DOC("Reads the bound changes of a branch.",
                          "b.getbounds(ibranch, nbounds_size, bndtype, bndcol, bndval)",
                          "ibranch: the branch; nbounds_size: the most bounds wanted; bndtype, bndcol, bndval: lists "
                          "for the types, variables and values (any may be None).",
                          "t, v, x = [], [], []\n  b.getbounds(0, 10, t, v, x)",
                          "At most nbounds_size bounds are written.", "addbounds, getrows")),
    QRVA_WRAPPER("getbranches", kGetbranches,
                 QRVA_DOC("Returns the number of branches.", "n = b.getbranches()", "none.",
                          "n = b.getbranches()", "0 for an object that holds no optimizer object (stored, or "
                          "handed back from a callback).",
                          "addbranches")),
    QRVA_WRAPPER("getid", kGetid,
                 QRVA_DOC("Returns the identifier of the object.", "i = b.getid()", "none.", "i = b.getid()",
                          "The node it branches for the object a chgbranchobject callback gets, 0 for one made in "
                          "Python; None once the object was stored or handed back.",
                          "store")),
    QRVA_WRAPPER("getlasterror", kGetlasterror,
                 QRVA_DOC("Returns the object's last error.", "code, text = b.getlasterror()", "none.",
                          "code, text = b.getlasterror()", "Code 0 and an empty text when nothing failed.",
                          "quorva.problem.getlasterror")),
    QRVA_WRAPPER("getrows", kGetrows,
                 QRVA_DOC("Reads the rows of a branch.",
                          "b.getrows(ibranch, nrows_size, nelems_size, rtype, rrhs, rbeg, mcol, dval)",
                          "ibranch: the branch; nrows_size, nelems_size: the most rows and elements wanted; rtype, "
                          "rrhs, rbeg, mcol, dval: lists for the types, right-hand sides, starts, variables and "
                          "coefficients (any may be None).",
                          "t, r, s, c, v = [], [], [], [], []\n  b.getrows(0, 5, 20, t, r, s, c, v)",
                          "A row is written with all its elements or not at all; a range reads as a 'G' and an 'L' "
                          "row.",
                          "addrows, getbounds")),
    QRVA_WRAPPER("setpreferredbranch", kSetpreferredbranch,
                 QRVA_DOC("Chooses the branch explored first.", "b.setpreferredbranch(ibranch)",
                          "ibranch: the branch.", "b.setpreferredbranch(1)",
                          "By default the first branch is explored first.", "setpriority")),
    QRVA_WRAPPER("setpriority", kSetpriority,
                 QRVA_DOC("Sets the priority of the object.", "b.setpriority(priority)",
                          "priority: an integer; lower values come first.", "b.setpriority(-1)",
                          "Of several objects stored at one node, the one of least priority value branches it.",
                          "store")),
    QRVA_WRAPPER("store", kStore,
                 QRVA_DOC("Hands the object to the tree search at the current node.", "status = b.store()", "none.",
                          "status = b.store()",
                          "Called in a node callback on an object made for the callback's problem. Returns 0 when "
                          "the object branches the node, else the reason it cannot (1: no branches, 2: a branch that "
                          "changes nothing); the optimizer owns the object from then on.",
                          "validate, quorva.problem.addcboptnode")),
    QRVA_WRAPPER("validate", kValidate,
                 QRVA_DOC("Checks whether the object can branch a node.", "status = b.validate()", "none.",
                          "status = b.validate()",
                          "0 when it can; 1: it has no branches; 2: a branch changes nothing.", "store")),
    {nullptr, nullptr, 0, nullptr}};

PyTypeObject quorva_branchobjType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.branchobj", /* tp_name */
    sizeof(branchobj_s),                                   /* tp_basicsize */
};

void branchobj_prepareType() {
  quorva_branchobjType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_branchobjType.tp_doc = QRVA_DOC(
      "A branching object: the branches the tree search explores at a node instead of its own.",
      "quorva.branchobj(prob, branches=None, isoriginal=True)",
      "prob: the problem (in a callback, the problem the callback is given); branches: a list with one entry per "
      "branch, each a constraint or a list of constraints; isoriginal: True for the problem's own columns.",
      "b = quorva.branchobj(p, [[x <= 3], [x >= 4]])",
      "A constraint on one variable becomes a bound change, any other linear constraint a row of the branch.",
      "quorva.problem.addcbchgbranchobject, quorva.problem.addcboptnode");
  quorva_branchobjType.tp_init = QRVA_ENTRY(branchobj_init);
  quorva_branchobjType.tp_dealloc = QRVA_DEALLOC(branchobj_dealloc);
  quorva_branchobjType.tp_methods = branchobj_methods;
}
