// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/graph/graph_timers.h"

namespace mirelune::ui {

SchedulerGraphTimers::~SchedulerGraphTimers() { StopAll(); }

void SchedulerGraphTimers::Start(GraphTimer t) {
  Stop(t);
  const bool repeating = t == GraphTimer::Fade;
  const int ms = t == GraphTimer::NoOper ? kNoOperMs : t == GraphTimer::Fade ? kFadeMs : kDrawMs;
  ids_[Slot(t)] = scheduler_.StartTimer(ms, repeating, [this, t, repeating] {
    // A one-shot timer is gone once it fired; the handler may start it again.
    if (!repeating) ids_[Slot(t)] = 0;
    const std::function<void()>& handler =
        t == GraphTimer::NoOper ? onNoOper : t == GraphTimer::Fade ? onFade : onDraw;
    if (handler) handler();
  });
}

void SchedulerGraphTimers::Stop(GraphTimer t) {
  scheduler_.StopTimer(ids_[Slot(t)]);
  ids_[Slot(t)] = 0;
}

bool SchedulerGraphTimers::Active(GraphTimer t) const {
  return ids_[Slot(t)] != 0 && scheduler_.IsActive(ids_[Slot(t)]);
}

void SchedulerGraphTimers::StopAll() {
  for (GraphTimer t : {GraphTimer::NoOper, GraphTimer::Fade, GraphTimer::Draw}) Stop(t);
}

}  // namespace mirelune::ui
