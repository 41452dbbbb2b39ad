// SPDX-License-Identifier: GPL-3.0-or-later
// The phase of the response: single cookbook sections against their closed forms, the cascade
// and unwrapping of a steep crossover, and the page's sum counting every band it applies.
#include <gtest/gtest.h>

#include <cmath>

#include "graph/graph_bands.h"
#include "graph/response_phase.h"
#include "model/scales.h"
#include "model/store.h"

namespace mirelune {
namespace {

using namespace FilterCalc;

TEST(ResponsePhase, SectionsAtTheirCornersAndCentres) {
  struct Case {
    const char* name;
    BiquadCoeffs c;
    double f;
    double deg;
  };
  const Case cases[] = {
      {"peaking +6 dB at its centre", DesignPeaking(1000, kSampleRate, 0, 1.0, 6), 1000, 0},
      {"peaking -9 dB at its centre", DesignPeaking(250, kSampleRate, 0, 4.0, -9), 250, 0},
      {"Butterworth high-pass at its corner", DesignHighPassButterworth(1000, kSampleRate, 0), 1000, 90},
      {"Bessel high-pass at its corner", DesignHighPassBessel(80, kSampleRate, 0), 80, 90},
      {"Butterworth low-pass at its corner", DesignLowPassButterworth(2000, kSampleRate, 0), 2000, -90},
      {"Bessel low-pass at its corner", DesignLowPassBessel(120, kSampleRate, 0), 120, -90},
      {"high-pass far above its corner", DesignHighPassButterworth(50, kSampleRate, 0), 15000, 0},
  };
  for (const Case& c : cases) {
    // The designs use the graph's own 2-pi literal: a few thousandths of a degree from exact.
    EXPECT_NEAR(SectionPhaseDeg(c.c, c.f), c.deg, c.deg == 0 && c.f > 10000 ? 2.0 : 0.01) << c.name;
  }
  // A peak leads below its centre and lags above it; a cut does the opposite.
  const BiquadCoeffs boost = DesignPeaking(1000, kSampleRate, 0, 1.0, 6);
  EXPECT_GT(SectionPhaseDeg(boost, 700), 1.0);
  EXPECT_LT(SectionPhaseDeg(boost, 1400), -1.0);
}

TEST(ResponsePhase, UnwrappingRemovesTheJumpsOnly) {
  std::vector<double> d = {170, -175, -160, 179, -179, 10};
  UnwrapDegrees(d);
  const std::vector<double> want = {170, 185, 200, 179, 181, 10};
  for (size_t i = 0; i < d.size(); ++i) EXPECT_NEAR(d[i], want[i], 1e-9) << i;
}

// The sub-woofer page's low-pass is a steep cascade: its phase falls through -180 and on without
// a jump, and a band switched off adds nothing.
TEST(ResponsePhase, TheSumIsContinuousAndCountsEveryBand) {
  Store store;
  store.InitDefaults();
  store.CurrentPage = 0;
  GraphBandTable table;
  BuildGraphBands(store, nullptr, table);
  ASSERT_EQ(table.count, 17);
  std::vector<double> freqs;
  for (int k = 0; k <= 400; ++k) freqs.push_back(20.0 * std::pow(1000.0, k / 400.0));
  const std::vector<double> sum = SumPhaseDeg(table, 0, freqs);
  for (size_t i = 1; i < sum.size(); ++i) ASSERT_LT(std::fabs(sum[i] - sum[i - 1]), 180.0) << freqs[i];
  // The sum is the bands' phases added: band by band, wrapped, equals the sum wrapped.
  std::vector<double> added(freqs.size(), 0.0);
  for (int b = 0; b < table.count; ++b) {
    const std::vector<double> p = BandPhaseDeg(table.bands[static_cast<size_t>(b)], 0, freqs);
    for (size_t i = 0; i < p.size(); ++i) added[i] += p[i];
  }
  for (int e = 0; e < table.extraCount; ++e) {
    const std::vector<double> p = BandPhaseDeg(table.extra[static_cast<size_t>(e)], 0, freqs);
    for (size_t i = 0; i < p.size(); ++i) added[i] += p[i];
  }
  for (size_t i = 0; i < sum.size(); ++i) {
    const double diff = std::remainder(sum[i] - added[i], 360.0);
    ASSERT_NEAR(diff, 0.0, 1e-6) << freqs[i];
  }
  // Band 15 (+5 dB at start-up) turns the phase near its frequency: without it the sum differs.
  GraphBandTable without = table;
  without.bands[14].EQDisabled = kTrue;
  const std::vector<double> less = SumPhaseDeg(without, 0, freqs);
  double most = 0;
  for (size_t i = 0; i < sum.size(); ++i) most = std::max(most, std::fabs(sum[i] - less[i]));
  EXPECT_GT(most, 1.0);
  // A band switched off has no phase of its own.
  for (double d : BandPhaseDeg(without.bands[14], 0, freqs)) ASSERT_EQ(d, 0.0);

  store.CurrentPage = 7;  // the sub-woofer: high-pass and low-pass filters
  BuildGraphBands(store, nullptr, table);
  const std::vector<double> sub = SumPhaseDeg(table, 7, freqs);
  for (size_t i = 1; i < sub.size(); ++i) ASSERT_LT(std::fabs(sub[i] - sub[i - 1]), 180.0) << freqs[i];
}

}  // namespace
}  // namespace mirelune
