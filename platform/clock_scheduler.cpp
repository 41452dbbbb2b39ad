// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clock_scheduler.h"

#include <chrono>
#include <thread>

namespace mirelune {
namespace {

class Steady : public ClockScheduler::Clock {
 public:
  int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
        .count();
  }
  void SleepUntil(int64_t ms) override { std::this_thread::sleep_until(start_ + std::chrono::milliseconds(ms)); }

 private:
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

ClockScheduler::Clock& ClockScheduler::SteadyClock() {
  static Steady clock;
  return clock;
}

Scheduler::TimerId ClockScheduler::StartTimer(int intervalMs, bool repeating, std::function<void()> callback) {
  auto t = std::make_shared<Timer>();
  t->interval = intervalMs < 0 ? 0 : intervalMs;
  // A repeating timer of 0 ms would leave no moment for anything else.
  if (repeating && t->interval == 0) t->interval = 1;
  t->due = clock_.NowMs() + t->interval;
  t->order = nextOrder_++;
  t->repeating = repeating;
  t->callback = std::move(callback);
  const TimerId id = nextId_++;
  timers_.emplace(id, std::move(t));
  return id;
}

void ClockScheduler::StopTimer(TimerId id) { timers_.erase(id); }

bool ClockScheduler::IsActive(TimerId id) const { return timers_.count(id) != 0; }

std::shared_ptr<ClockScheduler::Timer> ClockScheduler::Next(TimerId& id) {
  for (;;) {
    std::shared_ptr<Timer> best;
    for (auto& [tid, t] : timers_) {
      if (!best || t->due < best->due || (t->due == best->due && t->order < best->order)) {
        best = t;
        id = tid;
      }
    }
    if (!best || !best->running) return best;
    // A repeating timer whose callback is still running (a nested wait) skips this tick.
    best->due += best->interval;
    best->order = nextOrder_++;
  }
}

bool ClockScheduler::WaitUntil(const std::function<bool()>& done) {
  while (!done()) {
    TimerId id = 0;
    std::shared_ptr<Timer> t = Next(id);
    if (!t) return false;
    if (clock_.NowMs() < t->due) {
      clock_.SleepUntil(t->due);
      // The wait may have been long: what is due first is decided again, now.
      continue;
    }
    if (t->repeating) {
      // The next tick on the same beat; ticks a slow callback let pass are skipped.
      const int64_t now = clock_.NowMs();
      t->due += t->interval;
      if (t->due <= now) t->due = now + t->interval;
      t->order = nextOrder_++;
    } else {
      timers_.erase(id);
    }
    t->running = true;
    t->callback();
    t->running = false;
  }
  return true;
}

}  // namespace mirelune
