// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/virtual_scheduler.h"

namespace mirelune {

Scheduler::TimerId VirtualScheduler::StartTimer(int intervalMs, bool repeating,
                                                std::function<void()> callback) {
  auto t = std::make_shared<Timer>();
  t->interval = intervalMs < 0 ? 0 : intervalMs;
  // A repeating timer of 0 ms would never let the clock move.
  if (repeating && t->interval == 0) t->interval = 1;
  t->due = now_ + t->interval;
  t->order = nextOrder_++;
  t->repeating = repeating;
  t->callback = std::move(callback);
  const TimerId id = nextId_++;
  timers_.emplace(id, std::move(t));
  return id;
}

void VirtualScheduler::StopTimer(TimerId id) { timers_.erase(id); }

bool VirtualScheduler::IsActive(TimerId id) const { return timers_.count(id) != 0; }

std::shared_ptr<VirtualScheduler::Timer> VirtualScheduler::Next(TimerId& id) {
  for (;;) {
    std::shared_ptr<Timer> best;
    for (auto& [tid, t] : timers_) {
      if (!best || t->due < best->due || (t->due == best->due && t->order < best->order)) {
        best = t;
        id = tid;
      }
    }
    if (!best || best->due > horizon_) return nullptr;
    if (!best->running) return best;
    // A repeating timer whose callback is still running skips this tick.
    best->due += best->interval;
    best->order = nextOrder_++;
  }
}

void VirtualScheduler::Fire(TimerId id, std::shared_ptr<Timer> t) {
  if (t->due > now_) now_ = t->due;
  if (t->repeating) {
    t->due = now_ + t->interval;
    t->order = nextOrder_++;
  } else {
    timers_.erase(id);
  }
  t->running = true;
  ++fired_;
  t->callback();
  t->running = false;
}

bool VirtualScheduler::RunNext() {
  TimerId id = 0;
  std::shared_ptr<Timer> t = Next(id);
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
    std::shared_ptr<Timer> t = Next(id);
    if (!t || t->due > target) break;
    Fire(id, std::move(t));
  }
  if (target > now_) now_ = target;
}

}  // namespace mirelune
