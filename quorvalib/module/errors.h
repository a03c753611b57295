/* The module's exceptions and the rule that turns a failed operation into
 * one of them. */
#ifndef QUORVA_ERRORS_H
#define QUORVA_ERRORS_H

#include "module/pyref.h"

extern PyObject *qpy_model_exc;  /* quorva.ModelError */
extern PyObject *qpy_interf_exc; /* quorva.InterfaceError */
extern PyObject *qpy_solver_exc; /* quorva.SolverError */

/* Called at the end of every Python-visible operation with the object it
 * ran on (a problem, a branching object, or NULL) and its result. When the
 * result is NULL and no Python error is set yet, raises the library's last
 * error for that object. Returns result, so it can end a return statement. */
PyObject *setQrvaErrIfNull(PyObject *object, PyObject *result);

/* Raises the global environment's last error (InterfaceError). */
void qrva_py_raise_global_error();

#endif
