// SPDX-License-Identifier: GPL-3.0-or-later
// Filter designs and the single-precision section response against an exact evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "graph/filter_calc.h"
#include "model/scales.h"

namespace mirelune {
namespace {

using namespace FilterCalc;

// |H(e^jw)| in dB straight from the transfer function, in double precision.
double ExactDb(const BiquadCoeffs& c, double hz) {
  const std::complex<double> z1 = std::polar(1.0, -2 * M_PI * hz / 48000.0);
  const std::complex<double> z2 = z1 * z1;
  const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (c.a0 + c.a1 * z1 + c.a2 * z2);
  return 20 * std::log10(std::abs(h));
}

std::vector<float> GraphDb(const BiquadCoeffs& c, const std::vector<double>& hz, int times = 1) {
  const PointTables t = PointTablesFor(hz);
  std::vector<float> out(hz.size(), 0.0f);
  SectionResponseDb(c, t.phi.data(), t.phi2.data(), out.data(), t.size(), times);
  return out;
}

std::vector<double> LogSweep(double from, double to, int n) {
  std::vector<double> f;
  for (int i = 0; i < n; ++i) f.push_back(from * std::pow(to / from, i / double(n - 1)));
  return f;
}

struct DesignCase {
  const char* name;
  BiquadCoeffs c;
};

TEST(FilterCalc, SinglePrecisionResponseMatchesExactTransferFunction) {
  const DesignCase cases[] = {
      {"peak 1k Q1 +12", DesignPeaking(1000, 48000, 0, 1.0, 12)},
      {"peak 63 Q4 -9", DesignPeaking(63, 48000, 0, 4.0, -9)},
      {"peak 16k Q0.4 +6", DesignPeaking(16000, 48000, 0, 0.4, 6)},
      {"peak 25 Q1 +8", DesignPeaking(25, 48000, 0, 1.0, 8)},
      {"low shelf 100 S0.71 +6", DesignLowShelf(100, 48000, 0, 0.71, 6)},
      {"low shelf 300 S1.8 -10", DesignLowShelf(300, 48000, 0, 1.8, -10)},
      {"high shelf 8k S1 +9", DesignHighShelf(8000, 48000, 0, 1.0, 9)},
      {"high shelf 2k S0.4 -12", DesignHighShelf(2000, 48000, 0, 0.4, -12)},
      {"hp butterworth 80", DesignHighPassButterworth(80, 48000, 0)},
      {"hp bessel 120", DesignHighPassBessel(120, 48000, 0)},
      {"lp butterworth 320", DesignLowPassButterworth(320, 48000, 0)},
      {"lp bessel 10000", DesignLowPassBessel(10000, 48000, 0)},
  };
  const std::vector<double> hz = LogSweep(20, 20000, 61);
  for (const DesignCase& dc : cases) {
    const std::vector<float> got = GraphDb(dc.c, hz);
    for (size_t i = 0; i < hz.size(); ++i) {
      const double exact = ExactDb(dc.c, hz[i]);
      // Deep in a filter's stop band the terms cancel in single precision; the graph cannot show
      // those depths anyway (it ends at -27 dB).
      if (exact < -40) continue;
      EXPECT_NEAR(got[i], exact, 0.01) << dc.name << " at " << hz[i] << " Hz";
    }
  }
}

// Landmarks of the cookbook designs that catch a wrong sign or a swapped coefficient, which the
// comparison above cannot (it evaluates whatever coefficients it is given).
TEST(FilterCalc, DesignsHaveTheirCookbookLandmarks) {
  const struct {
    const char* name;
    BiquadCoeffs c;
    double hz;
    double dB;
  } cases[] = {
      {"peak gain at f0", DesignPeaking(1000, 48000, 0, 2.0, 7.5), 1000, 7.5},
      {"peak cut at f0", DesignPeaking(250, 48000, 0, 0.7, -18), 250, -18},
      {"peak far away", DesignPeaking(1000, 48000, 0, 4.0, 12), 20, 0},
      {"low shelf at DC", DesignLowShelf(200, 48000, 0, 1.0, 9), 1e-3, 9},
      {"low shelf midpoint", DesignLowShelf(200, 48000, 0, 1.0, 9), 200, 4.5},
      {"low shelf top", DesignLowShelf(200, 48000, 0, 1.0, 9), 24000, 0},
      {"high shelf at Nyquist", DesignHighShelf(4000, 48000, 0, 1.0, -6), 24000, -6},
      {"high shelf midpoint", DesignHighShelf(4000, 48000, 0, 1.0, -6), 4000, -3},
      {"high shelf at DC", DesignHighShelf(4000, 48000, 0, 1.0, -6), 1e-3, 0},
      {"butterworth lp at f0", DesignLowPassButterworth(1000, 48000, 0), 1000, 20 * std::log10(M_SQRT1_2)},
      {"bessel lp at f0", DesignLowPassBessel(1000, 48000, 0), 1000, 20 * std::log10(1 / std::sqrt(3.0))},
      {"butterworth hp at f0", DesignHighPassButterworth(100, 48000, 0), 100, 20 * std::log10(M_SQRT1_2)},
      {"bessel hp at f0", DesignHighPassBessel(100, 48000, 0), 100, 20 * std::log10(1 / std::sqrt(3.0))},
      {"lp passes DC", DesignLowPassButterworth(1000, 48000, 0), 1e-3, 0},
      {"hp passes Nyquist", DesignHighPassBessel(100, 48000, 0), 24000, 0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(ExactDb(c.c, c.hz), c.dB, 0.005) << c.name;
    EXPECT_EQ(c.c.a0, 1.0) << c.name;
  }
  // A low-pass kills Nyquist, a high-pass kills DC (b0 - b1 + b2 = 0, b0 + b1 + b2 = 0).
  const BiquadCoeffs lp = DesignLowPassButterworth(1000, 48000, 0);
  const BiquadCoeffs hp = DesignHighPassButterworth(1000, 48000, 0);
  EXPECT_NEAR(lp.b0 - lp.b1 + lp.b2, 0, 1e-15);
  EXPECT_NEAR(hp.b0 + hp.b1 + hp.b2, 0, 1e-15);
}

TEST(FilterCalc, ShelfAlphaRadicandTurnsNegativeBeyondAbout25dB) {
  const double S = 1.80;
  const double w = Omega(1000, 48000);
  const double A6 = DbToShelfA(6);
  EXPECT_NEAR((A6 + 1 / A6) * (1 / S - 1) + 2, 1.06, 0.01);
  EXPECT_GT(ShelfAlpha(w, A6, S), 0);
  for (double dB : {25.0, -25.0}) EXPECT_GT(ShelfAlpha(w, DbToShelfA(dB), S), 0) << dB;
  for (double dB : {25.4, -25.4, 40.0}) EXPECT_EQ(ShelfAlpha(w, DbToShelfA(dB), S), 0.0) << dB;
  // With alpha 0 the design still gives finite coefficients.
  const BiquadCoeffs c = DesignLowShelf(1000, 48000, 0, S, 30);
  for (double v : {c.b0, c.b1, c.b2, c.a1, c.a2}) EXPECT_TRUE(std::isfinite(v));
}

TEST(FilterCalc, ZeroOrNegativeTermsRepeatThePreviousPoint) {
  // b = (1, -2, 1): the numerator is exactly 0 at DC (phi = 0).
  BiquadCoeffs c;
  c.b0 = 1, c.b1 = -2, c.b2 = 1, c.a1 = -0.5, c.a2 = 0.1;
  const std::vector<float> first = GraphDb(c, {0.0, 1000.0, 0.0, 2000.0});
  EXPECT_EQ(first[0], 0.0f);             // nothing before it
  EXPECT_NE(first[1], 0.0f);
  EXPECT_EQ(first[2], first[1]);         // repeats 1000 Hz
  EXPECT_NEAR(first[3], ExactDb(c, 2000), 0.01);

  BiquadCoeffs bad;
  bad.b0 = std::nan("");
  for (float v : GraphDb(bad, {100.0, 1000.0})) EXPECT_EQ(v, 0.0f);
}

TEST(FilterCalc, CascadesAddAndAccumulateOntoTheCurve) {
  const BiquadCoeffs c = DesignHighPassButterworth(100, 48000, 0);
  const std::vector<double> hz = {50, 100, 400};
  const std::vector<float> one = GraphDb(c, hz, 1);
  const std::vector<float> four = GraphDb(c, hz, 4);
  for (size_t i = 0; i < hz.size(); ++i) EXPECT_NEAR(four[i], 4 * one[i], 1e-4);
  // Accumulates rather than overwrites.
  const PointTables t = PointTablesFor(hz);
  std::vector<float> row(hz.size(), 1.5f);
  SectionResponseDb(c, t.phi.data(), t.phi2.data(), row.data(), 3);
  for (size_t i = 0; i < hz.size(); ++i) EXPECT_NEAR(row[i], 1.5f + one[i], 1e-5);
}

GraphBand Eq(int freq, int gain, int q, int qtype = 0, int sq = 10) {
  GraphBand b;
  b.Kind = kBandEq, b.Freq = freq, b.Gain = gain, b.Q = q, b.QType = qtype, b.SQ = sq;
  return b;
}

GraphBand Filter(int kind, int freq, int type) {
  GraphBand b;
  b.Kind = kind, b.Freq = freq, b.Gain = type;
  return b;
}

std::vector<float> BandDb(const GraphBand& b, int page, const std::vector<double>& hz) {
  const PointTables t = PointTablesFor(hz);
  std::vector<float> out(hz.size(), 0.0f);
  AccumulateBand(b, page, t.phi.data(), t.phi2.data(), out.data(), t.size());
  return out;
}

TEST(FilterCalc, CrossoverTableByPageAndType) {
  const int idx = FreqToIndex(100.0f);
  const double fi = FreqAt(idx);
  const struct {
    int page, type;
    int sections;
    bool bessel;
  } cases[] = {
      {7, 0, 4, false}, {7, 1, 2, false}, {7, 2, 1, false}, {7, 3, 2, true}, {7, 4, 1, true},
      {7, 9, 1, true},  {0, 0, 1, false}, {4, 0, 1, false}, {4, 1, 2, false}, {1, 3, 2, false},
  };
  for (const auto& c : cases) {
    for (int kind : {kBandHighPass, kBandLowPass}) {
      const BandSections s = SectionsForBand(Filter(kind, idx, c.type), c.page);
      EXPECT_EQ(s.sections, c.sections) << "page " << c.page << " type " << c.type;
      // At f0 one section is -3.01 dB (Butterworth) or -4.77 dB (Bessel).
      const double atF0 = ExactDb(s.coeffs, fi);
      EXPECT_NEAR(atF0, c.bessel ? -4.771 : -3.010, 0.01) << "page " << c.page << " type " << c.type;
      const bool isHighPass = ExactDb(s.coeffs, 10 * fi) > ExactDb(s.coeffs, fi / 10);
      EXPECT_EQ(isHighPass, kind == kBandHighPass);
    }
  }
}

TEST(FilterCalc, SubwooferType0IsFourTimesType2InDb) {
  const int idx = FreqToIndex(100.0f);
  const float t0 = BandDb(Filter(kBandHighPass, idx, 0), 7, {50})[0];
  const float t2 = BandDb(Filter(kBandHighPass, idx, 2), 7, {50})[0];
  EXPECT_LT(t2, -5.0f);
  EXPECT_NEAR(t0, 4 * t2, 1e-3);
}

TEST(FilterCalc, OffFiltersContributeNothingButEqBandsAtTheEndsDo) {
  const std::vector<double> hz = {17, 20, 1000, 20000};
  for (const GraphBand& b : {Filter(kBandHighPass, 0, 0), Filter(kBandLowPass, 362, 0),
                             Filter(kBandHighPass, 362, 1), Filter(kBandLowPass, 0, 2)}) {
    EXPECT_EQ(SectionsForBand(b, 7).sections, 0);
    for (float v : BandDb(b, 7, hz)) EXPECT_EQ(v, 0.0f);
  }
  EXPECT_EQ(SectionsForBand(Filter(kBandHighPass, 1, 0), 0).sections, 1);
  EXPECT_GT(BandDb(Eq(0, 370, 16), 0, {17})[0], 11.0f);
  EXPECT_GT(BandDb(Eq(362, 370, 16), 0, {20220})[0], 11.0f);
}

TEST(FilterCalc, EqBandShapesAndGains) {
  const int k1 = FreqToIndex(1000.0f);
  // 0 dB peaking is exactly flat: b equals a.
  for (float v : BandDb(Eq(k1, 250, 16), 0, LogSweep(20, 20000, 40))) EXPECT_EQ(v, 0.0f);
  // +12 dB at Q 1.0 (index 16) reaches about +12 dB at 1 kHz.
  EXPECT_NEAR(BandDb(Eq(k1, 370, kQIndexOne), 0, {1000})[0], 12.0f, 0.02f);
  // Shape 1 lifts the lows, shape 2 the highs; both use the slope index, not Q.
  const GraphBand lowShelf = Eq(k1, 310, 99, 1, 26);
  const GraphBand highShelf = Eq(k1, 310, 99, 2, 26);
  EXPECT_NEAR(BandDb(lowShelf, 0, {20})[0], 6.0f, 0.05f);
  EXPECT_NEAR(BandDb(lowShelf, 0, {20000})[0], 0.0f, 0.05f);
  EXPECT_NEAR(BandDb(highShelf, 0, {20000})[0], 6.0f, 0.1f);
  EXPECT_NEAR(BandDb(highShelf, 0, {20})[0], 0.0f, 0.05f);
  const BandSections s = SectionsForBand(lowShelf, 0);
  const BiquadCoeffs expect = DesignLowShelf(1000, 48000, 0, QAt(26), 6.0);
  EXPECT_NEAR(s.coeffs.b0, expect.b0, 1e-6);
  EXPECT_NEAR(s.coeffs.a1, expect.a1, 1e-6);
}

TEST(FilterCalc, IndicesOutsideTheScalesStillGiveFiniteCurves) {
  // A damaged configuration file can carry any 32-bit index.
  for (const GraphBand& b : {Eq(900, 300, 16), Eq(-4, 300, 16), Eq(100, 300, 400), Eq(100, 300, -7),
                             Eq(100, 300, 0, 1, 1000), Filter(kBandLowPass, 5000, 0),
                             Eq(100, INT32_MIN, 16), Eq(100, INT32_MAX, 16)}) {
    for (float v : BandDb(b, 0, {20, 1000, 20000})) EXPECT_TRUE(std::isfinite(v));
  }
}

}  // namespace
}  // namespace mirelune
