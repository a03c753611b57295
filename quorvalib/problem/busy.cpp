#include "problem/busy.h"

#include "module/errors.h"

#include <utility>

int problem_enter(problem_s *problem) {
  if (!problem->solving || problem->solving_thread == PyThread_get_thread_ident()) return 0;
  PyErr_SetString(qpy_model_exc, "The problem is being solved in another thread; use it again when solve() returns");
  return -1;
}

int problem_beginSolve(problem_s *problem) {
  if (problem_enter(problem) != 0) return -1;
  if (problem->solving) {
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

namespace {

/* Room for the class's methods (the library-named families make them many);
 * preparing the type fails loudly beyond it. */
constexpr size_t kMaxGuarded = 384;
PyMethodDef originals[kMaxGuarded];

template <size_t I>
PyObject *guardedCall(PyObject *self, PyObject *args) {
  if (problem_enter(PROBLEM(self)) != 0) return nullptr;
  return originals[I].ml_meth(self, args);
}

template <size_t I>
PyObject *guardedCallKeywords(PyObject *self, PyObject *args, PyObject *kwargs) {
  if (problem_enter(PROBLEM(self)) != 0) return nullptr;
  return reinterpret_cast<PyCFunctionWithKeywords>(reinterpret_cast<void (*)()>(originals[I].ml_meth))(self, args,
                                                                                                        kwargs);
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
