// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel geometry of the response graph and the mappings between pixels and frequency / gain.
//
// The plot runs from x = 40 (10 Hz) to W - 5 (22 kHz) on a log axis and from y = 10 (+16 dB) to
// H - 8 (-27 dB). Curve point i lies at x = 40 + i. Mappings are in single precision.
#pragma once

namespace mirelune {

class GraphGeometry {
 public:
  static constexpr int kLeft = 40;
  static constexpr int kTop = 10;
  static constexpr float kTopDb = 16.0f;
  static constexpr float kBottomDb = -27.0f;
  static constexpr float kRangeDb = 43.0f;

  // Recomputes everything for a client area of width x height pixels. Sizes too small for a
  // plot give zero points (the mappings stay finite).
  void Set(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Right() const { return right_; }
  int Bottom() const { return bottom_; }
  int Points() const { return points_; }   // N = W - 45, at least 0
  float Ppd() const { return ppd_; }       // pixels per decade
  int ZeroY() const { return zeroY_; }     // the 0 dB line

  float XFromFreq(float hz) const;
  float FreqFromX(float x) const;
  float PointFreq(int i) const { return FreqFromX(static_cast<float>(kLeft + i)); }
  float YFromDb(float dB) const;    // not clamped
  float YFromGain(int code) const;  // clamped to the plot's top and bottom
  int GainFromY(float y) const;     // gain code, y clamped to the plot (+16 .. -27 dB)

 private:
  int width_ = 0;
  int height_ = 0;
  int right_ = 0;
  int bottom_ = 0;
  int points_ = 0;
  float ppd_ = 1.0f;
  int zeroY_ = 0;
};

}  // namespace mirelune
