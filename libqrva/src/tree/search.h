// The engine's own branch-and-bound over HiGHS's LP solver, for what
// HiGHS's MIP cannot do: node callbacks, user branching and cuts at nodes.
//
// Node selection: best bound (ties: deeper first), diving into the
// preferred child until an incumbent exists, and after that plunges of a
// few levels from every node taken from the queue. Branching: sets,
// indicator rows and semi-continuous columns on themselves, then the
// integer column with the best product of pseudo-costs (started by strong
// branching) among those of the best directive priority. Heuristics at the
// root: rounding of the LP solution, and HiGHS's MIP on the root problem
// with a small node limit; every candidate passes through preintsol.
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
