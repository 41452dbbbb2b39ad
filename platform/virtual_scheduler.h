// SPDX-License-Identifier: GPL-3.0-or-later
// Scheduler in virtual time: tests and benchmarks.
//
// The clock only moves when events run: WaitUntil and RunFor jump from one due timer to the
// next, so nine 600 ms retries cost microseconds and every run is deterministic. Timers due
// at the same instant fire in the order they were (re)scheduled.
#pragma once

#include <memory>

#include "platform/scheduler.h"
#include "platform/timer_table.h"

namespace mirelune {

class VirtualScheduler : public Scheduler {
 public:
  TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> callback) override;
  void StopTimer(TimerId id) override;
  bool IsActive(TimerId id) const override;
  // Returns false when no timer is left or the next one lies beyond the horizon; the clock
  // then stays where the last event left it.
  bool WaitUntil(const std::function<bool()>& done) override;
  int64_t NowMs() const override { return now_; }

  // Runs every event due within the next `ms` milliseconds, then sets the clock to now + ms.
  void RunFor(int64_t ms);
  // Runs the next due event; false when there is none before the horizon.
  bool RunNext();
  // Absolute virtual time beyond which waits give up (default: one virtual day), so that a
  // fault in the code under test ends a test instead of hanging it.
  void SetHorizonMs(int64_t horizon) { horizon_ = horizon; }
  // How many timer callbacks have run: each is one wake-up of a real process.
  uint64_t Fired() const { return fired_; }
  // Timers that are scheduled now (repeating ones, and one-shots not yet due).
  size_t Pending() const { return timers_.Size(); }

 private:
  using Timer = TimerTable::Timer;
  void Fire(TimerId id, std::shared_ptr<Timer> t);

  TimerTable timers_;
  int64_t now_ = 0;
  uint64_t fired_ = 0;
  int64_t horizon_ = 24LL * 3600 * 1000;
};

}  // namespace mirelune
