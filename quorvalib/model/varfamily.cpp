/* quorva.vars: a family of variables indexed by the Cartesian product of
 * index sets (lists, sets, ranges or counts), in a dictionary keyed by the
 * index or index tuple, each variable named prefix(i,j,...). */
#include "model/varfamily.h"

#include "model/operand.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/helpers.h"

#include <climits>
#include <string>
#include <vector>

namespace {

/* Longest name kept: names are cut where a 2500-byte buffer would end. */
const size_t kMaxNameLength = 2499;

enum DimensionKind { DIM_LIST, DIM_ITERABLE, DIM_COUNT };

/* One index set and its place in the enumeration. */
struct Dimension {
  DimensionKind kind;
  PyObject *source;   /* borrowed: the positional argument */
  Py_ssize_t count;   /* lists and counts */
  Py_ssize_t position;
  PyRef iterator;     /* sets and ranges */
  PyRef current;      /* the current element */
};

PyObject *runtimeError(const char *message) {
  PyErr_SetString(PyExc_RuntimeError, message);
  return nullptr;
}

/* Classifies one positional argument; 0 or -1 with an error set. */
int classify(PyObject *arg, Dimension *d) {
  d->source = arg;
  d->position = 0;
  if (PyList_Check(arg)) {
    d->kind = DIM_LIST;
    d->count = PyList_GET_SIZE(arg);
    if (d->count == 0) {
      runtimeError("Invalid index: empty dimension in creation of variables");
      return -1;
    }
    return 0;
  }
  if (PyAnySet_Check(arg) || PyRange_Check(arg)) {
    d->kind = DIM_ITERABLE;
    return 0;
  }
  if (isIntegerObject(arg)) {
    d->kind = DIM_COUNT;
    long long k = PyLong_AsLongLong(arg);
    if (k == -1 && PyErr_Occurred()) return -1;
    if (k < 1) {
      runtimeError(
          "Invalid index: integer argument to quorva.vars() must be positive (it is equivalent to range(k))");
      return -1;
    }
    d->count = static_cast<Py_ssize_t>(k);
    return 0;
  }
  runtimeError(
      "Invalid index: a call to quorva.vars() must have a tuple of lists or integer numbers as its first argument");
  return -1;
}

/* The element at the dimension's position; 0, or -1 with an error set. */
int load(Dimension *d) {
  if (d->kind == DIM_LIST) {
    d->current = PyRef::borrow(PyList_GET_ITEM(d->source, d->position));
  } else {
    d->current.reset(PyLong_FromSsize_t(d->position));
  }
  return d->current ? 0 : -1;
}

/* Puts the dimension on its first element; 0 or -1. */
int restart(Dimension *d) {
  d->position = 0;
  if (d->kind != DIM_ITERABLE) return load(d);
  d->iterator.reset(PyObject_GetIter(d->source));
  if (!d->iterator) return -1;
  d->current.reset(PyIter_Next(d->iterator.get()));
  if (d->current) return 0;
  if (!PyErr_Occurred()) runtimeError("No object available from set");
  return -1;
}

/* Moves to the next element: 1 moved, 0 exhausted, -1 error. */
int advance(Dimension *d) {
  if (d->kind != DIM_ITERABLE) {
    if (++d->position >= d->count) return 0;
    return load(d) == 0 ? 1 : -1;
  }
  d->current.reset(PyIter_Next(d->iterator.get()));
  if (d->current) return 1;
  return PyErr_Occurred() ? -1 : 0;
}

/* Appends an element's text: integers in decimal, str as ASCII, bytes as
 * they are. 0 or -1 with an error set. */
int appendElement(std::string &name, PyObject *element) {
  if (isIntegerObject(element)) {
    long value = PyLong_AsLong(element);
    if (value == -1 && PyErr_Occurred()) return -1;
    name += std::to_string(value);
    return 0;
  }
  if (PyUnicode_Check(element)) {
    PyRef ascii(PyUnicode_AsASCIIString(element));
    if (!ascii) return -1;
    name.append(PyBytes_AS_STRING(ascii.get()), PyBytes_GET_SIZE(ascii.get()));
    return 0;
  }
  if (PyBytes_Check(element)) {
    name.append(PyBytes_AS_STRING(element), PyBytes_GET_SIZE(element));
    return 0;
  }
  runtimeError("Element of index tuple in vars() cannot be represented");
  return -1;
}

struct Attributes {
  double lb, ub, threshold;
  int vartype;
};

PyObject *makeVariable(const std::string &name, const Attributes &a) {
  PyRef v(var_new());
  if (!v) return nullptr;
  var_s *record = reinterpret_cast<var_s *>(v.get());
  record->name = PyUnicode_DecodeASCII(name.data(), (Py_ssize_t)name.size(), "backslashreplace");
  if (!record->name) return nullptr;
  record->lb = a.lb;
  record->ub = a.ub;
  record->threshold = a.threshold;
  record->vartype = a.vartype;
  return v.release();
}

PyObject *family(PyObject *args, const std::string &prefix, const Attributes &attributes) {
  Py_ssize_t ndims = PyTuple_GET_SIZE(args);
  std::vector<Dimension> dims(static_cast<size_t>(ndims));
  for (Py_ssize_t i = 0; i < ndims; ++i)
    if (classify(PyTuple_GET_ITEM(args, i), &dims[i]) != 0) return nullptr;
  /* No problem takes more columns than a 32-bit index counts: a larger
   * family is refused before it fills the memory one variable at a time. */
  double total = 1.0;
  for (Dimension &d : dims) {
    Py_ssize_t size = d.kind == DIM_ITERABLE ? PyObject_Size(d.source) : d.count;
    if (size < 0) return nullptr;
    total *= (double)size;
  }
  if (total > (double)INT_MAX)
    return runtimeError(
        "No memory to create variables. Consider restricting one or more index sets/lists/ranges in the index "
        "argument to quorva.vars()");
  for (Dimension &d : dims)
    if (restart(&d) != 0) return nullptr;

  PyRef result(PyDict_New());
  if (!result) return nullptr;
  std::string name;
  for (;;) {
    name.assign(prefix);
    PyRef key(ndims == 1 ? PyRef::borrow(dims[0].current.get()) : PyRef(PyTuple_New(ndims)));
    if (!key) return nullptr;
    for (Py_ssize_t i = 0; i < ndims; ++i) {
      name += i == 0 ? "(" : ",";
      if (appendElement(name, dims[i].current.get()) != 0) return nullptr;
      if (ndims > 1) PyTuple_SET_ITEM(key.get(), i, PyRef::borrow(dims[i].current.get()).release());
    }
    name += ")";
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    PyRef variable(makeVariable(name, attributes));
    if (!variable) return nullptr;
    int present = PyDict_Contains(result.get(), key.get());
    if (present < 0) return nullptr;
    if (present) {
      PyErr_Format(PyExc_RuntimeError,
                   "Duplicate entry in vars: <%S>. Check arguments for duplicate entries in one or more of the lists",
                   reinterpret_cast<var_s *>(variable.get())->name);
      return nullptr;
    }
    if (PyDict_SetItem(result.get(), key.get(), variable.get()) != 0) return nullptr;

    /* Odometer: the last dimension moves fastest. */
    Py_ssize_t i = ndims - 1;
    for (;;) {
      int moved = advance(&dims[i]);
      if (moved < 0) return nullptr;
      if (moved) break;
      if (i == 0) return result.release();
      if (restart(&dims[i]) != 0) return nullptr;
      --i;
    }
  }
}

}  // namespace

static PyObject *quorvamod_vars(PyObject *, PyObject *args, PyObject *kwds) {
  static const char *keywords[] = {"name", "lb", "ub", "threshold", "vartype", nullptr};
  const char *prefix = "x";
  Attributes attributes{0.0, 1e20, -1e20, 0};
  PyRef none(PyTuple_New(0));
  if (!none || !PyArg_ParseTupleAndKeywords(none.get(), kwds, "|$sdddi", const_cast<char **>(keywords), &prefix,
                                            &attributes.lb, &attributes.ub, &attributes.threshold,
                                            &attributes.vartype))
    return setQrvaErrIfNull(nullptr, nullptr);
  if (refuseNaNBounds({attributes.lb, attributes.ub, attributes.threshold}) != 0)
    return setQrvaErrIfNull(nullptr, nullptr);
  std::string name(prefix);
  if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
  if (PyTuple_GET_SIZE(args) == 0) return setQrvaErrIfNull(nullptr, makeVariable(name, attributes));
  return setQrvaErrIfNull(nullptr, family(args, name, attributes));
}

PyMethodDef quorvamod_varsMethods[] = {
    {"vars", QRVA_METHOD(quorvamod_vars), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("A family of variables indexed by one or more index sets.",
              "v = quorva.vars(*indices, name='x', lb=0, ub=quorva.infinity, threshold=-quorva.infinity, "
              "vartype=quorva.continuous)",
              "indices: each a list, set or range of indices, or an integer k standing for 0 ... k-1; name: the "
              "prefix of the variables' names; lb, ub, threshold, vartype: as for quorva.var.",
              "x = quorva.vars(['a', 'b'], 3, vartype=quorva.binary)  # x['a', 0] ... x['b', 2]",
              "The result is a dictionary from index (one index set) or index tuple to variable, in the order the "
              "indices are enumerated, the last index set varying fastest; names look like x(a,0). Without index "
              "sets a single variable is returned.",
              "quorva.var, quorva.problem.addVariable")},
    {nullptr, nullptr, 0, nullptr},
};
