#include "analysis/bound_conflict.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "highs/solver.h"

namespace qrva {

namespace {

const double kInf = 1e20;
// Rows longer than this only get checked: a bound one of them gives would
// have to remember every other column of the row.
const int64_t kLongRow = 200;
// Bounds beyond this magnitude are not worth deriving.
const double kLargeBound = 1e12;

bool finite(double b) { return std::fabs(b) < kInf; }

// A fact the propagation knows: an original member (count 0), or a bound
// that row `member` gave from the facts pred[first, first + count).
struct Event {
  int member;
  size_t first, count;
};

class Propagator {
 public:
  Propagator(const ProblemStore &s, double feastol)
      : s_(s), rows_(s.rowWise()), tol_(feastol), m_(s.nrows()), n_(s.ncols()), lo_(s.lb), hi_(s.ub) {
    loEv_.assign(static_cast<size_t>(n_), -1), hiEv_.assign(static_cast<size_t>(n_), -1);
    for (int j = 0; j < n_; ++j) {
      if (finite(lo_[j])) loEv_[j] = original(m_ + 2 * j);
      if (finite(hi_[j])) hiEv_[j] = original(m_ + 2 * j + 1);
    }
    rowLo_.resize(static_cast<size_t>(m_)), rowUp_.resize(static_cast<size_t>(m_));
    for (int i = 0; i < m_; ++i) rowBounds(s, i, rowLo_[i], rowUp_[i]);
    budget_ = 20 * static_cast<int64_t>(rows_.entries.size() + static_cast<size_t>(m_)) + 1000;
  }

  std::vector<int> run() {
    for (int j = 0; j < n_; ++j)
      if (crossed(j)) return explain({loEv_[j], hiEv_[j]});
    std::deque<int> queue;
    std::vector<char> queued(static_cast<size_t>(m_), 1);
    for (int i = 0; i < m_; ++i) queue.push_back(i);
    while (!queue.empty() && budget_ > 0) {
      int i = queue.front();
      queue.pop_front();
      queued[i] = 0;
      std::vector<int> conflict;
      changed_.clear();
      if (examine(i, conflict)) return explain(conflict);
      for (int j : changed_) {
        if (crossed(j)) return explain({loEv_[j], hiEv_[j]});
        for (const Entry &e : s_.columns[j])
          if (!queued[e.index]) queued[e.index] = 1, queue.push_back(e.index);
      }
    }
    return {};
  }

 private:
  int original(int member) {
    events_.push_back(Event{member, 0, 0});
    return static_cast<int>(events_.size()) - 1;
  }

  bool crossed(int j) const {
    return finite(lo_[j]) && finite(hi_[j]) &&
           lo_[j] - hi_[j] > tol_ * (1.0 + std::max(std::fabs(lo_[j]), std::fabs(hi_[j])));
  }

  // The bound of column j that bounds a*x_j below (lowSide) or above.
  double bound(int j, double a, bool lowSide) const { return (a > 0) == lowSide ? lo_[j] : hi_[j]; }
  int boundEvent(int j, double a, bool lowSide) const { return (a > 0) == lowSide ? loEv_[j] : hiEv_[j]; }

  // Checks row i against its sides and tightens the bounds of its columns;
  // true, with the facts behind it, when the row can no longer be met.
  bool examine(int i, std::vector<int> &conflict) {
    int64_t begin = rows_.start[i], end = rows_.start[i + 1];
    budget_ -= end - begin + 1;
    for (bool lowSide : {true, false}) {
      // lowSide: the least activity against the upper side; else the
      // largest against the lower side.
      double side = lowSide ? rowUp_[i] : rowLo_[i];
      if (!finite(side)) continue;
      double activity = 0.0, size = 0.0;
      int infinite = 0, infiniteCol = -1;
      for (int64_t k = begin; k < end; ++k) {
        const Entry &e = rows_.entries[k];
        double b = bound(e.index, e.value, lowSide);
        if (!finite(b)) {
          ++infinite, infiniteCol = e.index;
          continue;
        }
        activity += e.value * b, size += std::fabs(e.value * b);
      }
      if (infinite > 1) continue;
      double slack = tol_ * (1.0 + std::fabs(side)) + 1e-9 * size;
      if (infinite == 0 && (lowSide ? activity - side : side - activity) > slack) {
        conflict.push_back(original(i));
        for (int64_t k = begin; k < end; ++k) {
          const Entry &e = rows_.entries[k];
          conflict.push_back(boundEvent(e.index, e.value, lowSide));
        }
        return true;
      }
      if (end - begin > kLongRow) continue;
      for (int64_t k = begin; k < end && budget_ > 0; ++k) {
        const Entry &e = rows_.entries[k];
        double own = bound(e.index, e.value, lowSide);
        bool ownInfinite = !finite(own);
        if (infinite == 1 && !(ownInfinite && e.index == infiniteCol)) continue;
        double rest = ownInfinite ? activity : activity - e.value * own;
        tighten(i, k, (side - rest) / e.value, (e.value > 0) == lowSide, lowSide);
      }
    }
    return false;
  }

  // Row i's entry k gives column j the bound value, an upper bound when
  // upper is true; the facts behind it are the bounds of the row's other
  // columns on the side the row's activity was bounded from.
  void tighten(int i, int64_t k, double value, bool upper, bool lowSide) {
    int j = rows_.entries[k].index;
    if (!std::isfinite(value) || std::fabs(value) > kLargeBound) return;
    double old = upper ? hi_[j] : lo_[j];
    double gain = upper ? old - value : value - old;
    if (finite(old) && gain <= 1e-6 * (1.0 + std::fabs(value))) return;
    // What a bound remembers is charged to the budget too: it bounds the
    // memory as well as the time.
    budget_ -= rows_.start[i + 1] - rows_.start[i];
    size_t first = pred_.size();
    for (int64_t q = rows_.start[i]; q < rows_.start[i + 1]; ++q) {
      if (q == k) continue;
      const Entry &e = rows_.entries[q];
      pred_.push_back(boundEvent(e.index, e.value, lowSide));
    }
    pred_.push_back(original(i));
    events_.push_back(Event{-1, first, pred_.size() - first});
    int id = static_cast<int>(events_.size()) - 1;
    if (upper)
      hi_[j] = value, hiEv_[j] = id;
    else
      lo_[j] = value, loEv_[j] = id;
    changed_.push_back(j);
  }

  // The original members behind the given facts, increasing.
  std::vector<int> explain(const std::vector<int> &facts) const {
    std::vector<char> seen(events_.size(), 0), member(static_cast<size_t>(m_ + 2 * n_), 0);
    std::vector<int> stack(facts.begin(), facts.end());
    while (!stack.empty()) {
      int f = stack.back();
      stack.pop_back();
      if (f < 0 || seen[f]) continue;
      seen[f] = 1;
      const Event &ev = events_[f];
      if (ev.member >= 0) member[ev.member] = 1;
      for (size_t q = ev.first; q < ev.first + ev.count; ++q) stack.push_back(pred_[q]);
    }
    std::vector<int> out;
    for (int e = 0; e < m_ + 2 * n_; ++e)
      if (member[e]) out.push_back(e);
    return out;
  }

  const ProblemStore &s_;
  const RowWise &rows_;
  double tol_;
  int m_, n_;
  std::vector<double> lo_, hi_, rowLo_, rowUp_;
  std::vector<int> loEv_, hiEv_, changed_;
  std::vector<Event> events_;
  std::vector<int> pred_;
  int64_t budget_ = 0;
};

}  // namespace

std::vector<int> boundConflict(const ProblemStore &s, double feastol) {
  if (!s.qrows.empty()) return {};
  for (int c : s.indicatorCol)
    if (c >= 0) return {};
  return Propagator(s, feastol).run();
}

}  // namespace qrva
