/* The record of quorva.branchobj: a branching object of the optimizer
 * library, made in Python for a problem or handed to a chgbranchobject
 * callback by the library. */
#ifndef QUORVA_BRANCHOBJ_H
#define QUORVA_BRANCHOBJ_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

struct branchobj_s {
  PyObject_HEAD
  QRVAbranchobject handle; /* destroyed with the object unless cleared (stored or detached) */
  PyObject *problem;       /* the problem the branches refer to (owned; a view in callbacks) */
  int isoriginal;          /* as passed to QRVA_bo_create; 1 for objects made for a callback */
};
typedef struct branchobj_s branchobj_s;

/* A new object with no handle, no problem and isoriginal 1. */
PyObject *branchobj_base();

#endif
