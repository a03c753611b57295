// The node problem of the tree search for a mixed-integer nonlinear
// problem: the nonlinear relaxation (discrete conditions left to branching)
// with the node's column bounds, solved by the SLP engine from the parent's
// solution. The node's bounds are written into the problem's store for the
// solve, so that the SLP engine and the callbacks of the node see them; the
// store's own bounds come back when the node problem goes.
#pragma once

#include <string>
#include <vector>

#include "slp/solver.h"
#include "tree/relaxation.h"

namespace qrva {
namespace tree {

class SlpNode {
 public:
  // Optimal: a locally optimal point (globally for a problem without
  // nonlinear parts). Infeasible: the linear rows and bounds have no point,
  // or the SLP found no feasible point (locally infeasible: a proof only
  // for a convex problem). Stopped: an interrupt or the time limit.
  // Unfinished: the SLP ended without a verdict (iteration limit, no
  // convergence, a formula not defined at its start).
  enum class Status { Optimal, Infeasible, Unbounded, Stopped, Unfinished };

  SlpNode(qrva_problem_s &p, qslp_problem_s *slp, const Relaxation &r, NlpSettings settings,
          const Check &chk);
  ~SlpNode();
  SlpNode(const SlpNode &) = delete;
  SlpNode &operator=(const SlpNode &) = delete;

  // Makes lo/hi the column bounds of the problem's store.
  void apply(const std::vector<double> &lo, const std::vector<double> &hi);
  // Solves the node of the bounds applied from start (empty: the columns'
  // initial values) within seconds.
  Status solve(const std::vector<double> &start, double seconds);

  const NlpOutcome &outcome() const { return out_; }
  // The objective, minimising sense.
  double objective() const { return settings_.sense * out_.objective; }
  const std::vector<double> &x() const { return out_.solution.x; }
  // Activities of the original rows at x().
  const std::vector<double> &rowValues() const { return rowValue_; }
  // Why the last solve is unfinished (empty when it is not).
  const std::string &why() const { return why_; }

 private:
  qrva_problem_s &p_;
  qslp_problem_s *slp_;
  NlpSettings settings_;
  const Check &chk_;
  std::vector<double> lb_, ub_;  // the store's own bounds
  NlpOutcome out_;
  std::vector<double> rowValue_;
  std::string why_;
};

}  // namespace tree
}  // namespace qrva
