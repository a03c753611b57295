#include "callbacks/registry.h"

#include "module/env.h"
#include "module/errors.h"
#include "module/modfuncs.h"

#include <unordered_map>
#include <vector>

/* Registered entry -> number of its registrations. The pointers are only
 * compared, never followed, until an entry is found here. */
static std::unordered_map<PyObject *, int> liveEntries;

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
    } else if (unregister && kind < QRVA_PY_CB_OPT_KINDS) {
      /* Problem callbacks are registered with the library by the callback
       * methods, which bring their own unregistering with them. */
      PyErr_SetString(qpy_interf_exc, "Incorrect callback function");
      return -3;
    }
    if (problem_entry) {
      /* Item 0 names the owning problem without holding a reference:
       * overwrite it without releasing, so that deleting the entry never
       * releases the problem. */
      Py_INCREF(Py_None);
      PyList_SET_ITEM(entry, 0, Py_None);
    }
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
