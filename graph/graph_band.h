// SPDX-License-Identifier: GPL-3.0-or-later
// One curve of the response graph: an EQ band or a crossover filter of the page shown.
#pragma once

#include <cstdint>

namespace mirelune {

constexpr int kMaxGraphBands = 17;   // GraphBands has 17 entries
// Every EQ band of the device's pages has a marker: the music page's 15 bands and its two
// filters fill the 17 entries, and bands 14 and 15 of the music and microphone pages, which
// have no strip shown, are reached on the graph.
constexpr int kMaxGraphEqBands = 15;
// EQ records beyond the markers (a table whose Kind bytes give a kind more EQ bands than the
// device has, as a file may): counted in the sum, edited nowhere.
constexpr int kMaxExtraEqBands = 4;

enum GraphBandKind : int32_t { kBandEq = 1, kBandHighPass = 2, kBandLowPass = 3 };

struct GraphBand {
  int32_t Freq = 0;         // FreqTable index
  int32_t Gain = 0;         // EQ band: gain code (dB*10 + 250); filter: filter type
  int32_t Q = 0;            // QTable index (peaking bands)
  int32_t SQ = 0;           // QTable index of the shelf slope
  int32_t QType = 0;        // 0 peaking, 1 low shelf, 2 high shelf (EQ bands only)
  int32_t Kind = 0;         // GraphBandKind
  int32_t Addr = 0;         // parameter address; for a filter pair the type record
  int32_t SliderIndex = 0;  // slider bound to the band, 0 = none
  int16_t Paired = 0;       // 16-bit booleans (-1 true, 0 false)
  int16_t EQDisabled = 0;
  int16_t Hidden = 0;
  uint8_t Number = 0;       // the band's own index 0..16

  // Address of the record holding the band's frequency: the second record of a pair.
  int FreqAddress() const { return Paired != 0 ? Addr + 1 : Addr; }
};

}  // namespace mirelune
