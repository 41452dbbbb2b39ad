// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/virtual_scheduler.h"

namespace mirelune {

Scheduler::TimerId VirtualScheduler::StartTimer(int intervalMs, bool repeating,
                                                std::function<void()> callback) {
  return timers_.Start(now_, intervalMs, repeating, std::move(callback));
}

void VirtualScheduler::StopTimer(TimerId id) { timers_.Stop(id); }

bool VirtualScheduler::IsActive(TimerId id) const { return timers_.Active(id); }

void VirtualScheduler::Fire(TimerId id, std::shared_ptr<Timer> t) {
  if (t->due > now_) now_ = t->due;
  if (t->repeating) {
    t->due = now_ + t->interval;
    timers_.Requeue(*t);
  } else {
    timers_.Stop(id);
  }
  t->running = true;
  ++fired_;
  t->callback();
  t->running = false;
}

bool VirtualScheduler::RunNext() {
  TimerId id = 0;
  std::shared_ptr<Timer> t = timers_.Next(id, horizon_);
  if (!t) return false;
  Fire(id, std::move(t));
  return true;
}

bool VirtualScheduler::WaitUntil(const std::function<bool()>& done) {
  while (!done())
    if (!RunNext()) return false;
  return true;
}

void VirtualScheduler::RunFor(int64_t ms) {
  const int64_t target = now_ + ms;
  for (;;) {
    TimerId id = 0;
    std::shared_ptr<Timer> t = timers_.Next(id, horizon_);
    if (!t || t->due > target) break;
    Fire(id, std::move(t));
  }
  if (target > now_) now_ = target;
}

}  // namespace mirelune
