/* quorva.var: a decision variable, the leaf of all modeling arithmetic. */
#ifndef QUORVA_VAR_H
#define QUORVA_VAR_H

#include "model/types.h"

#include <cstdint>

struct var_s {
  PyObject_HEAD
  uint32_t serial;  /* identity, hash and ordering key of every coefficient map */
  PyObject *name;   /* normally a str; NULL until named */
  double lb;
  double ub;
  double threshold; /* for semi-continuous, semi-integer, partially integer */
  int vartype;      /* quorva.continuous ... quorva.partiallyinteger */
  uint64_t changed; /* change stamp of the last bound or type change, 0 for none */
};

#define var_check(o) (Py_TYPE(o) == &quorva_varType)
#define VAR_SERIAL(o) (reinterpret_cast<var_s *>(o)->serial)

/* A new variable: lb 0, ub 1e20, threshold -1e20, continuous, no name, a
 * fresh serial. */
PyObject *var_new();
/* var_new() named "C<serial>". */
PyObject *var_base();
/* factor 1: the variable itself; 0: the float 0.0; else factor * variable. */
PyObject *var_copy(PyObject *variable, double factor);
/* The variable's name as a str (a new reference): the name itself, a bytes
 * name decoded, any other object through str(), "C<serial>" when unnamed. */
PyObject *var_nameText(PyObject *variable);

/* Number protocol, also used by the other classes' hand-over. */
PyObject *var_add(PyObject *left, PyObject *right);
PyObject *var_sub(PyObject *left, PyObject *right);
PyObject *var_mul(PyObject *left, PyObject *right);
PyObject *var_div(PyObject *left, PyObject *right);
PyObject *var_pow(PyObject *left, PyObject *right, PyObject *unused);
PyObject *var_neg(PyObject *variable);
PyObject *var_idiv(PyObject *left, PyObject *right);

#endif
