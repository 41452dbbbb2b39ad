// SPDX-License-Identifier: GPL-3.0-or-later
// Fitting a page's EQ bands to a measured room: band frequencies, gains and Qs chosen from the
// amplifier's own tables (model/scales.h), so that nothing is rounded after the fit, and the
// report of what it reached. Plain C++, no Qt; the console's measure window and
// `mirelune-cli eq fit` share it.
//
// What is fitted. The measurement is smoothed (1/12 octave by default) and taken onto the fit's
// grid (graph/eq_fit.h's FitFrequencies) within the range (20..500 Hz by default). It was made
// through the page as it is now (measuredThroughPage, the measure-fit-apply-measure loop), so
// the free bands' present share is taken out of it and the page's filters and locked bands stay
// in it as measured; or with the page bypassed (another program, the page's bypass on), and then
// the page's high-/low-pass filters and locked bands are added to it. What remains is the room
// the free bands work on. Every curve of the page is the graph's own (graph/response_model.h's
// BandCurve at 48 kHz), so the preview, the graph and the fit agree to the last digit.
//
// The deviation. The target (flat, a tilt, a low-shelf lift or a file) is placed at the room's
// level: the mean of curve - target over the range's points. The deviation is curve - target -
// that mean; its RMS and maximum are reported in dB. The overall level is not the EQ's to
// set (the volume sets it), so a fit is never rewarded for lowering everything.
//
// The rules:
//   - peaking bands only, each frequency a FreqTable entry (19.7 Hz .. 20.2 kHz), each Q a
//     QTable entry (0.40 .. 128), each gain a 0.1 dB step from -24 dB up to the maximum boost;
//   - the free bands' sum never lifts any point of the range by more than the maximum boost;
//   - narrow dips are left alone: a point lying more than 6 dB below the room's own average over
//     the octave around it is a dip, and so are its skirts (the points beside it still 1.5 dB
//     below) and 1/24 octave either side; no boost can fill one (the cancellation that made it
//     cancels the boost too); the free bands' sum stays at or
//     below 0 dB there, and the dips are left out of the deviation, before and after alike;
//   - as few bands as reach within 0.5 dB of the best the free bands reach, in both figures (RMS
//     and maximum, so that no peak the bands could take is left for a better RMS elsewhere):
//     bands are added one at a time where they reduce the deviation most, and after each
//     addition every band placed so far is refined over its neighbouring table entries;
//   - the free bands not used become flat (0 dB, their other fields kept); locked bands keep
//     everything; when the page's bands as they are already do as well (RMS), nothing changes.
// The continuous reference polishes the chosen bands with any frequency, Q (0.4 .. 128) and
// gain under the same rules, from the fit's own values: what an equaliser without the
// amplifier's steps would reach with the same bands, so the cost of the steps is visible.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graph/eq_fit.h"
#include "graph/graph_bands.h"
#include "measure/measurement.h"
#include "measure/smoothing.h"

namespace mirelune {

struct FitTarget {
  enum class Kind { Flat, Tilt, Shelf, File };
  Kind kind = Kind::Flat;
  double tiltDbPerOctave = 0;  // Tilt: dB per octave, 0 dB at 1 kHz
  double shelfDb = 0;          // Shelf: the cookbook low shelf (slope 1) lifting by this much
  double shelfHz = 100;        // below this corner
  Measurement file;            // File: its levels, interpolated in log frequency
  std::string name;            // the text it was given as

  double At(double hz) const;  // the target's shape in dB
};

// "flat", "tilt=-1" (dB per octave, -6..6), "shelf=6" or "shelf=6@120" (dB 0..15 at Hz
// 20..1000, default 100), else the name of a target file of `freq dB` lines. False with
// `error` (in English) for a malformed value or a file refused.
bool ParseFitTarget(std::string_view text, FitTarget& target, std::string& error);

struct RoomFitRequest {
  Measurement measured;
  bool measuredThroughPage = true;
  FitTarget target;
  double lowHz = 20;
  double highHz = 500;
  double maxBoostDb = 3;       // 0..12
  Smoothing smoothing = {Smoothing::Kind::Fraction, 12};
  int page = 0;                // the crossover designs of the page's filters
  GraphBandTable bands;        // the page as it is now (BuildGraphBands)
  std::vector<bool> locked;    // per band of PageEqBands(bands); missing entries are free
};

// Checks the request's values (range inside 20 Hz .. 20 kHz and at least an octave wide, the
// boost within 0..12 dB, a measurement covering the range). Empty when good, else the reason.
std::string CheckRoomFitRequest(const RoomFitRequest& request);

struct DeviationFigures {
  double rmsDb = 0;
  double maxDb = 0;
};

struct FittedBand {
  int band = 0;       // 0-based in PageEqBands order (the graph's numbering)
  int address = 0;
  BandSetting before;
  BandSetting after;
  bool locked = false;
  bool used = false;  // set by the fit
};

struct ContinuousBand {
  double freqHz = 0;
  double gainDb = 0;
  double q = 0;
};

struct RoomFit {
  bool ok = false;
  bool cancelled = false;
  std::string error;

  std::vector<double> freqs;      // the fit's grid within the range
  std::vector<double> measured;   // the smoothed measurement there
  std::vector<double> target;     // the target's shape placed at the predicted curve's level
  std::vector<double> predicted;  // what a measurement after the fit will show
  std::vector<char> dip;          // per point: a narrow dip, left alone
  std::vector<std::pair<double, double>> dips;  // the dips' ranges in Hz

  DeviationFigures before;
  DeviationFigures after;
  DeviationFigures continuous;
  std::vector<FittedBand> bands;  // every EQ band of the page
  int used = 0;
  // The page's bands as they are already do at least as well as the fit (a fit of a
  // measurement made after an earlier fit was applied): nothing is changed.
  bool kept = false;
  std::vector<ContinuousBand> continuousBands;  // the used bands, polished

  // The addresses whose setting the fit changes, in band order.
  std::vector<int> ChangedAddresses() const;
};

// Runs the fit; `progress` (0..1) and `cancel` (polled between bands) may be empty / null.
RoomFit FitRoom(const RoomFitRequest& request, const std::function<void(double)>& progress = {},
                const std::atomic<bool>* cancel = nullptr);

// The deviation of another measurement of the same room (made after the fit was applied)
// judged as the fit judged its prediction: the same smoothing, range, target and dips.
DeviationFigures DeviationOf(const RoomFitRequest& request, const RoomFit& fit, const Measurement& again);

}  // namespace mirelune
