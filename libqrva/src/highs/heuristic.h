// HiGHS's MIP as a primal heuristic of the engine's tree search: the whole
// problem (reformulated as for the HiGHS path) with a small node limit.
#pragma once

#include <vector>

#include "model/problem.h"

namespace qrva {

// Runs HiGHS's MIP on p's problem for at most a few hundred nodes and
// seconds; true with a solution over p's columns in x. False when HiGHS
// cannot take the problem (it is then only no help, not an error).
bool heuristicMipSolution(qrva_problem_s &p, double seconds, std::vector<double> &x);

}  // namespace qrva
