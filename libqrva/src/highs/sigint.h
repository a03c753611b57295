// Ctrl-C while the engine solves: it interrupts the solve instead of ending
// the process.
#pragma once

#include <atomic>

#include "model/problem.h"

namespace qrva {

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

}  // namespace qrva
