/* quorva.branchobj: a branching object of the optimizer library, handed to
 * and created in callbacks. The class is made ready at initialisation. */
#include "branching/branchobj.h"

#include "model/types.h"
#include "module/boundary.h"

static void branchobj_dealloc(PyObject *self) {
  branchobj_s *object = reinterpret_cast<branchobj_s *>(self);
  /* An object made by the module (not handed over by the library) is ours. */
  if (object->bo && !object->is_original) QRVA_bo_destroy(object->bo);
  object->bo = nullptr;
  Py_CLEAR(object->problem);
  Py_TYPE(self)->tp_free(self);
}

PyTypeObject quorva_branchobjType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.branchobj", /* tp_name */
    sizeof(branchobj_s),                                   /* tp_basicsize */
};

void branchobj_prepareType() {
  quorva_branchobjType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_branchobjType.tp_doc = "A branching object: the branches the optimizer explores at a node";
  quorva_branchobjType.tp_dealloc = QRVA_DEALLOC(branchobj_dealloc);
}
