// Routing of one HiGHS run: its log lines become messages of the problem,
// its interrupt points stop it when the problem's interrupt flag is set, and
// the improving MIP solutions it reports are counted.
#pragma once

#include <string>

#include "model/problem.h"

namespace qrva {

struct RunContext {
  qrva_problem_s *p;
  std::string pending;  // a log line not yet ended
  int solutions = 0;
};
void attachHighsCallbacks(void *h, RunContext &ctx);
// Sends the complete lines of the pending log (all: also the rest).
void flushLog(RunContext &ctx, bool all);

}  // namespace qrva
