// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_scheduler.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace mirelune {

struct QtScheduler::Entry {
  std::unique_ptr<QTimer> timer;
  std::function<void()> callback;
  bool repeating = false;
  bool running = false;
};

QtScheduler::QtScheduler() { clock_.start(); }

QtScheduler::~QtScheduler() {
  for (auto& [id, e] : timers_) e->timer->stop();
}

Scheduler::TimerId QtScheduler::StartTimer(int intervalMs, bool repeating,
                                           std::function<void()> callback) {
  const TimerId id = nextId_++;
  auto e = std::make_shared<Entry>();
  e->timer = std::make_unique<QTimer>();
  e->timer->setSingleShot(!repeating);
  // Coarse timers may fire 5 % early or late; the link's 50 ms tick counts must stay honest.
  e->timer->setTimerType(Qt::PreciseTimer);
  e->timer->setInterval(intervalMs < 0 ? 0 : intervalMs);
  e->callback = std::move(callback);
  e->repeating = repeating;
  QObject::connect(e->timer.get(), &QTimer::timeout, [this, id] { Fire(id); });
  e->timer->start();
  timers_.emplace(id, std::move(e));
  return id;
}

void QtScheduler::Fire(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  std::shared_ptr<Entry> e = it->second;  // keeps the callback alive if it stops itself
  if (e->running) return;                 // repeating timer re-entered from a nested wait
  if (!e->repeating) {
    // Forget a one-shot before calling it; the QTimer is deleted once its signal returned.
    e->timer.release()->deleteLater();
    timers_.erase(it);
  }
  e->running = true;
  e->callback();
  e->running = false;
}

void QtScheduler::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->timer->stop();
  // Stopping from inside its own timeout: deleting the QTimer now would pull it from under
  // the signal emission.
  it->second->timer.release()->deleteLater();
  timers_.erase(it);
}

bool QtScheduler::IsActive(TimerId id) const { return timers_.count(id) != 0; }

bool QtScheduler::WaitUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return true;
}

int64_t QtScheduler::NowMs() const { return clock_.elapsed(); }

}  // namespace mirelune
