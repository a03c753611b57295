#include "tree/worker.h"

#include <cmath>

#include "core/environment.h"

namespace qrva {
namespace tree {

Worker::Worker(Search &s, qrva_problem_s &o, const Relaxation &r, int thread)
    : search(s), id(thread), owner(o), relax(r), prob(std::make_unique<qrva_problem_s>()),
      lp(o, r.colLo, r.colHi, r.lpRowLo, r.lpRowHi), lo(r.colLo), hi(r.colHi),
      baseRows_(o.store->nrows()) {
  prob->name = o.name;
  prob->controls = o.controls;
  prob->store = std::make_unique<ProblemStore>(*o.store);
  prob->treeWorker = this;
  prob->nodeAttributes.thread = thread;
  mark_.assign(lo.size(), -1);
  enforced_.assign(r.indicatorRows.size(), 0);
  markedOn_.assign(r.markedRows.size(), 0);
  Environment::instance().registerHandle(prob.get());
}

Worker::~Worker() { Environment::instance().unregisterHandle(prob.get()); }

void Worker::syncStoreBound(int j) {
  ProblemStore &s = *prob->store;
  char t = s.colType[j];
  // A semi-continuous column still free to be 0 or above its threshold
  // keeps the bounds that say so.
  if ((t == 'S' || t == 'R') && lo[j] <= 0.0 && hi[j] > 0.0) {
    s.lb[j] = relax.store.lb[j], s.ub[j] = hi[j];
    return;
  }
  s.lb[j] = lo[j], s.ub[j] = hi[j];
}

void Worker::apply(const Node &n) {
  ++stamp_;
  std::vector<int> cols;
  std::vector<double> l, u;
  auto set = [&](int j, double a, double b) {
    if (lo[j] == a && hi[j] == b) return;
    lo[j] = a, hi[j] = b;
    cols.push_back(j), l.push_back(a), u.push_back(b);
    syncStoreBound(j);
  };
  for (const ColBound &b : n.bounds) mark_[b.col] = stamp_;
  for (int j : changed_)
    if (mark_[j] != stamp_) set(j, relax.colLo[j], relax.colHi[j]);
  changed_.clear();
  for (const ColBound &b : n.bounds) set(b.col, b.lo, b.hi), changed_.push_back(b.col);
  lp.setColBounds(cols, l, u);

  std::vector<int> rows;
  std::vector<double> rl, ru;
  for (size_t k = 0; k < relax.indicatorRows.size(); ++k) {
    int i = relax.indicatorRows[k];
    char forced = relax.indicatorForced(i, lo, hi) ? 1 : 0;
    if (forced == enforced_[k]) continue;
    enforced_[k] = forced;
    rows.push_back(i);
    rl.push_back(forced ? relax.rowLo[i] : -1e20), ru.push_back(forced ? relax.rowHi[i] : 1e20);
  }
  lp.setRowBounds(rows, rl, ru);
  syncMarkedRows();

  bool rowsChanged = n.rows != loaded_;
  if (rowsChanged) reloadRows(n);
  if ((rowsChanged || n.parent != lastNode_) && n.basis) lp.setBasis(*n.basis);
  lastNode_ = n.id;
}

void Worker::begin(Node &n) {
  node = &n;
  added.clear(), userBranches.clear(), branchRows.clear(), storedBranches.clear();
  rowsDeleted = false;
}

void Worker::reloadRows(const Node &n) {
  lp.truncateRows(baseRows_);
  std::vector<const LpRow *> add;
  for (const auto &r : n.rows) add.push_back(r.get());
  lp.addRows(add);
  loaded_ = n.rows;
  syncStoreRows();
}

std::vector<std::shared_ptr<const LpRow>> Worker::nodeRows() const {
  std::vector<std::shared_ptr<const LpRow>> rows = node ? node->rows : loaded_;
  rows.insert(rows.end(), added.begin(), added.end());
  return rows;
}

CutPool &Worker::pool() { return *owner.cutPool; }

bool Worker::syncMarkedRows() {
  std::vector<int> rows;
  std::vector<double> rl, ru;
  for (size_t k = 0; k < relax.markedRows.size(); ++k) {
    int i = relax.markedRows[k];
    char on = relax.markedOn[i].load();  // another worker may be joining it now
    if (markedOn_[k] == on) continue;
    markedOn_[k] = on;
    rows.push_back(i), rl.push_back(relax.rowLo[i]), ru.push_back(relax.rowHi[i]);
  }
  lp.setRowBounds(rows, rl, ru);
  return !rows.empty();
}

void Worker::syncStoreRows() {
  ProblemStore &s = *prob->store;
  if (s.nrows() > baseRows_) {
    std::vector<char> keep(s.nrows(), 0);
    for (int i = 0; i < baseRows_; ++i) keep[i] = 1;
    s.keepRows(keep);
  }
  for (const auto &r : loaded_) {
    bool hasLo = r->lower > -1e20, hasHi = r->upper < 1e20;
    char type = hasLo && hasHi ? (r->lower == r->upper ? 'E' : 'R') : (hasHi ? 'L' : (hasLo ? 'G' : 'N'));
    double rhs = hasHi ? r->upper : (hasLo ? r->lower : 0.0), range = r->upper - r->lower;
    s.appendRows(1, &type, &rhs, &range);
    int row = s.nrows() - 1;
    for (size_t k = 0; k < r->cols.size(); ++k) s.setElement(row, r->cols[k], r->vals[k]);
  }
}

void Worker::showLpSolution() {
  const ProblemStore &s = *prob->store;
  Solution &sol = prob->solution;
  sol.x = lp.x(), sol.dual = lp.duals(), sol.dj = lp.reducedCosts();
  sol.slack.resize(s.nrows());
  for (int i = 0; i < s.nrows(); ++i) sol.slack[i] = s.rhs[i] - lp.rowValues()[i];
  sol.hasLp = true;
  prob->solve.lpStatus = QRVA_LP_OPTIMAL;
  prob->solve.lpObjective = lp.objective();
}

void Worker::showPoint(const std::vector<double> &x) {
  const ProblemStore &s = *prob->store;
  Solution &sol = prob->solution;
  sol.x = x;
  sol.slack.assign(s.nrows(), 0.0);
  for (int j = 0; j < s.ncols(); ++j)
    for (const Entry &e : s.columns[j]) sol.slack[e.index] += e.value * x[j];
  for (int i = 0; i < s.nrows(); ++i) sol.slack[i] = s.rhs[i] - sol.slack[i];
  sol.dual.assign(s.nrows(), 0.0), sol.dj.assign(s.ncols(), 0.0);
}

bool Worker::takeCuts(Node &n) {
  bool any = !added.empty();
  if (!any && !rowsDeleted) return false;
  n.rows.insert(n.rows.end(), added.begin(), added.end());
  added.clear();
  if (rowsDeleted) {
    reloadRows(n);
  } else {
    std::vector<const LpRow *> add;
    for (size_t k = loaded_.size(); k < n.rows.size(); ++k) add.push_back(n.rows[k].get());
    lp.addRows(add);
    loaded_ = n.rows;
    syncStoreRows();
  }
  rowsDeleted = false;
  return any;
}

}  // namespace tree
}  // namespace qrva
