// Running a multistart: every solve of the problem's jobs on its own copy of
// the problem, on slpthreads workers, with the multistart callbacks on the
// thread that runs each job, one stop for all of them, and the best result
// kept in the problem (see qslp.h, "Multistart").
#pragma once

#include "core/validate.h"

struct qslp_problem_s;

namespace qrva {
namespace ms {

// QSLPnlpoptimize of a problem with jobs. The caller holds a SigintGuard for
// the optimizer problem below slp around the call.
void runMultistart(qslp_problem_s &slp, const Check &chk);

}  // namespace ms
}  // namespace qrva
