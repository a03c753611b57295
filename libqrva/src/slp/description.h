// The problem as the nonlinear solver sees it: row bounds, the rows with
// nonlinear parts (formula coefficients and quadratic row terms), the
// columns that appear in them, and the determined columns.
#pragma once

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "core/validate.h"
#include "slp/problem.h"
#include "slp/userfunc.h"

namespace qrva {
namespace nlp {

class SlpEvents;

const double kInf = 1e20;

inline bool finite(double v) { return std::fabs(v) < kInf; }

// Sparse vectors over the columns: (column, value).
using Sparse = std::vector<std::pair<int, double>>;

// Sorts by column and sums entries of the same column.
void merge(Sparse &g);

struct NonlinearRow {
  int row;
  double weight = 1.0;    // of its error vectors' penalty and its violation
  bool enforced = false;  // no error vectors (QSLP_ROWSTATUS_ENFORCED)
  std::vector<std::pair<int, const SlpCoefficient *>> coefficients;  // (column, coefficient)
  const QuadTerms *quadratic = nullptr;
  std::map<int, double> derivativeFactors;  // by column; 1 for the others

};

struct Nlp {
  const ProblemStore &s;
  int n = 0, m = 0, sense = 1;
  std::vector<double> lo, hi;  // row bounds
  std::vector<NonlinearRow> rows;
  std::vector<char> isNonlinearCol;
  std::vector<int> nonlinearCols;  // ascending
  // Determined columns: a linear column whose only element lies in a
  // nonlinear equality row takes, at every point, the value that satisfies
  // that row (as the objective transfer column does), so that the merit of
  // a step sees the row's true value instead of its linearization.
  struct Determined {
    int col, row;
    double coef;
  };
  std::vector<Determined> determined;
  UserFunctionCall call;
  const SlpEvents *events = nullptr;  // the SLP callbacks the evaluation calls (may be null)
  EvaluationCounts *counts = nullptr;  // what the evaluations cost (may be null)
  // Whether the linearizations take the rows' derivative factors (the solver
  // sets it per iteration); off, they take the true derivatives.
  bool useDerivativeFactors = false;

  // A partial derivative of row k's nonlinear part as the linearizations take it.
  double linearized(size_t k, int col, double derivative) const {
    if (!useDerivativeFactors) return derivative;
    const std::map<int, double> &factors = rows[k].derivativeFactors;
    auto f = factors.find(col);
    return f == factors.end() ? derivative : f->second * derivative;
  }

  explicit Nlp(const ProblemStore &store) : s(store) {}
};

// The description of s with the formula coefficients of slp (may be null)
// and its rows' settings: ignored rows lose their bounds. Fails on discrete
// columns and sets (unless relaxed), indicator rows, and coefficients or
// formulas outside the problem.
Nlp describe(const ProblemStore &s, const SlpStore *slp, const Check &chk, bool relaxed);

}  // namespace nlp
}  // namespace qrva
