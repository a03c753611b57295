#include "module/errors.h"

#include "branching/branchobj.h"
#include "model/types.h"
#include "module/env.h"
#include "module/qrvalibs.h"
#include "problem/problem.h"

#include <cstring>

PyObject *qpy_model_exc = nullptr;
PyObject *qpy_interf_exc = nullptr;
PyObject *qpy_solver_exc = nullptr;
PyObject *qpy_unknown_name_exc = nullptr;

PyObject *qrva_py_text(const char *text) {
  return PyUnicode_DecodeUTF8(text, (Py_ssize_t)strlen(text), "backslashreplace");
}

void qrva_py_raise_text(PyObject *exc, const char *text) {
  PyRef message(qrva_py_text(text));
  if (message) PyErr_SetObject(exc, message.get());
}

void qrva_py_raise_global_error() {
  char text[QRVA_PY_ERRBUF] = "";
  int code = 0, length = 0;
  {
    LockGuard guard(lock_error);
    if (QRVA_ge_getlasterror(&code, text, sizeof text, &length) != 0) text[0] = '\0';
  }
  text[sizeof text - 1] = '\0';
  if (code == 0 && text[0] == '\0')
    PyErr_SetString(qpy_interf_exc, "Unidentified error associated with the global environment");
  else
    qrva_py_raise_text(qpy_interf_exc, text);
}

void qrva_py_raise_handle_error(QRVAprob qprob, QSLPprob slpprob) {
  char text[QRVA_PY_ERRBUF] = "";
  if (!qprob || QRVAgetlasterror(qprob, text) != 0) text[0] = '\0';
  text[sizeof text - 1] = '\0';
  if (text[0] == '\0' && slpprob) {
    int code = 0;
    if (QSLPgetlasterror(slpprob, &code, text) != 0) text[0] = '\0';
    text[sizeof text - 1] = '\0';
  }
  if (text[0] == '\0')
    PyErr_SetString(qpy_solver_exc, "Unidentified error associated with optimization problem");
  else
    qrva_py_raise_text(qpy_solver_exc, text);
}

static void raiseProblemError(problem_s *problem) { qrva_py_raise_handle_error(problem->qprob, problem->slpprob); }

static void raiseBranchobjError(branchobj_s *branchobj) {
  char text[QRVA_PY_ERRBUF] = "";
  int code = 0, length = 0;
  if (!branchobj->handle || QRVA_bo_getlasterror(branchobj->handle, &code, text, sizeof text, &length) != 0)
    text[0] = '\0';
  text[sizeof text - 1] = '\0';
  if (code == 0 && text[0] == '\0')
    PyErr_SetString(qpy_solver_exc, "Unidentified error associated with a branching object");
  else
    qrva_py_raise_text(qpy_solver_exc, text);
}

PyObject *setQrvaErrIfNull(PyObject *object, PyObject *result) {
  if (result || PyErr_Occurred()) return result;
  if (!object)
    qrva_py_raise_global_error();
  else if (PyObject_TypeCheck(object, &quorva_problemType))
    raiseProblemError(reinterpret_cast<problem_s *>(object));
  else if (PyObject_TypeCheck(object, &quorva_branchobjType))
    raiseBranchobjError(reinterpret_cast<branchobj_s *>(object));
  else
    PyErr_SetString(qpy_interf_exc, "");
  return result;
}
