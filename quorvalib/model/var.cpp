/* quorva.var: A decision variable. The class is made ready at initialisation; its
 * behaviour is built on this record. */
#include "model/types.h"

struct var_s {
  PyObject_HEAD
};

PyTypeObject quorva_varType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.var", /* tp_name */
    sizeof(var_s),                                  /* tp_basicsize */
};

void var_prepareType() {
  quorva_varType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_varType.tp_doc = "A decision variable.";
}
