// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency, Q and gain scales: the device keeps these values as small integers.
#pragma once

#include <array>
#include <string>

namespace mirelune {

constexpr int kFreqMaxIndex = 362;   // 17 Hz .. 20220 Hz
constexpr int kQMaxIndex = 100;      // 0.40 .. 128
constexpr int kGainMin = 10;         // -24.0 dB
constexpr int kGainMax = 370;        // +12.0 dB: the top of editing (drags, typing, steps)
// The highest gain code a band may hold: the start-up curve's +15.0 dB (band 8 of the music
// EQ). What the console itself holds is kept, shown, read and written back as it is; editing
// still clamps to kGainMax.
constexpr int kGainHoldMax = 400;
constexpr int kGainZero = 250;       // 0.0 dB
constexpr int kSlopeMaxIndex = 26;   // shelf slope 0.40 .. 1.80
constexpr int kQIndexOne = 16;       // Q 1.00
constexpr int kSlopeDefaultIndex = 10;  // 0.71

// The two lookup scales, 501 entries each; FreqTable fills 0..362, QTable 0..100.
struct Scales {
  std::array<float, 501> FreqTable{};
  std::array<float, 501> QTable{};
};

// Builds both scales from their literal lists.
Scales BuildScales();

// The scales of this process, built on first use. They never change afterwards.
const Scales& TheScales();

// Smallest index whose table entry is >= the value (compared in double precision); the top
// index when none is.
int FreqToIndex(float hz);
int QToIndex(float q);

float FreqAt(int index);  // FreqTable[index], index clamped into 0..362
float QAt(int index);     // QTable[index], index clamped into 0..100

// The index lo..hi whose table entry lies nearest to v on a logarithmic scale (the tables are
// logarithmic: 36 frequencies and 12 Q values an octave); the lower index on a tie. -1 when v
// is not a positive finite number.
int NearestFreqIndex(double hz, int lo = 0, int hi = kFreqMaxIndex);
int NearestQIndex(double q, int lo, int hi);

std::string QIndexText(int index);   // "0.00"
std::string GainText(int code);      // "0.0", in dB
// Text in dB -> gain code, rounded half to even. Returns false when the text is not a number.
bool GainFromText(const std::string& text, int& code);
int GainFromText(const std::string& text);  // 250 (0 dB) for text that is not a number

int ClampGain(int code);
int ClampQIndex(int index);
int ClampSlopeIndex(int index);
int StepUp(int& index);    // +1, at most 100; written back
int StepDown(int& index);  // -1 if above 0; written back

// Limits of ClampFreqIndex with the limited flag: they depend on the kind of the band
// selected on the graph and on the page shown.
struct FreqLimits {
  int low;
  int high;
};
FreqLimits FreqIndexLimits(bool limited, int selectedBandKind, int page);
int ClampFreqIndex(int index, bool limited, int selectedBandKind = 1, int page = 0);

// Rounds half to even, as the console does everywhere it rounds.
long RoundHalfEven(double v);

}  // namespace mirelune
