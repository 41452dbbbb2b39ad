// SPDX-License-Identifier: GPL-3.0-or-later
// A live measurement against a known chain: the virtual audio port plays the sweep through
// known filters with noise and a 37 ms latency, and the measured response must match the chain's
// exact response in magnitude and phase; the delay is found; harmonic distortion stays out of
// the window; several sweeps are averaged even when each starts at another time; the level
// check's verdicts; a cancel stops the measurement.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "graph/filter_calc.h"
#include "measure/live_measurement.h"
#include "measure/smoothing.h"
#include "model/param_record.h"
#include "model/scales.h"
#include "sim/virtual_audio_port.h"

namespace mirelune {
namespace {

constexpr double kPi = std::numbers::pi;

// The exact complex response of a chain at f (48 kHz), in double precision.
std::complex<double> ChainAt(const AudioChain& chain, double f) {
  const std::complex<double> z1 = std::polar(1.0, -2 * kPi * f / 48000);
  std::complex<double> h = 1;
  for (const FilterCalc::BandSections& s : chain) {
    const auto& c = s.coeffs;
    const std::complex<double> sec = (c.b0 + c.b1 * z1 + c.b2 * z1 * z1) / (c.a0 + c.a1 * z1 + c.a2 * z1 * z1);
    for (int k = 0; k < s.sections; ++k) h *= sec;
  }
  return h;
}

// A page-like chain: a Butterworth high-pass at 40 Hz, a low shelf, two peaking bands.
AudioChain KnownChain() {
  const double fs = 48000;
  return {
      {FilterCalc::DesignHighPassButterworth(40, fs, 0), 1},
      {FilterCalc::DesignLowShelf(200, fs, 0, 0.7, -4), 1},
      {FilterCalc::DesignPeaking(1000, fs, 0, 2, 6), 1},
      {FilterCalc::DesignPeaking(5000, fs, 0, 4, -8), 1},
  };
}

LiveSettings Settings(double seconds) {
  LiveSettings s;
  s.sweep.seconds = seconds;
  s.levelCheck = false;
  return s;
}

double WrapDeg(double d) { return std::remainder(d, 360.0); }

TEST(Deconvolution, KnownChainWithNoiseAndLatency) {
  VirtualRoom room;
  room.noiseDbfs = -60;
  room.latencyMs = 37;
  room.driftPpm = 0;
  VirtualAudioPort port(room);
  port.SetAmplifier(KnownChain());
  const LiveResult r = RunLiveMeasurement(port, Settings(4), {}, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.ir.peak, 1776u);  // 37 ms at 48 kHz
  EXPECT_NEAR(r.ir.DelayMs(), 37.0, 1e-9);
  double worstDb = 0, worstDeg = 0;
  for (size_t i = 0; i < r.response.size(); ++i) {
    const double f = r.response.freqHz[i];
    if (f < 30 || f > 16000) continue;
    const std::complex<double> h = ChainAt(KnownChain(), f);
    worstDb = std::max(worstDb, std::fabs(r.response.db[i] - 20 * std::log10(std::abs(h))));
    worstDeg = std::max(worstDeg, std::fabs(WrapDeg(r.response.phaseDeg[i] - std::arg(h) * 180 / kPi)));
  }
  EXPECT_LT(worstDb, 0.2);
  EXPECT_LT(worstDeg, 2.0);
}

TEST(Deconvolution, ClockDriftLeavesTheMagnitude) {
  // The input's clock 20 ppm fast: each frequency of the sweep arrives a little later than the
  // one before, which turns the phase at the top of the band by hundreds of degrees (a real
  // interface's drift does the same) but leaves the magnitude.
  VirtualRoom room;
  room.noiseDbfs = -60;
  room.latencyMs = 37;
  room.driftPpm = 20;
  VirtualAudioPort port(room);
  port.SetAmplifier(KnownChain());
  const LiveResult r = RunLiveMeasurement(port, Settings(4), {}, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_NEAR(r.ir.DelayMs(), 37.0, 0.1);  // the drift moves the peak by a few samples
  for (size_t i = 0; i < r.response.size(); ++i) {
    const double f = r.response.freqHz[i];
    if (f < 30 || f > 16000) continue;
    EXPECT_NEAR(r.response.db[i], 20 * std::log10(std::abs(ChainAt(KnownChain(), f))), 0.2) << f;
  }
}

TEST(Deconvolution, HarmonicDistortionFallsOutsideTheWindow) {
  SweepPlan plan;
  plan.seconds = 2;
  const std::vector<double> sweep = ExponentialSweep(plan);
  std::vector<double> capture(sweep.size() + 48000, 0.0);
  // A loudspeaker's second and third harmonics at -20 dB and -30 dB of the sweep, 10 ms late.
  for (size_t i = 0; i < sweep.size(); ++i) {
    const double x = sweep[i] / plan.amplitude;
    capture[i + 480] = plan.amplitude * (x + 0.1 * (x * x - 0.5) + 0.0316 * (x * x * x - 0.75 * x));
  }
  const ImpulseResponse ir = Deconvolve(sweep, capture, plan.f1, plan.f2, plan.rate);
  EXPECT_EQ(ir.peak, 480u);
  const Measurement m = GridResponse(ir, IrWindow{});
  // Up to 11 kHz: above 12 kHz this digital second harmonic folds back below half the rate,
  // where no real loudspeaker's would be.
  for (size_t i = 0; i < m.size(); ++i)
    if (m.freqHz[i] >= 30 && m.freqHz[i] <= 11000) {
      EXPECT_NEAR(m.db[i], 0.0, 0.1) << m.freqHz[i];
    }
}

// A port that starts each recording at another moment, as a real interface does.
class ShiftingPort : public AudioPort {
 public:
  explicit ShiftingPort(VirtualAudioPort& inner) : inner_(inner) {}
  std::vector<std::string> Outputs() override { return inner_.Outputs(); }
  std::vector<std::string> Inputs() override { return inner_.Inputs(); }
  AudioResult PlayAndRecord(const AudioRequest& r, const Progress& p, const std::atomic<bool>* c) override {
    inner_.Room().latencyMs = 20 + 7 * runs_++;
    return inner_.PlayAndRecord(r, p, c);
  }
  int runs_ = 0;

 private:
  VirtualAudioPort& inner_;
};

TEST(Deconvolution, AveragesSweepsThatStartAtDifferentTimes) {
  VirtualRoom room;
  room.noiseDbfs = -400;
  room.driftPpm = 0;
  VirtualAudioPort inner(room);
  inner.SetAmplifier(KnownChain());
  ShiftingPort port(inner);
  LiveSettings s = Settings(2);
  s.repeat = 3;
  std::vector<double> done;
  const LiveResult r = RunLiveMeasurement(port, s, [&](const LiveProgress& p) { done.push_back(p.done); }, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(port.runs_, 3);
  EXPECT_EQ(r.ir.peak, 960u);  // the first sweep's 20 ms
  for (size_t i = 0; i < r.response.size(); ++i) {
    const double f = r.response.freqHz[i];
    if (f >= 30 && f <= 16000) {
      EXPECT_NEAR(r.response.db[i], 20 * std::log10(std::abs(ChainAt(KnownChain(), f))), 0.2) << f;
    }
  }
  // Progress only rises and ends at 1.
  ASSERT_FALSE(done.empty());
  EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
  EXPECT_DOUBLE_EQ(done.back(), 1.0);
}

TEST(Deconvolution, LevelCheckVerdicts) {
  auto sine = [](double amplitude) {
    std::vector<float> x(48000);
    for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(amplitude * std::sin(2 * kPi * 1000 * i / 48000.0));
    return x;
  };
  EXPECT_EQ(MeasureLevel(sine(0.25)).verdict, InputLevel::Verdict::Ok);
  EXPECT_NEAR(MeasureLevel(sine(0.25)).rmsDb, 20 * std::log10(0.25 / std::sqrt(2.0)), 0.01);
  EXPECT_EQ(MeasureLevel(sine(0.001)).verdict, InputLevel::Verdict::TooLow);
  EXPECT_EQ(MeasureLevel(sine(1.0)).verdict, InputLevel::Verdict::Clipping);
  EXPECT_EQ(MeasureLevel({}).verdict, InputLevel::Verdict::TooLow);

  // Through the virtual room: the pink noise arrives at a usable level.
  VirtualAudioPort port;
  LiveSettings s = Settings(2);
  InputLevel level;
  const AudioResult r = PlayPinkNoise(port, s, 1.0, level, {}, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(level.verdict, InputLevel::Verdict::Ok);
  EXPECT_LT(level.peakDb, kClipDb);
}

TEST(Deconvolution, CancelStopsAndBadSettingsAreRefused) {
  VirtualAudioPort port;
  std::atomic<bool> cancel{true};
  LiveResult r = RunLiveMeasurement(port, Settings(2), {}, &cancel);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.response.freqHz.empty());

  LiveSettings s = Settings(1);
  r = RunLiveMeasurement(port, s, {}, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("2..16 s"), std::string::npos) << r.error;
  s = Settings(2);
  s.output = "Speakers";
  r = RunLiveMeasurement(port, s, {}, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "no output named 'Speakers'");
}

TEST(Deconvolution, VirtualAmplifierPageIsInTheChain) {
  // The port measures what the amplifier's page does: a +6 dB band at 1 kHz shows.
  GraphBandTable t;
  t.count = 1;
  t.bands[0].Kind = kBandEq;
  t.bands[0].Freq = NearestFreqIndex(1000);
  t.bands[0].Gain = kGainZero + 60;
  t.bands[0].Q = kQIndexOne;
  VirtualRoom room;
  room.modes.clear();
  room.noiseDbfs = -400;
  VirtualAudioPort port(room);
  port.SetAmplifier(PageChain(t, 0));
  LiveResult r = RunLiveMeasurement(port, Settings(2), {}, nullptr);
  ASSERT_TRUE(r.ok);
  const Measurement at = ResampleLog(r.response, {static_cast<double>(FreqAt(t.bands[0].Freq)), 100.0});
  EXPECT_NEAR(at.db[0], 6.0, 0.1);
  EXPECT_NEAR(at.db[1], 0.0, 0.1);
  // Switched off, or with the page's EQ bypassed, the band is not in the chain.
  EXPECT_TRUE(PageChain(t, 0, true).empty());
  t.bands[0].EQDisabled = kTrue;
  EXPECT_TRUE(PageChain(t, 0).empty());
}

}  // namespace
}  // namespace mirelune
