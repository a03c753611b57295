/* The conversion of a modeling operand into what the libraries take: an
 * objective constant or right-hand side, linear entries (column,
 * coefficient) and quadratic entries (two columns, coefficient). */
#ifndef QUORVA_CONVERT_H
#define QUORVA_CONVERT_H

#include "problem/problem.h"

#include <vector>

/* Where the entries of one or more conversions are appended. */
struct LinearEntries {
  std::vector<int> col;
  std::vector<double> coef;
  size_t size() const { return col.size(); }
};
struct QuadraticEntries {
  std::vector<int> col1, col2;
  std::vector<double> coef;
  size_t size() const { return col1.size(); }
};

/* Adds the parts of expr (a constant, variable, linear or quadratic term or
 * expression) to *constant, linear and quadratic. Zero coefficients are
 * left out. A product x*y of two different variables is entered once with
 * half its coefficient, a square x*x with its whole coefficient: the row
 * convention of the library (x'Qx over both triangles). objective = true
 * doubles the quadratic entries: the objective is c'x + 1/2 x'Qx.
 * 0, or -3 with quorva.ModelError set (or -1 with MemoryError). */
int convertExpr(problem_s *problem, PyObject *expr, bool objective, double *constant, LinearEntries &linear,
                QuadraticEntries &quadratic);

#endif
