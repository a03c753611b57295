/* Problem views: the quorva.problem a callback receives. A view answers
 * every problem method on the library's current problem (the problem being
 * solved, or a node, worker or SLP problem) and takes the owning problem's
 * variables, constraints and sets as indices. It lives for one call: once
 * the callback has returned it holds no handle and refuses every method. */
#ifndef QUORVA_CALLBACK_VIEW_H
#define QUORVA_CALLBACK_VIEW_H

#include "problem/problem.h"

/* A view of owner on the library's problem qprob (and slpprob for SLP
 * kinds, else NULL). New reference, or NULL with an error set. */
PyObject *problem_view_new(problem_s *owner, QRVAprob qprob, QSLPprob slpprob);

/* Lets go of everything the view holds, so that a view Python code kept
 * fails cleanly and its destruction leaves the library problems alone. */
void problem_view_dismiss(problem_s *view);

#endif
