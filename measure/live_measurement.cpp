// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/live_measurement.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/number_text.h"
#include "measure/smoothing.h"

namespace mirelune {
namespace {

std::vector<float> ToFloat(const std::vector<double>& x) { return {x.begin(), x.end()}; }
std::vector<double> ToDouble(const std::vector<float>& x) { return {x.begin(), x.end()}; }

std::string DeviceName(const std::string& name) { return name.empty() ? "the default" : "'" + name + "'"; }

}  // namespace

std::string CheckLiveSettings(const LiveSettings& s) {
  if (!(s.sweep.seconds >= kMinSweepSeconds && s.sweep.seconds <= kMaxSweepSeconds))
    return "the sweep's length must be 2..16 s, not " + FixedText(s.sweep.seconds, 2);
  if (s.repeat < 1 || s.repeat > kMaxRepeat) return "the sweeps averaged must be 1..16, not " + std::to_string(s.repeat);
  for (double ms : {s.window.leftMs, s.window.rightMs})
    if (!(ms >= kMinWindowMs && ms <= kMaxWindowMs)) return "a window side must be 1..2000 ms, not " + FixedText(ms, 1);
  return {};
}

AudioResult PlayPinkNoise(AudioPort& port, const LiveSettings& s, double seconds, InputLevel& level,
                          const AudioPort::Progress& progress, const std::atomic<bool>* cancel) {
  AudioRequest req;
  req.output = s.output;
  req.input = s.input;
  req.rate = s.sweep.rate;
  // 12 dB below the RMS of the sweep: pink noise's peaks stand some 12 dB above its RMS, so the
  // noise peaks about where the sweep's peaks will.
  req.signal = ToFloat(PinkNoise(s.sweep.rate, seconds, s.sweep.amplitude / std::sqrt(2.0) / 4));
  req.tailSeconds = 0.2;
  AudioResult r = port.PlayAndRecord(req, progress, cancel);
  if (r.ok) level = MeasureLevel(r.captured);
  return r;
}

Measurement GridResponse(const ImpulseResponse& ir, const IrWindow& window) {
  Smoothing fine;
  fine.kind = Smoothing::Kind::Fraction;
  fine.fraction = 48;
  return ResampleLog(Smooth(ResponseOf(ir, window), fine), MeasureGrid());
}

LiveResult RunLiveMeasurement(AudioPort& port, const LiveSettings& s,
                              const std::function<void(const LiveProgress&)>& progress,
                              const std::atomic<bool>* cancel) {
  LiveResult result;
  result.error = CheckLiveSettings(s);
  if (!result.error.empty()) return result;
  // Shares of the whole: each part by its length in time, the analysis a small fixed share.
  const double sweepTime = s.sweep.seconds + s.tailSeconds;
  const double checkTime = s.levelCheck ? s.levelCheckSeconds : 0.0;
  const double total = checkTime + s.repeat * sweepTime;
  const double analysisShare = 0.05;
  auto report = [&](LiveProgress::Stage stage, int sweep, double seconds) {
    if (!progress) return;
    LiveProgress p;
    p.stage = stage;
    p.sweep = sweep;
    p.sweeps = s.repeat;
    p.done = std::clamp(seconds / total * (1 - analysisShare), 0.0, 1.0);
    progress(p);
  };
  auto stop = [&](const AudioResult& r) {
    result.cancelled = r.cancelled;
    result.error = r.error;
    return result;
  };

  if (s.levelCheck) {
    report(LiveProgress::Stage::LevelCheck, 0, 0);
    const AudioResult r = PlayPinkNoise(port, s, s.levelCheckSeconds, result.noiseLevel,
                                        [&](double d) { report(LiveProgress::Stage::LevelCheck, 0, d * checkTime); }, cancel);
    if (!r.ok) return stop(r);
    result.levelChecked = true;
  }

  const std::vector<double> sweep = ExponentialSweep(s.sweep);
  std::vector<ImpulseResponse> irs;
  for (int k = 0; k < s.repeat; ++k) {
    AudioRequest req;
    req.output = s.output;
    req.input = s.input;
    req.rate = s.sweep.rate;
    req.signal = ToFloat(sweep);
    req.tailSeconds = s.tailSeconds;
    const double start = checkTime + k * sweepTime;
    report(LiveProgress::Stage::Sweep, k + 1, start);
    const AudioResult r = port.PlayAndRecord(
        req, [&](double d) { report(LiveProgress::Stage::Sweep, k + 1, start + d * sweepTime); }, cancel);
    if (!r.ok) return stop(r);
    const InputLevel level = MeasureLevel(r.captured);
    if (k == 0 || level.peakDb > result.sweepLevel.peakDb) result.sweepLevel = level;
    if (cancel && cancel->load()) {
      result.cancelled = true;
      return result;
    }
    irs.push_back(Deconvolve(sweep, ToDouble(r.captured), s.sweep.f1, s.sweep.f2, s.sweep.rate));
  }
  if (progress) {
    LiveProgress p;
    p.stage = LiveProgress::Stage::Analysis;
    p.sweep = s.repeat;
    p.sweeps = s.repeat;
    p.done = 1 - analysisShare;
    progress(p);
  }
  result.ir = AverageAligned(irs);
  result.response = GridResponse(result.ir, s.window);
  result.response.notes = {
      "Measurement made by Mirelune",
      "Sweep: " + FixedText(s.sweep.seconds, 1) + " s, " + FixedText(s.sweep.f1, 0) + ".." + FixedText(s.sweep.f2, 0) + " Hz at " +
          std::to_string(s.sweep.rate) + " Hz, " + std::to_string(s.repeat) + " averaged",
      "Output: " + DeviceName(s.output) + ", input: " + DeviceName(s.input),
      "Delay: " + FixedText(result.ir.DelayMs(), 3) + " ms",
      "Window: " + FixedText(s.window.leftMs, 1) + " ms before the peak, " + FixedText(s.window.rightMs, 1) + " ms after",
      "Smoothing: 1/48 octave",
      "Peak level of the input: " + FixedText(result.sweepLevel.peakDb, 1) + " dBFS",
  };
  result.ok = true;
  if (progress) {
    LiveProgress p;
    p.stage = LiveProgress::Stage::Analysis;
    p.sweep = s.repeat;
    p.sweeps = s.repeat;
    p.done = 1;
    progress(p);
  }
  return result;
}

}  // namespace mirelune
