// SPDX-License-Identifier: GPL-3.0-or-later
// The timers of a scheduler that runs them itself, in virtual time or on a clock of its own:
// which one is due first, the one started first among equals. Header-only, plain C++.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>

#include "platform/scheduler.h"

namespace mirelune {

class TimerTable {
 public:
  struct Timer {
    int64_t due = 0;
    uint64_t order = 0;
    int interval = 0;
    bool repeating = false;
    bool running = false;
    std::function<void()> callback;
  };

  // A timer due `intervalMs` after `now` (0 for a negative interval). A repeating timer of 0 ms
  // becomes 1 ms: it would leave no moment for anything else.
  Scheduler::TimerId Start(int64_t now, int intervalMs, bool repeating, std::function<void()> callback) {
    auto t = std::make_shared<Timer>();
    t->interval = intervalMs < 0 ? 0 : intervalMs;
    if (repeating && t->interval == 0) t->interval = 1;
    t->due = now + t->interval;
    t->order = nextOrder_++;
    t->repeating = repeating;
    t->callback = std::move(callback);
    const Scheduler::TimerId id = nextId_++;
    timers_.emplace(id, std::move(t));
    return id;
  }
  void Stop(Scheduler::TimerId id) { timers_.erase(id); }
  bool Active(Scheduler::TimerId id) const { return timers_.count(id) != 0; }
  size_t Size() const { return timers_.size(); }

  // The timer due first (its id in `id`); none when there is none or it is due after `horizon`.
  // A repeating timer whose callback is still running (a nested wait) skips that tick.
  std::shared_ptr<Timer> Next(Scheduler::TimerId& id, int64_t horizon = std::numeric_limits<int64_t>::max()) {
    for (;;) {
      std::shared_ptr<Timer> best;
      for (auto& [tid, t] : timers_) {
        if (!best || t->due < best->due || (t->due == best->due && t->order < best->order)) {
          best = t;
          id = tid;
        }
      }
      if (!best || best->due > horizon) return nullptr;
      if (!best->running) return best;
      best->due += best->interval;
      Requeue(*best);
    }
  }
  // After a change of `t`'s due time: it goes after the timers already due then.
  void Requeue(Timer& t) { t.order = nextOrder_++; }

 private:
  std::map<Scheduler::TimerId, std::shared_ptr<Timer>> timers_;
  Scheduler::TimerId nextId_ = 1;
  uint64_t nextOrder_ = 0;
};

}  // namespace mirelune
