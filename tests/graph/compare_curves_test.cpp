// SPDX-License-Identifier: GPL-3.0-or-later
// A comparison curve is the page's whole response in the compared table: every EQ band counts,
// the marked ones and the extra ones the graph has no marker for (bands 14 and 15 of the music
// page), as the graph's own sum counts them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "graph/compare_curves.h"
#include "model/store.h"

namespace mirelune {
namespace {

constexpr int kFlat = 250;  // gain code of 0 dB

std::vector<double> LogGrid() {
  std::vector<double> f;
  for (int i = 0; i <= 480; ++i) f.push_back(20.0 * std::pow(1000.0, i / 480.0));
  return f;
}

TEST(CompareCurves, EveryEqBandOfThePageCountsMarkedOrNot) {
  Store store;
  store.InitDefaults();
  store.CurrentPage = 0;
  const int bands = 15;  // the music page
  RecordTable flat = store.ParamTable;
  for (int b = 0; b < bands; ++b) flat.at(0, b).Gain = kFlat;
  const FilterCalc::PointTables points = FilterCalc::PointTablesFor(LogGrid());
  const std::vector<float> base =
      CompareRow(MakeCompareCurve(store, CompareKind::File, &flat, "flat").bands, 0, points);
  for (int b = 0; b < bands; ++b) {
    RecordTable one = flat;
    one.at(0, b).Gain = kFlat + 60;  // +6 dB
    const std::vector<float> row =
        CompareRow(MakeCompareCurve(store, CompareKind::File, &one, "one").bands, 0, points);
    float most = 0;
    for (size_t i = 0; i < row.size(); ++i) most = std::max(most, row[i] - base[i]);
    EXPECT_NEAR(most, 6.0f, 1.0f) << "band " << b + 1 << " of 15";
  }
}

}  // namespace
}  // namespace mirelune
