// SPDX-License-Identifier: GPL-3.0-or-later
// Filter sets placed on a page's EQ bands: where each filter lands and how it is rounded, what
// is reported instead of placed, the report's differences against an independent evaluation of
// the asked filters and the graph's own evaluation of the bands, and a measurement program's
// filters exported again after the import.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "graph/eq_fit.h"
#include "graph/graph_bands.h"
#include "graph/response_model.h"
#include "model/filter_set.h"
#include "model/scales.h"

namespace mirelune {
namespace {

Store PageStore(int page, int subPage = 0, int soundMode = 0) {
  Store s;
  s.InitDefaults();
  s.CurrentPage = page;
  s.EffectSubPage = static_cast<uint8_t>(subPage);
  s.SetCurrentSoundMode(static_cast<uint8_t>(soundMode));
  return s;
}

FilterSet Parse(const std::string& text) {
  FilterSet set;
  FilterSetError error;
  EXPECT_TRUE(ParseFilterSet(text, set, error)) << error.Text();
  return set;
}

// Writes the fit into the slot of the store's sound mode (the pages used here are per-mode).
void Apply(Store& store, const EqFit& fit) {
  for (size_t k = 0; k < fit.bandAddresses.size(); ++k)
    ApplyBandSetting(store.ParamTable.at(store.CurrentSoundMode, fit.bandAddresses[k]), fit.after[k]);
}

// The cookbook's peaking, shelving and high-pass filters evaluated directly, as the test's own reference:
// exact 2 pi, |H| on the unit circle in complex double.
double ReferenceDb(const std::string& type, double f0, double gainDb, double qOrSlope, double f) {
  const double pi = std::numbers::pi;
  const double A = std::pow(10.0, gainDb / 40.0);
  const double w0 = 2 * pi * f0 / 48000.0;
  const double cs = std::cos(w0), sn = std::sin(w0);
  double b0, b1, b2, a0, a1, a2;
  if (type == "HP") {
    const double alpha = sn / (2 * qOrSlope);
    b0 = (1 + cs) / 2, b1 = -(1 + cs), b2 = (1 + cs) / 2;
    a0 = 1 + alpha, a1 = -2 * cs, a2 = 1 - alpha;
  } else if (type == "PK") {
    const double alpha = sn / (2 * qOrSlope);
    b0 = 1 + alpha * A, b1 = -2 * cs, b2 = 1 - alpha * A;
    a0 = 1 + alpha / A, a1 = -2 * cs, a2 = 1 - alpha / A;
  } else {
    const double alpha = sn / 2 * std::sqrt((A + 1 / A) * (1 / qOrSlope - 1) + 2);
    const double r = 2 * std::sqrt(A) * alpha;
    const double s = type == "LS" ? 1 : -1;  // the high shelf mirrors the low one's cos terms
    b0 = A * ((A + 1) - s * (A - 1) * cs + r);
    b1 = s * 2 * A * ((A - 1) - s * (A + 1) * cs);
    b2 = A * ((A + 1) - s * (A - 1) * cs - r);
    a0 = (A + 1) + s * (A - 1) * cs + r;
    a1 = -s * 2 * ((A - 1) + s * (A + 1) * cs);
    a2 = (A + 1) + s * (A - 1) * cs - r;
  }
  const std::complex<double> z1 = std::polar(1.0, -2 * pi * f / 48000.0);
  const std::complex<double> z2 = z1 * z1;
  return 20 * std::log10(std::abs(b0 + b1 * z1 + b2 * z2) / std::abs(a0 + a1 * z1 + a2 * z2));
}

TEST(EqFit, PlacesInFrequencyOrderAtTheNearestTableValues) {
  Store store = PageStore(0);
  const FilterSet set = Parse(
      "Filter 1: ON PK Fc 63.0 Hz Gain -3.04 dB Q 4.321\n"  // FreqTable 62.5 | 63.7, QTable 4.2 | 4.5
      "Filter 2: ON HS 12dB Fc 8000 Hz Gain -2 dB\n"
      "Filter 3: ON LSC 9.6 dB Fc 40.4 Hz Gain 4.06 dB\n"    // 40.1 | 40.9; slope 0.79 | 0.84
      "Filter 4: ON PK Fc 19.6 Hz Gain 12.04 dB Q 0.39\n");  // within half a step of the ends
  const EqFit fit = FitFilterSet(store, set);
  ASSERT_EQ(fit.bandAddresses.size(), 15u);  // all 15 music bands, the 13 marked ones first
  for (int k = 0; k < 15; ++k) EXPECT_EQ(fit.bandAddresses[static_cast<size_t>(k)], k);
  EXPECT_EQ(fit.placed, 4);
  EXPECT_TRUE(fit.Complete());

  struct Band {
    int filter;
    int freq, gain, q, sq, qtype;
  };
  const Band want[] = {
      {3, 1, 370, 0, kSlopeDefaultIndex, 0},   // 19.7 Hz, +12.0 dB, Q 0.40
      {2, 38, 291, kQIndexOne, 12, 1},         // 40.1 Hz, +4.1 dB, low shelf S 0.79
      {0, 61, 220, 41, kSlopeDefaultIndex, 0}, // 62.5 Hz, -3.0 dB, Q 4.2
      {1, 313, 230, kQIndexOne, 16, 2},        // 8000 Hz, -2.0 dB, high shelf S 1.00
  };
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const Band& w = want[k];
    const FilterFit& ff = fit.filters[static_cast<size_t>(w.filter)];
    EXPECT_EQ(ff.outcome, FitOutcome::Placed);
    EXPECT_EQ(ff.band, k);
    EXPECT_EQ(ff.address, k);
    const BandSetting& s = fit.after[static_cast<size_t>(k)];
    EXPECT_EQ(s, ff.set);
    EXPECT_EQ(s.Freq, w.freq);
    EXPECT_EQ(s.Gain, w.gain);
    EXPECT_EQ(s.Q, w.q);   // a shelf keeps the band's Q, a peaking band its slope
    EXPECT_EQ(s.SQ, w.sq);
    EXPECT_EQ(s.QType, w.qtype);
    EXPECT_EQ(s.EQDisabled, kFalse);
  }
  // The bands left over keep their place and become flat; the start-up curve had gains there.
  for (size_t k = 4; k < 13; ++k) {
    EXPECT_EQ(fit.after[k].Gain, kGainZero);
    EXPECT_EQ(fit.after[k].Freq, fit.before[k].Freq);
  }
  EXPECT_NE(fit.before[7].Gain, kGainZero);
  const std::vector<int> changed = fit.ChangedAddresses();
  EXPECT_TRUE(std::find(changed.begin(), changed.end(), 7) != changed.end());
  EXPECT_TRUE(std::find(changed.begin(), changed.end(), 5) == changed.end());  // was flat already
}

TEST(EqFit, ReportsWhatItDoesNotPlace) {
  struct Case {
    const char* line;
    FitOutcome outcome;
    FitValue value;
    bool responseKnown;
  };
  const Case cases[] = {
      {"Filter 1: ON HP Fc 25 Hz", FitOutcome::Unsupported, FitValue::None, true},
      {"Filter 1: ON LPQ Fc 12000 Hz Q 0.5", FitOutcome::Unsupported, FitValue::None, true},
      {"Filter 1: ON NO Fc 1000 Hz Q 8", FitOutcome::Unsupported, FitValue::None, true},
      {"Filter 1: ON NO Fc 1000 Hz", FitOutcome::Unsupported, FitValue::None, false},
      {"Filter 1: ON XO Fc 80 Hz Gain -3 dB", FitOutcome::Unsupported, FitValue::None, false},
      {"Filter 1: ON PK Fc 15 Hz Gain -3 dB Q 2", FitOutcome::OutOfRange, FitValue::Freq, true},
      {"Filter 1: ON PK Fc 21000 Hz Gain -3 dB Q 2", FitOutcome::OutOfRange, FitValue::Freq, true},
      {"Filter 1: ON PK Fc 100 Hz Gain -24.1 dB Q 2", FitOutcome::OutOfRange, FitValue::Gain, true},
      {"Filter 1: ON PK Fc 100 Hz Gain 15.1 dB Q 2", FitOutcome::OutOfRange, FitValue::Gain, true},
      {"Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 0.37", FitOutcome::OutOfRange, FitValue::Q, true},
      {"Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 140", FitOutcome::OutOfRange, FitValue::Q, true},
      {"Filter 1: ON LSC 24 dB Fc 100 Hz Gain 3 dB", FitOutcome::OutOfRange, FitValue::Slope, true},
      {"Filter 1: ON HSC Fc 100 Hz Gain 3 dB Q 3", FitOutcome::OutOfRange, FitValue::Slope, true},
      {"Filter 1: OFF PK Fc 100 Hz Gain -3 dB Q 2", FitOutcome::Off, FitValue::None, false},
      {"Filter 1: OFF None", FitOutcome::Off, FitValue::None, false},
      {"Filter 1: ON None", FitOutcome::Empty, FitValue::None, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Store store = PageStore(0);
    const EqFit fit = FitFilterSet(store, Parse(std::string(c.line) + "\n"));
    const FilterFit& ff = fit.filters.at(0);
    EXPECT_EQ(ff.outcome, c.outcome);
    EXPECT_EQ(ff.value, c.value);
    EXPECT_EQ(ff.band, -1);
    EXPECT_EQ(fit.placed, 0);
    const bool failed = c.outcome == FitOutcome::Unsupported || c.outcome == FitOutcome::OutOfRange;
    EXPECT_EQ(fit.notPlaced, failed ? 1 : 0);
    EXPECT_EQ(fit.Complete(), !failed);
    // Not placed, the filter's difference is its whole response; nothing asked has none.
    EXPECT_EQ(std::isfinite(ff.maxDiffDb), c.responseKnown);
    if (c.responseKnown) {
      EXPECT_GT(ff.maxDiffDb, 0.1);
      EXPECT_NEAR(ff.maxDiffDb, fit.maxDiffDb, 1e-4);  // every band is flat now
    }
    if (c.outcome == FitOutcome::OutOfRange) {
      EXPECT_TRUE(ff.asked < ff.low || ff.asked > ff.high);
    }
    // Every band goes flat: none of the filters has one.
    for (const BandSetting& s : fit.after) EXPECT_EQ(s.Gain, kGainZero);
  }
}

TEST(EqFit, MoreFiltersThanBandsKeepsTheLargestGains) {
  Store store = PageStore(7);  // the sub-woofer: 5 bands
  const FilterSet set = Parse(
      "Filter 1: ON PK Fc 30 Hz Gain -6 dB Q 4\n"
      "Filter 2: ON PK Fc 45 Hz Gain -0.5 dB Q 4\n"
      "Filter 3: ON PK Fc 60 Hz Gain -8 dB Q 4\n"
      "Filter 4: ON PK Fc 80 Hz Gain 3 dB Q 4\n"
      "Filter 5: ON PK Fc 100 Hz Gain -1 dB Q 4\n"
      "Filter 6: ON PK Fc 120 Hz Gain -1 dB Q 4\n"
      "Filter 7: ON PK Fc 150 Hz Gain -4 dB Q 4\n"
      "Preamp: -3 dB\n");
  const EqFit fit = FitFilterSet(store, set);
  ASSERT_EQ(fit.bandAddresses, (std::vector<int>{1803, 1804, 1805, 1806, 1807}));
  EXPECT_EQ(fit.placed, 5);
  EXPECT_EQ(fit.notPlaced, 3);  // two filters and the preamp
  EXPECT_TRUE(fit.preampNotPlaced);
  EXPECT_DOUBLE_EQ(fit.preampDb, -3);
  EXPECT_EQ(fit.preampLine, 8);
  EXPECT_EQ(fit.filters[1].outcome, FitOutcome::NoBandLeft);
  EXPECT_EQ(fit.filters[5].outcome, FitOutcome::NoBandLeft);  // the later of the two -1 dB
  const int bandOf[] = {0, -1, 1, 2, 3, -1, 4};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(fit.filters[static_cast<size_t>(i)].band, bandOf[i]) << i;
}

TEST(EqFit, UsesEveryEqBandOfEachPage) {
  struct Case {
    int page, subPage;
    int first, count;
  };
  const Case cases[] = {{0, 0, 0, 15}, {1, 0, 257, 15}, {3, 0, 776, 5}, {3, 1, 794, 5},
                        {3, 2, 799, 5}, {4, 0, 1032, 10}, {6, 0, 1543, 7}, {7, 0, 1803, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page * 10 + c.subPage);
    const Store store = PageStore(c.page, c.subPage);
    const EqFit fit = FitFilterSet(store, Parse("Filter 1: ON PK Fc 1000 Hz Gain -3 dB Q 1\n"));
    ASSERT_EQ(fit.bandAddresses.size(), static_cast<size_t>(c.count));
    for (int k = 0; k < c.count; ++k) EXPECT_EQ(fit.bandAddresses[static_cast<size_t>(k)], c.first + k);
    EXPECT_EQ(fit.filters[0].address, c.first);
  }
}

// Bands 14 and 15 of the music page have no marker but sound all the same (the start-up content
// boosts band 15 by 5 dB): an import sets them flat like every band it does not use, and the
// report's realised response is what the amplifier then plays - all 15 bands.
TEST(EqFit, TheBandsWithoutAMarkerAreFlattenedAndCounted) {
  Store store = PageStore(0);
  ASSERT_GT(store.ParamTable.at(0, 14).Gain, kGainZero);
  const EqFit fit = FitFilterSet(store, Parse("Filter 1: ON PK Fc 1000 Hz Gain -3 dB Q 1\n"));
  const std::vector<int> changed = fit.ChangedAddresses();
  EXPECT_NE(std::find(changed.begin(), changed.end(), 14), changed.end());
  Apply(store, fit);
  EXPECT_EQ(store.ParamTable.at(0, 14).Gain, kGainZero);
  EXPECT_EQ(store.ParamTable.at(0, 13).Gain, kGainZero);
  GraphBandTable bands;
  BuildGraphBands(store, nullptr, bands);
  const FilterCalc::PointTables points = FilterCalc::PointTablesFor(fit.freqs);
  std::vector<float> all(fit.freqs.size(), 0.0f), row(fit.freqs.size());
  for (const GraphBand* b : PageEqBands(bands)) {
    BandCurve(*b, store.CurrentPage, points, row.data());
    for (size_t i = 0; i < row.size(); ++i) all[i] += row[i];
  }
  for (size_t i = 0; i < all.size(); ++i) ASSERT_NEAR(all[i], fit.realised[i], 1e-4f) << fit.freqs[i];
  EXPECT_LT(fit.maxDiffDb, 0.2);
  // The export after the import lists all 15 bands.
  EXPECT_EQ(PageFilterSet(store).filters.size(), 15u);
}

// Near 20 kHz the report is as right as anywhere: its difference is the largest over every point
// up to 20 kHz between the asked filter and the band as placed, both evaluated here exactly.
TEST(EqFit, TheReportIsRightNearTwentyKilohertz) {
  struct Case {
    double fc, gain, q;
  };
  for (const Case& c : {Case{19000, 6, 2}, Case{19800, -9, 4}, Case{17500, 4.5, 0.8}}) {
    SCOPED_TRACE(c.fc);
    const Store store = PageStore(0);
    const std::string line = "Filter 1: ON PK Fc " + std::to_string(c.fc) + " Hz Gain " + std::to_string(c.gain) +
                             " dB Q " + std::to_string(c.q) + "\n";
    const EqFit fit = FitFilterSet(store, Parse(line));
    ASSERT_EQ(fit.filters[0].outcome, FitOutcome::Placed);
    const BandSetting& set = fit.filters[0].set;
    double want = 0;
    for (double f : fit.freqs)
      want = std::max(want, std::fabs(ReferenceDb("PK", c.fc, c.gain, c.q, f) -
                                      ReferenceDb("PK", FreqAt(set.Freq), (set.Gain - kGainZero) / 10.0, QAt(set.Q), f)));
    EXPECT_NEAR(fit.filters[0].maxDiffDb, want, 0.02);
    EXPECT_NEAR(fit.maxDiffDb, want, 0.02);
    EXPECT_GE(fit.freqs.back(), 20000.0 - 1e-6);
  }
}

// The report's figures are the largest difference between the asked filters, evaluated here on
// their own, and the bands as the graph evaluates them from the store after the fit is written.
TEST(EqFit, DifferencesAgainstTheGraphAfterWriting) {
  Store store = PageStore(0, 0, 1);
  const FilterSet set = Parse(
      "Filter 1: ON PK Fc 1000 Hz Gain -3.0 dB Q 2.00\n"   // on the tables: only float rounding
      "Filter 2: ON PK Fc 63.0 Hz Gain -7.04 dB Q 4.321\n"
      "Filter 3: ON LSC 9.6 dB Fc 40.5 Hz Gain 4.06 dB\n"
      "Filter 4: ON HP Fc 25 Hz\n");
  const EqFit fit = FitFilterSet(store, set);
  Apply(store, fit);
  GraphBandTable bands;
  BuildGraphBands(store, nullptr, bands);
  const std::vector<double> freqs = FitFrequencies();
  ASSERT_EQ(freqs.size(), static_cast<size_t>(kFitPoints));
  EXPECT_DOUBLE_EQ(freqs.front(), 20.0);
  EXPECT_NEAR(freqs.back(), 20000.0, 1e-9);
  const FilterCalc::PointTables points = FilterCalc::PointTablesFor(freqs);
  std::vector<std::vector<float>> curves(static_cast<size_t>(bands.count), std::vector<float>(freqs.size()));
  for (int b = 0; b < bands.count; ++b)
    BandCurve(bands.bands[static_cast<size_t>(b)], store.CurrentPage, points, curves[static_cast<size_t>(b)].data());

  struct Asked {
    const char* type;
    double f0, gain, qOrSlope;
  };
  const Asked asked[] = {{"PK", 1000, -3.0, 2.0}, {"PK", 63.0, -7.04, 4.321}, {"LS", 40.5, 4.06, 0.8},
                         {"HP", 25, 0, std::sqrt(0.5)}};
  const auto reference = [&](int j, size_t i) {
    return ReferenceDb(asked[j].type, asked[j].f0, asked[j].gain, asked[j].qOrSlope, freqs[i]);
  };
  for (int j = 0; j < 4; ++j) {
    SCOPED_TRACE(j);
    const FilterFit& ff = fit.filters[static_cast<size_t>(j)];
    ASSERT_EQ(ff.outcome, j < 3 ? FitOutcome::Placed : FitOutcome::Unsupported);
    double m = 0;
    for (size_t i = 0; i < freqs.size(); ++i)
      m = std::max(m, std::abs(reference(j, i) - (j < 3 ? curves[static_cast<size_t>(ff.band)][i] : 0.0f)));
    EXPECT_NEAR(ff.maxDiffDb, m, 1e-4);
  }
  EXPECT_LT(fit.filters[0].maxDiffDb, 0.001);
  EXPECT_GT(fit.filters[1].maxDiffDb, 0.05);
  EXPECT_GT(fit.filters[2].maxDiffDb, 0.01);
  EXPECT_GT(fit.filters[3].maxDiffDb, 3.0);  // the high-pass, not placed: its whole response
  // The whole set: every asked filter against the graph's sum of the EQ bands (no crossover is on).
  double total = 0;
  for (size_t i = 0; i < freqs.size(); ++i) {
    double sumAsked = 0, sumBands = 0;
    for (const auto& row : curves) sumBands += row[i];
    for (int j = 0; j < 4; ++j) sumAsked += reference(j, i);
    EXPECT_NEAR(fit.realised[i], sumBands, 1e-4);
    EXPECT_NEAR(fit.asked[i], sumAsked, 1e-4);
    total = std::max(total, std::abs(sumAsked - sumBands));
  }
  EXPECT_NEAR(fit.maxDiffDb, total, 1e-4);
}

// A measurement program's filters, imported and exported again, come back up to the amplifier's
// rounding; exporting what was imported from the export changes nothing any more.
TEST(EqFit, ExportAfterImportGivesTheFiltersBack) {
  const std::string rew =
      "Filter Settings file\r\n\r\nRoom EQ V5.20\r\nDated: 12-Mar-2024\r\n\r\nEqualiser: Generic\r\n"
      "Filter  1: ON  PK       Fc   41.5 Hz  Gain  -7.5 dB  Q  4.321\r\n"
      "Filter  2: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  2.00\r\n"
      "Filter  3: ON  LSC      Fc    120 Hz  Gain   4.0 dB  Q  0.65\r\n"
      "Filter  4: OFF None\r\n"
      "Filter  5: ON  PK       Fc    187 Hz  Gain  -5.2 dB  Q  7.75\r\n"
      "Filter  6: ON  HS 12dB  Fc   8000 Hz  Gain  -2.0 dB\r\n"
      "Filter  7: ON  PK       Fc   2400 Hz  Gain   1.7 dB  Q  1.15\r\n";
  const FilterSet asked = Parse(rew);
  for (FilterFormat format : {FilterFormat::Rew, FilterFormat::Apo}) {
    SCOPED_TRACE(format == FilterFormat::Rew ? "rew" : "apo");
    Store store = PageStore(0);
    const EqFit fit = FitFilterSet(store, asked);
    ASSERT_TRUE(fit.Complete());
    Apply(store, fit);
    const std::string exported = WriteFilterSet(PageFilterSet(store), format);
    const FilterSet back = Parse(exported);

    std::vector<Filter> want, got;
    for (const Filter& f : asked.filters)
      if (f.on && f.type != FilterType::None) want.push_back(f);
    for (const Filter& f : back.filters)
      if (f.on && f.type != FilterType::None) got.push_back(f);
    ASSERT_EQ(got.size(), want.size()) << exported;
    std::stable_sort(want.begin(), want.end(), [](const Filter& a, const Filter& b) { return a.freqHz < b.freqHz; });
    for (size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(want[i].source);
      EXPECT_EQ(got[i].type, want[i].type);
      EXPECT_LE(std::abs(std::log(got[i].freqHz / want[i].freqHz)), std::log(2.0) / 72 + 1e-9);
      EXPECT_LE(std::abs(got[i].gainDb - want[i].gainDb), 0.05 + 1e-9);
      const double slopeOrQWant = want[i].type == FilterType::Peaking ? want[i].q : ShelfSlopeOf(want[i]);
      const double slopeOrQGot = got[i].type == FilterType::Peaking ? got[i].q : ShelfSlopeOf(got[i]);
      EXPECT_LE(std::abs(std::log(slopeOrQGot / slopeOrQWant)), std::log(2.0) / 24 + 1e-9);
    }
    // REW lists every band (the flat ones as "OFF None"), Equalizer APO only those in use.
    EXPECT_EQ(back.filters.size(), format == FilterFormat::Rew ? 15u : 6u);

    // The export imported again sets exactly the same bands.
    Store again = PageStore(0);
    const EqFit second = FitFilterSet(again, back);
    EXPECT_EQ(second.after, fit.after);
    Apply(again, second);
    EXPECT_EQ(WriteFilterSet(PageFilterSet(again), format), exported);
  }
}

TEST(EqFit, ExportsSwitchedOffAndFlatBandsAsOff) {
  Store store = PageStore(7);
  ParamRecord& off = store.ParamTable.at(0, 1804);
  off.Gain = 200;
  off.EQDisabled = kTrue;
  ParamRecord& shelf = store.ParamTable.at(0, 1805);
  shelf.Gain = 310;
  shelf.QType = 2;
  shelf.SQ = 20;  // S 1.26
  const FilterSet set = PageFilterSet(store);
  ASSERT_EQ(set.filters.size(), 5u);
  EXPECT_EQ(set.filters[0].type, FilterType::None);
  EXPECT_FALSE(set.filters[0].on);
  EXPECT_EQ(set.filters[1].type, FilterType::Peaking);
  EXPECT_FALSE(set.filters[1].on);
  EXPECT_DOUBLE_EQ(set.filters[1].gainDb, -5.0);
  EXPECT_EQ(set.filters[2].type, FilterType::HighShelf);
  EXPECT_EQ(set.filters[2].number, 3);
  EXPECT_NEAR(ShelfSlopeOf(set.filters[2]), QAt(20), 1e-6);
  // Imported again, the switched-off band asks nothing and goes flat: the response is the same.
  const EqFit fit = FitFilterSet(store, Parse(WriteFilterSet(set, FilterFormat::Rew)));
  EXPECT_EQ(fit.after[1].Gain, kGainZero);
  EXPECT_EQ(fit.after[0].QType, 2);  // the high shelf went onto the first band
  EXPECT_EQ(fit.after[0].Gain, 310);
  EXPECT_EQ(fit.after[0].SQ, 20);
  EXPECT_LT(fit.maxDiffDb, 0.001);
}

}  // namespace
}  // namespace mirelune
