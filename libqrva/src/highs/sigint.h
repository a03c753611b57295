// Ctrl-C while the engine solves: it interrupts the solve instead of ending
// the process.
#pragma once

#include <atomic>

#include "model/problem.h"

namespace qrva {

// One per solve call, around all of it (model building and transfer, runs,
// the SLP driver's own loop, results): it clears prob's interrupt flag, and
// while it lives Ctrl-C marks prob as interrupted (QRVA_STOP_CTRLC) instead
// of ending the process. Guards of concurrent solves are counted: the SIGINT
// disposition from before the first comes back after the last.
class SigintGuard {
 public:
  explicit SigintGuard(qrva_problem_s *p);
  ~SigintGuard();
  SigintGuard(const SigintGuard &) = delete;
  SigintGuard &operator=(const SigintGuard &) = delete;

 private:
  std::atomic<qrva_problem_s *> *slot_ = nullptr;
};

}  // namespace qrva
