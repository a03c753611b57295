/* quorva.Sum, quorva.Prod and quorva.Dot: one operator folded over a whole
 * collection (tuple, list, other sequence, iterator or dictionary values).
 * Sum builds one expression and adds every further element into it in
 * place, testing element kinds in an order that adapts to the collection. */
#include "model/vectors.h"

#include "model/expression.h"
#include "model/linterm.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "nonlinear/nonlinear.h"

#include <utility>
#include <vector>

namespace {

/* ---- traversal ---- */

/* The elements of a collection, one at a time: next() gives a new
 * reference, NULL at the end or with an error set. */
class Elements {
 public:
  /* 0, or -1 with an error set. single is set when the collection is a
   * single object rather than a collection. */
  int open(PyObject *collection, bool *single) {
    *single = false;
    if (PyTuple_Check(collection) || PyList_Check(collection)) {
      fast_ = PyRef::borrow(collection);
      return 0;
    }
    if (PyDict_Check(collection)) {
      fast_.reset(PyDict_Values(collection));
      return fast_ ? 0 : -1;
    }
    if (PySequence_Check(collection)) {
      length_ = PySequence_Size(collection);
      if (length_ < 0) {
        PyErr_Clear();
        PyErr_SetString(PyExc_RuntimeError, "Invalid sequence of objects");
        return -1;
      }
      sequence_ = PyRef::borrow(collection);
      return 0;
    }
    if (PyIter_Check(collection)) {
      iterator_ = PyRef::borrow(collection);
      return 0;
    }
    *single = true;
    return 0;
  }

  PyObject *next() {
    if (fast_) {
      if (index_ >= PySequence_Fast_GET_SIZE(fast_.get())) return nullptr;
      PyObject *item = PySequence_Fast_GET_ITEM(fast_.get(), index_++);
      Py_INCREF(item);
      return item;
    }
    if (sequence_) return index_ < length_ ? PySequence_GetItem(sequence_.get(), index_++) : nullptr;
    return PyIter_Next(iterator_.get());
  }

 private:
  PyRef fast_, sequence_, iterator_;
  Py_ssize_t index_ = 0, length_ = 0;
};

typedef PyObject *(*StepFn)(PyObject *acc, PyObject *element, PyObject *out, void *state);

/* Folds step over the positional arguments (one argument: the collection
 * itself). None elements are skipped; out goes with the last element only.
 * Returns the accumulator (None when nothing was folded). */
PyObject *fold(PyObject *args, StepFn step, PyObject *out, void *state) {
  PyObject *collection = PyTuple_GET_SIZE(args) == 1 ? PyTuple_GET_ITEM(args, 0) : args;
  PyRef acc = PyRef::borrow(Py_None);
  Elements elements;
  bool single;
  if (elements.open(collection, &single) != 0) return nullptr;
  if (single) {
    if (!isModelingObject(collection) && operandKind(collection) != KIND_CONSTANT) {
      PyErr_SetString(PyExc_RuntimeError, "Invalid object in Sum or Prod operators");
      return nullptr;
    }
    return step(Py_None, collection, out, state);
  }
  /* One element of look-ahead tells which element is the last. */
  PyRef pending;
  for (;;) {
    PyRef element(elements.next());
    if (!element && PyErr_Occurred()) return nullptr;
    if (element && element.get() == Py_None) continue;
    if (pending) {
      acc.reset(step(acc.get(), pending.get(), element ? nullptr : out, state));
      if (!acc) return nullptr;
    }
    if (!element) break;
    pending = std::move(element);
  }
  return acc.release();
}

/* The accumulator must be an object of the fold's own once it is an
 * expression or a nonlinear expression, since later steps change it in
 * place: a step that handed back the element itself gets a copy. */
PyObject *ownResult(PyObject *result, PyObject *element) {
  if (result && result == element && (operandKind(result) == KIND_EXPRESSION || operandKind(result) == KIND_NONLINEAR)) {
    PyObject *copy = general_copy(result, 1.0);
    Py_DECREF(result);
    return copy;
  }
  return result;
}

/* ---- Sum ---- */

enum FastKind { FAST_LINTERM, FAST_VARIABLE, FAST_QUADTERM, FAST_EXPRESSION, FAST_CONSTANT, FAST_KINDS };

/* The adaptive order of the fast path: kinds tested in order, each with
 * its count of hits during one call. */
struct SumState {
  int order[FAST_KINDS] = {FAST_LINTERM, FAST_VARIABLE, FAST_QUADTERM, FAST_EXPRESSION, FAST_CONSTANT};
  long hits[FAST_KINDS] = {0, 0, 0, 0, 0};
};

bool isKind(int kind, PyObject *o) {
  switch (kind) {
    case FAST_LINTERM: return Py_TYPE(o) == &quorva_lintermType;
    case FAST_VARIABLE: return Py_TYPE(o) == &quorva_varType;
    case FAST_QUADTERM: return Py_TYPE(o) == &quorva_quadtermType;
    case FAST_EXPRESSION: return Py_TYPE(o) == &quorva_expressionType;
    case FAST_CONSTANT: return PyFloat_Check(o) || PyArray_IsScalar(o, Double);
  }
  return false;
}

/* Adds an element of a known kind into the expression acc; 0 or -1. */
int addKnown(int kind, PyObject *acc, PyObject *o) {
  switch (kind) {
    case FAST_LINTERM: return expression_addToLinTerm(acc, LINTERM(o)->var, LINTERM(o)->coef);
    case FAST_VARIABLE: return expression_addToLinTerm(acc, o, 1.0);
    case FAST_QUADTERM: return expression_addToQuadTerm(acc, QUADTERM(o)->first, QUADTERM(o)->second, QUADTERM(o)->coef);
    case FAST_EXPRESSION: {
      PyRef same(expression_iadd(acc, o));
      return same ? 0 : -1;
    }
    case FAST_CONSTANT: {
      double value = PyFloat_Check(o) ? PyFloat_AS_DOUBLE(o) : PyFloat_AsDouble(o);
      if (value == -1.0 && PyErr_Occurred()) return -1;
      EXPRESSION(acc)->constant += value;
      return 0;
    }
  }
  return -1;
}

PyObject *sumStep(PyObject *acc, PyObject *element, PyObject *, void *data) {
  if (Py_TYPE(acc) == &quorva_expressionType) {
    SumState &s = *static_cast<SumState *>(data);
    for (int b = 0; b < FAST_KINDS; ++b) {
      if (!isKind(s.order[b], element)) continue;
      if (addKnown(s.order[b], acc, element) != 0) return nullptr;
      long c = ++s.hits[b];
      /* Move the kind ahead of the kinds hit no more often than it. */
      int j = b;
      while (j > 0 && s.hits[j - 1] <= c) --j;
      if (j < b) {
        std::swap(s.order[j], s.order[b]);
        std::swap(s.hits[j], s.hits[b]);
      }
      Py_INCREF(acc);
      return acc;
    }
  }
  return ownResult(general_iadd(acc, element), element);
}

PyObject *prodStep(PyObject *acc, PyObject *element, PyObject *, void *) {
  return ownResult(general_imul(acc, element), element);
}

/* ---- Dot ---- */

const char kSizes[] = "Dot product must have matching sizes in the multiplying dimension";

/* Rank of an allowed element type (higher is wider), -1 when not allowed. */
int typeRank(int typenum) {
  switch (typenum) {
    case NPY_LONG: return 0;
    case NPY_LONGLONG: return 1;
    case NPY_FLOAT: return 2;
    case NPY_DOUBLE: return 3;
    case NPY_OBJECT: return 4;
  }
  return -1;
}

/* The element type out must have for operands of types ta and tb. */
int requiredOutType(int ta, int tb) {
  if (ta == NPY_LONG && tb == NPY_LONG) return NPY_LONG;
  bool integers = (ta == NPY_LONG || ta == NPY_LONGLONG) && (tb == NPY_LONG || tb == NPY_LONGLONG);
  if (integers) return NPY_LONGLONG;
  if (ta == NPY_FLOAT && tb == NPY_FLOAT) return NPY_FLOAT;
  bool floating = (ta == NPY_FLOAT || ta == NPY_DOUBLE) && (tb == NPY_FLOAT || tb == NPY_DOUBLE);
  if (floating) return NPY_DOUBLE;
  return NPY_OBJECT;
}

PyArrayObject *asArray(PyObject *o) { return reinterpret_cast<PyArrayObject *>(o); }

/* A C-contiguous array of the given type holding a's elements. */
PyObject *contiguousAs(PyObject *a, int typenum) {
  return PyArray_FromAny(a, PyArray_DescrFromType(typenum), 0, 0, NPY_ARRAY_C_CONTIGUOUS | NPY_ARRAY_ALIGNED | NPY_ARRAY_FORCECAST,
                         nullptr);
}

/* The product u * v of two object elements, as a term and a factor for the
 * incremental sum: obj x obj gives (general product, 1), obj x number gives
 * (obj, number), number x number gives (float product, 1). */
int elementProduct(PyObject *u, PyObject *v, PyRef *term, double *factor) {
  bool un = !isNumpyArray(u) && operandKind(u) == KIND_CONSTANT;
  bool vn = !isNumpyArray(v) && operandKind(v) == KIND_CONSTANT;
  double a, b;
  *factor = 1.0;
  if (un && vn) {
    if (constantValue(u, &a) != 0 || constantValue(v, &b) != 0) return -1;
    term->reset(PyFloat_FromDouble(a * b));
  } else if (vn) {
    if (constantValue(v, factor) != 0) return -1;
    *term = PyRef::borrow(u);
  } else if (un) {
    if (constantValue(u, factor) != 0) return -1;
    *term = PyRef::borrow(v);
  } else {
    term->reset(general_mul(u, v));
  }
  return *term ? 0 : -1;
}

/* sum_k A[p, k] * B[q, k, j] over object arrays into result[(p*Q + q)*m + j]. */
int objectProduct(PyObject **A, PyObject **B, PyObject **R, npy_intp P, npy_intp n, npy_intp Q, npy_intp m) {
  for (npy_intp p = 0; p < P; ++p)
    for (npy_intp q = 0; q < Q; ++q)
      for (npy_intp j = 0; j < m; ++j) {
        PyRef element;
        for (npy_intp k = 0; k < n; ++k) {
          PyObject *u = A[p * n + k], *v = B[(q * n + k) * m + j];
          /* None is an empty accumulator to the product step, not a
           * factor: an element None would vanish from the product. */
          if (!u || !v || u == Py_None || v == Py_None) {
            modelError("Invalid object in operation");
            return -1;
          }
          PyRef term;
          double factor;
          if (elementProduct(u, v, &term, &factor) != 0) return -1;
          if (!element) {
            /* The element must be an object of its own, since later terms
             * are added into it in place: a fresh product is used as it is,
             * an operand is copied (variables and constants are shared). */
            bool fresh = factor == 1.0 && term.get() != u && term.get() != v;
            element = fresh ? std::move(term) : PyRef(general_copy(term.get(), factor));
          } else {
            element.reset(nonlin_incremental_alg_sum(element.get(), term.get(), factor));
          }
          if (!element) return -1;
        }
        if (!element) element.reset(PyFloat_FromDouble(0.0));
        if (!element) return -1;
        PyObject **slot = &R[(p * Q + q) * m + j];
        Py_XSETREF(*slot, element.release());
      }
  return 0;
}

PyObject *tensor_mult(PyObject *acc, PyObject *b, PyObject *out) {
  if (!acc || acc == Py_None) {
    if (!isNumpyArray(b)) return modelError("Dot product should only be on NumPy arrays");
    if (out) {
      if (!isNumpyArray(out) || PyArray_CopyInto(asArray(out), asArray(b)) != 0) {
        if (!PyErr_Occurred()) modelError("Output argument set with wrong type");
        return nullptr;
      }
      Py_INCREF(out);
      return out;
    }
    PyObject *copy = PyArray_NewCopy(asArray(b), NPY_KEEPORDER);
    if (!copy && !PyErr_Occurred()) PyErr_SetString(PyExc_RuntimeError, "Error in setting up dot product");
    return copy;
  }
  if (!isNumpyArray(acc) || !isNumpyArray(b) ||
      (!PyObject_TypeCheck(b, Py_TYPE(acc)) && !PyObject_TypeCheck(acc, Py_TYPE(b))))
    return modelError("Dot product can only occur between NumPy arrays");
  int ta = PyArray_TYPE(asArray(acc)), tb = PyArray_TYPE(asArray(b));
  int ra = typeRank(ta), rb = typeRank(tb);
  if (ra < 0 || rb < 0) return modelError("Dot product must be between long, double, and expressions/variables");
  int resultType = ra >= rb ? ta : tb;
  if (out && (!isNumpyArray(out) || PyArray_TYPE(asArray(out)) != requiredOutType(ta, tb)))
    return modelError("Output argument set with wrong type");

  /* Shapes: the last axis of acc against the second-to-last of b. */
  int na = PyArray_NDIM(asArray(acc)), nb = PyArray_NDIM(asArray(b));
  npy_intp *sa = PyArray_DIMS(asArray(acc)), *sb = PyArray_DIMS(asArray(b));
  if ((na == 0) != (nb == 0)) return modelError(kSizes);
  npy_intp n = na == 0 ? 1 : sa[na - 1];
  npy_intp nbSum = nb == 0 ? 1 : nb == 1 ? sb[0] : sb[nb - 2];
  if (n != nbSum) return modelError(kSizes);
  std::vector<npy_intp> shape;
  npy_intp P = 1, Q = 1, m = 1;
  for (int i = 0; i + 1 < na; ++i) {
    shape.push_back(sa[i]);
    P *= sa[i];
  }
  for (int i = 0; i + 2 < nb; ++i) {
    shape.push_back(sb[i]);
    Q *= sb[i];
  }
  if (nb >= 2) {
    shape.push_back(sb[nb - 1]);
    m = sb[nb - 1];
  }
  if (out) {
    PyArrayObject *o = asArray(out);
    bool sameShape = PyArray_NDIM(o) == (int)shape.size();
    for (size_t i = 0; sameShape && i < shape.size(); ++i) sameShape = PyArray_DIMS(o)[i] == shape[i];
    if (!sameShape) return modelError("Output argument set with wrong shape");
  }

  PyRef a(contiguousAs(acc, resultType)), bb(contiguousAs(b, resultType));
  if (!a || !bb) return nullptr;
  if (resultType != NPY_OBJECT) {
    PyObject *product = PyArray_MatrixProduct2(a.get(), bb.get(), out ? asArray(out) : nullptr);
    if (!product && !PyErr_Occurred()) modelError("Could not initialize result of dot product");
    return product;
  }
  PyRef result(PyArray_ZEROS((int)shape.size(), shape.data(), NPY_OBJECT, 0));
  if (!result) return modelError("Could not initialize result of dot product");
  PyObject **R = static_cast<PyObject **>(PyArray_DATA(asArray(result.get())));
  if (objectProduct(static_cast<PyObject **>(PyArray_DATA(asArray(a.get()))),
                    static_cast<PyObject **>(PyArray_DATA(asArray(bb.get()))), R, P, n, Q, m) != 0)
    return nullptr;
  if (!out) return result.release();
  /* The previous contents of out are released as they are replaced. */
  if (PyArray_CopyInto(asArray(out), asArray(result.get())) != 0) return nullptr;
  Py_INCREF(out);
  return out;
}

PyObject *dotStep(PyObject *acc, PyObject *element, PyObject *out, void *) { return tensor_mult(acc, element, out); }

}  // namespace

/* ---- module functions ---- */

static PyObject *quorvamod_Sum(PyObject *, PyObject *args) {
  SumState state;
  PyObject *result = fold(args, sumStep, nullptr, &state);
  if (!result) return setQrvaErrIfNull(nullptr, nullptr);
  if (result == Py_None) {
    Py_DECREF(result);
    return setQrvaErrIfNull(nullptr, expression_base());
  }
  if (!isNumpyArray(result) && operandKind(result) == KIND_CONSTANT) {
    PyRef constant(result);
    return setQrvaErrIfNull(nullptr, expression_copy(constant.get(), 1.0));
  }
  return setQrvaErrIfNull(nullptr, result);
}

static PyObject *quorvamod_Prod(PyObject *, PyObject *args) {
  PyObject *result = fold(args, prodStep, nullptr, nullptr);
  if (result == Py_None) {
    Py_DECREF(result);
    return PyFloat_FromDouble(0.0);
  }
  return setQrvaErrIfNull(nullptr, result);
}

static PyObject *quorvamod_Dot(PyObject *, PyObject *args, PyObject *kwds) {
  PyObject *out = nullptr;
  if (kwds && PyDict_GET_SIZE(kwds) > 0) {
    static const char *keywords[] = {"out", nullptr};
    PyRef none(PyTuple_New(0));
    if (!none || !PyArg_ParseTupleAndKeywords(none.get(), kwds, "|O", const_cast<char **>(keywords), &out))
      return setQrvaErrIfNull(nullptr, nullptr);
    if (out == Py_None) out = nullptr;
  }
  PyRef result(fold(args, dotStep, out, nullptr));
  if (!result) return setQrvaErrIfNull(nullptr, nullptr);
  if (result.get() == Py_None) return PyFloat_FromDouble(0.0);
  /* A product of two vectors has no axes left: its one element is the
   * result, as with NumPy's own dot product. */
  if (!out && isNumpyArray(result.get()) && PyArray_NDIM(asArray(result.get())) == 0 &&
      PyArray_TYPE(asArray(result.get())) == NPY_OBJECT)
    return setQrvaErrIfNull(nullptr, PyArray_GETITEM(asArray(result.get()), PyArray_BYTES(asArray(result.get()))));
  return setQrvaErrIfNull(nullptr, result.release());
}

PyMethodDef quorvamod_vectorMethods[] = {
    {"Sum", QRVA_METHOD(quorvamod_Sum), METH_VARARGS,
     QRVA_DOC("The sum of a collection of variables, terms, expressions, nonlinear expressions, numbers or arrays.",
              "s = quorva.Sum(a, b, ...) or quorva.Sum(collection)",
              "a, b, ...: the elements; or one collection: a list, tuple, dictionary (its values), generator, "
              "iterator or NumPy array (summed along its first axis). None elements are skipped.",
              "s = quorva.Sum(c[i] * x[i] for i in range(n))",
              "Sum builds one new expression and adds every element into it, so it is much faster than adding "
              "with +; the elements themselves are never changed. An empty collection gives the empty expression. "
              "For nonlinear terms the difference grows with the count: s = s + f in a loop copies s at every "
              "step (time quadratic in the count), while Sum and s += f take linear time.",
              "quorva.Prod, quorva.Dot")},
    {"Prod", QRVA_METHOD(quorvamod_Prod), METH_VARARGS,
     QRVA_DOC("The product of a collection of variables, terms, expressions, nonlinear expressions or numbers.",
              "p = quorva.Prod(a, b, ...) or quorva.Prod(collection)",
              "a, b, ...: the factors; or one collection (list, tuple, dictionary values, iterator, NumPy array). "
              "None elements are skipped.",
              "p = quorva.Prod([x, y, z])", "An empty collection gives 0.0.", "quorva.Sum, quorva.Dot")},
    {"Dot", QRVA_METHOD(quorvamod_Dot), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("The tensor dot product of NumPy arrays whose elements may be modeling objects.",
              "r = quorva.Dot(a, b, ..., out=None)",
              "a, b, ...: NumPy arrays of long, long long, single, double or object elements; the last axis of each "
              "partial result meets the second-to-last axis of the next array. out: an array of the result's shape "
              "and element type that receives the result.",
              "r = quorva.Dot(A, x)  # A a matrix of numbers, x an array of variables",
              "A product of two vectors gives its single element.", "quorva.Sum, quorva.Prod")},
    {nullptr, nullptr, 0, nullptr},
};
