/* Three small classes that carry an opaque library handle through Python
 * code: quorva.qrvaobject (a library object, such as the sender of a
 * message), quorva.poolcut (a cut of the cut pool) and quorva.generic (any
 * other opaque word). None of them owns what it carries. */
#ifndef QUORVA_HANDLES_H
#define QUORVA_HANDLES_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

#include <cstdint>

PyObject *qrvaobject_create(QRVAobject object);
QRVAobject qrvaobject_getobj(PyObject *wrapper);

PyObject *poolcut_create(QRVAcut cut);
QRVAcut poolcut_getcut(PyObject *wrapper);

PyObject *voidstar_create(void *word);
void *voidstar_getobj(PyObject *wrapper);

#endif
