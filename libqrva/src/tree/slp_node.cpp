#include "tree/slp_node.h"

#include <algorithm>

namespace qrva {
namespace tree {

SlpNode::SlpNode(qrva_problem_s &p, qslp_problem_s *slp, const Relaxation &r,
                 NlpSettings settings, const Check &chk)
    : p_(p), slp_(slp), settings_(std::move(settings)), chk_(chk), lb_(p.store->lb),
      ub_(p.store->ub) {
  // Node solves are quiet: the search logs its own progress.
  settings_.log = 0, settings_.echoLpLog = false;
  apply(r.colLo, r.colHi);
}

SlpNode::~SlpNode() {
  p_.store->lb = std::move(lb_);
  p_.store->ub = std::move(ub_);
}

void SlpNode::apply(const std::vector<double> &lo, const std::vector<double> &hi) {
  p_.store->lb = lo;
  p_.store->ub = hi;
}

SlpNode::Status SlpNode::solve(const std::vector<double> &start, double seconds) {
  NlpSettings st = settings_;
  st.start = start;
  st.timeLimit = std::min(st.timeLimit, std::max(seconds, 0.0));
  why_.clear();
  try {
    out_ = solveNonlinear(p_, slp_, st, chk_, true);
  } catch (const Failure &f) {
    // A formula not defined at a node's start: the node is given up, not
    // the search (at the root, which starts from the initial values, the
    // error is the user's to mend).
    if (f.code != QRVA_ERR_STATE || start.empty()) throw;
    out_ = NlpOutcome{};
    out_.nlpStatus = kNlpUnfinished;
    why_ = f.what();
    return Status::Unfinished;
  }
  const ProblemStore &s = *p_.store;
  rowValue_.resize(s.nrows());
  for (int i = 0; i < s.nrows(); ++i) rowValue_[i] = s.rhs[i] - out_.solution.slack[i];
  switch (out_.nlpStatus) {
    case kNlpLocallyOptimal:
    case kNlpGloballyOptimal: return Status::Optimal;
    case kNlpInfeasible:
    case kNlpLocallyInfeasible: return Status::Infeasible;
    case kNlpUnbounded: return Status::Unbounded;
    default: break;
  }
  if (out_.stopStatus == QRVA_STOP_TIMELIMIT || p_.interruptReason.load() != 0) return Status::Stopped;
  why_ = out_.stopStatus == QRVA_STOP_ITERLIMIT ? "the SLP reached its iteration limit"
                                                 : "the SLP ended without converging";
  return Status::Unfinished;
}

}  // namespace tree
}  // namespace qrva
