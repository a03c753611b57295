// The cuts the tree search separates itself at the root, between LP solves
// of the root node, before its callbacks and heuristics see it:
//  - Gomory mixed-integer cuts from rows of the optimal tableau: for basis
//    position p, u = row p of B^-1 gives u'(Ax - r) = 0 at every point (r
//    the rows' activities); there only the basic column of p and nonbasic
//    columns and activities are left, and shifted to the bounds they sit at
//    in the LP solution it is the tableau row whose fractional right-hand
//    side the mixed-integer rounding cuts off;
//  - cover cuts of knapsack rows: a row over binary columns (the other
//    columns at their least contribution, negative coefficients
//    complemented) whose cover of columns cannot all be 1.
// Every cut is checked to cut off the LP solution and to hold at the
// incumbent when there is one; a cut that fails either is dropped. The
// root's bounds are the problem's own, so the cuts hold at every node.
#pragma once

#include <memory>
#include <vector>

#include "highs/node_lp.h"
#include "tree/relaxation.h"

namespace qrva {
namespace tree {

struct RootCuts {
  std::vector<std::shared_ptr<const LpRow>> rows;
  int gomory = 0, covers = 0;
};

// The cuts of one round at the root's optimal LP, at most maxCuts of each
// kind. lo/hi: the root's column bounds; incumbent: null when none.
RootCuts separateRootCuts(const NodeLp &lp, const Relaxation &r, const std::vector<double> &lo,
                          const std::vector<double> &hi, const std::vector<double> *incumbent,
                          int maxCuts);

}  // namespace tree
}  // namespace qrva
