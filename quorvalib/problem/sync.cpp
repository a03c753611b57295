/* Changes made to the library problem directly (the library-named chg...
 * methods) are read back into the problem's variable and constraint objects,
 * so that what an object says is what the problem solves. Each object read
 * back draws a change stamp: other problems holding the same object send the
 * new values before their next solve, and this problem, which already holds
 * them, counts as up to date. */
#include "model/constraint.h"
#include "model/var.h"
#include "module/env.h"
#include "module/errors.h"
#include "module/helpers.h"
#include "problem/convert.h"
#include "problem/problem.h"

#include <new>
#include <vector>

void rowBounds(char type, double rhs, double range, double *lb, double *ub) {
  *lb = -QRVA_INFINITY;
  *ub = QRVA_INFINITY;
  switch (type) {
    case 'E': *lb = *ub = rhs; break;
    case 'G': *lb = rhs; break;
    case 'L': *ub = rhs; break;
    case 'R': *ub = rhs, *lb = rhs - range; break;
    default: break; /* 'N': neither bound */
  }
}

/* The problem was up to date before the direct change (pushChanges ran), and
 * the stamps drawn since are the read-back ones. */
static void markSynced(problem_s *p) { p->synced = qrv_py_env.change_stamp; }

static void storeColumn(problem_s *p, int col, double lb, double ub, char type) {
  var_s *v = reinterpret_cast<var_s *>(PyList_GET_ITEM(p->variables, col));
  v->lb = lb;
  v->ub = ub;
  v->vartype = variableTypeOf(type);
  markChanged(&v->changed);
}

int problem_pullColumns(problem_s *p, int n, const int *cols) {
  Py_ssize_t size = PyList_GET_SIZE(p->variables);
  for (int k = 0; k < n; ++k) {
    int col = cols[k];
    if (col < 0 || col >= size) continue;
    double lb = 0.0, ub = 0.0;
    char type = 'C';
    if (QRVAgetlb(p->qprob, &lb, col, col) != 0 || QRVAgetub(p->qprob, &ub, col, col) != 0 ||
        QRVAgetcoltype(p->qprob, &type, col, col) != 0)
      return -1;
    storeColumn(p, col, lb, ub, type);
  }
  markSynced(p);
  return 0;
}

int problem_pullColumnRange(problem_s *p, int first, int count) {
  if (count <= 0) return 0;
  if (first < 0 || first + count > PyList_GET_SIZE(p->variables)) {
    PyErr_SetString(qpy_interf_exc, "Internal error -- variable list and columns differ");
    return -1;
  }
  try {
    std::vector<double> lb((size_t)count), ub((size_t)count);
    std::vector<char> types((size_t)count);
    int last = first + count - 1;
    if (QRVAgetlb(p->qprob, lb.data(), first, last) != 0 || QRVAgetub(p->qprob, ub.data(), first, last) != 0 ||
        QRVAgetcoltype(p->qprob, types.data(), first, last) != 0)
      return -1;
    for (int k = 0; k < count; ++k) storeColumn(p, first + k, lb[(size_t)k], ub[(size_t)k], types[(size_t)k]);
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return -1;
  }
  markSynced(p);
  return 0;
}

int problem_pullThresholds(problem_s *p, int n, const int *cols, const double *limits) {
  Py_ssize_t size = PyList_GET_SIZE(p->variables);
  for (int k = 0; k < n; ++k) {
    if (cols[k] < 0 || cols[k] >= size) continue;
    var_s *v = reinterpret_cast<var_s *>(PyList_GET_ITEM(p->variables, cols[k]));
    v->threshold = limits[k];
    markChanged(&v->changed);
  }
  markSynced(p);
  return 0;
}

int problem_pullRows(problem_s *p, int n, const int *rows) {
  Py_ssize_t size = PyList_GET_SIZE(p->constraints);
  for (int k = 0; k < n; ++k) {
    int row = rows[k];
    if (row < 0 || row >= size) continue;
    double rhs = 0.0, range = 0.0, constant = 0.0;
    char type = 'N';
    if (QRVAgetrhs(p->qprob, &rhs, row, row) != 0 || QRVAgetrhsrange(p->qprob, &range, row, row) != 0 ||
        QRVAgetrowtype(p->qprob, &type, row, row) != 0)
      return -1;
    constraint_s *c = CONSTRAINT(PyList_GET_ITEM(p->constraints, row));
    /* The library's right-hand side is the bound less the body's constant. */
    if (c->body && bodyConstant(c->body, &constant) != 0) return -1;
    rowBounds(type, rhs + constant, range, &c->lb, &c->ub);
    markChanged(&c->changed);
  }
  markSynced(p);
  return 0;
}
