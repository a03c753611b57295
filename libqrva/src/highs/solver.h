// The solve pipeline on HiGHS: turns the problem store into a HiGHS model
// (reformulating what HiGHS lacks), runs it with the problem's controls,
// routes HiGHS's log into the problem's messages, honours interrupts, and
// maps statuses, values, basis and rays back onto the problem.
#pragma once

#include <atomic>
#include <string>

#include "model/problem.h"

namespace qrva {

enum class SolveKind { Lp, Mip };

// Solves prob; flags pick the LP algorithm ("" control defaultalg, p primal,
// d dual, b barrier). Throws Failure for models HiGHS cannot take.
int solveWithHighs(qrva_problem_s &prob, const char *function, SolveKind kind,
                   const char *flags);

// Bounds of row i's activity (1e20 for none).
void rowBounds(const ProblemStore &s, int i, double &lower, double &upper);

// While it lives, Ctrl-C marks prob as interrupted (QRVA_STOP_CTRLC) instead
// of ending the process; the previous SIGINT disposition comes back after the
// last running solve.
class SigintGuard {
 public:
  explicit SigintGuard(qrva_problem_s *p);
  ~SigintGuard();
  SigintGuard(const SigintGuard &) = delete;
  SigintGuard &operator=(const SigintGuard &) = delete;

 private:
  std::atomic<qrva_problem_s *> *slot_ = nullptr;
};

// HiGHS runs every solve on one process-wide scheduler whose thread count is
// fixed when it starts; a run asking for another count silently does nothing.
// While it lives, a SchedulerHold keeps the scheduler at `threads` (0 is
// HiGHS's own choice), restarting it when no other run holds it. ok() is
// false when another run holds it at another count: waiting could deadlock
// (a callback of that run may be the caller), so the caller refuses instead.
class SchedulerHold {
 public:
  explicit SchedulerHold(int threads);
  ~SchedulerHold();
  bool ok() const { return ok_; }
  int heldAt() const { return heldAt_; }
  SchedulerHold(const SchedulerHold &) = delete;
  SchedulerHold &operator=(const SchedulerHold &) = delete;

 private:
  bool ok_ = false;
  int heldAt_ = 0;
};

// Routing of one HiGHS run: its log lines become messages of p, and its
// interrupt points stop it when p's interrupt flag is set.
struct RunContext {
  qrva_problem_s *p;
  std::string pending;  // a log line not yet ended
  int solutions = 0;
};
void attachHighsCallbacks(void *h, RunContext &ctx);
// Sends the complete lines of the pending log (all: also the rest).
void flushLog(RunContext &ctx, bool all);

}  // namespace qrva
