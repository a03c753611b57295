/* The process-wide environment record of the module, the module's locks,
 * and the switching on and off of the libraries' environments. */
#ifndef QUORVA_ENV_H
#define QUORVA_ENV_H

#include "module/pyref.h"

#include <cstdint>

struct qrv_py_env_t {
  uint32_t next_var_serial;  /* serial of the next variable */
  uint32_t next_con_serial;  /* serial of the next constraint */
  uint32_t next_sos_serial;  /* serial of the next special ordered set */
  PyObject *controls;        /* module-wide quorva.control object */
  PyObject *control_table;   /* name -> (id, type, library) */
  PyObject *attribute_table; /* name -> (id, type, library) */
  PyObject *control_defaults;/* name -> value set module-wide by the user */
  PyObject *msghandlers;     /* list of [function, data] */
  int env_on;                /* 1 while the module has the environment on */
  /* Raised by every change of a bound or type of a variable or constraint;
   * the object keeps the value of its last change and each problem the
   * value up to which it pushed the changes of its objects to the library. */
  uint64_t change_stamp;
};

extern qrv_py_env_t qrv_py_env;

/* Busy-flag locks, one per shared area. */
extern QrvaLock lock_env;        /* environment flag and module functions */
extern QrvaLock lock_probenv;    /* problem methods reading env_on */
extern QrvaLock lock_ctrltable;  /* control and attribute tables, defaults */
extern QrvaLock lock_error;      /* error reporting and setdefaultcontrol */
extern QrvaLock lock_varserial;
extern QrvaLock lock_conserial;
extern QrvaLock lock_sosserial;
extern QrvaLock lockSigIntAct;   /* SIGINT disposition */
extern QrvaLock lock_slpsolve;   /* nonlinear solving and multistart */
extern QrvaLock lock_varfamily;  /* variable families */

/* Library types of the table entries: 1 integer, 2 double, 3 string. */
enum { QRVA_PY_TYPE_INT = 1, QRVA_PY_TYPE_DBL = 2, QRVA_PY_TYPE_STR = 3 };
/* Library of the table entries. */
enum { QRVA_PY_LIB_OPT = 0, QRVA_PY_LIB_SLP = 1 };

/* 0 on success; non-zero with a Python error set. force = 1 restarts the
 * environment even when it is on. */
int turnQRVAon(int force);
/* 0 on success; -1 with a Python error set. force = 1 frees even when the
 * module believes the environment is off. */
int turnQRVAoff(int force);

#endif
