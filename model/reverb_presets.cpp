// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/reverb_presets.h"

#include "model/scales.h"

namespace mirelune {

namespace {

// The cut frequencies are in Hz (stored as the nearest table index, as their sliders store
// them); time and pre-delay are raw values.
struct Row {
  bool hertz;
  std::array<int32_t, 4> values;
};
constexpr Row kRows[] = {
    {true, {9982, 10156, 9808, 9112}},  // 782 high cut
    {true, {80, 118, 160, 153}},        // 781 low cut
    {false, {543, 630, 700, 575}},      // 788 time
    {false, {0, 0, 0, 0}},              // 784 pre-delay
};


}  // namespace

const std::array<ReverbPresetEntry, 4>& ReverbPresetEntries() {
  static const std::array<ReverbPresetEntry, 4> entries = {{{782, 140}, {781, 135}, {788, 138}, {784, 139}}};
  return entries;
}

int32_t ReverbPresetValue(int e, int mode) {
  if (e < 0 || e >= 4 || mode < 1 || mode > 4) return -1;
  const Row& r = kRows[e];
  const int32_t v = r.values[static_cast<size_t>(mode - 1)];
  return r.hertz ? NearestFreqIndex(v) : v;
}

}  // namespace mirelune
