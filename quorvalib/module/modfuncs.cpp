/* Module functions: the environment's start and stop, its version, banner,
 * last error and checked mode, the module-wide control values, and the
 * global message handlers that receive every message of the environment. */
#include "module/modfuncs.h"

#include "branching/handles.h"
#include "callbacks/registry.h"
#include "module/boundary.h"
#include "module/docs.h"
#include "module/env.h"
#include "module/errors.h"

#include <climits>
#include <cstring>

static PyObject *quorvamod_init(PyObject *, PyObject *) {
  return setQrvaErrIfNull(nullptr, turnQRVAon(1) == 0 ? newNone() : nullptr);
}

static PyObject *quorvamod_free(PyObject *, PyObject *) {
  return setQrvaErrIfNull(nullptr, turnQRVAoff(1) == 0 ? newNone() : nullptr);
}

static PyObject *quorvamod_getversion(PyObject *, PyObject *) {
  char version[QRVA_PY_VERSIONBUF] = "";
  PyObject *result = nullptr;
  if (turnQRVAon(0) == 0 && QRVAgetversion(version) == 0) {
    version[sizeof version - 1] = '\0';
    result = PyUnicode_FromString(version);
  }
  return setQrvaErrIfNull(nullptr, result);
}

static PyObject *quorvamod_getbanner(PyObject *, PyObject *) {
  char banner[QRVA_PY_BANNERBUF] = "";
  PyObject *result = nullptr;
  if (turnQRVAon(0) == 0 && QRVAgetbanner(banner) == 0) {
    banner[sizeof banner - 1] = '\0';
    result = PyUnicode_FromString(banner);
  }
  return setQrvaErrIfNull(nullptr, result);
}

static PyObject *quorvamod_getlasterror(PyObject *, PyObject *) {
  char text[QRVA_PY_LASTERRBUF] = "";
  int code = 0, length = 0;
  PyObject *result = nullptr;
  if (turnQRVAon(0) == 0 && QRVA_ge_getlasterror(&code, text, sizeof text, &length) == 0) {
    text[sizeof text - 1] = '\0';
    result = Py_BuildValue("(iN)", code, qrva_py_text(text));
  }
  return setQrvaErrIfNull(nullptr, result);
}

static PyObject *quorvamod_getcheckedmode(PyObject *, PyObject *) {
  int checked = 0;
  PyObject *result = nullptr;
  if (turnQRVAon(0) == 0 && QRVAgetcheckedmode(&checked) == 0) result = PyBool_FromLong(checked);
  return setQrvaErrIfNull(nullptr, result);
}

static PyObject *quorvamod_setcheckedmode(PyObject *, PyObject *args) {
  PyObject *mode;
  PyObject *result = nullptr;
  /* Only True switches checked mode on: anything else, 1 included, is off. */
  if (PyArg_ParseTuple(args, "O", &mode) && turnQRVAon(0) == 0 &&
      QRVAsetcheckedmode(mode == Py_True ? 1 : 0) == 0)
    result = newNone();
  return setQrvaErrIfNull(nullptr, result);
}

static PyObject *quorvamod_setdefaultcontrol(PyObject *, PyObject *args) {
  PyObject *name;
  if (!PyArg_ParseTuple(args, "O", &name)) return setQrvaErrIfNull(nullptr, nullptr);
  int rc;
  {
    LockGuard guard(lock_ctrltable);
    rc = PyDict_Contains(qrv_py_env.control_defaults, name);
    if (rc == 1) rc = PyDict_DelItem(qrv_py_env.control_defaults, name);
  }
  return setQrvaErrIfNull(nullptr, rc >= 0 ? newNone() : nullptr);
}

static PyObject *quorvamod_setdefaults(PyObject *, PyObject *) {
  {
    LockGuard guard(lock_ctrltable);
    PyDict_Clear(qrv_py_env.control_defaults);
  }
  return newNone();
}

/* Registers one [function, data, priority] entry with the library. */
static int registerMsgHandler(PyObject *entry) {
  int priority = (int)PyLong_AsLong(PyList_GET_ITEM(entry, 2));
  if (PyErr_Occurred()) return -1;
  return QRVA_ge_addcbmsghandler(wrapper_msghandler, entry, priority);
}

static PyObject *quorvamod_addcbmsghandler(PyObject *, PyObject *args) {
  PyObject *function, *data;
  long priority;
  /* A handler that cannot be called would fail at every message. */
  if (!PyArg_ParseTuple(args, "OOl", &function, &data, &priority) || priority < INT_MIN ||
      priority > INT_MAX || !PyCallable_Check(function)) {
    PyErr_Clear();
    PyErr_SetString(PyExc_RuntimeError,
                    "Incorrect arguments in addcbmsghandler. Must provide correct list of three arguments");
    return nullptr;
  }
  /* The priority stays in the entry: the library forgets its handlers when
   * its environment ends, and they are registered again when it restarts. */
  PyRef entry(Py_BuildValue("[OOl]", function, data, priority));
  if (!entry) return nullptr;
  /* Started first: a start registers the entries of the list again. */
  if (turnQRVAon(0) != 0) return setQrvaErrIfNull(nullptr, nullptr);
  int rc;
  {
    LockGuard guard(lock_env);
    rc = PyList_Append(qrv_py_env.msghandlers, entry.get());
  }
  if (rc != 0) return nullptr;
  if (registerMsgHandler(entry.get()) != 0) {
    /* Not registered: the list must not keep an entry the library never saw. */
    PyObject *pending_type, *pending_value, *pending_tb;
    PyErr_Fetch(&pending_type, &pending_value, &pending_tb);
    {
      LockGuard guard(lock_env);
      Py_ssize_t n = PyList_GET_SIZE(qrv_py_env.msghandlers);
      if (n > 0 && PyList_GET_ITEM(qrv_py_env.msghandlers, n - 1) == entry.get())
        PySequence_DelItem(qrv_py_env.msghandlers, n - 1);
    }
    PyErr_Restore(pending_type, pending_value, pending_tb);
    return setQrvaErrIfNull(nullptr, nullptr);
  }
  entryRegistered(entry.get());
  return newNone();
}

int reregisterMsgHandlers() {
  /* A copy of the list: registering runs no Python code, but the list must
   * not change under the walk. Removing first keeps a handler the library
   * still knows (its environment was started more than once) from being
   * registered twice; the order of the list keeps ties in their order. */
  PyRef handlers;
  {
    LockGuard guard(lock_env);
    handlers.reset(PyList_GetSlice(qrv_py_env.msghandlers, 0, PY_SSIZE_T_MAX));
  }
  if (!handlers) return -1;
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(handlers.get()); ++i) {
    PyObject *entry = PyList_GET_ITEM(handlers.get(), i);
    if (QRVA_ge_removecbmsghandler(wrapper_msghandler, entry) != 0 || registerMsgHandler(entry) != 0) {
      setQrvaErrIfNull(nullptr, nullptr);
      return -1;
    }
  }
  return 0;
}

static PyObject *quorvamod_removecbmsghandler(PyObject *, PyObject *args) {
  PyObject *function, *data;
  if (!PyArg_ParseTuple(args, "OO", &function, &data)) {
    PyErr_SetString(PyExc_RuntimeError,
                    "Incorrect arguments in removecbmsghandler. Must provide correct list of two arguments");
    return nullptr;
  }
  int rc = removeCallback(nullptr, &qrv_py_env.msghandlers, function, data, 0, 1);
  return setQrvaErrIfNull(nullptr, rc == 0 ? newNone() : nullptr);
}

void forgetMsgHandlers() {
  if (!qrv_py_env.msghandlers) return;
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(qrv_py_env.msghandlers); ++i) {
    PyObject *entry = PyList_GET_ITEM(qrv_py_env.msghandlers, i);
    QRVA_ge_removecbmsghandler(wrapper_msghandler, entry);
    entryUnregistered(entry);
  }
}

int wrapper_msghandler(QRVAobject sender, void *data, void *thread_context, const char *msg, int msglen,
                       int msgtype) {
  return inTrampoline(-3, [&]() -> int {
    /* A handler raised earlier: drop messages until Python sees the error. */
    if (PyErr_Occurred()) return 0;
    if (!data) {
      PyErr_SetString(PyExc_RuntimeError, "Incorrect general environment message handler detected");
      return -3;
    }
    /* Removed meanwhile (by a handler, or by another thread during this
     * delivery): the entry may be gone, so it is left alone. */
    PyRef entry = claimEntry(data);
    if (!entry) return 0;
    if (!PyList_Check(entry.get()) || PyList_GET_SIZE(entry.get()) < 2) {
      PyErr_SetString(PyExc_RuntimeError, "Incorrect general environment message handler detected");
      return -3;
    }
    /* Own references: the handler may remove itself while it runs. */
    PyRef function = PyRef::borrow(PyList_GET_ITEM(entry.get(), 0));
    PyRef handler_data = PyRef::borrow(PyList_GET_ITEM(entry.get(), 1));
    PyRef sender_object(qrvaobject_create(sender));
    PyRef context(voidstar_create(thread_context));
    /* Messages are decoded leniently: a stray byte must not block every
     * later message behind a decoding error. */
    PyRef text(msg ? PyUnicode_DecodeUTF8(msg, (Py_ssize_t)strlen(msg), "replace") : newNone());
    if (!sender_object || !context || !text) return -3;
    PyRef call_args(Py_BuildValue("(OOOOll)", sender_object.get(), handler_data.get(), context.get(),
                                  text.get(), (long)msglen, (long)msgtype));
    if (!call_args) return -3;
    PyRef(PyObject_CallObject(function.get(), call_args.get()));
    return 0;
  });
}

PyMethodDef quorvamod_envMethods[] = {
    {"init", QRVA_METHOD(quorvamod_init), METH_NOARGS,
     QRVA_DOC("Starts the optimizer environment, even when it is already on.", "quorva.init()", "None.",
              "quorva.init()", "The environment starts by itself when the first problem is created; "
              "call this to start it explicitly.", "free, getversion")},
    {"free", QRVA_METHOD(quorvamod_free), METH_NOARGS,
     QRVA_DOC("Frees the optimizer environment.", "quorva.free()", "None.", "quorva.free()",
              "A later problem or module function starts the environment again.", "init")},
    {"getversion", QRVA_METHOD(quorvamod_getversion), METH_NOARGS,
     QRVA_DOC("Returns the version of the optimizer library.", "quorva.getversion()", "None.",
              "print(quorva.getversion())", "The version has the form major.minor.patch.", "getbanner")},
    {"getbanner", QRVA_METHOD(quorvamod_getbanner), METH_NOARGS,
     QRVA_DOC("Returns the banner of the optimizer library.", "quorva.getbanner()", "None.",
              "print(quorva.getbanner())", "The banner names the library, its version and the engine it runs on.",
              "getversion")},
    {"getlasterror", QRVA_METHOD(quorvamod_getlasterror), METH_NOARGS,
     QRVA_DOC("Returns the last error of the optimizer environment.", "(code, text) = quorva.getlasterror()",
              "None.", "code, text = quorva.getlasterror()",
              "The code is 0 and the text empty when no error occurred.", "getbanner")},
    {"getcheckedmode", QRVA_METHOD(quorvamod_getcheckedmode), METH_NOARGS,
     QRVA_DOC("Tells whether the library checks every argument of every call.", "quorva.getcheckedmode()",
              "None.", "print(quorva.getcheckedmode())", "Checked mode is on by default.", "setcheckedmode")},
    {"setcheckedmode", QRVA_METHOD(quorvamod_setcheckedmode), METH_VARARGS,
     QRVA_DOC("Switches the library's checked mode on or off.", "quorva.setcheckedmode(checked_mode)",
              "checked_mode: True switches it on; any other value switches it off.",
              "quorva.setcheckedmode(False)",
              "With checked mode off the library skips its costlier argument checks.", "getcheckedmode")},
    {"setdefaultcontrol", QRVA_METHOD(quorvamod_setdefaultcontrol), METH_VARARGS,
     QRVA_DOC("Removes one module-wide control value.", "quorva.setdefaultcontrol(name)",
              "name: the control name.", "quorva.setdefaultcontrol('feastol')",
              "Problems created afterwards get the library default of that control.",
              "setdefaults, quorva.controls")},
    {"setdefaults", QRVA_METHOD(quorvamod_setdefaults), METH_NOARGS,
     QRVA_DOC("Removes every module-wide control value.", "quorva.setdefaults()", "None.",
              "quorva.setdefaults()", "Problems created afterwards get the library defaults.",
              "setdefaultcontrol, quorva.controls")},
    {"addcbmsghandler", QRVA_METHOD(quorvamod_addcbmsghandler), METH_VARARGS,
     QRVA_DOC("Adds a handler that receives every message of the optimizer environment.",
              "quorva.addcbmsghandler(msghandler, data, priority)",
              "msghandler: called as msghandler(object, data, context, message, length, type);\n"
              "  data: any object, passed to the handler;\n  priority: handlers of higher priority are called "
              "first.",
              "quorva.addcbmsghandler(lambda o, d, c, m, l, t: print(m), None, 0)",
              "The handler's result is ignored. A handler that raises stops receiving messages until the "
              "exception reaches Python.",
              "removecbmsghandler")},
    {"removecbmsghandler", QRVA_METHOD(quorvamod_removecbmsghandler), METH_VARARGS,
     QRVA_DOC("Removes global message handlers.", "quorva.removecbmsghandler(msghandler, data)",
              "msghandler, data: the handler and data given when adding it; None matches any.",
              "quorva.removecbmsghandler(handler, None)",
              "Every matching handler is removed; no match raises an error.", "addcbmsghandler")},
    {nullptr, nullptr, 0, nullptr},
};
