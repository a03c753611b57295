#include "module/helpers.h"

#include "module/errors.h"
#include "module/heap.h"
#include "module/qrvalibs.h"
#include "module/numpy_api.h"

#include "module/env.h"

#include <climits>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>

/* ---- the default heap: the process heap behind the module's allocator ---- */

static int defaultAlloc(void *, size_t size, void **out) {
  if (size == 0) {
    *out = nullptr;
    return 0;
  }
  void *block = std::malloc(size);
  if (!block) return -1;
  *out = block;
  return 0;
}

static int defaultRealloc(void *, void **block, size_t size) {
  if (size == 0) {
    std::free(*block);
    *block = nullptr;
    return 0;
  }
  void *grown = std::realloc(*block, size);
  if (!grown) return -1; /* the old block stays valid */
  *block = grown;
  return 0;
}

static int defaultFree(void *, void **block) {
  std::free(*block);
  *block = nullptr;
  return 0;
}

static const qo_MemoryAllocator_Ops defaultOps = {defaultAlloc, defaultRealloc, defaultFree};
static qo_MemoryAllocator_Heap defaultHeap = {&defaultOps, nullptr};
qo_MemoryAllocator_Heap *qo_MemoryAllocator_DefaultHeap = &defaultHeap;

int qo_MemoryAllocator_Alloc_Untyped(qo_MemoryAllocator_Heap *heap, size_t size, void **out) {
  return heap->ops->alloc(heap->context, size, out);
}

int qo_MemoryAllocator_Realloc_Untyped(qo_MemoryAllocator_Heap *heap, void **block, size_t size) {
  return heap->ops->realloc(heap->context, block, size);
}

int qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_Heap *heap, void **block) {
  if (!block || !*block) return 0;
  return heap->ops->free(heap->context, block);
}

/* ---- strings ---- */

char *pyStrToStr(PyObject *object) {
  PyRef encoded;
  const char *bytes;
  Py_ssize_t len;
  if (PyUnicode_Check(object)) {
    encoded.reset(PyUnicode_AsASCIIString(object));
    if (!encoded) return nullptr;
    bytes = PyBytes_AS_STRING(encoded.get());
    len = PyBytes_GET_SIZE(encoded.get());
  } else if (PyBytes_Check(object)) {
    bytes = PyBytes_AS_STRING(object);
    len = PyBytes_GET_SIZE(object);
  } else {
    return nullptr;
  }
  /* The libraries read up to the first zero byte: a name or flag string
   * holding one would silently lose its rest. */
  if (std::memchr(bytes, '\0', (size_t)len)) {
    PyErr_SetString(PyExc_ValueError, "embedded null character");
    return nullptr;
  }
  void *copy = nullptr;
  if (qo_MemoryAllocator_Alloc_Untyped(qo_MemoryAllocator_DefaultHeap, (size_t)len + 1, &copy) != 0) {
    PyErr_NoMemory();
    return nullptr;
  }
  std::memcpy(copy, bytes, (size_t)len);
  static_cast<char *>(copy)[len] = '\0';
  return static_cast<char *>(copy);
}

PyStrCopy::~PyStrCopy() {
  void *block = str_;
  qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_DefaultHeap, &block);
}

Py_ssize_t pyStrLen(PyObject *object) {
  if (PyUnicode_Check(object)) {
    PyRef encoded(PyUnicode_AsASCIIString(object));
    if (!encoded) return -1;
    return PyBytes_GET_SIZE(encoded.get());
  }
  if (PyBytes_Check(object)) return PyBytes_GET_SIZE(object);
  return 0;
}

/* ---- numbers ---- */

int compareInt(const void *a, const void *b) {
  int x = *static_cast<const int *>(a), y = *static_cast<const int *>(b);
  return (x > y) - (x < y);
}

#if PY_VERSION_HEX >= 0x030A0000
GcPause::GcPause() { paused_ = PyGC_Disable() == 1; }
GcPause::~GcPause() {
  if (paused_) PyGC_Enable();
}
#else
/* Before 3.10 the collector is switched through the gc module. */
static bool callGc(const char *method, bool *enabled) {
  PyRef gc(PyImport_ImportModule("gc"));
  PyRef result(gc ? PyObject_CallMethod(gc.get(), method, nullptr) : nullptr);
  if (result && enabled) *enabled = PyObject_IsTrue(result.get()) == 1;
  bool ok = result.get() != nullptr;
  PyErr_Clear();
  return ok;
}
GcPause::GcPause() {
  bool enabled = false;
  paused_ = callGc("isenabled", &enabled) && enabled && callGc("disable", nullptr);
}
GcPause::~GcPause() {
  if (!paused_) return;
  /* A failure being reported stays pending across the call. */
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  callGc("enable", nullptr);
  PyErr_Restore(type, value, traceback);
}
#endif

int isIntegerObject(PyObject *object) {
  return PyLong_Check(object) || PyArray_IsScalar(object, Int) || PyArray_IsScalar(object, Long) ||
         PyArray_IsScalar(object, LongLong);
}

int pyIntToIndex(PyObject *object, int *out) {
  long long value = PyLong_AsLongLong(object);
  if (value == -1 && PyErr_Occurred()) {
    if (!PyErr_ExceptionMatches(PyExc_OverflowError)) return -1;
    PyErr_Clear();
  } else if (value >= INT_MIN && value <= INT_MAX) {
    *out = (int)value;
    return 0;
  }
  PyErr_Format(PyExc_OverflowError, "Index %R is outside the range of 32-bit integers", object);
  return -1;
}

/* ---- the walk over nested arguments ---- */

enum NestedKind { NESTED_LEAF, NESTED_SEQUENCE, NESTED_DICT, NESTED_ITERATOR };

static NestedKind classifyNested(PyObject *object) {
  if (PyTuple_Check(object) || PyList_Check(object)) return NESTED_SEQUENCE;
  if (PyUnicode_Check(object) || PyBytes_Check(object)) return NESTED_LEAF;
  if (PySequence_Check(object)) {
    /* A zero-dimensional array claims the sequence protocol but has no
     * length: it is a single value. */
    if (PySequence_Size(object) < 0) {
      PyErr_Clear();
      return NESTED_LEAF;
    }
    return NESTED_SEQUENCE;
  }
  if (PyDict_Check(object)) return NESTED_DICT;
  if (PyIter_Check(object)) return NESTED_ITERATOR;
  return NESTED_LEAF;
}

PyObject *forEachNested(PyObject *problem, PyObject *object, nested_leaf_fn fn, void *data, int depth) {
  if (!object) {
    if (!PyErr_Occurred())
      PyErr_SetString(qpy_model_exc,
                      "Incorrect (nested) array/list/sequence passed. Perhaps this is a NumPy array "
                      "containing a tuple?");
    return nullptr;
  }
  NestedKind kind = classifyNested(object);
  if (depth < 0) {
    PyErr_SetString(qpy_model_exc, "Maximum recursion (inclusion) level reached");
    return nullptr;
  }
  switch (kind) {
    case NESTED_LEAF:
      return fn(problem, object, data);
    case NESTED_SEQUENCE: {
      Py_ssize_t n = PySequence_Size(object);
      if (n < 0) return nullptr;
      for (Py_ssize_t i = 0; i < n; ++i) {
        PyRef item(PySequence_GetItem(object, i));
        if (!item) PyErr_Clear(); /* reported as an incorrect nested item */
        PyRef done(forEachNested(problem, item.get(), fn, data, depth - 1));
        if (!done) return nullptr;
      }
      Py_RETURN_NONE;
    }
    case NESTED_DICT: {
      PyObject *key, *value;
      Py_ssize_t pos = 0;
      while (PyDict_Next(object, &pos, &key, &value)) {
        PyRef done(forEachNested(problem, value, fn, data, depth - 1));
        if (!done) return nullptr;
      }
      Py_RETURN_NONE;
    }
    case NESTED_ITERATOR: {
      for (;;) {
        PyRef item(PyIter_Next(object));
        if (!item) {
          if (PyErr_Occurred()) return nullptr;
          break;
        }
        PyRef done(forEachNested(problem, item.get(), fn, data, depth - 1));
        if (!done) return nullptr;
      }
      Py_RETURN_NONE;
    }
  }
  Py_RETURN_NONE;
}

PyObject *listItemAt(PyObject *list, PyObject *index) {
  /* Integers beyond Py_ssize_t are clipped, so they fail as out of range. */
  Py_ssize_t i = PyNumber_AsSsize_t(index, nullptr);
  if (i == -1 && PyErr_Occurred()) return nullptr;
  Py_ssize_t n = PyList_GET_SIZE(list);
  if (n == 0) {
    PyErr_Format(qpy_model_exc, "Index %S is out of range: there are no objects", index);
    return nullptr;
  }
  if (i < 0 || i >= n) {
    PyErr_Format(qpy_model_exc, "Index %S is out of range: valid indices are 0 to %zd", index, n - 1);
    return nullptr;
  }
  return PyList_GET_ITEM(list, i);
}

PyObject *appendItem(PyObject *, PyObject *index, void *pair) {
  PyObject **lists = static_cast<PyObject **>(pair);
  if (!isIntegerObject(index)) {
    PyErr_SetString(qpy_model_exc, "Error in index list(s): must contain only integers");
    return nullptr;
  }
  PyObject *item = listItemAt(lists[0], index);
  if (!item) return nullptr;
  if (PyList_Append(lists[1], item) != 0) return nullptr;
  Py_RETURN_NONE;
}

/* ---- controls and attributes ---- */

void getParType(int library, int flags, int identifier, int *is_control, int *type) {
  if (library == QRVA_PY_LIB_OPT) {
    *is_control = (flags & QRVA_CA_CONTROL) ? 1 : 0;
    *type = (flags & QRVA_CA_INT) ? 1 : (flags & QRVA_CA_DOUBLE) ? 2 : 3;
    return;
  }
  const char *name = nullptr;
  int slpflags = 0;
  if (QSLPcontrolname(identifier, &name, &slpflags) != 0) {
    *is_control = -1;
    *type = -1;
    return;
  }
  *is_control = (slpflags & QSLP_CA_CONTROL) ? 1 : 0;
  *type = (slpflags & QSLP_CA_INT) ? 1 : (slpflags & QSLP_CA_DOUBLE) ? 2 : (slpflags & QSLP_CA_STRING) ? 3 : 0;
}

void markChanged(uint64_t *stamp) { *stamp = ++qrv_py_env.change_stamp; }

PyObject *stampedDouble_get(PyObject *self, void *closure) {
  const StampedField *field = static_cast<const StampedField *>(closure);
  return PyFloat_FromDouble(*reinterpret_cast<double *>(reinterpret_cast<char *>(self) + field->value));
}

int refuseNaNBounds(std::initializer_list<double> values) {
  for (double value : values)
    if (std::isnan(value)) {
      PyErr_SetString(qpy_model_exc, "A bound or threshold cannot be NaN");
      return -1;
    }
  return 0;
}

int stampedDouble_set(PyObject *self, PyObject *value, void *closure) {
  const StampedField *field = static_cast<const StampedField *>(closure);
  if (!value) {
    PyErr_SetString(PyExc_TypeError, "A bound cannot be deleted");
    return -1;
  }
  double number = PyFloat_AsDouble(value);
  if (number == -1.0 && PyErr_Occurred()) return -1;
  if (refuseNaNBounds({number}) != 0) return -1;
  char *base = reinterpret_cast<char *>(self);
  double *target = reinterpret_cast<double *>(base + field->value);
  if (*target == number) return 0;
  *target = number;
  markChanged(reinterpret_cast<uint64_t *>(base + field->stamp));
  return 0;
}

/* ---- repr() ---- */

PyObject *objectRepr(PyObject *self, PyObject *detail) {
  PyRef text(detail);
  if (!text) return nullptr;
  if (PyUnicode_GetLength(text.get()) == 0) return PyUnicode_FromFormat("<%s>", Py_TYPE(self)->tp_name);
  return PyUnicode_FromFormat("<%s %U>", Py_TYPE(self)->tp_name, text.get());
}

PyObject *strippedStr(PyObject *object) {
  PyRef text(PyObject_Str(object));
  if (!text) return nullptr;
  return PyObject_CallMethod(text.get(), "strip", nullptr);
}

PyObject *reprOfStr(PyObject *self) { return setQrvaErrIfNull(nullptr, objectRepr(self, strippedStr(self))); }

std::string boundText(double value) {
  if (value >= QRVA_INFINITY) return "inf";
  if (value <= -QRVA_INFINITY) return "-inf";
  char buffer[32];
  for (int digits = 6; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return buffer;
}
