/* The tables of registered Python callables: a problem's callback slots and
 * the module's list of global message handlers. */
#ifndef QUORVA_REGISTRY_H
#define QUORVA_REGISTRY_H

#include "module/pyref.h"
#include "problem/problem.h"

/* Entries handed to a library as callback data. A library may call with an
 * entry that was removed while it was delivering (on another thread, while
 * this one held the interpreter lock), and by then the entry may be freed;
 * so trampolines claim their entry first and only touch it when it is still
 * registered. All three run with the interpreter lock held. */
void entryRegistered(PyObject *entry);
void entryUnregistered(PyObject *entry);
/* A new reference to the entry behind a trampoline's data pointer, or an
 * empty one when no registration holds it (any more). */
PyRef claimEntry(void *data);

/* Removes the entries of *slot whose callable and data match (NULL or None
 * match any; otherwise identity). problem NULL: *slot is the module's
 * message-handler list ([function, data] entries), unregistered from the
 * library and kept even when empty. With a problem: entries [problem,
 * callable, data, priority] of callback kind `kind`; the list is released
 * when it empties or when neither callable nor data was given.
 * 0 on success, -3 with an InterfaceError set, or the library's code. */
int removeCallback(problem_s *problem, PyObject **slot, PyObject *callable, PyObject *data, int kind,
                   int unregister);

/* Builds the entry [problem, callable, data, priority] of callback kind
 * `kind` (0..35), appends it to table[kind] (making the list on the first
 * add) and registers it with the library. 0, -3 with an InterfaceError set,
 * or the library's code (the entry is then taken out of the list again). */
int callbackInList(problem_s *problem, PyObject **table, int kind, PyObject *callable, PyObject *data,
                   long priority);

/* Adds to target a fresh entry, with target as owner and its own library
 * registration, for every entry of source, kind by kind in order. 0, or 1
 * at the first failure (with an error set). */
int py_copycallbacks(problem_s *target, problem_s *source);

/* The problem methods addcb<kind>/removecb<kind>, setcb<kind> and
 * copycallbacks, ended by an empty entry. */
extern PyMethodDef problem_callbackMethods[];

#endif
