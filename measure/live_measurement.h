// SPDX-License-Identifier: GPL-3.0-or-later
// A live measurement through an audio port (platform/audio_port.h): the level check with pink
// noise, the sweeps, their deconvolution and average, the window and the response on the
// measurement grid. Plain C++, no Qt; the console's measure window, `mirelune-cli measure` and
// its helper run it on a worker thread or the main one alike.
//
// The saved response is smoothed to 1/48 octave before it is resampled onto the grid (20 Hz ..
// 20 kHz, 48 points an octave): above a few hundred hertz the FFT's bins lie far closer than the
// grid's points, and picking single bins would keep the comb of the room's reflections as noise.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "measure/impulse.h"
#include "measure/measurement.h"
#include "measure/sweep.h"
#include "platform/audio_port.h"

namespace mirelune {

struct LiveSettings {
  std::string output;           // empty: the system's default
  std::string input;
  SweepPlan sweep;
  int repeat = 1;               // sweeps averaged, 1..16
  IrWindow window;
  double tailSeconds = 1.0;     // recorded after each sweep
  bool levelCheck = true;       // pink noise first, for the input meter
  double levelCheckSeconds = 1.0;
};
constexpr int kMaxRepeat = 16;

struct LiveProgress {
  enum class Stage { LevelCheck, Sweep, Analysis };
  Stage stage = Stage::LevelCheck;
  int sweep = 0;      // 1-based during Sweep
  int sweeps = 1;
  double done = 0;    // share of the whole measurement, 0..1
};

struct LiveResult {
  bool ok = false;
  bool cancelled = false;
  std::string error;             // in English, as the port gave it
  bool levelChecked = false;
  InputLevel noiseLevel;         // the pink noise's capture
  InputLevel sweepLevel;         // the loudest sweep capture
  ImpulseResponse ir;            // averaged
  Measurement response;          // on MeasureGrid(), with phase, notes filled
};

// Checks the settings' ranges: the sweep's length, the repeat count, the window. Empty when
// they are good, else the reason in English.
std::string CheckLiveSettings(const LiveSettings& s);

LiveResult RunLiveMeasurement(AudioPort& port, const LiveSettings& settings,
                              const std::function<void(const LiveProgress&)>& progress,
                              const std::atomic<bool>* cancel);

// Plays pink noise for `seconds`, its peaks about as high as the sweep's, and returns the
// input's level.
AudioResult PlayPinkNoise(AudioPort& port, const LiveSettings& settings, double seconds, InputLevel& level,
                          const AudioPort::Progress& progress, const std::atomic<bool>* cancel);

// The response of an impulse response as saved: windowed, 1/48-octave smoothed, on MeasureGrid().
Measurement GridResponse(const ImpulseResponse& ir, const IrWindow& window);

}  // namespace mirelune
