/* The object loops of the module's comparison ufuncs: comparing NumPy
 * object arrays of modeling objects gives arrays of constraints. */
#ifndef QUORVA_NUMPY_LOOPS_H
#define QUORVA_NUMPY_LOOPS_H

#include "module/numpy_api.h"

/* NumPy's own loop that a replaced loop falls back to for operands that are
 * not modeling objects, and the output type that loop writes. */
struct NumpyOwnLoop {
  PyUFuncGenericFunction function;
  void *data;
  int output_type; /* NPY_BOOL or NPY_OBJECT */
};

void leq_con(char **args, npy_intp const *dimensions, npy_intp const *steps, void *data);
void geq_con(char **args, npy_intp const *dimensions, npy_intp const *steps, void *data);
void eq_con(char **args, npy_intp const *dimensions, npy_intp const *steps, void *data);

#endif
