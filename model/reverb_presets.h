// SPDX-License-Identifier: GPL-3.0-or-later
// The reverb presets chosen by the reverb mode (address 810): modes 1..4 ("房间", "小厅",
// "大厅", "人声") set the reverb's high cut (782), low cut (781), time (788) and pre-delay (784)
// in both sound modes. The console writes them into its store and sends only the mode; the
// amplifier applies the same preset itself when the mode arrives. Mode 0 ("用户定义") leaves
// them as they are.
#pragma once

#include <array>
#include <cstdint>

namespace mirelune {

constexpr int kReverbModeAddress = 810;

struct ReverbPresetEntry {
  int address;
  int slider;  // the tuning window's slider of the address
};
// In the order high cut, low cut, time, pre-delay.
const std::array<ReverbPresetEntry, 4>& ReverbPresetEntries();

// The raw value (frequency table index for the cuts) of entry `e` (0..3) in reverb mode
// `mode` 1..4; -1 for a mode without a preset.
int32_t ReverbPresetValue(int e, int mode);

// The position of `address` when one request changes several at once: the reverb mode goes
// first (0), everything else after it (1) in the order given, so that a preset value the
// request also gives explicitly is the one that stays - `get` of a mode whose values differ
// from its preset, fed back to `set`, changes nothing. For std::stable_sort keys.
inline int ApplyRank(int address) { return address == kReverbModeAddress ? 0 : 1; }

}  // namespace mirelune
