// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/sweep.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace mirelune {
namespace {

constexpr double kPi = std::numbers::pi;

double Db(double v) { return v > 0 ? 20.0 * std::log10(v) : -400.0; }

}  // namespace

std::vector<double> ExponentialSweep(const SweepPlan& s) {
  const size_t n = static_cast<size_t>(std::llround(s.seconds * s.rate));
  const double T = static_cast<double>(n) / s.rate;
  const double R = std::log(s.f2 / s.f1);
  const double L = T / R;  // seconds per neper of frequency
  // The fades, in samples: the time the sweep takes for 1/12 and 1/24 octave.
  const double perOctave = L * std::log(2.0) * s.rate;
  const size_t fadeIn = std::max<size_t>(1, static_cast<size_t>(perOctave / 12));
  const size_t fadeOut = std::max<size_t>(1, static_cast<size_t>(perOctave / 24));
  std::vector<double> x(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / s.rate;
    double g = s.amplitude;
    if (i < fadeIn) g *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / fadeIn);
    if (i + fadeOut > n) g *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(n - i) / fadeOut);
    x[i] = g * std::sin(2 * kPi * s.f1 * L * (std::exp(t / L) - 1.0));
  }
  return x;
}

std::vector<double> PinkNoise(int rate, double seconds, double rms, uint32_t seed) {
  const size_t n = static_cast<size_t>(std::llround(seconds * rate));
  std::mt19937 gen(seed);
  std::normal_distribution<double> white(0.0, 1.0);
  // Paul Kellet's refined pink filter (a sum of first-order sections, within 0.05 dB of
  // -3 dB/octave over the audio band at 44.1..48 kHz).
  double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
  std::vector<double> x(n);
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    const double w = white(gen);
    b0 = 0.99886 * b0 + w * 0.0555179;
    b1 = 0.99332 * b1 + w * 0.0750759;
    b2 = 0.96900 * b2 + w * 0.1538520;
    b3 = 0.86650 * b3 + w * 0.3104856;
    b4 = 0.55000 * b4 + w * 0.5329522;
    b5 = -0.7616 * b5 - w * 0.0168980;
    x[i] = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362;
    b6 = w * 0.115926;
    sum += x[i] * x[i];
  }
  const double scale = n > 0 && sum > 0 ? rms / std::sqrt(sum / static_cast<double>(n)) : 0.0;
  for (double& v : x) v *= scale;
  // Pink noise has rare large peaks: they are limited to full scale.
  for (double& v : x) v = std::clamp(v, -1.0, 1.0);
  return x;
}

InputLevel MeasureLevel(const std::vector<float>& capture) {
  InputLevel level;
  if (capture.empty()) {
    level.verdict = InputLevel::Verdict::TooLow;
    return level;
  }
  double sum = 0, peak = 0;
  for (const float v : capture) {
    sum += static_cast<double>(v) * v;
    peak = std::max(peak, std::fabs(static_cast<double>(v)));
  }
  level.rmsDb = Db(std::sqrt(sum / static_cast<double>(capture.size())));
  level.peakDb = Db(peak);
  if (level.peakDb >= kClipDb) level.verdict = InputLevel::Verdict::Clipping;
  else if (level.rmsDb < kTooLowDb) level.verdict = InputLevel::Verdict::TooLow;
  return level;
}

}  // namespace mirelune
