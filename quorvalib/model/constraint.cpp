/* quorva.constraint: construction from explicit arguments, copies, the
 * comparison that turns two modeling operands into a constraint, and the
 * sense and right-hand side the optimizer library needs. */
#include "model/constraint.h"

#include "model/expression.h"
#include "model/linterm.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/env.h"
#include "module/helpers.h"
#include "nonlinear/nonlinear.h"

#include <structmember.h>

namespace {

const double kInfinity = 1e20;
const double kBoundTolerance = 1e-6;
/* Markers of an argument that was not passed. */
const double kNoLowerBound = -2e20;
const double kNoUpperBound = 2e20;
const double kNoRhs = -2e20;

enum Sense { SENSE_LEQ = 1, SENSE_GEQ = 2, SENSE_EQ = 3, SENSE_RANGE = 4 };

uint32_t drawSerial() {
  LockGuard guard(lock_conserial);
  return qrv_py_env.next_con_serial++;
}

PyObject *same(PyObject *o) {
  Py_INCREF(o);
  return o;
}

}  // namespace

/* ---- construction ---- */

static PyObject *newConstraint(PyTypeObject *type) {
  PyObject *self = type->tp_alloc(type, 0);
  if (!self) return nullptr;
  constraint_s *c = CONSTRAINT(self);
  c->serial = drawSerial();
  c->lb = -kInfinity;
  c->ub = kInfinity;
  return self;
}

PyObject *constraint_base() {
  PyRef c(newConstraint(&quorva_constraintType));
  if (!c) return nullptr;
  CONSTRAINT(c.get())->name = PyUnicode_FromFormat("R%u", CONSTRAINT(c.get())->serial);
  return CONSTRAINT(c.get())->name ? c.release() : nullptr;
}

/* The element of an array at index 0 in every dimension. */
static PyObject *firstElement(PyObject *array) {
  PyArrayObject *a = reinterpret_cast<PyArrayObject *>(array);
  if (PyArray_SIZE(a) == 0) return modelError("Invalid expression passed as body of constraint");
  return PyArray_GETITEM(a, PyArray_BYTES(a));
}

static int constraint_init(PyObject *self, PyObject *args, PyObject *kwds) {
  static const char *keywords[] = {"constraint", "body", "lb", "ub", "sense", "rhs", "name", nullptr};
  constraint_s *c = CONSTRAINT(self);
  /* Rows of problems are keyed by the serial: a second __init__ keeps it. */
  if (c->serial == 0) c->serial = drawSerial();
  PyObject *source = nullptr, *body = nullptr, *name = nullptr;
  double lb = kNoLowerBound, ub = kNoUpperBound, rhs = kNoRhs;
  long sense = 0;
  if (!PyArg_ParseTupleAndKeywords(args, kwds, "|OOddldO", const_cast<char **>(keywords), &source, &body, &lb,
                                   &ub, &sense, &rhs, &name))
    return -1;

  PyRef newName(name && name != Py_None ? same(name) : PyUnicode_FromFormat("R%u", c->serial));
  if (!newName) return -1;
  Py_XSETREF(c->name, newName.release());

  PyRef newBody;
  if (body && body != Py_None) {
    newBody.reset(isNumpyArray(body) ? firstElement(body) : same(body));
    if (!newBody) return -1;
    if (operandKind(newBody.get()) == KIND_INVALID) {
      modelError("Invalid expression passed as body of constraint");
      return -1;
    }
  }

  if (source && source != Py_None) {
    if (!constraint_check(source)) {
      modelError(
          "Attempt to generate an empty constraint failed. Consider using quorva.constraint(body=..., sense=..., "
          "rhs=...) instead.");
      return -1;
    }
    constraint_s *from = CONSTRAINT(source);
    Py_XINCREF(from->body);
    Py_XSETREF(c->body, from->body);
    c->lb = from->lb;
    c->ub = from->ub;
    markChanged(&c->changed);
    return 0;
  }

  bool hasLb = lb != kNoLowerBound, hasUb = ub != kNoUpperBound;
  if (!newBody || (sense == 0 && !hasLb && !hasUb)) {
    modelError(
        "Arguments required for quorva.constraint(): constraint OR {body, lb and/or ub} OR {body,sense,rhs}.");
    return -1;
  }
  if (rhs != kNoRhs) {
    if (hasLb || hasUb) {
      modelError("Cannot create constraint by specifying both rhs AND either or both of lb/ub.");
      return -1;
    }
    if (sense == SENSE_LEQ)
      ub = rhs;
    else if (sense == SENSE_GEQ)
      lb = rhs;
    else
      lb = ub = rhs;
  }
  if (lb == kNoLowerBound) lb = -kInfinity;
  if (ub == kNoUpperBound) ub = kInfinity;
  if (lb > ub + kBoundTolerance) {
    modelError("Constraint defined infeasible: lower bound > upper bound");
    return -1;
  }
  Py_XSETREF(c->body, newBody.release());
  c->lb = lb;
  c->ub = ub;
  markChanged(&c->changed); /* a second __init__ may change an added constraint */
  return 0;
}

/* The name and the body may be any object (a nonlinear body holds user
 * functions, which may hold the constraint): constraints take part in the
 * cycle collector. */
static int constraint_traverse(PyObject *self, visitproc visit, void *arg) {
  Py_VISIT(CONSTRAINT(self)->name);
  Py_VISIT(CONSTRAINT(self)->body);
  return 0;
}

static int constraint_clear(PyObject *self) {
  Py_CLEAR(CONSTRAINT(self)->name);
  Py_CLEAR(CONSTRAINT(self)->body);
  return 0;
}

static void constraint_dealloc(PyObject *self) {
  PyObject_GC_UnTrack(self);
  constraint_clear(self);
  Py_TYPE(self)->tp_free(self);
}

/* The name; a name that is not a str is shown through str(). */
static PyObject *constraint_str(PyObject *self) {
  PyObject *name = CONSTRAINT(self)->name;
  if (!name) return PyUnicode_FromFormat("R%u", CONSTRAINT(self)->serial);
  return PyUnicode_Check(name) ? same(name) : PyObject_Str(name);
}

/* <quorva.constraint R1: x + y <= 5>: the name, then the body between
 * its bounds as it would be written. */
static PyObject *constraint_repr(PyObject *self) {
  const constraint_s *c = CONSTRAINT(self);
  PyRef name(constraint_str(self));
  PyRef body(c->body ? strippedStr(c->body) : PyUnicode_FromString("0"));
  if (!name || !body) return setQrvaErrIfNull(nullptr, nullptr);
  std::string before, after;
  if (c->lb == c->ub) {
    after = " == " + boundText(c->ub);
  } else if (c->lb <= -kInfinity && c->ub < kInfinity) {
    after = " <= " + boundText(c->ub);
  } else if (c->ub >= kInfinity && c->lb > -kInfinity) {
    after = " >= " + boundText(c->lb);
  } else {
    before = boundText(c->lb) + " <= ";
    after = " <= " + boundText(c->ub);
  }
  return setQrvaErrIfNull(nullptr, objectRepr(self, PyUnicode_FromFormat("%U: %s%U%s", name.get(), before.c_str(),
                                                                         body.get(), after.c_str())));
}

static PyObject *constraint_copy(PyObject *self, PyObject *) {
  constraint_s *from = CONSTRAINT(self);
  PyRef c(newConstraint(&quorva_constraintType));
  if (!c) return setQrvaErrIfNull(nullptr, nullptr);
  constraint_s *to = CONSTRAINT(c.get());
  to->lb = from->lb;
  to->ub = from->ub;
  if (from->body && !(to->body = general_copy(from->body, 1.0))) return setQrvaErrIfNull(nullptr, nullptr);
  to->name = PyUnicode_FromFormat("R%u_copy_%S", to->serial, from->name ? from->name : Py_None);
  if (!to->name) return setQrvaErrIfNull(nullptr, nullptr);
  return setQrvaErrIfNull(nullptr, c.release());
}

/* ---- comparison ---- */

/* left - right by the subtraction of left's class. */
static PyObject *difference(PyObject *left, PyObject *right) {
  switch (operandKind(left)) {
    case KIND_VARIABLE:
      return var_sub(left, right);
    case KIND_EXPRESSION:
      return expression_sub(left, right);
    case KIND_LINTERM:
      return linterm_sub(left, right);
    case KIND_QUADTERM:
      return quadterm_sub(left, right);
    case KIND_NONLINEAR:
      return nonlin_sub(left, right);
  }
  return modelError("Invalid constraint body");
}

/* Splits the constant off the body d (a new reference, replaced when the
 * body changes): on return d holds the body and *k the value the body is
 * compared with; *reversed is set when the body had to be negated (c - f
 * compared with 0 becomes f compared the other way with c). */
static int splitConstant(PyRef &d, PyObject *left, PyObject *right, double *k, bool *reversed) {
  *k = 0.0;
  *reversed = false;
  PyObject *body = d.get();
  int kind = operandKind(body);
  if (kind == KIND_EXPRESSION) {
    /* The subtraction may hand back an operand itself: amend a copy. */
    if (body == left || body == right) {
      d.reset(expression_copy(body, 1.0));
      if (!d) return -1;
    }
    *k = 0.0 - EXPRESSION(d.get())->constant; /* no -0.0 bound */
    EXPRESSION(d.get())->constant = 0.0;
    return 0;
  }
  if (kind == KIND_NONLINEAR) {
    nonlinear_s *node = NONLINEAR(body);
    if (node->op == NONLIN_SUM && PyList_Check(node->args) && PyList_GET_SIZE(node->args) > 1) {
      PyObject *list = node->args;
      Py_ssize_t last = PyList_GET_SIZE(list) - 1;
      PyObject *item = PyList_GET_ITEM(list, last);
      int itemKind = isNumpyArray(item) ? KIND_INVALID : operandKind(item);
      double c;
      PyRef linear; /* an expression linear part without its constant */
      if (itemKind == KIND_CONSTANT) {
        if (constantValue(item, &c) != 0) return -1;
      } else if (itemKind == KIND_EXPRESSION && EXPRESSION(item)->constant != 0.0) {
        /* The linear part's constant moves as well, so that every body is
         * kept free of constants; the part may be shared, so a copy loses it. */
        c = EXPRESSION(item)->constant;
        linear.reset(expression_copy(item, 1.0));
        if (!linear) return -1;
        EXPRESSION(linear.get())->constant = 0.0;
      } else {
        return 0;
      }
      /* A sum of our own making, but possibly shared: the body gets a list
       * of its own without the constant. */
      PyObject *items = PyList_GetSlice(list, 0, last);
      if (!items) return -1;
      if (linear && PyList_Append(items, linear.get()) != 0) {
        Py_DECREF(items);
        return -1;
      }
      PyRef sum(nonlin_create(NONLIN_SUM, items));
      Py_DECREF(items);
      if (!sum) return -1;
      d = std::move(sum);
      *k = 0.0 - c;
      return 0;
    }
    if (node->op == NONLIN_MINUS && PyTuple_Check(node->args) && PyTuple_GET_SIZE(node->args) == 2) {
      PyObject *f = PyTuple_GET_ITEM(node->args, 0), *g = PyTuple_GET_ITEM(node->args, 1);
      if (!isNumpyArray(g) && operandKind(g) == KIND_CONSTANT) {
        if (constantValue(g, k) != 0) return -1;
        d = PyRef::borrow(f);
      } else if (!isNumpyArray(f) && operandKind(f) == KIND_CONSTANT) {
        if (constantValue(f, k) != 0) return -1;
        *reversed = true;
        d = PyRef::borrow(g);
      }
    }
    return 0;
  }
  if (kind == KIND_INVALID) {
    modelError("Invalid constraint body");
    return -1;
  }
  return 0;
}

PyObject *make_constraint(PyObject *left, PyObject *right, int op) {
  PyRef constantLeft;
  if (!isNumpyArray(left) && !isNumpyArray(right) && operandKind(left) == KIND_CONSTANT &&
      operandKind(right) == KIND_CONSTANT) {
    constantLeft.reset(expression_copy(left, 1.0));
    if (!constantLeft) return nullptr;
    left = constantLeft.get();
  }
  PyRef d(difference(left, right));
  if (!d) return nullptr;
  double k;
  bool reversed;
  if (splitConstant(d, left, right, &k, &reversed) != 0) return nullptr;
  if (op == Py_LT || op == Py_GT || op == Py_NE)
    return modelError("Invalid constraint: cannot enforce f(x) != 0, f(x) > 0, or f(x) < 0");
  if (op != Py_LE && op != Py_GE && op != Py_EQ) return modelError("Invalid constraint: unrecognized comparison operator");
  PyRef c(constraint_base());
  if (!c) return nullptr;
  constraint_s *con = CONSTRAINT(c.get());
  if (reversed) op = op == Py_LE ? Py_GE : op == Py_GE ? Py_LE : op;
  if (op == Py_LE || op == Py_EQ) con->ub = k;
  if (op == Py_GE || op == Py_EQ) con->lb = k;
  con->body = d.release();
  return c.release();
}

PyObject *modeling_richcompare(PyObject *self, PyObject *other, int op) {
  /* NumPy compares an array with an object element by element through its
   * comparison loops, which come back here for each element. */
  if (isNumpyArray(self) || isNumpyArray(other)) Py_RETURN_NOTIMPLEMENTED;
  return setQrvaErrIfNull(nullptr, make_constraint(self, other, op));
}

void getRhsSense(PyObject *constraint, char *sense, double *rhs, double *range) {
  constraint_s *c = CONSTRAINT(constraint);
  bool hasLb = c->lb > -kInfinity, hasUb = c->ub < kInfinity;
  if (hasLb && hasUb) {
    if (c->lb != c->ub) {
      *sense = 'R';
      *rhs += c->ub;
      if (range) *range = c->ub - c->lb;
    } else {
      *sense = 'E';
      *rhs += c->lb;
    }
  } else if (hasLb) {
    *sense = 'G';
    *rhs += c->lb;
  } else if (hasUb) {
    *sense = 'L';
    *rhs += c->ub;
  } else {
    *sense = 'N';
  }
}

/* ---- truth value ---- */

/* A constraint has no truth value. Python would otherwise read
 * 2 <= x + y <= 4 as (2 <= x + y) and (x + y <= 4) and keep only the last
 * part, and list membership or index() would take any two objects for
 * equal. */
static int constraint_bool(PyObject *) {
  PyErr_SetString(PyExc_TypeError,
                  "A constraint has no truth value: a chained comparison such as 2 <= x + y <= 4 keeps only its "
                  "last part. Write a range as quorva.constraint(body=x + y, lb=2, ub=4) or as two constraints.");
  return -1;
}

static PyNumberMethods constraint_number;

/* ---- the class ---- */

static PyMethodDef constraint_methods[] = {
    {"copy", QRVA_METHOD(constraint_copy), METH_NOARGS,
     QRVA_DOC("A copy of the constraint, with a body of its own.", "d = c.copy()", "None.",
              "d = (x + y <= 1).copy()",
              "The copy has a new identity and the name R<serial>_copy_<old name>; changing an expression in the "
              "copied body leaves the original alone.",
              "quorva.constraint, quorva.problem.addConstraint")},
    {nullptr, nullptr, 0, nullptr},
};

/* Bounds: every problem holding the constraint sends a change to the
 * library before its next solve, write or copy. */
static StampedField constraint_lbField{offsetof(constraint_s, lb), offsetof(constraint_s, changed)};
static StampedField constraint_ubField{offsetof(constraint_s, ub), offsetof(constraint_s, changed)};

static PyGetSetDef constraint_getset[] = {
    {const_cast<char *>("lb"), QRVA_ENTRY(stampedDouble_get), QRVA_ENTRY(stampedDouble_set),
     const_cast<char *>("Lower bound; -quorva.infinity for none."), &constraint_lbField},
    {const_cast<char *>("ub"), QRVA_ENTRY(stampedDouble_get), QRVA_ENTRY(stampedDouble_set),
     const_cast<char *>("Upper bound; quorva.infinity for none."), &constraint_ubField},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

static PyMemberDef constraint_members[] = {
    {const_cast<char *>("name"), T_OBJECT, offsetof(constraint_s, name), 0, const_cast<char *>("The name.")},
    {const_cast<char *>("body"), T_OBJECT, offsetof(constraint_s, body), 0,
     const_cast<char *>("The body: a variable, term, expression, nonlinear expression or constant.")},
    {nullptr, 0, 0, 0, nullptr},
};

PyTypeObject quorva_constraintType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.constraint", /* tp_name */
    sizeof(constraint_s),                                  /* tp_basicsize */
};

void constraint_prepareType() {
  quorva_constraintType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC;
  quorva_constraintType.tp_doc = QRVA_DOC(
      "A constraint lb <= body <= ub.",
      "quorva.constraint(constraint=None, body=None, lb=None, ub=None, sense=None, rhs=None, name=None)",
      "constraint: a constraint whose body and bounds are taken over; body: the constrained expression; lb, ub: "
      "bounds; sense: quorva.leq, quorva.geq, quorva.eq or quorva.range, with rhs: the right-hand side; name: "
      "the name (default R<serial>).",
      "c = quorva.constraint(body=x + y, sense=quorva.leq, rhs=5); d = 2 * x + 3 <= 7",
      "Comparing modeling objects with <=, >= or == makes constraints too, also element by element over NumPy "
      "arrays.",
      "quorva.problem.addConstraint, quorva.var");
  quorva_constraintType.tp_init = QRVA_ENTRY(constraint_init);
  quorva_constraintType.tp_dealloc = QRVA_DEALLOC(constraint_dealloc);
  quorva_constraintType.tp_traverse = constraint_traverse;
  quorva_constraintType.tp_clear = constraint_clear;
  quorva_constraintType.tp_free = PyObject_GC_Del;
  quorva_constraintType.tp_str = QRVA_ENTRY(constraint_str);
  quorva_constraintType.tp_repr = QRVA_ENTRY(constraint_repr);
  quorva_constraintType.tp_methods = constraint_methods;
  quorva_constraintType.tp_members = constraint_members;
  quorva_constraintType.tp_getset = constraint_getset;
  constraint_number.nb_bool = QRVA_ENTRY(constraint_bool);
  quorva_constraintType.tp_as_number = &constraint_number;
}
