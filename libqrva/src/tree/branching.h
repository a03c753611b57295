// Branching of the tree search: what a branch changes (bounds and rows),
// the choice of what to branch on (sets, indicator rows and semi-continuous
// columns first, then the integer column of the best pseudo-cost score,
// pseudo-costs started by strong branching), and the pseudo-costs learnt.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "highs/node_lp.h"
#include "tree/relaxation.h"

namespace qrva {
namespace tree {

// One bound of a branch: type 'L' raises the lower bound of col to value,
// 'U' lowers its upper bound, 'B' does both.
struct BranchBound {
  char type;
  int col;
  double value;
};

struct Branch {
  std::vector<BranchBound> bounds;
  std::vector<std::shared_ptr<const LpRow>> rows;
  // For the pseudo-costs: the column branched on, the direction and the
  // distance the LP value has to move (-1: none).
  int pcCol = -1;
  bool up = false;
  double distance = 0.0;
};

// The branches of one node, in the order in which they are processed.
struct Branching {
  std::vector<Branch> branches;
};

class Brancher {
 public:
  // Solves the node LP with one bound changed; returns false when the
  // probe is infeasible, else the objective (minimising sense) in obj.
  using Probe = std::function<bool(int col, char type, double value, double &obj)>;

  // Directives (priorities, preferred branches, initial pseudo-costs) come
  // from the problem's store.
  Brancher(const Relaxation &r, int strongCandidates);

  // What to branch on at a node whose LP (minimising sense objective obj)
  // leaves the given infeasibilities; lo/hi are the node's column bounds.
  // Workers may call choose and learn at once: the pseudo-costs are read
  // and updated under the brancher's lock, the probes run outside it.
  Branching choose(const std::vector<Infeasibility> &infeasible, const std::vector<double> &x,
                   const std::vector<double> &lo, const std::vector<double> &hi, double obj,
                   const Probe &probe);
  // Learns from a child LP: the objective rose by gain for distance.
  void learn(int col, bool up, double distance, double gain);

 private:
  double pseudo(int col, bool up) const;
  Branching integerBranching(int col, double v, const std::vector<double> &lo) const;
  Branching semiBranching(int col, double v) const;
  Branching setBranching(int k, const std::vector<double> &x) const;
  Branching indicatorBranching(int row) const;

  const Relaxation &r_;
  std::vector<Directive> dirs_;
  mutable std::mutex mutex_;  // guards the pseudo-cost sums and counts below
  int strongCandidates_;
  std::vector<double> upSum_, downSum_;
  std::vector<int> upCount_, downCount_;
  double upTotal_ = 0.0, downTotal_ = 0.0;
  int upSeen_ = 0, downSeen_ = 0;
};

}  // namespace tree
}  // namespace qrva
