/* The record of quorva.branchobj: a branching object of the optimizer
 * library, used inside callbacks. */
#ifndef QUORVA_BRANCHOBJ_H
#define QUORVA_BRANCHOBJ_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

struct branchobj_s {
  PyObject_HEAD
  QRVAbranchobject bo;  /* the library's branching object */
  PyObject *problem;    /* the problem the object belongs to (owned) */
  int is_original;      /* 1 when the library owns the object */
};
typedef struct branchobj_s branchobj_s;

#endif
