/* quorva.nonlinear: the nodes of expressions that are not linear or
 * quadratic, their arithmetic with its simplifications, the incremental sum
 * that keeps one linear part per sum, deep copies and printing.
 *
 * Ownership: the list of a sum or product belongs to its node alone, so the
 * in-place operators may change it. Items of such a list may be shared with
 * other objects and are never changed in place, with one exception: the
 * linear part of a sum (an expression) is amended in place when the list
 * holds its only reference, which keeps long accumulations linear in cost. */
#include "nonlinear/nonlinear.h"

#include "model/constraint.h"
#include "model/expression.h"
#include "model/operand.h"
#include "module/boundary.h"
#include "module/helpers.h"
#include "module/errors.h"

#include <string>

namespace {

struct OperatorInfo {
  const char *name;
  int arity; /* -1: any number of arguments */
  int style; /* 0 infix, -1 prefix function, 1 postfix */
};

/* Indexed by operator code. */
const OperatorInfo printToolArray[] = {
    {"+", -1, 0},      {"-", 2, 0},      {"-", 1, -1},     {"*", -1, 0},    {"/", 2, 0},     {"**", 2, 0},
    {"exp", 1, -1},    {"log", 1, -1},   {"log10", 1, -1}, {"sin", 1, -1},  {"cos", 1, -1},  {"tan", 1, -1},
    {"asin", 1, -1},   {"acos", 1, -1},  {"atan", 1, -1},  {"max", -1, -1}, {"min", -1, -1}, {"abs", 1, -1},
    {"sign", 1, -1},   {"erf", 1, -1},   {"erfc", 1, -1},  {"sqrt", 1, -1}, {"user", -1, -1}, {"user", -1, -1},
};
const int kOperatorCount = sizeof printToolArray / sizeof printToolArray[0];

const int kPrintDepth = 64;

PyObject *same(PyObject *o) {
  Py_INCREF(o);
  return o;
}

/* 1 when o is a constant equal to v, 0 when not, -1 on a read error. */
int constIs(PyObject *o, double v) {
  if (isNumpyArray(o) || operandKind(o) != KIND_CONSTANT) return 0;
  return constantEquals(o, v);
}

bool isNode(PyObject *o, int code) { return o && nonlinear_check(o) && NONLINEAR(o)->op == code; }
bool isSum(PyObject *o) { return isNode(o, NONLIN_SUM) && PyList_Check(NONLINEAR(o)->args); }
bool isProduct(PyObject *o) { return isNode(o, NONLIN_PROD) && PyList_Check(NONLINEAR(o)->args); }
bool isBinaryNode(PyObject *o, int code) {
  return isNode(o, code) && PyTuple_Check(NONLINEAR(o)->args) && PyTuple_GET_SIZE(NONLINEAR(o)->args) == 2;
}

/* A new node that takes over args (a new reference, released on failure). */
PyObject *newNode(int code, PyObject *args) {
  if (!args) return nullptr;
  nonlinear_s *node = PyObject_GC_New(nonlinear_s, &quorva_nonlinearType);
  if (!node) {
    Py_DECREF(args);
    return nullptr;
  }
  node->args = args;
  node->op = code;
  PyObject_GC_Track(node);
  return reinterpret_cast<PyObject *>(node);
}

/* A list of two, as a new reference. */
PyObject *pair(PyObject *a, PyObject *b) {
  PyObject *list = PyList_New(2);
  if (!list) return nullptr;
  PyList_SET_ITEM(list, 0, same(a));
  PyList_SET_ITEM(list, 1, same(b));
  return list;
}

/* Index of the linear part of a sum's list: the first item, from the last
 * backwards among the last three, that is not nonlinear; -1 when none. */
Py_ssize_t linearPartIndex(PyObject *list) {
  Py_ssize_t n = PyList_GET_SIZE(list);
  for (Py_ssize_t i = n - 1; i >= 0 && i >= n - 3; --i)
    if (operandKind(PyList_GET_ITEM(list, i)) != KIND_NONLINEAR) return i;
  return -1;
}

/* Removes item i of a list and returns it (a new reference). */
PyObject *popItem(PyObject *list, Py_ssize_t i) {
  PyObject *item = same(PyList_GET_ITEM(list, i));
  if (PySequence_DelItem(list, i) != 0) {
    Py_DECREF(item);
    return nullptr;
  }
  return item;
}

/* Appends and releases item (a new reference); -1 on failure. */
int appendNew(PyObject *list, PyObject *item) {
  if (!item) return -1;
  int rc = PyList_Append(list, item);
  Py_DECREF(item);
  return rc;
}

/* x * r for the incremental sum: r itself for 1, its negation for -1, else
 * r multiplied by the float x with the multiplication of r's kind. */
PyObject *times(PyObject *r, double x) {
  if (x == 1.0) return same(r);
  if (x == -1.0) return general_neg(r);
  int kind = getExprType(r);
  if (kind < 0) return nullptr;
  if (kind == KIND_CONSTANT) {
    double value;
    if (constantValue(r, &value) != 0) return nullptr;
    return PyFloat_FromDouble(x * value);
  }
  PyRef factor(PyFloat_FromDouble(x));
  return factor ? class_binary(kind, BINOP_MUL, r, factor.get()) : nullptr;
}

/* p + x * r for two operands that are not nonlinear, by the linear and
 * quadratic algebra. An expression p is changed in place only when the
 * caller holds its only reference. */
PyObject *linearSum(PyObject *p, PyObject *r, double x, int kp, int kr) {
  if (kp == KIND_EXPRESSION || kr == KIND_EXPRESSION) {
    if (kp == KIND_EXPRESSION && Py_REFCNT(p) == 1) return expression_incremental_alg_sum(p, r, x);
    return expression_alg_sum(p, r, x);
  }
  if (kp == KIND_CONSTANT && kr == KIND_CONSTANT) {
    double a, b;
    if (constantValue(p, &a) != 0 || constantValue(r, &b) != 0) return nullptr;
    return PyFloat_FromDouble(a + x * b);
  }
  PyRef scaled(times(r, x));
  return scaled ? PyNumber_Add(p, scaled.get()) : nullptr;
}

/* The nonlinear items of a sum's list as x * item, appended to target in
 * order, skipping the item at index skip. */
int appendScaledItems(PyObject *target, PyObject *items, Py_ssize_t skip, double x) {
  Py_ssize_t n = PyList_GET_SIZE(items);
  for (Py_ssize_t i = 0; i < n; ++i) {
    if (i == skip) continue;
    if (appendNew(target, times(PyList_GET_ITEM(items, i), x)) != 0) return -1;
  }
  return 0;
}

/* Appends a linear part unless it is the constant 0; releases it. */
int appendLinearPart(PyObject *list, PyObject *linear) {
  if (!linear) return 0;
  int zero = constIs(linear, 0.0);
  if (zero != 0) {
    Py_DECREF(linear);
    return zero < 0 ? -1 : 0;
  }
  return appendNew(list, linear);
}

/* A node of the same code whose list is a new list of the same items. */
PyObject *shallowListCopy(PyObject *node) {
  PyObject *list = PyList_GetSlice(NONLINEAR(node)->args, 0, PY_SSIZE_T_MAX);
  return newNode(NONLINEAR(node)->op, list);
}

}  // namespace

/* ---- creation ---- */

PyObject *nonlin_instantiate_unary(int code, PyObject *x) {
  if (operandKind(x) == KIND_INVALID || isNumpyArray(x))
    return PyErr_Format(qpy_model_exc, "Invalid object <%S> in unary operation", x ? x : Py_None);
  return newNode(code, same(x));
}

PyObject *nonlin_instantiate_binary(int code, PyObject *p, PyObject *q) {
  int kp = operandKind(p), kq = operandKind(q);
  if (kp == KIND_INVALID || kq == KIND_INVALID) {
    PyObject *bad = (kq == KIND_INVALID && kp != KIND_INVALID) ? q : p;
    return PyErr_Format(qpy_model_exc, "Invalid object <%S> in operation", bad ? bad : Py_None);
  }
  if (code == NONLIN_SUM || code == NONLIN_PROD)
    return newNode(code, kp == KIND_NONLINEAR ? pair(p, q) : pair(q, p));
  return newNode(code, PyTuple_Pack(2, p, q));
}

/* An argument of a module-function node: a known operand and no sequence. */
static bool validArgument(PyObject *o) {
  return operandKind(o) != KIND_INVALID && !isNumpyArray(o) && !PyList_Check(o) && !PyTuple_Check(o);
}

PyObject *nonlin_create(int code, PyObject *args) {
  if (code < 0 || code >= kOperatorCount) return modelError("Invalid nonlinear operator");
  if (printToolArray[code].arity == 1) {
    if (PyTuple_Check(args) || PyList_Check(args))
      return modelError("Could not create a unary nonlinear expression: the argument must be a single expression");
    if (!validArgument(args)) return modelError("Invalid object in unary operation");
    return newNode(code, same(args));
  }
  if (!PyTuple_Check(args) && !PyList_Check(args))
    return modelError("Could not create an n-ary nonlinear expression: the arguments must be in a list or tuple");
  Py_ssize_t n = PySequence_Fast_GET_SIZE(args);
  PyObject **items = PySequence_Fast_ITEMS(args);
  bool userFunction = code == NONLIN_USER || code == NONLIN_USER_DERIV;
  for (Py_ssize_t i = 0; i < n; ++i) {
    if (i == 0 && userFunction && PyCallable_Check(items[0])) continue;
    if (!validArgument(items[i])) return modelError("Invalid object in n-ary operation");
  }
  return newNode(code, same(args));
}

/* ---- argument access ---- */

Py_ssize_t nonlin_arg_size(PyObject *x) {
  if (!x || !nonlinear_check(x)) return -1;
  PyObject *args = NONLINEAR(x)->args;
  if (!args) return 0;
  if (PyTuple_Check(args) || PyList_Check(args)) return PySequence_Fast_GET_SIZE(args);
  return 1;
}

static PyObject *argumentAt(PyObject *x, Py_ssize_t i) {
  PyObject *args = NONLINEAR(x)->args;
  if (!args) return nullptr;
  if (PyTuple_Check(args) || PyList_Check(args))
    return i < PySequence_Fast_GET_SIZE(args) ? PySequence_Fast_ITEMS(args)[i] : nullptr;
  return i == 0 ? args : nullptr;
}

PyObject *nonlin_arg_first(PyObject *x, Py_ssize_t *i) {
  if (!x || !nonlinear_check(x))
    return modelError("Accessing first argument list of an object that is not a nonlinear expression");
  *i = 0;
  return argumentAt(x, 0);
}

PyObject *nonlin_arg_next(PyObject *x, Py_ssize_t *i) {
  if (!x || !nonlinear_check(x))
    return modelError("Accessing next argument list of an object that is not a nonlinear expression");
  ++*i;
  return argumentAt(x, *i);
}

/* ---- sums ---- */

PyObject *nonlin_incremental_alg_sum(PyObject *P, PyObject *R, double x) {
  if (!P || P == Py_None) return general_copy(R, x);
  if (x == 0.0) return same(P);
  int kP = getExprType(P);
  if (kP < 0) return nullptr;
  int kR = getExprType(R);
  if (kR < 0) return nullptr;

  int zero = constIs(P, 0.0);
  if (zero < 0) return nullptr;
  if (zero) return x == 1.0 ? same(R) : expression_copy(R, x);
  zero = constIs(R, 0.0);
  if (zero < 0) return nullptr;
  if (zero) return same(P);

  if (kP != KIND_NONLINEAR && kR != KIND_NONLINEAR) return linearSum(P, R, x, kP, kR);

  bool sumP = isSum(P), sumR = isSum(R);
  if (sumP) {
    PyObject *list = NONLINEAR(P)->args;
    /* A snapshot of R's items: R may be P itself. */
    PyRef rItems(sumR ? PyList_GetSlice(NONLINEAR(R)->args, 0, PY_SSIZE_T_MAX) : nullptr);
    if (sumR && !rItems) return nullptr;
    Py_ssize_t li = linearPartIndex(list);
    PyRef linear(li >= 0 ? popItem(list, li) : nullptr);
    if (li >= 0 && !linear) return nullptr;
    int rc = 0;
    if (!sumR) {
      if (kR == KIND_NONLINEAR || !linear)
        rc = appendNew(list, times(R, x));
      else
        linear.reset(nonlin_incremental_alg_sum(linear.get(), R, x));
    } else {
      Py_ssize_t rli = linearPartIndex(rItems.get());
      rc = appendScaledItems(list, rItems.get(), rli, x);
      if (rc == 0 && rli >= 0) {
        PyObject *rLinear = PyList_GET_ITEM(rItems.get(), rli);
        linear.reset(linear ? nonlin_incremental_alg_sum(linear.get(), rLinear, x) : times(rLinear, x));
      }
    }
    if (rc != 0 || PyErr_Occurred()) return nullptr;
    if (appendLinearPart(list, linear.release()) != 0) return nullptr;
    return same(P);
  }

  if (!sumR) {
    PyRef scaled(times(R, x));
    return scaled ? nonlin_instantiate_binary(NONLIN_SUM, P, scaled.get()) : nullptr;
  }

  /* P is no sum, R is: a new sum. */
  PyRef list(PyList_New(0));
  if (!list) return nullptr;
  if (kP == KIND_NONLINEAR && PyList_Append(list.get(), P) != 0) return nullptr;
  PyObject *rList = NONLINEAR(R)->args;
  Py_ssize_t rli = linearPartIndex(rList);
  if (appendScaledItems(list.get(), rList, rli, x) != 0) return nullptr;
  PyObject *linear = nullptr;
  if (kP != KIND_NONLINEAR) {
    if (rli >= 0) {
      PyObject *rLinear = PyList_GET_ITEM(rList, rli);
      linear = linearSum(P, rLinear, x, kP, operandKind(rLinear));
      if (!linear) return nullptr;
    } else {
      linear = same(P);
    }
  } else if (rli >= 0) {
    linear = times(PyList_GET_ITEM(rList, rli), x);
    if (!linear) return nullptr;
  }
  if (appendLinearPart(list.get(), linear) != 0) return nullptr;
  return newNode(NONLIN_SUM, list.release());
}

PyObject *nonlin_alg_sum(PyObject *p, PyObject *q, double s) {
  /* The incremental sum changes a sum's list and may amend an expression
   * it holds alone: give it its own top-level copy. Items are shared. */
  PyRef start;
  if (p && isSum(p))
    start.reset(shallowListCopy(p));
  else if (p && operandKind(p) == KIND_EXPRESSION)
    start.reset(expression_copy(p, 1.0));
  else
    start = PyRef::borrow(p);
  if (p && !start) return nullptr;
  return nonlin_incremental_alg_sum(start.get(), q, s);
}

PyObject *nonlin_add(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return setQrvaErrIfNull(nullptr, PyNumber_Add(q, p));
  return setQrvaErrIfNull(nullptr, nonlin_alg_sum(p, q, 1.0));
}

PyObject *nonlin_sub(PyObject *p, PyObject *q) {
  PyObject *result;
  if (isNumpyArray(q)) {
    result = array_handover(BINOP_SUB, p, q);
  } else {
    int zero = constIs(p, 0.0);
    int qzero = zero ? 0 : constIs(q, 0.0);
    if (zero < 0 || qzero < 0)
      result = nullptr;
    else if (zero)
      result = general_neg(q);
    else if (qzero)
      result = same(p);
    else if (isSum(p))
      result = nonlin_alg_sum(p, q, -1.0);
    else
      result = nonlin_instantiate_binary(NONLIN_MINUS, p, q);
  }
  return setQrvaErrIfNull(nullptr, result);
}

PyObject *nonlin_iadd(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return setQrvaErrIfNull(nullptr, PyNumber_Add(q, p));
  return setQrvaErrIfNull(nullptr, nonlin_incremental_alg_sum(p, q, 1.0));
}

PyObject *nonlin_isub(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return setQrvaErrIfNull(nullptr, array_handover(BINOP_SUB, p, q));
  return setQrvaErrIfNull(nullptr, nonlin_incremental_alg_sum(p, q, -1.0));
}

PyObject *nonlin_neg(PyObject *p) { return setQrvaErrIfNull(nullptr, nonlin_instantiate_unary(NONLIN_UMINUS, p)); }

static PyObject *nonlin_abs(PyObject *p) {
  return setQrvaErrIfNull(nullptr, nonlin_instantiate_unary(NONLIN_ABS, p));
}

/* ---- products, quotients, powers ---- */

static PyObject *product(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return PyNumber_Multiply(q, p);
  int pz = constIs(p, 0.0), qz = constIs(q, 0.0);
  if (pz < 0 || qz < 0) return nullptr;
  if (pz || qz) return PyFloat_FromDouble(0.0);
  int c;
  if ((c = constIs(p, 1.0)) != 0) return c < 0 ? nullptr : same(q);
  if ((c = constIs(q, 1.0)) != 0) return c < 0 ? nullptr : same(p);
  if ((c = constIs(p, -1.0)) != 0) return c < 0 ? nullptr : general_neg(q);
  if ((c = constIs(q, -1.0)) != 0) return c < 0 ? nullptr : general_neg(p);
  return nonlin_instantiate_binary(NONLIN_PROD, p, q);
}

PyObject *nonlin_mul(PyObject *p, PyObject *q) { return setQrvaErrIfNull(nullptr, product(p, q)); }

static PyObject *inverseTimes(PyObject *p, PyObject *q) { return array_handover(BINOP_DIV, p, q); }

static PyObject *quotient(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return inverseTimes(p, q);
  int c;
  if ((c = constIs(p, 0.0)) != 0) return c < 0 ? nullptr : PyFloat_FromDouble(0.0);
  if ((c = constIs(q, 0.0)) != 0) return c < 0 ? nullptr : modelError("Division by zero");
  if ((c = constIs(q, 1.0)) != 0) return c < 0 ? nullptr : same(p);
  return nonlin_instantiate_binary(NONLIN_DIV, p, q);
}

PyObject *nonlin_div(PyObject *p, PyObject *q) { return setQrvaErrIfNull(nullptr, quotient(p, q)); }

static const char kVectorExponent[] = "Cannot obtain a power with a vector as an exponent";

static PyObject *power(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return modelError(kVectorExponent);
  int c;
  if ((c = constIs(p, 0.0)) != 0) return c < 0 ? nullptr : PyFloat_FromDouble(0.0);
  if ((c = constIs(p, 1.0)) != 0) return c < 0 ? nullptr : PyFloat_FromDouble(1.0);
  if ((c = constIs(q, 0.0)) != 0) return c < 0 ? nullptr : PyFloat_FromDouble(1.0);
  if ((c = constIs(q, 1.0)) != 0) return c < 0 ? nullptr : same(p);
  return nonlin_instantiate_binary(NONLIN_POW, p, q);
}

PyObject *nonlin_pow(PyObject *p, PyObject *q, PyObject *) { return setQrvaErrIfNull(nullptr, power(p, q)); }

/* The trailing constant of a product's list, or NULL. */
static PyObject *trailingConstant(PyObject *list) {
  Py_ssize_t n = PyList_GET_SIZE(list);
  if (n == 0) return nullptr;
  PyObject *last = PyList_GET_ITEM(list, n - 1);
  return !isNumpyArray(last) && operandKind(last) == KIND_CONSTANT ? last : nullptr;
}

static PyObject *inplaceProduct(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return PyNumber_Multiply(q, p);
  if (!p || p == Py_None) return general_copy(q, 1.0);
  int c = constIs(p, 1.0);
  if (c < 0) return nullptr;
  if (c) return general_copy(q, 1.0);
  if (!isProduct(p)) return product(p, q);
  if (getExprType(q) < 0) return nullptr;

  PyObject *list = NONLINEAR(p)->args;
  PyObject *pConst = trailingConstant(list);
  double pc = 1.0;
  if (pConst && constantValue(pConst, &pc) != 0) return nullptr;

  if (isProduct(q)) {
    PyRef qItems(PyList_GetSlice(NONLINEAR(q)->args, 0, PY_SSIZE_T_MAX)); /* q may be p */
    if (!qItems) return nullptr;
    PyObject *qConst = trailingConstant(qItems.get());
    double qc = 1.0;
    if (qConst && constantValue(qConst, &qc) != 0) return nullptr;
    double k = pc * qc;
    if (k == 0.0) return PyFloat_FromDouble(0.0);
    if (pConst && PySequence_DelItem(list, PyList_GET_SIZE(list) - 1) != 0) return nullptr;
    Py_ssize_t n = PyList_GET_SIZE(qItems.get()) - (qConst ? 1 : 0);
    for (Py_ssize_t i = 0; i < n; ++i)
      if (PyList_Append(list, PyList_GET_ITEM(qItems.get(), i)) != 0) return nullptr;
    if (k != 1.0 && appendNew(list, PyFloat_FromDouble(k)) != 0) return nullptr;
    return same(p);
  }

  if (operandKind(q) == KIND_CONSTANT) {
    double qv;
    if (constantValue(q, &qv) != 0) return nullptr;
    double k = pc * qv;
    if (k == 0.0) return PyFloat_FromDouble(0.0);
    if (pConst && PySequence_DelItem(list, PyList_GET_SIZE(list) - 1) != 0) return nullptr;
    if (k != 1.0 && appendNew(list, PyFloat_FromDouble(k)) != 0) return nullptr;
    return same(p);
  }
  /* Keep the constant factor last. */
  if (pConst) {
    if (PyList_Insert(list, PyList_GET_SIZE(list) - 1, q) != 0) return nullptr;
  } else if (PyList_Append(list, q) != 0) {
    return nullptr;
  }
  return same(p);
}

PyObject *nonlin_imul(PyObject *p, PyObject *q) { return setQrvaErrIfNull(nullptr, inplaceProduct(p, q)); }

/* operand * q where operand is the denominator or exponent of a node: a
 * product gets q just before its last item (a new product unless the node
 * holds it alone), anything else is multiplied by the general product. */
static PyObject *extendFactor(PyObject *operand, PyObject *q) {
  if (isProduct(operand) && PyList_GET_SIZE(NONLINEAR(operand)->args) > 0) {
    PyRef target = Py_REFCNT(operand) == 1 ? PyRef::borrow(operand) : PyRef(shallowListCopy(operand));
    if (!target) return nullptr;
    PyObject *list = NONLINEAR(target.get())->args;
    if (PyList_Insert(list, PyList_GET_SIZE(list) - 1, q) != 0) return nullptr;
    return target.release();
  }
  return general_mul(operand, q);
}

/* Replaces the second item of a binary node by the product with q. */
static PyObject *extendSecond(PyObject *p, PyObject *q) {
  PyObject *args = NONLINEAR(p)->args;
  PyRef second(extendFactor(PyTuple_GET_ITEM(args, 1), q));
  if (!second) return nullptr;
  PyObject *replaced = PyTuple_Pack(2, PyTuple_GET_ITEM(args, 0), second.get());
  if (!replaced) return nullptr;
  Py_SETREF(NONLINEAR(p)->args, replaced);
  return same(p);
}

static PyObject *inplaceQuotient(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return inverseTimes(p, q);
  if (!isNumpyArray(q) && operandKind(q) == KIND_CONSTANT) {
    double v;
    if (constantValue(q, &v) != 0) return nullptr;
    if (v == 0.0) return modelError("Division by zero");
    if (v == 1.0) return same(p);
    PyRef inverse(PyFloat_FromDouble(1.0 / v));
    return inverse ? inplaceProduct(p, inverse.get()) : nullptr;
  }
  if (isBinaryNode(p, NONLIN_DIV)) {
    if (getExprType(q) < 0) return nullptr;
    return extendSecond(p, q);
  }
  return quotient(p, q);
}

PyObject *nonlin_idiv(PyObject *p, PyObject *q) { return setQrvaErrIfNull(nullptr, inplaceQuotient(p, q)); }

static PyObject *inplacePower(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return modelError(kVectorExponent);
  int c;
  if ((c = constIs(q, 0.0)) != 0) return c < 0 ? nullptr : PyFloat_FromDouble(1.0);
  if ((c = constIs(q, 1.0)) != 0) return c < 0 ? nullptr : same(p);
  if (isBinaryNode(p, NONLIN_POW)) {
    if (getExprType(q) < 0) return nullptr;
    return extendSecond(p, q);
  }
  return power(p, q);
}

PyObject *nonlin_ipow(PyObject *p, PyObject *q, PyObject *) {
  return setQrvaErrIfNull(nullptr, inplacePower(p, q));
}

/* ---- copies ---- */

/* Copies of the items of a tuple or list, in a new one of the same kind;
 * the callable of a user function is shared. */
static PyObject *copyArguments(PyObject *args, int code) {
  Py_ssize_t n = PySequence_Fast_GET_SIZE(args);
  bool tuple = PyTuple_Check(args);
  PyRef copy(tuple ? PyTuple_New(n) : PyList_New(n));
  if (!copy) return nullptr;
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject *item = PySequence_Fast_ITEMS(args)[i];
    PyObject *itemCopy;
    if (i == 0 && (code == NONLIN_USER || code == NONLIN_USER_DERIV) && PyCallable_Check(item))
      itemCopy = same(item);
    else
      itemCopy = general_copy(item, 1.0);
    if (!itemCopy) {
      if (!PyErr_ExceptionMatches(PyExc_RecursionError)) {
        PyErr_Clear();
        modelError("Invalid object being copied from argument list/tuple in a nonlinear expression");
      }
      return nullptr;
    }
    if (tuple)
      PyTuple_SET_ITEM(copy.get(), i, itemCopy);
    else
      PyList_SET_ITEM(copy.get(), i, itemCopy);
  }
  return copy.release();
}

/* Multiplies a fresh copy by f (f != 1). */
static PyObject *scaleCopy(PyRef copy, double f) {
  if (isProduct(copy.get())) {
    PyObject *list = NONLINEAR(copy.get())->args;
    Py_ssize_t n = PyList_GET_SIZE(list);
    if (n == 1) {
      PyObject *item = PyList_GET_ITEM(list, 0);
      if (operandKind(item) == KIND_CONSTANT) {
        double v;
        if (constantValue(item, &v) != 0) return nullptr;
        return PyFloat_FromDouble(f * v);
      }
      PyObject *factor = PyFloat_FromDouble(f);
      if (appendNew(list, factor) != 0) return nullptr;
      return copy.release();
    }
    /* A number among the first two items or in the trailing position takes
     * the factor; otherwise it becomes the new trailing constant. */
    Py_ssize_t candidates[3] = {0, 1, n - 1};
    for (Py_ssize_t i : candidates) {
      if (i < 0 || i >= n) continue;
      PyObject *item = PyList_GET_ITEM(list, i);
      if (isNumpyArray(item) || operandKind(item) != KIND_CONSTANT) continue;
      double v;
      if (constantValue(item, &v) != 0) return nullptr;
      PyObject *scaled = PyFloat_FromDouble(f * v);
      if (!scaled || PyList_SetItem(list, i, scaled) != 0) return nullptr;
      return copy.release();
    }
    if (appendNew(list, PyFloat_FromDouble(f)) != 0) return nullptr;
    return copy.release();
  }
  PyRef factor(PyFloat_FromDouble(f));
  if (!factor) return nullptr;
  return newNode(NONLIN_PROD, pair(copy.get(), factor.get()));
}

static PyObject *deepCopy(PyObject *x, double f) {
  if (!nonlinear_check(x)) return general_copy(x, f);
  nonlinear_s *node = NONLINEAR(x);
  if (f == 0.0) return PyFloat_FromDouble(0.0);
  if (f != 1.0 && node->op == NONLIN_UMINUS && node->args) return general_copy(node->args, -f);
  PyObject *args = node->args;
  PyRef argsCopy;
  if (!args) {
    return modelError("Invalid object being copied from single argument in a nonlinear expression");
  } else if (PyTuple_Check(args) || PyList_Check(args)) {
    argsCopy.reset(copyArguments(args, node->op));
  } else {
    argsCopy.reset(general_copy(args, 1.0));
    if (!argsCopy && !PyErr_ExceptionMatches(PyExc_RecursionError)) {
      PyErr_Clear();
      modelError("Invalid object being copied from single argument in a nonlinear expression");
    }
  }
  if (!argsCopy) return nullptr;
  PyRef copy(newNode(node->op, argsCopy.release()));
  if (!copy) return nullptr;
  if (f == 1.0) return copy.release();
  return scaleCopy(std::move(copy), f);
}

PyObject *nonlin_copy(PyObject *x, double f) {
  /* Copies recurse once per level of the tree: a tree deeper than the
   * interpreter's recursion limit raises RecursionError. */
  if (Py_EnterRecursiveCall(" while copying a nonlinear expression")) return nullptr;
  PyObject *result = deepCopy(x, f);
  Py_LeaveRecursiveCall();
  return result;
}

/* ---- printing ---- */

/* Where an operand stands: beside which infix operator, on which side;
 * PLACE_FREE is an argument of a function or of a unary operator. */
enum Place { PLACE_FREE, PLACE_SUM, PLACE_SUB_LEFT, PLACE_SUB_RIGHT, PLACE_MUL, PLACE_DIV_LEFT, PLACE_DIV_RIGHT,
             PLACE_POW_LEFT, PLACE_POW_RIGHT };

/* The place of argument i of an infix operator. */
static Place placeOf(int op, Py_ssize_t i) {
  switch (op) {
    case 0: return PLACE_SUM;
    case 1: return i == 0 ? PLACE_SUB_LEFT : PLACE_SUB_RIGHT;
    case 3: return PLACE_MUL;
    case 4: return i == 0 ? PLACE_DIV_LEFT : PLACE_DIV_RIGHT;
    case 5: return i == 0 ? PLACE_POW_LEFT : PLACE_POW_RIGHT;
    default: return PLACE_FREE;
  }
}

static int printObject(std::string &out, PyObject *o, int depth, Place place);

static int printNode(std::string &out, PyObject *self, int depth) {
  if (depth < 0) {
    out += "[MAX RECURS LEV]";
    return 0;
  }
  nonlinear_s *node = NONLINEAR(self);
  if (node->op < 0 || node->op >= kOperatorCount) {
    modelError("Invalid nonlinear expression");
    return -1;
  }
  const OperatorInfo &info = printToolArray[node->op];
  PyObject *args = node->args;
  bool sequence = args && (PyTuple_Check(args) || PyList_Check(args));
  if (info.arity == 1) {
    if (!args || sequence) {
      modelError("Invalid unary nonlinear expression");
      return -1;
    }
    if (info.style == -1) out.append(info.name).append(" (");
    else out += "(";
    if (printObject(out, args, depth - 1, PLACE_FREE) != 0) return -1;
    out += ")";
    if (info.style == 1) out.append(" ").append(info.name);
    return 0;
  }
  if (info.arity == 2) {
    if (!args || !PyTuple_Check(args) || PyTuple_GET_SIZE(args) != 2) {
      modelError("Invalid binary nonlinear expression");
      return -1;
    }
    if (info.style == -1) out.append(info.name).append(" ");
    out += "(";
    if (printObject(out, PyTuple_GET_ITEM(args, 0), depth - 1, info.style == 0 ? placeOf(node->op, 0) : PLACE_FREE) !=
        0)
      return -1;
    if (info.style == 0) out.append(" ").append(info.name).append(" ");
    else out += ", ";
    if (printObject(out, PyTuple_GET_ITEM(args, 1), depth - 1, info.style == 0 ? placeOf(node->op, 1) : PLACE_FREE) !=
        0)
      return -1;
    out += ")";
    if (info.style == 1) out.append(" ").append(info.name);
    return 0;
  }
  if (!sequence) {
    modelError("Invalid n-ary nonlinear expression");
    return -1;
  }
  if (info.style == -1) out.append(info.name).append(" ");
  out += "(";
  Py_ssize_t n = PySequence_Fast_GET_SIZE(args);
  for (Py_ssize_t i = 0; i < n; ++i) {
    if (i > 0) {
      if (info.style == 0) out.append(" ").append(info.name).append(" ");
      else out += ", ";
    }
    if (printObject(out, PySequence_Fast_ITEMS(args)[i], depth - 1,
                    info.style == 0 ? placeOf(node->op, i) : PLACE_FREE) != 0)
      return -1;
  }
  out += ")";
  if (info.style == 1) out.append(" ").append(info.name);
  return 0;
}

/* Operands print so that reading the text back gives the same formula. By
 * its form an operand is an atom (a name, a non-negative number, a function,
 * an infix node in its own parentheses), negative (a negative number, a
 * unary minus), a product ("2*x", "-x*y") or a sum ("1 + x"); it is enclosed
 * in parentheses where Python would otherwise bind it differently. */
static bool needsParentheses(const std::string &text, bool negativeAtom, int pieces, Place place) {
  bool power = place == PLACE_POW_LEFT || place == PLACE_POW_RIGHT;
  if (pieces > 1) return place != PLACE_FREE && place != PLACE_SUM && place != PLACE_SUB_LEFT;
  if (negativeAtom) return place == PLACE_POW_LEFT;
  bool product = text.find('*') != std::string::npos || (!text.empty() && text[0] == '-');
  return product && (power || place == PLACE_DIV_RIGHT);
}

static int printObject(std::string &out, PyObject *o, int depth, Place place) {
  int kind = operandKind(o);
  std::string text;
  int pieces = 1;
  bool negativeAtom = false;
  if (nonlinear_check(o)) {
    if (printNode(text, o, depth) != 0) return -1;
    negativeAtom = NONLINEAR(o)->op == 2;
    if (negativeAtom && place == PLACE_POW_LEFT) text = "(" + text + ")";
    out += text;
    return 0;
  }
  if (kind == KIND_INVALID && PyCallable_Check(o)) {
    out += "user";
    return 0;
  }
  if (kind == KIND_LINTERM || kind == KIND_QUADTERM || kind == KIND_EXPRESSION) {
    if (expression_appendFormula(text, o, &pieces) != 0) return -1;
  } else {
    PyRef str(PyObject_Str(o));
    if (!str || appendText(text, str.get()) != 0) return -1;
    negativeAtom = kind == KIND_CONSTANT && !text.empty() && text[0] == '-';
  }
  if (needsParentheses(text, negativeAtom, pieces, place)) text = "(" + text + ")";
  out += text;
  return 0;
}

static PyObject *nonlin_str(PyObject *self) {
  std::string out;
  if (printNode(out, self, kPrintDepth) != 0) return setQrvaErrIfNull(nullptr, nullptr);
  return setQrvaErrIfNull(nullptr, PyUnicode_FromStringAndSize(out.data(), (Py_ssize_t)out.size()));
}

/* ---- the class ---- */

static int nonlinear_traverse(PyObject *self, visitproc visit, void *arg) {
  Py_VISIT(NONLINEAR(self)->args);
  return 0;
}

static int nonlinear_clear(PyObject *self) {
  Py_CLEAR(NONLINEAR(self)->args);
  return 0;
}

/* Chains of nodes can be far deeper than the C stack allows recursive
 * destruction: the trashcan defers the deeper levels. */
static void nonlinear_dealloc(PyObject *self) {
  PyObject_GC_UnTrack(self);
  Py_TRASHCAN_BEGIN(self, nonlinear_dealloc)
  Py_CLEAR(NONLINEAR(self)->args);
  Py_TYPE(self)->tp_free(self);
  Py_TRASHCAN_END
}

/* Nodes are made by the operators and the module functions only. */
static int nonlinear_init(PyObject *, PyObject *, PyObject *) {
  modelError("Nonlinear expressions are made by operators and by functions such as quorva.exp, not by the class");
  return -1;
}

static PyNumberMethods nonlinear_number;

PyTypeObject quorva_nonlinearType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.nonlinear", /* tp_name */
    sizeof(nonlinear_s),                                  /* tp_basicsize */
};

void nonlinear_prepareType() {
  nonlinear_number.nb_add = QRVA_ENTRY(nonlin_add);
  nonlinear_number.nb_subtract = QRVA_ENTRY(nonlin_sub);
  nonlinear_number.nb_multiply = QRVA_ENTRY(nonlin_mul);
  nonlinear_number.nb_true_divide = QRVA_ENTRY(nonlin_div);
  nonlinear_number.nb_power = QRVA_ENTRY(nonlin_pow);
  nonlinear_number.nb_negative = QRVA_ENTRY(nonlin_neg);
  nonlinear_number.nb_absolute = QRVA_ENTRY(nonlin_abs);
  nonlinear_number.nb_inplace_add = QRVA_ENTRY(nonlin_iadd);
  nonlinear_number.nb_inplace_subtract = QRVA_ENTRY(nonlin_isub);
  nonlinear_number.nb_inplace_multiply = QRVA_ENTRY(nonlin_imul);
  nonlinear_number.nb_inplace_true_divide = QRVA_ENTRY(nonlin_idiv);
  nonlinear_number.nb_inplace_power = QRVA_ENTRY(nonlin_ipow);

  quorva_nonlinearType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC;
  quorva_nonlinearType.tp_doc =
      "A nonlinear expression: a tree of operators (products, quotients, powers, functions, maxima, minima, user "
      "functions) over variables, terms, expressions and constants. Made by the operators and by quorva.exp, "
      "quorva.sin, ..., quorva.max, quorva.min and quorva.user. Operators never change their operands, so "
      "s = s + f copies the whole sum s each time: a loop of n such steps takes time growing with n squared. "
      "Build long sums with quorva.Sum(...) or with s += f, which adds to s in place, in time linear in n.";
  quorva_nonlinearType.tp_init = QRVA_ENTRY(nonlinear_init);
  quorva_nonlinearType.tp_dealloc = QRVA_DEALLOC(nonlinear_dealloc);
  quorva_nonlinearType.tp_traverse = nonlinear_traverse;
  quorva_nonlinearType.tp_clear = nonlinear_clear;
  quorva_nonlinearType.tp_free = PyObject_GC_Del;
  quorva_nonlinearType.tp_str = QRVA_ENTRY(nonlin_str);
  quorva_nonlinearType.tp_repr = QRVA_ENTRY(reprOfStr);
  quorva_nonlinearType.tp_richcompare = QRVA_ENTRY(modeling_richcompare);
  quorva_nonlinearType.tp_as_number = &nonlinear_number;
}
