#include "analysis/calculations.h"

#include <algorithm>
#include <cmath>

#include "highs/solver.h"

namespace qrva {

namespace {

bool finite(double b) { return std::fabs(b) < QRVA_INFINITY; }

// Whether column j must take integer values, and may at x (semi-integer
// columns at zero and partially integer ones above their limit may not).
bool integralAt(const ProblemStore &s, int j, double x) {
  switch (s.colType[j]) {
    case 'I':
    case 'B': return true;
    case 'R': return x != 0.0;
    case 'P': return x <= s.limit[j];
    default: return false;
  }
}

}  // namespace

double objectiveAt(const ProblemStore &s, const double *x) {
  double value = s.objConstant;
  for (int j = 0; j < s.ncols(); ++j) value += s.obj[j] * x[j];
  for (const auto &t : s.qobj) {
    int i = t.first.first, j = t.first.second;
    value += (i == j ? 0.5 : 1.0) * t.second * x[i] * x[j];
  }
  return value;
}

std::vector<double> activitiesAt(const ProblemStore &s, const double *x) {
  std::vector<double> act(s.nrows(), 0.0);
  for (int j = 0; j < s.ncols(); ++j)
    for (const Entry &e : s.columns[j]) act[e.index] += e.value * x[j];
  for (const auto &row : s.qrows)
    for (const auto &t : row.second) {
      int i = t.first.first, j = t.first.second;
      act[row.first] += (i == j ? 1.0 : 2.0) * t.second * x[i] * x[j];
    }
  return act;
}

std::vector<double> reducedCostsAt(const ProblemStore &s, const double *y, const double *x) {
  std::vector<double> dj(s.obj);
  for (int j = 0; j < s.ncols(); ++j)
    for (const Entry &e : s.columns[j]) dj[j] -= e.value * y[e.index];
  if (x)
    for (const auto &t : s.qobj) {
      int i = t.first.first, j = t.first.second;
      dj[i] += t.second * x[j];
      if (i != j) dj[j] += t.second * x[i];
    }
  return dj;
}

double solutionMeasure(const ProblemStore &s, const Check &chk, const double *x, const double *y,
                       int property) {
  if (property < QRVA_SOLINFO_ABSPRIMALINFEAS || property > QRVA_SOLINFO_MAXMIPFRACTIONAL)
    chk.fail(formatText("property %d is not one of %d to %d (QRVA_SOLINFO_*)", property,
                        QRVA_SOLINFO_ABSPRIMALINFEAS, QRVA_SOLINFO_MAXMIPFRACTIONAL));
  bool primal = property <= QRVA_SOLINFO_RELPRIMALINFEAS || property == QRVA_SOLINFO_MAXMIPFRACTIONAL;
  bool relative = property == QRVA_SOLINFO_RELPRIMALINFEAS || property == QRVA_SOLINFO_RELDUALINFEAS;
  if (primal || !s.qobj.empty()) chk.array(x, "solution");
  if (!primal) chk.array(y, "dual");
  double worst = 0.0;
  auto note = [&](double violation, double scale) {
    if (violation > 0.0) worst = std::max(worst, relative ? violation / (1.0 + std::fabs(scale)) : violation);
  };
  if (property == QRVA_SOLINFO_MAXMIPFRACTIONAL) {
    for (int j = 0; j < s.ncols(); ++j)
      if (integralAt(s, j, x[j])) worst = std::max(worst, std::fabs(x[j] - std::round(x[j])));
    return worst;
  }
  if (primal) {
    std::vector<double> act = activitiesAt(s, x);
    for (int i = 0; i < s.nrows(); ++i) {
      double lo, hi;
      rowBounds(s, i, lo, hi);
      if (finite(lo)) note(lo - act[i], lo);
      if (finite(hi)) note(act[i] - hi, hi);
    }
    for (int j = 0; j < s.ncols(); ++j) {
      if (finite(s.lb[j])) note(s.lb[j] - x[j], s.lb[j]);
      if (finite(s.ub[j])) note(x[j] - s.ub[j], s.ub[j]);
    }
    return worst;
  }
  // Dual feasibility (minimising; a maximised objective turns the signs): a
  // reduced cost may be positive only where the column has a lower bound,
  // negative only where it has an upper one; a row's dual likewise by the
  // row's bounds.
  std::vector<double> dj = reducedCostsAt(s, y, x);
  for (int j = 0; j < s.ncols(); ++j) {
    double d = dj[j] * s.objSense;
    if (!finite(s.lb[j])) note(d, s.obj[j]);
    if (!finite(s.ub[j])) note(-d, s.obj[j]);
  }
  for (int i = 0; i < s.nrows(); ++i) {
    double lo, hi, d = y[i] * s.objSense;
    rowBounds(s, i, lo, hi);
    if (!finite(lo)) note(d, 0.0);
    if (!finite(hi)) note(-d, 0.0);
  }
  return worst;
}

}  // namespace qrva
