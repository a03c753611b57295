/* Adding variables, constraints, special ordered sets and indicator
 * constraints to a problem, and deleting them, while the problem's lists
 * and maps keep matching the library's columns, rows and sets.
 *
 * Every add method is all or nothing: the objects of one call are collected
 * into a batch, sent with one library call, and only kept in the lists and
 * maps when the library took them. A call that fails part-way forgets the
 * objects it had appended and takes back what the library had received. */
#include "api/convert.h"
#include "model/constraint.h"
#include "model/expression.h"
#include "model/linterm.h"
#include "model/maps.h"
#include "model/operand.h"
#include "model/sos.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/env.h"
#include "module/errors.h"
#include "module/heap.h"
#include "module/helpers.h"
#include "problem/convert.h"
#include "problem/problem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

/* Longest variable name handed to the library. */
static const size_t kMaxVariableName = 150;

static PyObject *modelFail(const char *message) {
  PyErr_SetString(qpy_model_exc, message);
  return nullptr;
}

/* A lower bound at or above quorva.infinity, or an upper bound at or below
 * minus it, leaves no value: the library would read it as the missing side
 * (a free row) or the solver refuse the model. 0, or -1 with
 * quorva.ModelError naming the object (kind and name text). */
static int checkBoundSides(const char *kind, PyObject *name, double lower, double upper) {
  const char *side = lower >= QRVA_INFINITY ? "lower" : upper <= -QRVA_INFINITY ? "upper" : nullptr;
  if (!side) return 0;
  char text[160];
  std::snprintf(text, sizeof text, "%s bound %g: %s", side, side[0] == 'l' ? lower : upper,
                side[0] == 'l' ? "a lower bound must lie below quorva.infinity (1e20)"
                               : "an upper bound must lie above -quorva.infinity (-1e20)");
  PyErr_Format(qpy_model_exc, "%s %S has %s", kind, name, text);
  return -1;
}

/* Appends a name and its zero byte to a packed names buffer. Only str and
 * bytes are names; one holding a zero byte is refused (pyStrToStr).
 * 0, or -1 with an error. */
static int appendName(std::string &names, PyObject *name, size_t max_length) {
  PyStrCopy copy(name);
  if (!copy.get()) return -1;
  size_t length = std::min(std::strlen(copy.get()), max_length);
  names.append(copy.get(), length);
  names.push_back('\0');
  return 0;
}

/* What one add call appended to a list and map, taken back on failure. */
class AddedObjects {
 public:
  AddedObjects(PyObject *list, rowcolmap *map) : list_(list), map_(map), start_(PyList_GET_SIZE(list)) {}
  ~AddedObjects() {
    if (committed_) return;
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    for (uint32_t serial : serials_) rowcolmap_del(map_, serial);
    PyList_SetSlice(list_, start_, PY_SSIZE_T_MAX, nullptr);
    PyErr_Restore(type, value, traceback);
  }
  /* Appends the object and maps its serial to index. 0 or -1. */
  int add(PyObject *object, uint32_t serial, int index) {
    if (PyList_Append(list_, object) != 0) return -1;
    try {
      serials_.push_back(serial);
    } catch (const std::bad_alloc &) {
      PyErr_NoMemory();
      return -1;
    }
    return rowcolmap_set(map_, serial, index);
  }
  void commit() { committed_ = true; }

 private:
  PyObject *list_;
  rowcolmap *map_;
  Py_ssize_t start_;
  std::vector<uint32_t> serials_;
  bool committed_ = false;
};

/* ---- variables ---- */

namespace {
struct VariableBatch {
  problem_s *problem;
  AddedObjects &added;
  int first_col;
  std::vector<char> types;
  std::vector<double> lb, ub;
  std::vector<int> limit_cols;
  std::vector<double> limits;
  std::string names;
};
}  // namespace

static char columnType(const var_s *v) {
  switch (v->vartype) {
    case 0: return 'C';
    case 1: return 'B';
    case 2: return v->lb >= 0.0 && v->ub <= 1.1 ? 'B' : 'I';
    case 3: return 'S';
    case 4: return 'R';
    case 5: return 'P';
    default: return 0;
  }
}

static bool hasThreshold(char type) { return type == 'S' || type == 'R' || type == 'P'; }

/* The column type of a variable after the checks of its type and
 * threshold; 0 with quorva.ModelError. */
static char checkedColumnType(const var_s *v) {
  char type = columnType(v);
  if (!type) return modelFail("Incorrect variable type passed to addVariable()"), 0;
  if (hasThreshold(type) && !(v->lb <= v->threshold && v->threshold <= v->ub))
    return modelFail(
               "Incorrect semi-continuous, semi-integer, or partially integer variable; check that its threshold "
               "is between its lower and upper bounds"),
           0;
  return type;
}

static PyObject *addVariableLeaf(PyObject *, PyObject *leaf, void *data) {
  VariableBatch &batch = *static_cast<VariableBatch *>(data);
  if (!var_check(leaf)) return modelFail("Incorrect objects added as variables to problem");
  var_s *v = reinterpret_cast<var_s *>(leaf);
  if (rowcolmap_has(batch.problem->varmap, v->serial)) return modelFail("Variable already added to problem");
  char type = checkedColumnType(v);
  if (!type) return nullptr;
  int col = batch.first_col + (int)batch.types.size();
  if (hasThreshold(type)) {
    batch.limit_cols.push_back(col);
    batch.limits.push_back(v->threshold);
  }
  PyRef name(v->name ? PyRef::borrow(v->name) : PyRef(var_nameText(leaf)));
  if (!name) return nullptr;
  if (!PyUnicode_Check(name.get()) && !PyBytes_Check(name.get()))
    return modelFail("Invalid variable name (must be a string)");
  if (checkBoundSides("Variable", name.get(), v->lb, v->ub) != 0) return nullptr;
  if (appendName(batch.names, name.get(), kMaxVariableName) != 0) return nullptr;
  if (batch.added.add(leaf, v->serial, col) != 0) return modelFail("Could not amend variable map");
  batch.types.push_back(type);
  batch.lb.push_back(v->lb);
  batch.ub.push_back(v->ub);
  Py_RETURN_NONE;
}

/* Sends a batch of columns. 0, or -1 with the library's error raised and
 * the columns taken out again. */
static int sendVariables(problem_s *self, VariableBatch &batch) {
  int count = (int)batch.types.size();
  if (count == 0) return 0;
  std::vector<double> zeros((size_t)count, 0.0);
  std::vector<int> cols((size_t)count);
  for (int k = 0; k < count; ++k) cols[(size_t)k] = batch.first_col + k;
  if (QRVAaddcols64(self->qprob, count, 0, zeros.data(), nullptr, nullptr, nullptr, batch.lb.data(),
                    batch.ub.data()) != 0) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    return -1;
  }
  if (QRVAchgcoltype(self->qprob, count, cols.data(), batch.types.data()) != 0 ||
      QRVAaddnames(self->qprob, QRVA_NAMES_COLUMNS, batch.names.data(), batch.first_col,
                   batch.first_col + count - 1) != 0 ||
      (!batch.limits.empty() && QRVAchgglblimit(self->qprob, (int)batch.limits.size(), batch.limit_cols.data(),
                                                batch.limits.data()) != 0)) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    QRVAdelcols(self->qprob, count, cols.data());
    return -1;
  }
  return 0;
}

static PyObject *problem_addVariable(PyObject *pself, PyObject *args) {
  problem_s *self = PROBLEM(pself);
  int first_col = 0;
  if (QRVAgetintattrib(self->qprob, QRVA_ORIGINALCOLS, &first_col) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  try {
    AddedObjects added(self->variables, self->varmap);
    VariableBatch batch{self, added, first_col, {}, {}, {}, {}, {}, {}};
    PyRef done(forEachNested(pself, args, addVariableLeaf, &batch, QRVA_PY_NESTING_DEPTH));
    if (!done || sendVariables(self, batch) != 0) return setQrvaErrIfNull(pself, nullptr);
    added.commit();
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return setQrvaErrIfNull(pself, nullptr);
  }
  return setQrvaErrIfNull(pself, newNone());
}

/* ---- constraints ---- */

namespace {
/* The rows of one addConstraint call: row-wise linear entries and, per row,
 * the number of its quadratic entries. */
struct RowBatch {
  std::vector<char> types;
  std::vector<double> rhs, range;
  std::vector<int64_t> start{0};
  std::vector<int64_t> quad_count;
  LinearEntries linear;
  QuadraticEntries quadratic;
  FormulaEntries formulas;
  std::string names;
  int rows() const { return (int)types.size(); }
};

struct ConstraintWalk {
  problem_s *problem;
  AddedObjects &added;
  int first_row;
  RowBatch batch;
};
}  // namespace

/* Tests a constraint before it is added: its class, its body, and that it
 * is not in the problem yet. */
static bool checkNewConstraint(problem_s *self, PyObject *object) {
  if (!constraint_check(object)) return modelFail("Invalid constraint"), false;
  if (!CONSTRAINT(object)->body) return modelFail("Stale expression link, cannot add constraint"), false;
  if (rowcolmap_has(self->conmap, CONSTRAINT(object)->serial))
    return modelFail("Constraint already added to problem"), false;
  return true;
}

/* The row type, right-hand side and range of a constraint whose body has
 * the given constant. 0, or -1 with quorva.ModelError. */
static int rowSense(PyObject *object, double constant, char *sense, double *rhs, double *range) {
  constraint_s *c = CONSTRAINT(object);
  *sense = 'N';
  *rhs = -constant;
  *range = 0.0;
  getRhsSense(object, sense, rhs, range);
  /* NaN compares false with every bound and would read as "no bound". */
  if (std::isnan(c->lb) || std::isnan(c->ub) || std::isnan(*rhs)) {
    PyRef text(c->name ? PyObject_Str(c->name) : PyUnicode_FromFormat("R%u", c->serial));
    if (text) PyErr_Format(qpy_model_exc, "Constraint %U has a NaN bound or right-hand side", text.get());
    return -1;
  }
  if (c->lb - constant >= QRVA_INFINITY || c->ub - constant <= -QRVA_INFINITY) {
    PyRef text(c->name ? PyObject_Str(c->name) : PyUnicode_FromFormat("R%u", c->serial));
    if (!text || checkBoundSides("Constraint", text.get(), c->lb - constant, c->ub - constant) != 0) return -1;
  }
  if (*sense == 'N') *rhs = 0.0;
  return 0;
}

/* Converts one constraint into the next row of the batch, which becomes
 * library row `row`. 0 or -1. */
static int appendRow(problem_s *self, RowBatch &batch, PyObject *object, int row) {
  constraint_s *c = CONSTRAINT(object);
  size_t quad_before = batch.quadratic.size();
  double constant = 0.0;
  if (operandKind(c->body) == KIND_NONLINEAR) {
    /* The shape of a nonlinear body is checked whole before any of it is
     * written or any of its user functions is registered. */
    ConvertCounts counts;
    if (countExpr(c->body, counts) != 0) return -1;
  }
  if (convertExpr(self, c->body, false, &constant, batch.linear, batch.quadratic, batch.formulas) != 0) return -1;
  batch.formulas.row.resize(batch.formulas.size(), row);
  char sense = 'N';
  double rhs = 0.0, range = 0.0;
  if (rowSense(object, constant, &sense, &rhs, &range) != 0) return -1;
  PyObject *name = c->name;
  if (name && (PyUnicode_Check(name) || PyBytes_Check(name))) {
    if (appendName(batch.names, name, std::string::npos) != 0) return -1;
  } else {
    PyRef text(name ? PyObject_Str(name) : PyUnicode_FromFormat("R%u", c->serial));
    if (!text || appendName(batch.names, text.get(), std::string::npos) != 0) return -1;
  }
  batch.types.push_back(sense);
  batch.rhs.push_back(rhs);
  batch.range.push_back(range);
  batch.start.push_back((int64_t)batch.linear.size());
  batch.quad_count.push_back((int64_t)(batch.quadratic.size() - quad_before));
  return 0;
}

static PyObject *addConstraintLeaf(PyObject *, PyObject *leaf, void *data) {
  ConstraintWalk &walk = *static_cast<ConstraintWalk *>(data);
  if (!checkNewConstraint(walk.problem, leaf)) return nullptr;
  if (appendRow(walk.problem, walk.batch, leaf, walk.first_row + walk.batch.rows()) != 0) return nullptr;
  if (walk.added.add(leaf, CONSTRAINT(leaf)->serial, walk.first_row + walk.batch.rows() - 1) != 0)
    return modelFail("Cannot add constraint to problem");
  Py_RETURN_NONE;
}

/* Sends the rows of a batch with their names and quadratic parts. 0, or -1
 * with the library's error raised and the rows taken out again. */
static int sendRows(problem_s *self, RowBatch &batch, int first_row) {
  int rows = batch.rows();
  if (rows == 0) return 0;
  if (QRVAaddrows64(self->qprob, rows, (int64_t)batch.linear.size(), batch.types.data(), batch.rhs.data(),
                    batch.range.data(), batch.start.data(), batch.linear.col.data(), batch.linear.coef.data()) != 0) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    return -1;
  }
  bool failed = QRVAaddnames(self->qprob, QRVA_NAMES_ROWS, batch.names.data(), first_row, first_row + rows - 1) != 0;
  int64_t offset = 0;
  for (int i = 0; i < rows && !failed; ++i) {
    int64_t n = batch.quad_count[(size_t)i];
    if (n > 0 &&
        QRVAaddqmatrix64(self->qprob, first_row + i, n, batch.quadratic.col1.data() + offset,
                         batch.quadratic.col2.data() + offset, batch.quadratic.coef.data() + offset) != 0)
      failed = true;
    offset += n;
  }
  /* Formula coefficients: their rows exist now. */
  FormulaEntries &f = batch.formulas;
  if (!failed && f.size() > 0) {
    if (QSLPaddcoefs(self->slpprob, (int)f.size(), f.row.data(), f.col.data(), f.factor.data(), f.start.data(), 1,
                     f.type.data(), f.value.data()) != 0)
      failed = true;
    else
      self->nl_count += 1;
  }
  if (failed) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    std::vector<int> added((size_t)rows);
    for (int i = 0; i < rows; ++i) added[(size_t)i] = first_row + i;
    QRVAdelrows(self->qprob, rows, added.data());
    return -1;
  }
  return 0;
}

static PyObject *problem_addConstraint(PyObject *pself, PyObject *args) {
  problem_s *self = PROBLEM(pself);
  int first_row = 0;
  if (QRVAgetintattrib(self->qprob, QRVA_ORIGINALROWS, &first_row) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  try {
    AddedObjects added(self->constraints, self->conmap);
    ConstraintWalk walk{self, added, first_row, RowBatch()};
    PyRef done(forEachNested(pself, args, addConstraintLeaf, &walk, QRVA_PY_NESTING_DEPTH));
    if (!done || sendRows(self, walk.batch, first_row) != 0) return setQrvaErrIfNull(pself, nullptr);
    added.commit();
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return setQrvaErrIfNull(pself, nullptr);
  }
  return setQrvaErrIfNull(pself, newNone());
}

/* ---- indicator constraints ---- */

static const char *const kBadIndicator =
    "Invalid indicator expression. Must be var==0 or var==1, where var is a binary variable";

/* The variable and coefficient of an indicator's condition body. */
static int conditionVariable(PyObject *body, PyObject **variable, double *coef) {
  switch (operandKind(body)) {
    case KIND_VARIABLE:
      *variable = body, *coef = 1.0;
      return 0;
    case KIND_LINTERM:
      *variable = LINTERM(body)->var, *coef = LINTERM(body)->coef;
      return 0;
    case KIND_EXPRESSION: {
      expression_s *e = EXPRESSION(body);
      if (e->constant != 0.0) return modelFail("Invalid condition for indicator constraints: must be a variable"), -1;
      if (!e->linear || e->linear->entries.size() != 1)
        return modelFail("Invalid condition for indicator constraints: there must be exactly one variable"), -1;
      if (e->quadratic && !e->quadratic->entries.empty())
        return modelFail("Invalid condition for indicator constraints: it cannot contain a quadratic expression"), -1;
      *variable = e->linear->entries.begin()->first.var;
      *coef = e->linear->entries.begin()->second;
      return 0;
    }
    default:
      return modelFail(kBadIndicator), -1;
  }
}

namespace {
/* The indicators of one addIndicator call: their rows go to the library in
 * one batch, then their conditions in one call. */
struct IndicatorWalk {
  AddedObjects &added;
  int first_row;
  RowBatch batch;
  std::vector<int> rows, cols, complements;
};
}  // namespace

/* Checks one (condition, constraint) pair and appends its row. 0 or -1. */
static int appendIndicator(problem_s *self, IndicatorWalk &walk, PyObject *condition, PyObject *constraint) {
  constraint_s *cond = CONSTRAINT(condition);
  if (!cond->body) return modelFail(kBadIndicator), -1;
  PyObject *variable = nullptr;
  double coef = 0.0;
  if (conditionVariable(cond->body, &variable, &coef) != 0) return -1;
  int col = -1;
  if (rowcolmap_get(self->varmap, VAR_SERIAL(variable), &col) != 0)
    return modelFail("Indicator variable has not been added to problem yet"), -1;
  if (coef != 1.0) return modelFail("Indicator variable must have coefficient 1"), -1;
  int complement;
  if (cond->lb == 0.0 && cond->ub == 0.0)
    complement = -1;
  else if (cond->lb == 1.0 && cond->ub == 1.0)
    complement = 1;
  else
    return modelFail(
               "Invalid condition for indicator constraints: must be <variable_name> == 0 or <variable_name> == 1"),
           -1;
  if (!checkNewConstraint(self, constraint)) return -1;
  int row = walk.first_row + walk.batch.rows();
  if (appendRow(self, walk.batch, constraint, row) != 0) return -1;
  if (walk.added.add(constraint, CONSTRAINT(constraint)->serial, row) != 0)
    return modelFail("Cannot add constraint to problem"), -1;
  walk.rows.push_back(row);
  walk.cols.push_back(col);
  walk.complements.push_back(complement);
  return 0;
}

/* Sends the walk's rows and conditions. 0, or -1 with the library's error
 * raised and the rows taken out again. */
static int sendIndicators(problem_s *self, IndicatorWalk &walk) {
  int count = (int)walk.rows.size();
  if (count == 0) return 0;
  int nl_count = self->nl_count;
  if (sendRows(self, walk.batch, walk.first_row) != 0) return -1;
  if (QRVAsetindicators(self->qprob, count, walk.rows.data(), walk.cols.data(), walk.complements.data()) != 0) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    QRVAdelrows(self->qprob, count, walk.rows.data());
    self->nl_count = nl_count;
    return -1;
  }
  return 0;
}

static bool isConstraintPair(PyObject *item) {
  return PyTuple_Check(item) && PyTuple_GET_SIZE(item) >= 2 && constraint_check(PyTuple_GET_ITEM(item, 0)) &&
         constraint_check(PyTuple_GET_ITEM(item, 1));
}

static PyObject *problem_addIndicator(PyObject *pself, PyObject *args) {
  problem_s *self = PROBLEM(pself);
  Py_ssize_t n = PyTuple_GET_SIZE(args);
  bool one = n == 2 && constraint_check(PyTuple_GET_ITEM(args, 0)) && constraint_check(PyTuple_GET_ITEM(args, 1));
  if (!one)
    for (Py_ssize_t i = 0; i < n; ++i)
      if (!isConstraintPair(PyTuple_GET_ITEM(args, i))) {
        modelFail("Invalid declaration of indicator constraints.");
        return setQrvaErrIfNull(pself, nullptr);
      }
  int first_row = 0;
  if (QRVAgetintattrib(self->qprob, QRVA_ORIGINALROWS, &first_row) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  try {
    AddedObjects added(self->constraints, self->conmap);
    IndicatorWalk walk{added, first_row, RowBatch(), {}, {}, {}};
    for (Py_ssize_t i = 0; i < (one ? 1 : n); ++i) {
      PyObject *pair = one ? args : PyTuple_GET_ITEM(args, i);
      if (appendIndicator(self, walk, PyTuple_GET_ITEM(pair, 0), PyTuple_GET_ITEM(pair, 1)) != 0)
        return setQrvaErrIfNull(pself, nullptr);
    }
    if (sendIndicators(self, walk) != 0) return setQrvaErrIfNull(pself, nullptr);
    added.commit();
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return setQrvaErrIfNull(pself, nullptr);
  }
  return setQrvaErrIfNull(pself, newNone());
}

/* ---- special ordered sets ---- */

namespace {
/* The sets of one addSOS call, sent with one library call. */
struct SetWalk {
  problem_s *problem;
  AddedObjects &added;
  int first_set;
  std::vector<char> types;
  std::vector<int64_t> start{0};
  std::vector<int> cols;
  std::vector<double> weights;
  std::vector<std::pair<int, std::string>> names; /* set index, name */
};
}  // namespace

static PyObject *addSOSLeaf(PyObject *, PyObject *leaf, void *data) {
  SetWalk &walk = *static_cast<SetWalk *>(data);
  problem_s *self = walk.problem;
  if (!sos_check(leaf)) return modelFail("Object added is not a SOS");
  sos_s *set = SOS(leaf);
  if (rowcolmap_has(self->sosmap, set->serial)) return modelFail("SOS already added to problem");
  if (!set->indices || !PyList_Check(set->indices)) return modelFail("SOS indices must be passed as a list");
  if (!set->weights || !PyList_Check(set->weights)) return modelFail("SOS weights must be passed as a list");
  Py_ssize_t n = PyList_GET_SIZE(set->indices);
  if (PyList_GET_SIZE(set->weights) != n) return modelFail("SOS indices and weights must be lists of the same length");
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject *member = PyList_GET_ITEM(set->indices, i);
    int col = -1;
    if (var_check(member)) {
      if (rowcolmap_get(self->varmap, VAR_SERIAL(member), &col) != 0)
        return modelFail("SOS contains variable that was not added to the problem");
    } else if (isIntegerObject(member)) {
      if (pyIntToIndex(member, &col) != 0) return nullptr;
    } else {
      return modelFail("SOS indices must be passed as a list");
    }
    double weight = PyFloat_AsDouble(PyList_GET_ITEM(set->weights, i));
    if (weight == -1.0 && PyErr_Occurred()) return nullptr;
    walk.cols.push_back(col);
    walk.weights.push_back(weight);
  }
  int index = walk.first_set + (int)walk.types.size();
  if (set->name && (PyUnicode_Check(set->name) || PyBytes_Check(set->name))) {
    std::string name;
    if (appendName(name, set->name, std::string::npos) != 0) return nullptr;
    walk.names.emplace_back(index, std::move(name));
  }
  if (walk.added.add(leaf, set->serial, index) != 0) return nullptr;
  walk.types.push_back(set->type == 2 ? '2' : '1');
  walk.start.push_back((int64_t)walk.cols.size());
  Py_RETURN_NONE;
}

/* Sends the sets of a walk with their names. 0, or -1 with the library's
 * error raised and the sets taken out again. */
static int sendSets(problem_s *self, SetWalk &walk) {
  int count = (int)walk.types.size();
  if (count == 0) return 0;
  if (QRVAaddsets64(self->qprob, count, (int64_t)walk.cols.size(), walk.types.data(), walk.start.data(),
                    walk.cols.data(), walk.weights.data()) != 0) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    return -1;
  }
  for (const auto &name : walk.names)
    if (QRVAaddnames(self->qprob, QRVA_NAMES_SETS, name.second.data(), name.first, name.first) != 0) {
      setQrvaErrIfNull((PyObject *)self, nullptr);
      std::vector<int> added((size_t)count);
      for (int k = 0; k < count; ++k) added[(size_t)k] = walk.first_set + k;
      QRVAdelsets(self->qprob, count, added.data());
      return -1;
    }
  return 0;
}

static PyObject *problem_addSOS(PyObject *pself, PyObject *args) {
  problem_s *self = PROBLEM(pself);
  int first_set = 0;
  if (QRVAgetintattrib(self->qprob, QRVA_ORIGINALSETS, &first_set) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  try {
    AddedObjects added(self->sets, self->sosmap);
    SetWalk walk{self, added, first_set, {}, {0}, {}, {}, {}};
    PyRef done(forEachNested(pself, args, addSOSLeaf, &walk, QRVA_PY_NESTING_DEPTH));
    if (!done || sendSets(self, walk) != 0) return setQrvaErrIfNull(pself, nullptr);
    added.commit();
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return setQrvaErrIfNull(pself, nullptr);
  }
  return setQrvaErrIfNull(pself, newNone());
}

/* ---- deleting ---- */

namespace {
struct DeleteKind {
  int element_kind;   /* KIND_COL, KIND_ROW or KIND_SET */
  PyTypeObject *type; /* the class of the objects of the kind */
  int (*library_delete)(QRVAprob, int, const int *);
};

/* An index array from the module heap. */
struct IndexArray {
  void *block = nullptr;
  ~IndexArray() { qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_DefaultHeap, &block); }
};
}  // namespace

/* The positions to delete, from the arguments. 0, or -1 with an error. */
static int deletePositions(problem_s *self, PyObject *list, const DeleteKind &kind, PyObject *index, int first,
                           int last, std::vector<int> &positions) {
  if (first < 0 && last < 0) {
    if (!index || index == Py_None) return modelFail("At least one parameter must be specified"), -1;
    int single;
    if (isIntegerObject(index)) {
      /* A negative one is a position outside the list, refused below. */
      if (pyIntToIndex(index, &single) != 0) return -1;
      positions.push_back(single);
      return 0;
    }
    /* One object or one name stands for itself, not for a sequence of its
     * characters. */
    if (Py_TYPE(index) == kind.type || PyUnicode_Check(index) || PyBytes_Check(index)) {
      if (ObjInt2int(index, self, &single, kind.element_kind) != 0) return -1;
      positions.push_back(single);
      return 0;
    }
    int64_t count = -1;
    IndexArray array;
    if (conv_obj2arr(self, &count, index, &array.block, kind.element_kind) != 0) return -1;
    positions.assign(static_cast<int *>(array.block), static_cast<int *>(array.block) + count);
    return 0;
  }
  if (index && index != Py_None)
    return modelFail("Parameters 'first' and 'last' cannot be specified if 'index' is also specified"), -1;
  if (first < 0 || last < 0) return modelFail("Parameters 'first' and 'last' must be both nonnegative when specified"), -1;
  Py_ssize_t n = PyList_GET_SIZE(list);
  if (first >= n || last >= n) return modelFail("Parameters 'first' or 'last' are out of range"), -1;
  if (last < first) return modelFail("Parameter 'first' must be less than, or equal to, 'last'"), -1;
  for (int i = first; i <= last; ++i) positions.push_back(i);
  return 0;
}

static PyObject *deleteObjects(PyObject *pself, PyObject *args, PyObject *kwargs, PyObject *list, rowcolmap *map,
                               const DeleteKind &kind) {
  problem_s *self = PROBLEM(pself);
  static const char *keywords[] = {"index", "first", "last", nullptr};
  PyObject *index = nullptr;
  int first = -1, last = -1;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|Oii", const_cast<char **>(keywords), &index, &first, &last))
    return setQrvaErrIfNull(pself, nullptr);
  try {
    std::vector<int> positions;
    if (deletePositions(self, list, kind, index, first, last, positions) != 0) return setQrvaErrIfNull(pself, nullptr);
    /* The same position twice would take two objects out of the list. */
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    Py_ssize_t n = PyList_GET_SIZE(list);
    for (int position : positions)
      if (position < 0 || position >= n) return setQrvaErrIfNull(pself, modelFail("Index out of bounds"));
    if (positions.empty()) return setQrvaErrIfNull(pself, newNone());
    if (kind.library_delete(self->qprob, (int)positions.size(), positions.data()) != 0)
      return setQrvaErrIfNull(pself, nullptr);
    /* The objective's transfer row and column move down with the others. */
    int *transfer = kind.element_kind == KIND_COL ? &self->obj_transfer_col
                    : kind.element_kind == KIND_ROW ? &self->obj_transfer_row
                                                    : nullptr;
    if (transfer && *transfer >= 0)
      *transfer -= (int)(std::lower_bound(positions.begin(), positions.end(), *transfer) - positions.begin());

    /* Old position -> new position, -1 for the deleted ones. */
    std::vector<int> renumber((size_t)n);
    size_t next_deleted = 0;
    int shift = 0;
    for (int i = 0; i < (int)n; ++i) {
      if (next_deleted < positions.size() && positions[next_deleted] == i) {
        renumber[(size_t)i] = -1;
        ++next_deleted, ++shift;
      } else {
        renumber[(size_t)i] = i - shift;
      }
    }
    for (auto it = map->entries.begin(); it != map->entries.end();) {
      int old = it->second;
      int now = old >= 0 && old < (int)n ? renumber[(size_t)old] : old;
      if (now < 0) {
        it = map->entries.erase(it);
      } else {
        it->second = now;
        ++it;
      }
    }
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
      if (PySequence_DelItem(list, *it) != 0) return setQrvaErrIfNull(pself, modelFail("Cannot delete item from problem"));
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return setQrvaErrIfNull(pself, nullptr);
  }
  return setQrvaErrIfNull(pself, newNone());
}

static PyObject *problem_delVariable(PyObject *pself, PyObject *args, PyObject *kwargs) {
  static const DeleteKind kind{KIND_COL, &quorva_varType, QRVAdelcols};
  return deleteObjects(pself, args, kwargs, PROBLEM(pself)->variables, PROBLEM(pself)->varmap, kind);
}
static PyObject *problem_delConstraint(PyObject *pself, PyObject *args, PyObject *kwargs) {
  static const DeleteKind kind{KIND_ROW, &quorva_constraintType, QRVAdelrows};
  return deleteObjects(pself, args, kwargs, PROBLEM(pself)->constraints, PROBLEM(pself)->conmap, kind);
}
static PyObject *problem_delSOS(PyObject *pself, PyObject *args, PyObject *kwargs) {
  static const DeleteKind kind{KIND_SET, &quorva_sosType, QRVAdelsets};
  return deleteObjects(pself, args, kwargs, PROBLEM(pself)->sets, PROBLEM(pself)->sosmap, kind);
}

/* ---- objects for columns and rows added through the library functions ---- */

static int variableTypeFromChar(char type) {
  switch (type) {
    case 'B': return 1;
    case 'C': return 0;
    case 'I': return 2;
    case 'P': return 5;
    case 'R': return 4;
    case 'S': return 3;
    default: return -1;
  }
}

int addColsAsVariables(problem_s *p, PyObject *names, PyObject *types, int nglents, const int *entind,
                       const char *coltype, const double *limit, int first, int count) {
  if (names && names != Py_None && (!PyList_Check(names) || PyList_GET_SIZE(names) != count))
    return modelFail("Incorrect length of variable name list"), -1;
  if (types && types != Py_None && (!PyList_Check(types) || PyList_GET_SIZE(types) != count))
    return modelFail("Incorrect length of variable type list"), -1;
  try {
    std::vector<char> type((size_t)count, 'C');
    std::vector<double> threshold((size_t)count, -1e20);
    for (int k = 0; k < nglents; ++k) {
      int j = entind[k] - first;
      if (j < 0 || j >= count) continue;
      type[(size_t)j] = coltype[k];
      if (limit) threshold[(size_t)j] = limit[k];
    }
    AddedObjects added(p->variables, p->varmap);
    for (int j = 0; j < count; ++j) {
      PyRef variable(var_base());
      if (!variable) return -1;
      var_s *v = reinterpret_cast<var_s *>(variable.get());
      if (names && names != Py_None) Py_XSETREF(v->name, PyRef::borrow(PyList_GET_ITEM(names, j)).release());
      char t = type[(size_t)j];
      if (types && types != Py_None) {
        PyStrCopy text(PyList_GET_ITEM(types, j));
        if (!text.get() || !text.get()[0]) {
          PyErr_Clear();
          PyErr_Format(qpy_model_exc, "Cannot get variable type with index %d", j);
          return -1;
        }
        t = text.get()[0];
      }
      int vartype = variableTypeFromChar(t);
      if (vartype < 0) return modelFail("Incorrect variable type"), -1;
      v->vartype = vartype;
      v->threshold = threshold[(size_t)j];
      if (added.add(variable.get(), v->serial, first + j) != 0) return modelFail("Could not amend variable map"), -1;
    }
    added.commit();
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return -1;
  }
  return 0;
}

int addRowsAsConstraints(problem_s *p, PyObject *names, int first, int count) {
  GcPause pause;  // constraints are collector-tracked; a load makes them by the million
  try {
    AddedObjects added(p->constraints, p->conmap);
    for (int j = 0; j < count; ++j) {
      PyRef constraint(constraint_base());
      if (!constraint) return -1;
      if (names && names != Py_None && PyList_Check(names) && j < PyList_GET_SIZE(names))
        Py_XSETREF(CONSTRAINT(constraint.get())->name, PyRef::borrow(PyList_GET_ITEM(names, j)).release());
      if (added.add(constraint.get(), CONSTRAINT(constraint.get())->serial, first + j) != 0) {
        PyErr_Clear();
        PyErr_SetString(qpy_interf_exc, "Internal error -- Could not amend constraint map");
        return -1;
      }
    }
    added.commit();
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return -1;
  }
  return 0;
}

int addRowNames(problem_s *p, PyObject *names, int first) {
  if (!names || names == Py_None) return 0;
  if (!PyList_Check(names)) return modelFail("Row names must be passed as a list"), -1;
  for (Py_ssize_t j = 0; j < PyList_GET_SIZE(names); ++j) {
    std::string name;
    if (appendName(name, PyList_GET_ITEM(names, j), std::string::npos) != 0) return -1;
    int row = first + (int)j;
    if (QRVAaddnames(p->qprob, QRVA_NAMES_ROWS, name.data(), row, row) != 0) {
      setQrvaErrIfNull((PyObject *)p, nullptr);
      return -1;
    }
  }
  return 0;
}

/* ---- changes of added objects ---- */

int problem_pushChanges(problem_s *p) {
  uint64_t now = qrv_py_env.change_stamp;
  if (p->synced == now) return 0;
  try {
    /* Everything is checked and gathered first, so that a refused change
     * sends nothing. */
    std::vector<int> cols, bound_cols, limit_cols, rows, range_rows;
    std::vector<char> types, bound_types, row_types;
    std::vector<double> bounds, limits, rhs, ranges;
    for (Py_ssize_t j = 0; j < PyList_GET_SIZE(p->variables); ++j) {
      var_s *v = reinterpret_cast<var_s *>(PyList_GET_ITEM(p->variables, j));
      if (v->changed <= p->synced) continue;
      char type = checkedColumnType(v);
      if (!type) return -1;
      int col;
      if (rowcolmap_get(p->varmap, v->serial, &col) != 0) return modelFail("Could not amend variable map"), -1;
      cols.push_back(col), types.push_back(type);
      bound_cols.insert(bound_cols.end(), {col, col});
      bound_types.insert(bound_types.end(), {'L', 'U'});
      bounds.insert(bounds.end(), {v->lb, v->ub});
      if (hasThreshold(type)) limit_cols.push_back(col), limits.push_back(v->threshold);
    }
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(p->constraints); ++i) {
      PyObject *object = PyList_GET_ITEM(p->constraints, i);
      if (CONSTRAINT(object)->changed <= p->synced) continue;
      double constant = 0.0, row_rhs, range;
      char sense;
      int row;
      if (rowcolmap_get(p->conmap, CONSTRAINT(object)->serial, &row) != 0)
        return modelFail("Cannot add constraint to problem"), -1;
      if ((CONSTRAINT(object)->body && bodyConstant(CONSTRAINT(object)->body, &constant) != 0) ||
          rowSense(object, constant, &sense, &row_rhs, &range) != 0)
        return -1;
      rows.push_back(row), row_types.push_back(sense), rhs.push_back(row_rhs);
      if (sense == 'R') range_rows.push_back(row), ranges.push_back(range);
    }
    /* Bounds before types: a binary column keeps the library's clipping to
     * [0, 1], as when it was added. */
    if ((!bound_cols.empty() && QRVAchgbounds(p->qprob, (int)bound_cols.size(), bound_cols.data(),
                                              bound_types.data(), bounds.data()) != 0) ||
        (!cols.empty() && QRVAchgcoltype(p->qprob, (int)cols.size(), cols.data(), types.data()) != 0) ||
        (!limit_cols.empty() &&
         QRVAchgglblimit(p->qprob, (int)limit_cols.size(), limit_cols.data(), limits.data()) != 0) ||
        (!rows.empty() && (QRVAchgrowtype(p->qprob, (int)rows.size(), rows.data(), row_types.data()) != 0 ||
                           QRVAchgrhs(p->qprob, (int)rows.size(), rows.data(), rhs.data()) != 0)) ||
        (!range_rows.empty() &&
         QRVAchgrhsrange(p->qprob, (int)range_rows.size(), range_rows.data(), ranges.data()) != 0)) {
      setQrvaErrIfNull((PyObject *)p, nullptr);
      return -1;
    }
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return -1;
  }
  p->synced = now;
  return 0;
}

PyMethodDef problem_modelingMethods[] = {
    {"addVariable", QRVA_METHOD(problem_addVariable), METH_VARARGS,
     QRVA_DOC("Adds variables to the problem as new columns.", "p.addVariable(x, y, ...)",
              "Variables, or any nesting of them in lists, tuples, dictionaries (their values), NumPy arrays and "
              "iterators.",
              "x = quorva.var(ub=10)\n  y = [quorva.var(vartype=quorva.binary) for _ in range(3)]\n  "
              "p.addVariable(x, y)",
              "The variables become consecutive columns in the order given, sent to the library in one call. A "
              "variable already in the problem, or any object that is not a variable, fails the whole call.",
              "delVariable, getVariable, getIndex")},
    {"addConstraint", QRVA_METHOD(problem_addConstraint), METH_VARARGS,
     QRVA_DOC("Adds constraints to the problem as new rows.", "p.addConstraint(c1, c2, ...)",
              "Constraints, or any nesting of them in lists, tuples, dictionaries, NumPy arrays and iterators.",
              "p.addConstraint(x + 2 * y <= 10, (x - y >= i for i in range(3)))",
              "Every variable of a constraint must be in the problem already. The rows of one call are sent to "
              "the library in one call; a failing constraint fails the whole call.",
              "delConstraint, getConstraint, addIndicator")},
    {"addSOS", QRVA_METHOD(problem_addSOS), METH_VARARGS,
     QRVA_DOC("Adds special ordered sets to the problem.", "p.addSOS(s1, s2, ...)",
              "quorva.sos objects, or any nesting of them.",
              "p.addSOS(quorva.sos([x, y, z], [1, 2, 3], type=2))",
              "Every member must be a variable of the problem (or a column index).", "delSOS, getSOS")},
    {"addIndicator", QRVA_METHOD(problem_addIndicator), METH_VARARGS,
     QRVA_DOC("Adds indicator constraints: a constraint enforced only when a binary variable takes a value.",
              "p.addIndicator(condition, constraint)\n  p.addIndicator((cond1, con1), (cond2, con2), ...)",
              "condition: b == 1 or b == 0 for a binary variable b of the problem; constraint: a new constraint.",
              "p.addIndicator(b == 1, x + y <= 4)",
              "With b == 0 the constraint is enforced when b is 0.", "addConstraint")},
    {"delVariable", QRVA_METHOD(problem_delVariable), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Deletes variables from the problem.", "p.delVariable(index)\n  p.delVariable(first=f, last=l)",
              "index: a column index, a variable, a name, or a sequence of them; first, last: an inclusive range "
              "of columns.",
              "p.delVariable([x, 3])",
              "The remaining variables move down to close the gaps: getIndex gives their new columns.",
              "addVariable, getIndex")},
    {"delConstraint", QRVA_METHOD(problem_delConstraint), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Deletes constraints from the problem.", "p.delConstraint(index)\n  p.delConstraint(first=f, last=l)",
              "index: a row index, a constraint, a name, or a sequence of them; first, last: an inclusive range of "
              "rows.",
              "p.delConstraint(c)", "The remaining rows move down to close the gaps.", "addConstraint, getIndex")},
    {"delSOS", QRVA_METHOD(problem_delSOS), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Deletes special ordered sets from the problem.", "p.delSOS(index)\n  p.delSOS(first=f, last=l)",
              "index: a set index, an SOS, or a sequence of them; first, last: an inclusive range of sets.",
              "p.delSOS(s)", "The remaining sets move down to close the gaps.", "addSOS, getIndex")},
    {nullptr, nullptr, 0, nullptr},
};
