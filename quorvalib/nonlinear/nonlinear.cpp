/* quorva.nonlinear: A nonlinear expression. The class is made ready at initialisation; its
 * behaviour is built on this record. */
#include "model/types.h"

struct nonlinear_s {
  PyObject_HEAD
};

PyTypeObject quorva_nonlinearType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.nonlinear", /* tp_name */
    sizeof(nonlinear_s),                                  /* tp_basicsize */
};

void nonlinear_prepareType() {
  quorva_nonlinearType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_nonlinearType.tp_doc = "A nonlinear expression.";
}
