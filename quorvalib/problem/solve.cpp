/* The objective, the solve, and the queries of the solution: objective
 * value, primal values, slacks, duals, reduced costs and status. Each
 * method asks the SLP library when the problem has nonlinear content, else
 * the optimizer (as a MIP when the problem has discrete columns or sets). */
#include "model/constraint.h"
#include "model/maps.h"
#include "model/operand.h"
#include "model/sos.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/errors.h"
#include "module/helpers.h"
#include "module/interrupt.h"
#include "module/numpy_api.h"
#include "problem/busy.h"
#include "problem/convert.h"
#include "problem/problem.h"

#include <new>
#include <vector>

static PyObject *raise(PyObject *type, const char *message) {
  PyErr_SetString(type, message);
  return nullptr;
}

int check_nl_unconstruct(problem_s *p) {
  if (!problem_hasNonlinear(p)) return 0;
  int status = 0;
  if (int rc = QSLPgetintattrib(p->slpprob, QSLP_SLPSTATUS, &status)) return rc;
  if (status & QSLP_STATUS_CONSTRUCTED)
    if (int rc = QSLPunconstruct(p->slpprob)) return rc;
  if (status & QSLP_STATUS_PRESOLVED)
    if (int rc = QSLPpostsolve(p->slpprob)) return rc;
  return 0;
}

/* ---- the objective ---- */

/* Sets every objective coefficient, the constant and the quadratic part of
 * the objective to 0. 0 or the library's code. */
static int clearObjective(problem_s *self) {
  int cols = 0;
  if (problem_colCount(self, &cols) != 0) return -1;
  int constant_col = -1;
  double zero = 0.0;
  if (int rc = QRVAchgobj(self->qprob, 1, &constant_col, &zero)) return rc;
  if (cols > 0) {
    std::vector<int> all((size_t)cols);
    std::vector<double> zeros((size_t)cols, 0.0);
    for (int j = 0; j < cols; ++j) all[(size_t)j] = j;
    if (int rc = QRVAchgobj(self->qprob, cols, all.data(), zeros.data())) return rc;
  }
  return QRVAdelqmatrix(self->qprob, -1);
}

/* Moves the entries of map at indices above `removed` down by one. */
static void closeGap(rowcolmap *map, int removed) {
  for (auto &entry : map->entries)
    if (entry.second > removed) entry.second -= 1;
}

/* Takes the nonlinear objective out: its formula coefficients, the SLP
 * settings of the transfer column, the column and the row. 0, or -1 with
 * the library's error left to the caller. */
static int removeNonlinearObjective(problem_s *self) {
  int row = self->obj_transfer_row, col = self->obj_transfer_col;
  int count = 0;
  if (QSLPgetcoefs(self->slpprob, &count, nullptr, nullptr) != 0) return -1;
  std::vector<int> rows((size_t)count + 1), cols((size_t)count + 1);
  if (QSLPgetcoefs(self->slpprob, &count, rows.data(), cols.data()) != 0) return -1;
  for (int k = count - 1; k >= 0; --k)
    if (rows[(size_t)k] == row && QSLPdelcoefs(self->slpprob, 1, &rows[(size_t)k], &cols[(size_t)k]) != 0)
      return -1;
  /* The row and column go as a whole, with whatever status the SLP library
   * keeps for them. */
  if (QSLPdelvars(self->slpprob, 1, &col) != 0 || QRVAdelcols(self->qprob, 1, &col) != 0 ||
      QRVAdelrows(self->qprob, 1, &row) != 0)
    return -1;
  /* Objects added after the transfer row and column sit one lower now. */
  closeGap(self->varmap, col);
  closeGap(self->conmap, row);
  self->obj_transfer_row = self->obj_transfer_col = -1;
  self->nl_objective = 0;
  return 0;
}

/* Adds the transfer row and column of a nonlinear objective and its
 * formula coefficients in that row. 0, or -1 with the library's error left
 * to the caller (what was added is taken out again). */
static int addNonlinearObjective(problem_s *self, FormulaEntries &formulas) {
  int row = 0, col = 0;
  bool slp_counts = self->nl_count > 0;
  if ((slp_counts ? QSLPgetintattrib(self->slpprob, QSLP_SLPROWS, &row)
                  : QRVAgetintattrib(self->qprob, QRVA_ORIGINALROWS, &row)) != 0 ||
      (slp_counts ? QSLPgetintattrib(self->slpprob, QSLP_SLPCOLS, &col)
                  : QRVAgetintattrib(self->qprob, QRVA_ORIGINALCOLS, &col)) != 0)
    return -1;
  char type = 'E';
  double rhs = 0.0, range = 0.0;
  int64_t row_start[2] = {0, 0};
  if (QRVAaddrows64(self->qprob, 1, 0, &type, &rhs, &range, row_start, nullptr, nullptr) != 0) return -1;
  double objective = 1.0, coef = -1.0, lb = -1e20, ub = 1e20;
  int64_t col_start[2] = {0, 1};
  if (QRVAaddnames(self->qprob, QRVA_NAMES_ROWS, "objtransferrow", row, row) != 0 ||
      QRVAaddcols64(self->qprob, 1, 1, &objective, col_start, &row, &coef, &lb, &ub) != 0) {
    QRVAdelrows(self->qprob, 1, &row);
    return -1;
  }
  formulas.row.assign(formulas.size(), row);
  if (QRVAaddnames(self->qprob, QRVA_NAMES_COLUMNS, "objtransfercol", col, col) != 0 ||
      QSLPchgvar(self->slpprob, col, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr) != 0 ||
      QSLPaddcoefs(self->slpprob, (int)formulas.size(), formulas.row.data(), formulas.col.data(),
                   formulas.factor.data(), formulas.start.data(), 1, formulas.type.data(),
                   formulas.value.data()) != 0) {
    QRVAdelcols(self->qprob, 1, &col);
    QRVAdelrows(self->qprob, 1, &row);
    return -1;
  }
  self->obj_transfer_row = row;
  self->obj_transfer_col = col;
  self->nl_objective = 1;
  return 0;
}

static PyObject *problem_setObjective(PyObject *pself, PyObject *args, PyObject *kwargs) {
  problem_s *self = PROBLEM(pself);
  static const char *keywords[] = {"objective", "sense", nullptr};
  PyObject *objective = nullptr;
  long sense = 1;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O|l", const_cast<char **>(keywords), &objective, &sense))
    return setQrvaErrIfNull(pself, nullptr);
  if (sense != 1 && sense != -1) return setQrvaErrIfNull(pself, raise(qpy_model_exc, "Invalid optimization sense"));
  PyRef element;
  if (PyArray_Check(objective)) {
    PyArrayObject *array = reinterpret_cast<PyArrayObject *>(objective);
    if (PyArray_SIZE(array) != 1)
      return setQrvaErrIfNull(
          pself, raise(qpy_model_exc, "Only one objective can be set, passed a sequence or NumPy array"));
    element.reset(PyArray_GETITEM(array, PyArray_BYTES(array)));
    if (!element) return setQrvaErrIfNull(pself, nullptr);
    objective = element.get();
  }
  if (operandKind(objective) == KIND_INVALID)
    return setQrvaErrIfNull(pself, raise(qpy_model_exc, "Invalid object set as objective"));

  try {
    double constant = 0.0;
    LinearEntries linear;
    QuadraticEntries quadratic;
    FormulaEntries formulas;
    /* Converted before anything changes, so that an objective over a
     * variable outside the problem leaves the old objective in place. */
    ConvertCounts counts;
    if (countExpr(objective, counts) != 0 ||
        convertExpr(self, objective, true, &constant, linear, quadratic, formulas) != 0)
      return setQrvaErrIfNull(pself, nullptr);
    if (check_nl_unconstruct(self) != 0 || clearObjective(self) != 0) return setQrvaErrIfNull(pself, nullptr);
    if (self->nl_objective) {
      if (removeNonlinearObjective(self) != 0) return setQrvaErrIfNull(pself, nullptr);
      /* Columns after the transfer column moved down: convert again. */
      constant = 0.0;
      linear = LinearEntries();
      quadratic = QuadraticEntries();
      formulas = FormulaEntries();
      if (convertExpr(self, objective, true, &constant, linear, quadratic, formulas) != 0)
        return setQrvaErrIfNull(pself, nullptr);
    }
    int constant_col = -1;
    double library_constant = -constant; /* column -1 holds minus the constant */
    if (constant != 0.0 && QRVAchgobj(self->qprob, 1, &constant_col, &library_constant) != 0)
      return setQrvaErrIfNull(pself, nullptr);
    if (linear.size() > 0 &&
        QRVAchgobj(self->qprob, (int)linear.size(), linear.col.data(), linear.coef.data()) != 0)
      return setQrvaErrIfNull(pself, nullptr);
    if (quadratic.size() > 0 && QRVAchgmqobj64(self->qprob, (int64_t)quadratic.size(), quadratic.col1.data(),
                                               quadratic.col2.data(), quadratic.coef.data()) != 0)
      return setQrvaErrIfNull(pself, nullptr);
    if (formulas.size() > 0 && addNonlinearObjective(self, formulas) != 0) return setQrvaErrIfNull(pself, nullptr);
  } catch (const std::bad_alloc &) {
    return setQrvaErrIfNull(pself, PyErr_NoMemory());
  }
  /* The nonlinear solver keeps a sense of its own; it is set whether or not
   * the problem has nonlinear parts yet, so that a formula added after the
   * objective is solved in the objective's sense. */
  if (QRVAchgobjsense(self->qprob, (int)sense) != 0 ||
      QSLPsetdblcontrol(self->slpprob, QSLP_SLPOBJSENSE, sense == 1 ? 1.0 : -1.0) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, newNone());
}

/* ---- solving ---- */

static PyObject *problem_solve(PyObject *pself, PyObject *args, PyObject *kwargs) {
  problem_s *self = PROBLEM(pself);
  static const char *keywords[] = {"flags", nullptr};
  PyObject *flags_object = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O", const_cast<char **>(keywords), &flags_object))
    return setQrvaErrIfNull(pself, nullptr);
  bool has_flags = flags_object && flags_object != Py_None;
  PyStrCopy flags(has_flags ? flags_object : Py_None);
  if (has_flags && !flags.get()) {
    if (!PyErr_Occurred()) PyErr_SetString(qpy_model_exc, "The flags of solve() must be a string");
    return setQrvaErrIfNull(pself, nullptr);
  }

  int rc = 0;
  bool attributes_failed = false;
  if (problem_beginSolve(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  if (problem_pushChanges(self) != 0) {
    problem_endSolve(self);
    return setQrvaErrIfNull(pself, nullptr);
  }
  PyThreadState *thread = PyEval_SaveThread();
  int is_mip = 0;
  if (problem_isMIP(self, &is_mip) != 0) {
    attributes_failed = true;
  } else {
    setSigIntHandler();
    if (problem_hasNonlinear(self))
      rc = QSLPnlpoptimize(self->slpprob, flags.get());
    else if (is_mip)
      rc = QRVAmipoptimize(self->qprob, flags.get());
    else
      rc = QRVAlpoptimize(self->qprob, flags.get());
    resetSigIntHandler();
  }
  PyEval_RestoreThread(thread);
  problem_endSolve(self);
  if (attributes_failed || rc != 0) return setQrvaErrIfNull(pself, nullptr);
  /* A callback or message handler that raised left its error pending. */
  if (PyErr_Occurred()) return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, newNone());
}

/* ---- objective value and status ---- */

static int requireSolution(problem_s *self);

static PyObject *problem_getObjVal(PyObject *pself, PyObject *) {
  problem_s *self = PROBLEM(pself);
  if (requireSolution(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  double value = 0.0;
  int is_mip = 0, rc;
  if (problem_hasNonlinear(self))
    rc = QSLPgetdblattrib(self->slpprob, QSLP_NLPOBJVAL, &value);
  else if ((rc = problem_isMIP(self, &is_mip)) == 0)
    rc = QRVAgetdblattrib(self->qprob, is_mip ? QRVA_MIPOBJVAL : QRVA_LPOBJVAL, &value);
  return setQrvaErrIfNull(pself, rc == 0 ? PyFloat_FromDouble(value) : nullptr);
}

enum StatusTable { STATUS_NLP, STATUS_MIP, STATUS_LP };

/* The status value and the table that names it. 0 or -1. */
static int readStatus(problem_s *self, int *status, StatusTable *table) {
  if (problem_hasNonlinear(self)) {
    *table = STATUS_NLP;
    return QSLPgetintattrib(self->slpprob, QSLP_NLPSTATUS, status) ? -1 : 0;
  }
  int is_mip = 0;
  if (problem_isMIP(self, &is_mip) != 0) return -1;
  *table = is_mip ? STATUS_MIP : STATUS_LP;
  return QRVAgetintattrib(self->qprob, is_mip ? QRVA_MIPSTATUS : QRVA_LPSTATUS, status) ? -1 : 0;
}

/* The statuses after which the model-level queries have a solution to
 * give: an optimal LP, a MIP with an integer solution, an NLP at a solution. */
static bool statusHasSolution(StatusTable table, int status) {
  switch (table) {
    case STATUS_NLP: return status == QSLP_NLP_LOCALLY_OPTIMAL || status == QSLP_NLP_GLOBALLY_OPTIMAL;
    case STATUS_MIP: return status == QRVA_MIP_SOLUTION || status == QRVA_MIP_OPTIMAL;
    default: return status == QRVA_LP_OPTIMAL;
  }
}

static const char *statusName(StatusTable table, int status);

/* What a status without a solution means, for the error. */
static const char *noSolutionReason(StatusTable table, int status) {
  if (table == STATUS_LP && status == QRVA_LP_NONCONVEX) return ": the quadratic objective is not convex";
  if ((table == STATUS_LP && status == QRVA_LP_UNSTARTED) || (table == STATUS_MIP && status == QRVA_MIP_NOT_LOADED) ||
      (table == STATUS_NLP && status == QSLP_NLP_UNSTARTED))
    return ": the problem has not been solved since it was last changed";
  return "";
}

/* 0 when the last solve left a solution, else -1 with quorva.SolverError
 * naming the status: the model-level queries never hand out values of a
 * solve that found none (the library-named queries still reach the last
 * iterate). */
static int requireSolution(problem_s *self) {
  int status = 0;
  StatusTable table;
  if (readStatus(self, &status, &table) != 0) return -1;
  if (statusHasSolution(table, status)) return 0;
  PyErr_Format(qpy_solver_exc, "No solution available: the last solve ended with status %s%s",
               statusName(table, status), noSolutionReason(table, status));
  return -1;
}

static PyObject *problem_getProbStatus(PyObject *pself, PyObject *) {
  int status = 0;
  StatusTable table;
  if (readStatus(PROBLEM(pself), &status, &table) != 0) return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, PyLong_FromLong(status));
}

static const char *statusName(StatusTable table, int status) {
  static const char *const nlp[] = {"nlp_unstarted",  "nlp_solution",   "nlp_globally_optimal",
                                    "nlp_locally_infeasible", "nlp_infeasible", "nlp_unbounded",
                                    "nlp_unfinished", "nlp_unknown",    "nlp_unknown"};
  static const char *const mip[] = {"mip_not_loaded", "mip_lp_not_optimal", "mip_lp_optimal",
                                    "mip_no_sol_found", "mip_solution",    "mip_infeas",
                                    "mip_optimal",    "mip_unbounded",      "mip_unknown"};
  static const char *const lp[] = {"lp_unstarted", "lp_optimal",        "lp_infeas",   "lp_cutoff",   "lp_unfinished",
                                   "lp_unbounded", "lp_cutoff_in_dual", "lp_unsolved", "lp_nonconvex"};
  const char *const *names = table == STATUS_NLP ? nlp : table == STATUS_MIP ? mip : lp;
  if (status < 0 || status > 8)
    return table == STATUS_NLP ? "nlp_unknown" : table == STATUS_MIP ? "mip_unknown" : "lp_unknown";
  return names[status];
}

static PyObject *problem_getProbStatusString(PyObject *pself, PyObject *) {
  int status = 0;
  StatusTable table;
  if (readStatus(PROBLEM(pself), &status, &table) != 0) return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, PyUnicode_FromString(statusName(table, status)));
}

/* ---- solution values ---- */

namespace {
enum SolutionPart { PART_X, PART_SLACK, PART_DUAL, PART_RCOST };

struct IndexWalk {
  problem_s *problem;
  bool columns; /* column query (x, reduced costs) or row query */
  int count;    /* columns or rows */
  std::vector<int> indices;
};
}  // namespace

/* The index one query object stands for. 0 or -1 with an error. The texts
 * begin as the documented ones and say which object was wrong and why. */
static int queryIndex(IndexWalk &walk, PyObject *object, int *index) {
  problem_s *self = walk.problem;
  const char *what = walk.columns ? "column" : "row";
  int found = 0;
  *index = -1;
  PyTypeObject *type = Py_TYPE(object);
  if (walk.columns && type == &quorva_varType) {
    found = rowcolmap_get(self->varmap, VAR_SERIAL(object), index);
  } else if (!walk.columns && type == &quorva_constraintType) {
    found = rowcolmap_get(self->conmap, CONSTRAINT(object)->serial, index);
  } else if (!walk.columns && type == &quorva_sosType) {
    found = rowcolmap_get(self->sosmap, SOS(object)->serial, index);
  } else if (PyUnicode_Check(object) || PyBytes_Check(object)) {
    PyStrCopy name(object);
    if (!name.get()) return -1;
    if (QRVAgetindex(self->qprob, walk.columns ? QRVA_NAMES_COLUMNS : QRVA_NAMES_ROWS, name.get(), index) != 0) {
      setQrvaErrIfNull((PyObject *)self, nullptr);
      return -1;
    }
    if (*index < 0) {
      PyErr_Format(qpy_model_exc, "Index out of range: the problem has no %s named %R", what, object);
      return -1;
    }
  } else if (isIntegerObject(object)) {
    long value = PyLong_AsLong(object);
    if (value == -1 && PyErr_Occurred()) {
      PyErr_Clear();
      value = -1; /* far outside any problem */
    }
    *index = value < 0 || value > walk.count ? -1 : (int)value;
    if (*index < 0 || *index >= walk.count) {
      PyErr_Format(qpy_model_exc, "Index out of range: %S is not a %s index of the problem (it has %d %ss)", object,
                   what, walk.count, what);
      return -1;
    }
  } else {
    PyErr_SetString(qpy_model_exc, walk.columns
                                       ? "Incorrect object(s) passed: need index, variable or column name"
                                       : "Incorrect object(s) passed: need index, constraint, SOS or row name");
    return -1;
  }
  if (found != 0 || *index < 0 || *index >= walk.count) {
    PyErr_Format(qpy_model_exc, "Index out of range: %s %S is not in this problem", type->tp_name, object);
    return -1;
  }
  return 0;
}

static PyObject *queryLeaf(PyObject *, PyObject *leaf, void *data) {
  IndexWalk &walk = *static_cast<IndexWalk *>(data);
  int index;
  if (queryIndex(walk, leaf, &index) != 0) return nullptr;
  walk.indices.push_back(index);
  Py_RETURN_NONE;
}

/* Fills values (sized by the caller) with the solution part. 0 or -1 with
 * an error set. */
static int fetchPart(problem_s *self, SolutionPart part, bool nonlinear, bool is_mip, std::vector<double> &values) {
  double *x = part == PART_X ? values.data() : nullptr;
  double *slack = part == PART_SLACK ? values.data() : nullptr;
  double *dual = part == PART_DUAL ? values.data() : nullptr;
  double *dj = part == PART_RCOST ? values.data() : nullptr;
  int rc;
  if (nonlinear)
    rc = QSLPgetslpsol(self->slpprob, x, slack, dual, dj);
  else if (is_mip)
    rc = QRVAgetmipsol(self->qprob, x, slack);
  else
    rc = QRVAgetlpsol(self->qprob, x, slack, dual, dj);
  if (rc == 0) return 0;
  static const char *const failures[] = {"Could not get solution", "Could not get constraints' slack",
                                         "Could not get dual solution", "Could not retrieve reduced costs"};
  PyErr_SetString(qpy_solver_exc, failures[part]);
  return -1;
}

/* One argument that names a single value rather than a collection. */
static bool isSingleQuery(PyObject *args) {
  if (PyTuple_GET_SIZE(args) != 1) return false;
  PyObject *arg = PyTuple_GET_ITEM(args, 0);
  return !PyList_Check(arg) && !PyTuple_Check(arg) && !PySequence_Check(arg) && !PyIter_Check(arg) &&
         !PyDict_Check(arg);
}

static PyObject *solutionValues(PyObject *pself, PyObject *args, SolutionPart part) {
  problem_s *self = PROBLEM(pself);
  bool columns = part == PART_X || part == PART_RCOST;
  bool nonlinear = problem_hasNonlinear(self);
  int is_mip = 0, count = 0;
  if ((!nonlinear && problem_isMIP(self, &is_mip) != 0) ||
      (columns ? problem_colCount(self, &count) : problem_rowCount(self, &count)) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  if (!nonlinear && is_mip && part == PART_DUAL)
    return setQrvaErrIfNull(pself, raise(qpy_solver_exc, "Cannot retrieve dual variables in a MIP"));
  if (!nonlinear && is_mip && part == PART_RCOST)
    return setQrvaErrIfNull(pself, raise(qpy_solver_exc, "Cannot retrieve reduced cost in a MIP"));
  if (requireSolution(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  try {
    IndexWalk walk{self, columns, count, {}};
    bool single = isSingleQuery(args), all = PyTuple_GET_SIZE(args) == 0;
    if (single) {
      int index;
      if (queryIndex(walk, PyTuple_GET_ITEM(args, 0), &index) != 0) return setQrvaErrIfNull(pself, nullptr);
      walk.indices.push_back(index);
    } else if (!all) {
      PyRef done(forEachNested(pself, args, queryLeaf, &walk, QRVA_PY_NESTING_DEPTH));
      if (!done) return setQrvaErrIfNull(pself, nullptr);
    }
    std::vector<double> values((size_t)count + 1);
    if (fetchPart(self, part, nonlinear, is_mip, values) != 0) return setQrvaErrIfNull(pself, nullptr);
    if (single) return setQrvaErrIfNull(pself, PyFloat_FromDouble(values[(size_t)walk.indices[0]]));
    size_t n = all ? (size_t)count : walk.indices.size();
    PyRef list(PyList_New((Py_ssize_t)n));
    if (!list) return setQrvaErrIfNull(pself, nullptr);
    for (size_t k = 0; k < n; ++k) {
      PyObject *value = PyFloat_FromDouble(values[all ? k : (size_t)walk.indices[k]]);
      if (!value) return setQrvaErrIfNull(pself, nullptr);
      PyList_SET_ITEM(list.get(), (Py_ssize_t)k, value);
    }
    return setQrvaErrIfNull(pself, list.release());
  } catch (const std::bad_alloc &) {
    return setQrvaErrIfNull(pself, PyErr_NoMemory());
  }
}

static PyObject *problem_getSolution(PyObject *pself, PyObject *args) { return solutionValues(pself, args, PART_X); }
static PyObject *problem_getSlack(PyObject *pself, PyObject *args) { return solutionValues(pself, args, PART_SLACK); }
static PyObject *problem_getDual(PyObject *pself, PyObject *args) { return solutionValues(pself, args, PART_DUAL); }
static PyObject *problem_getRCost(PyObject *pself, PyObject *args) { return solutionValues(pself, args, PART_RCOST); }

#define QUERY_FORMS                                                                                           \
  "No argument gives a list of all values in index order; one variable, constraint, SOS or index gives one " \
  "float; several arguments, lists, tuples, NumPy arrays, dictionaries, iterators or names give a flat list."

PyMethodDef problem_solveMethods[] = {
    {"setObjective", QRVA_METHOD(problem_setObjective), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Sets the objective function of the problem.", "p.setObjective(objective, sense=quorva.minimize)",
              "objective: a constant, variable, linear or quadratic term, expression or nonlinear expression over "
              "variables of the problem; sense: quorva.minimize (1) or quorva.maximize (-1).",
              "p.setObjective(3 * x + 2 * y - x * x, sense=quorva.maximize)\n  "
              "p.setObjective((1 - x) ** 2 + 100 * (y - x ** 2) ** 2)",
              "The previous objective, its constant, quadratic and nonlinear parts included, is replaced as a "
              "whole. A nonlinear part is held in an extra row 'objtransferrow' and column 'objtransfercol' "
              "whose value is that part; they go again when a linear or quadratic objective replaces it.",
              "solve, getObjVal")},
    {"solve", QRVA_METHOD(problem_solve), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Solves the problem.", "p.solve()\n  p.solve(flags)",
              "flags: optional string of the library's solve flags (for instance 'd' dual simplex, 'b' barrier).",
              "p.solve()\n  print(p.getProbStatusString(), p.getObjVal())",
              "A problem with nonlinear constraints or objective is solved by the SLP solver; otherwise a problem "
              "with integer, binary, semi-continuous or partially integer variables or with special "
              "ordered sets is solved as a MIP, otherwise as an LP or QP. Other Python threads run meanwhile; "
              "Ctrl-C stops the solve and the best answer found is kept.",
              "getProbStatus, getSolution, getObjVal")},
    {"getObjVal", QRVA_METHOD(problem_getObjVal), METH_NOARGS,
     QRVA_DOC("Returns the objective value of the last solve.", "p.getObjVal()", "None.", "print(p.getObjVal())",
              "For a MIP, the value of the best solution found.", "solve, getSolution")},
    {"getSolution", QRVA_METHOD(problem_getSolution), METH_VARARGS,
     QRVA_DOC("Returns values of the variables in the last solution.",
              "p.getSolution()\n  p.getSolution(x)\n  p.getSolution([x, y], 'z', 3)",
              "Variables, column indices or column names, in any nesting.",
              "v = p.getSolution(x)\n  values = p.getSolution()", QUERY_FORMS, "getSlack, getDual, getRCost")},
    {"getSlack", QRVA_METHOD(problem_getSlack), METH_VARARGS,
     QRVA_DOC("Returns slacks of the constraints in the last solution.",
              "p.getSlack()\n  p.getSlack(c)\n  p.getSlack([c1, c2], 'row3')",
              "Constraints, row indices or row names, in any nesting.", "s = p.getSlack(c)",
              QUERY_FORMS " The slack is the right-hand side minus the row's activity.",
              "getSolution, getDual")},
    {"getDual", QRVA_METHOD(problem_getDual), METH_VARARGS,
     QRVA_DOC("Returns dual values of the constraints in the last LP or QP solution.",
              "p.getDual()\n  p.getDual(c)\n  p.getDual([c1, c2], 'row3')",
              "Constraints, row indices or row names, in any nesting.", "d = p.getDual(c)",
              QUERY_FORMS " A MIP has no duals: quorva.SolverError.", "getSlack, getRCost")},
    {"getRCost", QRVA_METHOD(problem_getRCost), METH_VARARGS,
     QRVA_DOC("Returns reduced costs of the variables in the last LP or QP solution.",
              "p.getRCost()\n  p.getRCost(x)\n  p.getRCost([x, y], 'z', 3)",
              "Variables, column indices or column names, in any nesting.",
              "r = p.getRCost(x)", QUERY_FORMS " A MIP has no reduced costs: quorva.SolverError.",
              "getSolution, getDual")},
    {"getProbStatus", QRVA_METHOD(problem_getProbStatus), METH_NOARGS,
     QRVA_DOC("Returns the status of the last solve as a number.", "p.getProbStatus()", "None.",
              "if p.getProbStatus() == quorva.lp_optimal: ...",
              "An LP or QP gives one of the quorva.lp_* values, a MIP one of the quorva.mip_* values.",
              "getProbStatusString")},
    {"getProbStatusString", QRVA_METHOD(problem_getProbStatusString), METH_NOARGS,
     QRVA_DOC("Returns the status of the last solve as a name.", "p.getProbStatusString()", "None.",
              "print(p.getProbStatusString())  # 'lp_optimal'",
              "The names are those of the quorva.lp_*, quorva.mip_* and quorva.nlp_* constants.",
              "getProbStatus")},
    {nullptr, nullptr, 0, nullptr},
};
