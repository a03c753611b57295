/* quorva.quadterm: a coefficient times the product of two variables. Made
 * by the operators only; never changed after creation. */
#ifndef QUORVA_QUADTERM_H
#define QUORVA_QUADTERM_H

#include "model/types.h"

struct quadterm_s {
  PyObject_HEAD
  double coef;      /* may be 0 (a product by 0, a cancelling sum) */
  PyObject *first;  /* factor with the smaller serial (owned reference) */
  PyObject *second; /* the other factor; the same variable for a square */
};

#define QUADTERM(o) reinterpret_cast<quadterm_s *>(o)

/* A new term coef * u * v, the factor with the smaller serial first (u for
 * equal serials). */
PyObject *quadterm_fill(double coef, PyObject *u, PyObject *v);
/* factor times a quadratic term. */
PyObject *quadterm_copy(PyObject *term, double factor);

PyObject *quadterm_add(PyObject *left, PyObject *right);
PyObject *quadterm_sub(PyObject *left, PyObject *right);
PyObject *quadterm_mul(PyObject *left, PyObject *right);
PyObject *quadterm_div(PyObject *left, PyObject *right);
PyObject *quadterm_pow(PyObject *left, PyObject *right, PyObject *unused);
PyObject *quadterm_neg(PyObject *term);
PyObject *quadterm_iadd(PyObject *left, PyObject *right);
PyObject *quadterm_isub(PyObject *left, PyObject *right);
PyObject *quadterm_imul(PyObject *left, PyObject *right);
PyObject *quadterm_idiv(PyObject *left, PyObject *right);
PyObject *quadterm_ipow(PyObject *left, PyObject *right, PyObject *unused);

#endif
