/* A problem being solved: solve() lets the interpreter lock go, so other
 * threads could run problem methods on it while the libraries work on it.
 * Every method of quorva.problem and every access through its controls and
 * attributes passes through problem_enter first, which refuses them from any
 * thread but the solving one (callbacks of the solve run there), and
 * problem_leave after it, which raises what a callback of the problem raised
 * meanwhile. */
#ifndef QUORVA_PROBLEM_BUSY_H
#define QUORVA_PROBLEM_BUSY_H

#include "problem/problem.h"

#include <vector>

/* 0 when the calling thread may use the problem, else -1 with ModelError. */
int problem_enter(problem_s *problem);

/* Marks the problem as being solved by the calling thread, with the
 * interpreter lock held. -1 with ModelError when it already is (a nested
 * solve, or a solve from another thread). */
int problem_beginSolve(problem_s *problem);
void problem_endSolve(problem_s *problem);

/* Takes the pending Python exception (with its traceback) into the problem
 * whose callback raised it, whichever thread the callback ran on; the first
 * one is kept, later ones dropped. */
void problem_keepCallbackError(problem_s *problem);
/* The end of every problem method: an exception that one of the problem's
 * callbacks raised during the method replaces its result (and any other
 * error). Returns result, or NULL with that exception raised. */
PyObject *problem_leave(problem_s *problem, PyObject *result);

/* Replaces the functions of the class's method table by trampolines that
 * call problem_enter before the method itself. */
void problem_guardMethods(std::vector<PyMethodDef> &methods);

#endif
