/* Redirecting NumPy's array comparisons. When an operand of <=, >= or ==
 * on arrays holds a modeling object, the comparison goes to a copy of
 * NumPy's ufunc whose object loops build constraints; any other comparison
 * goes to NumPy's own code, so its result (a boolean array) is unchanged.
 *
 * Every array comparison goes through the array type's rich comparison
 * slot, on NumPy 1 and 2 alike: the module wraps it (and the slot wrappers
 * that ndarray.__le__ and its siblings call). On NumPy 2 the wrapper calls
 * the constraint-building copies itself. NumPy 1 compares through its table
 * of numeric operations, where the module installs a dispatcher for each of
 * the three ufuncs; its wrapper leaves them to that table.
 *
 * <, > and != with a modeling object in an operand call NumPy's own ufunc
 * directly, so that the error a modeling object raises for them reaches the
 * caller: NumPy before 1.25 catches it in the slot and returns a plain
 * result with a warning. NumPy's own code goes back in place when the
 * module is freed. */
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

/* NumPy's less, greater and not_equal, which strict comparisons holding a
 * modeling object call directly. */
struct StrictComparison {
  int op;
  const char *name;
  PyObject *ufunc;
};
StrictComparison strictComparisons[3] = {{Py_LT, "less", nullptr},
                                         {Py_GT, "greater", nullptr},
                                         {Py_NE, "not_equal", nullptr}};

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
  /* The elements in order, in a contiguous copy where the array is not. */
  PyRef contiguous(PyArray_FROM_OF(array.get(), NPY_ARRAY_C_CONTIGUOUS));
  if (!contiguous) {
    PyErr_Clear();
    return false;
  }
  PyArrayObject *c = reinterpret_cast<PyArrayObject *>(contiguous.get());
  PyObject **elements = static_cast<PyObject **>(PyArray_DATA(c));
  for (npy_intp i = 0, n = PyArray_SIZE(c); i < n; ++i)
    if (elements[i] && isModelingObject(elements[i])) return true;
  return false;
}

/* Frees the copied arrays, unless a replacement ufunc is still referenced
 * from elsewhere: its loops point into them, so they then stay allocated. */
void releaseCopies() {
  for (StrictComparison &strict : strictComparisons) Py_CLEAR(strict.ufunc);
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

/* Keeps NumPy's ufunc `numpy_ufunc` (borrowed) and builds its
 * constraint-building copy; 0, or -1 with an error set. */
int makeCopy(ComparisonCopy &cmp, PyObject *numpy_ufunc) {
  if (!numpy_ufunc || !PyObject_TypeCheck(numpy_ufunc, &PyUFunc_Type)) {
    PyErr_Format(PyExc_RuntimeError, "NumPy has no ufunc %s to redirect", cmp.name);
    return -1;
  }
  Py_INCREF(numpy_ufunc);
  cmp.numpy_ufunc = numpy_ufunc;
  cmp.replacement = makeReplacement(cmp);
  return cmp.replacement ? 0 : -1;
}

/* NumPy's own rich comparison of arrays, kept for every other comparison
 * and for restoring. */
richcmpfunc numpyRichCompare = nullptr;

/* The constraint-building copy the slot calls for op itself: on NumPy 1
 * none, since NumPy's table sends those comparisons to the dispatchers. */
ComparisonCopy *copyFor(int op) {
#if NPY_ABI_VERSION < 0x02000000
  (void)op;
  return nullptr;
#else
  switch (op) {
    case Py_LE: return &comparisons[0];
    case Py_GE: return &comparisons[1];
    case Py_EQ: return &comparisons[2];
    default: return nullptr;
  }
#endif
}

PyObject *strictUfuncFor(int op) {
  for (StrictComparison &strict : strictComparisons)
    if (strict.op == op) return strict.ufunc;
  return nullptr;
}

/* True when NumPy's comparison gives way to the other operand's own: it
 * refuses ufuncs (__array_ufunc__ = None) or, without __array_ufunc__,
 * has the higher __array_priority__. */
bool numpyDefersTo(PyObject *self, PyObject *other) {
  if (PyArray_Check(other) || isModelingObject(other) || PyFloat_Check(other) || PyLong_Check(other) ||
      PyList_Check(other) || PyTuple_Check(other))
    return false;
  PyRef ufunc_hook(PyObject_GetAttrString(reinterpret_cast<PyObject *>(Py_TYPE(other)), "__array_ufunc__"));
  if (ufunc_hook) return ufunc_hook.get() == Py_None;
  PyErr_Clear();
  return PyArray_GetPriority(other, NPY_SCALAR_PRIORITY) > PyArray_GetPriority(self, NPY_SCALAR_PRIORITY);
}

/* The array type's comparison: what NumPy would do, except that with a
 * modeling object in an operand <=, >= and == call the constraint-building
 * copy and <, > and != NumPy's own ufunc, as NumPy's own code calls its
 * ufunc (where it does not defer). */
PyObject *arrayRichCompare(PyObject *self, PyObject *other, int op) {
  ComparisonCopy *cmp = copyFor(op);
  PyObject *strict = strictUfuncFor(op);
  if ((cmp || strict) && (holdsModelingObject(self) || holdsModelingObject(other)) &&
      !numpyDefersTo(self, other))
    return PyObject_CallFunctionObjArgs(cmp ? cmp->replacement : strict, self, other, nullptr);
  return numpyRichCompare(self, other, op);
}

const char *const kComparisonSlots[] = {"__lt__", "__le__", "__eq__", "__ne__", "__gt__", "__ge__"};

/* Points every comparison of `type` and of its subclasses that still use
 * `from` to `to`: the type's slot, and the slot wrappers in its dictionary
 * that a call such as ndarray.__le__(a, b) goes through. Subclasses made
 * later inherit the slot from the array type. */
void swapRichCompare(PyTypeObject *type, richcmpfunc from, richcmpfunc to) {
  richcmpfunc &slot = type->tp_richcompare;
  if (slot == from) slot = to;
  PyObject *dict = type->tp_dict; /* borrowed */
  for (const char *name : kComparisonSlots) {
    PyObject *slot = dict ? PyDict_GetItemString(dict, name) : nullptr; /* borrowed */
    if (slot && Py_TYPE(slot) == &PyWrapperDescr_Type) {
      PyWrapperDescrObject *wrapper = reinterpret_cast<PyWrapperDescrObject *>(slot);
      if (wrapper->d_wrapped == reinterpret_cast<void *>(from)) wrapper->d_wrapped = reinterpret_cast<void *>(to);
    }
  }
  PyRef subclasses(PyObject_CallMethod(reinterpret_cast<PyObject *>(type), "__subclasses__", nullptr));
  if (!subclasses) {
    PyErr_Clear();
    return;
  }
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(subclasses.get()); ++i)
    swapRichCompare(reinterpret_cast<PyTypeObject *>(PyList_GET_ITEM(subclasses.get(), i)), from, to);
}

PyObject *numpyUfunc(const char *name) {
  PyRef numpy(PyImport_ImportModule("numpy"));
  return numpy ? PyObject_GetAttrString(numpy.get(), name) : nullptr;
}

/* Wraps the array type's comparison slot; 0, or -1 with an error set. */
int wrapRichCompare() {
  for (StrictComparison &strict : strictComparisons)
    if (!(strict.ufunc = numpyUfunc(strict.name))) return -1;
  numpyRichCompare = PyArray_Type.tp_richcompare;
  swapRichCompare(&PyArray_Type, numpyRichCompare, QRVA_ENTRY(arrayRichCompare));
  return 0;
}

void unwrapRichCompare() {
  if (numpyRichCompare) swapRichCompare(&PyArray_Type, QRVA_ENTRY(arrayRichCompare), numpyRichCompare);
}

#if NPY_ABI_VERSION < 0x02000000

bool interpreterFinalizing() {
#if PY_VERSION_HEX >= 0x030D0000
  return Py_IsFinalizing() != 0;
#else
  return _Py_IsFinalizing() != 0;
#endif
}

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

}  // namespace

static int installComparisons() {
  DeprecationsSilenced silenced;
  PyRef ops(PyArray_GetNumericOps());
  if (!ops) return -1;
  PyRef replacements(PyDict_New());
  if (!replacements) return -1;
  for (ComparisonCopy &cmp : comparisons) {
    PyObject *numpy_ufunc = PyDict_GetItemString(ops.get(), cmp.name); /* borrowed */
    if (makeCopy(cmp, numpy_ufunc) != 0) return -1;
    PyRef pair(PyTuple_Pack(2, numpy_ufunc, cmp.replacement));
    PyRef dispatcher(pair ? PyCFunction_New(&dispatchDef, pair.get()) : nullptr);
    if (!dispatcher || PyDict_SetItemString(replacements.get(), cmp.name, dispatcher.get()) != 0) return -1;
  }
  if (PyArray_SetNumericOps(replacements.get()) != 0) return -1;
  return wrapRichCompare();
}

static void uninstallComparisons() {
  unwrapRichCompare();
  /* At the interpreter's exit NumPy goes too, and nothing may be imported
   * any more (the warnings module, to keep the table's deprecation quiet):
   * the table keeps the dispatchers, and with them the copies they call. */
  if (interpreterFinalizing()) return;
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
}

#else

}  // namespace

static int installComparisons() {
  for (ComparisonCopy &cmp : comparisons) {
    PyRef numpy_ufunc(numpyUfunc(cmp.name));
    if (!numpy_ufunc) return -1;
    if (makeCopy(cmp, numpy_ufunc.get()) != 0) return -1;
  }
  return wrapRichCompare();
}

static void uninstallComparisons() { unwrapRichCompare(); }

#endif

int quorva_redirect_comparisons() {
  if (installComparisons() != 0) {
    releaseCopies();
    return -1;
  }
  redirected = true;
  return 0;
}

void quorva_restore_comparisons() {
  if (!redirected) return;
  uninstallComparisons();
  redirected = false;
  releaseCopies();
}
