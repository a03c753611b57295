/* User functions: a Python callable inside a nonlinear expression becomes a
 * function of the SLP library whose address is one of two trampolines; the
 * library keeps the function object (callable, index), which the
 * trampolines read back to call the callable with the argument values.
 *
 * The library holds one reference to every function object, released with
 * the problem (or when its SLP problem is replaced by reset). */
#include "nonlinear/userfunc.h"

#include "module/boundary.h"
#include "module/errors.h"

#include <string>
#include <vector>

namespace {

/* Token types and values of a function's definition. */
const int kDefString = QSLP_DEF_STRING;
const int kDefReturns = QSLP_DEF_RETURNS;
const int kDefFlags = QSLP_DEF_FLAGS;
const int kDefEnd = QSLP_TOK_EOF;
/* The flags the module gives its functions; the library reads the bit
 * QSLP_UF_DERIVATIVES of them, set only in the first. */
constexpr double kFlagsWithDerivatives = 110611;
constexpr double kFlagsValueOnly = 19;
static_assert((static_cast<int>(kFlagsWithDerivatives) & QSLP_UF_DERIVATIVES) != 0 &&
                  (static_cast<int>(kFlagsValueOnly) & QSLP_UF_DERIVATIVES) == 0,
              "the derivative bit tells the two kinds of function apart");
const int kNameTypeUserFunction = QSLP_NAMES_USERFUNCTIONS;
/* Interrupt reason after a failed Python call. */
const int kStopUser = QRVA_STOP_USER;
/* What a failed evaluation returns (its results array stays unwritten). */
const double kFailedValue = -3.0;

/* The name a callable is registered under: a Python function's own name,
 * else "user_function". */
std::string functionName(PyObject *callable) {
  if (PyFunction_Check(callable)) {
    PyObject *name = reinterpret_cast<PyFunctionObject *>(callable)->func_name;
    if (name && PyUnicode_Check(name)) {
      const char *text = PyUnicode_AsUTF8(name);
      bool ascii = text != nullptr;
      for (const char *c = text; ascii && *c; ++c) ascii = (unsigned char)*c < 128;
      if (ascii && *text) return text;
      PyErr_Clear();
    }
  }
  return "user_function";
}

/* Ends a failed evaluation: the Python error stays pending for solve() and
 * the solve is stopped. */
double failEvaluation(QSLPprob slp) {
  if (slp) QSLPinterrupt(slp, kStopUser);
  return kFailedValue;
}

/* One number of a callable's result; -1 with an error set. */
int resultNumber(PyObject *item, double *value) {
  *value = PyFloat_AsDouble(item);
  return *value == -1.0 && PyErr_Occurred() ? -1 : 0;
}

double evaluate(const double *values, QSLPfunc function, const double *deltas, double *results) {
  void *problem_pointer = nullptr;
  QSLPprob slp = nullptr;
  if (QSLPgetfuncobject(function, QSLP_FUNC_SLPPROBLEM, &problem_pointer) == 0)
    slp = static_cast<QSLPprob>(problem_pointer);
  /* After a failed call the solve is stopping: no further Python code runs
   * with the error pending. */
  if (PyErr_Occurred()) return failEvaluation(slp);
  int nargs = 0, want_results = 0, want_derivatives = 0, index = 0;
  void *object = nullptr;
  if (!slp || QSLPgetfuncinfo(function, &nargs, &want_results, &want_derivatives, &index) != 0 ||
      QSLPgetuserfuncobject(slp, index, &object) != 0 || !object || !PyTuple_Check((PyObject *)object) ||
      PyTuple_GET_SIZE((PyObject *)object) < 1) {
    PyErr_SetString(qpy_solver_exc, "The solver called a user function it does not know");
    return failEvaluation(slp);
  }
  PyObject *callable = PyTuple_GET_ITEM((PyObject *)object, 0);

  PyRef args(PyTuple_New(nargs));
  if (!args) return failEvaluation(slp);
  for (int i = 0; i < nargs; ++i) {
    PyObject *number = PyFloat_FromDouble(values[i]);
    if (!number) return failEvaluation(slp);
    PyTuple_SET_ITEM(args.get(), i, number);
  }
  PyRef result(PyObject_CallObject(callable, args.get()));
  if (!result) return failEvaluation(slp);

  bool is_tuple = PyTuple_Check(result.get());
  Py_ssize_t size = is_tuple ? PyTuple_GET_SIZE(result.get()) : 1;
  if (size == 0) {
    PyErr_SetString(qpy_model_exc, "A user function returned an empty tuple instead of its value");
    return failEvaluation(slp);
  }
  double value;
  if (resultNumber(is_tuple ? PyTuple_GET_ITEM(result.get(), 0) : result.get(), &value) != 0)
    return failEvaluation(slp);
  if (want_results && results) results[0] = value;
  if (want_derivatives && deltas && results && nargs > 0 && size > 1) {
    /* Derivatives beyond the arguments would be written past the results. */
    if (size - 1 > nargs) {
      PyErr_Format(qpy_model_exc, "A user function of %d arguments returned %zd derivatives", nargs, size - 1);
      return failEvaluation(slp);
    }
    for (Py_ssize_t i = 1; i < size; ++i) {
      if (deltas[i - 1] == 0.0) continue;
      if (resultNumber(PyTuple_GET_ITEM(result.get(), i), &results[i]) != 0) return failEvaluation(slp);
    }
  }
  /* With a results array the value travels in results[0]. */
  return is_tuple && want_results && results ? 0.0 : value;
}

double qpy_generic_user_function(const double *values, QSLPfunc function, const double *deltas, double *results) {
  return inTrampoline(kFailedValue, [&]() { return evaluate(values, function, deltas, results); });
}

}  // namespace

extern "C" double qpy_generic_user_function_no_derivative(const double *values, QSLPfunc function) {
  return qpy_generic_user_function(values, function, nullptr, nullptr);
}

extern "C" double qpy_generic_user_function_with_derivative(const double *values, QSLPfunc function,
                                                            const double *deltas, double *results) {
  return qpy_generic_user_function(values, function, deltas, results);
}

int createUserFunction(problem_s *problem, PyObject *args, int *index, int with_derivatives) {
  bool sequence = args && (PyTuple_Check(args) || PyList_Check(args));
  if (!sequence || PySequence_Fast_GET_SIZE(args) == 0 || !PyCallable_Check(PySequence_Fast_ITEMS(args)[0])) {
    PyErr_SetString(qpy_model_exc,
                    "Invalid user function, must specify at least one argument (the user function itself)");
    return -3;
  }
  PyObject *callable = PySequence_Fast_ITEMS(args)[0];
  if (!problem->userfuncs && !(problem->userfuncs = PyDict_New())) return -1;
  PyObject *known = PyDict_GetItemWithError(problem->userfuncs, callable);
  if (known) {
    *index = (int)PyLong_AsLong(known);
    return 0;
  }
  if (PyErr_Occurred()) return -1; /* an unhashable callable */

  QSLPprob slp = problem->slpprob;
  std::string name = functionName(callable);
  int name_string = 0, linkage_string = 0;
  if (QSLPsetstring(slp, &name_string, name.c_str()) != 0 || QSLPsetstring(slp, &linkage_string, "DirectC") != 0)
    return -1;
  int new_index = (int)PyDict_Size(problem->userfuncs) + 1;
  PyRef function_object(Py_BuildValue("(Oi)", callable, new_index));
  PyRef key_index(PyLong_FromLong(new_index));
  if (!function_object || !key_index) return -1;
  int types[] = {kDefString, kDefReturns, kDefFlags, kDefString, kDefEnd};
  double values[] = {(double)name_string, 1.0, with_derivatives ? kFlagsWithDerivatives : kFlagsValueOnly,
                     (double)linkage_string, 0.0};
  if (QSLPadduserfuncs(slp, 1, types, values) != 0) return -1;
  /* From here on the library counts the function: the registration is kept
   * whatever follows, so that indices stay in step with the library's. */
  bool object_set = QSLPsetuserfuncobject(slp, new_index, function_object.get()) == 0;
  if (object_set) function_object.release(); /* the library's reference now */
  if (PyDict_SetItem(problem->userfuncs, callable, key_index.get()) != 0) return -1;
  void *address = with_derivatives ? reinterpret_cast<void *>(qpy_generic_user_function_with_derivative)
                                   : reinterpret_cast<void *>(qpy_generic_user_function_no_derivative);
  if (!object_set || QSLPaddnames(slp, kNameTypeUserFunction, name.c_str(), new_index, new_index) != 0 ||
      QSLPchguserfuncaddress(slp, new_index, address) != 0)
    return -1;
  *index = new_index;
  return 0;
}

void userfunc_releaseAll(problem_s *problem) {
  if (!problem->userfuncs) return;
  Py_ssize_t count = PyDict_Size(problem->userfuncs);
  for (Py_ssize_t i = 1; problem->slpprob && i <= count; ++i) {
    void *object = nullptr;
    if (QSLPgetuserfuncobject(problem->slpprob, (int)i, &object) != 0) break;
    QSLPsetuserfuncobject(problem->slpprob, (int)i, nullptr);
    Py_XDECREF(static_cast<PyObject *>(object));
  }
  Py_CLEAR(problem->userfuncs);
}

int userfunc_shareCopies(problem_s *copy, const problem_s *source) {
  if (!source->userfuncs) return 0;
  /* Known before the references are taken: releasing the copy stops where
   * this loop stops, at the first function the library cannot give. */
  Py_XSETREF(copy->userfuncs, PyDict_Copy(source->userfuncs));
  if (!copy->userfuncs) return -1;
  Py_ssize_t count = PyDict_Size(copy->userfuncs);
  for (Py_ssize_t i = 1; i <= count; ++i) {
    void *object = nullptr;
    if (QSLPgetuserfuncobject(copy->slpprob, (int)i, &object) != 0) return -1;
    Py_XINCREF(static_cast<PyObject *>(object));
  }
  return 0;
}
