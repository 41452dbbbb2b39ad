// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/smoothing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <numbers>

#include "graph/eq_fit.h"

namespace mirelune {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;

double Power(double db) { return std::pow(10.0, db / 10.0); }

bool ParseFraction(std::string_view t, int& n) {
  const auto r = std::from_chars(t.data(), t.data() + t.size(), n);
  return r.ec == std::errc() && r.ptr == t.data() + t.size() && n >= 1 && n <= 48;
}

}  // namespace

double Smoothing::WidthAt(double hz) const {
  switch (kind) {
    case Kind::None: return 0;
    case Kind::Fraction: return 1.0 / fraction;
    case Kind::Variable: {
      const double w1 = 1.0 / fromFraction, w2 = 1.0 / toFraction;
      if (hz <= fromHz) return w1;
      if (hz >= toHz) return w2;
      return w1 + (w2 - w1) * std::log(hz / fromHz) / std::log(toHz / fromHz);
    }
  }
  return 0;
}

bool ParseSmoothing(std::string_view text, Smoothing& s) {
  Smoothing out;
  if (text == "none") {
    out.kind = Smoothing::Kind::None;
  } else if (text == "var") {
    out.kind = Smoothing::Kind::Variable;
  } else {
    if (text.substr(0, 2) == "1/") text.remove_prefix(2);
    if (!ParseFraction(text, out.fraction)) return false;
    out.kind = Smoothing::Kind::Fraction;
  }
  s = out;
  return true;
}

std::string SmoothingText(const Smoothing& s) {
  switch (s.kind) {
    case Smoothing::Kind::None: return "none";
    case Smoothing::Kind::Fraction: return "1/" + std::to_string(s.fraction);
    case Smoothing::Kind::Variable: return "var";
  }
  return "none";
}

Measurement Smooth(const Measurement& m, const Smoothing& s) {
  const size_t n = m.size();
  if (s.kind == Smoothing::Kind::None || n < 2) return m;
  // Each point stands for the span halfway to its neighbours (linear frequency).
  std::vector<double> P(n + 1, 0.0), W(n + 1, 0.0), Cr(n + 1, 0.0), Ci(n + 1, 0.0);
  for (size_t i = 0; i < n; ++i) {
    const double left = i > 0 ? (m.freqHz[i] - m.freqHz[i - 1]) / 2 : 0.0;
    const double right = i + 1 < n ? (m.freqHz[i + 1] - m.freqHz[i]) / 2 : 0.0;
    const double w = std::max(left + right, 1e-12);
    const double p = Power(m.db[i]);
    P[i + 1] = P[i] + w * p;
    W[i + 1] = W[i] + w;
    if (m.HasPhase()) {
      const double mag = std::sqrt(p), ph = m.phaseDeg[i] / kDegPerRad;
      Cr[i + 1] = Cr[i] + w * mag * std::cos(ph);
      Ci[i + 1] = Ci[i] + w * mag * std::sin(ph);
    }
  }
  Measurement out = m;
  for (size_t j = 0; j < n; ++j) {
    // At the ends the band shrinks to stay centred: a one-sided average would tilt a slope.
    const double half = std::min({std::pow(2.0, s.WidthAt(m.freqHz[j]) / 2), m.freqHz[j] / m.freqHz.front(),
                                  m.freqHz.back() / m.freqHz[j]});
    const size_t a = static_cast<size_t>(std::lower_bound(m.freqHz.begin(), m.freqHz.end(), m.freqHz[j] / half) - m.freqHz.begin());
    const size_t b = static_cast<size_t>(std::upper_bound(m.freqHz.begin(), m.freqHz.end(), m.freqHz[j] * half) - m.freqHz.begin());
    if (b <= a + 1) continue;  // the point alone: nothing to average
    const double w = W[b] - W[a];
    out.db[j] = 10.0 * std::log10(std::max((P[b] - P[a]) / w, 1e-300));
    if (m.HasPhase()) out.phaseDeg[j] = std::atan2(Ci[b] - Ci[a], Cr[b] - Cr[a]) * kDegPerRad;
  }
  return out;
}

Measurement ResampleLog(const Measurement& m, const std::vector<double>& freqs) {
  Measurement out;
  out.notes = m.notes;
  out.freqHz = freqs;
  out.db.reserve(freqs.size());
  if (m.HasPhase()) out.phaseDeg.reserve(freqs.size());
  for (const double f : freqs) {
    out.db.push_back(InterpolateDb(m.freqHz, m.db, f));
    if (!m.HasPhase()) continue;
    double ph = 0;
    if (f <= m.freqHz.front()) {
      ph = m.phaseDeg.front();
    } else if (f >= m.freqHz.back()) {
      ph = m.phaseDeg.back();
    } else {
      const size_t hi = static_cast<size_t>(std::upper_bound(m.freqHz.begin(), m.freqHz.end(), f) - m.freqHz.begin());
      const size_t lo = hi - 1;
      const double t = std::log(f / m.freqHz[lo]) / std::log(m.freqHz[hi] / m.freqHz[lo]);
      const std::complex<double> z = (1 - t) * std::polar(1.0, m.phaseDeg[lo] / kDegPerRad) +
                                     t * std::polar(1.0, m.phaseDeg[hi] / kDegPerRad);
      ph = std::arg(z) * kDegPerRad;
    }
    out.phaseDeg.push_back(std::remainder(ph, 360.0));
  }
  return out;
}

std::vector<double> LogGrid(double fromHz, double toHz, int count) {
  std::vector<double> f(static_cast<size_t>(std::max(count, 0)));
  for (int k = 0; k < count; ++k)
    f[static_cast<size_t>(k)] = count == 1 ? fromHz : fromHz * std::pow(toHz / fromHz, static_cast<double>(k) / (count - 1));
  return f;
}

std::vector<double> MeasureGrid() { return FitFrequencies(); }

}  // namespace mirelune
