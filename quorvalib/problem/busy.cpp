#include "problem/busy.h"

#include "module/errors.h"

#include <utility>

int problem_enter(problem_s *problem) {
  if (problem->view == PROBLEM_VIEW_GONE) {
    PyErr_SetString(qpy_model_exc,
                    "This problem was given to a callback that has returned; it cannot be used after the callback");
    return -1;
  }
  if (!problem->solving || problem->solving_thread == PyThread_get_thread_ident()) return 0;
  PyErr_SetString(qpy_model_exc, "The problem is being solved in another thread; use it again when solve() returns");
  return -1;
}

int problem_beginSolve(problem_s *problem) {
  if (problem_enter(problem) != 0) return -1;
  if (problem->solving || problem->view != PROBLEM_OWN) {
    PyErr_SetString(qpy_model_exc, "The problem is already being solved; solve() cannot be called from within it");
    return -1;
  }
  problem->solving = 1;
  problem->solving_thread = PyThread_get_thread_ident();
  return 0;
}

void problem_endSolve(problem_s *problem) {
  problem->solving = 0;
  problem->solving_thread = 0;
}

void problem_keepCallbackError(problem_s *problem) {
  if (!PyErr_Occurred()) return;
  if (problem->cb_error[0]) {
    PyErr_Clear(); /* the first one stopped the solve; it is the one raised */
    return;
  }
  PyErr_Fetch(&problem->cb_error[0], &problem->cb_error[1], &problem->cb_error[2]);
  PyErr_NormalizeException(&problem->cb_error[0], &problem->cb_error[1], &problem->cb_error[2]);
  if (problem->cb_error[2]) PyException_SetTraceback(problem->cb_error[1], problem->cb_error[2]);
}

PyObject *problem_leave(problem_s *problem, PyObject *result) {
  /* A solve of this problem still running (this method was called from one
   * of its callbacks) raises the error when it returns itself. */
  if (!problem->cb_error[0] || problem->solving) return result;
  Py_XDECREF(result);
  PyErr_Clear();
  PyErr_Restore(problem->cb_error[0], problem->cb_error[1], problem->cb_error[2]);
  problem->cb_error[0] = problem->cb_error[1] = problem->cb_error[2] = nullptr;
  return nullptr;
}

namespace {

/* Room for the class's methods (the library-named families make them many);
 * preparing the type fails loudly beyond it. */
constexpr size_t kMaxGuarded = 384;
PyMethodDef originals[kMaxGuarded];

template <size_t I>
PyObject *guardedCall(PyObject *self, PyObject *args) {
  if (problem_enter(PROBLEM(self)) != 0) return nullptr;
  return problem_leave(PROBLEM(self), originals[I].ml_meth(self, args));
}

template <size_t I>
PyObject *guardedCallKeywords(PyObject *self, PyObject *args, PyObject *kwargs) {
  if (problem_enter(PROBLEM(self)) != 0) return nullptr;
  return problem_leave(PROBLEM(self), reinterpret_cast<PyCFunctionWithKeywords>(
                                          reinterpret_cast<void (*)()>(originals[I].ml_meth))(self, args, kwargs));
}

template <size_t... I>
constexpr std::pair<PyCFunction, PyCFunctionWithKeywords> trampolineAt(size_t i, std::index_sequence<I...>) {
  constexpr PyCFunction plain[] = {guardedCall<I>...};
  constexpr PyCFunctionWithKeywords keywords[] = {guardedCallKeywords<I>...};
  return {plain[i], keywords[i]};
}

}  // namespace

void problem_guardMethods(std::vector<PyMethodDef> &methods) {
  size_t i = 0;
  for (PyMethodDef &m : methods) {
    if (!m.ml_name) continue;
    if (i == kMaxGuarded) Py_FatalError("quorva.problem has more methods than its guard can hold");
    originals[i] = m;
    auto trampolines = trampolineAt(i, std::make_index_sequence<kMaxGuarded>());
    m.ml_meth = (m.ml_flags & METH_KEYWORDS)
                    ? reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(trampolines.second))
                    : trampolines.first;
    ++i;
  }
}
