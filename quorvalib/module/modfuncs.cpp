/* Module functions: the environment's start and stop, its version, banner,
 * last error and checked mode, the module-wide control values, and the
 * global message handlers that receive every message of the environment. */
#include "module/modfuncs.h"

#include "branching/handles.h"
#include "callbacks/registry.h"
#include "module/docs.h"
#include "module/env.h"
#include "module/errors.h"

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

static PyObject *quorvamod_addcbmsghandler(PyObject *, PyObject *args) {
  PyObject *function, *data;
  long priority;
  if (!PyArg_ParseTuple(args, "OOl", &function, &data, &priority)) {
    PyErr_SetString(PyExc_RuntimeError,
                    "Incorrect arguments in addcbmsghandler. Must provide correct list of three arguments");
    return nullptr;
  }
  PyRef entry(Py_BuildValue("[OO]", function, data));
  if (!entry) return nullptr;
  int rc;
  {
    LockGuard guard(lock_env);
    rc = PyList_Append(qrv_py_env.msghandlers, entry.get());
  }
  if (rc != 0) return nullptr;
  if (turnQRVAon(0) != 0 ||
      QRVA_ge_addcbmsghandler(wrapper_msghandler, entry.get(), (int)priority) != 0) {
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
  return newNone();
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

int wrapper_msghandler(QRVAobject sender, void *data, void *thread_context, const char *msg, int msglen,
                       int msgtype) {
  PyGILState_STATE gil = PyGILState_Ensure();
  int result = 0;
  if (PyErr_Occurred()) {
    /* A handler raised earlier: drop messages until Python sees the error. */
    PyGILState_Release(gil);
    return 0;
  }
  PyObject *entry = static_cast<PyObject *>(data);
  if (!entry || !PyList_Check(entry) || PyList_GET_SIZE(entry) < 2) {
    PyErr_SetString(PyExc_RuntimeError, "Incorrect general environment message handler detected");
    PyGILState_Release(gil);
    return -3;
  }
  PyObject *function = PyList_GET_ITEM(entry, 0);
  PyObject *handler_data = PyList_GET_ITEM(entry, 1);
  PyRef sender_object(qrvaobject_create(sender));
  PyRef context(voidstar_create(thread_context));
  /* Messages are decoded leniently: a stray byte must not block every later
   * message behind a decoding error. */
  PyRef text(msg ? PyUnicode_DecodeUTF8(msg, (Py_ssize_t)strlen(msg), "replace") : newNone());
  if (sender_object && context && text) {
    PyRef call_args(Py_BuildValue("(OOOOll)", sender_object.get(), handler_data, context.get(), text.get(),
                                  (long)msglen, (long)msgtype));
    if (call_args) PyRef(PyObject_CallObject(function, call_args.get()));
  }
  PyGILState_Release(gil);
  return result;
}

PyMethodDef quorvamod_envMethods[] = {
    {"init", quorvamod_init, METH_NOARGS,
     QRVA_DOC("Starts the optimizer environment, even when it is already on.", "quorva.init()", "None.",
              "quorva.init()", "The environment starts by itself when the first problem is created; "
              "call this to start it explicitly.", "free, getversion")},
    {"free", quorvamod_free, METH_NOARGS,
     QRVA_DOC("Frees the optimizer environment.", "quorva.free()", "None.", "quorva.free()",
              "A later problem or module function starts the environment again.", "init")},
    {"getversion", quorvamod_getversion, METH_NOARGS,
     QRVA_DOC("Returns the version of the optimizer library.", "quorva.getversion()", "None.",
              "print(quorva.getversion())", "The version has the form major.minor.patch.", "getbanner")},
    {"getbanner", quorvamod_getbanner, METH_NOARGS,
     QRVA_DOC("Returns the banner of the optimizer library.", "quorva.getbanner()", "None.",
              "print(quorva.getbanner())", "The banner names the library, its version and the engine it runs on.",
              "getversion")},
    {"getlasterror", quorvamod_getlasterror, METH_NOARGS,
     QRVA_DOC("Returns the last error of the optimizer environment.", "(code, text) = quorva.getlasterror()",
              "None.", "code, text = quorva.getlasterror()",
              "The code is 0 and the text empty when no error occurred.", "getbanner")},
    {"getcheckedmode", quorvamod_getcheckedmode, METH_NOARGS,
     QRVA_DOC("Tells whether the library checks every argument of every call.", "quorva.getcheckedmode()",
              "None.", "print(quorva.getcheckedmode())", "Checked mode is on by default.", "setcheckedmode")},
    {"setcheckedmode", quorvamod_setcheckedmode, METH_VARARGS,
     QRVA_DOC("Switches the library's checked mode on or off.", "quorva.setcheckedmode(checked_mode)",
              "checked_mode: True switches it on; any other value switches it off.",
              "quorva.setcheckedmode(False)",
              "With checked mode off the library skips its costlier argument checks.", "getcheckedmode")},
    {"setdefaultcontrol", quorvamod_setdefaultcontrol, METH_VARARGS,
     QRVA_DOC("Removes one module-wide control value.", "quorva.setdefaultcontrol(name)",
              "name: the control name.", "quorva.setdefaultcontrol('feastol')",
              "Problems created afterwards get the library default of that control.",
              "setdefaults, quorva.controls")},
    {"setdefaults", quorvamod_setdefaults, METH_NOARGS,
     QRVA_DOC("Removes every module-wide control value.", "quorva.setdefaults()", "None.",
              "quorva.setdefaults()", "Problems created afterwards get the library defaults.",
              "setdefaultcontrol, quorva.controls")},
    {"addcbmsghandler", quorvamod_addcbmsghandler, METH_VARARGS,
     QRVA_DOC("Adds a handler that receives every message of the optimizer environment.",
              "quorva.addcbmsghandler(msghandler, data, priority)",
              "msghandler: called as msghandler(object, data, context, message, length, type);\n"
              "  data: any object, passed to the handler;\n  priority: handlers of higher priority are called "
              "first.",
              "quorva.addcbmsghandler(lambda o, d, c, m, l, t: print(m), None, 0)",
              "The handler's result is ignored. A handler that raises stops receiving messages until the "
              "exception reaches Python.",
              "removecbmsghandler")},
    {"removecbmsghandler", quorvamod_removecbmsghandler, METH_VARARGS,
     QRVA_DOC("Removes global message handlers.", "quorva.removecbmsghandler(msghandler, data)",
              "msghandler, data: the handler and data given when adding it; None matches any.",
              "quorva.removecbmsghandler(handler, None)",
              "Every matching handler is removed; no match raises an error.", "addcbmsghandler")},
    {nullptr, nullptr, 0, nullptr},
};
