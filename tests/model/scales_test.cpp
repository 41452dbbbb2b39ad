// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>
#include <gtest/gtest.h>

#include <cstdint>

#include "model/scales.h"

namespace mirelune {
namespace {

TEST(Scales, TellingIndices) {
  const Scales& s = TheScales();
  const std::pair<int, float> freq[] = {{0, 17},     {1, 19.7f},   {74, 80.3f},   {95, 120},
                                        {143, 303},  {146, 321},   {148, 334},    {298, 5990},
                                        {299, 6110}, {313, 8000},  {325, 10100},  {334, 12000},
                                        {346, 15100}, {361, 20200}, {362, 20220}};
  for (auto [i, hz] : freq) EXPECT_FLOAT_EQ(s.FreqTable[i], hz) << "index " << i;
  EXPECT_EQ(s.FreqTable[363], 0.0f);
  const std::pair<int, float> q[] = {{0, 0.40f}, {10, 0.71f}, {16, 1.0f}, {26, 1.8f},
                                     {28, 2.0f}, {40, 4.0f},  {100, 128.0f}};
  for (auto [i, v] : q) EXPECT_FLOAT_EQ(s.QTable[i], v) << "index " << i;
  EXPECT_EQ(s.QTable[101], 0.0f);
}

TEST(Scales, FreqToIndexTable) {
  const std::pair<float, int> cases[] = {{10, 0},      {17, 0},      {17.1f, 1},  {19.7f, 1},
                                         {80, 74},     {20000, 361}, {20220, 362}, {30000, 362},
                                         {-5, 0},      {8000, 313}};
  for (auto [hz, idx] : cases) EXPECT_EQ(FreqToIndex(hz), idx) << hz << " Hz";
}

TEST(Scales, EveryTableEntryMapsToItsOwnIndex) {
  // Holds only if the comparison is made against the stored single-precision value.
  for (int i = 0; i <= kFreqMaxIndex; ++i) EXPECT_EQ(FreqToIndex(TheScales().FreqTable[i]), i);
  for (int i = 0; i <= kQMaxIndex; ++i) EXPECT_EQ(QToIndex(TheScales().QTable[i]), i);
}

TEST(Scales, QToIndexTable) {
  const std::pair<float, int> cases[] = {{1.0f, 16}, {0.71f, 10}, {0.3f, 0}, {200, 100}};
  for (auto [q, idx] : cases) EXPECT_EQ(QToIndex(q), idx) << q;
}

TEST(Scales, Texts) {
  EXPECT_EQ(GainText(250), "0.0");
  EXPECT_EQ(GainText(10), "-24.0");
  EXPECT_EQ(GainText(370), "12.0");
  EXPECT_EQ(GainText(255), "0.5");
  EXPECT_EQ(GainText(249), "-0.1");
  // Codes from a damaged file: no overflow on the way to dB.
  EXPECT_EQ(GainText(INT32_MIN), "-214748389.8");
  EXPECT_EQ(GainText(INT32_MAX), "214748339.7");
  EXPECT_EQ(QIndexText(16), "1.00");
  EXPECT_EQ(QIndexText(100), "128.00");
}

TEST(Scales, GainFromText) {
  const std::pair<const char*, int> cases[] = {
      {"-3.5", 215}, {"0", 250}, {"12", 370}, {" 1.2 ", 262}, {"-24", 10},
      // Halves go to even: 0.25 dB is code 252.5 -> 252, 0.75 dB is 257.5 -> 258.
      {"0.25", 252}, {"-0.25", 248}, {"0.75", 258}};
  for (auto [text, code] : cases) EXPECT_EQ(GainFromText(text), code) << text;
  int code = 7;
  EXPECT_FALSE(GainFromText("abc", code));
  EXPECT_FALSE(GainFromText("1.5dB", code));
  EXPECT_FALSE(GainFromText("", code));
  EXPECT_EQ(code, 7);
}

TEST(Scales, Clamps) {
  EXPECT_EQ(ClampGain(9), 10);
  EXPECT_EQ(ClampGain(371), 370);
  EXPECT_EQ(ClampGain(200), 200);
  EXPECT_EQ(ClampQIndex(-1), 0);
  EXPECT_EQ(ClampQIndex(101), 100);
  EXPECT_EQ(ClampSlopeIndex(27), 26);
  EXPECT_EQ(ClampSlopeIndex(-3), 0);
  int i = 100;
  EXPECT_EQ(StepUp(i), 100);
  i = 5;
  EXPECT_EQ(StepUp(i), 6);
  EXPECT_EQ(i, 6);
  i = 0;
  EXPECT_EQ(StepDown(i), 0);
  i = 3;
  EXPECT_EQ(StepDown(i), 2);
  EXPECT_EQ(i, 2);
}

TEST(Scales, ClampFreqIndexLimits) {
  struct Case {
    int index;
    bool limited;
    int kind;
    int page;
    int expected;
  };
  const Case cases[] = {
      {0, false, 1, 0, 1},     {362, false, 1, 0, 361},  // unlimited: 1..361
      {0, true, 2, 0, 0},      {0, true, 2, 3, 1},       // high-pass off only outside page 3
      {200, true, 2, 0, 143},  {362, true, 3, 0, 362},   // low-pass off on page 0
      {100, true, 3, 0, 298},  {362, true, 3, 2, 361},   {0, true, 3, 7, 1},
      {300, true, 3, 7, 143},  {0, true, 3, 5, 1},       {362, true, 3, 5, 361},
      {0, true, 1, 4, 1},      {362, true, 1, 4, 361},   {150, true, 1, 4, 150},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ClampFreqIndex(c.index, c.limited, c.kind, c.page), c.expected)
        << "index " << c.index << " limited " << c.limited << " kind " << c.kind << " page " << c.page;
}

}  // namespace
}  // namespace mirelune

// Nearest entries on the tables' logarithmic scale, the lower one on a tie; no index for what
// is not a positive number.
TEST(Scales, NearestIndexOnTheLogScale) {
  using mirelune::FreqAt;
  using mirelune::NearestFreqIndex;
  using mirelune::NearestQIndex;
  using mirelune::QAt;
  EXPECT_EQ(FreqAt(NearestFreqIndex(10156)), 10100.0f);
  EXPECT_EQ(FreqAt(NearestFreqIndex(9982)), 9890.0f);
  EXPECT_EQ(FreqAt(NearestFreqIndex(118)), 118.0f);
  EXPECT_EQ(NearestFreqIndex(5), 0);
  EXPECT_EQ(NearestFreqIndex(99999), mirelune::kFreqMaxIndex);
  EXPECT_EQ(NearestFreqIndex(1000, 10, 20), 20);
  EXPECT_EQ(NearestFreqIndex(0), -1);
  EXPECT_EQ(NearestFreqIndex(-3), -1);
  EXPECT_EQ(NearestFreqIndex(std::nan("")), -1);
  EXPECT_FLOAT_EQ(QAt(NearestQIndex(0.71, 0, 100)), 0.71f);
}
