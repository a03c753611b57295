/* quorva.nonlinear: the class of expressions that are not linear or
 * quadratic. Until its node algebra is in place, every operation that would
 * create or combine nonlinear nodes fails with one clear ModelError. */
#include "nonlinear/nonlinear.h"

#include "module/errors.h"

struct nonlinear_s {
  PyObject_HEAD
};

PyTypeObject quorva_nonlinearType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.nonlinear", /* tp_name */
    sizeof(nonlinear_s),                                  /* tp_basicsize */
};

static PyObject *nonlinearUnavailable() {
  PyErr_SetString(qpy_model_exc, "Nonlinear expressions are not available yet in this version");
  return nullptr;
}

PyObject *nonlin_instantiate_unary(int, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_instantiate_binary(int, PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_add(PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_sub(PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_mul(PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_div(PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_pow(PyObject *, PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_neg(PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_iadd(PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_imul(PyObject *, PyObject *) { return nonlinearUnavailable(); }
PyObject *nonlin_alg_sum(PyObject *, PyObject *, double) { return nonlinearUnavailable(); }
PyObject *nonlin_copy(PyObject *, double) { return nonlinearUnavailable(); }

/* Python code cannot build a node directly. */
static int nonlinear_init(PyObject *, PyObject *, PyObject *) {
  nonlinearUnavailable();
  return -1;
}

void nonlinear_prepareType() {
  quorva_nonlinearType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_nonlinearType.tp_doc = "A nonlinear expression.";
  quorva_nonlinearType.tp_init = nonlinear_init;
}
