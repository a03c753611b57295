#include "highs/scheduler.h"

#include <mutex>

#include "interfaces/highs_c_api.h"

namespace qrva {

namespace {
std::mutex schedulerMutex;
int schedulerUsers = 0;
int schedulerThreads = -1;  // the count the scheduler was started with; -1: not started
}  // namespace

SchedulerHold::SchedulerHold(int threads) {
  std::lock_guard<std::mutex> lock(schedulerMutex);
  if (schedulerUsers > 0 && schedulerThreads != threads) {
    heldAt_ = schedulerThreads;
    return;
  }
  if (schedulerThreads != -1 && schedulerThreads != threads) Highs_resetGlobalScheduler(1);
  schedulerThreads = threads;
  ++schedulerUsers;
  ok_ = true;
}

SchedulerHold::~SchedulerHold() {
  if (!ok_) return;
  std::lock_guard<std::mutex> lock(schedulerMutex);
  --schedulerUsers;
}

}  // namespace qrva
