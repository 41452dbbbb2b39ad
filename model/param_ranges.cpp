// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/param_ranges.h"

#include <algorithm>


namespace mirelune {
namespace {

constexpr int kEq = 15;      // EQ band strip: gain code = position + 10
constexpr int kEqMax = 360;  // codes 10..370

// clang-format off
const std::vector<SliderRange> kSliders = {
  // address count type  max     mute
  // top bar: the three master volumes (style 6)
  {2560,  3,  0,    80,     false},
  // page 0: music
  {0,     15, kEq,  kEqMax, false},
  {15,    1,  13,   143,    false},
  {16,    1,  16,   64,     false},
  // page 1: microphones 1 and 2
  {256,   1,  13,   143,    false},
  {257,   15, kEq,  kEqMax, false},
  {272,   1,  2,    400,    false},
  {273,   1,  3,    180,    false},
  {274,   1,  4,    199,    false},
  {275,   1,  5,    199,    false},
  {276,   1,  10,   150,    true},
  // page 2: microphone 3
  {512,   1,  13,   148,    false},
  {513,   15, kEq,  kEqMax, false},
  {528,   1,  2,    400,    false},
  {529,   1,  3,    180,    false},
  {530,   1,  4,    199,    false},
  {531,   1,  5,    199,    false},
  {532,   1,  10,   150,    true},
  // page 3: effects
  {768,   1,  0,    60,     false},
  {769,   1,  0,    260,    false},
  {770,   1,  7,    89,     false},
  {771,   1,  6,    62,     false},
  {772,   1,  0,    50,     false},
  {773,   1,  8,    100,    false},
  {774,   1,  1,    142,    false},
  {775,   1,  6,    63,     false},
  {776,   5,  kEq,  kEqMax, false},
  {781,   1,  1,    142,    false},
  {782,   1,  6,    63,     false},
  {783,   1,  6,    14000,  false},
  {784,   1,  0,    60,     false},
  {785,   1,  0,    250,    false},
  {786,   1,  6,    14000,  false},
  {787,   1,  0,    250,    false},
  {788,   1,  14,   900,    false},
  {789,   1,  6,    14000,  false},
  {790,   1,  9,    50,     false},
  {791,   1,  7,    89,     false},
  {792,   2,  0,    80,     false},
  {794,   10, kEq,  kEqMax, false},
  {804,   2,  10,   150,    false},
  {806,   4,  10,   150,    true},
  // page 4: main output
  {1024,  4,  10,   150,    true},
  {1028,  2,  0,    80,     false},
  {1031,  1,  13,   143,    false},
  {1032,  10, kEq,  kEqMax, false},
  {1042,  1,  12,   400,    false},
  {1043,  1,  3,    180,    false},
  {1044,  1,  4,    199,    false},
  {1045,  1,  5,    199,    false},
  {1046,  2,  11,   100,    false},
  {1048,  1,  10,   150,    false},
  // page 5: auxiliary output
  {1280,  4,  10,   150,    true},
  {1284,  2,  0,    80,     false},
  {1287,  1,  13,   143,    false},
  {1288,  7,  kEq,  kEqMax, false},
  {1295,  1,  12,   400,    false},
  {1296,  1,  3,    180,    false},
  {1297,  1,  4,    199,    false},
  {1298,  1,  5,    199,    false},
  {1299,  2,  11,   100,    false},
  {1301,  1,  10,   150,    false},
  // page 6: centre output
  {1536,  4,  10,   150,    true},
  {1540,  1,  0,    80,     false},
  {1542,  1,  13,   143,    false},
  {1543,  7,  kEq,  kEqMax, false},
  {1550,  1,  12,   400,    false},
  {1551,  1,  3,    180,    false},
  {1552,  1,  4,    199,    false},
  {1553,  1,  5,    199,    false},
  {1554,  1,  11,   100,    false},
  {1555,  1,  10,   150,    false},
  // page 7: sub-woofer
  {1792,  2,  10,   150,    true},
  {1794,  1,  10,   150,    false},
  {1795,  1,  0,    80,     false},
  {1800,  1,  13,   143,    false},
  {1802,  1,  1,    145,    false},
  {1803,  5,  kEq,  kEqMax, false},
  {1808,  1,  12,   400,    false},
  {1809,  1,  3,    180,    false},
  {1810,  1,  4,    199,    false},
  {1811,  1,  5,    199,    false},
  {1812,  1,  11,   100,    false},
};
// clang-format on

}  // namespace

const std::vector<SliderRange>& SliderRanges() { return kSliders; }

int32_t ValueAtPosition(int valueType, int p) {
  switch (valueType) {
    case 0: case 8: case 11: case 13: case 14: return p;
    case 1: case 4: case 5: case 7: return p + 1;
    case 2: case 12: return 400 - p;
    case 3: case 15: return p + 10;
    case 6: case 16: return p + 298;
    case 9: return p + 25;
    case 10: return p < 100 ? p : 2 * p - 100;
    default: return 0;
  }
}

ParamRange ValueTypeRange(int valueType, int maxValue, bool muteInValue) {
  // Every value type is monotonic in the position, rising or falling.
  const int32_t a = ValueAtPosition(valueType, 0);
  const int32_t b = ValueAtPosition(valueType, maxValue);
  return {std::min(a, b), std::max(a, b), muteInValue};
}

const SliderRange* SliderRangeOf(int address) {
  for (const SliderRange& s : kSliders)
    if (address >= s.address && address < s.address + s.count) return &s;
  return nullptr;
}

ParamRange RangeOf(int address) {
  const SliderRange* s = SliderRangeOf(address);
  if (!s) return ParamRange{};
  return ValueTypeRange(s->valueType, s->maxValue, s->muteInValue);
}

ParamRange RangeUnderLimits(int address, const MasterLimits& limits) {
  ParamRange r = RangeOf(address);
  const int i = address - kMasterVolumeFirst;
  if (i < 0 || i >= 3) return r;
  const SliderRange* s = SliderRangeOf(address);
  const int32_t limit = std::clamp(limits[static_cast<size_t>(i)], 0, s ? s->maxValue : 80);
  r.high = std::min(r.high, limit);
  r.low = std::min(r.low, r.high);
  return r;
}

bool CheckMasterLimits(const std::vector<std::pair<int, long long>>& values, const MasterLimits& limitsBefore,
                       std::string& error) {
  MasterLimits limits = limitsBefore;
  bool given[3] = {false, false, false};
  for (const auto& [address, value] : values) {
    const int i = address - kMasterVolumeLimitFirst;
    if (i < 0 || i >= 3) continue;
    limits[static_cast<size_t>(i)] = static_cast<int32_t>(std::clamp<long long>(value, 0, kEncodableMax));
    given[i] = true;
  }
  for (const auto& [address, value] : values) {
    const int i = address - kMasterVolumeFirst;
    if (i < 0 || i >= 3) continue;
    const ParamRange r = RangeUnderLimits(address, limits);
    if (r.Contains(value)) continue;
    error = "value " + std::to_string(value) + " of address " + std::to_string(address) +
            " is above its upper limit: " + r.Text() + " (the limit at address " +
            std::to_string(kMasterVolumeLimitFirst + i) + (given[i] ? ", as this request sets it)" : ")");
    return false;
  }
  return true;
}

bool ParamRange::Contains(long long v) const {
  if (v >= low && v <= high) return true;
  return muteInValue && v >= low + kMuteInValue && v <= high + kMuteInValue;
}

std::string ParamRange::Text() const {
  std::string t = std::to_string(low) + ".." + std::to_string(high);
  if (muteInValue)
    t += " or " + std::to_string(low + kMuteInValue) + ".." + std::to_string(high + kMuteInValue) +
         " (muted)";
  return t;
}

}  // namespace mirelune
