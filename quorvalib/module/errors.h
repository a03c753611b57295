/* The module's exceptions and the rule that turns a failed operation into
 * one of them. */
#ifndef QUORVA_ERRORS_H
#define QUORVA_ERRORS_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

extern PyObject *qpy_model_exc;  /* quorva.ModelError */
extern PyObject *qpy_interf_exc; /* quorva.InterfaceError */
extern PyObject *qpy_solver_exc; /* quorva.SolverError */
/* quorva.UnknownNameError: a ModelError that is also an AttributeError, for
 * names unknown to the control and attribute objects, so that hasattr(),
 * getattr() with a default and help() work on them. */
extern PyObject *qpy_unknown_name_exc;

/* Called at the end of every Python-visible operation with the object it
 * ran on (a problem, a branching object, or NULL) and its result. When the
 * result is NULL and no Python error is set yet, raises the library's last
 * error for that object. Returns result, so it can end a return statement. */
PyObject *setQrvaErrIfNull(PyObject *object, PyObject *result);

/* A library text as str; bytes that are not UTF-8 are kept as \xNN escapes
 * (file contents end up in error texts). New reference or NULL. */
PyObject *qrva_py_text(const char *text);
/* Raises exc with a library text, decoded as qrva_py_text does. */
void qrva_py_raise_text(PyObject *exc, const char *text);

/* Raises the last error of a pair of library problems (SolverError). */
void qrva_py_raise_handle_error(QRVAprob qprob, QSLPprob slpprob);

/* Raises the global environment's last error (InterfaceError). */
void qrva_py_raise_global_error();

#endif
