/* quorva.quadterm: A quadratic term: coefficient times two variables. The class is made ready at initialisation; its
 * behaviour is built on this record. */
#include "model/types.h"

struct quadterm_s {
  PyObject_HEAD
};

PyTypeObject quorva_quadtermType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.quadterm", /* tp_name */
    sizeof(quadterm_s),                                  /* tp_basicsize */
};

void quadterm_prepareType() {
  quorva_quadtermType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_quadtermType.tp_doc = "A quadratic term: coefficient times two variables.";
}
