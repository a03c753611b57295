// The solve pipeline on HiGHS: turns the problem store into a HiGHS model
// (reformulating what HiGHS lacks), runs it with the problem's controls,
// routes HiGHS's log into the problem's messages, honours interrupts, and
// maps statuses, values, basis and rays back onto the problem.
#pragma once

#include "problem.h"

namespace qrva {

enum class SolveKind { Lp, Mip };

// Solves prob; flags pick the LP algorithm ("" control defaultalg, p primal,
// d dual, b barrier). Throws Failure for models HiGHS cannot take.
int solveWithHighs(qrva_problem_s &prob, const char *function, SolveKind kind,
                   const char *flags);

}  // namespace qrva
