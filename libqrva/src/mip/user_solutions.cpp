#include "mip/user_solutions.h"

#include <algorithm>
#include <cmath>

#include "analysis/calculations.h"
#include "core/text.h"
#include "highs/node_lp.h"

namespace qrva {
namespace {

// A value the solution gives for every column (NaN where it gives none),
// or false when the solution is malformed.
bool givenValues(const ProblemStore &s, const MipStart &start, std::vector<double> &given,
                 int &count) {
  int n = s.ncols();
  given.assign(n, std::nan(""));
  count = 0;
  if (start.cols.empty() || start.cols.size() != start.values.size()) return false;
  for (size_t k = 0; k < start.cols.size(); ++k) {
    int j = start.cols[k];
    double v = start.values[k];
    if (j < 0 || j >= n || !std::isnan(given[j]) || !std::isfinite(v) || std::fabs(v) >= 1e20)
      return false;
    given[j] = v, ++count;
  }
  return true;
}

bool repair(const qrva_problem_s &p, const tree::Relaxation &r, const std::vector<double> &given,
            std::vector<double> &x) {
  const ProblemStore &s = r.store;
  std::vector<double> lo = r.colLo, hi = r.colHi;
  for (int j = 0; j < s.ncols(); ++j) {
    if (!r.discrete[j] || std::isnan(given[j])) continue;
    if (given[j] < lo[j] - r.feasTol || given[j] > hi[j] + r.feasTol) return false;
    lo[j] = hi[j] = given[j];
  }
  return solveWithDecisionsFixed(p, r, lo, hi, 1e20, x) == NodeLp::Status::Optimal && r.feasible(x);
}

}  // namespace

// The indicator rows stay out of the LP unless the fixed values put them in
// force (their condition is checked on the LP's solution).
NodeLp::Status solveWithDecisionsFixed(const qrva_problem_s &p, const tree::Relaxation &r,
                                       const std::vector<double> &lo,
                                       const std::vector<double> &hi, double seconds,
                                       std::vector<double> &x) {
  std::vector<double> rowLo = r.rowLo, rowHi = r.rowHi;
  for (int i : r.indicatorRows)
    if (!r.indicatorForced(i, lo, hi)) rowLo[i] = -1e20, rowHi[i] = 1e20;
  NodeLp lp(p, lo, hi, rowLo, rowHi);
  NodeLp::Status status = lp.solve(-1, seconds, &p.interruptReason);
  if (status == NodeLp::Status::Optimal) x = lp.x();
  return status;
}

UserSolution checkUserSolution(const qrva_problem_s &p, const tree::Relaxation &r,
                               const MipStart &start) {
  const ProblemStore &s = r.store;
  UserSolution u;
  std::vector<double> given;
  int count = 0;
  if (!givenValues(s, start, given, count)) return u;  // rejected
  if (count == s.ncols() && r.feasible(given)) {
    u.status = QRVA_USERSOL_FEASIBLE, u.x = std::move(given);
  } else if (repair(p, r, given, u.x)) {
    u.status = QRVA_USERSOL_REPAIRED;
  } else {
    u.status = QRVA_USERSOL_INFEASIBLE, u.x.clear();
    return u;
  }
  u.objective = (s.objSense == -1 ? -1.0 : 1.0) * objectiveAt(s, u.x.data());
  return u;
}

std::vector<UserSolution> takeUserSolutions(qrva_problem_s &p, QRVAprob notify,
                                            const tree::Relaxation &r, const char *function) {
  // Every check is done before the first callback runs: a callback may
  // change the problem (or its solutions) under r and p.mipStarts.
  std::vector<UserSolution> checked;
  std::vector<std::string> names;
  int counts[5] = {0, 0, 0, 0, 0};
  for (const MipStart &start : p.mipStarts) {
    checked.push_back(checkUserSolution(p, r, start));
    names.push_back(start.name);
    ++counts[checked.back().status];
  }
  if (!checked.empty())
    p.message(QRVA_MSG_INFO,
              formatText("%s: user solutions: %d feasible, %d feasible after repair, %d "
                         "infeasible, %d rejected",
                         function, counts[QRVA_USERSOL_FEASIBLE], counts[QRVA_USERSOL_REPAIRED],
                         counts[QRVA_USERSOL_INFEASIBLE], counts[QRVA_USERSOL_REJECTED]));
  std::vector<UserSolution> usable;
  for (size_t k = 0; k < checked.size(); ++k) {
    if (p.interruptReason.load() != 0) break;
    UserSolution &u = checked[k];
    p.callbacks.deliver<QRVAcbusersolnotify>(CallbackKind::UserSolNotify, notify,
                                             names[k].c_str(), u.status);
    if (notify != &p)
      if (int reason = notify->interruptReason.exchange(0)) p.interruptReason.store(reason);
    if (u.status == QRVA_USERSOL_FEASIBLE || u.status == QRVA_USERSOL_REPAIRED)
      usable.push_back(std::move(u));
  }
  std::stable_sort(usable.begin(), usable.end(), [](const UserSolution &a, const UserSolution &b) {
    return a.objective < b.objective;
  });
  return usable;
}

}  // namespace qrva
