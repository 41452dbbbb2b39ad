// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_scheduler.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimerEvent>

namespace mirelune {

struct QtScheduler::Entry {
  int qtId = 0;
  std::function<void()> callback;
  bool repeating = false;
  bool running = false;
};

class QtScheduler::Clock : public QObject {
 public:
  explicit Clock(QtScheduler& owner) : owner_(owner) {}

 protected:
  void timerEvent(QTimerEvent* e) override { owner_.Fire(e->timerId()); }

 private:
  QtScheduler& owner_;
};

QtScheduler::QtScheduler() : clock_(std::make_unique<Clock>(*this)) { elapsed_.start(); }

QtScheduler::~QtScheduler() {
  for (auto& [id, e] : timers_) clock_->killTimer(e->qtId);
}

Scheduler::TimerId QtScheduler::StartTimer(int intervalMs, bool repeating,
                                           std::function<void()> callback) {
  // Coarse timers may fire 5 % early or late; the link's 50 ms tick counts must stay honest.
  const int qtId = clock_->startTimer(intervalMs < 0 ? 0 : intervalMs, Qt::PreciseTimer);
  if (qtId == 0) return 0;  // Qt refused (no event loop in this thread): a timer that never fires
  const TimerId id = nextId_++;
  auto e = std::make_shared<Entry>();
  e->qtId = qtId;
  e->callback = std::move(callback);
  e->repeating = repeating;
  timers_.emplace(id, std::move(e));
  byQtId_[qtId] = id;
  return id;
}

void QtScheduler::Fire(int qtTimerId) {
  const auto byQt = byQtId_.find(qtTimerId);
  if (byQt == byQtId_.end()) return;
  const auto it = timers_.find(byQt->second);
  if (it == timers_.end()) return;
  std::shared_ptr<Entry> e = it->second;  // keeps the callback alive if it stops itself
  if (e->running) return;                 // repeating timer re-entered from a nested wait
  if (!e->repeating) {
    // Forgotten before it is called: the callback may start timers, and Qt may reuse the id.
    clock_->killTimer(qtTimerId);
    byQtId_.erase(byQt);
    timers_.erase(it);
  }
  e->running = true;
  e->callback();
  e->running = false;
}

void QtScheduler::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  clock_->killTimer(it->second->qtId);
  byQtId_.erase(it->second->qtId);
  timers_.erase(it);
}

bool QtScheduler::IsActive(TimerId id) const { return timers_.count(id) != 0; }

bool QtScheduler::WaitUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return true;
}

int64_t QtScheduler::NowMs() const { return elapsed_.elapsed(); }

}  // namespace mirelune
