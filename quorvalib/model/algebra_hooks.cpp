/* Internal functions of the modeling algebra exposed under underscore names
 * so the test suite can reach the containers and the generic arithmetic
 * that no public function drives yet. Not part of the API. */
#include "model/algebra_hooks.h"

#include "model/expression.h"
#include "model/maps.h"
#include "model/operand.h"
#include "module/boundary.h"

#include <cstring>

namespace {

/* Unpacks an operation tuple (name, operands...) into its name. */
const char *opName(PyObject *op) {
  if (!PyTuple_Check(op) || PyTuple_GET_SIZE(op) < 1 || !PyUnicode_Check(PyTuple_GET_ITEM(op, 0))) {
    PyErr_SetString(PyExc_TypeError, "each operation must be a tuple starting with its name");
    return nullptr;
  }
  return PyUnicode_AsUTF8(PyTuple_GET_ITEM(op, 0));
}

bool isName(const char *name, const char *expected) { return std::strcmp(name, expected) == 0; }

/* Owns one container of each kind for the duration of a hook call. */
struct Containers {
  linmap *lin = nullptr;
  quadmap *quad = nullptr;
  indexset *set = nullptr;
  rowcolmap *rowcol = nullptr;
  ~Containers() {
    linmap_free(&lin);
    quadmap_free(&quad);
    indexset_free(&set);
    rowcolmap_free(&rowcol);
  }
};

PyObject *checkVar(PyObject *o) {
  if (!var_check(o)) {
    PyErr_SetString(PyExc_TypeError, "expected a quorva.var");
    return nullptr;
  }
  return o;
}

/* [(variable, coef), ...] through the cursor protocol. */
PyObject *linmapItems(const linmap *map) {
  PyRef items(PyList_New(0));
  if (!items) return nullptr;
  linmap_iter *cursor = nullptr;
  PyObject *variable;
  double coef;
  while (linmap_next(map, &variable, &coef, &cursor)) {
    PyRef item(Py_BuildValue("(Od)", variable, coef));
    if (!item || PyList_Append(items.get(), item.get()) != 0) {
      linmap_iter_free(&cursor);
      return nullptr;
    }
  }
  return items.release();
}

}  // namespace

/* _linmap_run(ops): runs ("set"|"add", x, c), ("del", x) on a new linmap,
 * then copies it; returns (items, copied items, size). */
static PyObject *hook_linmap_run(PyObject *, PyObject *ops) {
  PyRef sequence(PySequence_Fast(ops, "operations must be a sequence"));
  if (!sequence) return nullptr;
  Containers c;
  c.lin = linmap_new();
  for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(sequence.get()); ++i) {
    PyObject *op = PySequence_Fast_GET_ITEM(sequence.get(), i);
    const char *name = opName(op);
    PyObject *x;
    double coef = 0.0;
    if (!name || !PyArg_ParseTuple(op, "sO|d", &name, &x, &coef) || !checkVar(x)) return nullptr;
    if (isName(name, "set"))
      linmap_set(c.lin, x, coef);
    else if (isName(name, "add"))
      linmap_add(c.lin, x, coef);
    else if (isName(name, "del"))
      linmap_del(c.lin, x);
  }
  linmap *copy = nullptr;
  if (linmap_copy(&copy, c.lin) != 0) return PyErr_NoMemory();
  PyRef copied(linmapItems(copy));
  linmap_free(&copy);
  PyRef items(linmapItems(c.lin));
  if (!items || !copied) return nullptr;
  return Py_BuildValue("(OOn)", items.get(), copied.get(), (Py_ssize_t)linmap_size(c.lin));
}

/* _quadmap_run(ops): runs ("add", x, y, c), ("del", x, y) on a new
 * quadmap; returns ([(x, [(y, c), ...]), ...], size). */
static PyObject *hook_quadmap_run(PyObject *, PyObject *ops) {
  PyRef sequence(PySequence_Fast(ops, "operations must be a sequence"));
  if (!sequence) return nullptr;
  Containers c;
  c.quad = quadmap_new();
  for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(sequence.get()); ++i) {
    PyObject *op = PySequence_Fast_GET_ITEM(sequence.get(), i);
    const char *name = opName(op);
    PyObject *x, *y;
    double coef = 0.0;
    if (!name || !PyArg_ParseTuple(op, "sOO|d", &name, &x, &y, &coef) || !checkVar(x) || !checkVar(y)) return nullptr;
    if (isName(name, "add"))
      quadmap_add(c.quad, x, y, coef);
    else if (isName(name, "del"))
      quadmap_del(c.quad, x, y);
  }
  PyRef outer(PyList_New(0));
  if (!outer) return nullptr;
  quadmap_iter *cursor = nullptr;
  PyObject *first;
  linmap *inner;
  while (quadmap_next(c.quad, &first, &inner, &cursor)) {
    PyRef items(linmapItems(inner));
    PyRef entry(items ? Py_BuildValue("(OO)", first, items.get()) : nullptr);
    if (!entry || PyList_Append(outer.get(), entry.get()) != 0) {
      quadmap_iter_free(&cursor);
      return nullptr;
    }
  }
  return Py_BuildValue("(On)", outer.get(), (Py_ssize_t)quadmap_size(c.quad));
}

/* _rowcolmap_run(ops): runs ("set", key, position), ("del", key),
 * ("clear",) on a new rowcolmap and an indexset of the same keys; returns
 * (copied [(key, position)], [keys], first key reached by an abandoned
 * iteration or None). */
static PyObject *hook_rowcolmap_run(PyObject *, PyObject *ops) {
  PyRef sequence(PySequence_Fast(ops, "operations must be a sequence"));
  if (!sequence) return nullptr;
  Containers c;
  c.rowcol = rowcolmap_new();
  c.set = indexset_new();
  for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(sequence.get()); ++i) {
    PyObject *op = PySequence_Fast_GET_ITEM(sequence.get(), i);
    const char *name = opName(op);
    unsigned int key = 0;
    int position = 0;
    if (!name || !PyArg_ParseTuple(op, "s|Ii", &name, &key, &position)) return nullptr;
    if (isName(name, "set")) {
      rowcolmap_set(c.rowcol, key, position);
      indexset_add(c.set, key);
    } else if (isName(name, "del")) {
      rowcolmap_del(c.rowcol, key);
      indexset_del(c.set, key);
    } else if (isName(name, "clear")) {
      rowcolmap_clear(c.rowcol);
      indexset_free(&c.set);
      c.set = indexset_new();
    }
  }
  rowcolmap *copy = nullptr;
  indexset *setCopy = nullptr;
  if (rowcolmap_copy(&copy, c.rowcol) != 0 || indexset_copy(&setCopy, c.set) != 0) {
    rowcolmap_free(&copy);
    return PyErr_NoMemory();
  }
  Containers copies;
  copies.rowcol = copy;
  copies.set = setCopy;
  PyRef pairs(PyList_New(0)), keys(PyList_New(0));
  if (!pairs || !keys) return nullptr;
  rowcolmap_iter *cursor = nullptr;
  uint32_t key;
  int position;
  while (rowcolmap_next(copies.rowcol, &key, &position, &cursor)) {
    PyRef pair(Py_BuildValue("(Ii)", key, position));
    if (!pair || PyList_Append(pairs.get(), pair.get()) != 0) {
      rowcolmap_iter_free(&cursor);
      return nullptr;
    }
  }
  indexset_iter *setCursor = nullptr;
  while (indexset_next(copies.set, &key, &setCursor)) {
    PyRef value(PyLong_FromUnsignedLong(key));
    if (!value || PyList_Append(keys.get(), value.get()) != 0) {
      indexset_iter_free(&setCursor);
      return nullptr;
    }
  }
  /* Leave an iteration after its first entry. */
  PyRef abandoned(newNone());
  rowcolmap_iter *early = nullptr;
  if (rowcolmap_next(copies.rowcol, &key, &position, &early)) abandoned.reset(PyLong_FromUnsignedLong(key));
  rowcolmap_iter_free(&early);
  rowcolmap_iter_free(&early); /* a second call on the null handle does nothing */
  if (!abandoned) return nullptr;
  return Py_BuildValue("(OOO)", pairs.get(), keys.get(), abandoned.get());
}

/* _expression_parts(e): (constant, [(x, c)], [(x, y, c)], [serials]). */
static PyObject *hook_expression_parts(PyObject *, PyObject *e) {
  if (!expression_check(e)) {
    PyErr_SetString(PyExc_TypeError, "expected a quorva.expression");
    return nullptr;
  }
  const expression_s *record = EXPRESSION(e);
  PyRef linear(record->linear ? linmapItems(record->linear) : PyList_New(0));
  PyRef quadratic(PyList_New(0)), serials(PyList_New(0));
  if (!linear || !quadratic || !serials) return nullptr;
  if (record->quadratic)
    for (const auto &outer : record->quadratic->entries)
      for (const auto &inner : outer.second->entries) {
        PyRef item(Py_BuildValue("(OOd)", outer.first.var, inner.first.var, inner.second));
        if (!item || PyList_Append(quadratic.get(), item.get()) != 0) return nullptr;
      }
  if (record->serials)
    for (uint32_t serial : record->serials->entries) {
      PyRef value(PyLong_FromUnsignedLong(serial));
      if (!value || PyList_Append(serials.get(), value.get()) != 0) return nullptr;
    }
  return Py_BuildValue("(dOOO)", record->constant, linear.get(), quadratic.get(), serials.get());
}

/* _getExprType(obj): (kind, message of the error it set or None). */
static PyObject *hook_getExprType(PyObject *, PyObject *obj) {
  int kind = getExprType(obj);
  if (kind >= 0) return Py_BuildValue("(iOO)", kind, Py_None, Py_False);
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  PyRef owned_type(type), owned_value(value), owned_traceback(traceback);
  PyRef text(value ? PyObject_Str(value) : PyUnicode_FromString(""));
  if (!text) return nullptr;
  bool modelErr = type && PyErr_GivenExceptionMatches(type, qpy_model_exc);
  return Py_BuildValue("(iOO)", kind, text.get(), modelErr ? Py_True : Py_False);
}

static PyObject *hook_general_copy(PyObject *, PyObject *args) {
  PyObject *obj;
  double factor;
  if (!PyArg_ParseTuple(args, "Od", &obj, &factor)) return nullptr;
  return general_copy(obj, factor);
}

static PyObject *hook_general_neg(PyObject *, PyObject *obj) { return general_neg(obj); }

typedef PyObject *(*PairFn)(PyObject *, PyObject *);
static PyObject *pairHook(PyObject *args, PairFn fn) {
  PyObject *a, *b;
  if (!PyArg_ParseTuple(args, "OO", &a, &b)) return nullptr;
  return fn(a, b);
}
static PyObject *hook_general_mul(PyObject *, PyObject *args) { return pairHook(args, general_mul); }
static PyObject *hook_general_imul(PyObject *, PyObject *args) { return pairHook(args, general_imul); }
static PyObject *hook_general_iadd(PyObject *, PyObject *args) { return pairHook(args, general_iadd); }
static PyObject *hook_constant_add(PyObject *, PyObject *args) { return pairHook(args, constant_add); }
static PyObject *hook_constant_mul(PyObject *, PyObject *args) { return pairHook(args, constant_mul); }

static PyObject *hook_convert_const_to_expr(PyObject *, PyObject *obj) {
  Py_INCREF(obj);
  PyObject *result = obj;
  if (convert_const_to_expr(&result) != 0) {
    Py_DECREF(result);
    return nullptr;
  }
  return result;
}

/* _incremental_sum(acc, q, sign): the accumulation step of the cumulative
 * sum, with an accumulator that may be None, a constant, a term. */
static PyObject *hook_incremental_sum(PyObject *, PyObject *args) {
  PyObject *acc, *q;
  double sign;
  if (!PyArg_ParseTuple(args, "OOd", &acc, &q, &sign)) return nullptr;
  return expression_incremental_alg_sum(acc, q, sign);
}

PyMethodDef quorvamod_algebraTestMethods[] = {
    {"_linmap_run", QRVA_METHOD(hook_linmap_run), METH_O, "Internal: operations on a coefficient map."},
    {"_quadmap_run", QRVA_METHOD(hook_quadmap_run), METH_O, "Internal: operations on a quadratic coefficient map."},
    {"_rowcolmap_run", QRVA_METHOD(hook_rowcolmap_run), METH_O, "Internal: operations on an index map and set."},
    {"_expression_parts", QRVA_METHOD(hook_expression_parts), METH_O, "Internal: the parts of an expression."},
    {"_getExprType", QRVA_METHOD(hook_getExprType), METH_O, "Internal: the operand kind of an object."},
    {"_general_copy", QRVA_METHOD(hook_general_copy), METH_VARARGS, "Internal: scaled copy of any operand."},
    {"_general_neg", QRVA_METHOD(hook_general_neg), METH_O, "Internal: negation of any operand."},
    {"_general_mul", QRVA_METHOD(hook_general_mul), METH_VARARGS, "Internal: accumulated product step."},
    {"_general_imul", QRVA_METHOD(hook_general_imul), METH_VARARGS, "Internal: accumulated in-place product step."},
    {"_general_iadd", QRVA_METHOD(hook_general_iadd), METH_VARARGS, "Internal: accumulated in-place sum step."},
    {"_constant_add", QRVA_METHOD(hook_constant_add), METH_VARARGS, "Internal: sum of constants or arrays."},
    {"_constant_mul", QRVA_METHOD(hook_constant_mul), METH_VARARGS, "Internal: product of constants or arrays."},
    {"_convert_const_to_expr", QRVA_METHOD(hook_convert_const_to_expr), METH_O,
     "Internal: result of a cumulated operator."},
    {"_incremental_sum", QRVA_METHOD(hook_incremental_sum), METH_VARARGS, "Internal: one accumulation step of a sum."},
    {nullptr, nullptr, 0, nullptr},
};
