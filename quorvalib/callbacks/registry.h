/* The tables of registered Python callables: a problem's callback slots and
 * the module's list of global message handlers. */
#ifndef QUORVA_REGISTRY_H
#define QUORVA_REGISTRY_H

#include "module/pyref.h"
#include "problem/problem.h"

/* Removes the entries of *slot whose callable and data match (NULL or None
 * match any; otherwise identity). problem NULL: *slot is the module's
 * message-handler list ([function, data] entries), unregistered from the
 * library and kept even when empty. With a problem: entries [problem,
 * callable, data, priority] of callback kind `kind`; the list is released
 * when it empties or when neither callable nor data was given.
 * 0 on success, -3 with an InterfaceError set, or the library's code. */
int removeCallback(problem_s *problem, PyObject **slot, PyObject *callable, PyObject *data, int kind,
                   int unregister);

#endif
