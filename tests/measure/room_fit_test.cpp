// SPDX-License-Identifier: GPL-3.0-or-later
// The fit of a page's EQ bands to simulated rooms: the deviation it reaches, every value on the
// amplifier's tables, the maximum boost, narrow dips left alone, locked bands kept, the free
// bands' present share replaced, the page's filters counted for a measurement made without
// them, the targets, and a second measurement judged as the prediction was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "graph/compare_curves.h"
#include "graph/response_model.h"
#include "measure/room_fit.h"
#include "model/scales.h"
#include "model/store.h"
#include "sim/virtual_audio_port.h"

namespace mirelune {
namespace {

// The music page with every EQ band flat and peaking, in both sound modes.
std::unique_ptr<Store> FlatPage() {
  auto s = std::make_unique<Store>();
  s->InitDefaults();
  s->CurrentPage = 0;
  GraphBandTable t;
  BuildGraphBands(*s, nullptr, t);
  for (const GraphBand* b : PageEqBands(t))
    for (int slot : {0, 1}) {
      ParamRecord& r = s->ParamTable.at(slot, b->Addr);
      r.Gain = kGainZero;
      r.QType = 0;
      r.EQDisabled = kFalse;
    }
  return s;
}

GraphBandTable Bands(const Store& s) {
  GraphBandTable t;
  BuildGraphBands(s, nullptr, t);
  return t;
}

double ModeDb(const RoomMode& m, double f) {
  const FilterCalc::BiquadCoeffs c = FilterCalc::DesignPeaking(m.freqHz, 48000, 0, m.q, m.gainDb);
  const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * f / 48000);
  return 20 * std::log10(std::abs((c.b0 + c.b1 * z1 + c.b2 * z1 * z1) / (1.0 + c.a1 * z1 + c.a2 * z1 * z1)));
}

// What a measurement through `page` (its every band) of a room with `modes` shows, 75 dB loud.
Measurement Room(const std::vector<RoomMode>& modes, const GraphBandTable& page) {
  Measurement m;
  m.freqHz = MeasureGrid();
  const std::vector<float> pageDb = CompareRow(page, 0, FilterCalc::PointTablesFor(m.freqHz));
  for (size_t i = 0; i < m.size(); ++i) {
    double db = 75 + pageDb[i];
    for (const RoomMode& mode : modes) db += ModeDb(mode, m.freqHz[i]);
    m.db.push_back(db);
  }
  return m;
}

// The free bands' sum after the fit on the fit's grid.
std::vector<double> FreeSum(const RoomFit& fit) {
  const FilterCalc::PointTables p = FilterCalc::PointTablesFor(fit.freqs);
  std::vector<double> sum(fit.freqs.size(), 0.0);
  std::vector<float> row(fit.freqs.size());
  for (const FittedBand& b : fit.bands) {
    if (b.locked) continue;
    BandCurve(GraphBandOf(b.after, b.address), 0, p, row.data());
    for (size_t i = 0; i < sum.size(); ++i) sum[i] += row[i];
  }
  return sum;
}

void ExpectOnTheTables(const RoomFit& fit, double maxBoostDb) {
  for (const FittedBand& b : fit.bands) {
    if (!b.used) continue;
    EXPECT_GE(b.after.Freq, 1);
    EXPECT_LE(b.after.Freq, 361);
    EXPECT_GE(b.after.Q, 0);
    EXPECT_LE(b.after.Q, kQMaxIndex);
    EXPECT_GE(b.after.Gain, kGainMin);
    EXPECT_LE(b.after.Gain, kGainZero + std::lround(maxBoostDb * 10));
    EXPECT_EQ(b.after.QType, 0);
    EXPECT_EQ(b.after.EQDisabled, kFalse);
  }
  const std::vector<double> sum = FreeSum(fit);
  EXPECT_LE(*std::max_element(sum.begin(), sum.end()), maxBoostDb + 1e-4);
}

struct RoomCase {
  const char* name;
  std::vector<RoomMode> modes;
  double maxAfterRms;  // dB
  double maxAfterMax;  // dB
  int maxBands;
  double nullHz;       // a dip to be left alone, 0 for none
};

const RoomCase kRooms[] = {
    {"single mode", {{63, 10, 5}}, 0.3, 1.0, 2, 0},
    {"several modes", {{43, 8, 5}, {71, -5, 4}, {96, 6, 7}, {140, 4, 6}, {230, 3, 5}}, 0.8, 2.5, 15, 0},
    {"a deep null among modes", {{52, 7, 5}, {178, -16, 14}, {300, 5, 6}}, 0.6, 2.5, 15, 178},
    {"the loudspeaker's low end", {{34, -6, 0.9}, {110, 6, 6}}, 1.0, 3.0, 15, 0},
};

TEST(RoomFit, SimulatedRooms) {
  for (const RoomCase& c : kRooms) {
    SCOPED_TRACE(c.name);
    const auto store = FlatPage();
    RoomFitRequest req;
    req.bands = Bands(*store);
    req.measured = Room(c.modes, req.bands);
    const RoomFit fit = FitRoom(req);
    ASSERT_TRUE(fit.ok) << fit.error;
    EXPECT_LT(fit.after.rmsDb, c.maxAfterRms);
    EXPECT_LT(fit.after.maxDb, c.maxAfterMax);
    EXPECT_LT(fit.after.rmsDb, fit.before.rmsDb / 2);
    EXPECT_GE(fit.used, 1);
    EXPECT_LE(fit.used, c.maxBands);
    ExpectOnTheTables(fit, req.maxBoostDb);
    // The continuous equaliser with the same bands does at least as well.
    EXPECT_LE(fit.continuous.rmsDb, fit.after.rmsDb + 1e-3);
    EXPECT_EQ(fit.continuousBands.size(), static_cast<size_t>(fit.used));
    // The prediction is the measurement plus the bands the fit set (the bands were flat).
    const std::vector<double> sum = FreeSum(fit);
    for (size_t i = 0; i < fit.freqs.size(); ++i) EXPECT_NEAR(fit.predicted[i], fit.measured[i] + sum[i], 1e-6);
    std::printf("  %-28s before %.2f/%.2f dB, after %.2f/%.2f dB, continuous %.2f dB, %d bands\n", c.name,
                fit.before.rmsDb, fit.before.maxDb, fit.after.rmsDb, fit.after.maxDb, fit.continuous.rmsDb, fit.used);
    if (c.nullHz > 0) {
      // The null is found, left out of the deviation and never boosted.
      bool listed = false;
      for (const auto& [lo, hi] : fit.dips) listed = listed || (lo <= c.nullHz && hi >= c.nullHz);
      EXPECT_TRUE(listed);
      for (size_t i = 0; i < fit.freqs.size(); ++i)
        if (fit.dip[i]) {
          EXPECT_LE(sum[i], 1e-4) << fit.freqs[i];
        }
      const auto at = std::min_element(fit.freqs.begin(), fit.freqs.end(),
                                       [&](double a, double b) { return std::fabs(a - c.nullHz) < std::fabs(b - c.nullHz); });
      EXPECT_LE(sum[static_cast<size_t>(at - fit.freqs.begin())], 0.0 + 1e-4);
    } else {
      EXPECT_TRUE(fit.dips.empty());
    }
  }
}

TEST(RoomFit, MaximumBoostIsKeptWhereTheRoomLacks) {
  // A broad lack of 8 dB around 60 Hz: the fit lifts it by at most the boost allowed.
  const auto store = FlatPage();
  for (double boost : {0.0, 3.0, 6.0}) {
    RoomFitRequest req;
    req.bands = Bands(*store);
    req.measured = Room({{60, -8, 1.2}}, req.bands);
    req.maxBoostDb = boost;
    const RoomFit fit = FitRoom(req);
    ASSERT_TRUE(fit.ok) << fit.error;
    ExpectOnTheTables(fit, boost);
    const std::vector<double> sum = FreeSum(fit);
    const double top = *std::max_element(sum.begin(), sum.end());
    if (boost > 0) {
      EXPECT_GT(top, 1.0) << boost;  // the lack is lifted
    }
  }
}

TEST(RoomFit, ModesBesideALockedBand) {
  auto store = FlatPage();
  GraphBandTable t = Bands(*store);
  const std::vector<const GraphBand*> eq = PageEqBands(t);
  // Band 3 is locked at a cut of its own at 80 Hz; modes lie on both sides of it.
  ParamRecord& locked = store->ParamTable.at(0, eq[2]->Addr);
  locked.Freq = NearestFreqIndex(80);
  locked.Gain = kGainZero - 30;
  locked.Q = kQIndexOne + 12;
  RoomFitRequest req;
  req.bands = Bands(*store);
  req.locked.assign(PageEqBands(req.bands).size(), false);
  req.locked[2] = true;
  req.measured = Room({{63, 8, 6}, {100, 7, 6}}, req.bands);
  const RoomFit fit = FitRoom(req);
  ASSERT_TRUE(fit.ok) << fit.error;
  EXPECT_TRUE(fit.bands[2].locked);
  EXPECT_FALSE(fit.bands[2].used);
  EXPECT_EQ(fit.bands[2].after, fit.bands[2].before);
  const std::vector<int> changed = fit.ChangedAddresses();
  EXPECT_EQ(std::count(changed.begin(), changed.end(), fit.bands[2].address), 0);
  EXPECT_LT(fit.after.rmsDb, 0.6);
  ExpectOnTheTables(fit, req.maxBoostDb);
}

TEST(RoomFit, ReplacesWhatTheFreeBandsDidWhenMeasured) {
  // The room was measured with band 1 lifting 100 Hz by 6 dB: the fit takes that share out,
  // so the same room gives the same bands whatever the free bands held.
  auto flat = FlatPage();
  auto lifted = FlatPage();
  const int addr = PageEqBands(Bands(*lifted))[0]->Addr;
  ParamRecord& r = lifted->ParamTable.at(0, addr);
  r.Freq = NearestFreqIndex(100);
  r.Gain = kGainZero + 60;
  r.Q = kQIndexOne;
  const std::vector<RoomMode> modes = {{45, 8, 5}, {120, 5, 5}};
  RoomFitRequest a, b;
  a.bands = Bands(*flat);
  a.measured = Room(modes, a.bands);
  b.bands = Bands(*lifted);
  b.measured = Room(modes, b.bands);
  const RoomFit fa = FitRoom(a), fb = FitRoom(b);
  ASSERT_TRUE(fa.ok && fb.ok);
  EXPECT_GT(fb.before.rmsDb, fa.before.rmsDb);
  EXPECT_NEAR(fb.after.rmsDb, fa.after.rmsDb, 1e-3);
  for (size_t k = 0; k < fa.bands.size(); ++k) EXPECT_EQ(fa.bands[k].after.Gain, fb.bands[k].after.Gain) << k;
  // The band that lifted is changed or set flat: its address is among the changes.
  const std::vector<int> changed = fb.ChangedAddresses();
  EXPECT_NE(std::find(changed.begin(), changed.end(), addr), changed.end());
}

TEST(RoomFit, CountsThePagesFiltersForAMeasurementWithoutThem) {
  // Measured with the page bypassed: the page's 80 Hz high-pass is added to the room, so the
  // prediction falls below 80 Hz as the page will make it.
  auto store = FlatPage();
  GraphBandTable t = Bands(*store);
  int hp = -1;
  for (int b = 0; b < t.count; ++b)
    if (t.bands[static_cast<size_t>(b)].Kind == kBandHighPass) hp = b;
  ASSERT_GE(hp, 0);
  const GraphBand& filter = t.bands[static_cast<size_t>(hp)];
  for (int slot : {0, 1}) store->ParamTable.at(slot, filter.FreqAddress()).Value = NearestFreqIndex(80);
  RoomFitRequest req;
  req.bands = Bands(*store);
  req.measuredThroughPage = false;
  GraphBandTable none;
  req.measured = Room({}, none);
  const RoomFit fit = FitRoom(req);
  ASSERT_TRUE(fit.ok) << fit.error;
  const std::vector<double> sum = FreeSum(fit);
  std::vector<float> hpDb(fit.freqs.size());
  BandCurve(req.bands.bands[static_cast<size_t>(hp)], 0, FilterCalc::PointTablesFor(fit.freqs), hpDb.data());
  EXPECT_LT(hpDb[0], -20);  // 20 Hz, two octaves below the corner
  // Within what smoothing the filter's slope along with the room changes (the prediction adds
  // the filter before smoothing, as a measurement through it would show it).
  for (size_t i = 0; i < fit.freqs.size(); ++i) EXPECT_NEAR(fit.predicted[i], fit.measured[i] + hpDb[i] + sum[i], 0.1);
}

TEST(RoomFit, TargetsAndTheirTexts) {
  struct Case {
    const char* text;
    bool ok;
    double at50, at1000;  // the shape at 50 Hz and at 1 kHz
  };
  const Case cases[] = {
      {"flat", true, 0, 0},
      {"tilt=-1", true, std::log2(1000.0 / 50), 0},
      {"tilt=+0,5", false, 0, 0},
      {"tilt=7", false, 0, 0},
      {"shelf=6", true, 6, 0},
      {"shelf=6@200", true, 6, 0},
      {"shelf=6@5", false, 0, 0},
      {"shelf=-3", false, 0, 0},
      {"/nonexistent/target.txt", false, 0, 0},
  };
  for (const Case& c : cases) {
    FitTarget t;
    std::string error;
    EXPECT_EQ(ParseFitTarget(c.text, t, error), c.ok) << c.text << ": " << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_NEAR(t.At(50), c.at50, c.text[0] == 's' ? 0.5 : 1e-9) << c.text;
    EXPECT_NEAR(t.At(1000), c.at1000, 0.05) << c.text;
  }
  // A room that already is the target needs no band.
  const auto store = FlatPage();
  RoomFitRequest req;
  req.bands = Bands(*store);
  req.measured = Room({}, req.bands);
  for (size_t i = 0; i < req.measured.size(); ++i) req.measured.db[i] += -1.0 * std::log2(req.measured.freqHz[i] / 1000);
  std::string error;
  ASSERT_TRUE(ParseFitTarget("tilt=-1", req.target, error));
  const RoomFit fit = FitRoom(req);
  ASSERT_TRUE(fit.ok);
  EXPECT_LT(fit.before.rmsDb, 0.01);
  EXPECT_EQ(fit.used, 0);
  EXPECT_TRUE(fit.ChangedAddresses().empty());
}

TEST(RoomFit, ASecondMeasurementIsJudgedAsThePrediction) {
  const auto store = FlatPage();
  RoomFitRequest req;
  req.bands = Bands(*store);
  const std::vector<RoomMode> modes = {{43, 8, 5}, {96, 6, 7}, {178, -16, 14}};
  req.measured = Room(modes, req.bands);
  const RoomFit fit = FitRoom(req);
  ASSERT_TRUE(fit.ok);
  // The page with the fit applied, measured again.
  auto after = FlatPage();
  for (const FittedBand& b : fit.bands) ApplyBandSetting(after->ParamTable.at(0, b.address), b.after);
  const DeviationFigures again = DeviationOf(req, fit, Room(modes, Bands(*after)));
  EXPECT_NEAR(again.rmsDb, fit.after.rmsDb, 0.05);
  EXPECT_NEAR(again.maxDb, fit.after.maxDb, 0.1);
  // Fitting that second measurement never makes the page worse than it now is.
  RoomFitRequest second = req;
  second.bands = Bands(*after);
  second.measured = Room(modes, second.bands);
  const RoomFit refit = FitRoom(second);
  ASSERT_TRUE(refit.ok);
  EXPECT_LE(refit.after.rmsDb, refit.before.rmsDb + 1e-9);
  if (refit.kept) {
    EXPECT_TRUE(refit.ChangedAddresses().empty());
  }
}

TEST(RoomFit, RefusesBadRequests) {
  const auto store = FlatPage();
  RoomFitRequest req;
  req.bands = Bands(*store);
  req.measured = Room({}, req.bands);
  req.lowHz = 300;
  req.highHz = 500;
  EXPECT_NE(FitRoom(req).error.find("an octave"), std::string::npos);
  req.lowHz = 20;
  req.maxBoostDb = 13;
  EXPECT_NE(FitRoom(req).error.find("boost"), std::string::npos);
  req.maxBoostDb = 3;
  req.measured.freqHz = {100, 1000};
  req.measured.db = {0, 0};
  EXPECT_NE(FitRoom(req).error.find("does not cover"), std::string::npos);
  std::atomic<bool> cancel{true};
  req.measured = Room({{50, 6, 5}}, req.bands);
  const RoomFit fit = FitRoom(req, {}, &cancel);
  EXPECT_TRUE(fit.cancelled);
  EXPECT_FALSE(fit.ok);
}

}  // namespace
}  // namespace mirelune
