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
    /* The library answers an unknown name with -1, which every function
     * taking an index would read as "none" or refuse with a text that no
     * longer names the name. */
    if (*index < 0) {
      const char *what = type == QRVA_NAMES_ROWS ? "row" : type == QRVA_NAMES_SETS ? "set" : "column";
      PyErr_Format(qpy_solver_exc, "Unknown %s name '%s' in problem", what, name.get());
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

/* Whether an iterator's array of `count` elements is cut to its exact size
 * once the iterator is exhausted: when the count is close enough to the
 * power of two the array grew to that the spare room is worth giving back. */
static bool cutIteratorArray(size_t count) {
  double bits = std::log2((double)count + 1.0);
  return bits + 0.5 > std::ceil(bits);
}

/* Reads an iterator into the array, doubling it from 256 elements. 0 or -1. */
static int readIterator(problem_s *problem, PyObject *iterator, ArrayHolder &array, size_t width, int kind,
                        size_t *count) {
  size_t capacity = 256, n = 0;
  if (qo_MemoryAllocator_Alloc_Untyped(qo_MemoryAllocator_DefaultHeap, capacity * width, &array.block) != 0) {
    PyErr_NoMemory();
    return -1;
  }
  for (;;) {
    PyRef item(PyIter_Next(iterator));
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
  if (n > 0 && n < capacity && cutIteratorArray(n) &&
      qo_MemoryAllocator_Realloc_Untyped(qo_MemoryAllocator_DefaultHeap, &array.block, n * width) != 0) {
    PyErr_NoMemory();
    return -1;
  }
  *count = n;
  return 0;
}

/* A one-dimensional NumPy array of numbers is copied through NumPy's own
 * cast, without a Python object per element. Integer kinds take integer
 * arrays only (a float would be cut), and indices must fit 32 bits.
 * 1 when done, 0 when the array must go the general way, -1 on failure. */
static int copyNumpyArray(PyObject *sequence, Py_ssize_t size, void *block, int kind) {
  if (!PyArray_Check(sequence)) return 0;
  PyArrayObject *source = reinterpret_cast<PyArrayObject *>(sequence);
  int type = PyArray_TYPE(source);
  bool integer = PyTypeNum_ISINTEGER(type), number = integer || PyTypeNum_ISFLOAT(type);
  if (PyArray_NDIM(source) != 1 || !number) return 0;
  if (kind == KIND_DOUBLE) {
    PyRef values(PyArray_FROM_OTF(sequence, NPY_DOUBLE, NPY_ARRAY_IN_ARRAY));
    if (!values) return -1;
    std::memcpy(block, PyArray_DATA(reinterpret_cast<PyArrayObject *>(values.get())), (size_t)size * sizeof(double));
    return 1;
  }
  bool index = kind == KIND_ROW || kind == KIND_COL || kind == KIND_SET || kind == KIND_INT;
  if (!integer || !(index || kind == KIND_INT64)) return 0;
  PyRef values(PyArray_FROM_OTF(sequence, NPY_INT64, NPY_ARRAY_IN_ARRAY));
  if (!values) return -1;
  const int64_t *data = static_cast<const int64_t *>(PyArray_DATA(reinterpret_cast<PyArrayObject *>(values.get())));
  if (kind == KIND_INT64) {
    std::memcpy(block, data, (size_t)size * sizeof(int64_t));
    return 1;
  }
  int *out = static_cast<int *>(block);
  for (Py_ssize_t i = 0; i < size; ++i) {
    /* An index outside 32 bits goes the general way, which names it. */
    if (data[i] < INT32_MIN || data[i] > INT32_MAX) return 0;
    out[i] = (int)data[i];
  }
  return 1;
}

int conv_obj2arr(problem_s *problem, int64_t *count, PyObject *sequence, void **out, int kind) {
  *out = nullptr;
  if (!sequence || sequence == Py_None) return 0;
  PyRef hold = PyRef::borrow(sequence);
  size_t width = elementWidth(kind);
  ArrayHolder array;

  if (PyIter_Check(sequence)) {
    size_t n = 0;
    if (readIterator(problem, sequence, array, width, kind, &n) != 0) return -1;
    /* An iterator's length is known only now; an array of its group that
     * fixed the count must not be read past its end. */
    if (count && *count >= 0 && *count != (int64_t)n) return mismatchedLengths(*count, (int64_t)n);
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
  int copied = copyNumpyArray(sequence, size, array.block, kind);
  if (copied < 0) return -1;
  for (Py_ssize_t i = 0; !copied && i < size; ++i) {
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

/* ---- native arrays into Python lists ---- */

/* The object of position `index` of a problem list (rows or columns), a new
 * reference; a negative index is the int -1, an index past the list NULL. */
static PyObject *listObject(PyObject *list, int index) {
  if (index < 0) return PyLong_FromLong(-1);
  if (index >= PyList_GET_SIZE(list)) return nullptr;
  return PyRef::borrow(PyList_GET_ITEM(list, index)).release();
}

PyObject *convSeqToRowCol(problem_s *problem, int position) {
  int rows = 0, spare = 0;
  if (QRVAgetintattrib(problem->qprob, QRVA_ROWS, &rows) != 0 ||
      QRVAgetintattrib(problem->qprob, QRVA_SPAREROWS, &spare) != 0)
    return nullptr;
  if (position < 0 || (position >= rows && position < rows + spare)) return nullptr;
  if (position < rows) return listObject(problem->constraints, position);
  return listObject(problem->variables, position - rows - spare);
}

/* The Python object of element i of a native array; NULL when the element
 * has none. */
static PyObject *elementObject(problem_s *problem, const void *array, int64_t i, int kind) {
  switch (kind) {
    case KIND_ROW:
      return listObject(problem->constraints, static_cast<const int *>(array)[i]);
    case KIND_COL:
      return listObject(problem->variables, static_cast<const int *>(array)[i]);
    case KIND_INT:
      return PyLong_FromLong(static_cast<const int *>(array)[i]);
    case KIND_INT64:
      return PyLong_FromLongLong((long long)static_cast<const int64_t *>(array)[i]);
    case KIND_DOUBLE:
      return PyFloat_FromDouble(static_cast<const double *>(array)[i]);
    case KIND_CHAR:
      return PyUnicode_FromOrdinal(static_cast<const unsigned char *>(array)[i]);
    case KIND_CHARNUM:
      return PyUnicode_FromFormat("%d", (int)static_cast<const signed char *>(array)[i]);
    case KIND_CUT:
      return poolcut_create(static_cast<const QRVAcut *>(array)[i]);
    case KIND_ROWCOL: {
      int position = static_cast<const int *>(array)[i];
      return position < 0 ? PyLong_FromLong(-1) : convSeqToRowCol(problem, position);
    }
    default:
      return nullptr;
  }
}

int conv_arr2obj(problem_s *problem, int64_t n, const void *array, PyObject *list, int kind) {
  if (!array || !list || list == Py_None) return 0;
  if (!PyList_Check(list)) {
    PyErr_SetString(qpy_model_exc, "Argument of type List required");
    return -1;
  }
  if (n < 0) n = 0;
  if (PyList_GET_SIZE(list) > n && PyList_SetSlice(list, (Py_ssize_t)n, PY_SSIZE_T_MAX, nullptr) != 0) return -1;
  Py_ssize_t present = PyList_GET_SIZE(list);
  for (int64_t i = 0; i < n; ++i) {
    PyRef item(elementObject(problem, array, i, kind));
    if (!item) {
      PyErr_Clear();
      PyErr_Format(qpy_interf_exc, "Wrong item returned from API call, type %d", kind);
      return -1;
    }
    if (i < present) {
      if (PyList_SetItem(list, (Py_ssize_t)i, item.release()) != 0) return -1;
    } else if (PyList_Append(list, item.get()) != 0) {
      return -1;
    }
  }
  return 0;
}
