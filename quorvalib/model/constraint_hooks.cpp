/* Internal functions of constraints and nonlinear nodes exposed under
 * underscore names so the test suite can reach them before the problem
 * class uses them. Not part of the API. */
#include "model/constraint.h"
#include "model/operand.h"
#include "module/boundary.h"
#include "nonlinear/nonlinear.h"

/* _rhs_sense(constraint, rhs=0.0) -> (sense letter, rhs, range or None) */
static PyObject *hook_rhs_sense(PyObject *, PyObject *args) {
  PyObject *constraint;
  double rhs = 0.0;
  if (!PyArg_ParseTuple(args, "O!|d", &quorva_constraintType, &constraint, &rhs)) return nullptr;
  char sense = '?';
  double range = -1.0;
  getRhsSense(constraint, &sense, &rhs, &range);
  if (sense == 'R') return Py_BuildValue("(C d d)", sense, rhs, range);
  return Py_BuildValue("(C d O)", sense, rhs, Py_None);
}

/* _nonlin_args(x) -> (size, [arguments by first/next]) */
static PyObject *hook_nonlin_args(PyObject *, PyObject *x) {
  Py_ssize_t size = nonlin_arg_size(x);
  Py_ssize_t i;
  PyObject *item = nonlin_arg_first(x, &i);
  if (!item && PyErr_Occurred()) return nullptr;
  PyRef items(PyList_New(0));
  if (!items) return nullptr;
  for (; item; item = nonlin_arg_next(x, &i))
    if (PyList_Append(items.get(), item) != 0) return nullptr;
  if (PyErr_Occurred()) return nullptr;
  return Py_BuildValue("(n O)", size, items.get());
}

/* _nonlin_copy(x, f) -> the deep copy of x times f */
static PyObject *hook_nonlin_copy(PyObject *, PyObject *args) {
  PyObject *x;
  double f;
  if (!PyArg_ParseTuple(args, "Od", &x, &f)) return nullptr;
  return setQrvaErrIfNull(nullptr, nonlin_copy(x, f));
}

PyMethodDef quorvamod_constraintTestMethods[] = {
    {"_rhs_sense", QRVA_METHOD(hook_rhs_sense), METH_VARARGS,
     "Test hook: the library sense, rhs and range of a constraint."},
    {"_nonlin_args", QRVA_METHOD(hook_nonlin_args), METH_O, "Test hook: the arguments of a nonlinear node."},
    {"_nonlin_copy", QRVA_METHOD(hook_nonlin_copy), METH_VARARGS, "Test hook: a scaled deep copy of a nonlinear node."},
    {nullptr, nullptr, 0, nullptr},
};
