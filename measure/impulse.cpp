// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/impulse.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "measure/fft.h"

namespace mirelune {
namespace {

constexpr double kPi = std::numbers::pi;

// 1 within f1..f2, 0 beyond a third of an octave outside, a raised cosine in log frequency between.
double BandWeight(double f, double f1, double f2) {
  if (f <= 0) return 0;
  const double third = std::pow(2.0, 1.0 / 3.0);
  auto edge = [](double x) { return 0.5 - 0.5 * std::cos(kPi * std::clamp(x, 0.0, 1.0)); };
  if (f < f1) return edge(std::log(f / (f1 / third)) / std::log(third));
  if (f > f2) return edge(std::log((f2 * third) / f) / std::log(third));
  return 1;
}

size_t PeakWithin(const std::vector<double>& h, size_t limit) {
  size_t peak = 0;
  double best = -1;
  for (size_t i = 0; i < std::min(limit, h.size()); ++i)
    if (std::fabs(h[i]) > best) {
      best = std::fabs(h[i]);
      peak = i;
    }
  return peak;
}

}  // namespace

ImpulseResponse Deconvolve(const std::vector<double>& sweep, const std::vector<double>& capture, double f1,
                           double f2, int rate) {
  const size_t n = fft::GoodSize(std::max(capture.size(), sweep.size()) + 1);
  const std::vector<std::complex<double>> X = fft::Forward(sweep, n);
  const std::vector<std::complex<double>> Y = fft::Forward(capture, n);
  double maxPower = 0;
  for (const auto& x : X) maxPower = std::max(maxPower, std::norm(x));
  // In band a tiny regulariser only keeps the division finite; out of band it dominates.
  const double floor = maxPower * 1e-10;
  std::vector<std::complex<double>> H(X.size());
  for (size_t k = 0; k < X.size(); ++k) {
    const double f = static_cast<double>(k) * rate / static_cast<double>(n);
    const double w = BandWeight(f, f1, f2);
    if (w <= 0) continue;
    const double eps = floor + (1 - w) * maxPower;
    H[k] = w * Y[k] * std::conj(X[k]) / (std::norm(X[k]) + eps);
  }
  ImpulseResponse ir;
  ir.samples = fft::Inverse(H, n);
  ir.rate = rate;
  const size_t tail = capture.size() > sweep.size() ? capture.size() - sweep.size() : capture.size();
  ir.peak = PeakWithin(ir.samples, std::max<size_t>(tail, 1));
  return ir;
}

ImpulseResponse AverageAligned(const std::vector<ImpulseResponse>& irs) {
  if (irs.empty()) return {};
  ImpulseResponse out = irs.front();
  const size_t n = out.samples.size();
  for (size_t r = 1; r < irs.size(); ++r) {
    const ImpulseResponse& ir = irs[r];
    const size_t m = ir.samples.size();
    for (size_t i = 0; i < n; ++i) {
      // Index i of the average is the sample `i - out.peak` from this response's peak.
      const long src = static_cast<long>(ir.peak) + static_cast<long>(i) - static_cast<long>(out.peak);
      const long wrapped = ((src % static_cast<long>(m)) + static_cast<long>(m)) % static_cast<long>(m);
      out.samples[i] += ir.samples[static_cast<size_t>(wrapped)];
    }
  }
  for (double& v : out.samples) v /= static_cast<double>(irs.size());
  return out;
}

Measurement ResponseOf(const ImpulseResponse& ir, const IrWindow& window) {
  const long n = static_cast<long>(ir.samples.size());
  const size_t left = static_cast<size_t>(std::llround(window.leftMs * ir.rate / 1000.0));
  const size_t right = static_cast<size_t>(std::llround(window.rightMs * ir.rate / 1000.0));
  const size_t m = fft::GoodSize(std::max<size_t>(65536, 2 * (left + right)));
  std::vector<double> buf(m, 0.0);
  auto at = [&](long i) { return n > 0 ? ir.samples[static_cast<size_t>(((i % n) + n) % n)] : 0.0; };
  const long peak = static_cast<long>(ir.peak);
  const size_t flat = static_cast<size_t>(static_cast<double>(right) * (1 - std::clamp(window.taper, 0.0, 1.0)));
  for (size_t i = 0; i < right; ++i) {
    double w = 1;
    if (i >= flat) w = 0.5 + 0.5 * std::cos(kPi * static_cast<double>(i - flat) / static_cast<double>(right - flat));
    buf[i] = w * at(peak + static_cast<long>(i));
  }
  for (size_t i = 1; i <= left && i < m - right; ++i) {
    const double w = 0.5 + 0.5 * std::cos(kPi * static_cast<double>(i) / static_cast<double>(left + 1));
    buf[m - i] = w * at(peak - static_cast<long>(i));
  }
  const std::vector<std::complex<double>> H = fft::Forward(buf, m);
  Measurement out;
  out.freqHz.reserve(H.size());
  out.db.reserve(H.size());
  out.phaseDeg.reserve(H.size());
  for (size_t k = 1; k < H.size(); ++k) {
    out.freqHz.push_back(static_cast<double>(k) * ir.rate / static_cast<double>(m));
    out.db.push_back(10.0 * std::log10(std::max(std::norm(H[k]), 1e-40)));
    out.phaseDeg.push_back(std::arg(H[k]) * 180.0 / kPi);
  }
  return out;
}

}  // namespace mirelune
