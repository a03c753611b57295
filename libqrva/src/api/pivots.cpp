// The pivots of the current basis: QRVAgetpivotorder (the basic variable at
// each position of the basis matrix) and QRVAgetpivots (the ratio test of a
// non-basic row or column entering it). Both use the combined numbering:
// rows 0..m-1, spare rows, then columns; and the basis matrix of
// analysis/basis_solver.h, whose slack columns are unit vectors, so the
// variable of row i there is minus its activity.
#include <cmath>
#include <limits>

#include "analysis/basis_solver.h"
#include "analysis/calculations.h"
#include "api/support.h"
#include "highs/solver.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

// Tolerance of the ratio test: a basic variable whose rate of change is
// smaller does not block the entering one; ratios this close tie.
const double kPivotTolerance = 1e-9;

// The variables of the basis matrix over the combined numbering without
// spare rows (rows first): value and bounds of each.
struct SimplexVariables {
  std::vector<double> value, lower, upper;
};

SimplexVariables simplexVariables(const P &p) {
  const qrva::ProblemStore &s = *p.store;
  int m = s.nrows(), n = s.ncols();
  SimplexVariables v;
  v.value.resize(m + n), v.lower.resize(m + n), v.upper.resize(m + n);
  for (int i = 0; i < m; ++i) {
    double lo = 0.0, hi = 0.0;
    qrva::rowBounds(s, i, lo, hi);
    v.value[i] = -(s.rhs[i] - p.solution.slack[i]);
    v.lower[i] = -hi, v.upper[i] = -lo;
  }
  for (int j = 0; j < n; ++j)
    v.value[m + j] = p.solution.x[j], v.lower[m + j] = s.lb[j], v.upper[m + j] = s.ub[j];
  return v;
}

bool hasBound(double bound) { return std::fabs(bound) < 1e20; }

}  // namespace

extern "C" {

int QRVAgetpivotorder(QRVAprob prob, int pivots[]) {
  return qrva::withProblem(prob, "QRVAgetpivotorder", [&](P &p) {
    Check chk("QRVAgetpivotorder");
    chk.array(pivots, "pivots");
    qrva::BasisSolver basis(p, chk);
    int m = p.store->nrows(), spare = p.counts().spareRows;
    for (int k = 0; k < basis.rows(); ++k) {
      int v = basis.basicAt(k);
      pivots[k] = v < 0 ? -v - 1 : m + spare + v;
    }
    return QRVA_OK;
  });
}

int QRVAgetpivots(QRVAprob prob, int in, int outlist[], double x[], double *dobj, int *npiv,
                  int maxpiv) {
  return qrva::withProblem(prob, "QRVAgetpivots", [&](P &p) {
    Check chk("QRVAgetpivots");
    const qrva::ProblemStore &s = *p.store;
    int m = s.nrows(), n = s.ncols(), spare = p.counts().spareRows;
    chk.count(maxpiv, "maxpiv");
    if (in < 0 || in >= m + spare + n || (in >= m && in < m + spare))
      chk.fail(formatText("in %d is not a row (0 to %d) or a column (%d to %d)", in, m - 1,
                          m + spare, m + spare + n - 1));
    int q = in < m ? in : in - spare;  // without spare rows
    qrva::BasisSolver basis(p, chk);
    if ((q < m ? p.basis.rows[q] : p.basis.cols[q - m]) == 1)
      chk.fail(formatText("position %d is basic; only a non-basic row or column can enter", in),
               QRVA_ERR_STATE);
    if (!p.solution.hasLp || static_cast<int>(p.solution.x.size()) != n ||
        static_cast<int>(p.solution.slack.size()) != m)
      chk.fail("no LP solution is available; solve the LP first", QRVA_ERR_STATE);
    SimplexVariables v = simplexVariables(p);

    // The entering variable moves off the bound it is at (up from a lower
    // bound or from between its bounds, down from an upper bound); the
    // basic ones change at the rate B^-1 a_q.
    double dir = hasBound(v.upper[q]) && std::fabs(v.value[q] - v.upper[q]) <= kPivotTolerance &&
                         !(hasBound(v.lower[q]) && std::fabs(v.value[q] - v.lower[q]) <= kPivotTolerance)
                     ? -1.0
                     : 1.0;
    std::vector<double> rate(m, 0.0);
    if (q < m)
      rate[q] = 1.0;
    else
      for (const qrva::Entry &e : s.columns[q - m]) rate[e.index] = e.value;
    basis.ftran(rate.data());

    // The step of each blocking variable, the entering one's own bound flip included.
    std::vector<std::pair<int, double>> blocking;
    if (hasBound(v.lower[q]) && hasBound(v.upper[q])) blocking.emplace_back(q, v.upper[q] - v.lower[q]);
    for (int k = 0; k < basis.rows(); ++k) {
      int b = basis.basicAt(k), var = b < 0 ? -b - 1 : m + b;
      double d = dir * rate[k];  // the variable falls at rate d per unit step
      if (d > kPivotTolerance && hasBound(v.lower[var]))
        blocking.emplace_back(var, std::max(0.0, (v.value[var] - v.lower[var]) / d));
      else if (d < -kPivotTolerance && hasBound(v.upper[var]))
        blocking.emplace_back(var, std::max(0.0, (v.upper[var] - v.value[var]) / -d));
    }
    double step = std::numeric_limits<double>::infinity();
    for (const auto &b : blocking) step = std::min(step, b.second);
    int count = 0;
    for (const auto &b : blocking) {
      if (b.second > step + kPivotTolerance * (1.0 + step)) continue;
      if (outlist && count < maxpiv) outlist[count] = b.first < m ? b.first : b.first + spare;
      ++count;
    }

    // The point after the step (the current one when nothing blocks: the
    // direction is unbounded and there is no pivot).
    std::vector<double> after = v.value;
    if (count > 0) {
      after[q] += dir * step;
      for (int k = 0; k < basis.rows(); ++k) {
        int b = basis.basicAt(k);
        after[b < 0 ? -b - 1 : m + b] -= step * dir * rate[k];
      }
    }
    std::vector<double> cols(after.begin() + m, after.end());
    if (x) {
      for (int i = 0; i < m; ++i) x[i] = s.rhs[i] + after[i];  // slack: rhs - activity
      for (int i = 0; i < spare; ++i) x[m + i] = 0.0;
      for (int j = 0; j < n; ++j) x[m + spare + j] = cols[j];
    }
    if (dobj) *dobj = qrva::objectiveAt(s, cols.data());
    if (npiv) *npiv = count;
    return QRVA_OK;
  });
}

}  // extern "C"
