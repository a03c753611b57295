/* Conversion of Python arguments into the native arrays and indices the
 * library functions take. */
#ifndef QUORVA_API_CONVERT_H
#define QUORVA_API_CONVERT_H

#include "problem/problem.h"

#include <cstdint>
#include <type_traits>

/* What one array element is. The codes appear in messages. */
enum ElementKind {
  KIND_ROW = 0,     /* int row index: index, name or quorva.constraint */
  KIND_COL = 1,     /* int column index: index, name or quorva.var */
  KIND_SET = 2,     /* int set index: index or quorva.SOS */
  KIND_INT = 3,     /* int */
  KIND_INT64 = 4,   /* int64_t */
  KIND_DOUBLE = 5,  /* double */
  KIND_CHAR = 6,    /* one character */
  KIND_CHARNUM = 7, /* output only */
  KIND_CUT = 9,     /* a cut of the cut pool */
  KIND_ROWCOL = 11, /* output only */
};

/* One object (an index, a name, or a variable, constraint or SOS of the
 * problem) as the row, column or set index of kind 0, 1 or 2.
 * 0, or -1 with an error set. */
int ObjInt2int(PyObject *object, problem_s *problem, int *index, int kind);

/* A Python sequence, NumPy array or iterator as a new array of the kind's
 * elements from the module heap (the caller frees it with
 * qo_MemoryAllocator_Free_Untyped). NULL or None: *out stays NULL. count,
 * when given, holds the expected number of elements (negative: unknown)
 * and receives the number read. 0, or -1 with an error set. */
int conv_obj2arr(problem_s *problem, int64_t *count, PyObject *sequence, void **out, int kind);

/* Writes n elements of the kind into the caller's list: items already there
 * are replaced in place, missing ones appended, and surplus ones cut, so the
 * list ends with exactly n items. A NULL array, or a list that is NULL or
 * None, does nothing. 0, or -1 with an error set. */
int conv_arr2obj(problem_s *problem, int64_t n, const void *array, PyObject *list, int kind);

/* The constraint or variable at a position of the combined numbering (rows,
 * then the spare rows, then the columns), as a new reference; NULL when the
 * position names nothing or the sizes cannot be read. */
PyObject *convSeqToRowCol(problem_s *problem, int position);

/* An optional number of a library-named method: absent or None gives a
 * null pointer (the library then leaves that property as it is), else
 * *pointer = value holds the number (an int or a float by T).
 * 0, or -1 with an error set. */
template <typename T>
inline int optionalNumber(PyObject *object, T *value, T **pointer) {
  *pointer = nullptr;
  if (!object || object == Py_None) return 0;
  if (std::is_same<T, int>::value) {
    long v = PyLong_AsLong(object);
    if (v == -1 && PyErr_Occurred()) return -1;
    *value = (T)v;
  } else {
    double v = PyFloat_AsDouble(object);
    if (v == -1.0 && PyErr_Occurred()) return -1;
    *value = (T)v;
  }
  *pointer = value;
  return 0;
}

#endif
