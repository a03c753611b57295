// Routing of one HiGHS run: its log lines become messages of the problem,
// its interrupt points stop it when the problem's interrupt flag is set, and
// its progress reaches the problem's callbacks (lplog, barlog, bariteration,
// globallog, intsol, preintsol, gapnotify). While a callback runs, the
// problem's solve state holds the progress of the run at that moment, so
// that attribute queries on the callback's problem answer for it.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "model/problem.h"

namespace qrva {

struct RunContext {
  // ownRun false: a run for another solver (the SLP's linearizations), which
  // routes its log and interrupts only.
  RunContext(qrva_problem_s *prob, std::chrono::steady_clock::time_point start,
             bool ownRun = true);

  qrva_problem_s *p;
  bool ownRun;
  std::chrono::steady_clock::time_point started;
  std::string pending;  // a log line not yet ended
  int solutions = 0;
  // lplog: the simplex iteration count at which they are called next.
  int64_t lpLogFreq = 0, lpLogNext = 0;
  int lastBarrierIteration = -1;
  bool crossoverAsked = false;  // a bariteration callback asked to stop and cross over
  bool candidateRefused = false;  // a preintsol callback rejected a candidate or moved the cutoff
  // gapnotify targets of this run: relative gap, absolute gap, objective, bound.
  double gapTargets[4];
  std::vector<double> incumbent;  // the best MIP solution so far (HiGHS's columns)
  // The user scaling factors of the columns HiGHS solves over (null: none):
  // the solutions callbacks see are taken back to the problem's units.
  const std::vector<double> *colScale = nullptr;
};
void attachHighsCallbacks(void *h, RunContext &ctx);
// Whether HiGHS must log for this run: someone hears its messages, or
// globallog callbacks wait for its MIP log lines.
bool highsLogWanted(const qrva_problem_s &p);
// Sends the complete lines of the pending log (all: also the rest).
void flushLog(RunContext &ctx, bool all);

}  // namespace qrva
