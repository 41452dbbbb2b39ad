// SPDX-License-Identifier: GPL-3.0-or-later
// The test signals of a live measurement: the exponential sine sweep and the pink noise of the
// level check, and the level a capture reached. Plain C++, no Qt.
//
// The exponential sweep (Farina, AES 2000) spends equal time per octave, so its spectrum falls
// 3 dB per octave like pink noise, and its harmonic distortion products deconvolve to times
// before the linear impulse response, where the window leaves them out. It starts at f1 with a
// half-Hann fade-in over its first 1/12 octave and ends at f2 with a fade-out over its last
// 1/24 octave: a sweep that starts or stops at full amplitude clicks, and the click smears the
// response at both ends of the band.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirelune {

constexpr int kMeasureRate = 48000;  // the amplifier's rate, and the only one measured at

struct SweepPlan {
  double f1 = 20;           // Hz
  double f2 = 20000;        // Hz
  int rate = kMeasureRate;  // samples per second
  double seconds = 8;       // 2..16
  double amplitude = 0.5;   // peak, full scale 1 (-6 dBFS)
};
constexpr double kMinSweepSeconds = 2;
constexpr double kMaxSweepSeconds = 16;

// round(seconds * rate) samples of the sweep.
std::vector<double> ExponentialSweep(const SweepPlan& plan);

// `seconds` of pink noise (-3 dB per octave, 20 Hz .. 20 kHz) with the given RMS, full scale 1;
// the same samples for the same seed.
std::vector<double> PinkNoise(int rate, double seconds, double rms, uint32_t seed = 1);

// The level of a capture, in dB of full scale.
struct InputLevel {
  double rmsDb = -400;
  double peakDb = -400;
  enum class Verdict { Ok, TooLow, Clipping };
  Verdict verdict = Verdict::Ok;
};
// Clipping: a peak at -0.5 dBFS or above; too low: an RMS below -50 dBFS (the sweep would
// then lie less than some 40 dB above a usual interface's noise at the low frequencies).
constexpr double kClipDb = -0.5;
constexpr double kTooLowDb = -50;
InputLevel MeasureLevel(const std::vector<float>& capture);

}  // namespace mirelune
