// The refinement of a MIP solution: its discrete decisions fixed, the
// continuous columns re-optimised by an LP (or convex QP) solve, the result
// kept when it is a solution no worse than the one given.
#pragma once

#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

// Refines solution (p's columns) into refined; returns a
// QRVA_REFINEMIPSOL_* status. p's data is left as it is; addStart also
// keeps refined as a start of p's next MIP solve. The caller holds p's
// SigintGuard.
int refineMipSolution(qrva_problem_s &p, const Check &chk, const double *solution, double *refined,
                      bool addStart);

}  // namespace qrva
