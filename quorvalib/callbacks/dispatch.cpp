/* The trampolines. Every one runs inside inTrampoline, which holds the
 * interpreter lock from before the first reference is taken to after the
 * last one is let go, whichever thread of the library calls. A callable
 * that raises stops the solve: its exception is kept in the owning problem
 * (the thread may be a worker of the library, whose thread state nobody
 * reads), the library is asked to stop, no later callback of the problem
 * runs, and the problem's method raises it when the library returns. */
#include "callbacks/dispatch.h"

#include "branching/branchobj.h"
#include "callbacks/registry.h"
#include "callbacks/view.h"
#include "model/types.h"
#include "module/boundary.h"
#include "module/numpy_api.h"
#include "problem/busy.h"

#include <climits>
#include <cstring>

namespace {

/* One call of a Python callback, from setup to outro. */
struct WrapperCall {
  QRVAprob qprob = nullptr; /* the library's current optimizer problem */
  QSLPprob slp = nullptr;   /* the SLP problem for SLP kinds */
  PyRef entry, owner, callable, data, view;
  ~WrapperCall();
};

void interruptSolve(const WrapperCall &call, bool slp_interrupt) {
  if (slp_interrupt && call.slp)
    QSLPinterrupt(call.slp, QRVA_STOP_USER);
  else if (call.qprob)
    QRVAinterrupt(call.qprob, QRVA_STOP_USER);
}

/* The callable raised (or its result could not be used): the exception
 * goes to the owner, the message to standard error, the solve stops. */
void callbackFailed(const WrapperCall &call, const char *message, bool slp_interrupt) {
  problem_keepCallbackError(PROBLEM(call.owner.get()));
  if (message) PySys_WriteStderr("%s", message);
  interruptSolve(call, slp_interrupt);
}

/* A result of the wrong shape: reported as the callable's own error. */
void rejectResult(const WrapperCall &call, const char *message, bool slp_interrupt) {
  PyErr_SetString(PyExc_TypeError, message);
  callbackFailed(call, message, slp_interrupt);
}

/* common_wrapper_setup: 0 when the callable may run, 1 when the entry was
 * removed meanwhile (nothing runs, the solve goes on), -1 when an earlier
 * callback of the solve failed or the view could not be made (the solve is
 * asked to stop). `items`: 4 for callback entries, 3 for solvecb's. */
int common_wrapper_setup(WrapperCall &call, QRVAprob prob, QSLPprob slp, void *data, Py_ssize_t items = 4) {
  call.qprob = prob;
  call.slp = slp;
  if (slp && !prob) {
    void *under = nullptr;
    if (QSLPgetptrattrib(slp, QSLP_OPTIMIZERPROBLEM, &under) == 0) call.qprob = static_cast<QRVAprob>(under);
  }
  call.entry = claimEntry(data);
  PyObject *entry = call.entry.get();
  if (!entry || !PyList_Check(entry) || PyList_GET_SIZE(entry) < items || !problem_check(PyList_GET_ITEM(entry, 0)))
    return 1;
  call.owner = PyRef::borrow(PyList_GET_ITEM(entry, 0));
  if (PROBLEM(call.owner.get())->cb_error[0] || PyErr_Occurred()) {
    interruptSolve(call, false);
    return -1;
  }
  /* Own references: the callable may remove its own entry. */
  call.callable = PyRef::borrow(PyList_GET_ITEM(entry, 1));
  call.data = PyRef::borrow(PyList_GET_ITEM(entry, 2));
  call.view.reset(problem_view_new(PROBLEM(call.owner.get()), call.qprob, slp));
  if (!call.view) {
    callbackFailed(call, nullptr, false);
    return -1;
  }
  return 0;
}

/* common_wrapper_outro: the view keeps nothing, whatever Python kept of it. */
WrapperCall::~WrapperCall() {
  if (view) problem_view_dismiss(PROBLEM(view.get()));
}

/* Calls the callable with (view, data, ...): format builds the whole tuple. */
template <class... A>
PyRef invoke(const WrapperCall &call, const char *format, A... args) {
  PyRef arguments(Py_BuildValue(format, call.view.get(), call.data.get(), args...));
  if (!arguments) return PyRef();
  return PyRef(PyObject_CallObject(call.callable.get(), arguments.get()));
}

bool isInteger(PyObject *value) { return PyLong_Check(value) || PyArray_IsScalar(value, Integer); }
bool isNumber(PyObject *value) { return isInteger(value) || PyFloat_Check(value); }

/* The integer a callable returned: its value for an int or a NumPy integer,
 * fallback for None, -1 for anything else. */
int integerResult(PyObject *result, int fallback) {
  if (result == Py_None) return fallback;
  if (!isInteger(result)) return -1;
  PyRef number(PyNumber_Index(result));
  long value = number ? PyLong_AsLong(number.get()) : -1;
  if (value == -1 && PyErr_Occurred()) PyErr_Clear();
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value;
}

/* common_wrapper: the callable gets (view, data); its integer result goes
 * to *result when given. 0 after a call, 1 when nothing ran, -1 after a
 * failure. */
int common_wrapper(QRVAprob prob, QSLPprob slp, void *data, int *result, int fallback) {
  return inTrampoline(-1, [&]() -> int {
    WrapperCall call;
    if (int ready = common_wrapper_setup(call, prob, slp, data)) return ready;
    PyRef value = invoke(call, "(OO)");
    if (!value) {
      callbackFailed(call, "Problem in callback, stopping optimization\n", false);
      return -1;
    }
    if (result) *result = integerResult(value.get(), fallback);
    return 0;
  });
}

/* What a kind that returns its result gives the library. */
int returned(int rc, int value) { return rc == 0 ? value : rc > 0 ? 0 : -1; }

/* A kind with arguments of its own: setup, invoke with format and args,
 * then convert(call, result) gives the value for the library. `message` on
 * a failed call; `skipped` when nothing ran, `failed` after a failure. */
template <class Convert, class... A>
int dispatch(QRVAprob prob, QSLPprob slp, void *data, const char *message, int skipped, int failed,
             Convert &&convert, const char *format, A... args) {
  return inTrampoline(failed, [&]() -> int {
    WrapperCall call;
    if (int ready = common_wrapper_setup(call, prob, slp, data)) return ready > 0 ? skipped : failed;
    PyRef value = invoke(call, format, args...);
    if (!value) {
      callbackFailed(call, message, slp != nullptr);
      return failed;
    }
    return convert(call, value.get());
  });
}

/* Library text as str, decoded leniently; None for a null pointer. */
PyRef textObject(const char *text) {
  return PyRef(text ? PyUnicode_DecodeUTF8(text, (Py_ssize_t)strlen(text), "replace") : newNone());
}

/* The Python object given with a multistart job, or None. */
PyObject *jobObject(void *job) { return job ? static_cast<PyObject *>(job) : Py_None; }

const auto ignoreResult = [](const WrapperCall &, PyObject *) { return 0; };
const auto integerOrFailed = [](const WrapperCall &, PyObject *result) { return integerResult(result, 0); };

/* A float result into *out (None leaves it); 0, or -1 when it is no number. */
auto floatInto(double *out, const char *message) {
  return [out, message](const WrapperCall &call, PyObject *result) {
    if (result == Py_None) return 0;
    double value = PyFloat_AsDouble(result);
    if (value == -1.0 && PyErr_Occurred()) {
      callbackFailed(call, message, true);
      return -1;
    }
    if (out) *out = value;
    return 0;
  };
}

/* A tuple of `count` numbers or None: each number into *targets[i].
 * first_integer: item 0 must be an integer (or None) and goes to *flag. */
bool numberTuple(PyObject *result, Py_ssize_t count, bool first_integer) {
  if (!PyTuple_Check(result) || PyTuple_GET_SIZE(result) != count) return false;
  for (Py_ssize_t i = 0; i < count; ++i) {
    PyObject *item = PyTuple_GET_ITEM(result, i);
    if (item != Py_None && !(i == 0 && first_integer ? isInteger(item) : isNumber(item))) return false;
  }
  return true;
}

void detachBranchobj(PyObject *object) {
  branchobj_s *b = reinterpret_cast<branchobj_s *>(object);
  b->handle = nullptr;
  Py_CLEAR(b->problem);
}

PyObject *branchobjFor(QRVAbranchobject bo, PyObject *view) {
  PyObject *object = branchobj_base();
  if (!object) return nullptr;
  branchobj_s *b = reinterpret_cast<branchobj_s *>(object);
  b->handle = bo;
  Py_INCREF(view);
  b->problem = view;
  return object;
}

}  // namespace

/* ---- optimizer kinds ---- */

/* Kinds whose integer result goes into an out-parameter of the library. */
#define QRVA_PY_FLAG_TRAMPOLINE(kind)                                              \
  void wrapper_##kind(QRVAprob prob, void *data, int *flag) {                      \
    int value = 0;                                                                 \
    if (common_wrapper(prob, nullptr, data, &value, 0) == 0 && flag) *flag = value; \
  }
QRVA_PY_FLAG_TRAMPOLINE(bariteration)
QRVA_PY_FLAG_TRAMPOLINE(optnode)
QRVA_PY_FLAG_TRAMPOLINE(prenode)

/* Kinds whose integer result is returned to the library. */
#define QRVA_PY_RESULT_TRAMPOLINE(kind, handle, prob_arg, slp_arg)         \
  int wrapper_##kind(handle h, void *data) {                              \
    int value = 0; /* read only after the call has stored it */            \
    int rc = common_wrapper(prob_arg, slp_arg, data, &value, 0);           \
    return returned(rc, value);                                            \
  }
#define QRVA_PY_LOG_TRAMPOLINE(kind) QRVA_PY_RESULT_TRAMPOLINE(kind, QRVAprob, h, nullptr)
#define QRVA_PY_STAGE_TRAMPOLINE(kind) QRVA_PY_RESULT_TRAMPOLINE(kind, QSLPprob, nullptr, h)
QRVA_PY_LOG_TRAMPOLINE(barlog)
QRVA_PY_LOG_TRAMPOLINE(cutlog)
QRVA_PY_LOG_TRAMPOLINE(globallog)
QRVA_PY_LOG_TRAMPOLINE(lplog)
QRVA_PY_STAGE_TRAMPOLINE(slpstart)
QRVA_PY_STAGE_TRAMPOLINE(slpnode)
QRVA_PY_STAGE_TRAMPOLINE(slpend)
QRVA_PY_STAGE_TRAMPOLINE(iterstart)
QRVA_PY_STAGE_TRAMPOLINE(iterend)
QRVA_PY_STAGE_TRAMPOLINE(construct)
QRVA_PY_STAGE_TRAMPOLINE(destroy)
QRVA_PY_STAGE_TRAMPOLINE(cascadestart)
QRVA_PY_STAGE_TRAMPOLINE(cascadeend)

void wrapper_destroymt(QRVAprob prob, void *data) { common_wrapper(prob, nullptr, data, nullptr, 0); }
void wrapper_infnode(QRVAprob prob, void *data) { common_wrapper(prob, nullptr, data, nullptr, 0); }
void wrapper_intsol(QRVAprob prob, void *data) { common_wrapper(prob, nullptr, data, nullptr, 0); }

void wrapper_message(QRVAprob prob, void *data, const char *msg, int, int msgtype) {
  inTrampoline(0, [&]() -> int {
    PyRef text = textObject(msg);
    if (!text) return 0;
    return dispatch(prob, nullptr, data, "Problem in message() callback, stopping optimization\n", 0, 0,
                    ignoreResult, "(OOOi)", text.get(), msgtype);
  });
}

void wrapper_usersolnotify(QRVAprob prob, void *data, const char *solname, int status) {
  inTrampoline(0, [&]() -> int {
    PyRef name = textObject(solname);
    if (!name) return 0;
    return dispatch(prob, nullptr, data, "Problem in usersolnotify() callback, stopping optimization\n", 0, 0,
                    ignoreResult, "(OOOi)", name.get(), status);
  });
}

void wrapper_newnode(QRVAprob prob, void *data, int parentnode, int newnode, int branch) {
  dispatch(prob, nullptr, data, "Problem in newnode() callback, stopping optimization\n", 0, 0, ignoreResult,
           "(OOiii)", parentnode, newnode, branch);
}

void wrapper_nodecutoff(QRVAprob prob, void *data, int node) {
  dispatch(prob, nullptr, data, "Problem in nodecutoff() callback, stopping optimization\n", 0, 0, ignoreResult,
           "(OOi)", node);
}

void wrapper_preintsol(QRVAprob prob, void *data, int soltype, int *p_reject, double *p_cutoff) {
  auto store = [&](const WrapperCall &call, PyObject *result) {
    if (!numberTuple(result, 2, true)) {
      rejectResult(call, "Problem in PreIntSol callback: must return tuple of two elements, both being a number or None.\n",
                   false);
      return 0;
    }
    PyObject *reject = PyTuple_GET_ITEM(result, 0), *cutoff = PyTuple_GET_ITEM(result, 1);
    if (reject != Py_None && p_reject) *p_reject = integerResult(reject, 0);
    if (cutoff != Py_None && p_cutoff) *p_cutoff = PyFloat_AsDouble(cutoff);
    return 0;
  };
  dispatch(prob, nullptr, data, "Problem in preintsol() callback, stopping optimization\n", 0, 0, store, "(OOid)",
           soltype, p_cutoff ? *p_cutoff : 0.0);
}

void wrapper_gapnotify(QRVAprob prob, void *data, double *p_relgapnotifytarget, double *p_absgapnotifytarget,
                       double *p_absgapnotifyobjtarget, double *p_absgapnotifyboundtarget) {
  double *targets[] = {p_relgapnotifytarget, p_absgapnotifytarget, p_absgapnotifyobjtarget,
                       p_absgapnotifyboundtarget};
  auto store = [&](const WrapperCall &call, PyObject *result) {
    if (!numberTuple(result, 4, false)) {
      rejectResult(call, "Problem in GapNotify callback: must return tuple of four elements, each being a number or None.\n",
                   false);
      return 0;
    }
    for (Py_ssize_t i = 0; i < 4; ++i) {
      PyObject *item = PyTuple_GET_ITEM(result, i);
      if (item != Py_None && targets[i]) *targets[i] = PyFloat_AsDouble(item);
    }
    return 0;
  };
  dispatch(prob, nullptr, data, "Problem in gapnotify() callback, stopping optimization\n", 0, 0, store, "(OO)");
}

void wrapper_chgbranchobject(QRVAprob prob, void *data, QRVAbranchobject obranch, QRVAbranchobject *p_newobject) {
  inTrampoline(0, [&]() -> int {
    static const char *const failure = "Problem in chgbranchobject() callback, stopping optimization\n";
    WrapperCall call;
    if (common_wrapper_setup(call, prob, nullptr, data) != 0) return 0;
    PyRef given(branchobjFor(obranch, call.view.get()));
    if (!given) {
      callbackFailed(call, failure, false);
      return 0;
    }
    PyRef result = invoke(call, "(OOO)", given.get());
    if (!result) {
      callbackFailed(call, failure, false);
    } else if (Py_TYPE(result.get()) == &quorva_branchobjType) {
      /* The library owns the object from now on (or always did). */
      if (p_newobject) *p_newobject = reinterpret_cast<branchobj_s *>(result.get())->handle;
      detachBranchobj(result.get());
    } else {
      rejectResult(call, "returned object from chgbranchobject() should be a branching object\n", false);
    }
    detachBranchobj(given.get());
    return 0;
  });
}

void wrapper_mipthread(QRVAprob prob, void *data, QRVAprob threadprob) {
  inTrampoline(0, [&]() -> int {
    WrapperCall call;
    if (common_wrapper_setup(call, prob, nullptr, data) != 0) return 0;
    PyRef worker(problem_view_new(PROBLEM(call.owner.get()), threadprob, nullptr));
    PyRef result;
    if (worker) result = invoke(call, "(OOO)", worker.get());
    if (worker) problem_view_dismiss(PROBLEM(worker.get()));
    if (!result) callbackFailed(call, "Problem in mipthread() callback, stopping optimization\n", false);
    return 0;
  });
}

/* ---- SLP kinds with arguments ---- */

int wrapper_itervar(QSLPprob slp, void *data, int col) {
  return dispatch(nullptr, slp, data, "Problem in itervar() callback, stopping optimization\n", 0, -1,
                  ignoreResult, "(OOi)", col);
}

int wrapper_cascadevar(QSLPprob slp, void *data, int col) {
  return dispatch(nullptr, slp, data, "Problem in cascadevar() callback, stopping optimization\n", 0, -1,
                  integerOrFailed, "(OOi)", col);
}

int wrapper_cascadevarfail(QSLPprob slp, void *data, int col) {
  return dispatch(nullptr, slp, data, "Problem in cascadevarfail() callback, stopping optimization\n", 0, -1,
                  integerOrFailed, "(OOi)", col);
}

int wrapper_coefevalerror(QSLPprob slp, void *data, int row, int col) {
  return dispatch(nullptr, slp, data, "Problem in coefevalerror() callback, stopping optimization\n", 0, -1,
                  integerOrFailed, "(OOii)", row, col);
}

int wrapper_drcol(QSLPprob slp, void *data, int, int col, double value, double *p_newvalue, double lb, double ub) {
  static const char *const failure = "Problem in drcol() callback, stopping optimization\n";
  return dispatch(nullptr, slp, data, failure, 0, -1, floatInto(p_newvalue, failure), "(OOiddd)", col, value, lb,
                  ub);
}

int wrapper_formula(QSLPprob slp, void *data, double value, double *p_result) {
  static const char *const failure = "Problem in formula() callback, stopping optimization\n";
  return dispatch(nullptr, slp, data, failure, 0, -1, floatInto(p_result, failure), "(OOd)", value);
}

static int msjob(QSLPprob slp, void *data, void *jobobject, const char *jobdesc, int *p_status,
                 const char *failure) {
  return inTrampoline(-1, [&]() -> int {
    PyRef description = textObject(jobdesc);
    if (!description) return -1;
    auto status = [p_status](const WrapperCall &, PyObject *result) {
      if (p_status) *p_status = integerResult(result, 0);
      return 0;
    };
    return dispatch(nullptr, slp, data, failure, 0, -1, status, "(OOOO)", jobObject(jobobject), description.get());
  });
}

int wrapper_msjobstart(QSLPprob slp, void *data, void *jobobject, const char *jobdesc, int *p_status) {
  return msjob(slp, data, jobobject, jobdesc, p_status, "Problem in msjobstart() callback, stopping optimization\n");
}

int wrapper_msjobend(QSLPprob slp, void *data, void *jobobject, const char *jobdesc, int *p_status) {
  return msjob(slp, data, jobobject, jobdesc, p_status, "Problem in msjobend() callback, stopping optimization\n");
}

int wrapper_mswinner(QSLPprob slp, void *data, void *jobobject, const char *jobdesc) {
  return inTrampoline(-1, [&]() -> int {
    PyRef description = textObject(jobdesc);
    if (!description) return -1;
    return dispatch(nullptr, slp, data, "Problem in mswinner() callback, stopping optimization\n", 0, -1,
                    ignoreResult, "(OOOO)", jobObject(jobobject), description.get());
  });
}

/* ---- strong branching ---- */

int solvecb(QRVAprob prob, void *data, int bndindex) {
  return inTrampoline(0, [&]() -> int {
    WrapperCall call;
    if (common_wrapper_setup(call, prob, nullptr, data, 3) != 0) return 0;
    PyRef value = invoke(call, "(OOi)", bndindex);
    if (!value) {
      callbackFailed(call, "Problem in solvecb() callback function, stopping optimization", false);
      return 0;
    }
    return integerResult(value.get(), 0);
  });
}
