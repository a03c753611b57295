#include "model/numpy_loops.h"

#include "model/types.h"

/* One element through NumPy's own loop; returns a new reference. NumPy's
 * boolean loop writes an npy_bool, which becomes False or True here, so the
 * object output never receives a raw byte in place of a reference. */
static PyObject *numpyElement(const NumpyOwnLoop *own, char *in1, char *in2, npy_intp const *steps) {
  npy_intp one = 1;
  npy_intp element_steps[3] = {steps[0], steps[1], 0};
  if (own->output_type == NPY_BOOL) {
    npy_bool result = 0;
    char *args[3] = {in1, in2, reinterpret_cast<char *>(&result)};
    own->function(args, &one, element_steps, own->data);
    if (PyErr_Occurred()) return nullptr;
    return PyBool_FromLong(result);
  }
  PyObject *result = nullptr;
  char *args[3] = {in1, in2, reinterpret_cast<char *>(&result)};
  own->function(args, &one, element_steps, own->data);
  if (!result && !PyErr_Occurred()) PyErr_SetString(PyExc_RuntimeError, "comparison gave no result");
  return result;
}

/* Element by element: a pair with a modeling object on either side is
 * compared by the object's own rich comparison, which builds a constraint
 * (and handles a constant on the left by reflection); any other pair gets
 * NumPy's own result. Stops at the first failure with its error set. */
static void compareLoop(char **args, npy_intp const *dimensions, npy_intp const *steps, void *data, int op) {
  npy_intp n = dimensions[0];
  char *in1 = args[0], *in2 = args[1], *out = args[2];
  const NumpyOwnLoop *own = static_cast<const NumpyOwnLoop *>(data);
  for (npy_intp i = 0; i < n; ++i, in1 += steps[0], in2 += steps[1], out += steps[2]) {
    PyObject *a = *reinterpret_cast<PyObject **>(in1);
    PyObject *b = *reinterpret_cast<PyObject **>(in2);
    PyObject *result;
    if (a && b && (isModelingObject(a) || isModelingObject(b)))
      result = PyObject_RichCompare(a, b, op);
    else
      result = numpyElement(own, in1, in2, steps);
    if (!result) return;
    PyObject **slot = reinterpret_cast<PyObject **>(out);
    Py_XSETREF(*slot, result);
  }
}

void leq_con(char **args, npy_intp const *dimensions, npy_intp const *steps, void *data) {
  compareLoop(args, dimensions, steps, data, Py_LE);
}

void geq_con(char **args, npy_intp const *dimensions, npy_intp const *steps, void *data) {
  compareLoop(args, dimensions, steps, data, Py_GE);
}

void eq_con(char **args, npy_intp const *dimensions, npy_intp const *steps, void *data) {
  compareLoop(args, dimensions, steps, data, Py_EQ);
}
