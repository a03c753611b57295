/* The two libraries the module drives: the optimizer (QRVA...) and the
 * nonlinear SLP solver (QSLP...), both exported by libqrva. */
#ifndef QUORVA_QRVALIBS_H
#define QUORVA_QRVALIBS_H

#include <qrva.h>
#include <qslp.h>

/* Text buffers the module hands to the libraries. */
#define QRVA_PY_ERRBUF 512
#define QRVA_PY_BANNERBUF 512
#define QRVA_PY_VERSIONBUF 16
#define QRVA_PY_LASTERRBUF 1024

#endif
