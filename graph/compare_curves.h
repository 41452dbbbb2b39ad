// SPDX-License-Identifier: GPL-3.0-or-later
// Curves drawn under the editable ones for comparison: the same page of another table - the
// other sound mode, the factory defaults (slot 2), a configuration file, the amplifier as it
// last reported - summed over every band that page applies. Plain C++.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graph/filter_calc.h"
#include "graph/graph_bands.h"
#include "model/store.h"

namespace mirelune {

enum class CompareKind { OtherSoundMode, Factory, File, LastReported };

// What to compare with: the other sound mode and the factory defaults come from the store, a
// file's table and the amplifier's last report are given (`table`, kept alive by the caller or
// by the pointer itself).
struct CompareSource {
  CompareKind kind = CompareKind::File;
  std::string label;
  std::shared_ptr<const RecordTable> table;
};

struct CompareCurve {
  CompareKind kind = CompareKind::File;
  std::string label;     // the legend's text
  uint32_t rgba = 0;     // its colour, 0xAARRGGBB
  GraphBandTable bands;  // the page's bands in that table
};

// The page the store shows (page, effects part) as `table` holds it, in sound mode `soundMode`.
GraphBandTable PageBandsOf(const Store& store, const RecordTable& table, int soundMode);

// The comparison of `kind` for the page the store shows: the other sound mode and the factory
// defaults come from the store itself, a file's and the last reported table from `table`.
CompareCurve MakeCompareCurve(const Store& store, CompareKind kind, const RecordTable* table,
                              const std::string& label);

// The colour of each kind: distinct from the band colours and the sum's yellow.
uint32_t CompareColour(CompareKind kind);

// The summed response of every band of `bands` (the marked ones, the filters and the extra EQ
// bands) at `points`, in dB.
std::vector<float> CompareRow(const GraphBandTable& bands, int page, const FilterCalc::PointTables& points);

}  // namespace mirelune
