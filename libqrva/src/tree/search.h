// The engine's own branch-and-bound over HiGHS's LP solver, for what
// HiGHS's MIP cannot do: node callbacks, user branching and cuts at nodes.
//
// Node selection: best bound (ties: deeper first), diving into the
// preferred child until an incumbent exists, and after that plunges of a
// few levels from every node taken from the queue. Branching: sets,
// indicator rows and semi-continuous columns on themselves, then the
// integer column with the best product of pseudo-costs (started by strong
// branching) among those of the best directive priority. Cuts at the
// root: rounds of Gomory mixed-integer cuts from the optimal tableau and
// knapsack cover cuts (control treecutrounds), the ones that bind kept for
// every node. Heuristics at the root, after the cuts: rounding of the LP
// solution, and HiGHS's MIP on the root problem with a small node limit;
// every candidate passes through preintsol.
//
// Workers: control threads above 1 runs that many workers, each on a
// thread of its own with its own LP and worker problem (0 or 1: one worker
// on the calling thread). They share the node queue, incumbent, cutoff,
// bounds and counters under the search's mutex, which is never held while
// a callback runs or a message is sent; the pseudo-costs and the cut pool
// have locks of their own, rows that joined the LP are marked atomically.
// Each worker dives on its own; an idle one waits on a condition variable
// for nodes. The search ends when the queue is empty and no worker holds a
// node, or when a limit, a stop or an interrupt ends every worker (nodes
// they held go back to the queue, so the statuses say the search stopped).
// mipthread fires on each worker's thread before its first node, destroymt
// after its last one.
#pragma once

#include <string>

#include "model/problem.h"

namespace qrva {

// Why the engine's own tree search must run for p ("" when nothing asks
// for it). Throws Failure when a node-level feature is in play but control
// treesearch forbids the tree.
std::string treeSearchReason(const qrva_problem_s &p, const char *function);

// Solves p's MIP with the tree search, recording statuses, counts, bound,
// gap and solution as the HiGHS path does. The caller holds a SigintGuard.
int solveWithTree(qrva_problem_s &p, const char *function, const std::string &reason);

}  // namespace qrva
