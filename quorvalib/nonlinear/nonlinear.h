/* quorva.nonlinear: expressions that leave the quadratic world. The
 * algebra of variables, terms and expressions creates nonlinear nodes only
 * through nonlin_instantiate_unary / nonlin_instantiate_binary, and hands
 * operations with a nonlinear operand to the functions below. */
#ifndef QUORVA_NONLINEAR_H
#define QUORVA_NONLINEAR_H

#include "model/types.h"

/* Operator codes of nonlinear nodes (shared by printing and conversion). */
enum NonlinearOp {
  NONLIN_SUM = 0,     /* n-ary + */
  NONLIN_MINUS = 1,   /* binary - */
  NONLIN_UMINUS = 2,  /* unary - */
  NONLIN_PROD = 3,    /* n-ary * */
  NONLIN_DIV = 4,     /* / */
  NONLIN_POW = 5,     /* ** */
  NONLIN_EXP = 6,
  NONLIN_LOG = 7,
  NONLIN_LOG10 = 8,
  NONLIN_SIN = 9,
  NONLIN_COS = 10,
  NONLIN_TAN = 11,
  NONLIN_ASIN = 12,
  NONLIN_ACOS = 13,
  NONLIN_ATAN = 14,
  NONLIN_MAX = 15,
  NONLIN_MIN = 16,
  NONLIN_ABS = 17,
  NONLIN_SIGN = 18,
  NONLIN_ERF = 19,
  NONLIN_ERFC = 20,
  NONLIN_SQRT = 21,
  NONLIN_USER = 22,
  NONLIN_USER_DERIV = 23,
};

/* A new node code(x) / p code q. NULL with quorva.ModelError set. */
PyObject *nonlin_instantiate_unary(int code, PyObject *x);
PyObject *nonlin_instantiate_binary(int code, PyObject *p, PyObject *q);

/* The nonlinear class's operators, used when an operand is nonlinear. */
PyObject *nonlin_add(PyObject *p, PyObject *q);
PyObject *nonlin_sub(PyObject *p, PyObject *q);
PyObject *nonlin_mul(PyObject *p, PyObject *q);
PyObject *nonlin_div(PyObject *p, PyObject *q);
PyObject *nonlin_pow(PyObject *p, PyObject *q, PyObject *unused);
PyObject *nonlin_neg(PyObject *p);
PyObject *nonlin_iadd(PyObject *p, PyObject *q);
PyObject *nonlin_imul(PyObject *p, PyObject *q);
/* p + s * q as a new object. */
PyObject *nonlin_alg_sum(PyObject *p, PyObject *q, double s);
/* A deep copy of x times f. */
PyObject *nonlin_copy(PyObject *x, double f);

#endif
