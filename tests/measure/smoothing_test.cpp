// SPDX-License-Identifier: GPL-3.0-or-later
// Fractional-octave and variable smoothing, and resampling onto a log grid: power averaging over
// the band, the same answer from dense FFT bins as from a sparse log grid, the variable width's
// ends, and interpolation that treats the phase as the angle it is.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "measure/smoothing.h"

namespace mirelune {
namespace {

TEST(Smoothing, ParsesItsTexts) {
  struct Case {
    const char* text;
    bool ok;
    Smoothing::Kind kind;
    int fraction;
  };
  const Case cases[] = {
      {"none", true, Smoothing::Kind::None, 0},  {"var", true, Smoothing::Kind::Variable, 0},
      {"1/1", true, Smoothing::Kind::Fraction, 1}, {"1/48", true, Smoothing::Kind::Fraction, 48},
      {"6", true, Smoothing::Kind::Fraction, 6},  {"1/49", false, {}, 0},
      {"1/0", false, {}, 0},                       {"1/3x", false, {}, 0},
      {"", false, {}, 0},
  };
  for (const Case& c : cases) {
    Smoothing s;
    EXPECT_EQ(ParseSmoothing(c.text, s), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(s.kind, c.kind) << c.text;
    if (c.kind == Smoothing::Kind::Fraction) {
      EXPECT_EQ(s.fraction, c.fraction);
    }
  }
}

TEST(Smoothing, VariableWidthWidensFromOneFortyEighthToOneThird) {
  Smoothing s;
  s.kind = Smoothing::Kind::Variable;
  EXPECT_DOUBLE_EQ(s.WidthAt(30), 1.0 / 48);
  EXPECT_DOUBLE_EQ(s.WidthAt(100), 1.0 / 48);
  EXPECT_NEAR(s.WidthAt(1000), (1.0 / 48 + 1.0 / 3) / 2, 1e-12);  // halfway in log frequency
  EXPECT_DOUBLE_EQ(s.WidthAt(10000), 1.0 / 3);
  EXPECT_DOUBLE_EQ(s.WidthAt(20000), 1.0 / 3);
}

// A curve that is 0 dB with a comb of +-6 dB ripples every 10 Hz, on dense bins.
Measurement Comb(double step) {
  Measurement m;
  for (double f = step; f <= 24000; f += step) {
    m.freqHz.push_back(f);
    m.db.push_back(6 * std::sin(2 * std::numbers::pi * f / 10));
  }
  return m;
}

TEST(Smoothing, AveragesThePowerOverTheBand) {
  Smoothing third;
  third.kind = Smoothing::Kind::Fraction;
  third.fraction = 3;
  const Measurement s = Smooth(Comb(0.25), third);
  // The mean power of 10^(6 sin(x)/10) over whole periods, in dB: the comb's ripple is gone and
  // its level is the power mean, not the mean of the dBs (0).
  double mean = 0;
  const int steps = 100000;
  for (int k = 0; k < steps; ++k) mean += std::pow(10.0, 6 * std::sin(2 * std::numbers::pi * k / steps) / 10);
  const double want = 10 * std::log10(mean / steps);
  for (double f : {1000.0, 2000.0, 10000.0}) {
    const size_t i = static_cast<size_t>(f / 0.25) - 1;
    EXPECT_NEAR(s.db[i], want, 0.05) << f;
  }
}

TEST(Smoothing, DenseBinsAndALogGridAgree) {
  // A smooth response (a broad bump) sampled on 0.5 Hz bins and on a 1/48-octave grid: the
  // smoothed curves must agree, whatever the spacing of the points.
  auto bump = [](double f) { return 8 * std::exp(-std::pow(std::log2(f / 300), 2)); };
  Measurement dense, grid;
  for (double f = 0.5; f <= 24000; f += 0.5) {
    dense.freqHz.push_back(f);
    dense.db.push_back(bump(f));
  }
  for (double f : MeasureGrid()) {
    grid.freqHz.push_back(f);
    grid.db.push_back(bump(f));
  }
  Smoothing sixth;
  sixth.kind = Smoothing::Kind::Fraction;
  sixth.fraction = 6;
  const Measurement a = ResampleLog(Smooth(dense, sixth), MeasureGrid());
  const Measurement b = Smooth(grid, sixth);
  for (size_t i = 0; i < a.size(); ++i)
    if (a.freqHz[i] > 25 && a.freqHz[i] < 18000) {
      EXPECT_NEAR(a.db[i], b.db[i], 0.05) << a.freqHz[i];
    }
  // None leaves the curve as it is.
  const Measurement same = Smooth(grid, Smoothing{});
  EXPECT_EQ(same.db, grid.db);
}

TEST(Smoothing, ResamplesInLogFrequencyAndHoldsTheEnds) {
  Measurement m;
  m.freqHz = {100, 400};
  m.db = {0, 6};
  m.phaseDeg = {170, -170};  // 20 degrees apart across the wrap
  const Measurement r = ResampleLog(m, {50, 100, 200, 400, 800});
  EXPECT_EQ(r.db, (std::vector<double>{0, 0, 3, 6, 6}));
  // Halfway the phase is 180 degrees, not the 0 that averaging the numbers would give.
  EXPECT_NEAR(std::fabs(r.phaseDeg[2]), 180.0, 1e-9);
  EXPECT_NEAR(r.phaseDeg[0], 170, 1e-9);
  EXPECT_NEAR(r.phaseDeg[4], -170, 1e-9);
}

TEST(Smoothing, GridIsTheFitsGrid) {
  const std::vector<double> g = MeasureGrid();
  ASSERT_EQ(g.size(), 481u);
  EXPECT_DOUBLE_EQ(g.front(), 20);
  EXPECT_NEAR(g.back(), 20000, 1e-9);
  EXPECT_NEAR(std::log2(g[49] / g[1]), 48 * std::log2(1000.0) / 480, 1e-12);
}

}  // namespace
}  // namespace mirelune
