/* Binding NumPy's C interface. The checks mirror NumPy's own import code
 * with the module's messages: the running NumPy's ABI must be no newer than
 * the headers' (a NumPy 2 build runs on NumPy 1, not the other way round)
 * and its feature version at least the one the build targets. */
#define QUORVA_NUMPY_API_OWNER
#include "module/numpy_api.h"

static const unsigned int kNumpyAbiVersion = NPY_ABI_VERSION;
static const unsigned int kNumpyMinFeatureVersion = NPY_FEATURE_VERSION;

/* NumPy's compiled core, numpy._core on NumPy 2 and numpy.core on NumPy 1. */
static PyObject *importNumpyCore() {
  PyObject *core = PyImport_ImportModule("numpy._core._multiarray_umath");
  if (core || !PyErr_ExceptionMatches(PyExc_ModuleNotFoundError)) return core;
  PyErr_Clear();
  return PyImport_ImportModule("numpy.core._multiarray_umath");
}

/* Fetches the capsule `attribute` of NumPy's core and returns its table. */
static void **loadCapsuleTable(const char *attribute, const char *not_found, const char *not_capsule,
                               const char *null_pointer) {
  PyRef module(importNumpyCore());
  if (!module) return nullptr;
  PyRef capsule(PyObject_GetAttrString(module.get(), attribute));
  if (!capsule) {
    PyErr_SetString(PyExc_AttributeError, not_found);
    return nullptr;
  }
  if (!PyCapsule_CheckExact(capsule.get())) {
    PyErr_SetString(PyExc_RuntimeError, not_capsule);
    return nullptr;
  }
  void **table = static_cast<void **>(PyCapsule_GetPointer(capsule.get(), nullptr));
  if (!table) {
    PyErr_SetString(PyExc_RuntimeError, null_pointer);
    return nullptr;
  }
  return table;
}

static int importArrayTable() {
  void **table = loadCapsuleTable("_ARRAY_API", "_ARRAY_API not found",
                                  "_ARRAY_API is not PyCapsule object", "_ARRAY_API is NULL pointer");
  if (!table) return -1;
  QUORVA_OPT_ARRAY_API = table;
  unsigned int abi = PyArray_GetNDArrayCVersion();
  if (abi > kNumpyAbiVersion) {
    PyErr_Format(PyExc_RuntimeError, "module compiled against ABI version 0x%x but this version of numpy is 0x%x",
                 kNumpyAbiVersion, abi);
    return -1;
  }
  unsigned int feature = PyArray_GetNDArrayCFeatureVersion();
#if NPY_ABI_VERSION >= 0x02000000
  /* NumPy 2's headers pick the 1.x or 2.x layout of descriptors by it. */
  PyArray_RUNTIME_VERSION = static_cast<int>(feature);
#endif
  if (feature < kNumpyMinFeatureVersion) {
    PyErr_Format(PyExc_RuntimeError, "module compiled against API version 0x%x but this version of numpy is 0x%x",
                 kNumpyMinFeatureVersion, feature);
    return -1;
  }
  int endian = PyArray_GetEndianness();
  if (endian == NPY_CPU_UNKNOWN_ENDIAN) {
    PyErr_SetString(PyExc_RuntimeError, "FATAL: module compiled as unknown endian");
    return -1;
  }
  if (endian != NPY_CPU_LITTLE) {
    PyErr_SetString(PyExc_RuntimeError,
                    "FATAL: module compiled as little endian, but detected different endianness at runtime");
    return -1;
  }
  return 0;
}

static int importUfuncTable() {
  void **table = loadCapsuleTable("_UFUNC_API", "_UFUNC_API not found",
                                  "_UFUNC_API is not PyCapsule object", "_UFUNC_API is NULL pointer");
  if (!table) return -1;
  QUORVA_OPT_UFUNC_API = table;
  return 0;
}

int quorva_import_numpy() {
  if (importArrayTable() != 0) {
    QUORVA_OPT_ARRAY_API = nullptr;
    PyErr_Print();
    PyErr_SetString(PyExc_ImportError, "numpy.core.multiarray failed to import");
    return -1;
  }
  if (importUfuncTable() != 0) {
    QUORVA_OPT_UFUNC_API = nullptr;
    PyErr_Print();
    PyErr_SetString(PyExc_ImportError, "numpy.core.umath failed to import");
    return -1;
  }
  return 0;
}
