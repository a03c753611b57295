/* quorva.linterm: a coefficient times a variable. Made by the operators
 * only; never changed after creation. */
#ifndef QUORVA_LINTERM_H
#define QUORVA_LINTERM_H

#include "model/types.h"

struct linterm_s {
  PyObject_HEAD
  double coef;   /* never 0 */
  PyObject *var; /* the variable (owned reference) */
};

#define LINTERM(o) reinterpret_cast<linterm_s *>(o)

/* coef = 0: the float 0.0; else a new term coef * variable. */
PyObject *linterm_fill(double coef, PyObject *variable);
/* factor times a linear term. */
PyObject *linterm_copy(PyObject *term, double factor);

PyObject *linterm_add(PyObject *left, PyObject *right);
PyObject *linterm_sub(PyObject *left, PyObject *right);
PyObject *linterm_mul(PyObject *left, PyObject *right);
PyObject *linterm_div(PyObject *left, PyObject *right);
PyObject *linterm_pow(PyObject *left, PyObject *right, PyObject *unused);
PyObject *linterm_neg(PyObject *term);
PyObject *linterm_iadd(PyObject *left, PyObject *right);
PyObject *linterm_isub(PyObject *left, PyObject *right);
PyObject *linterm_imul(PyObject *left, PyObject *right);
PyObject *linterm_idiv(PyObject *left, PyObject *right);
PyObject *linterm_ipow(PyObject *left, PyObject *right, PyObject *unused);

#endif
