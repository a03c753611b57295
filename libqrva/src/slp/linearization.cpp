#include "slp/linearization.h"

#include <algorithm>
#include <cmath>

namespace qrva {
namespace nlp {

bool isSubstituted(const Nlp &nlp, const Nlp::Determined &d) {
  return !finite(nlp.s.lb[d.col]) && !finite(nlp.s.ub[d.col]);
}

Subproblem linearization(const Nlp &nlp, const Point &pt, const std::vector<double> &stepBound,
                         double penalty, const QuasiNewton *qn, bool enforce) {
  const ProblemStore &s = nlp.s;
  int n = nlp.n, nr = static_cast<int>(nlp.rows.size());
  Subproblem sp;
  sp.cost.resize(n + 2 * nr), sp.colLower.resize(n + 2 * nr), sp.colUpper.resize(n + 2 * nr);
  for (int j = 0; j < n; ++j) {
    sp.cost[j] = nlp.sense * s.obj[j];
    sp.colLower[j] = s.lb[j], sp.colUpper[j] = s.ub[j];
  }
  for (const auto &e : pt.objGrad) sp.cost[e.first] += nlp.sense * e.second;
  // Each row's part that does not move with the subproblem's columns: the
  // nonlinear columns' linear entries at pt, and the nonlinear part at pt
  // (g(x) ~ g(pt) + grad'd). It moves the row's bounds.
  std::vector<double> shift(nlp.m, 0.0);
  for (size_t a = 0; a < nlp.nonlinearCols.size(); ++a) {
    int j = nlp.nonlinearCols[a];
    sp.colLower[j] = std::max(s.lb[j] - pt.x[j], -stepBound[a]);
    sp.colUpper[j] = std::min(s.ub[j] - pt.x[j], stepBound[a]);
    for (const Entry &e : s.columns[j]) shift[e.index] += e.value * pt.x[j];
  }
  std::vector<std::vector<Entry>> cols(s.columns.begin(), s.columns.end());
  cols.resize(n + 2 * nr);
  for (int k = 0; k < nr; ++k) {
    int i = nlp.rows[k].row;
    shift[i] += pt.nlValue[k];
    for (const auto &e : pt.nlGrad[k])
      cols[e.first].push_back(Entry{i, nlp.linearized(k, e.first, e.second)});
  }
  sp.rowLower = nlp.lo, sp.rowUpper = nlp.hi;
  for (int i = 0; i < nlp.m; ++i) {
    if (finite(sp.rowLower[i])) sp.rowLower[i] -= shift[i];
    if (finite(sp.rowUpper[i])) sp.rowUpper[i] -= shift[i];
  }
  for (int k = 0; k < nr; ++k) {
    int i = nlp.rows[k].row;
    bool free = !finite(nlp.lo[i]) && !finite(nlp.hi[i]);
    bool none = free || (enforce && nlp.rows[k].enforced);
    for (int side = 0; side < 2; ++side) {
      int e = n + 2 * k + side;
      sp.cost[e] = penalty * nlp.rows[k].weight;
      sp.colLower[e] = 0.0, sp.colUpper[e] = none ? 0.0 : kInf;
      cols[e].push_back(Entry{i, side == 0 ? 1.0 : -1.0});
    }
  }
  // Free determined columns substituted out (see linearization.h).
  std::vector<double> moved(nlp.m, 0.0);
  std::vector<char> substitutedRow(nlp.m, 0);
  for (const Nlp::Determined &d : nlp.determined) {
    if (!isSubstituted(nlp, d)) continue;
    substitutedRow[d.row] = 1;
    moved[d.row] = sp.cost[d.col] / d.coef;
    sp.rowLower[d.row] = -kInf, sp.rowUpper[d.row] = kInf;
  }
  for (size_t j = 0; j < cols.size(); ++j)
    for (const Entry &e : cols[j])
      if (substitutedRow[e.index]) sp.cost[j] -= moved[e.index] * e.value;
  for (int k = 0; k < nr; ++k)
    if (substitutedRow[nlp.rows[k].row]) sp.colUpper[n + 2 * k] = sp.colUpper[n + 2 * k + 1] = 0.0;
  for (const Nlp::Determined &d : nlp.determined)  // what rounding left of its cost
    if (substitutedRow[d.row]) sp.cost[d.col] = 0.0;
  sp.start.assign(1, 0);
  for (size_t j = 0; j < cols.size(); ++j) {
    auto &c = cols[j];
    if (j < static_cast<size_t>(n) && nlp.isNonlinearCol[j]) {
      std::sort(c.begin(), c.end(), [](const Entry &a, const Entry &b) { return a.index < b.index; });
      size_t out = 0;
      for (size_t k = 0; k < c.size(); ++k) {
        if (out > 0 && c[out - 1].index == c[k].index) c[out - 1].value += c[k].value;
        else c[out++] = c[k];
      }
      c.resize(out);
    }
    for (const Entry &e : c)
      if (e.value != 0.0) sp.index.push_back(e.index), sp.value.push_back(e.value);
    sp.start.push_back(static_cast<int>(sp.index.size()));
  }
  sp.start.pop_back();
  if (qn && qn->active()) {
    // 1/2 d'Bd over the steps of the nonlinear columns.
    size_t nc = nlp.nonlinearCols.size();
    sp.qStart.assign(n + 2 * nr, 0);
    std::vector<std::vector<std::pair<int, double>>> lower(n);
    for (size_t a = 0; a < nc; ++a) {
      int ja = nlp.nonlinearCols[a];
      for (size_t b = a; b < nc; ++b) {
        double v = qn->at(a, b);
        if (std::fabs(v) > 1e-14) lower[ja].emplace_back(nlp.nonlinearCols[b], v);
      }
    }
    for (int j = 0; j < n; ++j) {
      sp.qStart[j] = static_cast<int>(sp.qIndex.size());
      for (const auto &e : lower[j]) sp.qIndex.push_back(e.first), sp.qValue.push_back(e.second);
    }
    for (int j = n; j < n + 2 * nr; ++j) sp.qStart[j] = static_cast<int>(sp.qIndex.size());
  }
  return sp;
}

void restoreSubstituted(const Nlp &nlp, std::vector<double> &dual, std::vector<double> &dj) {
  for (const Nlp::Determined &d : nlp.determined)
    if (isSubstituted(nlp, d)) dual[d.row] = nlp.sense * nlp.s.obj[d.col] / d.coef, dj[d.col] = 0.0;
}

std::vector<double> pointOf(const Nlp &nlp, const Point &pt, const std::vector<double> &lpX) {
  std::vector<double> x(lpX.begin(), lpX.begin() + nlp.n);
  for (int j : nlp.nonlinearCols) x[j] += pt.x[j];
  return x;
}

double modelMerit(const Nlp &nlp, const Point &pt, std::vector<double> &x, double penalty,
                  const QuasiNewton *qn, double &linearViolation) {
  const ProblemStore &s = nlp.s;
  std::vector<double> act(nlp.m, 0.0);
  for (int j = 0; j < nlp.n; ++j)
    if (x[j] != 0.0)
      for (const Entry &e : s.columns[j]) act[e.index] += e.value * x[j];
  for (size_t k = 0; k < nlp.rows.size(); ++k) {
    int i = nlp.rows[k].row;
    act[i] += pt.nlValue[k];
    for (const auto &e : pt.nlGrad[k])
      act[i] += nlp.linearized(k, e.first, e.second) * (x[e.first] - pt.x[e.first]);
  }
  for (const Nlp::Determined &d : nlp.determined) {
    double rest = act[d.row] - d.coef * x[d.col];
    x[d.col] = std::min(std::max((s.rhs[d.row] - rest) / d.coef, s.lb[d.col]), s.ub[d.col]);
    act[d.row] = rest + d.coef * x[d.col];
  }
  double obj = pt.objective;
  for (int j = 0; j < nlp.n; ++j) obj += s.obj[j] * (x[j] - pt.x[j]);
  for (const auto &e : pt.objGrad) obj += e.second * (x[e.first] - pt.x[e.first]);
  double merit = nlp.sense * obj;
  if (qn && qn->active()) {
    size_t nc = nlp.nonlinearCols.size();
    for (size_t a = 0; a < nc; ++a)
      for (size_t b = 0; b < nc; ++b)
        merit += 0.5 * qn->at(a, b) * (x[nlp.nonlinearCols[a]] - pt.x[nlp.nonlinearCols[a]]) *
                 (x[nlp.nonlinearCols[b]] - pt.x[nlp.nonlinearCols[b]]);
  }
  linearViolation = 0.0;
  for (const NonlinearRow &r : nlp.rows)
    linearViolation += r.weight * violationOf(act[r.row], nlp.lo[r.row], nlp.hi[r.row]);
  return merit + penalty * linearViolation;
}

Subproblem linearProjection(const Nlp &nlp, const std::vector<double> &x0) {
  const ProblemStore &s = nlp.s;
  int n = nlp.n, m = nlp.m, nc = static_cast<int>(nlp.nonlinearCols.size());
  Subproblem sp;
  sp.cost.assign(n + 2 * nc, 0.0);
  sp.colLower = s.lb, sp.colUpper = s.ub;
  sp.colLower.resize(n + 2 * nc, 0.0), sp.colUpper.resize(n + 2 * nc, kInf);
  sp.rowLower = nlp.lo, sp.rowUpper = nlp.hi;
  for (const NonlinearRow &r : nlp.rows) sp.rowLower[r.row] = -kInf, sp.rowUpper[r.row] = kInf;
  std::vector<std::vector<Entry>> cols(s.columns.begin(), s.columns.end());
  cols.resize(n + 2 * nc);
  for (int a = 0; a < nc; ++a) {
    int j = nlp.nonlinearCols[a], row = m + a;
    // x_j - up + down = x0_j, at the cost of |up| + |down|.
    cols[j].push_back(Entry{row, 1.0});
    cols[n + 2 * a].push_back(Entry{row, -1.0});
    cols[n + 2 * a + 1].push_back(Entry{row, 1.0});
    sp.cost[n + 2 * a] = sp.cost[n + 2 * a + 1] = 1.0;
    sp.rowLower.push_back(x0[j]), sp.rowUpper.push_back(x0[j]);
  }
  sp.start.assign(1, 0);
  for (const auto &c : cols) {
    for (const Entry &e : c) sp.index.push_back(e.index), sp.value.push_back(e.value);
    sp.start.push_back(static_cast<int>(sp.index.size()));
  }
  sp.start.pop_back();
  return sp;
}

}  // namespace nlp
}  // namespace qrva
