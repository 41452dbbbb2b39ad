// SPDX-License-Identifier: GPL-3.0-or-later
// The assignments of `set`, parameter names and script lines, checked without an amplifier.
#include <gtest/gtest.h>

#include "cli/assignments.h"
#include "model/param_ranges.h"

namespace mirelune::cli {
namespace {

TEST(ResolveParam, NumbersAndMenuNames) {
  struct Case {
    const char* text;
    int address;  // -1: refused
    const char* errorPart;
  };
  const Case cases[] = {
      {"1028", 1028, ""},
      {"0x404", 1028, ""},
      {"4:音乐音量", 1024, ""},
      {"0:EQ1", 0, ""},
      {"7:超低音相位", 7 * 256 + 6, ""},
      {"超低音相位", 7 * 256 + 6, ""},       // one item of that name
      {"中置通道延时", 6 * 256 + 0x12, ""},  // hexadecimal menu address
      {"音乐音量", -1, "several"},           // kinds 0..4 all have one
      {"EQ1", -1, "several"},
      {"4:超低音相位", -1, "no parameter named"},
      {"12:EQ1", -1, "no menu kind"},
      {"音乐", -1, "no parameter named"},
      {"1028x", -1, "no parameter named"},
      {"4294968324", -1, "no parameter at address"},  // 1028 + 2^32, not wrapped
      {"-1", -1, "no parameter at address"},
  };
  for (const Case& c : cases) {
    int address = -7;
    std::string error;
    const bool ok = ResolveParam(c.text, address, error);
    EXPECT_EQ(ok, c.address >= 0) << c.text << ": " << error;
    if (ok) {
      EXPECT_EQ(address, c.address) << c.text;
    } else {
      EXPECT_NE(error.find(c.errorPart), std::string::npos) << c.text << ": " << error;
    }
  }
}

TEST(ResolveParam, EveryNamedItemGivesItsNameBack) {
  // ParamName is what get --json prints; it must name the address ResolveParam finds.
  for (int address : {0, 16, 256, 276, 1024, 1028, 7 * 256 + 6, 6 * 256 + 0x12, 8 * 256 + 7, 2590, 2599}) {
    const std::string name = ParamName(address);
    ASSERT_FALSE(name.empty()) << address;
    int back = -1;
    std::string error;
    ASSERT_TRUE(ResolveParam(name, back, error)) << name << ": " << error;
    EXPECT_EQ(back, address) << name;
  }
  EXPECT_EQ(ParamName(1028), "4:左通道音量");
  EXPECT_EQ(ParamName(2590), "10:声音模式");  // the system kind has no menu, but names
  EXPECT_EQ(ParamName(256), "1:高通滤波器频点");  // the store's layout, not the catalogue's
  EXPECT_EQ(ParamName(276), "1:话筒音量");
  EXPECT_EQ(ParamName(17), "");
}

TEST(ResolveParams, ANameMayTakeSeveralWords) {
  struct Case {
    std::vector<std::string> words;
    std::vector<int> addresses;  // empty: refused
    const char* errorPart;
  };
  const Case cases[] = {
      {{"Music", "master", "volume", "1028"}, {2560, 1028}, ""},
      {{"8:Music", "volume", "L", "1028"}, {2048, 1028}, ""},
      {{"1028", "0x405", "4:音乐音量"}, {1028, 1029, 1024}, ""},
      {{"Music", "nothing"}, {}, "no parameter named 'Music'"},
      {{"1028", "x"}, {}, "no parameter named 'x'"},
  };
  for (const Case& c : cases) {
    std::vector<int> addresses;
    std::string error;
    const bool ok = ResolveParams(c.words, addresses, error);
    EXPECT_EQ(ok, !c.addresses.empty()) << c.words[0] << ": " << error;
    if (ok)
      EXPECT_EQ(addresses, c.addresses) << c.words[0];
    else
      EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
  }
}

TEST(ParseSet, EveryFormGivesTheSameAssignments) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::pair<int, std::string>> expected;  // address, value or band fields
  };
  const Case cases[] = {
      {{"1028", "70"}, {{1028, "70"}}},
      {{"1028=70"}, {{1028, "70"}}},
      {{"1028=70", "1029=70", "0:gain=300"}, {{1028, "70"}, {1029, "70"}, {0, "gain=300"}}},
      {{"0=gain=300,q=20"}, {{0, "gain=300,q=20"}}},
      {{"0", "gain=300,q=20"}, {{0, "gain=300,q=20"}}},
      {{"0:EQ1:gain=300"}, {{0, "gain=300"}}},
      {{"4:音乐音量=70", "0x404=5"}, {{1024, "70"}, {1028, "5"}}},
      {{"4:音乐音量", "70"}, {{1024, "70"}}},
      // An English name written without quotes, its words joined up to the '=' or the value.
      {{"Music", "master", "volume=25"}, {{2560, "25"}}},
      {{"Music", "master", "volume", "25"}, {{2560, "25"}}},
      {{"1028=70", "Music", "master", "volume=25", "1029=70"}, {{1028, "70"}, {2560, "25"}, {1029, "70"}}},
      {{"1:High-pass", "frequency=80 Hz"}, {{256, "74"}}},
  };
  for (const Case& c : cases) {
    SetRequest req;
    std::string error;
    ASSERT_TRUE(ParseSet(c.args, req, error)) << c.args[0] << ": " << error;
    ASSERT_EQ(req.assignments.size(), c.expected.size()) << c.args[0];
    for (size_t i = 0; i < c.expected.size(); ++i) {
      const Assignment& a = req.assignments[i];
      EXPECT_EQ(a.address, c.expected[i].first) << c.args[0];
      EXPECT_EQ(a.band ? a.bandFields : std::to_string(a.plain), c.expected[i].second)
          << c.args[0];
    }
  }
}

TEST(ParseSet, OneBadAssignmentRefusesTheWholeCommand) {
  struct Case {
    std::vector<std::string> args;
    const char* errorPart;
  };
  const Case cases[] = {
      {{"1028=70", "1029=81"}, "outside the range of address 1029"},
      {{"1028=70", "0:gain=401"}, "gain 401 outside 10..400"},
      {{"1028=70", "0:volume=3"}, "no parameter named"},
      {{"0=loud"}, "bad band field"},
      {{"1028=70", "1029"}, "not PARAM=VALUE"},
      {{"=70"}, "not PARAM=VALUE"},
      {{"1028=7x"}, "wrong unit 'x' (0 … 80)"},
      {{"1028=seven"}, "whole number for address 1028 or a value with its unit (0 … 80)"},
      {{"256=500 Hz"}, "out of range: OFF, 19.7 … 303 Hz"},
      {{"256=80 ms"}, "wrong unit"},
      {{"1028=70", "--sound-mode", "2"}, "--sound-mode must be 0 or 1"},
      {{"1028=70", "--loud"}, "unknown option"},
      {{"音乐音量=70"}, "several"},
      {{}, "usage"},
  };
  for (const Case& c : cases) {
    SetRequest req;
    std::string error;
    EXPECT_FALSE(ParseSet(c.args, req, error)) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
  }
}

TEST(ParseSet, TheMutedFormOfAVolumeIsInItsRange) {
  SetRequest req;
  std::string error;
  const ParamRange r = RangeOf(276);
  ASSERT_TRUE(r.muteInValue);
  ASSERT_TRUE(ParseSet({"276=" + std::to_string(r.high + kMuteInValue), "--sound-mode", "1"}, req,
                       error))
      << error;
  EXPECT_TRUE(req.hasSound);
  EXPECT_EQ(req.sound, 1);
  EXPECT_EQ(req.assignments.at(0).plain, r.high + kMuteInValue);
}

TEST(SplitScriptLine, WordsQuotesAndComments) {
  struct Case {
    const char* line;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"set 1028=70 1029=70\r", {"set", "1028=70", "1029=70"}},
      {"  # a comment", {}},
      {"", {}},
      {"get 1028 # the volume", {"get", "1028"}},
      {"read-mode 1 -o \"my mode.sp\"", {"read-mode", "1", "-o", "my mode.sp"}},
      {"dump 'a#b.sp'", {"dump", "a#b.sp"}},
      {"dump a#b.sp", {"dump", "a#b.sp"}},
      {"\tset\t4:音乐音量=70", {"set", "4:音乐音量=70"}},
      {"dump \"\"", {"dump", ""}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> words{"stale"};
    std::string error;
    ASSERT_TRUE(SplitScriptLine(c.line, words, error)) << c.line << ": " << error;
    EXPECT_EQ(words, c.words) << c.line;
  }
  std::vector<std::string> words;
  std::string error;
  EXPECT_FALSE(SplitScriptLine("dump \"a.sp", words, error));
  EXPECT_NE(error.find("unterminated"), std::string::npos);
}

}  // namespace
}  // namespace mirelune::cli
