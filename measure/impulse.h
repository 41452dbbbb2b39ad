// SPDX-License-Identifier: GPL-3.0-or-later
// From a played sweep and its capture to a frequency response: deconvolution, the delay, the
// window, the response with its phase. Plain C++, no Qt; FFTs by FFTW3 (measure/fft.h).
//
// Deconvolution divides the capture's spectrum by the sweep's, regularised: within the sweep's
// band (f1..f2) the division is exact, below f1 / 2^(1/3) and above f2 * 2^(1/3) the result is
// held near zero (the sweep put no energy there, so a division would only raise noise), with a
// smooth change between. The transform length covers the whole capture, so the division is a
// linear deconvolution: the impulse response lies from index 0 (playback started) on, and the
// sweep's harmonic distortion products wrap round to the end of the buffer, where the window
// leaves them out.
//
// The delay is the index of the response's largest magnitude within the capture's tail (the
// time recorded after the sweep ended): the latency of the whole chain, rounded to the sample.
// The window keeps `leftMs` before that peak and `rightMs` after it; the left side is a
// half-Hann rise over its whole length, the right side is flat and falls as a half-Hann over
// its last `taper` share. The default suits a room: half a second after the peak resolves the
// modes down to 20 Hz, and keeps most of the reverberant energy that a listener hears there;
// 125 ms before it keep the ringing that the band's limit at 20 Hz spreads to both sides of the
// peak (a 10 ms left side costs 0.2 dB at 30 Hz), while the harmonic products of a sweep of 2 s
// or more still lie further back (the second at a tenth of the sweep's length).
// The response's phase is taken with the peak at time zero: the chain's latency is removed.
#pragma once

#include <cstddef>
#include <vector>

#include "measure/measurement.h"

namespace mirelune {

struct ImpulseResponse {
  std::vector<double> samples;  // circular: index 0 is the start of playback
  int rate = 48000;
  size_t peak = 0;              // the delay, in samples
  double DelayMs() const { return 1000.0 * static_cast<double>(peak) / rate; }
};

struct IrWindow {
  double leftMs = 125;
  double rightMs = 500;
  double taper = 0.25;
};
constexpr double kMinWindowMs = 1;
constexpr double kMaxWindowMs = 2000;

// The impulse response of the chain that turned `sweep` (f1..f2 Hz) into `capture` (the same
// rate, at least as long as the sweep). The peak is searched within the capture's tail.
ImpulseResponse Deconvolve(const std::vector<double>& sweep, const std::vector<double>& capture, double f1,
                           double f2, int rate);

// The mean of several impulse responses of one chain, each shifted so that its peak lies on
// the first one's (several captures of one sweep start at slightly different times).
ImpulseResponse AverageAligned(const std::vector<ImpulseResponse>& irs);

// The windowed response in dB and degrees at the FFT's bins above 0 Hz up to half the rate,
// the peak at time zero. At least 65536 points of transform, so the bins lie 0.73 Hz apart at
// 48 kHz.
Measurement ResponseOf(const ImpulseResponse& ir, const IrWindow& window);

}  // namespace mirelune
