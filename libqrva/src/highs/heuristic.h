// HiGHS's MIP as a primal heuristic of the engine's tree search: the whole
// problem (reformulated as for the HiGHS path) with a small node limit.
#pragma once

#include <vector>

#include "model/problem.h"

namespace qrva {

// Runs HiGHS's MIP on p's problem for at most a few hundred nodes and
// seconds; true with a solution over p's columns in x. False when HiGHS
// cannot take the problem (it is then only no help, not an error).
// workerThread: the caller is a worker thread of a tree search with several
// workers. HiGHS keeps a scheduler per thread that runs it; on such a thread
// it starts one of its own at HiGHS's default size, and the calling
// thread's scheduler (held at control threads by SchedulerHold) is neither
// used nor counted.
bool heuristicMipSolution(qrva_problem_s &p, double seconds, std::vector<double> &x,
                          bool workerThread);

}  // namespace qrva
