// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/compare_curves.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

#include "graph/response_model.h"

namespace mirelune {

GraphBandTable PageBandsOf(const Store& store, const RecordTable& table, int soundMode) {
  // A store that differs only in its table and sound mode: the same page, part and layout.
  auto copy = std::make_unique<Store>(store);
  copy->ParamTable = table;
  copy->SetCurrentSoundMode(static_cast<uint8_t>(soundMode));
  GraphBandTable bands;
  BuildGraphBands(*copy, nullptr, bands);
  return bands;
}

bool IsPointCurve(CompareKind kind) {
  return kind == CompareKind::Measured || kind == CompareKind::Target || kind == CompareKind::Predicted ||
         kind == CompareKind::MeasuredAgain;
}

uint32_t CompareColour(CompareKind kind) {
  switch (kind) {
    case CompareKind::OtherSoundMode: return 0xFFB388FF;  // violet
    case CompareKind::Factory: return 0xFFB0B0B0;         // grey
    case CompareKind::File: return 0xFFFF7AC8;            // pink
    case CompareKind::LastReported: return 0xFF7CFC9A;    // green
    case CompareKind::Measured: return 0xFF4FC3F7;        // sky blue
    case CompareKind::Target: return 0xFFF0F0F0;          // white
    case CompareKind::Predicted: return 0xFFFF8A65;       // orange
    case CompareKind::MeasuredAgain: return 0xFF26C6A9;   // teal
  }
  return 0xFFFFFFFF;
}

uint32_t FileCompareColour(int nth) {
  static constexpr uint32_t kMore[] = {0xFF82B1FF, 0xFFB9F6CA, 0xFFFFAB40};  // light blue, mint, amber
  if (nth <= 0) return CompareColour(CompareKind::File);
  return kMore[static_cast<size_t>(nth - 1) % std::size(kMore)];
}

std::vector<float> PointCurveRow(const CurvePoints& c, const std::vector<double>& freqs) {
  std::vector<float> row(freqs.size(), 0.0f);
  const size_t n = std::min(c.freqHz.size(), c.db.size());
  if (n == 0) return row;
  for (size_t i = 0; i < freqs.size(); ++i) {
    const double f = freqs[i];
    double v = 0;
    if (f <= c.freqHz.front()) {
      v = c.db.front();
    } else if (f >= c.freqHz[n - 1]) {
      v = c.db[n - 1];
    } else {
      const size_t hi = static_cast<size_t>(std::upper_bound(c.freqHz.begin(), c.freqHz.begin() + static_cast<long>(n), f) -
                                            c.freqHz.begin());
      const size_t lo = hi - 1;
      const double t = std::log(f / c.freqHz[lo]) / std::log(c.freqHz[hi] / c.freqHz[lo]);
      v = c.db[lo] + t * (c.db[hi] - c.db[lo]);
    }
    row[i] = static_cast<float>(v);
  }
  return row;
}

CompareCurve MakeCompareCurve(const Store& store, CompareKind kind, const RecordTable* table,
                              const std::string& label) {
  CompareCurve c;
  c.kind = kind;
  c.label = label;
  c.rgba = CompareColour(kind);
  const int mode = store.CurrentSoundMode;
  switch (kind) {
    case CompareKind::OtherSoundMode:
      c.bands = PageBandsOf(store, store.ParamTable, 1 - mode);
      break;
    case CompareKind::Factory: {
      // Slot 2 holds the factory defaults: shown as if they were the current sound mode's.
      auto factory = std::make_unique<RecordTable>(store.ParamTable);
      for (int a = 0; a < kFirstSlotOnlyAddress; ++a) factory->at(mode, a) = store.ParamTable.at(2, a);
      c.bands = PageBandsOf(store, *factory, mode);
      break;
    }
    case CompareKind::File:
    case CompareKind::LastReported:
      c.bands = PageBandsOf(store, table ? *table : store.ParamTable, mode);
      break;
    case CompareKind::Measured:
    case CompareKind::Target:
    case CompareKind::Predicted:
    case CompareKind::MeasuredAgain:
      break;  // drawn from its points
  }
  return c;
}

std::vector<float> CompareRow(const GraphBandTable& bands, int page, const FilterCalc::PointTables& points) {
  const size_t n = static_cast<size_t>(points.size());
  std::vector<float> sum(n, 0.0f), row(n), extra(n, 0.0f);
  for (int b = 0; b < bands.count; ++b) {
    BandCurve(bands.bands[static_cast<size_t>(b)], page, points, row.data());
    for (size_t i = 0; i < n; ++i) sum[i] += row[i];
  }
  // As the graph adds: the marked bands, then the extra bands' own sum.
  for (int e = 0; e < bands.extraCount; ++e) {
    BandCurve(bands.extra[static_cast<size_t>(e)], page, points, row.data());
    for (size_t i = 0; i < n; ++i) extra[i] += row[i];
  }
  for (size_t i = 0; i < n; ++i) sum[i] += extra[i];
  return sum;
}

}  // namespace mirelune
