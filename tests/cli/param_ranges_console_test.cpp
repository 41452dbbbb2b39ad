// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter ranges `set` checks against are the console's: every slider the pages and the
// top bar build has the value type, maximum and mute rule the range table gives its address,
// and the table names no address the window leaves unbound.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "controls/value_type.h"
#include "model/param_ranges.h"
#include "model/store.h"
#include "ui/pages/page_table.h"
#include "ui/pages/system_buttons_table.h"

namespace mirelune {
namespace {

struct Built {
  controls::SliderSetup setup;
  std::string tag;
};

std::map<int, Built> ConsoleSliders() {
  std::map<int, Built> out;
  for (int page = 0; page < ui::kPageCount; ++page)
    for (const ui::SliderEntry& e : ui::PageSliders(page))
      out[AddressFromTag(e.tag.toStdString())] = {e.setup, e.tag.toStdString()};
  for (const ui::MasterSliderEntry& m : ui::MasterSliders())
    out[AddressFromTag(m.tag.toStdString())] = {m.setup, m.tag.toStdString()};
  return out;
}

TEST(ParamRangesOfTheConsole, EverySliderHasItsRange) {
  const std::map<int, Built> sliders = ConsoleSliders();
  auto console = std::make_unique<Store>();
  console->InitDefaults();
  for (const auto& [address, b] : sliders) {
    ASSERT_GE(address, 0) << b.tag;
    const controls::SliderSetup& s = b.setup;
    // Styles 0 and 1 force their value type and maximum; the mute flag travels in the value
    // for style 0 and for the sliders with the mute icon.
    const int type = s.ScrollBarType == 1 ? 15 : s.ScrollBarType == 0 ? 10 : s.ValueType;
    const int max = s.ScrollBarType == 1 ? 360 : s.ScrollBarType == 0 ? 150 : s.MaxValue;
    const bool mute = s.ScrollBarType == 0 || s.HScrollSize == 3;
    const ParamRange r = RangeOf(address);
    EXPECT_EQ(r.muteInValue, mute) << b.tag;
    // The slider's own mapping, position by position, spans exactly the table's range.
    float lo = controls::ValueFromPosition(type, 0), hi = lo;
    for (int p = 0; p <= max; ++p) {
      const float v = controls::ValueFromPosition(type, p);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
      EXPECT_EQ(static_cast<int32_t>(v), ValueAtPosition(type, p)) << b.tag << " position " << p;
    }
    EXPECT_EQ(r.low, static_cast<int32_t>(lo)) << b.tag;
    EXPECT_EQ(r.high, static_cast<int32_t>(hi)) << b.tag;
    // The slider reaches what the console starts with (the sub-woofer's low-pass starts at
    // index 146): a value beyond its travel would show at the end stop and be lost at a touch.
    for (int slot = 0; slot < 2; ++slot) {
      const ParamRecord& start = console->ParamTable.at(slot, address);
      if (start.Kind == kEqBand) continue;
      EXPECT_TRUE(r.Contains(start.Value)) << b.tag << " starts at " << start.Value << ", beyond " << r.Text();
    }
  }
  for (const SliderRange& row : SliderRanges())
    for (int a = row.address; a < row.address + row.count; ++a)
      EXPECT_EQ(sliders.count(a), 1u) << "address " << a << " has a range but no console slider";
}

}  // namespace
}  // namespace mirelune
