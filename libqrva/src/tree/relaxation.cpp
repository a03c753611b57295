#include "tree/relaxation.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "highs/solver.h"

namespace qrva {
namespace tree {
namespace {

bool finite(double v) { return std::fabs(v) < 1e20; }

}  // namespace

Relaxation::Relaxation(const ProblemStore &s, double integralityTol, double feasibilityTol)
    : store(s), colLo(s.lb), colHi(s.ub), threshold(s.ncols(), 0.0), intTol(integralityTol),
      feasTol(feasibilityTol) {
  int n = s.ncols(), m = s.nrows();
  discrete.assign(n, 0);
  for (int j = 0; j < n; ++j) {
    char t = s.colType[j];
    if (t == 'C') continue;
    discrete[j] = 1;
    if (t == 'B') colLo[j] = std::max(colLo[j], 0.0), colHi[j] = std::min(colHi[j], 1.0);
    if (t == 'S' || t == 'R') {
      threshold[j] = s.limit[j] > 0 ? s.limit[j] : s.lb[j];
      colLo[j] = std::min(0.0, s.lb[j]);
    }
    if (t == 'P') threshold[j] = s.limit[j];
  }
  for (const SosSet &set : s.sets) {
    std::vector<size_t> order(set.cols.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return set.weights[a] < set.weights[b]; });
    setMembers.emplace_back();
    for (size_t i : order) setMembers.back().push_back(set.cols[i]);
  }
  rowLo.resize(m), rowHi.resize(m);
  for (int i = 0; i < m; ++i) rowBounds(s, i, rowLo[i], rowHi[i]);
  lpRowLo = rowLo, lpRowHi = rowHi;
  markedOn = std::vector<std::atomic<char>>(m);
  for (std::atomic<char> &on : markedOn) on.store(0);
  for (const std::set<int> *marked : {&s.delayedRows, &s.modelCuts})
    for (int i : *marked) {
      if (s.indicatorCol[i] >= 0) continue;  // an indicator row is enforced by its binary
      markedRows.push_back(i);
      lpRowLo[i] = -1e20, lpRowHi[i] = 1e20;
    }
  for (int i = 0; i < m; ++i)
    if (s.indicatorCol[i] >= 0) {
      indicatorRows.push_back(i);
      lpRowLo[i] = -1e20, lpRowHi[i] = 1e20;
    }
  // An objective of integer coefficients on integer columns only takes
  // integer values: nodes within 1 of the incumbent cannot improve it.
  objectiveIntegral = s.qobj.empty() && std::fabs(s.objConstant - std::round(s.objConstant)) < 1e-9;
  for (int j = 0; j < n && objectiveIntegral; ++j) {
    double c = s.obj[j];
    if (c == 0.0) continue;
    char t = s.colType[j];
    bool integerCol = t == 'I' || t == 'B' || (t == 'R' && threshold[j] == std::round(threshold[j]));
    if (!integerCol || std::fabs(c - std::round(c)) > 1e-9) objectiveIntegral = false;
  }
}

bool Relaxation::setViolated(int k, const std::vector<double> &x, int &first, int &last) const {
  first = last = -1;
  const std::vector<int> &members = setMembers[k];
  for (size_t i = 0; i < members.size(); ++i)
    if (std::fabs(x[members[i]]) > feasTol) {
      if (first < 0) first = static_cast<int>(i);
      last = static_cast<int>(i);
    }
  return first >= 0 && last - first > (store.sets[k].type == '1' ? 0 : 1);
}

bool Relaxation::integral(double v) const { return std::fabs(v - std::round(v)) <= intTol; }

double Relaxation::activity(int i, const std::vector<double> &x) const {
  const RowWise &rw = store.rowWise();
  double a = 0.0;
  for (int64_t k = rw.start[i]; k < rw.start[i + 1]; ++k)
    a += rw.entries[k].value * x[rw.entries[k].index];
  return a;
}

bool Relaxation::indicatorActive(int i, const std::vector<double> &x) const {
  int z = store.indicatorCol[i];
  double active = store.indicatorComp[i] == 1 ? 1.0 : 0.0;
  return std::fabs(x[z] - active) <= intTol;
}

int Relaxation::joinViolated(const std::set<int> &rows, const std::vector<double> &x) {
  int joined = 0;
  for (int i : rows) {
    if (markedOn[i] || (store.indicatorCol[i] >= 0 && !indicatorActive(i, x))) continue;
    double a = activity(i, x), tol = feasTol * std::max(1.0, std::fabs(a));
    if (a < rowLo[i] - tol || a > rowHi[i] + tol) markedOn[i] = 1, ++joined;
  }
  return joined;
}

bool Relaxation::indicatorForced(int i, const std::vector<double> &lo,
                                 const std::vector<double> &hi) const {
  return store.indicatorFixedOn(i, lo, hi, intTol);
}

bool Relaxation::feasible(const std::vector<double> &x, std::string *why) const {
  const ProblemStore &s = store;
  auto fail = [&](const std::string &text) {
    if (why) *why = text;
    return false;
  };
  for (int j = 0; j < s.ncols(); ++j) {
    double v = x[j], tol = feasTol * std::max(1.0, std::fabs(v));
    if (std::isnan(v)) return fail(formatText("column %d is NaN", j));
    if (v < colLo[j] - tol || v > colHi[j] + tol)
      return fail(formatText("column %d at %g is outside its bounds", j, v));
    if (!discrete[j]) continue;
    char t = s.colType[j];
    bool semiOff = (t == 'S' || t == 'R') && std::fabs(v) <= feasTol;
    if ((t == 'S' || t == 'R') && !semiOff && v < threshold[j] - tol)
      return fail(formatText("semi-continuous column %d at %g is between 0 and %g", j, v,
                             threshold[j]));
    bool mustBeIntegral = t == 'I' || t == 'B' || (t == 'R' && !semiOff) ||
                          (t == 'P' && v < threshold[j] - tol);
    if (mustBeIntegral && !integral(v))
      return fail(formatText("integer column %d at %g is fractional", j, v));
  }
  for (int i = 0; i < s.nrows(); ++i) {
    if (s.indicatorCol[i] >= 0 && !indicatorActive(i, x)) continue;
    double a = activity(i, x), tol = feasTol * std::max(1.0, std::fabs(a));
    if (a < rowLo[i] - tol || a > rowHi[i] + tol)
      return fail(formatText("row %d has activity %g outside [%g, %g]", i, a, rowLo[i], rowHi[i]));
  }
  for (size_t k = 0; k < s.sets.size(); ++k) {
    int first, last;
    if (setViolated(static_cast<int>(k), x, first, last))
      return fail(formatText("set %zu has non-zero members %d and %d", k, first, last));
  }
  return true;
}

void findInfeasibilities(const Relaxation &r, const std::vector<double> &x,
                         const std::vector<double> &rowValue, const std::vector<double> &lo,
                         const std::vector<double> &hi, std::vector<Infeasibility> &out) {
  const ProblemStore &s = r.store;
  out.clear();
  for (int j = 0; j < s.ncols(); ++j) {
    if (!r.discrete[j]) continue;
    char t = s.colType[j];
    double v = x[j];
    if (t == 'S' || t == 'R') {
      bool semiOpen = lo[j] <= 0.0 && hi[j] > 0.0;
      if (semiOpen && v > r.feasTol && v < r.threshold[j] - r.feasTol) {
        out.push_back(Infeasibility{Infeasibility::Semi, j, v});
        continue;
      }
      if (t == 'R' && v > r.feasTol && !r.integral(v))
        out.push_back(Infeasibility{Infeasibility::Integer, j, v});
      continue;
    }
    if (t == 'P' && v >= r.threshold[j] - r.feasTol) continue;
    if (!r.integral(v)) out.push_back(Infeasibility{Infeasibility::Integer, j, v});
  }
  for (size_t k = 0; k < s.sets.size(); ++k) {
    int first, last;
    if (r.setViolated(static_cast<int>(k), x, first, last))
      out.push_back(Infeasibility{Infeasibility::Set, static_cast<int>(k), 0.0});
  }
  for (int i : r.indicatorRows) {
    if (r.indicatorForced(i, lo, hi) || !r.indicatorActive(i, x)) continue;
    double a = rowValue[i], tol = r.feasTol * std::max(1.0, std::fabs(a));
    if (a < r.rowLo[i] - tol || a > r.rowHi[i] + tol)
      out.push_back(Infeasibility{Infeasibility::Indicator, i, a});
  }
}

}  // namespace tree
}  // namespace qrva
