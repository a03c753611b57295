/* The skeleton of the library-named methods of quorva.problem (and of the
 * classes whose methods wrap library functions the same way). Each method
 * is a declaration (WrapperSpec): its keywords and parsing format, the
 * element kind and count group of each array, which arguments are required,
 * and a short body that makes the library call. One routine (runWrapper)
 * parses, checks, converts into owned arrays, runs the body, writes the
 * outputs the body registered into the caller's lists and reports through
 * setQrvaErrIfNull; every array is freed on every path by the call record. */
#ifndef QUORVA_API_WRAPPER_H
#define QUORVA_API_WRAPPER_H

#include "api/convert.h"
#include "module/boundary.h"
#include "module/heap.h"
#include "module/interrupt.h"
#include "problem/busy.h"

#include <cstdint>
#include <vector>

/* What the skeleton does with one argument. */
enum WrapperUse : unsigned {
  ARG_PLAIN = 0,     /* parsed only: a scalar, a string, or an object the body reads */
  ARG_ARRAY = 1,     /* converted with conv_obj2arr before the body runs */
  ARG_INDEX = 2,     /* one row, column or set converted with ObjInt2int */
  ARG_REQUIRED = 4,  /* None (or absent) raises the method's required message */
  ARG_STARTS = 8,    /* start offsets: the group's count plus one entries */
  ARG_OUTPUT = 16,   /* a list the body may fill: anything else given is refused
                      * up front, also when the call has nothing to write */
};

enum { WRAPPER_MAX_ARGS = 28, WRAPPER_GROUPS = 10 };

/* One argument: its keyword, element kind, count group (arrays of one group
 * share a count slot; -1 none) and use. A start array also names the group
 * whose count is its last entry (ends: the number of matrix elements). */
struct WrapperArg {
  const char *keyword;
  int kind;
  int group;
  unsigned use;
  int ends;
};

/* When the required-argument test is made. */
enum WrapperCheck {
  CHECK_BEFORE = 0,        /* before any conversion */
  CHECK_AFTER = 1,         /* after the conversions */
  CHECK_BEFORE_PARSED = 2, /* before any conversion, and a parse failure says the same */
};

struct WrapperCall;
typedef PyObject *(*WrapperBody)(WrapperCall &call);

struct WrapperSpec {
  const char *format;   /* PyArg_ParseTupleAndKeywords format */
  const char *required; /* message of the required-argument test, or NULL */
  WrapperCheck check;
  bool push;            /* the objects' pending changes reach the library first */
  WrapperBody body;
  std::vector<WrapperArg> args;
  /* Runs after parsing and the required-argument test, before the
   * conversions (group tests, counts fixed from the problem). 0 or -1. */
  int (*prepare)(WrapperCall &call) = nullptr;
  /* The problem whose objects the arrays name, for methods of another class
   * than quorva.problem (NULL: self is the problem). */
  problem_s *(*owner)(PyObject *self) = nullptr;
};

/* One parsed argument, whatever its format letter. */
union WrapperSlot {
  PyObject *object;
  double number;
  int integer;
  long long wide;
  const char *text;
};

/* The record of one call: parsed values, converted arrays and indices,
 * count slots and the outputs to write. Owns every array it holds. */
struct WrapperCall {
  problem_s *problem;
  PyObject *self;
  const WrapperSpec &spec;
  WrapperSlot slot[WRAPPER_MAX_ARGS];
  void *arrays[WRAPPER_MAX_ARGS] = {};
  int index[WRAPPER_MAX_ARGS] = {};
  int64_t count[WRAPPER_GROUPS];

  WrapperCall(PyObject *self, const WrapperSpec &spec);
  ~WrapperCall();
  WrapperCall(const WrapperCall &) = delete;
  WrapperCall &operator=(const WrapperCall &) = delete;

  QRVAprob qprob() const { return problem->qprob; }
  /* Whether argument i was given as something other than None. */
  bool given(int i) const { return slot[i].object && slot[i].object != Py_None; }
  PyObject *object(int i) const { return slot[i].object; }
  template <typename T>
  T *in(int i) const {
    return static_cast<T *>(arrays[i]);
  }
  /* The count of a group as the library's int. */
  int n(int group) const { return count[group] < 0 ? 0 : (int)count[group]; }

  /* Room for n elements of the output of argument i (its kind says how they
   * are written), or NULL when the caller passed no list for it. The first
   * `written` elements (n by default) go into the list after the body
   * succeeds. NULL with MemoryError sets *failed. */
  template <typename T>
  T *out(int i, int64_t n, bool *failed) {
    return static_cast<T *>(output(i, n, sizeof(T), given(i), failed));
  }
  /* As out(), for elements of `width` bytes. */
  void *outBytes(int i, int64_t n, size_t width, bool *failed) { return output(i, n, width, given(i), failed); }
  /* As out(), allocated whether or not a list was given (the library then
   * fills every array of the call). */
  template <typename T>
  T *all(int i, int64_t n, bool *failed) {
    return static_cast<T *>(output(i, n, sizeof(T), true, failed));
  }
  /* Converts argument i (declared ARG_PLAIN, for bodies that fix its count
   * themselves) with the count slot given. 0, or -1 with an error set. */
  int convert(int i, int64_t *slot) {
    return conv_obj2arr(problem, slot, object(i), &arrays[i], spec.args[(size_t)i].kind);
  }
  /* Argument i, parsed as a C long ('l'), as the library's int. 0, or -1
   * with OverflowError naming its keyword. */
  int longAsInt(int i, int *value) const;
  /* Changes how many elements of output i are written. */
  void written(int i, int64_t n);

  /* An integer attribute of the problem. 0, or -1 with the library's
   * error left to setQrvaErrIfNull. */
  int attribute(int id, int *value) const;
  /* Arguments first and last as rows or columns (kind 0 or 1), each an
   * index, a name or an object. With defaults (two entries), an argument
   * absent or None takes its default; without, None is refused.
   * 0, or -1 with an error set. */
  int range(int first_arg, int last_arg, int kind, const int *defaults, int *first, int *last);

  /* None after a library call that returned 0, else NULL. */
  PyObject *done(int rc) const { return rc == 0 ? newNone() : nullptr; }
  /* NULL with quorva.InterfaceError and the message. */
  static PyObject *interfaceError(const char *message);

 private:
  struct Output {
    int arg;
    int64_t n;
    HeapArray<char> data;
  };
  std::vector<Output> outputs_;
  void *output(int i, int64_t n, size_t width, bool wanted, bool *failed);
  friend PyObject *runWrapper(const WrapperSpec &spec, PyObject *self, PyObject *args, PyObject *kwargs);
  int writeOutputs();
};

PyObject *runWrapper(const WrapperSpec &spec, PyObject *self, PyObject *args, PyObject *kwargs);

/* A prepare step: group 0 counts the rows, group 1 the columns of the
 * original problem (attributes 1124 and 1214). 0, or -1. */
int wrapperOriginalSizes(WrapperCall &call);
/* As wrapperOriginalSizes, for the problem as it stands (the presolved one
 * while it is presolved). */
int wrapperPresolvedSizes(WrapperCall &call);

/* Runs a long library call (call() returns its code) with the interpreter
 * lock released and the interrupt handler in force; both are undone, in
 * that order, on every path before an error is reported. A callback that
 * raised during the call left its exception pending. */
template <class Call>
PyObject *wrapperReleased(WrapperCall &c, Call call) {
  if (problem_beginSolve(c.problem) != 0) return nullptr;
  PyThreadState *thread = PyEval_SaveThread();
  setSigIntHandler();
  int rc = call();
  resetSigIntHandler();
  PyEval_RestoreThread(thread);
  problem_endSolve(c.problem);
  if (rc != 0 || PyErr_Occurred()) return nullptr;
  return newNone();
}

/* The Python function of a declared method. */
template <const WrapperSpec &S>
PyObject *wrapperMethod(PyObject *self, PyObject *args, PyObject *kwargs) {
  return runWrapper(S, self, args, kwargs);
}

#define QRVA_WRAPPER(name, spec, doc)                                                                             \
  {                                                                                                              \
    name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)(void)>(QRVA_ENTRY(wrapperMethod<spec>))),      \
        METH_VARARGS | METH_KEYWORDS, doc                                                                        \
  }

#endif
