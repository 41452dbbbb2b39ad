// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>

#include "model/param_ranges.h"
#include "model/store.h"

namespace mirelune {
namespace {

TEST(ParamRanges, RangeOfAddresses) {
  struct Case {
    int address;
    int32_t low, high;
    bool mute;
  };
  const Case cases[] = {
      {1028, 0, 80, false},     // main output volume (value type 0, max 80)
      {2560, 0, 80, false},     // the master volumes: style 6 keeps no mute in the value
      {2562, 0, 80, false},
      {0, 10, 370, false},      // an EQ band: gain codes
      {1807, 10, 370, false},
      {272, 0, 400, false},     // threshold: 400 - position, falling
      {1042, 0, 400, false},
      {273, 10, 190, false},    // ratio
      {276, 0, 200, true},      // volume 0..200 % with the mute icon
      {1048, 0, 200, false},    // the same value type as style 7: no mute in the value
      {16, 298, 362, false},    // low-pass frequency up to OFF
      {512, 0, 148, false},
      {790, 25, 75, false},
      {2576, 0, kEncodableMax, false},  // a mute button: no slider
      {2999, 0, kEncodableMax, false},
  };
  for (const Case& c : cases) {
    const ParamRange r = RangeOf(c.address);
    EXPECT_EQ(r.low, c.low) << c.address;
    EXPECT_EQ(r.high, c.high) << c.address;
    EXPECT_EQ(r.muteInValue, c.mute) << c.address;
  }
}

TEST(ParamRanges, ContainsAndText) {
  const ParamRange volume = RangeOf(1028);
  for (long long v : {0LL, 80LL}) EXPECT_TRUE(volume.Contains(v)) << v;
  for (long long v : {-1LL, 81LL, 330LL, 4294967301LL}) EXPECT_FALSE(volume.Contains(v)) << v;
  EXPECT_EQ(volume.Text(), "0..80");

  const ParamRange muted = RangeOf(276);
  for (long long v : {0LL, 200LL, 250LL, 450LL}) EXPECT_TRUE(muted.Contains(v)) << v;
  for (long long v : {201LL, 249LL, 451LL}) EXPECT_FALSE(muted.Contains(v)) << v;
  EXPECT_EQ(muted.Text(), "0..200 or 250..450 (muted)");
}

// The table is hand-made from the control list: every address it names must be a parameter of
// the start-up content, named once, and its start-up value must be one the control can show -
// but for the start-up curve's band 8, which lies beyond its strip on purpose.
TEST(ParamRanges, TableAgreesWithTheStartUpContent) {
  Store store;
  store.InitDefaults();
  const std::set<int> beyondTheirControls = {
      7,     // the start-up curve's band 8 at gain code 400 (+15 dB; the strip shows +12)
  };
  std::set<int> seen;
  for (const SliderRange& s : SliderRanges()) {
    ASSERT_GT(s.count, 0);
    for (int a = s.address; a < s.address + s.count; ++a) {
      EXPECT_TRUE(seen.insert(a).second) << "address " << a << " listed twice";
      const ParamRecord& r = store.ParamTable.at(0, a);
      EXPECT_EQ(r.Valid, kTrue) << "address " << a << " is no parameter";
      const ParamRange range = RangeOf(a);
      EXPECT_LE(range.high, kEncodableMax) << a;
      if (beyondTheirControls.count(a)) continue;
      if (r.Kind == kEqBand) {
        EXPECT_EQ(s.valueType, 15) << "band address " << a << " without a band strip";
        EXPECT_TRUE(range.Contains(r.Gain)) << a << " gain " << r.Gain;
      } else {
        EXPECT_NE(s.valueType, 15) << "plain address " << a << " with a band strip";
        EXPECT_TRUE(range.Contains(r.Value)) << a << " value " << r.Value << " outside "
                                             << range.Text();
      }
    }
  }
  EXPECT_EQ(seen.size(), 184u) << "MyScrollBar(0..183): the three master volumes and the pages' sliders";
}

}  // namespace
}  // namespace mirelune
