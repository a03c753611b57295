/* quorva.expression: constant + linear part + quadratic part. The only
 * mutable class of the algebra: the in-place operators change the object. */
#ifndef QUORVA_EXPRESSION_H
#define QUORVA_EXPRESSION_H

#include "model/maps.h"

#include <string>

struct expression_s {
  PyObject_HEAD
  double constant;
  linmap *linear;     /* NULL: no linear terms */
  quadmap *quadratic; /* pairs stored under the factor with the smaller serial */
  indexset *serials;  /* serials of the variables of the quadratic part */
};

#define EXPRESSION(o) reinterpret_cast<expression_s *>(o)
#define expression_check(o) (Py_TYPE(o) == &quorva_expressionType)

/* A new empty expression (constant 0, no terms). */
PyObject *expression_base();

/* A new expression constant + a*x (+ b*y when y is not NULL), the
 * coefficients added as by expression_addToLinTerm. NULL with
 * quorva.ModelError(failure) set when the maps cannot be made. */
PyObject *expression_fromLinear(double constant, PyObject *x, double a, PyObject *y, double b, const char *failure);

/* 0, or -1 with quorva.ModelError set. */
int expression_setLinTerm(PyObject *e, PyObject *variable, double coef);
int expression_addToLinTerm(PyObject *e, PyObject *variable, double coef);
int expression_setQuadTerm(PyObject *e, PyObject *x, PyObject *y, double coef);
int expression_addToQuadTerm(PyObject *e, PyObject *x, PyObject *y, double coef);

/* A new expression equal to factor * obj, for any operand kind (a
 * nonlinear operand gives a nonlinear copy). */
PyObject *expression_copy(PyObject *obj, double factor);
/* Appends a constant, variable, term or expression as a formula that Python
 * reads back to the same value ("3 + 2*x - y**2"), with exact numbers: the
 * form nonlinear printing uses for its operands. pieces: the number of terms
 * written (the constant counts as one). */
int expression_appendFormula(std::string &out, PyObject *object, int *pieces);
/* p + sign * q as a new object. */
PyObject *expression_alg_sum(PyObject *p, PyObject *q, double sign);
/* p + sign * q, changing p when it is an expression (and returning it);
 * p may also be NULL, a constant, a variable or a term (a new expression is
 * made) or a nonlinear expression. */
PyObject *expression_incremental_alg_sum(PyObject *p, PyObject *q, double sign);

PyObject *expression_add(PyObject *left, PyObject *right);
PyObject *expression_sub(PyObject *left, PyObject *right);
PyObject *expression_mul(PyObject *left, PyObject *right);
PyObject *expression_div(PyObject *left, PyObject *right);
PyObject *expression_pow(PyObject *left, PyObject *right, PyObject *unused);
PyObject *expression_neg(PyObject *e);
PyObject *expression_iadd(PyObject *left, PyObject *right);
PyObject *expression_isub(PyObject *left, PyObject *right);
PyObject *expression_imul(PyObject *left, PyObject *right);
PyObject *expression_idiv(PyObject *left, PyObject *right);
PyObject *expression_ipow(PyObject *left, PyObject *right, PyObject *unused);

#endif
