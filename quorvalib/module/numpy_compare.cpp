/* Redirecting NumPy's array comparisons. The operators <=, >= and == on
 * arrays go through NumPy's table of numeric operations; the module installs
 * a dispatcher there for each of less_equal, greater_equal and equal. When an
 * operand holds a modeling object, the dispatcher calls a copy of NumPy's
 * ufunc whose object loops build constraints; any other comparison goes to
 * NumPy's own ufunc, so its result (a boolean array) is unchanged. NumPy's
 * own ufuncs go back into the table when the module is freed. */
#include "module/numpy_api.h"

#include "model/numpy_loops.h"
#include "model/types.h"
#include "module/boundary.h"

#include <vector>

namespace {

struct ComparisonCopy {
  const char *name;
  PyUFuncGenericFunction loop;
  const char *doc;
  PyObject *numpy_ufunc; /* NumPy's own ufunc, kept for restoring */
  PyObject *replacement; /* the copy the dispatcher calls for modeling objects */
  /* The copied arrays handed to the new ufunc, which does not copy them. */
  std::vector<PyUFuncGenericFunction> functions;
  std::vector<void *> data;
  std::vector<char> types;
  std::vector<NumpyOwnLoop> own_loops;
};

ComparisonCopy comparisons[3] = {
    {"less_equal", QRVA_ENTRY(leq_con), "Return constraint lhs <= rhs", nullptr, nullptr, {}, {}, {}, {}},
    {"greater_equal", QRVA_ENTRY(geq_con), "Return constraint lhs >= rhs", nullptr, nullptr, {}, {}, {}, {}},
    {"equal", QRVA_ENTRY(eq_con), "Return constraint lhs == rhs", nullptr, nullptr, {}, {}, {}, {}},
};
bool redirected = false;

/* NumPy 1.25+ flags its numeric-operations table as deprecated; the module
 * uses it knowingly (it is NumPy 1's way to redirect array comparisons), so
 * the warning is kept from users while the table is read and written. */
class DeprecationsSilenced {
 public:
  DeprecationsSilenced() {
    PyRef warnings(PyImport_ImportModule("warnings"));
    if (warnings) context_.reset(PyObject_CallMethod(warnings.get(), "catch_warnings", nullptr));
    if (context_) {
      PyRef entered(PyObject_CallMethod(context_.get(), "__enter__", nullptr));
      PyRef ignored(PyObject_CallMethod(warnings.get(), "simplefilter", "sO", "ignore", PyExc_DeprecationWarning));
    }
    PyErr_Clear();
  }
  ~DeprecationsSilenced() {
    if (!context_) return;
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyRef exited(PyObject_CallMethod(context_.get(), "__exit__", "OOO", Py_None, Py_None, Py_None));
    PyErr_Clear();
    PyErr_Restore(type, value, traceback);
  }

 private:
  PyRef context_;
};

/* Builds the replacement of one comparison ufunc. New reference or NULL. */
PyObject *makeReplacement(ComparisonCopy &cmp) {
  PyUFuncObject *ufunc = reinterpret_cast<PyUFuncObject *>(cmp.numpy_ufunc);
  int ntypes = ufunc->ntypes, nargs = ufunc->nargs;
  cmp.functions.assign(ufunc->functions, ufunc->functions + ntypes);
  cmp.data.assign(ufunc->data, ufunc->data + ntypes);
  cmp.types.assign(ufunc->types, ufunc->types + (size_t)ntypes * nargs);
  cmp.own_loops.assign(ntypes, NumpyOwnLoop{nullptr, nullptr, 0});
  for (int t = 0; t < ntypes; ++t) {
    char *codes = &cmp.types[(size_t)t * nargs];
    /* Only the loops over two object operands carry modeling objects. */
    if (nargs != 3 || codes[0] != NPY_OBJECT || codes[1] != NPY_OBJECT) continue;
    cmp.own_loops[t] = NumpyOwnLoop{cmp.functions[t], cmp.data[t], codes[2]};
    cmp.functions[t] = cmp.loop;
    cmp.data[t] = &cmp.own_loops[t];
    codes[2] = NPY_OBJECT;
  }
  PyObject *copy = PyUFunc_FromFuncAndData(cmp.functions.data(), cmp.data.data(), cmp.types.data(), ntypes,
                                           ufunc->nin, ufunc->nout, PyUFunc_None, ufunc->name, cmp.doc, 0);
  if (!copy) return nullptr;
  /* Keep NumPy's typing rules for comparisons of numeric arrays. */
  reinterpret_cast<PyUFuncObject *>(copy)->type_resolver = ufunc->type_resolver;
  return copy;
}

/* True when the operand is a modeling object or an object array (or a
 * sequence that becomes one) with a modeling object among its elements.
 * An operand NumPy cannot convert counts as none: NumPy's own ufunc then
 * reports it. */
bool holdsModelingObject(PyObject *operand) {
  if (isModelingObject(operand)) return true;
  PyRef array;
  if (PyArray_Check(operand)) {
    array = PyRef::borrow(operand);
  } else if (PyList_Check(operand) || PyTuple_Check(operand)) {
    array.reset(PyArray_FROM_O(operand));
    if (!array) {
      PyErr_Clear();
      return false;
    }
  } else {
    return false;
  }
  PyArrayObject *a = reinterpret_cast<PyArrayObject *>(array.get());
  if (PyArray_TYPE(a) != NPY_OBJECT || PyArray_SIZE(a) == 0) return false;
  PyRef iterator(PyArray_IterNew(array.get()));
  if (!iterator) {
    PyErr_Clear();
    return false;
  }
  PyArrayIterObject *it = reinterpret_cast<PyArrayIterObject *>(iterator.get());
  while (it->index < it->size) {
    PyObject *element = *reinterpret_cast<PyObject **>(it->dataptr);
    if (element && isModelingObject(element)) return true;
    PyArray_ITER_NEXT(it);
  }
  return false;
}

/* The callable in NumPy's table; self is the tuple (NumPy's ufunc, the
 * constraint-building copy). */
PyObject *dispatchComparison(PyObject *self, PyObject *args, PyObject *kwargs) {
  Py_ssize_t n = PyTuple_GET_SIZE(args);
  bool modeling = false;
  for (Py_ssize_t i = 0; i < n && i < 2 && !modeling; ++i) modeling = holdsModelingObject(PyTuple_GET_ITEM(args, i));
  return PyObject_Call(PyTuple_GET_ITEM(self, modeling ? 1 : 0), args, kwargs);
}

PyMethodDef dispatchDef = {"comparison", QRVA_METHOD(dispatchComparison),
                           METH_VARARGS | METH_KEYWORDS, "NumPy's comparison, or constraints for modeling objects"};

/* Frees the copied arrays, unless a replacement ufunc is still referenced
 * from elsewhere: its loops point into them, so they then stay allocated. */
void releaseCopies() {
  for (ComparisonCopy &cmp : comparisons) {
    Py_CLEAR(cmp.numpy_ufunc);
    if (cmp.replacement && Py_REFCNT(cmp.replacement) > 1) {
      cmp.replacement = nullptr; /* deliberately kept, with its arrays */
      continue;
    }
    Py_CLEAR(cmp.replacement);
    std::vector<PyUFuncGenericFunction>().swap(cmp.functions);
    std::vector<void *>().swap(cmp.data);
    std::vector<char>().swap(cmp.types);
    std::vector<NumpyOwnLoop>().swap(cmp.own_loops);
  }
}

}  // namespace

int quorva_redirect_comparisons() {
  DeprecationsSilenced silenced;
  PyRef ops(PyArray_GetNumericOps());
  if (!ops) return -1;
  PyRef replacements(PyDict_New());
  if (!replacements) return -1;
  for (ComparisonCopy &cmp : comparisons) {
    PyObject *numpy_ufunc = PyDict_GetItemString(ops.get(), cmp.name); /* borrowed */
    if (!numpy_ufunc || !PyObject_TypeCheck(numpy_ufunc, &PyUFunc_Type)) {
      PyErr_Format(PyExc_RuntimeError, "NumPy has no ufunc %s to redirect", cmp.name);
      releaseCopies();
      return -1;
    }
    Py_INCREF(numpy_ufunc);
    cmp.numpy_ufunc = numpy_ufunc;
    PyRef copy(makeReplacement(cmp));
    PyRef pair(copy ? PyTuple_Pack(2, numpy_ufunc, copy.get()) : nullptr);
    PyRef dispatcher(pair ? PyCFunction_New(&dispatchDef, pair.get()) : nullptr);
    cmp.replacement = copy.release();
    if (!dispatcher || PyDict_SetItemString(replacements.get(), cmp.name, dispatcher.get()) != 0) {
      releaseCopies();
      return -1;
    }
  }
  if (PyArray_SetNumericOps(replacements.get()) != 0) {
    releaseCopies();
    return -1;
  }
  redirected = true;
  return 0;
}

void quorva_restore_comparisons() {
  if (!redirected) return;
  DeprecationsSilenced silenced;
  PyRef originals(PyDict_New());
  if (originals) {
    for (ComparisonCopy &cmp : comparisons)
      PyDict_SetItemString(originals.get(), cmp.name, cmp.numpy_ufunc);
    /* NumPy's table holds the dispatchers, and they the copies, until this
     * call releases them. */
    PyArray_SetNumericOps(originals.get());
  }
  PyErr_Clear();
  redirected = false;
  releaseCopies();
}
