#include "api/convert.h"

#include "branching/handles.h"
#include "model/maps.h"
#include "model/types.h"
#include "model/var.h"
#include "module/errors.h"
#include "module/heap.h"
#include "module/helpers.h"
#include "module/numpy_api.h"

#include <cmath>
#include <cstring>

/* The records of constraints and sets start with their serial, like a
 * variable's: the maps only need that. */
struct serial_record {
  PyObject_HEAD
  uint32_t serial;
};

static uint32_t serialOf(PyObject *object) { return reinterpret_cast<serial_record *>(object)->serial; }

static int objectIndex(PyObject *object, const rowcolmap *map, const char *missing, int *index) {
  if (rowcolmap_get(map, serialOf(object), index) == 0) return 0;
  PyErr_Format(qpy_model_exc, missing, object);
  return -1;
}

int ObjInt2int(PyObject *object, problem_s *problem, int *index, int kind) {
  if (PyLong_Check(object) || PyArray_IsScalar(object, Int) || PyArray_IsScalar(object, Long) ||
      PyArray_IsScalar(object, LongLong)) {
    return pyIntToIndex(object, index);
  }
  if (PyUnicode_Check(object) || PyBytes_Check(object)) {
    PyStrCopy name(object);
    if (!name.get()) return -1;
    /* Set names are looked up among the sets, not the columns. */
    int type = kind == KIND_ROW ? QRVA_NAMES_ROWS : kind == KIND_SET ? QRVA_NAMES_SETS : QRVA_NAMES_COLUMNS;
    if (QRVAgetindex(problem->qprob, type, name.get(), index) != 0) {
      setQrvaErrIfNull(reinterpret_cast<PyObject *>(problem), nullptr);
      return -1;
    }
    return 0;
  }
  PyTypeObject *type = Py_TYPE(object);
  if (type == &quorva_varType && kind == KIND_COL)
    return objectIndex(object, problem->varmap, "Variable %S not in problem", index);
  if (type == &quorva_constraintType && kind == KIND_ROW)
    return objectIndex(object, problem->conmap, "Constraint %S not in problem", index);
  if (type == &quorva_sosType && kind == KIND_SET)
    return objectIndex(object, problem->sosmap, "SOS %S not in problem", index);
  const char *message = kind == KIND_COL ? "Invalid variable object %S"
                        : kind == KIND_ROW ? "Invalid constraint object %S"
                                           : "Invalid SOS object %S";
  PyErr_Format(qpy_model_exc, message, object);
  return -1;
}

static size_t elementWidth(int kind) {
  switch (kind) {
    case KIND_INT64:
    case KIND_DOUBLE:
      return 8;
    case KIND_CHAR:
    case KIND_CHARNUM:
      return 1;
    case KIND_CUT:
      return sizeof(void *);
    default:
      return 4;
  }
}

/* Integer arrays take ints and NumPy's integer scalars only: a float would
 * be cut silently. 0, or -1 with an error set. */
static int requireInteger(PyObject *item) {
  if (isIntegerObject(item)) return 0;
  PyErr_Format(qpy_model_exc, "Integer required in array, found %.100s", Py_TYPE(item)->tp_name);
  return -1;
}

/* Converts one item into element i of the array. 0 or -1. */
static int convertItem(problem_s *problem, PyObject *item, void *array, size_t i, int kind) {
  switch (kind) {
    case KIND_ROW:
    case KIND_COL:
    case KIND_SET:
      return ObjInt2int(item, problem, static_cast<int *>(array) + i, kind);
    case KIND_INT: {
      if (requireInteger(item) != 0) return -1;
      return pyIntToIndex(item, static_cast<int *>(array) + i);
    }
    case KIND_INT64: {
      if (requireInteger(item) != 0) return -1;
      long long value = PyLong_AsLongLong(item);
      if (value == -1 && PyErr_Occurred()) return -1;
      static_cast<int64_t *>(array)[i] = (int64_t)value;
      return 0;
    }
    case KIND_DOUBLE: {
      double value = PyFloat_AsDouble(item);
      if (value == -1.0 && PyErr_Occurred()) return -1;
      static_cast<double *>(array)[i] = value;
      return 0;
    }
    case KIND_CHAR: {
      Py_UCS4 character = 0;
      if (!PyUnicode_Check(item)) {
        PyErr_Format(PyExc_TypeError, "a one-character string is required, not %.100s", Py_TYPE(item)->tp_name);
        return -1;
      }
      if (!PyUnicode_AsUCS4(item, &character, 1, 0)) return -1;
      static_cast<char *>(array)[i] = (char)(character & 0xff);
      return 0;
    }
    case KIND_CUT: {
      QRVAcut cut = poolcut_getcut(item);
      if (!cut) {
        PyErr_Format(qpy_model_exc, "Invalid cut object %S", item);
        return -1;
      }
      static_cast<QRVAcut *>(array)[i] = cut;
      return 0;
    }
    default:
      PyErr_Format(qpy_interf_exc, "Element kind %d cannot be read from Python", kind);
      return -1;
  }
}

namespace {
/* The array under construction, freed unless handed to the caller. */
struct ArrayHolder {
  void *block = nullptr;
  ~ArrayHolder() { qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_DefaultHeap, &block); }
  void *release() {
    void *out = block;
    block = nullptr;
    return out;
  }
};
}  // namespace

static int mismatchedLengths(int64_t expected, int64_t found) {
  PyErr_Format(qpy_model_exc, "Mismatched lengths in arguments: expected %lld, found %lld", (long long)expected,
               (long long)found);
  return -1;
}

int conv_obj2arr(problem_s *problem, int64_t *count, PyObject *sequence, void **out, int kind) {
  *out = nullptr;
  if (!sequence || sequence == Py_None) return 0;
  PyRef hold = PyRef::borrow(sequence);
  size_t width = elementWidth(kind);
  ArrayHolder array;

  if (PyIter_Check(sequence)) {
    size_t capacity = 256, n = 0;
    if (qo_MemoryAllocator_Alloc_Untyped(qo_MemoryAllocator_DefaultHeap, capacity * width, &array.block) != 0) {
      PyErr_NoMemory();
      return -1;
    }
    for (;;) {
      PyRef item(PyIter_Next(sequence));
      if (!item) {
        if (PyErr_Occurred()) return -1;
        break;
      }
      if (n == capacity) {
        capacity *= 2;
        if (qo_MemoryAllocator_Realloc_Untyped(qo_MemoryAllocator_DefaultHeap, &array.block, capacity * width) != 0) {
          PyErr_NoMemory();
          return -1;
        }
      }
      if (convertItem(problem, item.get(), array.block, n, kind) != 0) return -1;
      ++n;
    }
    /* An iterator's length is known only now; an array of its group that
     * fixed the count must not be read past its end. */
    if (count && *count >= 0 && *count != (int64_t)n)
      return mismatchedLengths(*count, (int64_t)n);
    if (count) *count = (int64_t)n;
    *out = array.release();
    return 0;
  }

  Py_ssize_t size = -1;
  if (PyList_Check(sequence))
    size = PyList_GET_SIZE(sequence);
  else if (PyTuple_Check(sequence))
    size = PyTuple_GET_SIZE(sequence);
  else if (PySequence_Check(sequence))
    size = PySequence_Size(sequence);
  if (size < 0) {
    PyErr_Clear();
    PyErr_SetString(qpy_model_exc, "Invalid sequence of objects");
    return -1;
  }
  if (count) {
    if (*count >= 0 && *count != size) return mismatchedLengths(*count, (int64_t)size);
    *count = size;
  }
  /* One byte at least, so that an empty sequence still gives an array. */
  if (qo_MemoryAllocator_Alloc_Untyped(qo_MemoryAllocator_DefaultHeap, size > 0 ? (size_t)size * width : 1,
                                      &array.block) != 0) {
    PyErr_NoMemory();
    return -1;
  }
  for (Py_ssize_t i = 0; i < size; ++i) {
    PyObject *item;
    PyRef owned;
    if (PyList_Check(sequence)) {
      item = PyList_GetItem(sequence, i);
    } else if (PyTuple_Check(sequence)) {
      item = PyTuple_GetItem(sequence, i);
    } else {
      owned.reset(PySequence_GetItem(sequence, i));
      item = owned.get();
    }
    if (!item || convertItem(problem, item, array.block, (size_t)i, kind) != 0) return -1;
  }
  *out = array.release();
  return 0;
}
