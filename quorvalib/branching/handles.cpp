#include "branching/handles.h"

#include "model/types.h"

namespace {

/* All three classes share this record: one word after the header. */
struct handle_s {
  PyObject_HEAD
  void *handle;
};

PyObject *createHandle(PyTypeObject *type, void *handle) {
  handle_s *object = PyObject_New(handle_s, type);
  if (!object) return nullptr;
  object->handle = handle;
  return reinterpret_cast<PyObject *>(object);
}

void *getHandle(PyObject *wrapper, PyTypeObject *type) {
  if (!wrapper || !PyObject_TypeCheck(wrapper, type)) return nullptr;
  return reinterpret_cast<handle_s *>(wrapper)->handle;
}

}  // namespace

PyTypeObject quorva_qrvaobjectType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.qrvaobject", /* tp_name */
    sizeof(handle_s),                                       /* tp_basicsize */
};

PyTypeObject quorva_poolcutType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.poolcut", /* tp_name */
    sizeof(handle_s),                                    /* tp_basicsize */
};

PyTypeObject quorva_genericType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.generic", /* tp_name */
    sizeof(handle_s),                                    /* tp_basicsize */
};

void handles_prepareTypes() {
  /* Objects made from Python are zero-filled by the generic allocator, so
   * they carry a null handle, which the library rejects with its own error. */
  quorva_qrvaobjectType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_qrvaobjectType.tp_doc = "An object of the optimizer library, such as the sender of a message";
  quorva_poolcutType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_poolcutType.tp_doc = "A cut of the optimizer library's cut pool";
  quorva_genericType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_genericType.tp_doc = "An opaque value handed out by the optimizer library";
}

PyObject *qrvaobject_create(QRVAobject object) { return createHandle(&quorva_qrvaobjectType, object); }
QRVAobject qrvaobject_getobj(PyObject *wrapper) {
  return static_cast<QRVAobject>(getHandle(wrapper, &quorva_qrvaobjectType));
}

PyObject *poolcut_create(QRVAcut cut) { return createHandle(&quorva_poolcutType, cut); }
QRVAcut poolcut_getcut(PyObject *wrapper) { return static_cast<QRVAcut>(getHandle(wrapper, &quorva_poolcutType)); }

PyObject *voidstar_create(void *word) { return createHandle(&quorva_genericType, word); }
void *voidstar_getobj(PyObject *wrapper) { return getHandle(wrapper, &quorva_genericType); }
