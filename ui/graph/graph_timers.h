// SPDX-License-Identifier: GPL-3.0-or-later
// The response graph's timers (idle, fade, deferred draw) on the session's Scheduler, so that
// the graph runs in virtual time in tests exactly as on QTimer in the console.
#pragma once

#include <array>
#include <functional>

#include "graph/graph_hooks.h"
#include "platform/scheduler.h"

namespace mirelune::ui {

class SchedulerGraphTimers : public GraphTimers {
 public:
  // `scheduler` must outlive this; every timer is stopped on destruction.
  explicit SchedulerGraphTimers(Scheduler& scheduler) : scheduler_(scheduler) {}
  ~SchedulerGraphTimers() override;
  SchedulerGraphTimers(const SchedulerGraphTimers&) = delete;
  SchedulerGraphTimers& operator=(const SchedulerGraphTimers&) = delete;

  // NoOper and Draw are one-shot, Fade repeats until stopped.
  void Start(GraphTimer t) override;
  void Stop(GraphTimer t) override;
  bool Active(GraphTimer t) const;
  void StopAll();

  // What each timer does when it fires (set by the graph window).
  std::function<void()> onNoOper;
  std::function<void()> onFade;
  std::function<void()> onDraw;

 private:
  static size_t Slot(GraphTimer t) { return static_cast<size_t>(t); }
  Scheduler& scheduler_;
  std::array<Scheduler::TimerId, 3> ids_{};
};

}  // namespace mirelune::ui
