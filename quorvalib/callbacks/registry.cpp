#include "callbacks/registry.h"

#include "callbacks/dispatch.h"
#include "callbacks/kinds.h"

#include "module/env.h"
#include "module/errors.h"
#include "module/modfuncs.h"

#include <unordered_map>
#include <vector>

/* Registered entry -> number of its registrations. The pointers are only
 * compared, never followed, until an entry is found here. */
static std::unordered_map<PyObject *, int> liveEntries;

namespace {
/* How the library registers each kind with its trampoline: optimizer kinds
 * are added and removed, SLP kinds set (and never unset). */
struct KindRegistration {
  int (*add)(QRVAprob prob, void *entry, int priority);
  int (*remove)(QRVAprob prob, void *entry);
  int (*set)(QSLPprob slp, void *entry);
};

#define QRVA_PY_OPT_REGISTRATION(name)                                                               \
  {[](QRVAprob p, void *e, int priority) { return QRVAaddcb##name(p, wrapper_##name, e, priority); }, \
   [](QRVAprob p, void *e) { return QRVAremovecb##name(p, wrapper_##name, e); }, nullptr},
#define QRVA_PY_SLP_REGISTRATION(name) \
  {nullptr, nullptr, [](QSLPprob s, void *e) { return QSLPsetcb##name(s, wrapper_##name, e); }},
const KindRegistration registrations[] = {QRVA_PY_FOR_OPT_KINDS(QRVA_PY_OPT_REGISTRATION)
                                              QRVA_PY_FOR_SLP_KINDS(QRVA_PY_SLP_REGISTRATION)};
#undef QRVA_PY_OPT_REGISTRATION
#undef QRVA_PY_SLP_REGISTRATION
static_assert(sizeof registrations / sizeof registrations[0] == QRVA_PY_CB_KINDS, "one registration per kind");
static_assert(CBKIND_COUNT == QRVA_PY_CB_KINDS && CBKIND_cascadeend == QRVA_PY_CB_OPT_KINDS, "kinds in table order");

/* Item 0 names the owning problem without holding a reference: it is
 * overwritten without releasing, so that deleting the entry never releases
 * the problem. */
void forgetOwner(PyObject *entry) {
  Py_INCREF(Py_None);
  PyList_SET_ITEM(entry, 0, Py_None);
}
}  // namespace

void entryRegistered(PyObject *entry) { ++liveEntries[entry]; }

void entryUnregistered(PyObject *entry) {
  auto it = liveEntries.find(entry);
  if (it != liveEntries.end() && --it->second == 0) liveEntries.erase(it);
}

PyRef claimEntry(void *data) {
  PyObject *entry = static_cast<PyObject *>(data);
  if (!entry || liveEntries.count(entry) == 0) return PyRef();
  return PyRef::borrow(entry);
}

/* Reads callable and data out of an entry; -1 with an error when it is not
 * an entry of the expected shape. */
static int entryParts(PyObject *entry, bool problem_entry, PyObject **callable, PyObject **data) {
  Py_ssize_t first = problem_entry ? 1 : 0;
  if (!PyList_Check(entry) || PyList_GET_SIZE(entry) < first + 2) {
    PyErr_SetString(qpy_interf_exc, "Incorrect data stored in callback");
    return -1;
  }
  *callable = PyList_GET_ITEM(entry, first);
  *data = PyList_GET_ITEM(entry, first + 1);
  return 0;
}

static bool matches(PyObject *wanted, PyObject *actual) {
  return !wanted || wanted == Py_None || wanted == actual;
}

int removeCallback(problem_s *problem, PyObject **slot, PyObject *callable, PyObject *data, int kind,
                   int unregister) {
  bool problem_entry = problem != nullptr;
  if (!*slot) {
    if (!callable || callable == Py_None) return 0;
    PyErr_SetString(qpy_interf_exc, "Cannot remove callback from an empty set");
    return -3;
  }
  PyObject *list = *slot;
  /* The deleted entries are released when the walk is over: their release
   * may run Python code (a __del__) that changes this very list. */
  std::vector<PyRef> deleted;
  for (Py_ssize_t i = PyList_GET_SIZE(list) - 1; i >= 0; --i) {
    PyObject *entry = PyList_GET_ITEM(list, i);
    PyObject *entry_callable, *entry_data;
    if (entryParts(entry, problem_entry, &entry_callable, &entry_data) != 0) return -3;
    if (!matches(callable, entry_callable) || !matches(data, entry_data)) continue;
    if (!problem_entry) {
      if (turnQRVAon(0) != 0) return -3;
      int rc = QRVA_ge_removecbmsghandler(wrapper_msghandler, entry);
      if (rc != 0) return rc;
    } else if (unregister && kind >= 0 && kind < QRVA_PY_CB_OPT_KINDS) {
      int rc = registrations[kind].remove(problem->qprob, entry);
      if (rc != 0) return rc;
    }
    if (problem_entry) forgetOwner(entry);
    /* From here on a trampoline still holding this entry's pointer leaves
     * it alone: deleting it from the list may free it. */
    entryUnregistered(entry);
    deleted.push_back(PyRef::borrow(entry));
    if (PySequence_DelItem(list, i) != 0) return -3;
  }
  if (problem_entry && ((!callable && !data) || PyList_GET_SIZE(list) == 0)) Py_CLEAR(*slot);
  if (deleted.empty()) {
    PyErr_SetString(qpy_interf_exc, "Callback not found");
    return -3;
  }
  return 0;
}

int callbackInList(problem_s *problem, PyObject **table, int kind, PyObject *callable, PyObject *data,
                   long priority) {
  if (kind < 0 || kind >= QRVA_PY_CB_KINDS) {
    PyErr_SetString(qpy_interf_exc, "Incorrect callback function");
    return -3;
  }
  PyRef priority_object(PyLong_FromLong(priority));
  PyRef entry(PyList_New(4));
  if (!priority_object || !entry) return -3;
  Py_INCREF(Py_None);
  PyList_SET_ITEM(entry.get(), 0, Py_None);
  Py_INCREF(callable);
  PyList_SET_ITEM(entry.get(), 1, callable);
  Py_INCREF(data);
  PyList_SET_ITEM(entry.get(), 2, data);
  PyList_SET_ITEM(entry.get(), 3, priority_object.release());
  PyObject **slot = &table[kind];
  if (!*slot && !(*slot = PyList_New(0))) return -3;
  if (PyList_Append(*slot, entry.get()) != 0) {
    if (PyList_GET_SIZE(*slot) == 0) Py_CLEAR(*slot);
    return -3;
  }
  /* No reference for the owner (see forgetOwner). */
  Py_DECREF(Py_None);
  PyList_SET_ITEM(entry.get(), 0, reinterpret_cast<PyObject *>(problem));
  entryRegistered(entry.get());
  const KindRegistration &how = registrations[kind];
  int rc = how.add ? how.add(problem->qprob, entry.get(), (int)priority) : how.set(problem->slpprob, entry.get());
  if (rc != 0) {
    /* Refused: the entry leaves the list again, so that the list holds
     * exactly what the library calls. */
    entryUnregistered(entry.get());
    forgetOwner(entry.get());
    Py_ssize_t n = PyList_GET_SIZE(*slot);
    if (n > 0 && PyList_GET_ITEM(*slot, n - 1) == entry.get()) PySequence_DelItem(*slot, n - 1);
    if (PyList_GET_SIZE(*slot) == 0) Py_CLEAR(*slot);
  }
  return rc;
}

int py_copycallbacks(problem_s *target, problem_s *source) {
  for (int kind = 0; kind < QRVA_PY_CB_KINDS; ++kind) {
    if (!source->callbacks[kind]) continue;
    /* A snapshot: copying a problem's callbacks onto itself appends to the
     * very list being read. */
    PyRef entries(PyList_GetSlice(source->callbacks[kind], 0, PY_SSIZE_T_MAX));
    if (!entries) return 1;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(entries.get()); ++i) {
      PyObject *entry = PyList_GET_ITEM(entries.get(), i);
      long priority = 0;
      if (!PyList_Check(entry) || PyList_GET_SIZE(entry) < 4 ||
          ((priority = PyLong_AsLong(PyList_GET_ITEM(entry, 3))) == -1 && PyErr_Occurred())) {
        PyErr_Clear();
        PyErr_SetString(qpy_interf_exc, "Invalid callback to be copied");
        return 1;
      }
      if (callbackInList(target, target->callbacks, kind, PyList_GET_ITEM(entry, 1), PyList_GET_ITEM(entry, 2),
                         priority) != 0) {
        setQrvaErrIfNull(reinterpret_cast<PyObject *>(target), nullptr);
        return 1;
      }
    }
  }
  return 0;
}
