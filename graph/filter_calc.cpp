// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/filter_calc.h"

#include <cmath>

#include "model/scales.h"

namespace mirelune::FilterCalc {
namespace {

constexpr double kBesselTwoQ = 2.0 / 1.7320508075688772;       // 2/sqrt(3)
constexpr double kButterworthTwoQ = 2.0 / 1.4142135623730951;  // 2/sqrt(2)
// 10 / ln 10: dB of a power ratio from its natural logarithm.
constexpr double kTenOverLn10 = 10.0 / 2.302585092994049898;

BiquadCoeffs Normalise(double b0, double b1, double b2, double a0, double a1, double a2) {
  BiquadCoeffs c;
  c.b0 = b0 / a0;
  c.b1 = b1 / a0;
  c.b2 = b2 / a0;
  c.a1 = a1 / a0;
  c.a2 = a2 / a0;
  c.a0 = 1.0;
  return c;
}

BiquadCoeffs LowPass(double f0, double fs, double c, double twoQ) {
  const double omega = Omega(f0, fs);
  const double G = DbToLinear(c);
  const double cs = std::cos(omega);
  const double alpha = std::sin(omega) / twoQ;
  return Normalise(G * (1 - cs) / 2, G * (1 - cs), G * (1 - cs) / 2,  //
                   1 + alpha, -2 * cs, 1 - alpha);
}

BiquadCoeffs HighPass(double f0, double fs, double c, double twoQ) {
  const double omega = Omega(f0, fs);
  const double G = DbToLinear(c);
  const double cs = std::cos(omega);
  const double alpha = std::sin(omega) / twoQ;
  return Normalise(G * (1 + cs) / 2, -G * (1 + cs), G * (1 + cs) / 2,  //
                   1 + alpha, -2 * cs, 1 - alpha);
}

// The crossover table: design and number of identical sections by page and filter type.
BandSections CrossoverSections(bool highPass, int page, int type, double f) {
  const double fs = kSampleRate;
  auto butterworth = [&](int n) {
    return BandSections{highPass ? DesignHighPassButterworth(f, fs, 0) : DesignLowPassButterworth(f, fs, 0), n};
  };
  auto bessel = [&](int n) {
    return BandSections{highPass ? DesignHighPassBessel(f, fs, 0) : DesignLowPassBessel(f, fs, 0), n};
  };
  if (page == 7) {
    switch (type) {
      case 0: return butterworth(4);  // "LinkWitz 48dB"
      case 1: return butterworth(2);  // "LinkWitz 24dB"
      case 2: return butterworth(1);  // "ButterWorth 12dB"
      case 3: return bessel(2);       // "Bessel 24dB"
      default: return bessel(1);      // "Bessel 12dB"
    }
  }
  return type == 0 ? butterworth(1)   // "ButterWorth 12dB"
                   : butterworth(2);  // "ButterWorth 24dB"
}

}  // namespace

double Omega(double f, double fs) { return f * kTwoPi / fs; }
double DbToLinear(double dB) { return std::pow(10.0, dB / 20.0); }
double DbToShelfA(double dB) { return std::pow(10.0, dB / 40.0); }
double PeakAlpha(double omega, double Q) { return std::sin(omega) / (2 * Q); }

double ShelfAlpha(double omega, double A, double S) {
  const double radicand = (A + 1 / A) * (1 / S - 1) + 2;
  return std::sin(omega) / 2 * (radicand > 0 ? std::sqrt(radicand) : 0.0);
}

BiquadCoeffs DesignPeaking(double f0, double fs, double c, double Q, double dBgain) {
  const double omega = Omega(f0, fs);
  const double G = DbToLinear(c);
  const double A = DbToShelfA(dBgain);
  const double alpha = PeakAlpha(omega, Q);
  const double cs = std::cos(omega);
  return Normalise(G * (1 + alpha * A), G * (-2 * cs), G * (1 - alpha * A),  //
                   1 + alpha / A, -2 * cs, 1 - alpha / A);
}

BiquadCoeffs DesignLowPassBessel(double f0, double fs, double c) { return LowPass(f0, fs, c, kBesselTwoQ); }
BiquadCoeffs DesignLowPassButterworth(double f0, double fs, double c) {
  return LowPass(f0, fs, c, kButterworthTwoQ);
}
BiquadCoeffs DesignHighPassBessel(double f0, double fs, double c) { return HighPass(f0, fs, c, kBesselTwoQ); }
BiquadCoeffs DesignHighPassButterworth(double f0, double fs, double c) {
  return HighPass(f0, fs, c, kButterworthTwoQ);
}

BiquadCoeffs DesignLowShelf(double f0, double fs, double c, double S, double dBgain) {
  const double omega = Omega(f0, fs);
  const double G = DbToLinear(c);
  const double A = DbToShelfA(dBgain);
  const double alpha = ShelfAlpha(omega, A, S);
  const double cs = std::cos(omega);
  const double r = 2 * std::sqrt(A) * alpha;
  return Normalise(G * A * ((A + 1) - (A - 1) * cs + r), 2 * G * A * ((A - 1) - (A + 1) * cs),
                   G * A * ((A + 1) - (A - 1) * cs - r),  //
                   (A + 1) + (A - 1) * cs + r, -2 * ((A - 1) + (A + 1) * cs),
                   (A + 1) + (A - 1) * cs - r);
}

BiquadCoeffs DesignHighShelf(double f0, double fs, double c, double S, double dBgain) {
  const double omega = Omega(f0, fs);
  const double G = DbToLinear(c);
  const double A = DbToShelfA(dBgain);
  const double alpha = ShelfAlpha(omega, A, S);
  const double cs = std::cos(omega);
  const double r = 2 * std::sqrt(A) * alpha;
  return Normalise(G * A * ((A + 1) + (A - 1) * cs + r), -2 * G * A * ((A - 1) + (A + 1) * cs),
                   G * A * ((A + 1) + (A - 1) * cs - r),  //
                   (A + 1) - (A - 1) * cs + r, 2 * ((A - 1) - (A + 1) * cs),
                   (A + 1) - (A - 1) * cs - r);
}

PointTables PointTablesFor(const std::vector<double>& freqsHz) {
  PointTables t;
  t.phi.reserve(freqsHz.size());
  t.phi2.reserve(freqsHz.size());
  for (double f : freqsHz) {
    const double s = std::sin(f * kPhiFactor);
    t.phi.push_back(s * s);
    t.phi2.push_back(s * s * s * s);
  }
  return t;
}

void SectionResponseDb(const BiquadCoeffs& c, const double* phi, const double* phi2, float* curve,
                       int n, int times) {
  // The six terms are kept in single precision; each is formed from the double coefficients
  // first, so (b0 + b1 + b2)^2, which is tiny for low-frequency bands, keeps its accuracy.
  const float Hb = static_cast<float>(4 * (4 * c.b0 * c.b2 + c.b0 * c.b1 + c.b2 * c.b1));
  const float Ha = static_cast<float>(4 * (4 * c.a0 * c.a2 + c.a0 * c.a1 + c.a2 * c.a1));
  const float Sb = static_cast<float>((c.b1 + c.b0 + c.b2) * (c.b1 + c.b0 + c.b2));
  const float Sa = static_cast<float>((c.a1 + c.a0 + c.a2) * (c.a1 + c.a0 + c.a2));
  const float Pb = static_cast<float>(16 * c.b0 * c.b2);
  const float Pa = static_cast<float>(16 * c.a0 * c.a2);
  const float k = static_cast<float>(times);
  float dB = 0.0f;
  for (int i = 0; i < n; ++i) {
    const float num = static_cast<float>(Sb - Hb * phi[i] + Pb * phi2[i]);
    const float den = static_cast<float>(Sa - Ha * phi[i] + Pa * phi2[i]);
    // One logarithm of the ratio is the difference of the two logarithms; the negated test also
    // rejects NaN from a degenerate design.
    if (num > 0.0f && den > 0.0f && std::isfinite(num) && std::isfinite(den))
      dB = static_cast<float>(std::log(static_cast<double>(num) / den) * kTenOverLn10);
    curve[i] += k * dB;
  }
}

BandSections SectionsForBand(const GraphBand& band, int page) {
  const double fs = kSampleRate;
  if (band.Kind == kBandEq) {
    const double f = FreqAt(band.Freq);
    const double dB = (static_cast<double>(band.Gain) - 250) / 10.0;  // any 32-bit code
    switch (band.QType) {
      case 1: return {DesignLowShelf(f, fs, 0, QAt(band.SQ), dB), 1};
      case 2: return {DesignHighShelf(f, fs, 0, QAt(band.SQ), dB), 1};
      default: return {DesignPeaking(f, fs, 0, QAt(band.Q), dB), 1};
    }
  }
  if (band.Kind != kBandHighPass && band.Kind != kBandLowPass) return {};
  // Index 0 (10 Hz) and 362 (20220 Hz) are how the device says "this filter is off".
  if (band.Freq == FreqToIndex(10.0f) || band.Freq == FreqToIndex(20220.0f)) return {};
  return CrossoverSections(band.Kind == kBandHighPass, page, band.Gain, FreqAt(band.Freq));
}

void AccumulateBand(const GraphBand& band, int page, const double* phi, const double* phi2,
                    float* curve, int n) {
  const BandSections s = SectionsForBand(band, page);
  if (s.sections > 0) SectionResponseDb(s.coeffs, phi, phi2, curve, n, s.sections);
}

}  // namespace mirelune::FilterCalc
