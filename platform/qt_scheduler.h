// SPDX-License-Identifier: GPL-3.0-or-later
// Scheduler over Qt's timers and the Qt event loop: the console and the CLI.
//
// Needs a QCoreApplication (or QApplication) in the calling thread. WaitUntil processes events
// with QEventLoop::WaitForMoreEvents, so an idle wait sleeps in the event dispatcher instead of
// spinning; it wakes for timers, posted input reports and, in the console, user input.
//
// Every timer is a timer of one QObject of the scheduler's (QObject::startTimer): a graph drag
// starts and stops several timers per pointer move, and a QTimer object each (made, connected,
// deleted later through a posted event) cost more than the timer itself.
#pragma once

#include <QElapsedTimer>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/scheduler.h"

namespace mirelune {

class QtScheduler : public Scheduler {
 public:
  QtScheduler();
  ~QtScheduler() override;

  TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> callback) override;
  void StopTimer(TimerId id) override;
  bool IsActive(TimerId id) const override;
  bool WaitUntil(const std::function<bool()>& done) override;
  int64_t NowMs() const override;

 private:
  struct Entry;
  class Clock;
  void Fire(int qtTimerId);

  std::unique_ptr<Clock> clock_;
  std::map<TimerId, std::shared_ptr<Entry>> timers_;
  std::unordered_map<int, TimerId> byQtId_;  // Qt's timer id -> ours (Qt reuses its ids)
  TimerId nextId_ = 1;
  QElapsedTimer elapsed_;
};

}  // namespace mirelune
