// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtual_audio_port.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>

#include "graph/compare_curves.h"
#include "model/store.h"
#include "sim/virtual_amplifier.h"

namespace mirelune {
namespace {

// The resampler of the drift: a Kaiser-windowed sinc of 64 taps (beta 9), tabulated at 1024
// phases between two samples and interpolated linearly between phases.
constexpr int kHalfTaps = 32;
constexpr int kTaps = 2 * kHalfTaps;
constexpr int kPhases = 1024;
constexpr double kBeta = 9.0;

double BesselI0(double x) {
  double sum = 1, term = 1;
  for (int k = 1; k < 50; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
    if (term < 1e-17 * sum) break;
  }
  return sum;
}

const std::vector<double>& SincTable() {
  static const std::vector<double> table = [] {
    std::vector<double> t(static_cast<size_t>(kPhases + 1) * kTaps);
    const double norm = BesselI0(kBeta);
    for (int ph = 0; ph <= kPhases; ++ph) {
      double sum = 0;
      for (int m = 0; m < kTaps; ++m) {
        // Tap m weighs sample i - 31 + m for a position i + ph/kPhases.
        const double x = static_cast<double>(ph) / kPhases + (kHalfTaps - 1) - m;
        const double r = x / kHalfTaps;
        const double w = std::fabs(r) < 1 ? BesselI0(kBeta * std::sqrt(1 - r * r)) / norm : 0.0;
        const double s = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        t[static_cast<size_t>(ph) * kTaps + static_cast<size_t>(m)] = s * w;
        sum += s * w;
      }
      // Each phase passes a constant unchanged.
      for (int m = 0; m < kTaps; ++m) t[static_cast<size_t>(ph) * kTaps + static_cast<size_t>(m)] /= sum;
    }
    return t;
  }();
  return table;
}

// The signal at the fractional position p (0 outside it).
double Interpolate(const std::vector<double>& s, double p) {
  const double fl = std::floor(p);
  const long i = static_cast<long>(fl);
  const double phase = (p - fl) * kPhases;
  const int ph = std::min(static_cast<int>(phase), kPhases - 1);
  const double t = phase - ph;
  const std::vector<double>& table = SincTable();
  const double* a = table.data() + static_cast<size_t>(ph) * kTaps;
  const double* b = a + kTaps;
  double y = 0;
  for (int m = 0; m < kTaps; ++m) {
    const long j = i - (kHalfTaps - 1) + m;
    if (j < 0 || j >= static_cast<long>(s.size())) continue;
    y += s[static_cast<size_t>(j)] * (a[m] + t * (b[m] - a[m]));
  }
  return y;
}

void Filter(const FilterCalc::BiquadCoeffs& c, std::vector<double>& x) {
  double z1 = 0, z2 = 0;
  for (double& v : x) {
    const double in = v;
    const double out = c.b0 * in + z1;
    z1 = c.b1 * in - c.a1 * out + z2;
    z2 = c.b2 * in - c.a2 * out;
    v = out;
  }
}

}  // namespace

VirtualRoom VirtualRoom::Default() {
  VirtualRoom r;
  // A microphone a few metres away: the sweep at -6 dBFS reaches it some 12 dB lower.
  r.gainDb = -12;
  r.modes = {
      {34, -6, 0.9},   // the loudspeaker's low end
      {43, 8, 5},      // the length mode
      {71, -5, 4},
      {96, 6, 7},      // width and height modes meeting
      {140, 4, 6},
      {178, -16, 14},  // a deep, narrow null at the listening place
      {230, 3, 5},
  };
  return r;
}

AudioChain PageChain(const GraphBandTable& bands, int page, bool eqBypassed) {
  AudioChain chain;
  auto add = [&](const GraphBand& b) {
    if (b.Kind == kBandEq && (eqBypassed || b.EQDisabled != 0)) return;
    const FilterCalc::BandSections s = FilterCalc::SectionsForBand(b, page);
    if (s.sections > 0) chain.push_back(s);
  };
  for (int b = 0; b < bands.count; ++b) add(bands.bands[static_cast<size_t>(b)]);
  for (int e = 0; e < bands.extraCount; ++e) add(bands.extra[static_cast<size_t>(e)]);
  return chain;
}

AudioChain AmplifierPageChain(const VirtualAmplifier& amplifier, int page, int subPage) {
  auto layout = std::make_unique<Store>(amplifier.Layout());
  layout->CurrentPage = page;
  layout->EffectSubPage = static_cast<uint8_t>(subPage);
  const RecordTable& working = amplifier.Working();
  const int sound = working.at(0, sysaddr::kSoundMode).Value == 1 ? 1 : 0;
  const bool bypassed = working.at(0, layout->BypassAddress()).Value != 0;
  return PageChain(PageBandsOf(*layout, working, sound), page, bypassed);
}

VirtualAudioPort::VirtualAudioPort(VirtualRoom room) : room_(std::move(room)) {}

AudioResult VirtualAudioPort::PlayAndRecord(const AudioRequest& req, const Progress& progress,
                                            const std::atomic<bool>* cancel) {
  AudioResult r;
  if (!req.output.empty() && req.output != kOutputName) {
    r.error = "no output named '" + req.output + "'";
    return r;
  }
  if (!req.input.empty() && req.input != kInputName) {
    r.error = "no input named '" + req.input + "'";
    return r;
  }
  if (req.rate != static_cast<int>(FilterCalc::kSampleRate)) {
    r.error = "the virtual amplifier runs at 48000 Hz, not " + std::to_string(req.rate);
    return r;
  }
  const size_t n = req.signal.size() + static_cast<size_t>(std::llround(std::max(req.tailSeconds, 0.0) * req.rate));
  std::vector<double> s(n, 0.0);
  std::copy(req.signal.begin(), req.signal.end(), s.begin());
  for (const FilterCalc::BandSections& sec : amplifier_)
    for (int k = 0; k < sec.sections; ++k) Filter(sec.coeffs, s);
  for (const RoomMode& m : room_.modes)
    Filter(FilterCalc::DesignPeaking(m.freqHz, req.rate, 0, m.q, m.gainDb), s);
  const double gain = std::pow(10.0, room_.gainDb / 20);

  std::mt19937 gen(room_.seed + runs_++);
  std::normal_distribution<double> noise(0.0, room_.noiseDbfs > -300 ? std::pow(10.0, room_.noiseDbfs / 20) : 0.0);
  const double delay = room_.latencyMs * req.rate / 1000.0;
  const double stretch = 1 + room_.driftPpm * 1e-6;
  const bool exact = room_.driftPpm == 0 && delay == std::round(delay);
  r.captured.resize(n);
  const size_t chunk = static_cast<size_t>(req.rate) / 4;
  for (size_t start = 0; start < n; start += chunk) {
    if (cancel && cancel->load()) {
      r.cancelled = true;
      r.captured.clear();
      return r;
    }
    for (size_t i = start; i < std::min(n, start + chunk); ++i) {
      double v = 0;
      if (exact) {
        const long j = static_cast<long>(i) - static_cast<long>(delay);
        v = j >= 0 ? s[static_cast<size_t>(j)] : 0.0;
      } else {
        v = Interpolate(s, static_cast<double>(i) / stretch - delay);
      }
      // The input's converter clips at full scale, as a real one does.
      r.captured[i] = static_cast<float>(std::clamp(gain * v + noise(gen), -1.0, 1.0));
    }
    if (progress) progress(static_cast<double>(std::min(n, start + chunk)) / static_cast<double>(n));
  }
  r.ok = true;
  return r;
}

}  // namespace mirelune
