// SPDX-License-Identifier: GPL-3.0-or-later
// Command frames byte for byte. The expected frames are written out from the protocol's rules
// (pairs, filler, LEN, checksum with 253..255 -> 0), not computed by the code under test.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "link/frame_codec.h"
#include "model/store.h"

namespace mirelune {
namespace {

class FrameCodecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store = std::make_unique<Store>();
    store->InitDefaults();
  }
  BuiltFrame Build(int code, int mode, int address, int32_t modeOverride = 0) {
    return BuildFrame(code, mode, address, *store, modeOverride, digits);
  }
  std::unique_ptr<Store> store;
  PasswordBuffer digits{};
};

TEST_F(FrameCodecTest, EveryCommandCodeByteForByte) {
  store->ParamTable.at(0, 2590).Value = 1;
  ParamRecord& band = store->ParamTable.at(0, 0);
  band.QType = 1;
  band.SQ = 10;
  band.Freq = 100;
  band.EQDisabled = kTrue;  // 30100 on the wire
  band.Gain = 330;
  band.Q = 16;
  for (int i = 0; i < 6; ++i) digits[static_cast<size_t>(i)] = static_cast<uint8_t>(i + 1);
  for (int i = 0; i < 6; ++i) digits[static_cast<size_t>(6 + i)] = static_cast<uint8_t>(6 - i);

  struct Case {
    const char* what;
    int code, mode, address, modeOverride;
    const char* frame;
  };
  const Case cases[] = {
      {"SetParam plain, system address", SetParam, 7, 2590, 0, "FE 00 00 0A 1E 09 00 01 30"},
      {"SetParam band, disabled", SetParam, 0, 0, 0,
       "FE 00 00 00 00 0F 01 0A 78 64 01 50 00 10 55"},
      {"ReadBackGroup", ReadBackGroup, 13, 1024, 0, "FE 01 0D 04 00 09 23 23 5F"},
      {"ReadGroup", ReadGroup, 13, 1024, 0, "FE 0B 0D 04 00 09 23 23 69"},
      {"WriteGroup kind 8 with ModeOverride", WriteGroup, 3, 2048, 3,
       "FE 02 03 08 00 19 00 64 00 64 00 64 00 64 00 64 00 64 00 64 00 50 00 64 94"},
      {"SaveToMode", SaveToMode, 4, 0, 0, "FE 03 04 00 00 09 23 23 54"},
      {"ReadModeNames", ReadModeNames, 0, 0, 0, "FE 04 23 23 23 09 23 23 BA"},
      {"ReadMenuFlags", ReadMenuFlags, 0, 3, 0, "FE 05 00 03 00 09 23 23 55"},
      {"Password slot 0 check", Password, 0, 0, 0, "FE 08 00 00 00 0B 01 02 03 04 1B"},
      {"Password slot 2 change", Password, 2, 1, 0,
       "FE 08 00 02 01 13 01 02 03 04 05 06 06 05 04 03 02 01 46"},
      {"Password slot 1 log-out", Password, 1, 2, 0, "FE 08 00 01 02 09 23 23 58"},
      {"ReadStatus", ReadStatus, 0, 0, 0, "FE 09 23 23 23 09 23 23 BF"},
  };
  for (const Case& c : cases) {
    const BuiltFrame f = Build(c.code, c.mode, c.address, c.modeOverride);
    EXPECT_TRUE(f) << c.what << ": " << f.error;
    EXPECT_EQ(HexBytes(f.bytes), c.frame) << c.what;
  }
}

TEST_F(FrameCodecTest, ValuePairsAndTheirLimits) {
  struct Case {
    int32_t v;
    const char* pair;  // nullptr: must be refused
  };
  const Case cases[] = {{0, "00 00"},     {249, "00 F9"}, {250, "01 00"}, {62499, "F9 F9"},
                        {62500, nullptr}, {-1, nullptr}};
  for (const Case& c : cases) {
    std::vector<uint8_t> out;
    const bool ok = AppendValuePair(out, c.v);
    EXPECT_EQ(ok, c.pair != nullptr) << c.v;
    EXPECT_EQ(HexBytes(out), c.pair ? c.pair : "") << c.v;
    store->ParamTable.at(0, 2590).Value = c.v;
    EXPECT_EQ(static_cast<bool>(Build(SetParam, 0, 2590)), c.pair != nullptr) << c.v;
  }
}

TEST_F(FrameCodecTest, ChecksumsOf253To255AreSentAsZero) {
  // Header FE 00 00 0A 1E 09 00 sums to 303; the value byte sets the sum.
  const std::pair<int, const char*> cases[] = {
      {205, "FC"}, {206, "00"}, {207, "00"}, {208, "00"}};
  for (auto [value, checksum] : cases) {
    store->ParamTable.at(0, 2590).Value = value;
    const BuiltFrame f = Build(SetParam, 0, 2590);
    ASSERT_TRUE(f) << f.error;
    EXPECT_EQ(HexBytes({f.bytes.back()}), checksum) << value;
  }
}

TEST_F(FrameCodecTest, SearchFrameUsesThePlainSum) {
  EXPECT_EQ(HexBytes(SearchFrame()), "FE FA 23 23 23 0F 54 56 58 5F 43 54 52 4C 06");
}

TEST_F(FrameCodecTest, SoundModeAndModeByteRules) {
  store->SetCurrentSoundMode(1);
  store->ParamTable.at(1, 1024).Value = 123;
  store->ParamTable.at(0, 1024).Value = 99;
  // SetParam takes the current sound mode's record below 2048 ...
  EXPECT_EQ(HexBytes(Build(SetParam, 0, 1024).bytes), "FE 00 01 04 00 09 00 7B 87");
  // ... and byte 2 = 0 with the slot-0 record from 2048 on, whatever the sound mode.
  EXPECT_EQ(Build(SetParam, 5, 2560).bytes[2], 0);
  // Group requests above 2048 force the mode argument to 0 unless overridden.
  EXPECT_EQ(Build(ReadGroup, 5, 2560).bytes[2], 0);
  EXPECT_EQ(Build(ReadGroup, 5, 2560, 3).bytes[2], 3);
  EXPECT_EQ(Build(ReadGroup, 5, 0).bytes[2], 5);
  EXPECT_TRUE(Build(ReadGroup, 5, 0, 3).consumedModeOverride);
  EXPECT_FALSE(Build(ReadStatus, 5, 0, 3).consumedModeOverride);
  EXPECT_FALSE(Build(Password, 0, 0, 3).consumedModeOverride);
}

TEST_F(FrameCodecTest, WriteGroupTakesTheDanceSlotFromMode11) {
  // Address 15 (high-pass of kind 0) is a plain record: bytes 6.. are bands 0..14 (8 each).
  store->ReadBackTable.at(0, 15).Value = 5;
  store->ReadBackTable.at(1, 15).Value = 7;
  const size_t at = 6 + 15 * 8;
  const BuiltFrame singing = Build(WriteGroup, 2, 0);
  const BuiltFrame dance = Build(WriteGroup, 13, 0);
  ASSERT_TRUE(singing && dance);
  EXPECT_EQ(singing.bytes.size(), 7u + 15 * 8 + 2 * 2);
  EXPECT_EQ(singing.bytes[at + 1], 5);
  EXPECT_EQ(dance.bytes[at + 1], 7);
  EXPECT_EQ(dance.bytes[2], 13);
}

TEST_F(FrameCodecTest, WriteMenuFlagsSendsOnePairPerItem) {
  store->Menu.MenuHidden[2][0] = 1;
  store->Menu.MenuHidden[2][20] = 1;
  const BuiltFrame f = Build(WriteMenuFlags, 0, 2);
  ASSERT_TRUE(f) << f.error;
  const size_t items = store->Menu.MenuItemCount[2];
  ASSERT_EQ(f.bytes.size(), 7 + 2 * items);
  EXPECT_EQ(HexBytes({f.bytes.begin(), f.bytes.begin() + 10}), "FE 06 00 02 00 " +
                HexBytes({static_cast<uint8_t>(7 + 2 * items)}) + " 00 01 00 00");
  EXPECT_EQ(f.bytes[6 + 2 * 20 + 1], 1);
}

TEST_F(FrameCodecTest, FramesThatCannotBeBuiltAreRefusedWithTheReason) {
  struct Case {
    const char* what;
    std::function<void(Store&, PasswordBuffer&)> arrange;
    int code, mode, address;
    const char* mentions;
  };
  const Case cases[] = {
      {"negative value", [](Store& s, PasswordBuffer&) { s.ParamTable.at(0, 2590).Value = -3; },
       SetParam, 0, 2590, "-3"},
      {"SQ above a byte", [](Store& s, PasswordBuffer&) { s.ParamTable.at(0, 0).SQ = 300; },
       SetParam, 0, 0, "SQ 300"},
      {"SQ byte that is a frame marker",
       [](Store& s, PasswordBuffer&) { s.ParamTable.at(0, 0).SQ = 254; }, SetParam, 0, 0,
       "SQ 254"},
      {"gain too large", [](Store& s, PasswordBuffer&) { s.ParamTable.at(0, 0).Gain = 70000; },
       SetParam, 0, 0, "Gain 70000"},
      {"bad record inside a group",
       [](Store& s, PasswordBuffer&) { s.ReadBackTable.at(0, 2050).Value = -1; }, WriteGroup, 0,
       2048, "address 2050"},
      {"frame longer than 255",
       [](Store& s, PasswordBuffer&) { s.Menu.MenuItemCount[0] = 150; }, WriteMenuFlags, 0, 0,
       "longer than 255"},
      {"password digit not a digit value",
       [](Store&, PasswordBuffer& d) { d[1] = 0xFE; }, Password, 0, 0, "digit"},
      {"unknown password slot", [](Store&, PasswordBuffer&) {}, Password, 3, 0, "slot 3"},
      {"unknown command code", [](Store&, PasswordBuffer&) {}, 7, 0, 0, "unknown"},
      {"address beyond the table", [](Store&, PasswordBuffer&) {}, SetParam, 0, 3000,
       "address"},
  };
  for (const Case& c : cases) {
    SetUp();
    digits = {};
    c.arrange(*store, digits);
    const BuiltFrame f = Build(c.code, c.mode, c.address);
    EXPECT_FALSE(f) << c.what;
    EXPECT_TRUE(f.bytes.empty()) << c.what;
    EXPECT_NE(f.error.find(c.mentions), std::string::npos) << c.what << ": " << f.error;
  }
}

TEST(RecordCodec, BandRecordRoundTripsIncludingTheOffFlag) {
  ParamRecord r;
  r.Kind = kEqBand;
  r.QType = 2;
  r.SQ = 26;
  r.Freq = 362;
  r.EQDisabled = kTrue;
  r.Gain = 370;
  r.Q = 100;
  std::vector<uint8_t> bytes;
  ASSERT_EQ(AppendRecord(bytes, r, true), "");
  ParamRecord back;
  back.Kind = kEqBand;
  ASSERT_EQ(DecodeRecord(bytes.data(), bytes.size(), true, back), 8u);
  EXPECT_EQ(back, r);
  EXPECT_EQ(DecodeRecord(bytes.data(), 7, true, back), 0u);
}

}  // namespace
}  // namespace mirelune
