/* The module functions that act on the process-wide environment. */
#ifndef QUORVA_MODFUNCS_H
#define QUORVA_MODFUNCS_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

extern PyMethodDef quorvamod_envMethods[];

/* The trampoline through which the library calls the global message
 * handlers; data is the handler's [function, data] entry. */
int wrapper_msghandler(QRVAobject sender, void *data, void *thread_context, const char *msg, int msglen,
                       int msgtype);

#endif
