// SPDX-License-Identifier: GPL-3.0-or-later
// The values a parameter may take: the range of the console control bound to its address.
//
// A slider keeps a position 0..MaxValue and its value type maps the position to the value the
// device stores (the value-type table of the parameter slider). The range of an address is
// therefore the value at position 0 and at MaxValue, from the table below, which follows the
// pages' control list. Volume sliders whose mute flag travels in the 250s of the value (style 0
// and the sliders with the mute icon, HScrollSize 3) also take those values plus 250.
// Addresses without a slider keep what a value pair can carry: 0..62499.
//
// Plain data and functions, for the command line and the console alike.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mirelune {

// The largest value one value pair carries: 249 * 250 + 249.
constexpr int32_t kEncodableMax = 62499;
// The mute flag's share of a volume value.
constexpr int32_t kMuteInValue = 250;

// A run of `count` consecutive addresses bound to sliders of one value type and MaxValue.
struct SliderRange {
  int address;
  int count;
  int valueType;
  int maxValue;
  bool muteInValue;  // the slider's mute flag is part of the value (v + 250 when muted)
};

// Every slider of the pages and the top bar, by page, in the control list's order.
const std::vector<SliderRange>& SliderRanges();
// The run holding `address`; nullptr for an address no slider is bound to.
const SliderRange* SliderRangeOf(int address);

// The value at position `position` of a slider of `valueType` (without the mute flag); 0 for
// value types that do not exist, as the slider reads them.
int32_t ValueAtPosition(int valueType, int position);

struct ParamRange {
  int32_t low = 0;
  int32_t high = kEncodableMax;
  bool muteInValue = false;

  // Whether `value` is one the address takes: low..high, or low+250..high+250 with the mute
  // flag.
  bool Contains(long long value) const;
  // "0..80", or "0..200 or 250..450 (muted)".
  std::string Text() const;
};

// The range of value type `valueType` over positions 0..maxValue.
ParamRange ValueTypeRange(int valueType, int maxValue, bool muteInValue = false);

// The range of `address`: its slider's, else 0..62499.
ParamRange RangeOf(int address);

// The three master volumes (2560..2562) stop at their upper limits (2568..2570), as the
// console's sliders do. `limits` are the three limits' values (clamped to 0..80 here).
constexpr int kMasterVolumeFirst = 2560;
constexpr int kMasterVolumeLimitFirst = 2568;
using MasterLimits = std::array<int32_t, 3>;
// RangeOf, a master volume's ending at its limit.
ParamRange RangeUnderLimits(int address, const MasterLimits& limits);
// A batch of plain values (address, value) checked as a whole: each master volume against the
// limit the same batch gives it, else against `limitsBefore`, so that no batch leaves a
// volume above its limit whatever order it is applied in. False with `error` naming the first
// volume above its limit.
bool CheckMasterLimits(const std::vector<std::pair<int, long long>>& values, const MasterLimits& limitsBefore,
                       std::string& error);

}  // namespace mirelune
