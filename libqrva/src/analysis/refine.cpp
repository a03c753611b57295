#include "analysis/refine.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/calculations.h"
#include "mip/user_solutions.h"
#include "tree/relaxation.h"

namespace qrva {
namespace {

// Column bounds that fix the discrete decisions of x: integral values at
// their nearest integers, semi-continuous columns off at 0 or on within
// [threshold, upper bound], partially integer ones at an integer below
// their limit or within [limit, upper bound] above it, and set members that
// are 0 in x at 0. False when a rounded value lies outside its bounds.
bool fixDecisions(const tree::Relaxation &r, const std::vector<double> &x, std::vector<double> &lo,
                  std::vector<double> &hi) {
  const ProblemStore &s = r.store;
  lo = r.colLo, hi = r.colHi;
  for (int j = 0; j < s.ncols(); ++j) {
    if (!r.discrete[j]) continue;
    char type = s.colType[j];
    double v = x[j];
    bool off = (type == 'S' || type == 'R') && std::fabs(v) <= r.intTol;
    bool continuousPart = (type == 'S' && !off) || (type == 'P' && v >= r.threshold[j] - r.feasTol);
    if (off) {
      lo[j] = hi[j] = 0.0;
    } else if (continuousPart) {
      lo[j] = std::max(lo[j], r.threshold[j]);
    } else {
      double k = std::round(v);
      if (k < lo[j] - r.feasTol || k > hi[j] + r.feasTol) return false;
      if (type == 'R' && k < r.threshold[j] - r.feasTol) return false;
      lo[j] = hi[j] = k;
    }
  }
  for (const SosSet &set : s.sets)
    for (int j : set.cols)
      if (std::fabs(x[j]) <= r.feasTol) {
        if (lo[j] > 0.0 || hi[j] < 0.0) return false;
        lo[j] = hi[j] = 0.0;
      }
  return true;
}

const char *statusText(int status) {
  switch (status) {
    case QRVA_REFINEMIPSOL_IMPROVED: return "improved";
    case QRVA_REFINEMIPSOL_SAME: return "kept";
    case QRVA_REFINEMIPSOL_STOPPED: return "stopped";
    default: return "no solution with these decisions";
  }
}

}  // namespace

int refineMipSolution(qrva_problem_s &p, const Check &chk, const double *solution, double *refined,
                      bool addStart) {
  const ProblemStore &s = *p.store;
  int n = s.ncols();
  std::vector<double> x(solution, solution + n);
  std::copy(x.begin(), x.end(), refined);
  tree::Relaxation r(s, p.dblControl(QRVA_INTEGRALITYTOL), p.dblControl(QRVA_FEASTOL));
  std::string why;
  bool givenFeasible = r.feasible(x, &why);
  double givenObjective = objectiveAt(s, solution);

  int status = givenFeasible ? QRVA_REFINEMIPSOL_SAME : QRVA_REFINEMIPSOL_INFEASIBLE;
  std::vector<double> lo, hi, y;
  if (fixDecisions(r, x, lo, hi)) {
    NodeLp::Status lp = solveWithDecisionsFixed(p, r, lo, hi, p.dblControl(QRVA_TIMELIMIT), y);
    if (lp == NodeLp::Status::Stopped) {
      status = QRVA_REFINEMIPSOL_STOPPED;
    } else if (lp == NodeLp::Status::Optimal && r.feasible(y)) {
      double change = s.objSense * (objectiveAt(s, y.data()) - givenObjective);
      double tol = 1e-9 * std::max(1.0, std::fabs(givenObjective));
      if (!givenFeasible || change <= tol) {
        std::copy(y.begin(), y.begin() + n, refined);
        status = !givenFeasible || change < -tol ? QRVA_REFINEMIPSOL_IMPROVED : QRVA_REFINEMIPSOL_SAME;
      }
    }
  }
  std::string given = givenFeasible ? "a solution" : "not a solution: " + why;
  p.message(QRVA_MSG_INFO, formatText("%s: %s; objective %.12g (%s) to %.12g", chk.function(), statusText(status),
                                      givenObjective, given.c_str(), objectiveAt(s, refined)));
  if (addStart && (status == QRVA_REFINEMIPSOL_IMPROVED || status == QRVA_REFINEMIPSOL_SAME)) {
    MipStart start;
    for (int j = 0; j < n; ++j) start.cols.push_back(j), start.values.push_back(refined[j]);
    start.name = "refined";
    p.mipStarts.push_back(std::move(start));
  }
  return status;
}

}  // namespace qrva
