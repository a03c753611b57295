// Calling user functions: the handle a user function receives while the
// engine evaluates it, and the caller that formulas use. A function that
// gives no derivatives (or not all of them) is differentiated by central
// differences over the arguments that need it.
#pragma once

#include "slp/formula.h"
#include "slp/problem.h"

// A user function being evaluated: what QSLPgetfuncinfo and
// QSLPgetfuncobject answer. Lives on the engine's stack for one call.
struct qslp_function_s {
  qslp_problem_s *slp;
  int nargs, wantResults, wantDerivatives, index;
};

namespace qrva {

// A caller of slp's user functions. A function fails when it returns NaN,
// when it leaves results[0] unwritten (functions with derivatives), or when
// the solve is interrupted during the call (QSLPinterrupt from inside it).
UserFunctionCall userFunctionCaller(qslp_problem_s &slp);

// A caller for problems without user functions: refuses every call.
UserFunctionCall noUserFunctions();

}  // namespace qrva
