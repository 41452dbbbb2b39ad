// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "model/scales.h"
#include "model/store.h"

namespace mirelune {
namespace {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store.InitDefaults(); }
  const ParamRecord& P(int slot, int a) const { return store.ParamTable.at(slot, a); }
  Store store;
};

TEST_F(StoreTest, KindRanges) {
  const int starts[] = {0, 256, 512, 768, 1024, 1280, 1536, 1792, 2048, 2304, 2560};
  const int ends[] = {16, 276, 532, 810, 1048, 1301, 1555, 1817, 2056, 2312, 2599};
  for (int k = 0; k < kKindCount; ++k) {
    EXPECT_EQ(store.KindStart[k], starts[k]);
    EXPECT_EQ(store.KindEnd[k], ends[k]);
    // Every address of a kind is initialised, and the one after the end is not.
    for (int a = starts[k]; a <= ends[k]; ++a) EXPECT_EQ(P(0, a).Valid, kTrue) << a;
    EXPECT_EQ(P(0, ends[k] + 1).Valid, kFalse) << ends[k] + 1;
  }
}

TEST_F(StoreTest, StartUpContentSamples) {
  struct Case {
    int slot, address, kind, value;
    int16_t perMode;
  };
  const Case cases[] = {
      {0, 15, kHighPass, 0, kTrue},      {0, 16, kLowPass, 362, kTrue},
      {0, 256, kHighPass, 74, kFalse},   {0, 272, kPlain, 0, kFalse},
      {0, 276, kPlain, 100, kFalse},     {1, 532, kPlain, 100, kFalse},
      {0, 771, kPlain, 313, kFalse},     {0, 774, kHighPass, 95, kFalse},
      {0, 775, kLowPass, 325, kFalse},   {0, 782, kLowPass, 334, kFalse},
      {0, 786, kPlain, 346, kFalse},     {0, 788, kPlain, 500, kFalse},
      {0, 810, kPlain, 2, kFalse},       {2, 1027, kPlain, 100, kTrue},
      {0, 1028, kPlain, 80, kFalse},     {0, 1031, kHighPass, 1, kTrue},
      {0, 1042, kPlain, 140, kFalse},    {0, 1048, kPlain, 100, kTrue},
      {0, 1301, kPlain, 100, kTrue},     {0, 1540, kPlain, 80, kFalse},
      {0, 1555, kPlain, 100, kTrue},     {0, 1795, kPlain, 30, kFalse},
      {0, 1801, kLowPass, 0, kTrue},     {0, 1802, kLowPass, 146, kTrue},
      {0, 1813, kPlain, 1, kFalse},      {0, 2055, kPlain, 80, kFalse},
      {0, 2560, kPlain, 20, kFalse},     {0, 2572, kPlain, 2, kFalse},
      {0, 2596, kPlain, 0, kFalse},      {0, 2597, kPlain, 1, kFalse},
      {0, 2599, kPlain, 0, kFalse},
  };
  for (const Case& c : cases) {
    const ParamRecord& r = P(c.slot, c.address);
    EXPECT_EQ(r.Kind, c.kind) << c.address;
    EXPECT_EQ(r.Value, c.value) << c.address;
    EXPECT_EQ(r.PerMode, c.perMode) << c.address;
  }
}

TEST_F(StoreTest, EqBandsAndStartUpCurve) {
  // Band frequencies follow the lists; the start-up curve is in slot 0 only.
  EXPECT_EQ(P(0, 0).Freq, FreqToIndex(25));
  EXPECT_EQ(P(0, 14).Freq, FreqToIndex(16000));
  EXPECT_EQ(P(0, 1803).Freq, FreqToIndex(25));  // five-band sub-woofer list
  EXPECT_EQ(P(0, 776).Freq, FreqToIndex(60));
  EXPECT_EQ(P(0, 1032).Freq, FreqToIndex(32));
  EXPECT_EQ(P(0, 0).Q, 16);
  EXPECT_EQ(P(0, 0).SQ, 10);
  EXPECT_EQ(P(0, 0).Kind, kEqBand);
  const std::pair<int, int> curve[] = {{0, 330}, {2, 350}, {7, 400}, {9, 60}, {11, 320}, {14, 300}, {1, 250}};
  for (auto [a, g] : curve) EXPECT_EQ(P(0, a).Gain, g) << a;
  EXPECT_EQ(P(1, 0).Gain, 250);
  EXPECT_EQ(P(2, 0).Gain, 250);
}

TEST_F(StoreTest, SlotZeroOnlyKindsAndReadBack) {
  for (int a = 2048; a < kAddressCount; ++a) {
    EXPECT_EQ(P(1, a), ParamRecord{}) << a;
    EXPECT_EQ(P(2, a), ParamRecord{}) << a;
  }
  for (int a = 0; a < kAddressCount; ++a) {
    EXPECT_EQ(store.ReadBackTable.at(0, a), P(0, a));
    EXPECT_EQ(store.ReadBackTable.at(1, a), P(1, a));
    EXPECT_EQ(store.ReadBackTable.at(2, a), ParamRecord{});
  }
}

TEST_F(StoreTest, SoundModeMirroredAtSystemAddress) {
  EXPECT_EQ(MakeAddress(10, 0x1E), 2590);
  store.SetCurrentSoundMode(1);
  EXPECT_EQ(P(0, 2590).Value, 1);
  EXPECT_EQ(store.SlotFor(100), 1);
  EXPECT_EQ(store.SlotFor(2590), 0);
}

TEST_F(StoreTest, CopyCommonToDanceLeavesPerModeAlone) {
  store.ParamTable.at(0, 0).Gain = 111;     // PerMode
  store.ParamTable.at(0, 1028).Value = 55;  // common
  Store::CopyCommonToDance(store.ParamTable);
  EXPECT_EQ(P(1, 0).Gain, 250);
  EXPECT_EQ(P(1, 1028).Value, 55);
}

TEST_F(StoreTest, BypassAddressOfPage) {
  const std::tuple<int, int, int> cases[] = {{0, 0, 2582}, {7, 0, 2589}, {3, 0, 2598}, {3, 1, 2599}, {3, 2, 2585}};
  for (auto [page, sub, addr] : cases) {
    store.CurrentPage = page;
    store.EffectSubPage = static_cast<uint8_t>(sub);
    EXPECT_EQ(store.BypassAddress(), addr);
  }
}

TEST(AddressFromTag, Cases) {
  const std::pair<const char*, int> cases[] = {
      {"Group,3,&H12", 786}, {"EQ,7,11", 1803}, {"Common,10,&H1E", 2590},
      {"EQ,7", -1},          {"EQ,7,11,2", -1}, {"&HA10", -1}, {"", -1}, {"EQ,x,1", -1}};
  for (auto [tag, addr] : cases) EXPECT_EQ(AddressFromTag(tag), addr) << tag;
}

TEST(RecordTable, OutOfRangeAccessIsRefused) {
  RecordTable t;
  EXPECT_THROW(t.at(3, 0), std::out_of_range);
  EXPECT_THROW(t.at(0, 3000), std::out_of_range);
  EXPECT_THROW(t.at(-1, 0), std::out_of_range);
}

}  // namespace
}  // namespace mirelune
