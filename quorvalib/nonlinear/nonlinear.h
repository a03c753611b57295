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

/* The record of a node: its operator code and its arguments (the operand
 * itself for a unary code; a tuple of two for binary codes; a list for sums
 * and products; a tuple or list for max, min and user functions). */
struct nonlinear_s {
  PyObject_HEAD
  PyObject *args; /* owned; NULL until filled */
  int op;         /* operator code, -1 until filled */
};

#define NONLINEAR(o) reinterpret_cast<nonlinear_s *>(o)
#define nonlinear_check(o) (Py_TYPE(o) == &quorva_nonlinearType)

/* A new node code(x) / p code q. NULL with quorva.ModelError set. */
PyObject *nonlin_instantiate_unary(int code, PyObject *x);
PyObject *nonlin_instantiate_binary(int code, PyObject *p, PyObject *q);
/* A node of the module functions: a single operand for unary codes, a tuple
 * or list (kept itself, not copied) for n-ary codes. */
PyObject *nonlin_create(int code, PyObject *args);

/* The nonlinear class's operators, used when an operand is nonlinear. */
PyObject *nonlin_add(PyObject *p, PyObject *q);
PyObject *nonlin_sub(PyObject *p, PyObject *q);
PyObject *nonlin_mul(PyObject *p, PyObject *q);
PyObject *nonlin_div(PyObject *p, PyObject *q);
PyObject *nonlin_pow(PyObject *p, PyObject *q, PyObject *unused);
PyObject *nonlin_neg(PyObject *p);
PyObject *nonlin_iadd(PyObject *p, PyObject *q);
PyObject *nonlin_isub(PyObject *p, PyObject *q);
PyObject *nonlin_imul(PyObject *p, PyObject *q);
PyObject *nonlin_idiv(PyObject *p, PyObject *q);
PyObject *nonlin_ipow(PyObject *p, PyObject *q, PyObject *unused);
/* p + s * q as a new object. */
PyObject *nonlin_alg_sum(PyObject *p, PyObject *q, double s);
/* p + s * q, changing p in place when it is a sum (p may also be NULL or
 * None: the result is then s * q). */
PyObject *nonlin_incremental_alg_sum(PyObject *p, PyObject *q, double s);
/* A deep copy of x times f. */
PyObject *nonlin_copy(PyObject *x, double f);

/* The arguments of a node: their number (-1 when x is not a node, 1 for a
 * single operand), and an iteration: first sets *i = 0, next increments it;
 * both return a borrowed reference, or NULL after the last argument (next)
 * or with quorva.ModelError set when x is not a node. */
Py_ssize_t nonlin_arg_size(PyObject *x);
PyObject *nonlin_arg_first(PyObject *x, Py_ssize_t *i);
PyObject *nonlin_arg_next(PyObject *x, Py_ssize_t *i);

/* Module functions exp ... sqrt, max, min, user. */
extern PyMethodDef quorvamod_nonlinearMethods[];

#endif
