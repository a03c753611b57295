#include "tree/branching.h"

#include <algorithm>
#include <cmath>

namespace qrva {
namespace tree {
namespace {

const double kInfeasibleGain = 1e30;

Branch branch(std::vector<BranchBound> bounds, int col = -1, bool up = false, double d = 0.0) {
  Branch b;
  b.bounds = std::move(bounds), b.pcCol = col, b.up = up, b.distance = d;
  return b;
}

}  // namespace

Brancher::Brancher(const Relaxation &r, int strongCandidates)
    : r_(r), strongCandidates_(strongCandidates) {
  size_t n = r.colLo.size();
  dirs_.resize(n);
  for (const auto &d : r.store.directives) dirs_[d.first] = d.second;
  upSum_.assign(n, 0.0), downSum_.assign(n, 0.0), upCount_.assign(n, 0), downCount_.assign(n, 0);
  for (size_t j = 0; j < n; ++j) {
    if (dirs_[j].upPseudo >= 0) upSum_[j] = dirs_[j].upPseudo, upCount_[j] = 1;
    if (dirs_[j].downPseudo >= 0) downSum_[j] = dirs_[j].downPseudo, downCount_[j] = 1;
  }
}

void Brancher::learn(int col, bool up, double distance, double gain) {
  if (col < 0 || distance <= 1e-9 || gain >= kInfeasibleGain) return;
  double unit = std::max(gain, 0.0) / distance;
  std::lock_guard<std::mutex> lock(mutex_);
  if (up) upSum_[col] += unit, ++upCount_[col], upTotal_ += unit, ++upSeen_;
  else downSum_[col] += unit, ++downCount_[col], downTotal_ += unit, ++downSeen_;
}

// The brancher's lock is held.
double Brancher::pseudo(int col, bool up) const {
  if (up) return upCount_[col] ? upSum_[col] / upCount_[col] : (upSeen_ ? upTotal_ / upSeen_ : 1.0);
  return downCount_[col] ? downSum_[col] / downCount_[col]
                         : (downSeen_ ? downTotal_ / downSeen_ : 1.0);
}

Branching Brancher::integerBranching(int j, double v, const std::vector<double> &lo) const {
  double down = std::floor(v), up = std::ceil(v);
  // A semi-integer column still free to be 0: below its threshold the
  // down branch leaves it only 0.
  if (r_.store.colType[j] == 'R' && lo[j] <= 0.0 && down < r_.threshold[j] - r_.intTol) down = 0.0;
  Branch d = branch({BranchBound{'U', j, down}}, j, false, v - std::floor(v));
  Branch u = branch({BranchBound{'L', j, up}}, j, true, up - v);
  char dir = dirs_[j].branch;
  bool upFirst = dir == 'U' || (dir != 'D' && v - std::floor(v) >= 0.5);
  Branching b;
  b.branches = upFirst ? std::vector<Branch>{u, d} : std::vector<Branch>{d, u};
  return b;
}

Branching Brancher::semiBranching(int j, double v) const {
  double t = r_.threshold[j];
  if (r_.store.colType[j] == 'R') t = std::ceil(t - r_.intTol);
  Branch off = branch({BranchBound{'U', j, 0.0}}, j, false, v);
  Branch on = branch({BranchBound{'L', j, t}}, j, true, t - v);
  Branching b;
  b.branches = v >= 0.5 * t ? std::vector<Branch>{on, off} : std::vector<Branch>{off, on};
  return b;
}

Branching Brancher::setBranching(int k, const std::vector<double> &x) const {
  const std::vector<int> &members = r_.setMembers[k];
  int first, last;
  r_.setViolated(k, x, first, last);
  double sum = 0.0, weighted = 0.0;
  for (size_t i = 0; i < members.size(); ++i) {
    double a = std::fabs(x[members[i]]);
    sum += a, weighted += a * static_cast<double>(i);
  }
  double centre = sum > 0 ? weighted / sum : 0.5 * (first + last);
  bool one = r_.store.sets[k].type == '1';
  // Both branches must exclude the LP point: each one zeroes a non-zero member.
  int split = one ? static_cast<int>(std::floor(centre)) + 1 : static_cast<int>(std::lround(centre));
  split = one ? std::min(std::max(split, first + 1), last)
              : std::min(std::max(split, first + 1), last - 1);
  std::vector<BranchBound> left, right;
  for (int i = 0; i < static_cast<int>(members.size()); ++i) {
    if (!one && i == split) continue;  // the shared member of an SOS2 stays free on both sides
    bool zeroLeft = one ? i >= split : i > split;
    (zeroLeft ? left : right).push_back(BranchBound{'B', members[i], 0.0});
  }
  Branching b;
  b.branches = {branch(left), branch(right)};
  return b;
}

Branching Brancher::indicatorBranching(int row) const {
  int z = r_.store.indicatorCol[row];
  double active = r_.store.indicatorComp[row] == 1 ? 1.0 : 0.0;
  Branching b;
  b.branches = {branch({BranchBound{'B', z, active}}), branch({BranchBound{'B', z, 1.0 - active}})};
  return b;
}

Branching Brancher::choose(const std::vector<Infeasibility> &infeasible,
                           const std::vector<double> &x, const std::vector<double> &lo,
                           const std::vector<double> &,
                           double obj, const Probe &probe) {
  // Sets, indicator rows and semi-continuous columns first: branching on
  // them enforces what no bound of the relaxation can.
  for (const Infeasibility &f : infeasible) {
    if (f.kind == Infeasibility::Set) return setBranching(f.index, x);
    if (f.kind == Infeasibility::Indicator) return indicatorBranching(f.index);
  }
  int bestPriority = 0;
  bool any = false;
  for (const Infeasibility &f : infeasible)
    if (f.kind == Infeasibility::Semi || f.kind == Infeasibility::Integer) {
      int p = dirs_[f.index].priority;
      if (!any || p < bestPriority) bestPriority = p, any = true;
    }
  std::vector<const Infeasibility *> cands;
  for (const Infeasibility &f : infeasible)
    if ((f.kind == Infeasibility::Semi || f.kind == Infeasibility::Integer) &&
        dirs_[f.index].priority == bestPriority)
      cands.push_back(&f);
  for (const Infeasibility *f : cands)
    if (f->kind == Infeasibility::Semi) return semiBranching(f->index, f->value);

  // Strong branching starts the pseudo-costs of the most fractional
  // columns that have none yet.
  std::vector<const Infeasibility *> unknown;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Infeasibility *f : cands)
      if (upCount_[f->index] == 0 || downCount_[f->index] == 0) unknown.push_back(f);
  }
  auto fractionality = [](double v) { return std::fabs(v - std::floor(v) - 0.5); };
  std::sort(unknown.begin(), unknown.end(), [&](const Infeasibility *a, const Infeasibility *b) {
    return fractionality(a->value) < fractionality(b->value);
  });
  if (static_cast<int>(unknown.size()) > strongCandidates_) unknown.resize(strongCandidates_);
  const Infeasibility *best = nullptr;
  double bestScore = -1.0;
  for (const Infeasibility *f : unknown) {
    if (!probe) break;
    int j = f->index;
    double v = f->value, dObj = 0.0, uObj = 0.0;
    double dGain = probe(j, 'U', std::floor(v), dObj) ? dObj - obj : kInfeasibleGain;
    double uGain = probe(j, 'L', std::ceil(v), uObj) ? uObj - obj : kInfeasibleGain;
    learn(j, false, v - std::floor(v), dGain);
    learn(j, true, std::ceil(v) - v, uGain);
    double score = std::max(dGain, 1e-6) * std::max(uGain, 1e-6);
    if (score > bestScore) bestScore = score, best = f;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Infeasibility *f : cands) {
    int j = f->index;
    double frac = f->value - std::floor(f->value);
    double score = std::max(pseudo(j, false) * frac, 1e-6) * std::max(pseudo(j, true) * (1 - frac), 1e-6);
    if (score > bestScore) bestScore = score, best = f;
  }
  return integerBranching(best->index, best->value, lo);
}

}  // namespace tree
}  // namespace qrva
