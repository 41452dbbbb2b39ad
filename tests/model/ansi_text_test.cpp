// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "model/ansi_text.h"

namespace mirelune {
namespace {

TEST(AnsiText, GbkRoundTripOfModeNames) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(TextToBytes("模式1", bytes), 5u);  // two double-byte characters and one digit
  EXPECT_EQ(bytes[0], 0xC4);                  // 模 = C4 A3 in GBK, high byte first
  EXPECT_EQ(bytes[1], 0xA3);
  EXPECT_EQ(bytes[4], '1');
  EXPECT_EQ(BytesToText(bytes, 0), "模式1");
}

TEST(AnsiText, BytesToTextStopsAtZeroAndTwelveBytes) {
  std::vector<uint8_t> b(30, 'A');
  EXPECT_EQ(BytesToText(b, 0), "AAAAAAAAAAAA");
  b[14] = 0;
  EXPECT_EQ(BytesToText(b, 12), "AA");
  b[24] = 0;
  EXPECT_EQ(BytesToText(b, 24), "");
  EXPECT_EQ(BytesToText(b, 29), "A");  // short tail at the end of the buffer
}

TEST(AnsiText, FitText) {
  EXPECT_EQ(FitText("ab", 5), "ab   ");
  EXPECT_EQ(FitText("模式", 6), "模式  ");  // 4 GBK bytes, padded to 6
  EXPECT_EQ(FitText("abcdefg", 3), "abc");
  EXPECT_EQ(FitText("模式模式", 2), "模式");  // first n characters
}

TEST(AnsiText, DigitsAndPick) {
  std::vector<uint8_t> d(21, 9);
  TextToDigits("0427", d, 6);
  EXPECT_EQ(d[5], 9);
  EXPECT_EQ(d[6], 0);
  EXPECT_EQ(d[7], 4);
  EXPECT_EQ(d[9], 7);
  TextToDigits("1234567890", d, 18);  // runs past the buffer: dropped, no overflow
  EXPECT_EQ(d[20], 3);
  std::string second;
  EXPECT_EQ(PickText("a", second), "a");
  EXPECT_EQ(second, "a");
  second = "b";
  PickText("a", second);
  EXPECT_EQ(second, "b");
}

TEST(AnsiText, MalformedUtf8CostsOnlyItsOwnBytes) {
  const std::string mo = Utf8ToAnsi("模");  // C4 A3
  const std::string shi = Utf8ToAnsi("式");
  ASSERT_EQ(mo, "\xC4\xA3");
  const std::pair<std::string, std::string> cases[] = {
      {"\xE4" "AB", "?AB"},                    // a lead byte with no continuation
      {"A\xE4\xB8" "B", "A?B"},                // a cut three-byte character: one '?'
      {"\x80x", "?x"},                          // a stray continuation byte
      {"\xC0\xAFx", "??x"},                     // overlong form: neither byte starts a character
      {"\xED\xA0\x80x", "?" "??x"},             // a surrogate: ED takes only 80..9F after it
      {"\xF0\x9F\x98\x80x", "?x"},              // well formed, but not in GBK: one '?'
      {"模\xE5式", mo + "?" + shi},
      {"式\xF0", shi + "?"},                     // cut at the very end
  };
  for (const auto& [utf8, ansi] : cases) EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << utf8;
}

TEST(AnsiText, ReplySafeAnsiReplacesWholeCharactersHoldingFeOrFf) {
  const std::pair<std::string, std::string> cases[] = {
      {"Mode 1", "Mode 1"},
      {"\xC4\xA3" "1", "\xC4\xA3" "1"},        // 模1 has neither byte
      {"\xFE\x50" "A", "?A"},                  // FE as lead byte
      {"A\x81\xFE" "B", "A?B"},                 // FE as trail byte: the lead goes with it
      {"\xFF" "C", "?C"},
      {"\xC4\xFF", "?"},                       // a lead byte with FF as its trail
      {"AB\xFE", "AB?"},                        // a lead byte cut at the end
  };
  for (const auto& [in, out] : cases) {
    const std::string safe = ReplySafeAnsi(in);
    EXPECT_EQ(safe, out) << in;
    EXPECT_EQ(safe.find_first_of("\xFE\xFF"), std::string::npos);
  }
}

}  // namespace
}  // namespace mirelune
