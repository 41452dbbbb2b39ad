// SPDX-License-Identifier: GPL-3.0-or-later
// The response model's two outlets besides the sliders: the window timers it starts and stops,
// and the canvas that draws it. Both are implemented by the window (Qt timers, GraphView); the
// model calls them, never the other way round for state changes.
#pragma once

namespace mirelune {

enum class GraphTimer {
  NoOper,  // 700 ms one-shot: the selection has been idle, start the fade
  Fade,    // 70 ms repeating: GradientTick
  Draw,    // 1 ms one-shot: DrawGraph, then send the pending band
};

constexpr int kNoOperMs = 700;
constexpr int kFadeMs = 70;
constexpr int kDrawMs = 1;

class GraphTimers {
 public:
  virtual ~GraphTimers() = default;
  virtual void Start(GraphTimer t) = 0;  // (re)starts from zero
  virtual void Stop(GraphTimer t) = 0;
};

class GraphCanvas {
 public:
  virtual ~GraphCanvas() = default;
  // Background plus every unselected, enabled band curve.
  virtual void DrawBase() = 0;
  // The finished frame: Base, the selected band, the sum, markers, texts, the bypass overlay.
  virtual void DrawGraph() = 0;
};

}  // namespace mirelune
