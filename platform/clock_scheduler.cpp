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
  return timers_.Start(clock_.NowMs(), intervalMs, repeating, std::move(callback));
}

void ClockScheduler::StopTimer(TimerId id) { timers_.Stop(id); }

bool ClockScheduler::IsActive(TimerId id) const { return timers_.Active(id); }

bool ClockScheduler::WaitUntil(const std::function<bool()>& done) {
  while (!done()) {
    TimerId id = 0;
    std::shared_ptr<TimerTable::Timer> t = timers_.Next(id);
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
      timers_.Requeue(*t);
    } else {
      timers_.Stop(id);
    }
    t->running = true;
    t->callback();
    t->running = false;
  }
  return true;
}

}  // namespace mirelune
