/* quorva.SOS: a special ordered set of type 1 or 2, a list of members with
 * a list of weights. The set records the caller's own lists; problems check
 * them when the set is added. */
#include "model/sos.h"

#include "model/operand.h"
#include "module/boundary.h"
#include "module/helpers.h"
#include "module/docs.h"
#include "module/env.h"

#include <structmember.h>

#include <cstdint>

static uint32_t drawSosSerial() {
  LockGuard guard(lock_sosserial);
  return qrv_py_env.next_sos_serial++;
}

static int sos_init(PyObject *self, PyObject *args, PyObject *kwds) {
  static const char *keywords[] = {"indices", "weights", "type", "name", nullptr};
  sos_s *s = SOS(self);
  if (s->serial == 0) s->serial = drawSosSerial();
  PyObject *indices = nullptr, *weights = nullptr, *type = nullptr, *name = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwds, "OO|OO", const_cast<char **>(keywords), &indices, &weights, &type,
                                   &name))
    return -1;
  PyRef newName(name && name != Py_None ? (Py_INCREF(name), name) : PyUnicode_FromFormat("sos%u", s->serial));
  if (!newName) return -1;
  long setType = 1;
  if (type && type != Py_None) {
    setType = PyLong_AsLong(type);
    if (setType == -1 && PyErr_Occurred()) return -1;
    if (setType != 1 && setType != 2) {
      modelError("SOS type must be 1 or 2");
      return -1;
    }
  }
  if (!PyList_Check(weights)) {
    modelError("SOS weights must be passed as a list");
    return -1;
  }
  if (!PyList_Check(indices)) {
    modelError("SOS indices must be passed as a list");
    return -1;
  }
  Py_XSETREF(s->name, newName.release());
  s->type = static_cast<unsigned char>(setType);
  Py_INCREF(indices);
  Py_XSETREF(s->indices, indices);
  Py_INCREF(weights);
  Py_XSETREF(s->weights, weights);
  return 0;
}

static int sos_traverse(PyObject *self, visitproc visit, void *arg) {
  Py_VISIT(SOS(self)->name);
  Py_VISIT(SOS(self)->indices);
  Py_VISIT(SOS(self)->weights);
  return 0;
}

static int sos_clear(PyObject *self) {
  Py_CLEAR(SOS(self)->name);
  Py_CLEAR(SOS(self)->indices);
  Py_CLEAR(SOS(self)->weights);
  return 0;
}

static void sos_dealloc(PyObject *self) {
  PyObject_GC_UnTrack(self);
  sos_clear(self);
  Py_TYPE(self)->tp_free(self);
}

static PyObject *sos_str(PyObject *self) {
  PyObject *name = SOS(self)->name;
  if (!name) return PyUnicode_FromFormat("sos%u", SOS(self)->serial);
  if (PyUnicode_Check(name)) {
    Py_INCREF(name);
    return name;
  }
  return PyObject_Str(name);
}

/* <quorva.SOS s1 type 2: x 1, y 2, z 3>: the name, the type and each
 * member with its weight. */
static PyObject *sos_repr(PyObject *self) {
  const sos_s *set = SOS(self);
  PyRef text(PyUnicode_FromFormat("%S type %d:", self, set->type));
  Py_ssize_t count = set->indices ? PyList_Size(set->indices) : 0;
  for (Py_ssize_t i = 0; text && i < count; ++i) {
    PyObject *weight = set->weights ? PyList_GetItem(set->weights, i) : nullptr;
    PyObject *item = PyList_GetItem(set->indices, i);
    PyRef member(item ? strippedStr(item) : nullptr);
    text.reset(member && weight ? PyUnicode_FromFormat("%U%s %U %S", text.get(), i ? "," : "", member.get(), weight)
                                : nullptr);
  }
  return setQrvaErrIfNull(nullptr, objectRepr(self, text.release()));
}

/* A list holding the same elements as source (a list or NULL). */
static PyObject *copyList(PyObject *source) {
  return source ? PyList_GetSlice(source, 0, PY_SSIZE_T_MAX) : PyList_New(0);
}

static PyObject *sos_copy(PyObject *self, PyObject *) {
  sos_s *from = SOS(self);
  PyRef copy(quorva_sosType.tp_alloc(&quorva_sosType, 0));
  if (!copy) return setQrvaErrIfNull(nullptr, nullptr);
  sos_s *to = SOS(copy.get());
  to->serial = drawSosSerial();
  to->type = from->type ? from->type : 1;
  to->indices = copyList(from->indices);
  to->weights = copyList(from->weights);
  /* Named after the set it was copied from. */
  to->name = PyUnicode_FromFormat("sos%u_copy_%S", from->serial, from->name ? from->name : Py_None);
  if (!to->indices || !to->weights || !to->name) return setQrvaErrIfNull(nullptr, nullptr);
  return setQrvaErrIfNull(nullptr, copy.release());
}

static PyMethodDef sos_methods[] = {
    {"copy", QRVA_METHOD(sos_copy), METH_NOARGS,
     QRVA_DOC("A copy of the set with lists of its own.", "t = s.copy()", "None.", "t = s.copy()",
              "The copy holds the same members and weights in new lists, so appending to one set's lists leaves the "
              "other alone; it is named sos<serial>_copy_<name> after the set copied.",
              "quorva.sos, quorva.problem.addSOS")},
    {nullptr, nullptr, 0, nullptr},
};

static PyMemberDef sos_members[] = {
    {const_cast<char *>("name"), T_OBJECT, offsetof(sos_s, name), 0, const_cast<char *>("The name.")},
    {nullptr, 0, 0, 0, nullptr},
};

PyTypeObject quorva_sosType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.SOS", /* tp_name */
    sizeof(sos_s),                                  /* tp_basicsize */
};

void sos_prepareType() {
  quorva_sosType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC;
  quorva_sosType.tp_doc = QRVA_DOC(
      "A special ordered set of type 1 (at most one member non-zero) or 2 (at most two adjacent members).",
      "quorva.sos(indices, weights, type=1, name=None)",
      "indices: a list of variables; weights: a list of weights, one per member; type: 1 or 2; name: the name "
      "(default sos<serial>).",
      "s = quorva.sos([x, y, z], [1, 2, 3], 2)",
      "The set keeps the lists passed in, not copies; the problem checks members and weights when the set is added.",
      "quorva.problem.addSOS, quorva.var");
  quorva_sosType.tp_init = QRVA_ENTRY(sos_init);
  quorva_sosType.tp_dealloc = QRVA_DEALLOC(sos_dealloc);
  quorva_sosType.tp_traverse = sos_traverse;
  quorva_sosType.tp_clear = sos_clear;
  quorva_sosType.tp_free = PyObject_GC_Del;
  quorva_sosType.tp_str = QRVA_ENTRY(sos_str);
  quorva_sosType.tp_repr = QRVA_ENTRY(sos_repr);
  quorva_sosType.tp_methods = sos_methods;
  quorva_sosType.tp_members = sos_members;
}
