/* quorva.problem: creation and destruction of the two library problems, the
 * problem's name, and the control and attribute methods. */
#include "problem/problem.h"

#include "callbacks/registry.h"
#include "model/types.h"
#include "module/env.h"
#include "module/errors.h"
#include "problem/controls.h"

#include <vector>

/* Optimizer control the engine reads around the empty load at creation. */
static const int kLoadControl = 8035;
/* SLP control set to 0 on every new SLP problem. */
static const int kSlpCreateControl = 12415;
/* Integer attribute: size of the problem name buffer. */
static const int kNameLengthAttrib = 1158;

/* Creates both library problems and loads the empty problem `name`.
 * 0, or -1 with the error reported. */
static int createLibraryProblems(problem_s *self, const char *name) {
  if (QRVAcreateprob(&self->qprob) != 0) {
    self->qprob = nullptr;
    setQrvaErrIfNull(nullptr, nullptr);
    return -1;
  }
  if (QSLPcreateprob(&self->slpprob, &self->qprob) != 0) {
    self->slpprob = nullptr;
    setQrvaErrIfNull(nullptr, nullptr);
    return -1;
  }
  int saved = 0;
  if (QSLPsetintcontrol(self->slpprob, kSlpCreateControl, 0) != 0 ||
      QRVAgetintcontrol(self->qprob, kLoadControl, &saved) != 0 ||
      QRVAsetintcontrol(self->qprob, kLoadControl, 0) != 0 ||
      QRVAloadlp(self->qprob, name, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr) != 0 ||
      QRVAsetintcontrol(self->qprob, kLoadControl, saved) != 0) {
    setQrvaErrIfNull((PyObject *)self, nullptr);
    return -1;
  }
  return 0;
}

static int problem_init(PyObject *pself, PyObject *args, PyObject *kwargs) {
  problem_s *self = reinterpret_cast<problem_s *>(pself);
  static const char *keywords[] = {"name", nullptr};
  const char *name = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|s", const_cast<char **>(keywords), &name)) return -1;
  if (self->qprob) {
    PyErr_SetString(qpy_model_exc, "A problem cannot be initialized twice");
    return -1;
  }
  self->variables = PyList_New(0);
  self->constraints = PyList_New(0);
  self->sets = PyList_New(0);
  if (!self->variables || !self->constraints || !self->sets) {
    PyErr_SetString(qpy_model_exc, "Could not create problem maps");
    return -1;
  }
  if (turnQRVAon(0) != 0) return -1;
  self->slpprob = nullptr;
  self->special_col = self->obj_transfer_col = self->obj_transfer_row = -1;
  self->nl_count = self->nl_objective = 0;
  self->userfuncs = nullptr;
  if (createLibraryProblems(self, name ? name : "noname") != 0) return -1;
  self->controls = control_new_bound(self);
  self->attributes = attribute_new_bound(self);
  if (!self->controls || !self->attributes) return -1;
  return problem_applyControlDefaults(self);
}

static void problem_dealloc(PyObject *pself) {
  problem_s *self = reinterpret_cast<problem_s *>(pself);
  PyObject *error_type, *error_value, *error_tb;
  PyErr_Fetch(&error_type, &error_value, &error_tb);

  int env_was_off;
  {
    LockGuard guard(lock_probenv);
    env_was_off = !qrv_py_env.env_on;
  }
  bool switched_on = false;
  if (env_was_off && (self->qprob || self->slpprob)) {
    switched_on = turnQRVAon(0) == 0;
    if (!switched_on) PyErr_WriteUnraisable(pself);
  }
  if (self->slpprob && QSLPdestroyprob(self->slpprob) != 0) PyErr_WriteUnraisable(pself);
  self->slpprob = nullptr;
  if (self->qprob && QRVAdestroyprob(self->qprob) != 0) PyErr_WriteUnraisable(pself);
  self->qprob = nullptr;
  for (int kind = 0; kind < QRVA_PY_CB_KINDS; ++kind)
    if (self->callbacks[kind] && removeCallback(self, &self->callbacks[kind], nullptr, nullptr, kind, 0) != 0)
      PyErr_WriteUnraisable(pself);
  if (switched_on && turnQRVAoff(0) != 0) PyErr_WriteUnraisable(pself);

  /* Controls and attributes may outlive the problem in user variables. */
  control_detach(self->controls);
  control_detach(self->attributes);
  Py_CLEAR(self->controls);
  Py_CLEAR(self->attributes);
  Py_CLEAR(self->variables);
  Py_CLEAR(self->constraints);
  Py_CLEAR(self->sets);
  Py_CLEAR(self->userfuncs);
  PyErr_Restore(error_type, error_value, error_tb);
  Py_TYPE(pself)->tp_free(pself);
}

static PyObject *problem_name(PyObject *pself, PyObject *) {
  problem_s *self = reinterpret_cast<problem_s *>(pself);
  int length = 0;
  if (!self->qprob || QRVAgetintattrib(self->qprob, kNameLengthAttrib, &length) != 0)
    return setQrvaErrIfNull(pself, nullptr);
  std::vector<char> buffer((size_t)(length > 0 ? length : 0) + 1, '\0');
  if (QRVAgetprobname(self->qprob, buffer.data()) != 0) return setQrvaErrIfNull(pself, nullptr);
  buffer.back() = '\0';
  return setQrvaErrIfNull(pself, PyUnicode_FromString(buffer.data()));
}

static PyObject *problem_str(PyObject *pself) { return problem_name(pself, nullptr); }

static PyObject *getControls(PyObject *pself, void *) {
  PyObject *controls = reinterpret_cast<problem_s *>(pself)->controls;
  if (!controls) return setQrvaErrIfNull(pself, nullptr);
  Py_INCREF(controls);
  return controls;
}

static PyObject *getAttributes(PyObject *pself, void *) {
  PyObject *attributes = reinterpret_cast<problem_s *>(pself)->attributes;
  if (!attributes) return setQrvaErrIfNull(pself, nullptr);
  Py_INCREF(attributes);
  return attributes;
}

static PyMethodDef problem_methods[] = {
    {"name", problem_name, METH_NOARGS,
     "Purpose:\n  Returns the name of the problem.\nSynopsis:\n  p.name()\nArguments:\n  None.\n"
     "Example:\n  p = quorva.problem(name='plan')\n  print(p.name())\nFurther information:\n"
     "  A problem created without a name is called 'noname'.\nRelated topics:\n  problem\n"},
    {"getControl", problem_getControl, METH_VARARGS,
     "Purpose:\n  Returns the value of one or more controls of the problem.\nSynopsis:\n"
     "  p.getControl()\n  p.getControl(name)\n  p.getControl([name1, name2, ...])\n  p.getControl(name1, name2, ...)\n"
     "Arguments:\n  Control names in lower case; none returns every control.\nExample:\n"
     "  tol = p.getControl('feastol')\nFurther information:\n  One name gives its value; several, a list, a tuple "
     "or an iterator give a dictionary name -> value.\nRelated topics:\n  setControl, getAttrib, controls\n"},
    {"setControl", problem_setControl, METH_VARARGS,
     "Purpose:\n  Sets one or more controls of the problem.\nSynopsis:\n  p.setControl(name, value)\n"
     "  p.setControl({name1: value1, ...})\nArguments:\n  name: a control name; value: its new value.\n"
     "Example:\n  p.setControl('feastol', 1e-7)\nFurther information:\n  Integer controls take integers, "
     "floating-point controls numbers, string controls strings.\nRelated topics:\n  getControl, setdefaultcontrol\n"},
    {"getAttrib", problem_getAttrib, METH_VARARGS,
     "Purpose:\n  Returns the value of one or more attributes of the problem.\nSynopsis:\n  p.getAttrib()\n"
     "  p.getAttrib(name)\n  p.getAttrib(name1, name2, ...)\nArguments:\n  Attribute names in lower case; none "
     "returns every attribute.\nExample:\n  print(p.getAttrib('rows'))\nFurther information:\n  Attributes are "
     "read-only values such as sizes, statuses and objective values.\nRelated topics:\n  getControl, attributes\n"},
    {"setdefaultcontrol", problem_setdefaultcontrol, METH_VARARGS,
     "Purpose:\n  Gives one control of the problem its default value back.\nSynopsis:\n"
     "  p.setdefaultcontrol(name)\nArguments:\n  name: a control name.\nExample:\n  p.setdefaultcontrol('feastol')\n"
     "Further information:\n  Values set module-wide on quorva.controls are not defaults of the library.\n"
     "Related topics:\n  setControl, quorva.setdefaultcontrol\n"},
    {nullptr, nullptr, 0, nullptr},
};

static PyGetSetDef problem_getset[] = {
    {"controls", getControls, nullptr, "The problem's controls, read and set by name", nullptr},
    {"attributes", getAttributes, nullptr, "The problem's attributes, read by name", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyTypeObject quorva_problemType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.problem", /* tp_name */
    sizeof(problem_s),                                   /* tp_basicsize */
};

void problem_prepareType() {
  quorva_problemType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
  quorva_problemType.tp_doc = "An optimization problem: variables, constraints, objective, solve and queries";
  quorva_problemType.tp_init = problem_init;
  quorva_problemType.tp_dealloc = problem_dealloc;
  quorva_problemType.tp_str = problem_str;
  quorva_problemType.tp_methods = problem_methods;
  quorva_problemType.tp_getset = problem_getset;
}
