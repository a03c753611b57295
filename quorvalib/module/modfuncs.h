/* The module functions that act on the process-wide environment. */
#ifndef QUORVA_MODFUNCS_H
#define QUORVA_MODFUNCS_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

extern PyMethodDef quorvamod_envMethods[];

/* The trampoline through which the library calls the global message
 * handlers; data is the handler's [function, data, priority] entry. */
int wrapper_msghandler(QRVAobject sender, void *data, void *thread_context, const char *msg, int msglen,
                       int msgtype);

/* Registers every global message handler of the module again, with its
 * priority; run when the library's environment (re)starts. 0, or -1 with
 * an error set. */
int reregisterMsgHandlers();

/* Unregisters every global message handler, before the module lets its
 * list go. */
void forgetMsgHandlers();

#endif
