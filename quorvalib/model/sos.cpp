/* quorva.SOS: A special ordered set. The class is made ready at initialisation; its
 * behaviour is built on this record. */
#include "model/types.h"

struct sos_s {
  PyObject_HEAD
};

PyTypeObject quorva_sosType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.SOS", /* tp_name */
    sizeof(sos_s),                                  /* tp_basicsize */
};

void sos_prepareType() {
  quorva_sosType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_sosType.tp_doc = "A special ordered set.";
}
