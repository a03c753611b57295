/* The module's environment record and the switching of the libraries'
 * environments. The optimizer environment is started lazily by the first
 * problem or module function that needs it; the SLP environment follows it. */
#include "module/env.h"

#include "module/errors.h"
#include "module/log.h"
#include "module/modfuncs.h"
#include "module/qrvalibs.h"
#include "problem/controls.h"

qrv_py_env_t qrv_py_env;

QrvaLock lock_env;
QrvaLock lock_probenv;
QrvaLock lock_ctrltable;
QrvaLock lock_error;
QrvaLock lock_varserial;
QrvaLock lock_conserial;
QrvaLock lock_sosserial;
QrvaLock lockSigIntAct;
QrvaLock lock_slpsolve;
QrvaLock lock_varfamily;

int turnQRVAon(int force) {
  {
    LockGuard guard(lock_env);
    if (!force && qrv_py_env.env_on) return 0;
  }
  if (QRVAinit(nullptr) != 0) {
    /* The library's own account of why it could not start. */
    char text[QRVA_PY_ERRBUF] = "";
    int code = 0, length = 0;
    if (QRVA_ge_getlasterror(&code, text, sizeof text, &length) != 0 || text[0] == '\0')
      PyOS_snprintf(text, sizeof text, "Could not initialize the optimization environment (code %d)", code);
    qrva_py_raise_text(PyExc_RuntimeError, text);
    return -1;
  }
  {
    LockGuard guard(lock_env);
    qrv_py_env.env_on = 1;
  }
  /* The two environments go together: without the SLP one, switch the
   * optimizer off again rather than leave a half-started environment. */
  if (QSLPinit() != 0) {
    QRVAfree();
    LockGuard guard(lock_env);
    qrv_py_env.env_on = 0;
    PyErr_SetString(PyExc_RuntimeError, "Error initializing QSLP environment");
    return -1;
  }
  QRVAenablemessages(1);
  routeDefaultLog();
  if (reregisterMsgHandlers() != 0) return -1;

  int empty;
  {
    LockGuard guard(lock_ctrltable);
    empty = qrv_py_env.attribute_table && PyDict_Size(qrv_py_env.attribute_table) == 0;
  }
  if (empty && qrva_py_fill_tables(0) != 0) return -1;
  return 0;
}

int turnQRVAoff(int force) {
  {
    LockGuard guard(lock_env);
    if (!force && !qrv_py_env.env_on) return 0;
  }
  if (QSLPfree() != 0 || QRVAfree() != 0) {
    setQrvaErrIfNull(nullptr, nullptr);
    return -1;
  }
  LockGuard guard(lock_env);
  qrv_py_env.env_on = 0;
  return 0;
}
