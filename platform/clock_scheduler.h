// SPDX-License-Identifier: GPL-3.0-or-later
// Scheduler for a program without an event loop of its own: the command-line tool's device
// commands when they run without Qt. Its only events are its timers: WaitUntil sleeps until the
// next one is due, runs it and checks again, so a link over the virtual amplifier (whose replies
// are timers too) runs as it does under Qt's loop, at the same moments.
//
// Nothing from other threads or file descriptors wakes it: a port whose reports come from a
// thread of its own (HidapiPort) needs the Qt scheduler. When no timer is left and done() is
// still false, nothing can make it true, and WaitUntil returns false instead of sleeping
// forever.
//
// The clock is given, so that tests run it in virtual time; by default it is the steady
// clock and a sleep of the thread. Timers due at the same moment fire in the order they were
// (re)scheduled; a repeating timer skips the ticks that pass while its own callback runs.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/scheduler.h"
#include "platform/timer_table.h"

namespace mirelune {

class ClockScheduler : public Scheduler {
 public:
  class Clock {
   public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start, monotonic.
    virtual int64_t NowMs() = 0;
    // Returns at or after `ms` (NowMs's scale).
    virtual void SleepUntil(int64_t ms) = 0;
  };
  // The steady clock of the process.
  static Clock& SteadyClock();

  explicit ClockScheduler(Clock& clock = SteadyClock()) : clock_(clock) {}

  TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> callback) override;
  void StopTimer(TimerId id) override;
  bool IsActive(TimerId id) const override;
  bool WaitUntil(const std::function<bool()>& done) override;
  int64_t NowMs() const override { return clock_.NowMs(); }

 private:
  Clock& clock_;
  TimerTable timers_;
};

}  // namespace mirelune
