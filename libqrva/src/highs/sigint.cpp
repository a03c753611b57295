#include "highs/sigint.h"

#include <csignal>
#include <mutex>

namespace qrva {
namespace {

// The handler only marks the running problems; the interrupt callbacks do the rest.

const int kSlots = 64;
std::atomic<qrva_problem_s *> runningProblems[kSlots];
std::mutex sigintMutex;
int activeSolves = 0;
struct sigaction previousAction;

extern "C" void onSigint(int) {
  for (auto &slot : runningProblems) {
    qrva_problem_s *p = slot.load();
    if (p) p->interruptReason.store(QRVA_STOP_CTRLC);
  }
}

}  // namespace

SigintGuard::SigintGuard(qrva_problem_s *p) {
  p->interruptReason.store(0);
  std::lock_guard<std::mutex> lock(sigintMutex);
  for (auto &s : runningProblems) {
    qrva_problem_s *expected = nullptr;
    if (s.compare_exchange_strong(expected, p)) {
      slot_ = &s;
      break;
    }
  }
  if (activeSolves++ == 0) {
    struct sigaction action {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction);
  }
}

SigintGuard::~SigintGuard() {
  std::lock_guard<std::mutex> lock(sigintMutex);
  if (slot_) slot_->store(nullptr);
  if (--activeSolves == 0) sigaction(SIGINT, &previousAction, nullptr);
}

}  // namespace qrva
