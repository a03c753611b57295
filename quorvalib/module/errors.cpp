#include "module/errors.h"

#include "branching/branchobj.h"
#include "model/types.h"
#include "module/env.h"
#include "module/qrvalibs.h"
#include "problem/problem.h"

PyObject *qpy_model_exc = nullptr;
PyObject *qpy_interf_exc = nullptr;
PyObject *qpy_solver_exc = nullptr;

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
    PyErr_SetString(qpy_interf_exc, text);
}

static void raiseProblemError(problem_s *problem) {
  char text[QRVA_PY_ERRBUF] = "";
  if (!problem->qprob || QRVAgetlasterror(problem->qprob, text) != 0) text[0] = '\0';
  text[sizeof text - 1] = '\0';
  if (text[0] == '\0' && problem->slpprob) {
    int code = 0;
    if (QSLPgetlasterror(problem->slpprob, &code, text) != 0) text[0] = '\0';
    text[sizeof text - 1] = '\0';
  }
  if (text[0] == '\0')
    PyErr_SetString(qpy_solver_exc, "Unidentified error associated with optimization problem");
  else
    PyErr_SetString(qpy_solver_exc, text);
}

static void raiseBranchobjError(branchobj_s *branchobj) {
  char text[QRVA_PY_ERRBUF] = "";
  int code = 0, length = 0;
  if (!branchobj->bo || QRVA_bo_getlasterror(branchobj->bo, &code, text, sizeof text, &length) != 0)
    text[0] = '\0';
  text[sizeof text - 1] = '\0';
  if (code == 0 && text[0] == '\0')
    PyErr_SetString(qpy_solver_exc, "Unidentified error associated with a branching object");
  else
    PyErr_SetString(qpy_solver_exc, text);
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
