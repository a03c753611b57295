/* quorva.linterm: A linear term: coefficient times variable. The class is made ready at initialisation; its
 * behaviour is built on this record. */
#include "model/types.h"

struct linterm_s {
  PyObject_HEAD
};

PyTypeObject quorva_lintermType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.linterm", /* tp_name */
    sizeof(linterm_s),                                  /* tp_basicsize */
};

void linterm_prepareType() {
  quorva_lintermType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_lintermType.tp_doc = "A linear term: coefficient times variable.";
}
