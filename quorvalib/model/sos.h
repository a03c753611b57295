/* quorva.SOS: a special ordered set of type 1 or 2, a list of members with
 * a list of weights. Problems read the record when a set is added. */
#ifndef QUORVA_SOS_H
#define QUORVA_SOS_H

#include "model/types.h"

#include <cstdint>

struct sos_s {
  PyObject_HEAD
  uint32_t serial;    /* identity; problems map it to a set index */
  PyObject *name;     /* normally a str */
  unsigned char type; /* 1 or 2 */
  PyObject *indices;  /* list of members */
  PyObject *weights;  /* list of weights */
};

#define SOS(o) reinterpret_cast<sos_s *>(o)
#define sos_check(o) (Py_TYPE(o) == &quorva_sosType)

#endif
