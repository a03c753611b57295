/* Shared helpers: strings for the libraries, integer tests, the walk over
 * nested arguments, and the classifier of control and attribute entries. */
#ifndef QUORVA_HELPERS_H
#define QUORVA_HELPERS_H

#include "module/pyref.h"

#include <initializer_list>
#include <string>

/* Zero-terminated copy of a str (encoded as ASCII) or bytes, from the
 * default heap; free it with qo_MemoryAllocator_Free_Untyped. NULL for any
 * other type (no error set) or on an encoding error (error set). */
char *pyStrToStr(PyObject *object);
/* Byte length of a str's ASCII encoding or of a bytes object; 0 for other
 * types; -1 when encoding fails. */
Py_ssize_t pyStrLen(PyObject *object);

/* A library string owned by the holder: the pyStrToStr copy of an object. */
class PyStrCopy {
 public:
  explicit PyStrCopy(PyObject *object) : str_(pyStrToStr(object)) {}
  ~PyStrCopy();
  PyStrCopy(const PyStrCopy &) = delete;
  PyStrCopy &operator=(const PyStrCopy &) = delete;
  const char *get() const { return str_; }

 private:
  char *str_;
};

/* Pauses the cyclic garbage collector for one scope (it runs again after,
 * if it ran before). Making many collector-tracked objects at once would
 * otherwise run collections that each walk every object made so far. */
class GcPause {
 public:
  GcPause();
  ~GcPause();
  GcPause(const GcPause &) = delete;
  GcPause &operator=(const GcPause &) = delete;

 private:
  bool paused_ = false;
};

int compareInt(const void *a, const void *b);

/* True for a Python int and NumPy's int, long and long long scalars. */
int isIntegerObject(PyObject *object);

/* An integer object (isIntegerObject) as a library index or count, a 32-bit
 * int. 0, or -1 with OverflowError when the value does not fit: a cast
 * would wrap it onto another index. */
int pyIntToIndex(PyObject *object, int *out);

/* Called for each leaf; returns a new reference (None) or NULL on error. */
typedef PyObject *(*nested_leaf_fn)(PyObject *problem, PyObject *leaf, void *data);

/* Depth the problem methods start the walk with. */
#define QRVA_PY_NESTING_DEPTH 32

/* Calls fn(problem, leaf, data) for every leaf of a nested structure of
 * tuples, lists, sequences, dictionaries (their values) and iterators.
 * Returns a new reference to None, or NULL with an error set. */
PyObject *forEachNested(PyObject *problem, PyObject *object, nested_leaf_fn fn, void *data, int depth);

/* Leaf function for forEachNested: data points to two lists {source,
 * target}; appends source[index] to target. */
PyObject *appendItem(PyObject *problem, PyObject *index, void *pair);
/* Item index (an integer object) of a list, borrowed; an index outside the
 * list raises ModelError naming the index and the count. */
PyObject *listItemAt(PyObject *list, PyObject *index);

/* Classifies one entry of a library's control and attribute list.
 * Optimizer entries by their flags; SLP entries through the library. */
void getParType(int library, int flags, int identifier, int *is_control, int *type);

/* NaN compares false with everything, so a NaN bound or threshold would
 * pass every later check: 0, or -1 with quorva.ModelError "A bound or
 * threshold cannot be NaN" when any of the values is NaN. */
int refuseNaNBounds(std::initializer_list<double> values);

/* A double member of a variable or constraint whose changes a problem must
 * see: the setter refuses non-numbers and NaN, and a new value draws a fresh
 * change stamp into the object (closure: a StampedField). */
struct StampedField {
  size_t value; /* offset of the double */
  size_t stamp; /* offset of the object's uint64_t change stamp */
};
PyObject *stampedDouble_get(PyObject *self, void *closure);
int stampedDouble_set(PyObject *self, PyObject *value, void *closure);
/* Records a change of the object whose stamp is at *stamp. */
void markChanged(uint64_t *stamp);

/* repr() of the module's objects: "<quorva.<class> <detail>>", naming the
 * class and the object where str() keeps its fixed format. The detail
 * reference is stolen; NULL passes a failure on. */
PyObject *objectRepr(PyObject *self, PyObject *detail);
/* str() of an object without the spaces around it (a sum's str() starts
 * with two). */
PyObject *strippedStr(PyObject *object);
/* tp_repr of the algebraic classes: objectRepr of the stripped str(). */
PyObject *reprOfStr(PyObject *self);
/* A bound or threshold as repr() shows it: "inf" or "-inf" at or beyond
 * the library's infinity, else the shortest %g form that reads back. */
std::string boundText(double value);

#endif
