/* quorva.expression: A linear or quadratic expression. The class is made ready at initialisation; its
 * behaviour is built on this record. */
#include "model/types.h"

struct expression_s {
  PyObject_HEAD
};

PyTypeObject quorva_expressionType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.expression", /* tp_name */
    sizeof(expression_s),                                  /* tp_basicsize */
};

void expression_prepareType() {
  quorva_expressionType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_expressionType.tp_doc = "A linear or quadratic expression.";
}
