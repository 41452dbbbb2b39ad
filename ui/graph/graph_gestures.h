// SPDX-License-Identifier: GPL-3.0-or-later
// What the user does to the response graph: press a marker to select its band, drag it to move
// frequency and gain (with the right button: step Q or the shelf slope every 6 pixels), step
// gain with Up/Down and Q with Home/End, hop between bands with short Left/Right presses and
// sweep the frequency by holding them. The model writes every change into the store and marks
// the band for sending; the draw timer sends it.
//
// Key codes are the window system's: Left 37, Up 38, Right 39, Down 40, Home 36, End 35.
// UI thread only; the hold repeat runs on the Scheduler.
#pragma once

#include <functional>

#include "platform/scheduler.h"

namespace mirelune {
class ResponseModel;
}

namespace mirelune::ui {

class SchedulerGraphTimers;

enum GraphKey : int {
  kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40
};

class GraphGestures {
 public:
  static constexpr int kHoldMs = 50;
  static constexpr int kShortPressTicks = 4;  // a press of at most 4 hold ticks hops
  static constexpr int kQStepPixels = 5;      // a Q drag steps on moves of more than this

  // All three must outlive this object.
  GraphGestures(ResponseModel& model, SchedulerGraphTimers& timers, Scheduler& scheduler);
  ~GraphGestures();
  GraphGestures(const GraphGestures&) = delete;
  GraphGestures& operator=(const GraphGestures&) = delete;

  // Pointer in graph pixels. `right`: the right button (a Q drag).
  void MouseDown(int x, int y, bool right);
  void MouseMove(float x, float y);
  void MouseUp();
  void KeyDown(int key);
  void KeyUp(int key);
  void HoldTick();  // the 50 ms hold repeat; public so tests can step it

  bool Dragging() const { return dragging_; }
  bool QDrag() const { return qDrag_; }
  bool KeyHeld() const { return keyHeld_; }
  int HoldTicks() const { return holdTicks_; }

  // A burst of changes begins (the undo history's BeginChange); optional.
  std::function<void()> beginChange;

 private:
  bool Editable() const;
  void StepQ(bool up);
  void BeginChange() { if (beginChange) beginChange(); }
  int NextBand() const;
  int PreviousBand() const;

  ResponseModel& model_;
  SchedulerGraphTimers& timers_;
  Scheduler& scheduler_;
  bool dragging_ = false;
  bool qDrag_ = false;
  int dragLastX_ = 0;
  bool keyHeld_ = false;
  bool holdLeft_ = false;
  int holdTicks_ = 0;
  Scheduler::TimerId holdTimer_ = 0;
};

}  // namespace mirelune::ui
