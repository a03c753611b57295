/* quorva.problem: creation and destruction of the two library problems,
 * reading and writing files, reset and copy, the lookups between objects
 * and indices, and the class's method table. */
#include "problem/problem.h"

#include "callbacks/registry.h"
#include "model/constraint.h"
#include "model/maps.h"
#include "model/sos.h"
#include "model/types.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/env.h"
#include "module/errors.h"
#include "module/helpers.h"
#include "nonlinear/userfunc.h"
#include "problem/busy.h"
#include "problem/controls.h"

#include <cstring>
#include <vector>

/* Optimizer control the engine reads around the empty load at creation. */
static const int kLoadControl = QRVA_OUTPUTLOG;
/* SLP control set to 0 on every new SLP problem. */
static const int kSlpCreateControl = QSLP_SLPECHOOPTIMIZERLOG;


/* ---- queries shared by the problem methods ---- */

int problem_isMIP(const problem_s *p, int *is_mip) {
  int discrete = 0, sets = 0;
  if (QRVAgetintattrib(p->qprob, QRVA_DISCRETECOLS, &discrete) != 0 ||
      QRVAgetintattrib(p->qprob, QRVA_SETS, &sets) != 0)
    return -1;
  *is_mip = discrete != 0 || sets != 0;
  return 0;
}

int problem_rowCount(const problem_s *p, int *rows) {
  if (problem_hasNonlinear(p)) return QSLPgetintattrib(p->slpprob, QSLP_SLPROWS, rows) ? -1 : 0;
  return QRVAgetintattrib(p->qprob, QRVA_ORIGINALROWS, rows) ? -1 : 0;
}

int problem_colCount(const problem_s *p, int *cols) {
  if (problem_hasNonlinear(p)) return QSLPgetintattrib(p->slpprob, QSLP_SLPCOLS, cols) ? -1 : 0;
  return QRVAgetintattrib(p->qprob, QRVA_ORIGINALCOLS, cols) ? -1 : 0;
}

/* ---- construction ---- */

/* The lists and maps of a problem. 0, or -1 (the caller reports). */
static int createContainers(problem_s *self) {
  self->variables = PyList_New(0);
  self->constraints = PyList_New(0);
  self->sets = PyList_New(0);
  self->varmap = rowcolmap_new();
  self->conmap = rowcolmap_new();
  self->sosmap = rowcolmap_new();
  return self->variables && self->constraints && self->sets && self->varmap && self->conmap && self->sosmap ? 0 : -1;
}

/* Forgets every object: new empty lists, empty maps. 0 or -1. */
static int clearContainers(problem_s *self) {
  PyRef variables(PyList_New(0)), constraints(PyList_New(0)), sets(PyList_New(0));
  if (!variables || !constraints || !sets) return -1;
  Py_XSETREF(self->variables, variables.release());
  Py_XSETREF(self->constraints, constraints.release());
  Py_XSETREF(self->sets, sets.release());
  rowcolmap_clear(self->varmap);
  rowcolmap_clear(self->conmap);
  rowcolmap_clear(self->sosmap);
  return 0;
}

/* The problem holds no nonlinear parts (after a reset, or before a read). */
static void clearNonlinearState(problem_s *self) {
  self->special_col = self->obj_transfer_col = self->obj_transfer_row = -1;
  self->nl_count = self->nl_objective = 0;
}

PyObject *problem_new() {
  PyRef object(quorva_problemType.tp_alloc(&quorva_problemType, 0));
  if (!object) return nullptr;
  problem_s *self = PROBLEM(object.get());
  clearNonlinearState(self);
  self->synced = qrv_py_env.change_stamp;
  if (createContainers(self) != 0) {
    if (!PyErr_Occurred()) PyErr_SetString(qpy_model_exc, "Could not create problem maps");
    return nullptr;
  }
  self->controls = control_new_bound(self);
  self->attributes = attribute_new_bound(self);
  if (!self->controls || !self->attributes) return nullptr;
  return object.release();
}

/* Creates the optimizer problem and the SLP problem on it. 0, or -1 with
 * the global environment's error raised. */
static int createHandles(problem_s *self) {
  if (QRVAcreateprob(&self->qprob) != 0) {
    self->qprob = nullptr;
    qrva_py_raise_global_error();
    return -1;
  }
  if (QSLPcreateprob(&self->slpprob, &self->qprob) != 0) {
    self->slpprob = nullptr;
    qrva_py_raise_global_error();
    return -1;
  }
  if (QSLPsetintcontrol(self->slpprob, kSlpCreateControl, 0) != 0) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    return -1;
  }
  return 0;
}

/* Loads the empty problem `name` with control kLoadControl at 0 meanwhile. */
static int loadEmptyProblem(problem_s *self, const char *name) {
  int saved = 0;
  if (QRVAgetintcontrol(self->qprob, kLoadControl, &saved) != 0 ||
      QRVAsetintcontrol(self->qprob, kLoadControl, 0) != 0 ||
      QRVAloadlp(self->qprob, name, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr) != 0 ||
      QRVAsetintcontrol(self->qprob, kLoadControl, saved) != 0) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    return -1;
  }
  return 0;
}

static void destroyHandles(problem_s *self) {
  if (self->slpprob && QSLPdestroyprob(self->slpprob) != 0) PyErr_WriteUnraisable((PyObject *)self);
  self->slpprob = nullptr;
  if (self->qprob && QRVAdestroyprob(self->qprob) != 0) PyErr_WriteUnraisable((PyObject *)self);
  self->qprob = nullptr;
}

static int problem_init(PyObject *pself, PyObject *args, PyObject *kwargs) {
  problem_s *self = PROBLEM(pself);
  static const char *keywords[] = {"name", nullptr};
  const char *name = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|s", const_cast<char **>(keywords), &name)) return -1;
  if (self->qprob || self->variables) {
    PyErr_SetString(qpy_model_exc, "A problem cannot be initialized twice");
    return -1;
  }
  if (createContainers(self) != 0) {
    PyErr_Clear();
    PyErr_SetString(qpy_model_exc, "Could not create problem maps");
    return -1;
  }
  if (turnQRVAon(0) != 0) return -1;
  self->slpprob = nullptr;
  clearNonlinearState(self);
  self->userfuncs = nullptr;
  if (createHandles(self) != 0 || loadEmptyProblem(self, name ? name : "noname") != 0) return -1;
  self->controls = control_new_bound(self);
  self->attributes = attribute_new_bound(self);
  if (!self->controls || !self->attributes) return -1;
  return problem_applyControlDefaults(self);
}

static void problem_dealloc(PyObject *pself) {
  problem_s *self = PROBLEM(pself);
  PyObject *error_type, *error_value, *error_tb;
  PyErr_Fetch(&error_type, &error_value, &error_tb);

  int env_was_off;
  {
    LockGuard guard(lock_probenv);
    env_was_off = !qrv_py_env.env_on;
  }
  bool switched_on = false;
  if (env_was_off && (self->qprob || self->slpprob)) {
    switched_on = turnQRVAon(0) == 0;
    if (!switched_on) PyErr_WriteUnraisable(pself);
  }
  /* The entries go first: a message sent while the library problems are
   * destroyed then finds its entry gone instead of a dying owner. */
  for (int kind = 0; kind < QRVA_PY_CB_KINDS; ++kind)
    if (self->callbacks[kind] && removeCallback(self, &self->callbacks[kind], nullptr, nullptr, kind, 0) != 0)
      PyErr_WriteUnraisable(pself);
  userfunc_releaseAll(self);
  destroyHandles(self);
  /* The library problems held the jobs' objects as pointers until now. */
  Py_CLEAR(self->msjobs);
  if (switched_on && turnQRVAoff(0) != 0) PyErr_WriteUnraisable(pself);

  /* Controls and attributes may outlive the problem in user variables. */
  control_detach(self->controls);
  control_detach(self->attributes);
  Py_CLEAR(self->controls);
  Py_CLEAR(self->attributes);
  Py_CLEAR(self->variables);
  Py_CLEAR(self->constraints);
  Py_CLEAR(self->sets);
  Py_CLEAR(self->userfuncs);
  rowcolmap_free(&self->varmap);
  rowcolmap_free(&self->conmap);
  rowcolmap_free(&self->sosmap);
  for (PyObject *&part : self->cb_error) Py_CLEAR(part);
  PyErr_Restore(error_type, error_value, error_tb);
  Py_TYPE(pself)->tp_free(pself);
}

/* ---- name ---- */

static PyObject *problem_name(PyObject *pself, PyObject *) {
  problem_s *self = PROBLEM(pself);
  int length = 0;
  if (!self->qprob || QRVAgetintattrib(self->qprob, QRVA_PROBNAMEBUFFERSIZE, &length) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  std::vector<char> buffer((size_t)(length > 0 ? length : 0) + 1, '\0');
  if (QRVAgetprobname(self->qprob, buffer.data()) != 0) return setQrvaErrIfNull(pself, nullptr);
  buffer.back() = '\0';
  return setQrvaErrIfNull(pself, PyUnicode_FromString(buffer.data()));
}

static PyObject *problem_str(PyObject *pself) { return problem_name(pself, nullptr); }

/* <quorva.problem plan: 3 columns, 2 rows, 0 sets>: the library's counts,
 * so that a problem read from a file shows its size too. repr() does not
 * raise where the problem cannot be asked (a callback's view that has gone,
 * a solve in another thread): it says so instead. */
static PyObject *problem_repr(PyObject *pself) {
  problem_s *self = PROBLEM(pself);
  if (!self->qprob) return setQrvaErrIfNull(nullptr, objectRepr(pself, PyUnicode_FromString("(released)")));
  if (problem_enter(self) != 0) {
    PyErr_Clear();
    return setQrvaErrIfNull(nullptr, objectRepr(pself, PyUnicode_FromString("(being solved in another thread)")));
  }
  int rows = 0, cols = 0, sets = 0;
  PyRef name(problem_name(pself, nullptr));
  if (!name || QRVAgetintattrib(self->qprob, QRVA_COLS, &cols) != 0 ||
      QRVAgetintattrib(self->qprob, QRVA_ROWS, &rows) != 0 || QRVAgetintattrib(self->qprob, QRVA_SETS, &sets) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, objectRepr(pself, PyUnicode_FromFormat("%U: %d columns, %d rows, %d sets", name.get(),
                                                                        cols, rows, sets)));
}

/* ---- files ---- */

/* The packed names of rows (1), columns (2) or sets (3) 0..count-1, one
 * str each (decoded leniently). 0, or -1 with an error left to report. */
static int readNames(problem_s *self, int type, int count, std::vector<PyRef> &names) {
  names.clear();
  if (count == 0) return 0;
  int bytes = 0;
  if (QRVAgetnames(self->qprob, type, nullptr, 0, &bytes, 0, count - 1) != 0) return -1;
  std::vector<char> buffer((size_t)bytes + 1, '\0');
  if (QRVAgetnames(self->qprob, type, buffer.data(), bytes + 1, &bytes, 0, count - 1) != 0) return -1;
  const char *at = buffer.data(), *end = buffer.data() + buffer.size();
  for (int i = 0; i < count; ++i) {
    size_t len = strnlen(at, (size_t)(end - at));
    PyRef name(PyUnicode_DecodeUTF8(at, (Py_ssize_t)len, "replace"));
    if (!name) return -1;
    names.push_back(std::move(name));
    at += len < (size_t)(end - at) ? len + 1 : len;
  }
  return 0;
}

static int appendMapped(PyObject *list, rowcolmap *map, PyObject *object, uint32_t serial, int index) {
  if (PyList_Append(list, object) != 0) return -1;
  return rowcolmap_set(map, serial, index);
}

int variableTypeOf(char coltype) {
  switch (coltype) {
    case 'B': return 1;
    case 'I': return 2;
    case 'S': return 3;
    case 'R': return 4;
    case 'P': return 5;
    default: return 0;
  }
}

/* Variable objects for the columns of a problem just read. */
static int readVariables(problem_s *self, int cols) {
  std::vector<PyRef> names;
  std::vector<double> lb((size_t)cols), ub((size_t)cols);
  std::vector<char> types((size_t)cols);
  if (readNames(self, QRVA_NAMES_COLUMNS, cols, names) != 0) return -1;
  if (cols > 0 && (QRVAgetlb(self->qprob, lb.data(), 0, cols - 1) != 0 ||
                   QRVAgetub(self->qprob, ub.data(), 0, cols - 1) != 0 ||
                   QRVAgetcoltype(self->qprob, types.data(), 0, cols - 1) != 0))
    return -1;
  for (int j = 0; j < cols; ++j) {
    PyRef variable(var_new());
    if (!variable) return -1;
    var_s *v = reinterpret_cast<var_s *>(variable.get());
    v->name = names[(size_t)j].release();
    v->lb = lb[(size_t)j];
    v->ub = ub[(size_t)j];
    v->vartype = variableTypeOf(types[(size_t)j]);
    if (appendMapped(self->variables, self->varmap, variable.get(), v->serial, j) != 0) return -1;
  }
  return 0;
}

/* Constraint objects (bounds and names, no body) for the rows read. */
static int readConstraints(problem_s *self, int rows) {
  std::vector<PyRef> names;
  std::vector<double> rhs((size_t)rows), range((size_t)rows);
  std::vector<char> types((size_t)rows);
  if (readNames(self, QRVA_NAMES_ROWS, rows, names) != 0) return -1;
  if (rows > 0 && (QRVAgetrhs(self->qprob, rhs.data(), 0, rows - 1) != 0 ||
                   QRVAgetrhsrange(self->qprob, range.data(), 0, rows - 1) != 0 ||
                   QRVAgetrowtype(self->qprob, types.data(), 0, rows - 1) != 0))
    return -1;
  for (int i = 0; i < rows; ++i) {
    PyRef constraint(constraint_base());
    if (!constraint) return -1;
    constraint_s *c = CONSTRAINT(constraint.get());
    Py_XSETREF(c->name, names[(size_t)i].release());
    rowBounds(types[(size_t)i], rhs[(size_t)i], range[(size_t)i], &c->lb, &c->ub);
    if (appendMapped(self->constraints, self->conmap, constraint.get(), c->serial, i) != 0) return -1;
  }
  return 0;
}

/* SOS objects (names only) for the sets read. */
static int readSets(problem_s *self, int sets) {
  std::vector<PyRef> names;
  if (readNames(self, QRVA_NAMES_SETS, sets, names) != 0) return -1;
  for (int k = 0; k < sets; ++k) {
    PyRef none1(PyList_New(0)), none2(PyList_New(0));
    if (!none1 || !none2) return -1;
    PyRef set(PyObject_CallFunction((PyObject *)&quorva_sosType, "OOiO", none1.get(), none2.get(), 1,
                                    names[(size_t)k].get()));
    if (!set) return -1;
    if (appendMapped(self->sets, self->sosmap, set.get(), SOS(set.get())->serial, k) != 0) return -1;
  }
  return 0;
}

int problem_objectsFromLibrary(problem_s *self) {
  /* A message handler may have raised during the read or load that came
   * before: the objects are built all the same, so that they match the
   * library's problem, and the handler's exception is raised afterwards. */
  HandlerErrorAside handler_error;
  if (clearContainers(self) != 0) return -1;
  clearNonlinearState(self);

  int cols = 0, rows = 0, sets = 0, formulas = 0, nonlinear_rows = 0;
  if (QRVAgetintattrib(self->qprob, QRVA_ORIGINALCOLS, &cols) != 0 ||
      QRVAgetintattrib(self->qprob, QRVA_ORIGINALROWS, &rows) != 0 ||
      QRVAgetintattrib(self->qprob, QRVA_ORIGINALSETS, &sets) != 0 ||
      QSLPgetintattrib(self->slpprob, QSLP_SLPNONLINEARROWS, &nonlinear_rows) != 0 ||
      QSLPgetintattrib(self->slpprob, QSLP_SLPCOEFFICIENTS, &formulas) != 0)
    return -1;
  self->nl_count = nonlinear_rows + formulas;

  const char *failure = nullptr;
  if (readVariables(self, cols) != 0)
    failure = "Could not read problem";
  else if (readConstraints(self, rows) != 0)
    failure = "Cannot read constraint from problem";
  else if (readSets(self, sets) != 0)
    failure = "Cannot read SOS from problem";
  if (failure) {
    /* Half-built lists would not match the library problem. */
    PyErr_Clear();
    clearContainers(self);
    PyErr_SetString(qpy_model_exc, failure);
    return -1;
  }
  return 0;
}

static PyObject *problem_read(PyObject *pself, PyObject *args, PyObject *kwargs) {
  problem_s *self = PROBLEM(pself);
  static const char *keywords[] = {"filename", "options", nullptr};
  const char *filename = nullptr, *options = "";
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "s|s", const_cast<char **>(keywords), &filename, &options))
    return setQrvaErrIfNull(pself, nullptr);
  /* The library replaces its problem only when the whole file was read, so
   * the objects are forgotten only then: a failed read leaves the problem
   * and its lists as they were, still matching each other. */
  if (QRVAreadprob(self->qprob, filename, options) != 0) {
    /* Files the optimizer cannot read may still be SLP files. When the SLP
     * library fails too, the optimizer's account is kept unless the SLP
     * library found a fault of its own in the file. */
    char text[QRVA_PY_ERRBUF] = "";
    QRVAgetlasterror(self->qprob, text);
    text[sizeof text - 1] = '\0';
    if (QSLPreadprob(self->slpprob, filename, options) != 0) {
      int code = 0;
      char slp_text[QRVA_PY_ERRBUF] = "";
      QSLPgetlasterror(self->slpprob, &code, slp_text);
      slp_text[sizeof slp_text - 1] = '\0';
      qrva_py_raise_text(qpy_solver_exc, code == QRVA_ERR_NOT_AVAILABLE || !slp_text[0] ? text : slp_text);
      return setQrvaErrIfNull(pself, nullptr);
    }
  }
  if (problem_objectsFromLibrary(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, newNone());
}

static PyObject *problem_write(PyObject *pself, PyObject *args, PyObject *kwargs) {
  problem_s *self = PROBLEM(pself);
  static const char *keywords[] = {"filename", "options", nullptr};
  const char *filename = nullptr, *options = "";
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "s|s", const_cast<char **>(keywords), &filename, &options))
    return setQrvaErrIfNull(pself, nullptr);
  if (problem_pushChanges(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  int rc = problem_hasNonlinear(self) ? QSLPwriteprob(self->slpprob, filename, options)
                                      : QRVAwriteprob(self->qprob, filename, options);
  return setQrvaErrIfNull(pself, rc == 0 ? newNone() : nullptr);
}

/* ---- reset and copy ---- */

static PyObject *problem_reset(PyObject *pself, PyObject *) {
  problem_s *self = PROBLEM(pself);
  if (clearContainers(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  clearNonlinearState(self);
  /* The new SLP problem knows no user functions. */
  userfunc_releaseAll(self);
  if (self->qprob) {
    destroyHandles(self);
    if (createHandles(self) != 0 || QRVAsetprobname(self->qprob, "") != 0 || loadEmptyProblem(self, "") != 0)
      return setQrvaErrIfNull(pself, nullptr);
  }
  if (problem_applyControlDefaults(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  return newNone();
}

static int extendList(PyObject *target, PyObject *source) {
  Py_ssize_t n = PyList_GET_SIZE(target);
  return PyList_SetSlice(target, n, n, source);
}

static PyObject *problem_copy(PyObject *pself, PyObject *) {
  problem_s *self = PROBLEM(pself);
  if (problem_pushChanges(self) != 0) return setQrvaErrIfNull(pself, nullptr);
  PyRef copy(problem_new());
  if (!copy) return setQrvaErrIfNull(pself, nullptr);
  problem_s *target = PROBLEM(copy.get());
  if (createHandles(target) != 0) return setQrvaErrIfNull(pself, nullptr);
  if (problem_applyControlDefaults(target) != 0) return setQrvaErrIfNull(pself, nullptr);
  /* The SLP problem only holds more than its controls when the problem has
   * nonlinear content: only then is its copy needed (the library cannot
   * copy SLP problems yet, so linear and quadratic problems must not ask). */
  if (QRVAcopyprob(target->qprob, self->qprob, "") != 0 ||
      (problem_hasNonlinear(self) && QSLPcopyprob(target->slpprob, self->slpprob, "") != 0) ||
      QRVAcopycontrols(target->qprob, self->qprob) != 0 || QSLPcopycontrols(target->slpprob, self->slpprob) != 0) {
    /* The error is recorded on whichever of the two problems refused. */
    char text[QRVA_PY_ERRBUF] = "";
    QRVAgetlasterror(target->qprob, text);
    text[sizeof text - 1] = '\0';
    if (text[0] != '\0') {
      qrva_py_raise_text(qpy_solver_exc, text);
      return nullptr;
    }
    return setQrvaErrIfNull(pself, nullptr);
  }
  if (problem_hasNonlinear(self) && userfunc_shareCopies(target, self) != 0) return setQrvaErrIfNull(pself, nullptr);
  rowcolmap_free(&target->varmap);
  rowcolmap_free(&target->conmap);
  rowcolmap_free(&target->sosmap);
  if (rowcolmap_copy(&target->varmap, self->varmap) != 0 || rowcolmap_copy(&target->conmap, self->conmap) != 0 ||
      rowcolmap_copy(&target->sosmap, self->sosmap) != 0) {
    PyErr_NoMemory();
    return setQrvaErrIfNull(pself, nullptr);
  }
  if (extendList(target->variables, self->variables) != 0 ||
      extendList(target->constraints, self->constraints) != 0 || extendList(target->sets, self->sets) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  target->special_col = self->special_col;
  target->nl_count = self->nl_count;
  target->nl_objective = self->nl_objective;
  target->obj_transfer_col = self->obj_transfer_col;
  target->obj_transfer_row = self->obj_transfer_row;
  if (py_copycallbacks(target, self) != 0) return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, copy.release());
}

/* ---- lookups ---- */

static const char *const kNeedObject = "Incorrect object(s) passed: need variable, constraint, or SOS";

static PyObject *problem_getIndex(PyObject *pself, PyObject *args) {
  problem_s *self = PROBLEM(pself);
  PyObject *object;
  if (!PyArg_ParseTuple(args, "O", &object)) return setQrvaErrIfNull(pself, nullptr);
  int index = -1, found = -1;
  PyTypeObject *type = Py_TYPE(object);
  bool of_a_kind = type == &quorva_varType || type == &quorva_constraintType || type == &quorva_sosType;
  if (type == &quorva_varType)
    found = rowcolmap_get(self->varmap, VAR_SERIAL(object), &index);
  else if (type == &quorva_constraintType)
    found = rowcolmap_get(self->conmap, CONSTRAINT(object)->serial, &index);
  else if (type == &quorva_sosType)
    found = rowcolmap_get(self->sosmap, SOS(object)->serial, &index);
  if (!of_a_kind) {
    PyErr_SetString(qpy_model_exc, kNeedObject);
    return setQrvaErrIfNull(pself, nullptr);
  }
  if (found != 0) {
    /* The object is of the right class: say that it is another problem's. */
    PyErr_Format(qpy_model_exc, "Incorrect object(s) passed: %s %S is not in this problem", type->tp_name, object);
    return setQrvaErrIfNull(pself, nullptr);
  }
  return setQrvaErrIfNull(pself, PyLong_FromLong(index));
}

/* getVariable, getConstraint, getSOS over one of the lists. */
static PyObject *getObjects(PyObject *pself, PyObject *list, PyObject *args, PyObject *kwargs) {
  static const char *keywords[] = {"index", "first", "last", nullptr};
  PyObject *index = nullptr;
  int first = -1, last = -1;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|Oii", const_cast<char **>(keywords), &index, &first, &last))
    return setQrvaErrIfNull(pself, nullptr);
  if (index && index == Py_None) index = nullptr;
  if (first >= 0 || last >= 0) {
    if (index) {
      PyErr_SetString(qpy_model_exc, "Parameters 'first' and 'last' cannot be specified if 'index' is also specified");
      return setQrvaErrIfNull(pself, nullptr);
    }
  }
  if (index) {
    if (isIntegerObject(index)) {
      PyObject *item = listItemAt(list, index);
      Py_XINCREF(item);
      return setQrvaErrIfNull(pself, item);
    }
    PyRef result(PyList_New(0));
    if (!result) return setQrvaErrIfNull(pself, nullptr);
    PyObject *pair[2] = {list, result.get()};
    PyRef done(forEachNested(pself, index, appendItem, pair, QRVA_PY_NESTING_DEPTH));
    if (!done) return setQrvaErrIfNull(pself, nullptr);
    return setQrvaErrIfNull(pself, result.release());
  }
  if (first < 0 && last < 0) return setQrvaErrIfNull(pself, PyList_GetSlice(list, 0, PY_SSIZE_T_MAX));
  if (first < 0 || last < 0) {
    PyErr_SetString(qpy_model_exc, "Parameters 'first' and 'last' must be both nonnegative when specified");
    return setQrvaErrIfNull(pself, nullptr);
  }
  Py_ssize_t n = PyList_GET_SIZE(list);
  if (first >= n || last >= n) {
    PyErr_SetString(qpy_model_exc, "Parameters 'first' and 'last' are out of range");
    return setQrvaErrIfNull(pself, nullptr);
  }
  return setQrvaErrIfNull(pself, PyList_GetSlice(list, first, last + 1));
}

static PyObject *problem_getVariable(PyObject *pself, PyObject *args, PyObject *kwargs) {
  return getObjects(pself, PROBLEM(pself)->variables, args, kwargs);
}
static PyObject *problem_getConstraint(PyObject *pself, PyObject *args, PyObject *kwargs) {
  return getObjects(pself, PROBLEM(pself)->constraints, args, kwargs);
}
static PyObject *problem_getSOS(PyObject *pself, PyObject *args, PyObject *kwargs) {
  return getObjects(pself, PROBLEM(pself)->sets, args, kwargs);
}

static PyObject *problem_getIndexFromName(PyObject *pself, PyObject *args) {
  int type = 0, index = -1;
  const char *name = nullptr;
  if (!PyArg_ParseTuple(args, "is", &type, &name)) return setQrvaErrIfNull(pself, nullptr);
  if (QRVAgetindex(PROBLEM(pself)->qprob, type, name, &index) != 0) return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, PyLong_FromLong(index));
}

static PyObject *problem_copycontrols(PyObject *pself, PyObject *args) {
  PyObject *source;
  if (!PyArg_ParseTuple(args, "O", &source)) return setQrvaErrIfNull(pself, nullptr);
  if (!problem_check(source)) {
    PyErr_SetString(qpy_model_exc, "A problem must be passed for copying controls");
    return setQrvaErrIfNull(pself, nullptr);
  }
  if (QRVAcopycontrols(PROBLEM(pself)->qprob, PROBLEM(source)->qprob) != 0) return setQrvaErrIfNull(pself, nullptr);
  return setQrvaErrIfNull(pself, newNone());
}

/* ---- members ---- */

static PyObject *getControls(PyObject *pself, void *) {
  if (problem_enter(PROBLEM(pself)) != 0) return nullptr;
  PyObject *controls = PROBLEM(pself)->controls;
  if (!controls) return setQrvaErrIfNull(pself, nullptr);
  Py_INCREF(controls);
  return controls;
}

static PyObject *getAttributes(PyObject *pself, void *) {
  if (problem_enter(PROBLEM(pself)) != 0) return nullptr;
  PyObject *attributes = PROBLEM(pself)->attributes;
  if (!attributes) return setQrvaErrIfNull(pself, nullptr);
  Py_INCREF(attributes);
  return attributes;
}

PyMethodDef problem_lifecycleMethods[] = {
    {"name", QRVA_METHOD(problem_name), METH_NOARGS,
     QRVA_DOC("Returns the name of the problem.", "p.name()", "None.",
              "p = quorva.problem(name='plan')\n  print(p.name())",
              "A problem created without a name is called 'noname'; str(p) gives the same text.",
              "problem, read")},
    {"read", QRVA_METHOD(problem_read), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Reads a problem from a file, replacing the problem's contents.", "p.read(filename, options='')",
              "filename: the file to read; options: the library's reading flags ('l' for the LP format).",
              "p.read('plan.mps')\n  x = p.getVariable(0)",
              "New variable, constraint and SOS objects are made for the columns, rows and sets read, with their "
              "names, bounds and types (a constraint's body is not read). A file that cannot be read leaves the "
              "problem as it was.",
              "write, getVariable, getConstraint")},
    {"write", QRVA_METHOD(problem_write), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Writes the problem to a file.", "p.write(filename, options='')",
              "filename: the file to write; options: the library's writing flags ('l' for the LP format).",
              "p.write('plan.mps')", "The library chooses the format from the options and the file name.",
              "read")},
    {"reset", QRVA_METHOD(problem_reset), METH_NOARGS,
     QRVA_DOC("Empties the problem.", "p.reset()", "None.", "p.reset()\n  assert p.getVariable() == []",
              "Every variable, constraint and set is forgotten; the module-wide control values are applied "
              "again.",
              "copy, quorva.controls")},
    {"copy", QRVA_METHOD(problem_copy), METH_NOARGS,
     QRVA_DOC("Returns a copy of the problem.", "q = p.copy()", "None.", "q = p.copy()\n  q.solve()",
              "The copy holds the same variable, constraint and SOS objects as the original (not copies of "
              "them), with the same indices, the original's controls and its callbacks (registered anew for the copy).",
              "reset, copycontrols")},
    {"getIndex", QRVA_METHOD(problem_getIndex), METH_VARARGS,
     QRVA_DOC("Returns the index of a variable, constraint or SOS in the problem.", "p.getIndex(obj)",
              "obj: a variable (its column), constraint (its row) or SOS (its set index).",
              "j = p.getIndex(x)", "An object that is not in the problem raises quorva.ModelError.",
              "getVariable, getConstraint, getSOS, getIndexFromName")},
    {"getVariable", QRVA_METHOD(problem_getVariable), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Returns variables of the problem by column index.",
              "p.getVariable()\n  p.getVariable(index)\n  p.getVariable(first=f, last=l)",
              "index: an integer or any nesting of integers; first, last: an inclusive range of columns.",
              "x = p.getVariable(0)\n  xs = p.getVariable([0, [2, 1]])",
              "No argument gives the list of all variables; an integer gives one variable; a nesting gives a "
              "list in the order of the walk.",
              "getConstraint, getSOS, getIndex")},
    {"getConstraint", QRVA_METHOD(problem_getConstraint), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Returns constraints of the problem by row index.",
              "p.getConstraint()\n  p.getConstraint(index)\n  p.getConstraint(first=f, last=l)",
              "index: an integer or any nesting of integers; first, last: an inclusive range of rows.",
              "c = p.getConstraint(0)", "As getVariable, over the rows.", "getVariable, getSOS, getIndex")},
    {"getSOS", QRVA_METHOD(problem_getSOS), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Returns special ordered sets of the problem by set index.",
              "p.getSOS()\n  p.getSOS(index)\n  p.getSOS(first=f, last=l)",
              "index: an integer or any nesting of integers; first, last: an inclusive range of sets.",
              "s = p.getSOS(0)", "As getVariable, over the sets.", "getVariable, getConstraint, addSOS")},
    {"getIndexFromName", QRVA_METHOD(problem_getIndexFromName), METH_VARARGS,
     QRVA_DOC("Returns the index of a row, column or set by name.", "p.getIndexFromName(type, name)",
              "type: 1 rows, 2 columns, 3 sets; name: the name.", "j = p.getIndexFromName(2, 'x')",
              "A name the problem does not know gives -1.", "getIndex")},
    {"copycontrols", QRVA_METHOD(problem_copycontrols), METH_VARARGS,
     QRVA_DOC("Copies the control values of another problem into this one.", "p.copycontrols(src)",
              "src: the problem whose controls are copied.", "q.copycontrols(p)",
              "Only the optimizer's controls are copied.", "setControl, copy")},
    {nullptr, nullptr, 0, nullptr},
};

static PyMethodDef problem_controlMethods[] = {
    {"getControl", QRVA_METHOD(problem_getControl), METH_VARARGS,
     QRVA_DOC("Returns the value of one or more controls of the problem.",
              "p.getControl()\n  p.getControl(name)\n  p.getControl([name1, name2, ...])\n  p.getControl(name1, "
              "name2, ...)",
              "Control names in lower case; none returns every control.", "tol = p.getControl('feastol')",
              "One name gives its value; several, a list, a tuple or an iterator give a dictionary name -> value.",
              "setControl, getAttrib, controls")},
    {"setControl", QRVA_METHOD(problem_setControl), METH_VARARGS,
     QRVA_DOC("Sets one or more controls of the problem.", "p.setControl(name, value)\n  p.setControl({name1: value1, ...})",
              "name: a control name; value: its new value.", "p.setControl('feastol', 1e-7)",
              "Integer controls take integers, floating-point controls numbers, string controls strings.",
              "getControl, setdefaultcontrol")},
    {"getAttrib", QRVA_METHOD(problem_getAttrib), METH_VARARGS,
     QRVA_DOC("Returns the value of one or more attributes of the problem.",
              "p.getAttrib()\n  p.getAttrib(name)\n  p.getAttrib(name1, name2, ...)",
              "Attribute names in lower case; none returns every attribute.", "print(p.getAttrib('rows'))",
              "Attributes are read-only values such as sizes, statuses and objective values.",
              "getControl, attributes")},
    {"setdefaultcontrol", QRVA_METHOD(problem_setdefaultcontrol), METH_VARARGS,
     QRVA_DOC("Gives one control of the problem its default value back.", "p.setdefaultcontrol(name)",
              "name: a control name.", "p.setdefaultcontrol('feastol')",
              "Values set module-wide on quorva.controls are not defaults of the library.",
              "setControl, quorva.setdefaultcontrol")},
    {nullptr, nullptr, 0, nullptr},
};

static PyGetSetDef problem_getset[] = {
    {"controls", QRVA_ENTRY(getControls), nullptr, "The problem's controls, read and set by name", nullptr},
    {"attributes", QRVA_ENTRY(getAttributes), nullptr, "The problem's attributes, read by name", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

/* The class's methods, joined from the families of the problem's files. */
static PyMethodDef *const kProblemMethodFamilies[] = {problem_lifecycleMethods, problem_controlMethods,
                                                      problem_modelingMethods, problem_solveMethods,
                                                      problem_apiChangeMethods, problem_apiLoadMethods,
                                                      problem_apiQueryMethods, problem_apiBasisMethods,
                                                      problem_apiSolvingMethods, problem_apiDirectiveMethods,
                                                      problem_apiFileMethods, problem_apiIisMethods, problem_apiCutMethods,
                                                      problem_callbackMethods, problem_apiSlpFormulaMethods,
                                                      problem_slpVariableMethods, problem_slpRowMethods,
                                                      problem_slpValidationMethods, problem_slpCascadeMethods,
                                                      problem_slpDerivativeMethods, problem_slpPreparationMethods,
                                                      problem_slpMultistartMethods};
static std::vector<PyMethodDef> problemMethods;

PyTypeObject quorva_problemType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.problem", /* tp_name */
    sizeof(problem_s),                                   /* tp_basicsize */
};

void problem_prepareType() {
  if (problemMethods.empty()) {
    for (PyMethodDef *family : kProblemMethodFamilies)
      for (PyMethodDef *m = family; m->ml_name; ++m) problemMethods.push_back(*m);
    problemMethods.push_back({nullptr, nullptr, 0, nullptr});
    problem_guardMethods(problemMethods);
  }
  quorva_problemType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
  quorva_problemType.tp_doc = QRVA_DOC(
      "An optimization problem: variables, constraints, sets, objective, solve and solution queries.",
      "quorva.problem(name='noname')", "name: the problem's name.",
      "p = quorva.problem(name='plan')\n  x = quorva.var(ub=10)\n  p.addVariable(x)\n  p.setObjective(x, "
      "sense=quorva.maximize)\n  p.solve()",
      "Each problem owns one problem of the optimizer library and one of the SLP library on it.",
      "addVariable, addConstraint, setObjective, solve, getSolution");
  quorva_problemType.tp_init = QRVA_ENTRY(problem_init);
  quorva_problemType.tp_dealloc = QRVA_DEALLOC(problem_dealloc);
  quorva_problemType.tp_str = QRVA_ENTRY(problem_str);
  quorva_problemType.tp_repr = QRVA_ENTRY(problem_repr);
  quorva_problemType.tp_methods = problemMethods.data();
  quorva_problemType.tp_getset = problem_getset;
}
