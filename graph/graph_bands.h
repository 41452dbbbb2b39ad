// SPDX-License-Identifier: GPL-3.0-or-later
// The list of graph bands of the page shown, built from the parameter store.
#pragma once

#include <array>
#include <vector>

#include "graph/graph_band.h"
#include "model/store.h"

namespace mirelune {

class BandSliderSink;

struct GraphBandTable {
  std::array<GraphBand, kMaxGraphBands> bands{};
  int count = 0;
  bool locked = false;  // the sub-woofer automatic control owns this graph
  // The page's EQ bands without a marker, in address order: the amplifier applies them, so the
  // sum, the fit of a filter set and the report count them.
  std::array<GraphBand, kMaxExtraEqBands> extra{};
  int extraCount = 0;
};

// Every EQ band of the page, the marked ones first (graph order), then the extra ones.
std::vector<const GraphBand*> PageEqBands(const GraphBandTable& table);

// The page's address range: KindStart..KindEnd of the page, narrowed on the effects page (3) to
// the echo, reverb or output part by EffectSubPage. Empty (first > last) for a page that is no
// menu kind.
struct AddressRange {
  int first = 0;
  int last = -1;
};
AddressRange GraphAddressRange(const Store& store);

// Up to 15 EQ bands in address order, then the high-pass filters, then the low-pass filters
// (17 at most); further EQ bands of the page go to `extra`. Kinds are read from slot 0, values from the current sound mode. Two neighbouring
// records of one filter kind are a type/frequency pair. When `sliders` is given, the strips are
// re-bound: every EQindex text is cleared, each band's strip gets its band number and values.
// `table` keeps its entries beyond `count` from earlier builds apart from Hidden and Number.
void BuildGraphBands(const Store& store, BandSliderSink* sliders, GraphBandTable& table);

}  // namespace mirelune
