/* Nonlinear terms as formula coefficients of the SLP library: the column
 * and numeric factor of a term and its formula as postfix tokens. Used by
 * the conversion of constraint bodies and objectives (problem/convert). */
#ifndef QUORVA_NONLINEAR_CONVERT_H
#define QUORVA_NONLINEAR_CONVERT_H

#include "problem/convert.h"

/* Appends one formula coefficient for node (a nonlinear term at the top of
 * a body) times sign: a product gives its numbers to the factor and its
 * first variable to the column; the rest becomes the formula. The row is
 * left to the caller. 0, or -3 with quorva.ModelError set. */
int formula_addCoefficient(problem_s *problem, PyObject *node, double sign, FormulaEntries &out);

/* Adds to *tokens at least as many tokens as the formula of o takes (end
 * token not included), checking the shape of the tree on the way.
 * 0, or -3 with quorva.ModelError set. */
int formula_countTokens(PyObject *o, int64_t *tokens);

/* Internal hooks of the test suite (underscore names). */
extern PyMethodDef quorvamod_formulaTestMethods[];

#endif
