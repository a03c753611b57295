/* quorva.constraint: A constraint lb <= body <= ub. The class is made ready at initialisation; its
 * behaviour is built on this record. */
#include "model/types.h"

struct constraint_s {
  PyObject_HEAD
};

PyTypeObject quorva_constraintType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.constraint", /* tp_name */
    sizeof(constraint_s),                                  /* tp_basicsize */
};

void constraint_prepareType() {
  quorva_constraintType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_constraintType.tp_doc = "A constraint lb <= body <= ub.";
}
