// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/graph/graph_gestures.h"

#include <algorithm>
#include <cmath>

#include "graph/response_model.h"
#include "model/scales.h"
#include "ui/graph/graph_timers.h"

namespace mirelune::ui {

GraphGestures::GraphGestures(ResponseModel& model, SchedulerGraphTimers& timers,
                             Scheduler& scheduler)
    : model_(model), timers_(timers), scheduler_(scheduler) {}

GraphGestures::~GraphGestures() { scheduler_.StopTimer(holdTimer_); }

void GraphGestures::MouseDown(int x, int y, bool right) {
  // HitTest selects the band under the pointer (and refuses while the graph is locked).
  if (!model_.HitTest(x, y)) return;
  dragging_ = true;
  dragLastX_ = model_.DragStartX();
  qDrag_ = right;
}

void GraphGestures::MouseMove(float x, float y) {
  if (!dragging_) return;
  x = std::clamp(x, 0.0f, static_cast<float>(model_.Geometry().Width()));
  BeginChange();
  if (qDrag_) {
    const long rx = std::lround(x);
    if (std::labs(rx - dragLastX_) <= kQStepPixels) return;
    StepQ(rx > dragLastX_);
    dragLastX_ = static_cast<int>(rx);
    model_.DragTo(x, y, true);  // the marker stays; curve, store and send follow the new Q
    return;
  }
  model_.DragTo(x, y, false);
}

void GraphGestures::MouseUp() {
  if (!dragging_) return;
  dragging_ = false;
  qDrag_ = false;
  timers_.Start(GraphTimer::NoOper);  // the fade begins after the idle time
}

bool GraphGestures::Editable() const {
  if (model_.Locked() || model_.SelectedBand() >= model_.BandCount()) return false;
  const GraphBand& band = model_.Band(model_.SelectedBand());
  return band.EQDisabled == kFalse && band.Hidden == kFalse;
}

void GraphGestures::StepQ(bool up) {
  GraphBand& band = model_.MutableBands().bands.at(static_cast<size_t>(model_.SelectedBand()));
  if (band.QType != 0) {
    band.SQ = ClampSlopeIndex(up ? StepUp(band.SQ) : StepDown(band.SQ));
  } else {
    band.Q = ClampQIndex(up ? StepUp(band.Q) : StepDown(band.Q));
  }
}

void GraphGestures::KeyDown(int key) {
  if (!Editable()) return;
  GraphBand& band = model_.MutableBands().bands.at(static_cast<size_t>(model_.SelectedBand()));
  switch (key) {
    case kKeyUp:
    case kKeyDown:
      BeginChange();
      if (band.Kind == kBandEq) band.Gain = ClampGain(band.Gain + (key == kKeyUp ? 1 : -1));
      model_.FinishEdit();
      break;
    case kKeyHome:
    case kKeyEnd:
      BeginChange();
      StepQ(key == kKeyHome);
      model_.FinishEdit();
      break;
    case kKeyLeft:
    case kKeyRight:
      if (keyHeld_) break;
      keyHeld_ = true;
      holdTicks_ = 0;
      holdLeft_ = key == kKeyLeft;
      scheduler_.StopTimer(holdTimer_);
      holdTimer_ = scheduler_.StartTimer(kHoldMs, true, [this] { HoldTick(); });
      break;
    default:
      break;
  }
}

void GraphGestures::KeyUp(int key) {
  if (!keyHeld_ || (key != kKeyLeft && key != kKeyRight)) return;
  keyHeld_ = false;
  scheduler_.StopTimer(holdTimer_);
  holdTimer_ = 0;
  if (holdTicks_ <= kShortPressTicks) {
    const int b = holdLeft_ ? PreviousBand() : NextBand();
    if (b >= 0) model_.SelectBand(b);
  }
  holdTicks_ = 0;
}

void GraphGestures::HoldTick() {
  if (!keyHeld_) return;
  if (++holdTicks_ <= kShortPressTicks) return;
  holdTicks_ = kShortPressTicks + 1;
  if (!Editable()) return;
  BeginChange();  // a held sweep is an edit like a drag
  GraphBand& band = model_.MutableBands().bands.at(static_cast<size_t>(model_.SelectedBand()));
  band.Freq = ClampFreqIndex(band.Freq + (holdLeft_ ? -1 : 1), true, band.Kind,
                             model_.store().CurrentPage);
  model_.FinishEdit();
}

int GraphGestures::NextBand() const {
  const int n = model_.BandCount();
  if (n == 0) return -1;
  int b = model_.SelectedBand();
  for (int tries = 0; tries <= n; ++tries) {
    b = b + 1 >= n ? 0 : b + 1;
    const GraphBand& band = model_.Band(b);
    if (band.EQDisabled == kFalse && band.Hidden == kFalse) return b;
  }
  return -1;
}

int GraphGestures::PreviousBand() const {
  const int n = model_.BandCount();
  if (n == 0) return -1;
  int b = model_.SelectedBand();
  for (int tries = 0; tries <= n; ++tries) {
    b = b - 1 < 0 ? n - 1 : b - 1;
    // A hidden band can be reached going left; its marker is not drawn and keys leave it alone.
    if (model_.Band(b).EQDisabled == kFalse) return b;
  }
  return -1;
}

}  // namespace mirelune::ui
