// SPDX-License-Identifier: GPL-3.0-or-later
// Scheduler over QTimer and the Qt event loop: the console and the CLI.
//
// Needs a QCoreApplication (or QApplication) in the calling thread. WaitUntil processes events
// with QEventLoop::WaitForMoreEvents, so an idle wait sleeps in the event dispatcher instead of
// spinning; it wakes for timers, posted input reports and, in the console, user input.
#pragma once

#include <QElapsedTimer>
#include <map>
#include <memory>

#include "platform/scheduler.h"

class QTimer;

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
  void Fire(TimerId id);

  std::map<TimerId, std::shared_ptr<Entry>> timers_;
  TimerId nextId_ = 1;
  QElapsedTimer clock_;
};

}  // namespace mirelune
