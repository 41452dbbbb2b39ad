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

}  // namespace
}  // namespace mirelune
