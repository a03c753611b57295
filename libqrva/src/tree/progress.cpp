#include "tree/progress.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "highs/results.h"

namespace qrva {
namespace tree {

Limits::Limits(const qrva_problem_s &p)
    : timeLimit(p.dblControl(QRVA_TIMELIMIT)), maxNodes(p.intControl(QRVA_MAXNODE)),
      maxSolutions(p.intControl(QRVA_MAXMIPSOL)), absGap(p.dblControl(QRVA_MIPABSGAPTOL)),
      relGap(p.dblControl(QRVA_MIPRELGAPTOL)) {}

int Limits::reached(const qrva_problem_s &p, double seconds, int64_t nodes, int solutions) const {
  if (int reason = p.interruptReason.load()) return reason;
  if (timeLimit < 1e20 && seconds >= timeLimit) return QRVA_STOP_TIMELIMIT;
  if (nodes >= maxNodes) return QRVA_STOP_NODELIMIT;
  if (maxSolutions > 0 && solutions >= maxSolutions) return QRVA_STOP_SOLLIMIT;
  return QRVA_STOP_NONE;
}

double Limits::pruneLimit(double cutoff, bool hasIncumbent, double incumbentObj,
                          bool objectiveIntegral) const {
  double limit = cutoff;
  if (hasIncumbent) {
    double tol = std::max(absGap, relGap * std::fabs(incumbentObj));
    limit = std::min(limit, incumbentObj - tol);
    if (objectiveIntegral) limit = std::min(limit, incumbentObj - 1.0 + 1e-6);
    limit = std::min(limit, incumbentObj - 1e-9 * std::max(1.0, std::fabs(incumbentObj)));
  }
  return limit;
}

bool narrowBounds(std::vector<ColBound> &bounds, const Branch &b, const Relaxation &r) {
  for (const BranchBound &bb : b.bounds) {
    auto it = std::find_if(bounds.begin(), bounds.end(),
                           [&](const ColBound &x) { return x.col == bb.col; });
    if (it == bounds.end()) {
      bounds.push_back(ColBound{bb.col, r.colLo[bb.col], r.colHi[bb.col]});
      it = bounds.end() - 1;
    }
    double tol = r.feasTol;
    if (bb.type == 'B' && (bb.value < it->lo - tol || bb.value > it->hi + tol)) return false;
    if (bb.type == 'L' || bb.type == 'B') it->lo = std::max(it->lo, bb.value);
    if (bb.type == 'U' || bb.type == 'B') it->hi = std::min(it->hi, bb.value);
    if (it->lo > it->hi + tol) return false;
  }
  return true;
}

void showNode(qrva_problem_s &prob, int64_t node, int64_t parent, int depth, size_t open,
              const Standing &s) {
  NodeAttributes &a = prob.nodeAttributes;
  a.node = node, a.parent = parent, a.depth = depth;
  a.activeNodes = static_cast<int64_t>(open) + 1;
  SolveState &st = prob.solve;
  st.bestBound = std::isfinite(s.bestBound) ? s.sense * s.bestBound : s.sense * -1e20;
  st.mipObjective = s.hasIncumbent ? s.sense * s.incumbentObj : 0.0;
  st.mipSolutions = s.solutions, st.nodes = s.nodes;
  st.mipStatus = s.hasIncumbent ? QRVA_MIP_SOLUTION : QRVA_MIP_NO_SOL_FOUND;
}

void recordEnd(SolveState &st, const Standing &s, bool stopped, int stopStatus, bool unbounded) {
  st.stopStatus = stopped ? stopStatus : QRVA_STOP_NONE;
  if (unbounded) {
    st.mipStatus = QRVA_MIP_UNBOUNDED, st.lpStatus = QRVA_LP_UNBOUNDED;
    st.bestBound = s.sense * -1e20, st.mipGap = 1e20;
  } else if (s.hasIncumbent) {
    st.bestBound = s.sense * s.bestBound;
    double gap = std::max(0.0, s.incumbentObj - s.bestBound);
    st.mipGap = gap / std::max(1.0, std::fabs(s.incumbentObj));
    st.mipStatus = stopped ? QRVA_MIP_SOLUTION : QRVA_MIP_OPTIMAL;
    if (!stopped && st.mipGap > 0.0) st.stopStatus = QRVA_STOP_MIPGAP;
  } else {
    st.mipStatus = stopped ? QRVA_MIP_NO_SOL_FOUND : QRVA_MIP_INFEAS;
    st.bestBound = stopped && std::isfinite(s.bestBound) ? s.sense * s.bestBound : s.sense * 1e20;
    st.mipGap = 1e20;
  }
}

void logEnd(qrva_problem_s &p, const char *function) {
  const SolveState &st = p.solve;
  p.message(QRVA_MSG_INFO,
            formatText("%s: %s, objective %.12g, best bound %.12g, %lld nodes, %.3f s", function,
                       mipStatusName(st.mipStatus), st.mipObjective, st.bestBound,
                       static_cast<long long>(st.nodes), st.solveTime));
}

void logProgress(qrva_problem_s &p, const char *function, size_t open, const Standing &s) {
  double b = s.bestBound;
  p.message(QRVA_MSG_INFO,
            formatText("%s: %lld nodes, %zu open, best bound %.10g, best solution %s", function,
                       static_cast<long long>(s.nodes), open,
                       std::isfinite(b) ? s.sense * b : s.sense * -1e20,
                       s.hasIncumbent ? formatText("%.10g", s.sense * s.incumbentObj).c_str()
                                      : "none"));
}

}  // namespace tree
}  // namespace qrva
