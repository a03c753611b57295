/* The module's boundaries: where Python calls into the module (methods,
 * type slots, NumPy loops) and where a library calls back into it
 * (trampolines). No C++ exception crosses a boundary, no result leaves
 * beside a pending Python exception, and a trampoline holds the interpreter
 * lock for as long as any Python reference of its own lives. */
#ifndef QUORVA_BOUNDARY_H
#define QUORVA_BOUNDARY_H

#include "module/pyref.h"

#include <type_traits>

/* Sets the Python exception for the C++ exception being handled: MemoryError
 * for an allocation failure, InterfaceError with its text for any other.
 * Only to be called inside a catch block. */
void setPyErrFromCxx() noexcept;

/* Holds the interpreter lock for one scope. Declared before every owning
 * reference of a trampoline, it is released after all of them. */
class GilScope {
 public:
  GilScope() noexcept : state_(PyGILState_Ensure()) {}
  ~GilScope() { PyGILState_Release(state_); }
  GilScope(const GilScope &) = delete;
  GilScope &operator=(const GilScope &) = delete;

 private:
  PyGILState_STATE state_;
};

/* What an entry point gives Python when it failed: NULL or -1; nothing for
 * the void ones (NumPy's loops, which report through the pending error). */
template <class R>
R entryFailure() noexcept {
  if constexpr (std::is_pointer_v<R>)
    return nullptr;
  else if constexpr (!std::is_void_v<R>)
    return static_cast<R>(-1);
}

/* A result that claims success while an exception is pending (a library
 * call ran a Python handler that raised) becomes the failure, so that the
 * handler's exception reaches the caller. */
template <class R>
R entryResult(R result) noexcept {
  if constexpr (std::is_pointer_v<R>) {
    if (result && PyErr_Occurred()) {
      Py_DECREF(reinterpret_cast<PyObject *>(result));
      return nullptr;
    }
  } else {
    if (result != static_cast<R>(-1) && PyErr_Occurred()) return static_cast<R>(-1);
  }
  return result;
}

/* An exception a Python handler raised while the library ran, set aside
 * for one scope, in which the module brings its own objects in line with
 * what the library did (Python code must not run with an exception
 * pending), and raised again at its end: it wins over the scope's own
 * result and errors, and entryResult turns the method into a failure. */
class HandlerErrorAside {
 public:
  HandlerErrorAside() noexcept { PyErr_Fetch(&type_, &value_, &traceback_); }
  ~HandlerErrorAside() {
    if (type_) PyErr_Restore(type_, value_, traceback_);
  }
  HandlerErrorAside(const HandlerErrorAside &) = delete;
  HandlerErrorAside &operator=(const HandlerErrorAside &) = delete;

 private:
  PyObject *type_, *value_, *traceback_;
};

/* PyEntry<f>::call has f's signature and runs f inside the boundary; every
 * function the module hands to Python goes through it (QRVA_ENTRY). */
template <auto F>
struct PyEntry;

template <class R, class... A, R (*F)(A...)>
struct PyEntry<F> {
  static R call(A... args) noexcept {
    try {
      if constexpr (std::is_void_v<R>)
        F(args...);
      else
        return entryResult<R>(F(args...));
    } catch (...) {
      setPyErrFromCxx();
    }
    return entryFailure<R>();
  }
};

/* Destruction runs while other exceptions may be pending and cannot fail:
 * a C++ exception there is reported as unraisable, the pending one kept. */
void reportDeallocFailure() noexcept;

template <auto F>
struct PyDealloc;

template <class T, void (*F)(T *)>
struct PyDealloc<F> {
  static void call(PyObject *self) noexcept {
    try {
      F(reinterpret_cast<T *>(self));
    } catch (...) {
      reportDeallocFailure();
    }
  }
};

#define QRVA_ENTRY(f) (&PyEntry<f>::call)
#define QRVA_DEALLOC(f) (&PyDealloc<f>::call)
/* A method table's entry: PyMethodDef holds every calling convention
 * (with keywords, fast calls) as a PyCFunction. */
#define QRVA_METHOD(f) reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(QRVA_ENTRY(f)))

/* The body of a trampoline: takes the interpreter lock, runs body() and
 * gives its result; a C++ exception becomes the pending Python exception
 * and the result `failed`. The body's references die before the lock goes. */
template <class Body>
auto inTrampoline(decltype(std::declval<Body>()()) failed, Body &&body) noexcept {
  GilScope gil;
  try {
    return body();
  } catch (...) {
    setPyErrFromCxx();
    return failed;
  }
}

#endif
