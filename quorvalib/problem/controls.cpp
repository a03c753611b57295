#include "problem/controls.h"

#include "model/types.h"
#include "module/boundary.h"
#include "module/env.h"
#include "module/errors.h"
#include "module/helpers.h"
#include "module/qrvalibs.h"
#include "problem/busy.h"

#include <cctype>
#include <string>
#include <utility>
#include <vector>

/* Identifiers whose value getControl()/getAttrib() report as -1 unread.
 * 22013 names nothing in libqrva; it is skipped should the list hold it. */
static const int kUnreadIds[] = {22013, QSLP_SLPUNITCOL};
/* Longest key kept in the tables. */
static const size_t kMaxNameLength = 128;

/* ---- the table fill ---- */

namespace {

/* The temporary problems the fill reads default values from. */
struct TemporaryProblems {
  QRVAprob qprob = nullptr;
  QSLPprob slpprob = nullptr;
  ~TemporaryProblems() { destroy(); }
  int destroy() {
    int failed = 0;
    if (slpprob) failed |= QSLPdestroyprob(slpprob);
    if (qprob) failed |= QRVAdestroyprob(qprob);
    slpprob = nullptr;
    qprob = nullptr;
    return failed;
  }
};

std::string tableKey(const char *name) {
  std::string key(name);
  if (key.size() > kMaxNameLength) key.resize(kMaxNameLength);
  for (char &c : key) c = (char)std::tolower((unsigned char)c);
  return key;
}

/* A string value from a library getter called as get(value, maxbytes,
 * &nbytes): its size first (value NULL), then the value itself. */
template <typename Getter>
PyObject *readLibraryString(Getter get) {
  int needed = 0;
  if (get(nullptr, 0, &needed) != 0) return nullptr;
  std::vector<char> buffer((size_t)(needed > 0 ? needed : 1), '\0');
  int length = 0;
  if (get(buffer.data(), (int)buffer.size(), &length) != 0) return nullptr;
  buffer.back() = '\0';
  return PyUnicode_FromString(buffer.data());
}

/* Reads a control's value straight from library problems. */
PyObject *readControl(QRVAprob qprob, QSLPprob slpprob, int identifier, int type, int library) {
  if (type == QRVA_PY_TYPE_INT) {
    int value = 0;
    int rc = library ? QSLPgetintcontrol(slpprob, identifier, &value) : QRVAgetintcontrol(qprob, identifier, &value);
    return rc ? nullptr : PyLong_FromLong(value);
  }
  if (type == QRVA_PY_TYPE_DBL) {
    double value = 0;
    int rc = library ? QSLPgetdblcontrol(slpprob, identifier, &value) : QRVAgetdblcontrol(qprob, identifier, &value);
    return rc ? nullptr : PyFloat_FromDouble(value);
  }
  return readLibraryString([&](char *value, int maxbytes, int *nbytes) {
    return library ? QSLPgetstrcontrol(slpprob, identifier, value, maxbytes, nbytes)
                   : QRVAgetstrcontrol(qprob, identifier, value, maxbytes, nbytes);
  });
}

/* Sets table[key] = value under the tables' lock. The value it replaces is
   released only after the lock is let go: its release may run Python code (a
   __del__) that reads the tables, which would spin on the lock for ever. */
int setUnderLock(PyObject *table, PyObject *key, PyObject *value) {
  PyRef replaced;  // declared first, so released after the guard
  LockGuard guard(lock_ctrltable);
  PyObject *old = PyDict_GetItemWithError(table, key);
  if (old) Py_INCREF(old), replaced.reset(old);
  else if (PyErr_Occurred()) return -1;
  return PyDict_SetItem(table, key, value);
}

int setUnderLock(PyObject *table, const std::string &key, PyObject *value) {
  PyRef name(PyUnicode_FromString(key.c_str()));
  return name ? setUnderLock(table, name.get(), value) : -1;
}

int storeEntry(PyObject *table, const std::string &key, int identifier, int type, int library) {
  PyRef entry(Py_BuildValue("(iii)", identifier, type, library));
  if (!entry) return -1;
  return setUnderLock(table, key, entry.get());
}

int storeDefault(const std::string &key, PyObject *value) {
  control_s *controls = reinterpret_cast<control_s *>(qrv_py_env.controls);
  return setUnderLock(controls->dict, key, value);
}

/* Adds one catalog entry to the tables; 1 when skipped, 0 stored, -1 error. */
int addEntry(const TemporaryProblems &tmp, int library, int identifier, int flags, const char *name) {
  int is_control = 0, type = 0;
  getParType(library, flags, identifier, &is_control, &type);
  if (type == -1) {
    PyErr_SetString(qpy_solver_exc, is_control == 1 ? "Erroneous control value/type in initialization"
                                                     : "Erroneous attribute value/type in initialization");
    return -1;
  }
  if (type == 0) return 1;
  std::string key = tableKey(name);
  if (!is_control) return storeEntry(qrv_py_env.attribute_table, key, identifier, type, library);
  PyRef value(readControl(tmp.qprob, tmp.slpprob, identifier, type, library));
  if (!value) {
    PyErr_Clear();
    return 1; /* a control the temporary problem cannot read is left out */
  }
  if (storeEntry(qrv_py_env.control_table, key, identifier, type, library) != 0) return -1;
  return storeDefault(key, value.get());
}

int readOptimizerEntries(const TemporaryProblems &tmp) {
  const int *ids = nullptr, *flags = nullptr;
  const char *const *names = nullptr;
  if (QRVAgetcalist_c(tmp.qprob, &ids, &names, &flags) != 0 || !ids || !names || !flags) {
    PyErr_SetString(qpy_solver_exc, "Could not get control/attribute list from Quorva");
    return -1;
  }
  for (int i = 0; ids[i] != 0; ++i)
    if (addEntry(tmp, QRVA_PY_LIB_OPT, ids[i], flags[i], names[i]) < 0) return -1;
  return 0;
}

int readSlpEntries(const TemporaryProblems &tmp) {
  const int *ids = nullptr;
  const char *const *names = nullptr;
  if (QSLPgetcalist(tmp.slpprob, &ids, &names) != 0 || !ids || !names) {
    PyErr_SetString(qpy_solver_exc, "Could not get control/attribute list from Quorva");
    return -1;
  }
  for (int i = 1; names[i] && names[i][0] != '\0'; ++i)
    if (addEntry(tmp, QRVA_PY_LIB_SLP, ids[i], 0, names[i]) < 0) return -1;
  return 0;
}

}  // namespace

int qrva_py_fill_tables(int quiet) {
  if (QRVAinit(nullptr) != 0) {
    if (quiet) return 0;
    setQrvaErrIfNull(nullptr, nullptr);
    return -1;
  }
  int slp_on = QSLPinit() == 0;
  int result = 0;
  {
    TemporaryProblems tmp;
    if (!slp_on || QRVAcreateprob(&tmp.qprob) != 0 || QSLPcreateprob(&tmp.slpprob, &tmp.qprob) != 0) {
      PyErr_SetString(qpy_solver_exc, "Could not create temporary problem");
      result = -1;
    } else if (readOptimizerEntries(tmp) != 0 || readSlpEntries(tmp) != 0) {
      result = -1;
    }
    if (tmp.destroy() != 0) result = result ? result : -2;
  }
  if (slp_on && QSLPfree() != 0) result = result ? result : -2;
  if (QRVAfree() != 0) result = result ? result : -2;
  if (result == -2) {
    if (!PyErr_Occurred()) PyErr_SetString(qpy_solver_exc, "Error initializing optimization environment");
    result = -1;
  }
  return result;
}

/* ---- values of a problem ---- */

PyObject *problem_getParamValue(problem_s *problem, int identifier, int type, int is_control, int library) {
  if (type != QRVA_PY_TYPE_INT && type != QRVA_PY_TYPE_DBL && type != QRVA_PY_TYPE_STR) {
    PyErr_SetString(qpy_model_exc, is_control ? "getControl() called with unknown ID" : "getAttrib() called with unknown ID");
    return nullptr;
  }
  if (is_control)
    return setQrvaErrIfNull((PyObject *)problem,
                            readControl(problem->qprob, problem->slpprob, identifier, type, library));
  PyObject *result = nullptr;
  int rc;
  if (type == QRVA_PY_TYPE_INT) {
    int value = 0;
    rc = library ? QSLPgetintattrib(problem->slpprob, identifier, &value)
                 : QRVAgetintattrib(problem->qprob, identifier, &value);
    if (!rc) result = PyLong_FromLong(value);
  } else if (type == QRVA_PY_TYPE_DBL) {
    double value = 0;
    rc = library ? QSLPgetdblattrib(problem->slpprob, identifier, &value)
                 : QRVAgetdblattrib(problem->qprob, identifier, &value);
    if (!rc) result = PyFloat_FromDouble(value);
  } else {
    result = readLibraryString([&](char *value, int maxbytes, int *nbytes) {
      return library ? QSLPgetstrattrib(problem->slpprob, identifier, value, maxbytes, nbytes)
                     : QRVAgetstringattrib(problem->qprob, identifier, value, maxbytes, nbytes);
    });
  }
  return setQrvaErrIfNull((PyObject *)problem, result);
}

int check_setCtrl(int type, PyObject *value) {
  switch (type) {
    case QRVA_PY_TYPE_INT:
      if (isIntegerObject(value)) return 0;
      PyErr_SetString(qpy_model_exc, "Cannot set non-integer value to an integer control");
      return -1;
    case QRVA_PY_TYPE_DBL:
      if (PyFloat_Check(value) || isIntegerObject(value)) return 0;
      PyErr_SetString(qpy_model_exc, "Cannot set non-numerical value to a floating-point control");
      return -1;
    case QRVA_PY_TYPE_STR:
      if (PyUnicode_Check(value)) return 0;
      PyErr_SetString(qpy_model_exc, "Cannot set non-string value to a string control");
      return -1;
    default:
      PyErr_SetString(qpy_model_exc, "setControl called with unknown ID");
      return -1;
  }
}

/* The name of a control by its identifier, for messages ("?" if unknown). */
static PyObject *controlName(int identifier, int library) {
  PyRef snapshot;
  {
    LockGuard guard(lock_ctrltable);
    snapshot.reset(PyDict_Copy(qrv_py_env.control_table));
  }
  PyObject *name, *entry;
  Py_ssize_t pos = 0;
  while (snapshot && PyDict_Next(snapshot.get(), &pos, &name, &entry)) {
    int id = 0, type = 0, lib = 0;
    if (PyArg_ParseTuple(entry, "iii", &id, &type, &lib) && id == identifier && lib == library) {
      Py_INCREF(name);
      return name;
    }
    PyErr_Clear();
  }
  PyErr_Clear();
  return PyUnicode_FromString("?");
}

/* Sets one control on a pair of library problems: 0 done, -1 with a Python
 * error set (the value cannot be passed), 1 refused by the library (its text
 * is on the problems). */
static int setLibraryControl(QRVAprob qprob, QSLPprob slpprob, int identifier, int type, int library,
                             PyObject *value) {
  if (check_setCtrl(type, value) != 0) return -1;
  int rc;
  if (type == QRVA_PY_TYPE_INT) {
    int overflow = 0;
    long long v = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (v == -1 && PyErr_Occurred()) return -1;
    if (overflow || v < INT32_MIN || v > INT32_MAX) {
      /* The libraries take int values: this one cannot even be passed. */
      PyRef name(controlName(identifier, library));
      PyErr_Format(qpy_model_exc,
                   "Value %S for integer control %d (%S) is outside the range of integer controls [%d, %d]", value,
                   identifier, name.get(), INT32_MIN, INT32_MAX);
      return -1;
    }
    rc = library ? QSLPsetintcontrol(slpprob, identifier, (int)v) : QRVAsetintcontrol(qprob, identifier, (int)v);
  } else if (type == QRVA_PY_TYPE_DBL) {
    double v = PyFloat_AsDouble(value);
    if (v == -1.0 && PyErr_Occurred()) return -1;
    rc = library ? QSLPsetdblcontrol(slpprob, identifier, v) : QRVAsetdblcontrol(qprob, identifier, v);
  } else {
    PyStrCopy text(value);
    if (!text.get()) return -1;
    rc = library ? QSLPsetstrcontrol(slpprob, identifier, text.get())
                 : QRVAsetstrcontrol(qprob, identifier, text.get());
  }
  return rc ? 1 : 0;
}

int problem_setControl_single(problem_s *problem, int identifier, int type, int library, PyObject *value) {
  int rc = setLibraryControl(problem->qprob, problem->slpprob, identifier, type, library, value);
  if (rc > 0) setQrvaErrIfNull((PyObject *)problem, nullptr);
  return rc ? -1 : 0;
}

/* A module-wide value is tried on a scratch problem before it is stored, so
 * that a value no problem can take is refused now, with the library's own
 * text, rather than by every problem created later. */
static int checkOnScratchProblem(int identifier, int type, int library, PyObject *value) {
  if (turnQRVAon(0) != 0) return -1;
  TemporaryProblems scratch;
  if (QRVAcreateprob(&scratch.qprob) != 0 || QSLPcreateprob(&scratch.slpprob, &scratch.qprob) != 0) {
    qrva_py_raise_global_error();
    return -1;
  }
  int rc = setLibraryControl(scratch.qprob, scratch.slpprob, identifier, type, library, value);
  if (rc > 0) qrva_py_raise_handle_error(scratch.qprob, scratch.slpprob);
  return rc ? -1 : 0;
}

/* Looks a name up in a table: borrowed (id, type, library) tuple or NULL. */
static PyObject *lookupEntry(PyObject *table, PyObject *name) {
  LockGuard guard(lock_ctrltable);
  PyObject *entry = PyDict_GetItemWithError(table, name);
  if (!entry) PyErr_Clear(); /* an unhashable name is simply unknown */
  return entry;
}

static int unpackEntry(PyObject *entry, int *identifier, int *type, int *library) {
  return PyArg_ParseTuple(entry, "iii", identifier, type, library) ? 0 : -1;
}

int control_lookup(PyObject *name, int *identifier, int *type, int *library) {
  LockGuard guard(lock_ctrltable);
  PyObject *entry = PyDict_GetItemWithError(qrv_py_env.control_table, name);
  if (!entry) {
    PyErr_Clear(); /* an unhashable name is simply unknown */
    return 0;
  }
  /* The entries are tuples of three ints: unpacking runs no Python code. */
  if (unpackEntry(entry, identifier, type, library) != 0) {
    PyErr_Clear();
    return 0;
  }
  return 1;
}

int problem_applyControlDefaults(problem_s *problem) {
  PyRef defaults;
  {
    LockGuard guard(lock_ctrltable);
    defaults.reset(PyDict_Copy(qrv_py_env.control_defaults));
  }
  if (!defaults) return -1;
  PyObject *name, *value;
  Py_ssize_t pos = 0;
  while (PyDict_Next(defaults.get(), &pos, &name, &value)) {
    PyObject *entry = lookupEntry(qrv_py_env.control_table, name);
    int identifier, type, library;
    if (!entry) {
      PyErr_SetString(qpy_model_exc, "Incorrect control name in initialization");
      return -1;
    }
    if (unpackEntry(entry, &identifier, &type, &library) != 0) return -1;
    if (problem_setControl_single(problem, identifier, type, library, value) != 0) return -1;
  }
  return 0;
}

/* ---- the control and attribute classes ---- */

static int isAttributeObject(PyObject *object) { return Py_TYPE(object) == &quorva_attributeType; }

static PyObject *newControlObject(PyTypeObject *type, problem_s *problem, PyObject *dict, int bound) {
  control_s *object = PyObject_New(control_s, type);
  if (!object) return nullptr;
  object->problem = problem;
  object->bound = bound;
  Py_INCREF(dict);
  object->dict = dict;
  return (PyObject *)object;
}

PyObject *control_new_modulewide() {
  PyRef dict(PyDict_New());
  if (!dict) return nullptr;
  return newControlObject(&quorva_controlType, nullptr, dict.get(), 0);
}

PyObject *control_new_bound(problem_s *problem) {
  return newControlObject(&quorva_controlType, problem, qrv_py_env.control_table, 1);
}

PyObject *attribute_new_bound(problem_s *problem) {
  return newControlObject(&quorva_attributeType, problem, qrv_py_env.attribute_table, 1);
}

PyObject *control_copy(PyObject *object) {
  control_s *source = reinterpret_cast<control_s *>(object);
  PyRef dict(PyDict_Copy(source->dict));
  if (!dict) return nullptr;
  return newControlObject(Py_TYPE(object), source->problem, dict.get(), source->bound);
}

void control_detach(PyObject *object) {
  if (object) reinterpret_cast<control_s *>(object)->problem = nullptr;
}

static void control_dealloc(PyObject *object) {
  Py_CLEAR(reinterpret_cast<control_s *>(object)->dict);
  Py_TYPE(object)->tp_free(object);
}

/* The bound problem, or NULL with an error when it no longer exists. */
static problem_s *boundProblem(control_s *object) {
  if (!object->problem || !object->problem->qprob) {
    PyErr_SetString(qpy_model_exc, isAttributeObject((PyObject *)object)
                                       ? "The problem of these attributes no longer exists"
                                       : "The problem of these controls no longer exists");
    return nullptr;
  }
  if (problem_enter(object->problem) != 0) return nullptr;
  return object->problem;
}

static PyObject *control_getattro(PyObject *self, PyObject *name) {
  control_s *object = reinterpret_cast<control_s *>(self);
  int attribute = isAttributeObject(self);
  if (!PyUnicode_Check(name)) {
    PyErr_SetString(qpy_model_exc, attribute ? "Bad attribute request" : "Bad control request");
    return nullptr;
  }
  if (PyUnicode_CompareWithASCIIString(name, "__dict__") == 0) {
    Py_INCREF(object->dict);
    return object->dict;
  }
  if (PyUnicode_CompareWithASCIIString(name, "__class__") == 0) {
    Py_INCREF(Py_TYPE(self));
    return (PyObject *)Py_TYPE(self);
  }
  const char *unknown = attribute ? "Incorrect attribute name" : "Incorrect control name";
  if (!object->bound) {
    LockGuard guard(lock_ctrltable);
    PyObject *value = PyDict_GetItemWithError(qrv_py_env.control_defaults, name);
    if (!value && !PyErr_Occurred()) value = PyDict_GetItemWithError(object->dict, name);
    if (!value) {
      if (!PyErr_Occurred()) PyErr_SetString(qpy_unknown_name_exc, unknown);
      return nullptr;
    }
    Py_INCREF(value);
    return value;
  }
  PyObject *entry = lookupEntry(object->dict, name);
  if (!entry) {
    PyErr_SetString(qpy_unknown_name_exc, unknown);
    return nullptr;
  }
  int identifier, type, library;
  if (unpackEntry(entry, &identifier, &type, &library) != 0) return nullptr;
  problem_s *problem = boundProblem(object);
  if (!problem) return nullptr;
  return problem_getParamValue(problem, identifier, type, !attribute, library);
}

static int control_setattro(PyObject *self, PyObject *name, PyObject *value) {
  control_s *object = reinterpret_cast<control_s *>(self);
  if (isAttributeObject(self)) {
    PyErr_SetString(qpy_model_exc, "A problem's attribute cannot be set");
    return -1;
  }
  if (!value) {
    PyErr_SetString(qpy_model_exc, "A control cannot be deleted");
    return -1;
  }
  PyObject *entry = PyUnicode_Check(name) ? lookupEntry(qrv_py_env.control_table, name) : nullptr;
  if (!entry) {
    PyErr_SetString(qpy_unknown_name_exc, "Incorrect control name");
    return -1;
  }
  int identifier, type, library;
  if (unpackEntry(entry, &identifier, &type, &library) != 0) return -1;
  if (object->bound) {
    problem_s *problem = boundProblem(object);
    if (!problem) return -1;
    return problem_setControl_single(problem, identifier, type, library, value);
  }
  if (checkOnScratchProblem(identifier, type, library, value) != 0) return -1;
  return setUnderLock(qrv_py_env.control_defaults, name, value);
}

/* Every name of a table with its current value in the problem. */
static PyObject *allValues(problem_s *problem, PyObject *table, int is_control) {
  PyRef snapshot;
  {
    LockGuard guard(lock_ctrltable);
    snapshot.reset(PyDict_Copy(table));
  }
  PyRef result(PyDict_New());
  if (!snapshot || !result) return nullptr;
  PyObject *name, *entry;
  Py_ssize_t pos = 0;
  while (PyDict_Next(snapshot.get(), &pos, &name, &entry)) {
    int identifier, type, library;
    if (unpackEntry(entry, &identifier, &type, &library) != 0) return nullptr;
    PyRef value;
    bool unread = false;
    for (int id : kUnreadIds) unread = unread || identifier == id;
    if (unread)
      value.reset(PyLong_FromLong(-1));
    else
      value.reset(problem_getParamValue(problem, identifier, type, is_control, library));
    if (!value || PyDict_SetItem(result.get(), name, value.get()) != 0) return nullptr;
  }
  return result.release();
}

static PyObject *control_str(PyObject *self) {
  control_s *object = reinterpret_cast<control_s *>(self);
  if (!object->bound) return PyObject_Str(object->dict);
  problem_s *problem = boundProblem(object);
  if (!problem) return nullptr;
  PyRef values(allValues(problem, object->dict, !isAttributeObject(self)));
  if (!values) return nullptr;
  return PyObject_Str(values.get());
}

/* <quorva.control of problem plan>, <quorva.control module-wide defaults>:
 * which values these are; str() lists them. */
static PyObject *control_repr(PyObject *self) {
  control_s *object = reinterpret_cast<control_s *>(self);
  if (!object->bound) return setQrvaErrIfNull(nullptr, objectRepr(self, PyUnicode_FromString("module-wide defaults")));
  if (!object->problem || !object->problem->qprob)
    return setQrvaErrIfNull(nullptr, objectRepr(self, PyUnicode_FromString("of a problem that no longer exists")));
  return setQrvaErrIfNull(nullptr, objectRepr(self, PyUnicode_FromFormat("of problem %S", object->problem)));
}

PyTypeObject quorva_controlType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.control", /* tp_name */
    sizeof(control_s),                                   /* tp_basicsize */
};

PyTypeObject quorva_attributeType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.attribute", /* tp_name */
    sizeof(control_s),                                     /* tp_basicsize */
};

/* Slots are filled here rather than positionally, which keeps the two
 * definitions readable. */
void controls_prepareTypes() {
  for (PyTypeObject *type : {&quorva_controlType, &quorva_attributeType}) {
    type->tp_dealloc = QRVA_DEALLOC(control_dealloc);
    type->tp_str = QRVA_ENTRY(control_str);
    type->tp_repr = QRVA_ENTRY(control_repr);
    type->tp_getattro = QRVA_ENTRY(control_getattro);
    type->tp_setattro = QRVA_ENTRY(control_setattro);
    type->tp_flags = Py_TPFLAGS_DEFAULT;
  }
  quorva_controlType.tp_doc = "Controls of a problem, or the module-wide defaults (quorva.controls)";
  quorva_attributeType.tp_doc = "Attributes (read-only values) of a problem";
}

/* ---- problem methods ---- */

/* Value of one name, or NULL with the "unknown" error. */
static PyObject *oneValue(problem_s *problem, PyObject *table, PyObject *name, int is_control) {
  PyObject *entry = lookupEntry(table, name);
  if (!entry) {
    if (!PyErr_Occurred())
      PyErr_SetString(qpy_interf_exc, is_control ? "Requested value of an unknown control"
                                                 : "Requested value of an unknown attribute");
    return nullptr;
  }
  int identifier, type, library;
  if (unpackEntry(entry, &identifier, &type, &library) != 0) return nullptr;
  return problem_getParamValue(problem, identifier, type, is_control, library);
}

/* A dict name -> value for every name an iterable yields. */
static PyObject *valuesOf(problem_s *problem, PyObject *table, PyObject *names, int is_control) {
  PyRef iterator(PyObject_GetIter(names));
  PyRef result(PyDict_New());
  if (!iterator || !result) return nullptr;
  for (;;) {
    PyRef name(PyIter_Next(iterator.get()));
    if (!name) break;
    PyRef value(oneValue(problem, table, name.get(), is_control));
    if (!value || PyDict_SetItem(result.get(), name.get(), value.get()) != 0) return nullptr;
  }
  if (PyErr_Occurred()) return nullptr;
  return result.release();
}

static PyObject *getValues(PyObject *self, PyObject *args, PyObject *table, int is_control) {
  problem_s *problem = reinterpret_cast<problem_s *>(self);
  Py_ssize_t nargs = PyTuple_GET_SIZE(args);
  PyObject *result;
  if (nargs == 0) {
    result = allValues(problem, table, is_control);
  } else if (nargs == 1) {
    PyObject *arg = PyTuple_GET_ITEM(args, 0);
    if (PyList_Check(arg) || PyTuple_Check(arg) || PyIter_Check(arg))
      result = valuesOf(problem, table, arg, is_control);
    else
      result = oneValue(problem, table, arg, is_control);
  } else {
    result = valuesOf(problem, table, args, is_control);
  }
  return setQrvaErrIfNull(self, result);
}

PyObject *problem_getControl(PyObject *self, PyObject *args) {
  return getValues(self, args, qrv_py_env.control_table, 1);
}

PyObject *problem_getAttrib(PyObject *self, PyObject *args) {
  return getValues(self, args, qrv_py_env.attribute_table, 0);
}

static int setOne(problem_s *problem, PyObject *name, PyObject *value) {
  PyObject *entry = lookupEntry(qrv_py_env.control_table, name);
  if (!entry) {
    PyErr_SetString(qpy_model_exc, "Incorrect control name");
    return -1;
  }
  int identifier, type, library;
  if (unpackEntry(entry, &identifier, &type, &library) != 0) return -1;
  return problem_setControl_single(problem, identifier, type, library, value);
}

/* Sets every control of a dictionary, or none of them: the values that
 * were set before a refusal are put back. 0 or -1. */
static int setMany(problem_s *problem, PyObject *settings) {
  std::vector<std::pair<PyRef, PyRef>> previous;
  PyObject *name, *value;
  Py_ssize_t pos = 0;
  while (PyDict_Next(settings, &pos, &name, &value)) {
    PyRef old(lookupEntry(qrv_py_env.control_table, name)
                  ? oneValue(problem, qrv_py_env.control_table, name, 1) : nullptr);
    if (!old && PyErr_Occurred()) break;
    if (setOne(problem, name, value) != 0) break;
    previous.emplace_back(PyRef::borrow(name), std::move(old));
  }
  if (!PyErr_Occurred()) return 0;
  PyObject *type, *error, *traceback;
  PyErr_Fetch(&type, &error, &traceback);
  for (auto it = previous.rbegin(); it != previous.rend(); ++it)
    if (setOne(problem, it->first.get(), it->second.get()) != 0) PyErr_Clear();
  PyErr_Restore(type, error, traceback);
  return -1;
}

PyObject *problem_setControl(PyObject *self, PyObject *args) {
  problem_s *problem = reinterpret_cast<problem_s *>(self);
  Py_ssize_t nargs = PyTuple_GET_SIZE(args);
  int rc = -1;
  if (nargs == 0) {
    PyErr_SetString(qpy_model_exc,
                    "setControl requires at least one argument of type dictionary or two elements: parameter, value");
  } else if (nargs == 1) {
    PyObject *settings = PyTuple_GET_ITEM(args, 0);
    if (!PyDict_Check(settings)) {
      PyErr_SetString(qpy_model_exc, "single argument to setControl must be a dictionary");
    } else {
      rc = setMany(problem, settings);
    }
  } else if (nargs == 2) {
    rc = setOne(problem, PyTuple_GET_ITEM(args, 0), PyTuple_GET_ITEM(args, 1));
  } else {
    PyErr_SetString(qpy_model_exc, "setControl: arguments mismatch");
  }
  return setQrvaErrIfNull(self, rc == 0 ? newNone() : nullptr);
}

PyObject *problem_setdefaultcontrol(PyObject *self, PyObject *args) {
  problem_s *problem = reinterpret_cast<problem_s *>(self);
  PyObject *name;
  if (!PyArg_ParseTuple(args, "O", &name)) return setQrvaErrIfNull(self, nullptr);
  PyObject *entry = lookupEntry(qrv_py_env.control_table, name);
  if (!entry) {
    PyErr_SetString(qpy_interf_exc, "Incorrect control name");
    return setQrvaErrIfNull(self, nullptr);
  }
  int identifier, type, library;
  if (unpackEntry(entry, &identifier, &type, &library) != 0) return setQrvaErrIfNull(self, nullptr);
  int rc;
  if (library == QRVA_PY_LIB_OPT) {
    rc = QRVAsetdefaultcontrol(problem->qprob, identifier) == 0 ? 0 : -1;
  } else {
    /* The SLP library's default is the value the tables were filled with. */
    control_s *modulewide = reinterpret_cast<control_s *>(qrv_py_env.controls);
    PyObject *value;
    {
      LockGuard guard(lock_ctrltable);
      value = PyDict_GetItemWithError(modulewide->dict, name);
    }
    rc = value ? problem_setControl_single(problem, identifier, type, library, value) : -1;
  }
  return setQrvaErrIfNull(self, rc == 0 ? newNone() : nullptr);
}
