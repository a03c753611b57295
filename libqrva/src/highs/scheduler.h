// The thread count of HiGHS's one process-wide scheduler.
#pragma once

namespace qrva {

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

}  // namespace qrva
