// SPDX-License-Identifier: GPL-3.0-or-later
// Fractional-octave smoothing of a measured response and its resampling onto a logarithmic
// frequency grid (the graph's and the fit's). Plain C++, no Qt.
//
// Smoothing averages the power: at each frequency f the level becomes the mean of |H|^2 over
// the band f * 2^(-w/2) .. f * 2^(w/2) (w the width in octaves), integrated over linear
// frequency with the measurement's points as steps, so that dense FFT bins and a sparse log
// grid give the same answer for the same curve. Where the band holds no other point the level
// stays; near the ends of the measurement the band shrinks to stay centred
// on f (a one-sided band would tilt a slope). The phase, when there is one, is averaged as the complex
// response over the same band (a vector average), which keeps it continuous.
//
// The variable smoothing is the one room-measurement programs use to show a room: 1/48 octave
// up to 100 Hz, where the room's modes must stay visible, widening in proportion to log
// frequency to 1/3 octave from 10 kHz on, where fine detail is no use to a correction. Its
// ends can be given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "measure/measurement.h"

namespace mirelune {

struct Smoothing {
  enum class Kind { None, Fraction, Variable };
  Kind kind = Kind::None;
  int fraction = 12;  // Fraction: 1/fraction octave, 1..48
  // Variable: 1/fromFraction octave up to fromHz, 1/toFraction from toHz on, log-linear between.
  int fromFraction = 48;
  double fromHz = 100;
  int toFraction = 3;
  double toHz = 10000;

  // The width in octaves at `hz`; 0 for None.
  double WidthAt(double hz) const;
};

// "none", "1/1" .. "1/48" (also "1"..."48"), "var": false for anything else.
bool ParseSmoothing(std::string_view text, Smoothing& s);
std::string SmoothingText(const Smoothing& s);  // "1/12", "var", "none"

// `m` smoothed at its own frequencies.
Measurement Smooth(const Measurement& m, const Smoothing& s);

// `m` at `freqs` (rising, > 0): the level interpolated linearly in log frequency, the phase as
// the complex response interpolated (wrapped to -180..180). Beyond the measurement's ends the
// end values are held. Notes are kept.
Measurement ResampleLog(const Measurement& m, const std::vector<double>& freqs);

// `count` frequencies from `fromHz` to `toHz`, evenly spaced in log frequency.
std::vector<double> LogGrid(double fromHz, double toHz, int count);

// The grid of measurement files and of the fit: 20 Hz .. 20 kHz at 48 points per octave
// (graph/eq_fit.h's FitFrequencies, the points `eq import` reports on).
std::vector<double> MeasureGrid();

}  // namespace mirelune
