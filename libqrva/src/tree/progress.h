// Bookkeeping of the tree searches (the linear one of search.h and the
// nonlinear one of minlp_search.h): the limits and gap tolerances of a MIP
// solve, the bound below which nodes still matter, a child's bounds from its
// branch, what the problem callbacks get answers about the node, and the
// statuses and log lines when a search ends. Objectives and bounds are in
// the minimising sense; sense turns them into the problem's.
#pragma once

#include <cstdint>
#include <vector>

#include "tree/branching.h"
#include "tree/worker.h"

namespace qrva {
namespace tree {

struct Limits {
  explicit Limits(const qrva_problem_s &p);

  double timeLimit;
  int64_t maxNodes, maxSolutions;
  double absGap, relGap;

  // The stop status of the first limit reached (an interrupt of p first),
  // QRVA_STOP_NONE when none is.
  int reached(const qrva_problem_s &p, double seconds, int64_t nodes, int solutions) const;
  // Nodes whose bound reaches this cannot give a solution better than the
  // incumbent by more than the gap tolerances (objectiveIntegral: every
  // solution's objective is an integer).
  double pruneLimit(double cutoff, bool hasIncumbent, double incumbentObj,
                    bool objectiveIntegral) const;
};

// Narrows a child's bounds (relative to the relaxation r) by branch b;
// false when they leave some column no value.
bool narrowBounds(std::vector<ColBound> &bounds, const Branch &b, const Relaxation &r);

// The search as the callbacks of a node see it.
struct Standing {
  int sense = 1;
  double bestBound = 0.0;  // minimising sense, may be infinite
  bool hasIncumbent = false;
  double incumbentObj = 0.0;
  int solutions = 0;
  int64_t nodes = 0;
};

// Makes prob answer the node's attributes and the search's standing.
void showNode(qrva_problem_s &prob, int64_t node, int64_t parent, int depth, size_t open,
              const Standing &s);

// Records the end of a search on st: MIP status, best bound, gap and stop
// status (stopped: a limit or stop left nodes open; unbounded: a node's
// relaxation was).
void recordEnd(SolveState &st, const Standing &s, bool stopped, int stopStatus, bool unbounded);

// The log line of a search's end: status, objective, bound, nodes, time.
void logEnd(qrva_problem_s &p, const char *function);
// The log line of a search's progress.
void logProgress(qrva_problem_s &p, const char *function, size_t open, const Standing &s);

}  // namespace tree
}  // namespace qrva
