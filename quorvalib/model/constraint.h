/* quorva.constraint: a linear, quadratic or nonlinear constraint
 * lb <= body <= ub, made by comparing modeling objects or by calling the
 * class. */
#ifndef QUORVA_CONSTRAINT_H
#define QUORVA_CONSTRAINT_H

#include "model/types.h"

#include <cstdint>

struct constraint_s {
  PyObject_HEAD
  uint32_t serial; /* identity; problems map it to a row */
  PyObject *name;  /* normally a str */
  PyObject *body;  /* a modeling object or a constant; NULL when none */
  double lb;       /* -1e20: no lower bound */
  double ub;       /* 1e20: no upper bound */
  uint64_t changed; /* change stamp of the last bound change, 0 for none */
};

#define CONSTRAINT(o) reinterpret_cast<constraint_s *>(o)
#define constraint_check(o) (Py_TYPE(o) == &quorva_constraintType)

/* A new constraint with bounds -1e20, 1e20, no body, named R<serial>. */
PyObject *constraint_base();

/* left op right as a constraint, the constant of the difference moved into
 * the bounds; op is Python's comparison code. NULL with quorva.ModelError. */
PyObject *make_constraint(PyObject *left, PyObject *right, int op);

/* The rich comparison of the modeling classes: arrays are left to NumPy
 * (which compares element by element), everything else builds a
 * constraint. */
PyObject *modeling_richcompare(PyObject *self, PyObject *other, int op);

/* The library's view of a constraint: the sense letter (L G E R N), the
 * right-hand side added to *rhs, and for ranges the width in *range. */
void getRhsSense(PyObject *constraint, char *sense, double *rhs, double *range);

/* Test hooks of constraints and nonlinear nodes (underscore names). */
extern PyMethodDef quorvamod_constraintTestMethods[];

#endif
