// SPDX-License-Identifier: GPL-3.0-or-later
// Timers and the nested wait, behind one interface so that the link runs in virtual time in
// tests.
//
// Backends: QtScheduler (QTimer and QEventLoop, the console and the CLI) and VirtualScheduler
// (a clock advanced from event to event, tests and benchmarks).
//
// Thread: UI thread only. Callbacks run on the UI thread, never from inside StartTimer or
// StopTimer; they may start and stop timers and may call WaitUntil themselves (nested waits).
#pragma once

#include <cstdint>
#include <functional>

namespace mirelune {

class Scheduler {
 public:
  using TimerId = int;  // > 0; 0 is "no timer"

  virtual ~Scheduler() = default;

  // Calls `callback` after intervalMs (>= 0) and, when repeating, every intervalMs after that
  // until StopTimer. A repeating timer does not fire again while its own callback is still
  // running (inside a nested wait); the missed ticks are skipped, not queued.
  virtual TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> callback) = 0;
  // Stops and forgets the timer; unknown ids and 0 are ignored. Safe inside the callback.
  virtual void StopTimer(TimerId id) = 0;
  virtual bool IsActive(TimerId id) const = 0;

  // Processes events (timers, input reports, in the console also user input) until done()
  // returns true; done() is evaluated before the first event and after each one. Returns true
  // when done() became true, false when no further event can ever make it true (the virtual
  // scheduler ran out of events or passed its horizon). The production wait only returns true.
  virtual bool WaitUntil(const std::function<bool()>& done) = 0;

  // Milliseconds since an arbitrary start, monotonic.
  virtual int64_t NowMs() const = 0;
};

}  // namespace mirelune
