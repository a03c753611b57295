/* Python callables as user functions of the SLP library: registration once
 * per callable and problem, the trampolines the library calls during a
 * solve, and the release of the function objects the library holds. */
#ifndef QUORVA_USERFUNC_H
#define QUORVA_USERFUNC_H

#include "problem/problem.h"

/* Registers the callable args[0] (args: the tuple or list of a user()
 * node) as a user function of the problem's SLP library, with or without
 * derivatives, unless it is registered already; *index gets its index.
 * 0, -3 with quorva.ModelError set, or -1 with the library's error left to
 * the caller's setQrvaErrIfNull. */
int createUserFunction(problem_s *problem, PyObject *args, int *index, int with_derivatives);

/* The trampolines registered as the functions' addresses. */
extern "C" double qpy_generic_user_function_no_derivative(const double *values, QSLPfunc function);
extern "C" double qpy_generic_user_function_with_derivative(const double *values, QSLPfunc function,
                                                            const double *deltas, double *results);

/* Releases the function objects held by the problem's SLP library and
 * forgets the registrations (before the SLP problem goes). */
void userfunc_releaseAll(problem_s *problem);

/* After the SLP problem of copy was copied from that of source: the copy
 * knows the same callables, and holds its own reference to every function
 * object its SLP problem holds. 0, or -1 with an error set. */
int userfunc_shareCopies(problem_s *copy, const problem_s *source);

#endif
