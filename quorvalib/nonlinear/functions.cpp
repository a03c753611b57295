/* The module functions of nonlinear modeling: exp ... sqrt (numbers are
 * computed at once, arrays mapped element by element, operands made into
 * nodes), max, min and user. */
#include "model/operand.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "nonlinear/nonlinear.h"

#include <cmath>

namespace {

const double kLog10OfE = 0.4342944819032518;

double signOf(double v) { return v > 0.0 ? 1.0 : v < 0.0 ? -1.0 : 0.0; }

/* The value of a function at a number. */
double evaluate(int code, double v) {
  switch (code) {
    case NONLIN_EXP: return std::exp(v);
    case NONLIN_LOG: return std::log(v);
    case NONLIN_LOG10: return std::log(v) * kLog10OfE;
    case NONLIN_SIN: return std::sin(v);
    case NONLIN_COS: return std::cos(v);
    case NONLIN_TAN: return std::tan(v);
    case NONLIN_ASIN: return std::asin(v);
    case NONLIN_ACOS: return std::acos(v);
    case NONLIN_ATAN: return std::atan(v);
    case NONLIN_ABS: return std::fabs(v);
    case NONLIN_SIGN: return signOf(v);
    case NONLIN_ERF: return std::erf(v);
    case NONLIN_ERFC: return std::erfc(v);
    case NONLIN_SQRT: return std::sqrt(v);
  }
  return NAN;
}

PyObject *applyFunction(int code, PyObject *x);

/* The function applied to every element of a copy of the array. Object
 * arrays stay object arrays; numeric arrays become arrays of doubles, so
 * that integer arrays do not truncate the results. */
PyObject *vector_compose_op(int code, PyObject *x) {
  PyArrayObject *source = reinterpret_cast<PyArrayObject *>(x);
  int target = PyArray_TYPE(source) == NPY_OBJECT ? NPY_OBJECT : NPY_DOUBLE;
  PyRef copy(PyArray_FromAny(x, PyArray_DescrFromType(target), 0, 0,
                             NPY_ARRAY_C_CONTIGUOUS | NPY_ARRAY_ENSURECOPY | NPY_ARRAY_WRITEABLE, nullptr));
  if (!copy) return nullptr;
  PyArrayObject *array = reinterpret_cast<PyArrayObject *>(copy.get());
  npy_intp n = PyArray_SIZE(array);
  if (target == NPY_DOUBLE) {
    double *values = static_cast<double *>(PyArray_DATA(array));
    for (npy_intp i = 0; i < n; ++i) values[i] = evaluate(code, values[i]);
    return copy.release();
  }
  PyObject **items = static_cast<PyObject **>(PyArray_DATA(array));
  for (npy_intp i = 0; i < n; ++i) {
    PyObject *result = applyFunction(code, items[i] ? items[i] : Py_None);
    if (!result) {
      if (!PyErr_ExceptionMatches(qpy_model_exc)) return nullptr;
      PyErr_Clear();
      return modelError("Cannot iterate on sequence of arguments");
    }
    Py_XSETREF(items[i], result);
  }
  return copy.release();
}

PyObject *applyFunction(int code, PyObject *x) {
  if (isNumpyArray(x)) return vector_compose_op(code, x);
  if (operandKind(x) == KIND_CONSTANT) {
    double v;
    if (constantValue(x, &v) != 0) return nullptr;
    return PyFloat_FromDouble(evaluate(code, v));
  }
  return nonlin_create(code, x);
}

PyObject *unaryFunction(int code, PyObject *x) { return setQrvaErrIfNull(nullptr, applyFunction(code, x)); }

}  // namespace

#define QRVA_UNARY_FUNCTION(fname, code)                                       \
  static PyObject *quorvamod_##fname(PyObject *, PyObject *x) { return unaryFunction(code, x); }

QRVA_UNARY_FUNCTION(exp, NONLIN_EXP)
QRVA_UNARY_FUNCTION(log, NONLIN_LOG)
QRVA_UNARY_FUNCTION(log10, NONLIN_LOG10)
QRVA_UNARY_FUNCTION(sin, NONLIN_SIN)
QRVA_UNARY_FUNCTION(cos, NONLIN_COS)
QRVA_UNARY_FUNCTION(tan, NONLIN_TAN)
QRVA_UNARY_FUNCTION(asin, NONLIN_ASIN)
QRVA_UNARY_FUNCTION(acos, NONLIN_ACOS)
QRVA_UNARY_FUNCTION(atan, NONLIN_ATAN)
QRVA_UNARY_FUNCTION(abs, NONLIN_ABS)
QRVA_UNARY_FUNCTION(sign, NONLIN_SIGN)
QRVA_UNARY_FUNCTION(erf, NONLIN_ERF)
QRVA_UNARY_FUNCTION(erfc, NONLIN_ERFC)
QRVA_UNARY_FUNCTION(sqrt, NONLIN_SQRT)

static const char kInsufficient[] = "Insufficient number of arguments declared for operator";

static PyObject *naryFunction(int code, PyObject *args) {
  if (!args || !PyTuple_Check(args)) return setQrvaErrIfNull(nullptr, modelError(kInsufficient));
  return setQrvaErrIfNull(nullptr, nonlin_create(code, args));
}

static PyObject *quorvamod_max(PyObject *, PyObject *args) { return naryFunction(NONLIN_MAX, args); }
static PyObject *quorvamod_min(PyObject *, PyObject *args) { return naryFunction(NONLIN_MIN, args); }

static PyObject *quorvamod_user(PyObject *, PyObject *args, PyObject *kwds) {
  static const char *keywords[] = {"derivatives", nullptr};
  int derivatives = 0;
  PyRef none(PyTuple_New(0));
  if (!none || !PyArg_ParseTupleAndKeywords(none.get(), kwds, "|$p", const_cast<char **>(keywords), &derivatives))
    return setQrvaErrIfNull(nullptr, nullptr);
  /* A user function needs at least its callable. */
  if (!args || !PyTuple_Check(args) || PyTuple_GET_SIZE(args) == 0)
    return setQrvaErrIfNull(nullptr, modelError(kInsufficient));
  if (!PyCallable_Check(PyTuple_GET_ITEM(args, 0)))
    return setQrvaErrIfNull(nullptr, modelError("Invalid object in n-ary operation"));
  return setQrvaErrIfNull(nullptr, nonlin_create(derivatives ? NONLIN_USER_DERIV : NONLIN_USER, args));
}

#define QRVA_FUNCTION_DOC(fname, what)                                                                          \
  QRVA_DOC("The " what " of a number, of every element of a NumPy array, or of a modeling expression.",          \
           "y = quorva." fname "(x)",                                                                           \
           "x: a number (the value is computed at once), a NumPy array (mapped element by element) or a "       \
           "variable, term, expression or nonlinear expression (the result is a nonlinear expression).",        \
           "y = quorva." fname "(x + 1)",                                                                       \
           "Nonlinear expressions are solved by the SLP solver when they appear in a problem.",                 \
           "quorva.nonlinear, quorva.max, quorva.min, quorva.user")

PyMethodDef quorvamod_nonlinearMethods[] = {
    {"exp", QRVA_METHOD(quorvamod_exp), METH_O, QRVA_FUNCTION_DOC("exp", "exponential")},
    {"log", QRVA_METHOD(quorvamod_log), METH_O, QRVA_FUNCTION_DOC("log", "natural logarithm")},
    {"log10", QRVA_METHOD(quorvamod_log10), METH_O, QRVA_FUNCTION_DOC("log10", "base-10 logarithm")},
    {"sin", QRVA_METHOD(quorvamod_sin), METH_O, QRVA_FUNCTION_DOC("sin", "sine")},
    {"cos", QRVA_METHOD(quorvamod_cos), METH_O, QRVA_FUNCTION_DOC("cos", "cosine")},
    {"tan", QRVA_METHOD(quorvamod_tan), METH_O, QRVA_FUNCTION_DOC("tan", "tangent")},
    {"asin", QRVA_METHOD(quorvamod_asin), METH_O, QRVA_FUNCTION_DOC("asin", "arc sine")},
    {"acos", QRVA_METHOD(quorvamod_acos), METH_O, QRVA_FUNCTION_DOC("acos", "arc cosine")},
    {"atan", QRVA_METHOD(quorvamod_atan), METH_O, QRVA_FUNCTION_DOC("atan", "arc tangent")},
    {"abs", QRVA_METHOD(quorvamod_abs), METH_O, QRVA_FUNCTION_DOC("abs", "absolute value")},
    {"sign", QRVA_METHOD(quorvamod_sign), METH_O, QRVA_FUNCTION_DOC("sign", "sign (-1, 0 or 1)")},
    {"erf", QRVA_METHOD(quorvamod_erf), METH_O, QRVA_FUNCTION_DOC("erf", "error function")},
    {"erfc", QRVA_METHOD(quorvamod_erfc), METH_O, QRVA_FUNCTION_DOC("erfc", "complementary error function")},
    {"sqrt", QRVA_METHOD(quorvamod_sqrt), METH_O, QRVA_FUNCTION_DOC("sqrt", "square root")},
    {"max", QRVA_METHOD(quorvamod_max), METH_VARARGS,
     QRVA_DOC("The maximum of its arguments, as a nonlinear expression.", "y = quorva.max(a, b, ...)",
              "a, b, ...: variables, terms, expressions, nonlinear expressions or numbers.",
              "y = quorva.max(x, 2 * z, 1)", "Any number of arguments is accepted.",
              "quorva.min, quorva.nonlinear")},
    {"min", QRVA_METHOD(quorvamod_min), METH_VARARGS,
     QRVA_DOC("The minimum of its arguments, as a nonlinear expression.", "y = quorva.min(a, b, ...)",
              "a, b, ...: variables, terms, expressions, nonlinear expressions or numbers.",
              "y = quorva.min(x, 2 * z, 1)", "Any number of arguments is accepted.",
              "quorva.max, quorva.nonlinear")},
    {"user", QRVA_METHOD(quorvamod_user),
     METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("A call of a Python function inside a nonlinear expression.",
              "y = quorva.user(function, a, b, ..., derivatives=False)",
              "function: a callable taking the values of a, b, ...; a, b, ...: its arguments (modeling objects "
              "or numbers); derivatives: true when the function also returns its derivatives.",
              "y = quorva.user(lambda u, v: u * v ** 2, x, z)",
              "The solver calls the function with the current values of the arguments.",
              "quorva.nonlinear, quorva.max, quorva.min")},
    {nullptr, nullptr, 0, nullptr},
};
