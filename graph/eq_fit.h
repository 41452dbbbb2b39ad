// SPDX-License-Identifier: GPL-3.0-or-later
// Placing a filter set (model/filter_set.h) on the EQ bands of a page, and the report of what
// that did: per filter what was asked, what was set and how far the realised response lies from
// the asked one. Plain C++, no Qt; the console's import, its preview and `mirelune-cli eq` share it.
//
// The page is the one the store shows: CurrentPage, EffectSubPage on the effects page and the
// CurrentSoundMode slot, and its EQ bands are all the page has (PageEqBands: the graph's 13
// marked bands, then the page's further ones - bands 14 and 15 of the music and microphone
// pages), so that no band the amplifier applies is left out of the fit or its report. The fit itself writes nothing; callers write EqFit::after into the records of
// bandAddresses by the slot rule and send the addresses that changed.
//
// The rules:
//   - only ON filters of the three shapes the bands have are placed: peaking (QType 0, Q index),
//     low shelf (1) and high shelf (2, slope index, the cookbook's S). OFF filters and "None"
//     slots ask for nothing; every other type (high-pass, low-pass, notch, ...) is reported;
//   - each value is rounded to the nearest one the amplifier has: the frequency to the nearest
//     FreqTable entry of 19.7 Hz .. 20.2 kHz, the gain to 0.1 dB within -24..+12 dB, the Q to the
//     nearest QTable entry and a shelf's slope to the nearest of QTable 0..26 (0.40 .. 1.80), all
//     nearest on a logarithmic scale. A value beyond a range by more than half a step of its
//     table (or a gain outside -24..+12 dB after rounding) is out of range: the filter is
//     reported, not placed with a value it did not ask for;
//   - when more filters fit than the page has bands, those with the largest gain magnitude are
//     placed (the earlier in the file on a tie) and the others are reported;
//   - the placed filters go onto the bands in order of frequency; the bands left over become
//     flat (gain 0 dB, their other fields kept);
//   - a Preamp other than 0 dB cannot be placed (the EQ bands have no gain of their own) and is
//     reported as not placed.
//
// The differences are taken at FitFrequencies(): the asked filters in double precision with the
// cookbook designs of graph/filter_calc.h evaluated exactly, the realised bands with the graph's
// own single-precision evaluation (BandCurve), the same numbers `mirelune-cli response` prints.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "graph/graph_band.h"
#include "model/filter_set.h"
#include "model/param_record.h"
#include "model/scales.h"
#include "model/store.h"

namespace mirelune {

// The fields of an EQ band record that a fit sets.
struct BandSetting {
  int32_t Freq = 0;    // FreqTable index
  int32_t Gain = kGainZero;
  int32_t Q = 0;       // QTable index (peaking)
  int32_t SQ = 0;      // QTable index of the shelf slope
  uint8_t QType = 0;   // 0 peaking, 1 low shelf, 2 high shelf
  int16_t EQDisabled = kFalse;
  bool operator==(const BandSetting&) const = default;
};
BandSetting BandSettingOf(const GraphBand& band);
void ApplyBandSetting(ParamRecord& record, const BandSetting& setting);
// The setting as the graph's band of `address` (Kind 1), for BandCurve.
GraphBand GraphBandOf(const BandSetting& setting, int address);

enum class FitOutcome {
  Placed,
  Off,          // an OFF filter: nothing asked
  Empty,        // a "None" slot: nothing asked
  Unsupported,  // a type the bands do not have
  OutOfRange,   // a value beyond what the amplifier has
  NoBandLeft,   // more filters than bands
};
enum class FitValue { None, Freq, Gain, Q, Slope };

struct FilterFit {
  int index = 0;  // the filter's position in the set
  FitOutcome outcome = FitOutcome::Off;
  // OutOfRange: which value, as asked (Hz, dB, Q or slope S), and the range it must lie in.
  FitValue value = FitValue::None;
  double asked = 0;
  double low = 0;
  double high = 0;
  double slope = 0;    // shelves: the slope S asked for (from Q, dB per octave or the default)
  int band = -1;       // Placed: the graph band number, its address and what it was set to
  int address = -1;
  BandSetting set;
  // The largest |asked - realised| in dB over FitFrequencies(); the whole asked response for a
  // filter not placed. NaN when nothing is asked (Off, Empty) or the asked response is not known
  // (a type whose design this program does not have, or one given without the Q it needs).
  double maxDiffDb = std::numeric_limits<double>::quiet_NaN();

  bool Failed() const {
    return outcome == FitOutcome::Unsupported || outcome == FitOutcome::OutOfRange ||
           outcome == FitOutcome::NoBandLeft;
  }
};

struct EqFit {
  int page = 0;
  int subPage = 0;
  int soundMode = 0;
  std::vector<int> bandAddresses;   // the page's EQ bands (PageEqBands order)
  std::vector<BandSetting> before;  // their settings before the fit
  std::vector<BandSetting> after;   // and after it
  std::vector<FilterFit> filters;   // one per filter of the set, in set order
  bool preampNotPlaced = false;     // the set's Preamp, when not 0 dB
  double preampDb = 0;
  int preampLine = 0;
  int placed = 0;
  int notPlaced = 0;                // filters that failed, and the preamp

  std::vector<double> freqs;        // FitFrequencies()
  std::vector<double> asked;        // the summed response of every ON filter whose response is known
  std::vector<float> realised;      // the summed response of the page's EQ bands after the fit
  double maxDiffDb = 0;             // the largest |asked - realised|
  bool askedKnown = true;           // every ON filter's response is known

  bool Complete() const { return notPlaced == 0; }
  // The band addresses whose setting the fit changes, in graph order.
  std::vector<int> ChangedAddresses() const;
};

constexpr double kFitLowHz = 20.0;
constexpr double kFitHighHz = 20000.0;
constexpr int kFitPoints = 481;
// kFitLowHz * 1000^(k / 480), k = 0..480: 20 Hz to 20 kHz, about 48 points per octave.
std::vector<double> FitFrequencies();

// Fits the set onto the page the store shows (see the header's comment).
EqFit FitFilterSet(const Store& store, const FilterSet& set);

// The asked response of one filter in dB at `freqs`, in double precision. False (and `db`
// untouched) for a filter that asks nothing or whose response is not known.
bool AskedResponse(const Filter& filter, const std::vector<double>& freqs, std::vector<double>& db);

// The page's EQ bands (PageEqBands order) as a filter set numbered by band: peaking
// bands as PK with their Q, shelves as LSC / HSC with the Q of their slope at their gain, flat
// bands (0 dB) as "OFF None", switched-off bands as OFF filters.
FilterSet PageFilterSet(const Store& store);

}  // namespace mirelune
