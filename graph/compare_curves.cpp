// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/compare_curves.h"

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

uint32_t CompareColour(CompareKind kind) {
  switch (kind) {
    case CompareKind::OtherSoundMode: return 0xFFB388FF;  // violet
    case CompareKind::Factory: return 0xFFB0B0B0;         // grey
    case CompareKind::File: return 0xFFFF7AC8;            // pink
    case CompareKind::LastReported: return 0xFF7CFC9A;    // green
  }
  return 0xFFFFFFFF;
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
