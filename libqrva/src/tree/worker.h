// A worker of the tree search: its own LP instance and its worker problem,
// a real problem handle whose store is a copy of the problem's, kept to the
// bounds and rows of the node being processed (the node's cuts after the
// original rows, which keep their indices), so that callbacks given it can
// query the node like any problem. Everything here belongs to the one
// thread that runs the worker; what workers share (the queue, incumbent,
// pseudo-costs, cut pool, rows that joined the LP) lives in the search.
#pragma once

#include <memory>
#include <vector>

#include "highs/node_lp.h"
#include "tree/branching.h"
#include "tree/cut_pool.h"
#include "tree/relaxation.h"

namespace qrva {
namespace tree {

class Search;

// A column's bounds at a node.
struct ColBound {
  int col;
  double lo, hi;
};

// A node of the search tree: its bounds relative to the relaxation, the
// rows in force beyond the original ones (cuts and branching rows), the
// basis its parent ended with, and what the pseudo-costs learn from it.
struct Node {
  int64_t id = 1, parent = 0;
  int depth = 0, branch = 0;
  double bound = -1e300;  // lower bound, minimising sense
  std::vector<ColBound> bounds;
  std::vector<std::shared_ptr<const LpRow>> rows;
  std::shared_ptr<const LpBasis> basis;
  int pcCol = -1;
  bool pcUp = false;
  double pcDistance = 0.0;
};

class Worker {
 public:
  Worker(Search &search, qrva_problem_s &owner, const Relaxation &r, int thread);
  ~Worker();
  Worker(const Worker &) = delete;
  Worker &operator=(const Worker &) = delete;

  // Starts node n: callbacks may add cuts and branches to it from now on.
  void begin(Node &n);
  // Makes the LP and the worker problem those of node n.
  void apply(const Node &n);
  // Brings the delayed rows and model cuts that joined the LP into this
  // worker's LP; true when any changed.
  bool syncMarkedRows();
  // Shows the LP's last solution on the worker problem.
  void showLpSolution();
  // Shows the point x as the worker problem's solution (a candidate).
  void showPoint(const std::vector<double> &x);
  // Cuts that callbacks added at the current node join the node's rows
  // (and cuts they deleted leave them); true when cuts were added.
  bool takeCuts(Node &n);
  // The rows of the current node beyond the original ones, those added by
  // callbacks not yet in the LP last.
  std::vector<std::shared_ptr<const LpRow>> nodeRows() const;
  // The problem's cut pool, shared by the workers (made by the search).
  CutPool &pool();

  Search &search;
  const int id;  // 0 .. workers - 1, the worker problem's mipthreadid
  qrva_problem_s &owner;
  const Relaxation &relax;
  std::unique_ptr<qrva_problem_s> prob;
  NodeLp lp;
  std::vector<double> lo, hi;  // the LP's column bounds now
  Node *node = nullptr;        // the node being processed, while callbacks may run
  bool offering = false;       // chgbranchobject callbacks run for this node
  std::vector<std::shared_ptr<const LpRow>> added;  // cuts of callbacks at this node
  bool rowsDeleted = false;                          // callbacks deleted cuts of this node
  // Set by callbacks at this node for its branching: branches that replace
  // the search's own (setbranchbounds, stored branching objects), and cuts
  // every child gets (setbranchcuts).
  std::vector<Branch> userBranches;
  // The branching of the branching object stored at this node with the
  // least priority value, which replaces every other.
  std::vector<Branch> storedBranches;
  int storedPriority = 0;
  std::vector<std::shared_ptr<const LpRow>> branchRows;

 private:
  void syncStoreBound(int j);
  void syncStoreRows();

  void reloadRows(const Node &n);

  int baseRows_;
  std::vector<int> changed_, mark_;
  int stamp_ = 0;
  std::vector<char> enforced_;  // per indicator row: its row is in force in the LP
  std::vector<char> markedOn_;  // per marked row: it is in force in this LP
  std::vector<std::shared_ptr<const LpRow>> loaded_;
  int64_t lastNode_ = -1;
};

// The worker whose node p shows (only the problems node callbacks are given
// show one); refuses (throws) any other problem.
Worker &atNode(qrva_problem_s &p, const Check &chk);

}  // namespace tree
}  // namespace qrva
