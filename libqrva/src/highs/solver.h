// The optimizer's solves on HiGHS: turns the problem store into a HiGHS
// model (reformulating what HiGHS lacks, highs/model.*), runs it with the
// problem's controls (highs/options.*, highs/scheduler.*), routes HiGHS's log
// into the problem's messages (highs/log.*), honours interrupts
// (highs/sigint.*), and maps statuses, values, basis and rays back onto the
// problem (highs/results.*).
#pragma once

#include "model/problem.h"

namespace qrva {

enum class SolveKind { Lp, Mip };

// Solves prob; flags pick the LP algorithm ("" control defaultalg, p primal,
// d dual, b barrier). Throws Failure for models HiGHS cannot take. The
// caller holds a SigintGuard for prob around the whole call.
int solveWithHighs(qrva_problem_s &prob, const char *function, SolveKind kind,
                   const char *flags);

// Bounds of row i's activity (1e20 for none); defined with the model (highs/model.cpp).
void rowBounds(const ProblemStore &s, int i, double &lower, double &upper);

}  // namespace qrva
