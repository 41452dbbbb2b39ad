// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/graph_geometry.h"

#include <cmath>
#include <cstdint>

#include "model/scales.h"

namespace mirelune {

void GraphGeometry::Set(int width, int height) {
  width_ = width;
  height_ = height;
  right_ = width - 5;
  bottom_ = height - 8;
  points_ = width - 45 > 0 ? width - 45 : 0;
  // A degenerate width would make ppd zero or negative and every inverse mapping infinite.
  const double span = right_ - kLeft > 1 ? right_ - kLeft : 1;
  ppd_ = static_cast<float>(span / (std::log10(22000.0) - 1.0));
  zeroY_ = static_cast<int>(RoundHalfEven(16.0 * (bottom_ - kTop) / 43.0 + kTop));
}

float GraphGeometry::XFromFreq(float hz) const {
  return (std::log10(hz) - 1.0f) * ppd_ + static_cast<float>(kLeft);
}

float GraphGeometry::FreqFromX(float x) const {
  return std::pow(10.0f, 1.0f + (x - static_cast<float>(kLeft)) / ppd_);
}

float GraphGeometry::YFromDb(float dB) const {
  return dB * static_cast<float>(kTop - bottom_) / kRangeDb + static_cast<float>(zeroY_);
}

float GraphGeometry::YFromGain(int code) const {
  // In 64 bits: a damaged file's code may lie anywhere in the 32-bit range.
  const float dB = static_cast<float>(static_cast<int64_t>(code) - 250) / 10.0f;
  if (dB > kTopDb) return static_cast<float>(kTop);
  if (dB < kBottomDb) return static_cast<float>(bottom_);
  return YFromDb(dB);
}

int GraphGeometry::GainFromY(float y) const {
  float dB;
  if (y < kTop) {
    dB = kTopDb;
  } else if (y > bottom_ || bottom_ <= kTop) {
    dB = kBottomDb;
  } else {
    dB = kRangeDb * (static_cast<float>(zeroY_) - y) / static_cast<float>(bottom_ - kTop);
  }
  return static_cast<int>(RoundHalfEven(static_cast<double>(dB) * 10.0 + 250.0));
}

}  // namespace mirelune
