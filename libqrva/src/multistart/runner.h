// Running a multistart: every solve of the problem's jobs on its own copy of
// the problem, on slpthreads workers, with the multistart callbacks on the
// thread that runs each job, one stop for all of them, and the best result
// kept in the problem (see qslp.h, "Multistart").
#pragma once

#include <functional>

#include "core/validate.h"
#include "slp/solver.h"

namespace qrva {
namespace ms {

// How the jobs are solved: sense 0 takes each copy's slpobjsense, 1 or -1
// replaces it (the optimizer's own solves of nonlinear problems); relaxed
// solves the continuous relaxation (see solveNonlinear).
struct SolveMode {
  int sense = 0;
  bool relaxed = false;
};

// A solve of a problem with jobs: runs them and gives record the winner's
// outcome (with the run's stop status, when it was stopped), or an outcome
// with NLP status unfinished and no solution when no job gave a result,
// before mswinner is called. The caller holds a SigintGuard for the
// optimizer problem below slp around the call.
void runMultistart(qslp_problem_s &slp, const Check &chk, const SolveMode &mode,
                   const std::function<void(NlpOutcome, double)> &record);

}  // namespace ms
}  // namespace qrva
