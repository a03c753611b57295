#include "module/testhooks.h"

#include "api/convert.h"
#include "model/types.h"
#include "module/boundary.h"
#include "module/errors.h"
#include "module/heap.h"
#include "module/helpers.h"

static PyObject *collectLeaf(PyObject *, PyObject *leaf, void *data) {
  if (PyList_Append(static_cast<PyObject *>(data), leaf) != 0) return nullptr;
  return newNone();
}

/* _walk_nested(*args): the leaves of the arguments in walking order, with
 * the walk starting on the argument tuple as the problem methods do. */
static PyObject *testhook_walk_nested(PyObject *, PyObject *args) {
  PyRef leaves(PyList_New(0));
  if (!leaves) return nullptr;
  PyRef done(forEachNested(nullptr, args, collectLeaf, leaves.get(), QRVA_PY_NESTING_DEPTH));
  if (!done) return nullptr;
  return leaves.release();
}

/* _select_items(source, indices): source[i] for every index of a nested
 * index structure, as the lookups by index do. */
static PyObject *testhook_select_items(PyObject *, PyObject *args) {
  PyObject *source, *indices;
  if (!PyArg_ParseTuple(args, "O!O", &PyList_Type, &source, &indices)) return nullptr;
  PyRef target(PyList_New(0));
  if (!target) return nullptr;
  PyObject *pair[2] = {source, target.get()};
  PyRef done(forEachNested(nullptr, indices, appendItem, pair, QRVA_PY_NESTING_DEPTH));
  if (!done) return nullptr;
  return target.release();
}

/* _report_failure(obj=None): what an operation on obj that failed without a
 * Python error raises. */
static PyObject *testhook_report_failure(PyObject *, PyObject *args) {
  PyObject *object = nullptr;
  if (!PyArg_ParseTuple(args, "|O", &object)) return nullptr;
  return setQrvaErrIfNull(object == Py_None ? nullptr : object, nullptr);
}

/* _convert_array(problem, sequence, kind, expected=-1): the native array
 * that the wrappers would pass to the library, for the integer and double
 * kinds (0 to 5), as a list. */
static PyObject *testhook_convert_array(PyObject *, PyObject *args) {
  PyObject *problem, *sequence;
  int kind;
  long long expected = -1;
  if (!PyArg_ParseTuple(args, "O!Oi|L", &quorva_problemType, &problem, &sequence, &kind, &expected)) return nullptr;
  if (kind < KIND_ROW || kind > KIND_DOUBLE) return PyErr_Format(PyExc_ValueError, "kind %d not supported", kind);
  int64_t count = expected;
  void *block = nullptr;
  if (conv_obj2arr(PROBLEM(problem), &count, sequence, &block, kind) != 0) return nullptr;
  PyRef items(PyList_New(0));
  for (int64_t i = 0; items && i < count; ++i) {
    PyRef item(kind == KIND_DOUBLE  ? PyFloat_FromDouble(static_cast<double *>(block)[i])
               : kind == KIND_INT64 ? PyLong_FromLongLong(static_cast<int64_t *>(block)[i])
                                    : PyLong_FromLong(static_cast<int *>(block)[i]));
    if (!item || PyList_Append(items.get(), item.get()) != 0) items.reset(nullptr);
  }
  qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_DefaultHeap, &block);
  return items.release();
}

PyMethodDef quorvamod_testMethods[] = {
    {"_convert_array", QRVA_METHOD(testhook_convert_array), METH_VARARGS,
     "Internal: a sequence as the library's array."},
    {"_walk_nested", QRVA_METHOD(testhook_walk_nested), METH_VARARGS, "Internal: leaves of nested arguments."},
    {"_select_items", QRVA_METHOD(testhook_select_items), METH_VARARGS, "Internal: items selected by nested indices."},
    {"_report_failure", QRVA_METHOD(testhook_report_failure), METH_VARARGS,
     "Internal: the error of a failed operation."},
    {nullptr, nullptr, 0, nullptr},
};
