#include "slp/presolve.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "highs/solver.h"
#include "slp/description.h"

namespace qrva {
namespace {

using nlp::finite;
using nlp::kInf;
using Step = PresolvedProblem::Step;

bool close(double a, double b, double tol) { return std::fabs(a - b) <= tol * std::max(1.0, std::fabs(a)); }

// What presolve must leave alone: columns and rows with nonlinear parts or
// marks, and the rows a reduction can never take.
struct Untouchable {
  std::vector<char> cols, rows;

  Untouchable(const ProblemStore &s, const SlpStore &slp)
      : cols(s.ncols(), 0), rows(s.nrows(), 0) {
    auto col = [&](int j) {
      if (j >= 0 && j < s.ncols()) cols[j] = 1;
    };
    auto row = [&](int i) {
      if (i >= 0 && i < s.nrows()) rows[i] = 1;
    };
    for (const auto &c : slp.coefficients) {
      row(c.first.first), col(c.first.second);
      for (int j : formulaColumns(c.second.formula)) col(j);
    }
    for (const auto &q : s.qrows) {
      row(q.first);
      for (const auto &t : q.second) col(t.first.first), col(t.first.second);
    }
    for (const auto &t : s.qobj) col(t.first.first), col(t.first.second);
    for (const auto &v : slp.variables)
      if (v.second.detrow >= 0) col(v.first), row(v.second.detrow);
    for (const auto &r : slp.rows) row(r.first);
    for (int j : s.secureCols) col(j);
    for (int i : s.secureRows) row(i);
    for (int i = 0; i < s.nrows(); ++i)
      if (s.rowType[i] == 'N' || s.indicatorCol[i] >= 0) row(i);
    for (int i = 0; i < s.nrows(); ++i)
      if (s.indicatorCol[i] >= 0) col(s.indicatorCol[i]);
  }
};

}  // namespace

PresolvedProblem presolveProblem(const ProblemStore &s, const SlpStore &slp, double tol) {
  int n = s.ncols(), m = s.nrows();
  Untouchable keepAsIs(s, slp);
  std::vector<double> lb = s.lb, ub = s.ub, shift(m, 0.0);
  std::vector<char> colGone(n, 0), rowGone(m, 0);
  std::vector<std::vector<Entry>> rowEntries(m);
  for (int j = 0; j < n; ++j)
    for (const Entry &e : s.columns[j]) rowEntries[e.index].push_back(Entry{j, e.value});
  PresolvedProblem pre;
  double objShift = 0.0;
  for (bool changed = true; changed;) {
    changed = false;
    for (int j = 0; j < n; ++j) {
      if (colGone[j] || keepAsIs.cols[j] || !finite(lb[j]) || !close(lb[j], ub[j], tol)) continue;
      double v = lb[j] == ub[j] ? lb[j] : 0.5 * (lb[j] + ub[j]);
      for (const Entry &e : s.columns[j]) shift[e.index] += e.value * v;
      objShift += s.obj[j] * v;
      colGone[j] = 1, changed = true;
      pre.steps.push_back(Step{Step::FixedColumn, -1, j, v});
      ++pre.fixedColumns;
    }
    for (int i = 0; i < m; ++i) {
      if (rowGone[i] || keepAsIs.rows[i]) continue;
      const Entry *only = nullptr;
      int count = 0;
      for (const Entry &e : rowEntries[i])
        if (!colGone[e.index]) only = &e, ++count;
      if (count > 1) continue;
      double lo, hi;
      rowBounds(s, i, lo, hi);
      if (finite(lo)) lo -= shift[i];
      if (finite(hi)) hi -= shift[i];
      if (count == 0) {
        if (lo > tol * std::max(1.0, std::fabs(lo)) || hi < -tol * std::max(1.0, std::fabs(hi))) continue;
        rowGone[i] = 1, changed = true;
        pre.steps.push_back(Step{Step::EmptyRow, i, -1, 0.0});
        ++pre.emptyRows;
        continue;
      }
      int j = only->index;
      double a = only->value;
      double from = finite(a > 0 ? lo : hi) ? (a > 0 ? lo : hi) / a : -kInf;
      double to = finite(a > 0 ? hi : lo) ? (a > 0 ? hi : lo) / a : kInf;
      double newLb = std::max(lb[j], from), newUb = std::min(ub[j], to);
      if (newLb > newUb && !close(newLb, newUb, tol)) continue;  // the solve tells infeasible
      if (newLb > newUb) newLb = newUb = 0.5 * (newLb + newUb);
      Step st{Step::BoundRow, i, j, a};
      st.gaveLower = newLb > lb[j], st.gaveUpper = newUb < ub[j];
      lb[j] = newLb, ub[j] = newUb;
      rowGone[i] = 1, changed = true;
      pre.steps.push_back(st);
      ++pre.boundRows;
    }
  }
  auto store = std::make_unique<ProblemStore>(s);
  store->lb = lb, store->ub = ub;
  store->objConstant += objShift;
  for (int i = 0; i < m; ++i) store->rhs[i] -= shift[i];
  auto slpCopy = std::make_unique<SlpStore>(slp);
  slpCopy->solution = SlpSolution{};
  std::vector<char> keepRow(m), keepCol(n);
  for (int i = 0; i < m; ++i)
    if ((keepRow[i] = !rowGone[i])) pre.rowOf.push_back(i);
  for (int j = 0; j < n; ++j)
    if ((keepCol[j] = !colGone[j])) pre.colOf.push_back(j);
  store->keepRows(keepRow), slpCopy->keepRows(keepRow);
  store->keepCols(keepCol), slpCopy->keepCols(keepCol);
  pre.store = std::move(store), pre.slp = std::move(slpCopy);
  return pre;
}

NlpOutcome postsolveOutcome(const PresolvedProblem &pre, const ProblemStore &s, NlpOutcome out,
                            double tol) {
  int n = s.ncols(), m = s.nrows();
  const SlpSolution &r = out.solution;
  SlpSolution sol;
  sol.sense = r.sense, sol.penalty = r.penalty;
  sol.x.assign(n, 0.0), sol.dj.assign(n, 0.0), sol.dual.assign(m, 0.0), sol.slack.assign(m, 0.0);
  bool details = !r.columns.empty();
  if (details) sol.columns.assign(n, SlpColumnDetail{}), sol.rows.assign(m, SlpRowDetail{});
  std::vector<char> converged(n, 1);
  auto mapped = [](const std::vector<int> &to, int k) { return k >= 0 && k < static_cast<int>(to.size()) ? to[k] : k; };
  for (size_t k = 0; k < pre.colOf.size(); ++k) {
    int j = pre.colOf[k];
    sol.x[j] = r.x[k], sol.dj[j] = r.dj[k];
    if (!out.converged.empty()) converged[j] = out.converged[k];
    if (details) {
      sol.columns[j] = r.columns[k];
      if (sol.columns[j].deltaIndex >= 0) sol.columns[j].deltaIndex = j;
      sol.columns[j].updateRow = mapped(pre.rowOf, r.columns[k].updateRow);
    }
  }
  for (size_t k = 0; k < pre.rowOf.size(); ++k) {
    int i = pre.rowOf[k];
    sol.dual[i] = r.dual[k], sol.slack[i] = r.slack[k];
    if (details) sol.rows[i] = r.rows[k];
  }
  for (const Step &st : pre.steps)
    if (st.kind == Step::FixedColumn) sol.x[st.col] = st.value;
  std::vector<double> activity(m, 0.0);
  for (int j = 0; j < n; ++j)
    for (const Entry &e : s.columns[j]) activity[e.index] += e.value * sol.x[j];
  for (auto st = pre.steps.rbegin(); st != pre.steps.rend(); ++st) {
    if (st->kind == Step::FixedColumn) {
      // Its reduced cost over the duals of the rows it is in at this stage
      // (the rows taken later in presolve have none yet).
      int j = st->col;
      double d = s.obj[j];
      for (const Entry &e : s.columns[j]) d -= e.value * sol.dual[e.index];
      sol.dj[j] = d;
    } else if (st->kind == Step::BoundRow) {
      // The column ends at a bound this row gave: the row is what holds it
      // there, so the row takes the column's reduced cost.
      int i = st->row, j = st->col;
      double lo, hi;
      rowBounds(s, i, lo, hi);
      bool atLower = finite(lo) && close(activity[i], lo, tol);
      bool atUpper = finite(hi) && close(activity[i], hi, tol);
      bool rowHolds = st->value > 0 ? (atLower && st->gaveLower) || (atUpper && st->gaveUpper)
                                    : (atLower && st->gaveUpper) || (atUpper && st->gaveLower);
      if (rowHolds && sol.dj[j] != 0.0) {
        sol.dual[i] = sol.dj[j] / st->value;
        sol.dj[j] = 0.0;
      }
    }
  }
  // The slacks of the rows presolve took, at the postsolved point.
  for (const Step &st : pre.steps)
    if (st.kind != Step::FixedColumn) sol.slack[st.row] = s.rhs[st.row] - activity[st.row];
  out.solution = std::move(sol);
  if (!out.converged.empty()) out.converged = std::move(converged);
  return out;
}

std::string presolveSummary(const PresolvedProblem &pre) {
  return formatText("SLP presolve: %d fixed columns and %d empty rows removed, %d rows made "
                    "bounds; %d rows and %d columns remain",
                    pre.fixedColumns, pre.emptyRows, pre.boundRows, pre.store->nrows(),
                    pre.store->ncols());
}

NlpOutcome solvePresolved(qrva_problem_s &p, qslp_problem_s &slp, const NlpSettings &settings,
                          const Check &chk, bool relaxed) {
  PresolvedProblem pre = presolveProblem(*p.store, *slp.store, settings.feasTol);
  if (settings.log > 0) p.message(QRVA_MSG_INFO, presolveSummary(pre));
  // The presolved problem stands in for the problem during the solve; the
  // guard puts the problem's own stores back on every path.
  struct Swap {
    qrva_problem_s &p;
    qslp_problem_s &slp;
    PresolvedProblem &pre;
    Swap(qrva_problem_s &p_, qslp_problem_s &s_, PresolvedProblem &r_) : p(p_), slp(s_), pre(r_) { swap(); }
    ~Swap() { swap(); }
    void swap() { std::swap(p.store, pre.store), std::swap(slp.store, pre.slp); }
  };
  NlpOutcome out;
  {
    Swap swap(p, slp, pre);
    out = solveAsStored(p, &slp, settings, chk, relaxed);
  }
  return postsolveOutcome(pre, *p.store, std::move(out), settings.feasTol);
}

}  // namespace qrva
