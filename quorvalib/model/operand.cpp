/* Operand classification, the table of class operators, and the generic
 * arithmetic used by the cumulative operators and the nonlinear layer. */
#include "model/operand.h"

#include "model/expression.h"
#include "model/linterm.h"
#include "model/quadterm.h"
#include "model/var.h"
#include "nonlinear/nonlinear.h"

#include <cstdio>

/* ---- printing ---- */

std::string formatNumber(const char *format, double value) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer, n > 0 ? (size_t)n < sizeof buffer ? (size_t)n : sizeof buffer - 1 : 0);
}

int appendText(std::string &out, PyObject *text) {
  Py_ssize_t size;
  const char *utf8 = PyUnicode_AsUTF8AndSize(text, &size);
  if (!utf8) return -1;
  out.append(utf8, (size_t)size);
  return 0;
}

/* ---- classification ---- */

int isConstant(PyObject *object) {
  return PyFloat_Check(object) || PyLong_Check(object) || PyArray_IsScalar(object, Int) ||
         PyArray_IsScalar(object, Long) || PyArray_IsScalar(object, LongLong) ||
         PyArray_IsScalar(object, Float) || PyArray_IsScalar(object, Double);
}

int constantValue(PyObject *object, double *value) {
  if (PyFloat_CheckExact(object)) {
    *value = PyFloat_AS_DOUBLE(object);
    return 0;
  }
  double read = PyLong_Check(object) ? PyLong_AsDouble(object) : PyFloat_AsDouble(object);
  if (read == -1.0 && PyErr_Occurred()) return -1;
  *value = read;
  return 0;
}

int constantEquals(PyObject *object, double value) {
  double read;
  if (constantValue(object, &read) != 0) return -1;
  return read == value ? 1 : 0;
}

int operandKind(PyObject *object) {
  if (!object) return KIND_INVALID;
  PyTypeObject *type = Py_TYPE(object);
  if (type == &quorva_expressionType) return KIND_EXPRESSION;
  /* A term made without its variables (by calling the class's __new__
   * directly) is no operand. */
  if (type == &quorva_lintermType) return LINTERM(object)->var ? KIND_LINTERM : KIND_INVALID;
  if (type == &quorva_varType) return KIND_VARIABLE;
  if (type == &quorva_nonlinearType) return KIND_NONLINEAR;
  if (type == &quorva_quadtermType)
    return QUADTERM(object)->first && QUADTERM(object)->second ? KIND_QUADTERM : KIND_INVALID;
  if (isConstant(object)) return KIND_CONSTANT;
  return KIND_INVALID;
}

int getExprType(PyObject *object) {
  int kind = operandKind(object);
  if (kind == KIND_INVALID) modelError("Invalid object in operation");
  return kind;
}

/* ---- hand-over to NumPy and to the classes ---- */

PyObject *array_handover(BinaryOp op, PyObject *left, PyObject *array) {
  switch (op) {
    case BINOP_ADD:
      return PyNumber_Add(array, left);
    case BINOP_SUB: {
      PyRef negated(PyNumber_Negative(array));
      return negated ? PyNumber_Add(negated.get(), left) : nullptr;
    }
    case BINOP_MUL:
      return PyNumber_Multiply(array, left);
    case BINOP_DIV: {
      PyRef one(PyFloat_FromDouble(1.0));
      PyRef inverse(one ? PyNumber_TrueDivide(one.get(), array) : nullptr);
      return inverse ? PyNumber_Multiply(inverse.get(), left) : nullptr;
    }
    case BINOP_POW:
      break;
  }
  return modelError("Cannot obtain a power with a vector as an exponent");
}

namespace {

typedef PyObject *(*BinaryFn)(PyObject *, PyObject *);

PyObject *varPow2(PyObject *l, PyObject *r) { return var_pow(l, r, Py_None); }
PyObject *lintermPow2(PyObject *l, PyObject *r) { return linterm_pow(l, r, Py_None); }
PyObject *quadtermPow2(PyObject *l, PyObject *r) { return quadterm_pow(l, r, Py_None); }
PyObject *expressionPow2(PyObject *l, PyObject *r) { return expression_pow(l, r, Py_None); }
PyObject *nonlinPow2(PyObject *l, PyObject *r) { return nonlin_pow(l, r, Py_None); }

/* Rows: operand kinds 1 to 5; columns: + - * / **. */
const BinaryFn kClassOperators[5][5] = {
    {var_add, var_sub, var_mul, var_div, varPow2},
    {linterm_add, linterm_sub, linterm_mul, linterm_div, lintermPow2},
    {quadterm_add, quadterm_sub, quadterm_mul, quadterm_div, quadtermPow2},
    {expression_add, expression_sub, expression_mul, expression_div, expressionPow2},
    {nonlin_add, nonlin_sub, nonlin_mul, nonlin_div, nonlinPow2},
};

/* The in-place + and * of each class (a variable has none: its binary
 * operators never change it either). */
const BinaryFn kClassInplaceAdd[5] = {var_add, linterm_iadd, quadterm_iadd, expression_iadd, nonlin_iadd};
const BinaryFn kClassInplaceMul[5] = {var_mul, linterm_imul, quadterm_imul, expression_imul, nonlin_imul};

/* Both operands' kinds and the higher of them; -1 with the error set when
 * either is no operand. */
int higherKind(PyObject *a, PyObject *b) {
  int ka = getExprType(a);
  if (ka < 0) return -1;
  int kb = getExprType(b);
  if (kb < 0) return -1;
  return ka > kb ? ka : kb;
}

}  // namespace

PyObject *class_binary(int kind, BinaryOp op, PyObject *left, PyObject *right) {
  if (kind < KIND_VARIABLE || kind > KIND_NONLINEAR) return modelError("Invalid object in operation");
  return kClassOperators[kind - 1][op](left, right);
}

bool higher_rule(BinaryOp op, PyObject *left, PyObject *right, int kl, int kr, int caller, PyObject **result) {
  int kind = kl > kr ? kl : kr;
  if (kind <= caller) return false;
  switch (kind) {
    case KIND_NONLINEAR:
      if (op == BINOP_ADD || op == BINOP_SUB)
        *result = nonlin_alg_sum(left, right, op == BINOP_ADD ? 1.0 : -1.0);
      else
        *result = class_binary(KIND_NONLINEAR, op, left, right);
      return true;
    case KIND_EXPRESSION:
      if (op == BINOP_ADD || op == BINOP_SUB)
        *result = expression_alg_sum(left, right, op == BINOP_ADD ? 1.0 : -1.0);
      else
        *result = class_binary(KIND_EXPRESSION, op, left, right);
      return true;
    case KIND_QUADTERM:
      *result = class_binary(KIND_QUADTERM, op, left, right);
      return true;
    default:
      return false;
  }
}

bool term_inplace_shortcut(BinaryOp op, PyObject *left, PyObject *right, int caller, PyObject **result) {
  if (operandKind(left) != caller || isNumpyArray(right) || operandKind(right) != KIND_CONSTANT) return false;
  double c;
  if (constantValue(right, &c) != 0) {
    *result = nullptr;
    return true;
  }
  bool itself = false;
  switch (op) {
    case BINOP_ADD:
    case BINOP_SUB:
      itself = c == 0.0;
      break;
    case BINOP_MUL:
      itself = c == 1.0;
      break;
    case BINOP_DIV:
      if (c == 0.0) {
        *result = modelError("Division by zero");
        return true;
      }
      itself = c == 1.0;
      break;
    case BINOP_POW:
      if (c == 0.0) {
        *result = PyFloat_FromDouble(1.0);
        return true;
      }
      itself = c == 1.0;
      break;
  }
  if (!itself) return false;
  Py_INCREF(left);
  *result = left;
  return true;
}

/* ---- generic functions ---- */

PyObject *general_copy(PyObject *object, double factor) {
  if (isNumpyArray(object)) {
    PyRef copy(PyArray_NewCopy(reinterpret_cast<PyArrayObject *>(object), NPY_KEEPORDER));
    if (!copy || factor == 1.0) return copy.release();
    PyRef f(PyFloat_FromDouble(factor));
    return f ? PyNumber_Multiply(copy.get(), f.get()) : nullptr;
  }
  PyObject *result = nullptr;
  switch (operandKind(object)) {
    case KIND_CONSTANT: {
      double value;
      if (constantValue(object, &value) != 0) return nullptr;
      if (factor == 1.0) {
        Py_INCREF(object);
        return object;
      }
      return PyFloat_FromDouble(factor * value);
    }
    case KIND_LINTERM:
      result = linterm_copy(object, factor);
      break;
    case KIND_VARIABLE:
      result = var_copy(object, factor);
      break;
    case KIND_QUADTERM:
      result = quadterm_copy(object, factor);
      break;
    case KIND_EXPRESSION:
      result = expression_copy(object, factor);
      break;
    case KIND_NONLINEAR:
      result = nonlin_copy(object, factor);
      break;
    default:
      break;
  }
  if (!result && !PyErr_Occurred()) modelError("Invalid object being copied");
  return result;
}

PyObject *general_neg(PyObject *object) {
  switch (operandKind(object)) {
    case KIND_VARIABLE:
      return var_neg(object);
    case KIND_EXPRESSION:
      return expression_neg(object);
    case KIND_LINTERM:
      return linterm_neg(object);
    case KIND_QUADTERM:
      return quadterm_neg(object);
    case KIND_NONLINEAR:
      return nonlin_neg(object);
    default:
      return constant_neg(object);
  }
}

/* The accumulation steps: None stands for an empty accumulator (or an
 * element to skip); arrays go to NumPy; otherwise the class of the higher
 * operand kind computes the step. */
static PyObject *accumulate(PyObject *a, PyObject *b, BinaryFn numpyOp, const BinaryFn *classOps, BinaryFn constantOp) {
  if (!a || a == Py_None) return general_copy(b, 1.0);
  if (!b || b == Py_None) {
    Py_INCREF(a);
    return a;
  }
  if (isNumpyArray(a) || isNumpyArray(b)) return numpyOp(a, b);
  int kind = higherKind(a, b);
  if (kind < 0) return nullptr;
  if (kind == KIND_CONSTANT) return constantOp(a, b);
  return classOps[kind - 1](a, b);
}

/* NumPy's in-place step; an accumulator array whose element type cannot
 * hold the result (numbers meeting modeling objects) is replaced by the
 * binary result instead. */
static PyObject *numpyInplace(PyObject *a, PyObject *b, BinaryFn inplace, BinaryFn binary) {
  PyObject *result = inplace(a, b);
  if (result || !PyErr_ExceptionMatches(PyExc_TypeError)) return result;
  PyErr_Clear();
  return binary(a, b);
}
static PyObject *numpyInplaceAdd(PyObject *a, PyObject *b) { return numpyInplace(a, b, PyNumber_InPlaceAdd, PyNumber_Add); }
static PyObject *numpyInplaceMul(PyObject *a, PyObject *b) {
  return numpyInplace(a, b, PyNumber_InPlaceMultiply, PyNumber_Multiply);
}

static const BinaryFn kClassMul[5] = {var_mul, linterm_mul, quadterm_mul, expression_mul, nonlin_mul};

PyObject *general_mul(PyObject *a, PyObject *b) {
  return accumulate(a, b, PyNumber_Multiply, kClassMul, constant_mul);
}

PyObject *general_imul(PyObject *a, PyObject *b) {
  return accumulate(a, b, numpyInplaceMul, kClassInplaceMul, constant_imul);
}

PyObject *general_iadd(PyObject *a, PyObject *b) {
  return accumulate(a, b, numpyInplaceAdd, kClassInplaceAdd, constant_iadd);
}

/* Two constants combined as doubles. */
static PyObject *constantPair(PyObject *a, PyObject *b, bool product) {
  double x, y;
  if (!isConstant(a) || !isConstant(b)) return modelError("Invalid object in operation");
  if (constantValue(a, &x) != 0 || constantValue(b, &y) != 0) return nullptr;
  return PyFloat_FromDouble(product ? x * y : x + y);
}

PyObject *constant_add(PyObject *a, PyObject *b) {
  if (isNumpyArray(a) || isNumpyArray(b)) return PyNumber_Add(b, a);
  return constantPair(a, b, false);
}

PyObject *constant_iadd(PyObject *a, PyObject *b) { return constant_add(a, b); }

PyObject *constant_mul(PyObject *a, PyObject *b) {
  if (isNumpyArray(a) || isNumpyArray(b)) return PyNumber_Multiply(b, a);
  return constantPair(a, b, true);
}

PyObject *constant_imul(PyObject *a, PyObject *b) { return constant_mul(a, b); }

PyObject *constant_neg(PyObject *a) {
  if (isNumpyArray(a)) return PyNumber_Negative(a);
  double value;
  if (!isConstant(a)) return modelError("Invalid object in operation");
  if (constantValue(a, &value) != 0) return nullptr;
  return PyFloat_FromDouble(-value);
}

/* ---- results of the cumulative operators ---- */

/* A new expression holding only the constant value. */
static PyObject *constantExpression(PyObject *constant) {
  double value;
  if (constantValue(constant, &value) != 0) return nullptr;
  PyObject *e = expression_base();
  if (e) EXPRESSION(e)->constant = value;
  return e;
}

/* Replaces every constant element of a C-contiguous object array (which
 * holds its own references) by a constant expression. */
static int convertObjectElements(PyArrayObject *array) {
  PyObject **items = static_cast<PyObject **>(PyArray_DATA(array));
  npy_intp n = PyArray_SIZE(array);
  for (npy_intp i = 0; i < n; ++i) {
    PyObject *item = items[i];
    if (item && isModelingObject(item)) continue;
    if (!item || !isConstant(item)) {
      modelError("Invalid object in place of expression/constant");
      return -1;
    }
    PyObject *e = constantExpression(item);
    if (!e) return -1;
    items[i] = e;
    Py_DECREF(item);
  }
  return 0;
}

int convert_const_to_expr(PyObject **object) {
  PyObject *obj = *object;
  if (operandKind(obj) > KIND_CONSTANT) return 0;
  if (isConstant(obj)) {
    PyObject *e = constantExpression(obj);
    if (!e) return -1;
    *object = e;
    Py_DECREF(obj);
    return 0;
  }
  if (!isNumpyArray(obj)) {
    modelError("Wrong expression resulting from cumulated operator (Sum, Prod, Dot)");
    return -1;
  }
  PyArrayObject *array = reinterpret_cast<PyArrayObject *>(obj);
  int typenum = PyArray_TYPE(array);
  if (typenum == NPY_OBJECT) {
    /* Unchanged when every element already is a modeling object. */
    bool allModeling = true;
    {
      PyRef flat(PyArray_NewCopy(array, NPY_CORDER));
      if (!flat) return -1;
      PyObject **items = static_cast<PyObject **>(PyArray_DATA(reinterpret_cast<PyArrayObject *>(flat.get())));
      npy_intp n = PyArray_SIZE(array);
      for (npy_intp i = 0; i < n; ++i) {
        if (items[i] && isModelingObject(items[i])) continue;
        if (!items[i] || !isConstant(items[i])) {
          modelError("Invalid object in place of expression/constant");
          return -1;
        }
        allModeling = false;
      }
      if (allModeling) return 0;
      if (convertObjectElements(reinterpret_cast<PyArrayObject *>(flat.get())) != 0) return -1;
      *object = flat.release();
    }
    Py_DECREF(obj);
    return 0;
  }
  /* Numeric arrays (integers of any width, floats): every element becomes a
   * constant expression. */
  if (!PyTypeNum_ISINTEGER(typenum) && !PyTypeNum_ISFLOAT(typenum) && !PyTypeNum_ISBOOL(typenum)) {
    modelError("Wrong expression resulting from cumulated operator (Sum, Prod, Dot)");
    return -1;
  }
  PyArray_Descr *objectType = PyArray_DescrFromType(NPY_OBJECT); /* stolen below */
  PyRef converted(PyArray_FromAny(obj, objectType, 0, 0, NPY_ARRAY_C_CONTIGUOUS | NPY_ARRAY_ENSURECOPY, nullptr));
  if (!converted || convertObjectElements(reinterpret_cast<PyArrayObject *>(converted.get())) != 0) return -1;
  *object = converted.release();
  Py_DECREF(obj);
  return 0;
}
