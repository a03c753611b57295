/* The problem methods of the callback table: addcb<kind> and
 * removecb<kind> for the optimizer's kinds, setcb<kind> for the SLP's, and
 * copycallbacks. One definition each, instantiated per kind. */
#include "callbacks/kinds.h"
#include "callbacks/registry.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/errors.h"
#include "model/types.h"

namespace {

/* A callback's view cannot own entries: it is gone when the callback returns. */
bool refuseOnView(problem_s *problem) {
  if (problem->view == PROBLEM_OWN) return false;
  PyErr_SetString(qpy_model_exc,
                  "Callbacks cannot be added or removed on the problem given to a callback; use the problem itself");
  return true;
}

PyObject *addCallbackMethod(PyObject *self, int kind, PyObject *args, PyObject *kwargs) {
  static const char *keywords[] = {"callback", "data", "priority", nullptr};
  PyObject *callable = nullptr, *data = Py_None;
  long priority = 0;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O|Ol", const_cast<char **>(keywords), &callable, &data,
                                   &priority) ||
      !PyCallable_Check(callable)) {
    PyErr_Clear();
    PyErr_SetString(qpy_interf_exc, "Cannot add callback");
    return nullptr;
  }
  problem_s *problem = PROBLEM(self);
  if (refuseOnView(problem)) return nullptr;
  if (callbackInList(problem, problem->callbacks, kind, callable, data, priority) != 0)
    return setQrvaErrIfNull(self, nullptr);
  return newNone();
}

PyObject *removeCallbackMethod(PyObject *self, int kind, PyObject *args, PyObject *kwargs) {
  static const char *keywords[] = {"callback", "data", nullptr};
  PyObject *callable = nullptr, *data = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|OO", const_cast<char **>(keywords), &callable, &data) ||
      (callable && callable != Py_None && !PyCallable_Check(callable))) {
    PyErr_Clear();
    PyErr_SetString(qpy_interf_exc, "Cannot remove callback");
    return nullptr;
  }
  problem_s *problem = PROBLEM(self);
  if (refuseOnView(problem)) return nullptr;
  if (removeCallback(problem, &problem->callbacks[kind], callable, data, kind, 1) != 0)
    return setQrvaErrIfNull(self, nullptr);
  return newNone();
}

template <int K>
PyObject *addMethod(PyObject *self, PyObject *args, PyObject *kwargs) {
  return addCallbackMethod(self, K, args, kwargs);
}

template <int K>
PyObject *removeMethod(PyObject *self, PyObject *args, PyObject *kwargs) {
  return removeCallbackMethod(self, K, args, kwargs);
}

PyObject *copycallbacksMethod(PyObject *self, PyObject *args, PyObject *kwargs) {
  static const char *keywords[] = {"src", nullptr};
  PyObject *source = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O", const_cast<char **>(keywords), &source) ||
      !problem_check(source) || !PROBLEM(source)->qprob || !PROBLEM(self)->qprob) {
    PyErr_Clear();
    PyErr_SetString(qpy_interf_exc, "copycallbacks() must be called with the source problem as argument");
    return nullptr;
  }
  if (refuseOnView(PROBLEM(self))) return nullptr;
  if (py_copycallbacks(PROBLEM(self), PROBLEM(source)) != 0) return setQrvaErrIfNull(self, nullptr);
  return newNone();
}

}  // namespace

#define QRVA_PY_CALLBACK_ARGUMENTS                                                                             \
  "callback: a function called as callback(prob, data, ...), prob being the problem as the library sees it " \
  "at that moment (use it for queries during the call only); data: any object, passed as is; priority: "     \
  "callbacks of higher priority are called first, equal ones in the order they were added."

#define QRVA_PY_ADD_METHOD(name)                                                                                 \
  {"addcb" #name, QRVA_METHOD(addMethod<CBKIND_##name>), METH_VARARGS | METH_KEYWORDS,                        \
   QRVA_DOC("Adds a Python function to the problem's " #name " callbacks.",                                     \
            "p.addcb" #name "(callback, data=None, priority=0)", QRVA_PY_CALLBACK_ARGUMENTS,                    \
            "p.addcb" #name "(f, data=None, priority=1)",                                                        \
            "The same function may be added several times; each addition is called. A function that raises "   \
            "stops the solve, and the solving method raises its exception.",                                    \
            "removecb" #name ", copycallbacks")},                                                               \
  {"removecb" #name, QRVA_METHOD(removeMethod<CBKIND_##name>), METH_VARARGS | METH_KEYWORDS,                  \
   QRVA_DOC("Removes functions from the problem's " #name " callbacks.", "p.removecb" #name "(callback=None, data=None)", \
            "callback: the function to remove (None: any); data: the data it was added with (None: any).",     \
            "p.removecb" #name "(f)",                                                                            \
            "Every addition whose function and data are the very objects given is removed; without arguments " \
            "all of them. A function or data that matches nothing raises quorva.InterfaceError.",              \
            "addcb" #name)},

#define QRVA_PY_SET_METHOD(name)                                                                                  \
  {"setcb" #name, QRVA_METHOD(addMethod<CBKIND_##name>), METH_VARARGS | METH_KEYWORDS,                          \
   QRVA_DOC("Sets the Python function of the problem's " #name " callback for nonlinear solves.",                 \
            "p.setcb" #name "(callback, data=None, priority=0)", QRVA_PY_CALLBACK_ARGUMENTS,                      \
            "p.setcb" #name "(f)",                                                                                \
            "The nonlinear solver calls only the function set last; the priority is not used.", "copycallbacks")},

PyMethodDef problem_callbackMethods[] = {
    QRVA_PY_FOR_OPT_KINDS(QRVA_PY_ADD_METHOD) QRVA_PY_FOR_SLP_KINDS(QRVA_PY_SET_METHOD)
    {"copycallbacks", QRVA_METHOD(copycallbacksMethod), METH_VARARGS | METH_KEYWORDS,
     QRVA_DOC("Gives this problem the callbacks of another problem.", "p.copycallbacks(src)",
              "src: the problem whose callbacks are added to this one.", "q.copycallbacks(p)",
              "Each function is added with its data and priority, as if addcb or setcb had been called on this "
              "problem; the callbacks this problem had stay.",
              "copy, addcbmessage")},
    {nullptr, nullptr, 0, nullptr},
};
