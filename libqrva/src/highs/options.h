// The problem's controls as HiGHS options for one run.
#pragma once

#include "highs/solver.h"

namespace qrva {

// Resets h's options, then sets tolerances, limits, presolve, crossover,
// threads, seed, scaling and (for LP solves) the algorithm from p's controls;
// flags pick the algorithm as for solveWithHighs. HiGHS's log is asked for
// only when someone hears p's messages.
void setOptions(void *h, qrva_problem_s &p, SolveKind kind, const char *flags);

}  // namespace qrva
