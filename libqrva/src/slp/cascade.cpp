#include "slp/cascade.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <queue>
#include <set>

#include "slp/evaluation.h"
#include "slp/events.h"

namespace qrva {
namespace nlp {
namespace {

const int kDefaultLimit = 10;

// The determined columns and their rows: columns whose SLP setting names a
// row of the problem.
std::map<int, int> determinedColumns(const qslp_problem_s &slp) {
  std::map<int, int> rowOf;
  int m = slp.qprob->store->nrows(), n = slp.qprob->store->ncols();
  for (const auto &v : slp.store->variables)
    if (v.first < n && v.second.detrow >= 0 && v.second.detrow < m) rowOf[v.first] = v.second.detrow;
  return rowOf;
}

// Every column row uses: its linear elements, formula coefficients (their
// columns and the columns of their formulas) and quadratic terms.
std::set<int> columnsOfRow(const qslp_problem_s &slp, int row, const std::map<int, int> &determined) {
  const ProblemStore &s = *slp.qprob->store;
  std::set<int> used;
  for (const auto &d : determined)
    for (const Entry &e : s.columns[d.first])
      if (e.index == row && e.value != 0.0) used.insert(d.first);
  const auto &coefs = slp.store->coefficients;
  for (auto it = coefs.lower_bound({row, -1}); it != coefs.end() && it->first.first == row; ++it) {
    if (it->first.second >= 0) used.insert(it->first.second);
    for (int j : formulaColumns(it->second.formula)) used.insert(j);
  }
  auto q = s.qrows.find(row);
  if (q != s.qrows.end())
    for (const auto &t : q->second) used.insert(t.first.first), used.insert(t.first.second);
  return used;
}

double linearCoefficient(const ProblemStore &s, int row, int col) {
  double a = 0.0;
  for (const Entry &e : s.columns[col])
    if (e.index == row) a += e.value;
  return a;
}

// The derivative of row's nonlinear part with respect to col at pt.
double nonlinearDerivative(const Nlp &nlp, const Point &pt, int row, int col) {
  for (size_t k = 0; k < nlp.rows.size(); ++k) {
    if (nlp.rows[k].row != row) continue;
    for (const auto &g : pt.nlGrad[k])
      if (g.first == col) return g.second;
  }
  return 0.0;
}

enum class Pass { Computed, Failed, Stop };

// Newton passes on col's row until it holds (or the column sits at the bound
// the row pushes it to), at most limit of them.
Pass computeColumn(const Nlp &nlp, int col, int row, int limit, std::vector<double> &x,
                   double feasTol) {
  const ProblemStore &s = nlp.s;
  char type = s.rowType[row];
  if (type != 'E' && type != 'L' && type != 'G') return Pass::Failed;
  double target = s.rhs[row], a = linearCoefficient(s, row, col);
  double start = x[col];
  Point pt;
  for (int pass = 0; pass < limit; ++pass) {
    pt.x = x;
    evaluate(nlp, pt, true);
    if (!pt.ok) {
      x[col] = start;
      return pt.stop ? Pass::Stop : Pass::Failed;
    }
    double residual = pt.activity[row] - target;
    if (std::fabs(residual) <= feasTol * std::max(1.0, std::fabs(target))) return Pass::Computed;
    double slope = a + nonlinearDerivative(nlp, pt, row, col);
    if (slope == 0.0 || !std::isfinite(slope)) {
      x[col] = start;
      return Pass::Failed;
    }
    double v = std::min(std::max(x[col] - residual / slope, s.lb[col]), s.ub[col]);
    if (!std::isfinite(v)) {
      x[col] = start;
      return Pass::Failed;
    }
    if (v == x[col]) return Pass::Computed;  // at the bound the row pushes it to
    x[col] = v;
  }
  return Pass::Computed;
}

}  // namespace

std::vector<int> cascadeOrder(const qslp_problem_s &slp, const Check &chk) {
  std::map<int, int> determined = determinedColumns(slp);
  // after[k]: the determined columns whose rows use column k.
  std::map<int, std::vector<int>> after;
  std::map<int, int> waiting;  // per determined column, the determined columns it waits for
  std::map<int, std::vector<int>> uses;
  for (const auto &d : determined) {
    waiting[d.first] = 0;
    for (int k : columnsOfRow(slp, d.second, determined))
      if (k != d.first && determined.count(k)) {
        after[k].push_back(d.first);
        uses[d.first].push_back(k);
        ++waiting[d.first];
      }
  }
  std::priority_queue<int, std::vector<int>, std::greater<int>> ready;
  for (const auto &w : waiting)
    if (w.second == 0) ready.push(w.first);
  std::vector<int> order;
  while (!ready.empty()) {
    int j = ready.top();
    ready.pop();
    order.push_back(j);
    for (int k : after[j])
      if (--waiting[k] == 0) ready.push(k);
  }
  if (order.size() == determined.size()) return order;
  // Walk back from a column left over through columns still waiting until
  // one repeats: that one lies on a cycle.
  int j = -1;
  for (const auto &w : waiting)
    if (w.second > 0) {
      j = w.first;
      break;
    }
  auto next = [&](int c) {
    for (int k : uses[c])
      if (waiting[k] > 0) return k;
    return c;  // not reached: a column still waiting waits for one still waiting
  };
  std::set<int> seen;
  while (seen.insert(j).second) j = next(j);
  std::string cycle = formatText("column %d (row %d)", j, determined[j]);
  for (int k = next(j); k != j; k = next(k))
    cycle += formatText(" uses column %d (row %d)", k, determined[k]);
  cycle += formatText(" uses column %d", j);
  chk.fail(formatText("column %d lies on a cycle of determined columns: %s; columns that "
                      "determine each other cannot be cascaded",
                      j, cycle.c_str()),
           QRVA_ERR_STATE);
}

CascadeResult cascadePoint(const qslp_problem_s &slp, const Nlp &nlp, const std::vector<int> &order,
                           std::vector<double> &x, const SlpEvents &events, double feasTol) {
  CascadeResult r;
  if (order.empty()) return r;
  const auto &catalog = slpCatalog();
  int defaultLimit = static_cast<int>(
      slp.controls[catalog.indexOf(catalog.find(QSLP_SLPCASCADENLIMIT))].i);
  if (defaultLimit <= 0) defaultLimit = kDefaultLimit;
  Nlp own = nlp;
  own.determined.clear();  // the values computed here are the ones to use
  if (events.stage(SlpCallbackKind::CascadeStart)) {
    r.stop = true;
    return r;
  }
  for (int j : order) {
    const SlpVariable &v = slp.store->variables.at(j);
    int limit = v.cascadeLimit > 0 ? v.cascadeLimit : defaultLimit;
    Pass p = computeColumn(own, j, v.detrow, limit, x, feasTol);
    if (p == Pass::Stop) {
      r.stop = true;
      return r;
    }
    bool stop;
    if (p == Pass::Computed) ++r.computed, stop = events.cascadeVar(j, false);
    else ++r.failed, stop = events.cascadeVar(j, true);
    if (stop) {
      r.stop = true;
      return r;
    }
  }
  r.stop = events.stage(SlpCallbackKind::CascadeEnd);
  return r;
}

}  // namespace nlp
}  // namespace qrva
