/* The record of quorva.problem: the two library problems, the objects added
 * to them (list position = library index), and the maps from an object's
 * serial to its index. */
#ifndef QUORVA_PROBLEM_H
#define QUORVA_PROBLEM_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

struct rowcolmap; /* serial -> index, defined with the coefficient maps */

/* Callback kinds: 18 of the optimizer library, then 18 of the SLP library. */
#define QRVA_PY_CB_OPT_KINDS 18
#define QRVA_PY_CB_KINDS 36

struct problem_s {
  PyObject_HEAD
  QRVAprob qprob;             /* owned optimizer problem */
  QSLPprob slpprob;           /* owned SLP problem layered on qprob */
  PyObject *variables;        /* list: entry i is column i */
  PyObject *constraints;      /* list: entry i is row i */
  PyObject *sets;             /* list: entry i is set i */
  PyObject *controls;         /* quorva.control bound to this problem */
  PyObject *attributes;       /* quorva.attribute bound to this problem */
  rowcolmap *varmap;
  rowcolmap *conmap;
  rowcolmap *sosmap;
  PyObject *callbacks[QRVA_PY_CB_KINDS]; /* each NULL or a list of entries */
  int special_col;            /* SLP column for formula coefficients, -1 until read */
  int nl_count;               /* > 0 once constraints hold nonlinear coefficients */
  int nl_objective;           /* 1 while the objective has a nonlinear part */
  PyObject *userfuncs;        /* dict of user functions or NULL */
  int obj_transfer_col;       /* objective transfer column or -1 */
  int obj_transfer_row;       /* objective transfer row or -1 */
};
typedef struct problem_s problem_s;

#define problem_check(o) PyObject_TypeCheck((o), &quorva_problemType)

#endif
