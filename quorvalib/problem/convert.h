/* The conversion of a modeling operand into what the libraries take: an
 * objective constant or right-hand side, linear entries (column,
 * coefficient), quadratic entries (two columns, coefficient) and, for the
 * nonlinear parts, formula coefficients of the SLP library. */
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

/* Formula coefficients: per coefficient its row (filled in by the caller),
 * its column (the SLP library's column for formulas standing alone when the
 * term has no variable factor of its own), its numeric factor and the
 * position of its formula in the token arrays. The formulas lie one after
 * another in postfix form, each ended by the end token. */
struct FormulaEntries {
  std::vector<int> row, col, start;
  std::vector<double> factor;
  std::vector<int> type;
  std::vector<double> value;
  size_t size() const { return col.size(); }
};

/* Upper bounds of what a conversion writes (the counting mode). */
struct ConvertCounts {
  int64_t linear = 0, quadratic = 0, coefficients = 0, tokens = 0;
};

/* Adds the parts of expr (a constant, variable, linear or quadratic term or
 * expression) to *constant, linear and quadratic. Zero coefficients are
 * left out. A product x*y of two different variables is entered once with
 * half its coefficient, a square x*x with its whole coefficient: the row
 * convention of the library (x'Qx over both triangles). objective = true
 * doubles the quadratic entries: the objective is c'x + 1/2 x'Qx.
 * Nonlinear parts become formula coefficients (user functions met on the
 * way are registered with the SLP library). 0, or -3 with quorva.ModelError
 * set (or -1 with MemoryError). */
int convertExpr(problem_s *problem, PyObject *expr, bool objective, double *constant, LinearEntries &linear,
                QuadraticEntries &quadratic, FormulaEntries &formulas);

/* The constant of a constraint body as convertExpr finds it, without
 * converting or registering anything else. 0 or -3 with an error. */
int bodyConstant(PyObject *expr, double *constant);

/* The counting mode: checks the shape of expr's nonlinear parts and adds to
 * counts at least as much as convertExpr would write, without writing or
 * registering anything. 0, or -3 with quorva.ModelError set. */
int countExpr(PyObject *expr, ConvertCounts &counts);

#endif
