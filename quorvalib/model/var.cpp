/* quorva.var: construction, members, printing, hash and the operators of a
 * decision variable. Operators never change a variable. */
#include "model/var.h"

#include "model/constraint.h"
#include "model/expression.h"
#include "model/linterm.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/env.h"
#include "module/helpers.h"
#include "nonlinear/nonlinear.h"

#include <climits>
#include <structmember.h>

namespace {

const double kInfinity = 1e20;
const double kBoundTolerance = 1e-6;
const int kBinary = 1;

var_s *asVar(PyObject *o) { return reinterpret_cast<var_s *>(o); }

uint32_t drawSerial() {
  LockGuard guard(lock_varserial);
  return qrv_py_env.next_var_serial++;
}

PyObject *newFloat(double value) { return PyFloat_FromDouble(value); }

PyObject *same(PyObject *o) {
  Py_INCREF(o);
  return o;
}

bool sameVariable(PyObject *x, PyObject *y) { return VAR_SERIAL(x) == VAR_SERIAL(y); }

}  // namespace

/* ---- construction ---- */

PyObject *var_new() {
  var_s *v = PyObject_New(var_s, &quorva_varType);
  if (!v) return nullptr;
  v->serial = drawSerial();
  v->name = nullptr;
  v->lb = 0.0;
  v->ub = kInfinity;
  v->threshold = -kInfinity;
  v->vartype = 0;
  v->changed = 0;
  return reinterpret_cast<PyObject *>(v);
}

PyObject *var_base() {
  PyRef v(var_new());
  if (!v) return nullptr;
  asVar(v.get())->name = PyUnicode_FromFormat("C%u", asVar(v.get())->serial);
  if (!asVar(v.get())->name) return nullptr;
  return v.release();
}

PyObject *var_copy(PyObject *variable, double factor) {
  if (factor == 1.0) return same(variable);
  if (factor == 0.0) return newFloat(0.0);
  return linterm_fill(factor, variable);
}

static int var_init(PyObject *self, PyObject *args, PyObject *kwds) {
  static const char *keywords[] = {"name", "lb", "ub", "threshold", "vartype", nullptr};
  var_s *v = asVar(self);
  /* A variable keeps its serial for life: coefficient maps are ordered by
   * it, so calling __init__ again must not move it. */
  if (v->serial == 0) v->serial = drawSerial();
  PyObject *name = nullptr;
  double lb = 0.0, ub = kInfinity, threshold = v->threshold;
  int vartype = 0;
  if (!PyArg_ParseTupleAndKeywords(args, kwds, "|Odddi", const_cast<char **>(keywords), &name, &lb, &ub,
                                   &threshold, &vartype))
    return -1;
  if (refuseNaNBounds({lb, ub, threshold}) != 0) return -1;
  if (lb > ub + kBoundTolerance) {
    modelError("Variable has empty feasible set: lower bound > upper bound");
    return -1;
  }
  if (vartype == kBinary) {
    if (lb < 0.0) lb = 0.0;
    if (ub > 1.0) ub = 1.0;
  }
  PyObject *newName;
  if (!name || name == Py_None) {
    newName = PyUnicode_FromFormat("C%u", v->serial);
    if (!newName) return -1;
  } else if (PyUnicode_Check(name) || PyBytes_Check(name)) {
    newName = same(name);
  } else {
    modelError("Invalid variable name (must be a string)");
    return -1;
  }
  v->lb = lb;
  v->ub = ub;
  v->threshold = threshold;
  v->vartype = vartype;
  markChanged(&v->changed); /* a second __init__ may change an added variable */
  Py_XSETREF(v->name, newName);
  return 0;
}

static void var_dealloc(PyObject *self) {
  Py_XDECREF(asVar(self)->name);
  Py_TYPE(self)->tp_free(self);
}

/* ---- printing and hash ---- */

PyObject *var_nameText(PyObject *variable) {
  PyObject *name = asVar(variable)->name;
  if (!name) return PyUnicode_FromFormat("C%u", asVar(variable)->serial);
  if (PyUnicode_Check(name)) return same(name);
  if (PyBytes_Check(name))
    return PyUnicode_DecodeASCII(PyBytes_AS_STRING(name), PyBytes_GET_SIZE(name), "backslashreplace");
  return PyObject_Str(name);
}

static PyObject *var_str(PyObject *self) { return setQrvaErrIfNull(nullptr, var_nameText(self)); }

/* <quorva.var x [0, 10] integer>, with the threshold of the semi and
 * partially integer types. */
static PyObject *var_repr(PyObject *self) {
  static const char *const kTypeNames[] = {"continuous",  "binary",      "integer",
                                           "semicontinuous", "semiinteger", "partiallyinteger"};
  const var_s *v = asVar(self);
  PyRef name(var_nameText(self));
  if (!name) return setQrvaErrIfNull(nullptr, nullptr);
  bool known = v->vartype >= 0 && v->vartype < 6;
  std::string detail = "[" + boundText(v->lb) + ", " + boundText(v->ub) + "] " +
                       (known ? kTypeNames[v->vartype] : "type " + std::to_string(v->vartype));
  if (v->vartype >= 3) detail += " threshold " + boundText(v->threshold);
  return setQrvaErrIfNull(nullptr, objectRepr(self, PyUnicode_FromFormat("%U %s", name.get(), detail.c_str())));
}

static Py_hash_t var_hash(PyObject *self) { return static_cast<Py_hash_t>(asVar(self)->serial); }

/* ---- operators ---- */

/* The steps every binary operator takes before its own table: an array on
 * the right goes to NumPy; a term, expression or nonlinear operand hands
 * the operation to its class (commutative operators with the operands
 * swapped when the right one is the higher). Returns true when handled. */
static bool handOver(BinaryOp op, PyObject *left, PyObject *right, int *kl, int *kr, PyObject **result) {
  if (isNumpyArray(right)) {
    *result = array_handover(op, left, right);
    return true;
  }
  *kl = operandKind(left);
  if (*kl >= KIND_LINTERM) {
    *result = class_binary(*kl, op, left, right);
    return true;
  }
  *kr = operandKind(right);
  if (*kr >= KIND_LINTERM) {
    bool commutes = op == BINOP_ADD || op == BINOP_MUL;
    *result = commutes ? class_binary(*kr, op, right, left) : class_binary(*kr, op, left, right);
    return true;
  }
  return false;
}

static PyObject *varAlgebra(BinaryOp op, PyObject *left, PyObject *right);

PyObject *var_add(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, varAlgebra(BINOP_ADD, l, r)); }
PyObject *var_sub(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, varAlgebra(BINOP_SUB, l, r)); }
PyObject *var_mul(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, varAlgebra(BINOP_MUL, l, r)); }
PyObject *var_div(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, varAlgebra(BINOP_DIV, l, r)); }
PyObject *var_pow(PyObject *l, PyObject *r, PyObject *) {
  return setQrvaErrIfNull(nullptr, varAlgebra(BINOP_POW, l, r));
}

static const char kAllocFailure[] = "Could not allocate an object of type Variable";

/* x + y, c + x, x + c */
static PyObject *varSum(PyObject *l, PyObject *r, int kl, int kr) {
  double c;
  if (kl == KIND_VARIABLE && kr == KIND_VARIABLE) {
    if (sameVariable(l, r)) return linterm_fill(2.0, l);
    return expression_fromLinear(0.0, l, 1.0, r, 1.0, kAllocFailure);
  }
  if (kl == KIND_CONSTANT && kr == KIND_VARIABLE) {
    if (constantValue(l, &c) != 0) return nullptr;
    return expression_fromLinear(c, r, 1.0, nullptr, 0.0, kAllocFailure);
  }
  if (kl == KIND_VARIABLE && kr == KIND_CONSTANT) {
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 0.0) return same(l);
    return expression_fromLinear(c, l, 1.0, nullptr, 0.0, kAllocFailure);
  }
  return modelError("Invalid operands in addition");
}

/* x - y, c - x, x - c */
static PyObject *varDifference(PyObject *l, PyObject *r, int kl, int kr) {
  double c;
  if (kl == KIND_VARIABLE && kr == KIND_VARIABLE) {
    if (sameVariable(l, r)) return newFloat(0.0);
    return expression_fromLinear(0.0, l, 1.0, r, -1.0, kAllocFailure);
  }
  if (kl == KIND_CONSTANT && kr == KIND_VARIABLE) {
    if (constantValue(l, &c) != 0) return nullptr;
    return expression_fromLinear(c, r, -1.0, nullptr, 0.0, kAllocFailure);
  }
  if (kl == KIND_VARIABLE && kr == KIND_CONSTANT) {
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 0.0) return same(l);
    return expression_fromLinear(-c, l, 1.0, nullptr, 0.0, kAllocFailure);
  }
  return modelError("Invalid operands in subtraction");
}

/* x * y, c * x, x * c */
static PyObject *varProduct(PyObject *l, PyObject *r, int kl, int kr) {
  if (kl == KIND_VARIABLE && kr == KIND_VARIABLE) return quadterm_fill(1.0, l, r);
  PyObject *x, *constant;
  if (kl == KIND_VARIABLE && kr == KIND_CONSTANT) {
    x = l;
    constant = r;
  } else if (kl == KIND_CONSTANT && kr == KIND_VARIABLE) {
    x = r;
    constant = l;
  } else {
    return modelError("Invalid operands in multiplication");
  }
  double c;
  if (constantValue(constant, &c) != 0) return nullptr;
  if (c == 0.0) return newFloat(0.0);
  if (c == 1.0) return same(x);
  return linterm_fill(c, x);
}

/* x / c, c / x, x / y */
static PyObject *varQuotient(PyObject *l, PyObject *r, int kl, int kr) {
  double c;
  if (kl == KIND_VARIABLE && kr == KIND_CONSTANT) {
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 0.0) return modelError("Division of variable by zero");
    if (c == 1.0) return same(l);
    return linterm_fill(1.0 / c, l);
  }
  if (kl == KIND_CONSTANT && kr == KIND_VARIABLE) {
    if (constantValue(l, &c) != 0) return nullptr;
    if (c == 0.0) return newFloat(0.0);
    return nonlin_instantiate_binary(NONLIN_DIV, l, r);
  }
  if (kl == KIND_VARIABLE && kr == KIND_VARIABLE) {
    if (sameVariable(l, r)) return newFloat(1.0);
    return nonlin_instantiate_binary(NONLIN_DIV, l, r);
  }
  return modelError("Invalid operands in division");
}

/* x ** c, c ** x, x ** y */
static PyObject *varPower(PyObject *l, PyObject *r, int kl, int kr) {
  if (kl == KIND_VARIABLE && kr == KIND_CONSTANT) {
    double c;
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 1.0) return same(l);
    if (c == 0.0) return newFloat(1.0);
    if (c == 2.0) return quadterm_fill(1.0, l, l);
    return nonlin_instantiate_binary(NONLIN_POW, l, r);
  }
  if ((kl == KIND_CONSTANT && kr == KIND_VARIABLE) || (kl == KIND_VARIABLE && kr == KIND_VARIABLE))
    return nonlin_instantiate_binary(NONLIN_POW, l, r);
  return modelError("Invalid operands in power");
}

static PyObject *varAlgebra(BinaryOp op, PyObject *left, PyObject *right) {
  int kl = KIND_INVALID, kr = KIND_INVALID;
  PyObject *result;
  if (handOver(op, left, right, &kl, &kr, &result)) return result;
  switch (op) {
    case BINOP_ADD:
      return varSum(left, right, kl, kr);
    case BINOP_SUB:
      return varDifference(left, right, kl, kr);
    case BINOP_MUL:
      return varProduct(left, right, kl, kr);
    case BINOP_DIV:
      return varQuotient(left, right, kl, kr);
    case BINOP_POW:
      return varPower(left, right, kl, kr);
  }
  return modelError("Invalid object in operation");
}

PyObject *var_neg(PyObject *self) { return setQrvaErrIfNull(nullptr, linterm_fill(-1.0, self)); }

static PyObject *var_abs(PyObject *self) {
  return setQrvaErrIfNull(nullptr, nonlin_instantiate_unary(NONLIN_ABS, self));
}

/* In-place operators return a result for Python to bind and leave the
 * variable as it is; only division differs from the binary operator, in
 * its message for a zero divisor. */
PyObject *var_idiv(PyObject *left, PyObject *right) {
  if (!isNumpyArray(right) && operandKind(right) == KIND_CONSTANT) {
    int zero = constantEquals(right, 0.0);
    if (zero < 0) return nullptr;
    if (zero) return setQrvaErrIfNull(nullptr, modelError("Division by zero"));
  }
  return var_div(left, right);
}

/* ---- the class ---- */

/* Names are str or bytes, as the constructor takes them: a variable then
 * never holds an object that could lead back to it, so variables (made by
 * the million) stay outside the cycle collector. */
static PyObject *var_getName(PyObject *self, void *) {
  PyObject *name = asVar(self)->name;
  if (!name) return var_nameText(self);
  Py_INCREF(name);
  return name;
}

static int var_setName(PyObject *self, PyObject *value, void *) {
  if (!value || !(PyUnicode_Check(value) || PyBytes_Check(value))) {
    modelError("Invalid variable name (must be a string)");
    return -1;
  }
  Py_INCREF(value);
  Py_XSETREF(asVar(self)->name, value);
  return 0;
}

static PyObject *var_getType(PyObject *self, void *) { return PyLong_FromLong(asVar(self)->vartype); }

static int var_setType(PyObject *self, PyObject *value, void *) {
  if (!value) {
    PyErr_SetString(PyExc_TypeError, "The variable type cannot be deleted");
    return -1;
  }
  /* As CPython converts to a C int (its function for it is public only from 3.13). */
  long wide = PyLong_AsLong(value);
  if (wide == -1 && PyErr_Occurred()) return -1;
  if (wide < INT_MIN || wide > INT_MAX) {
    PyErr_SetString(PyExc_OverflowError, "Python int too large to convert to C int");
    return -1;
  }
  int type = static_cast<int>(wide);
  if (asVar(self)->vartype != type) {
    asVar(self)->vartype = type;
    markChanged(&asVar(self)->changed);
  }
  return 0;
}

/* Bounds, threshold and type: every problem holding the variable sends a
 * change to the library before its next solve, write or copy. */
static StampedField var_lbField{offsetof(var_s, lb), offsetof(var_s, changed)};
static StampedField var_ubField{offsetof(var_s, ub), offsetof(var_s, changed)};
static StampedField var_thresholdField{offsetof(var_s, threshold), offsetof(var_s, changed)};

static PyGetSetDef var_getset[] = {
    {const_cast<char *>("name"), QRVA_ENTRY(var_getName), QRVA_ENTRY(var_setName),
     const_cast<char *>("The variable's name (str or bytes)."), nullptr},
    {const_cast<char *>("lb"), QRVA_ENTRY(stampedDouble_get), QRVA_ENTRY(stampedDouble_set),
     const_cast<char *>("Lower bound."), &var_lbField},
    {const_cast<char *>("ub"), QRVA_ENTRY(stampedDouble_get), QRVA_ENTRY(stampedDouble_set),
     const_cast<char *>("Upper bound."), &var_ubField},
    {const_cast<char *>("threshold"), QRVA_ENTRY(stampedDouble_get), QRVA_ENTRY(stampedDouble_set),
     const_cast<char *>("Threshold of a semi-continuous, semi-integer or partially integer variable."),
     &var_thresholdField},
    {const_cast<char *>("vartype"), QRVA_ENTRY(var_getType), QRVA_ENTRY(var_setType),
     const_cast<char *>("Variable type: quorva.continuous, binary, integer, semicontinuous, semiinteger or "
                        "partiallyinteger."),
     nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};


static PyNumberMethods var_number;

PyTypeObject quorva_varType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.var", /* tp_name */
    sizeof(var_s),                                  /* tp_basicsize */
};

void var_prepareType() {
  var_number.nb_add = QRVA_ENTRY(var_add);
  var_number.nb_subtract = QRVA_ENTRY(var_sub);
  var_number.nb_multiply = QRVA_ENTRY(var_mul);
  var_number.nb_true_divide = QRVA_ENTRY(var_div);
  var_number.nb_power = QRVA_ENTRY(var_pow);
  var_number.nb_negative = QRVA_ENTRY(var_neg);
  var_number.nb_absolute = QRVA_ENTRY(var_abs);
  var_number.nb_inplace_true_divide = QRVA_ENTRY(var_idiv);

  quorva_varType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_varType.tp_doc = QRVA_DOC(
      "A decision variable of an optimization problem.",
      "quorva.var(name=None, lb=0, ub=quorva.infinity, threshold=0, vartype=quorva.continuous)",
      "name: a str or bytes name (default C<serial>); lb, ub: bounds; threshold: the threshold of a "
      "semi-continuous, semi-integer or partially integer variable; vartype: the type.",
      "x = quorva.var(name='x', ub=10); y = quorva.var(vartype=quorva.binary)",
      "Variables exist without a problem and are combined with +, -, *, /, ** into terms and expressions.",
      "quorva.problem.addVariable, quorva.constraint");
  quorva_varType.tp_dealloc = QRVA_DEALLOC(var_dealloc);
  quorva_varType.tp_init = QRVA_ENTRY(var_init);
  quorva_varType.tp_str = QRVA_ENTRY(var_str);
  quorva_varType.tp_repr = QRVA_ENTRY(var_repr);
  quorva_varType.tp_hash = QRVA_ENTRY(var_hash);
  quorva_varType.tp_getset = var_getset;
  quorva_varType.tp_richcompare = QRVA_ENTRY(modeling_richcompare);
  quorva_varType.tp_as_number = &var_number;
}
