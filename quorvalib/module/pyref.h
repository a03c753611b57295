/* Small C++ owners that make the CPython C API safe to use from the module:
 * an owning reference for PyObject*, a guard for the module's busy-flag
 * locks, and a holder for arrays taken from the module's heap. Each frees
 * what it owns when it goes out of scope, so every exit path is covered. */
#ifndef QUORVA_PYREF_H
#define QUORVA_PYREF_H

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>
#include <cstddef>

/* Owns one reference. Construct from a new reference (or NULL); use
 * PyRef::borrow() to take an extra reference to a borrowed pointer. */
class PyRef {
 public:
  PyRef() noexcept : obj_(nullptr) {}
  explicit PyRef(PyObject *new_reference) noexcept : obj_(new_reference) {}
  PyRef(const PyRef &) = delete;
  PyRef &operator=(const PyRef &) = delete;
  PyRef(PyRef &&other) noexcept : obj_(other.obj_) { other.obj_ = nullptr; }
  PyRef &operator=(PyRef &&other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~PyRef() { Py_XDECREF(obj_); }

  static PyRef borrow(PyObject *borrowed) noexcept {
    Py_XINCREF(borrowed);
    return PyRef(borrowed);
  }

  PyObject *get() const noexcept { return obj_; }
  explicit operator bool() const noexcept { return obj_ != nullptr; }

  /* Hands the reference to the caller. */
  PyObject *release() noexcept {
    PyObject *obj = obj_;
    obj_ = nullptr;
    return obj;
  }
  void reset(PyObject *new_reference = nullptr) noexcept {
    PyObject *old = obj_;
    obj_ = new_reference;
    Py_XDECREF(old);
  }

 private:
  PyObject *obj_;
};

/* A new reference to None, for results of operations that return nothing. */
static inline PyObject *newNone() {
  Py_INCREF(Py_None);
  return Py_None;
}

/* A module busy-flag lock: 0 when free. The interpreter lock is held around
 * all module code, so these only keep re-entered code (a callback or a
 * destructor running inside a module operation) from interleaving with an
 * update of shared values. They are held for short reads and writes only,
 * never across a solve or a call into Python code. */
struct QrvaLock {
  std::atomic<int> flag{0};
};

class LockGuard {
 public:
  explicit LockGuard(QrvaLock &lock) noexcept : lock_(lock) {
    int expected = 0;
    while (!lock_.flag.compare_exchange_weak(expected, 1, std::memory_order_acquire))
      expected = 0;
  }
  ~LockGuard() { lock_.flag.store(0, std::memory_order_release); }
  LockGuard(const LockGuard &) = delete;
  LockGuard &operator=(const LockGuard &) = delete;

 private:
  QrvaLock &lock_;
};

#endif
