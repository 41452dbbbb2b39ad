// SPDX-License-Identifier: GPL-3.0-or-later
// Curves drawn under the editable ones for comparison: the same page of another table - the
// other sound mode, the factory defaults (slot 2), a configuration file, the amplifier as it
// last reported - summed over every band that page applies; or a curve given point by point -
// a room measurement, its target, the response a fit predicts, the room measured again. Plain C++.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graph/filter_calc.h"
#include "graph/graph_bands.h"
#include "model/store.h"

namespace mirelune {

enum class CompareKind { OtherSoundMode, Factory, File, LastReported, Measured, Target, Predicted, MeasuredAgain };

// The kinds drawn from points (`curve`), not from a page's bands.
bool IsPointCurve(CompareKind kind);

// A curve given point by point: rising frequencies in Hz and levels in dB, as the graph shows
// them (the measure window places a measurement's level at the target's).
struct CurvePoints {
  std::vector<double> freqHz;
  std::vector<double> db;
};

// What to compare with: the other sound mode and the factory defaults come from the store, a
// file's table and the amplifier's last report are given (`table`, kept alive by the caller or
// by the pointer itself), the point curves as `curve`.
struct CompareSource {
  CompareKind kind = CompareKind::File;
  std::string label;
  std::shared_ptr<const RecordTable> table;
  std::shared_ptr<const CurvePoints> curve;
};

struct CompareCurve {
  CompareKind kind = CompareKind::File;
  std::string label;     // the legend's text
  uint32_t rgba = 0;     // its colour, 0xAARRGGBB
  GraphBandTable bands;  // the page's bands in that table
  std::shared_ptr<const CurvePoints> curve;  // a point curve's points
};

// The page the store shows (page, effects part) as `table` holds it, in sound mode `soundMode`.
GraphBandTable PageBandsOf(const Store& store, const RecordTable& table, int soundMode);

// The comparison of `kind` for the page the store shows: the other sound mode and the factory
// defaults come from the store itself, a file's and the last reported table from `table`.
CompareCurve MakeCompareCurve(const Store& store, CompareKind kind, const RecordTable* table,
                              const std::string& label);

// The colour of each kind: distinct from the band colours and the sum's yellow.
uint32_t CompareColour(CompareKind kind);

// The colour of the `nth` file compared with (from 0): the first has the file kind's colour,
// the next three each one of their own, so that four files drawn together stay apart.
uint32_t FileCompareColour(int nth);

// A point curve at `freqsHz`: linear in log frequency between its points, the end values held
// beyond them (0 dB for a curve without points).
std::vector<float> PointCurveRow(const CurvePoints& curve, const std::vector<double>& freqsHz);

// The summed response of every band of `bands` (the marked ones, the filters and the extra EQ
// bands) at `points`, in dB.
std::vector<float> CompareRow(const GraphBandTable& bands, int page, const FilterCalc::PointTables& points);

}  // namespace mirelune
