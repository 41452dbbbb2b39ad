// SPDX-License-Identifier: GPL-3.0-or-later
// Filter-set texts of measurement programs: files of the kinds installers bring (REW's filter
// export with its header and Windows line ends, Equalizer APO configurations with comments, a
// comma-decimal export), the lines that must be refused and how, the writer read back, and the
// cookbook's shelf relations the parser converts with.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "model/filter_set.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;
using Kind = FilterSetError::Kind;

// What a test expects of one parsed filter; NaN: "not given".
struct Want {
  int line;
  int number;
  bool on;
  FilterType type;
  const char* typeText;
  double freqHz;
  double gainDb;
  double q;
  double slopeDb;
};

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

void ExpectFilter(const Filter& f, const Want& w) {
  SCOPED_TRACE(f.source);
  EXPECT_EQ(f.line, w.line);
  EXPECT_EQ(f.number, w.number);
  EXPECT_EQ(f.on, w.on);
  EXPECT_EQ(f.type, w.type);
  EXPECT_EQ(f.typeText, w.typeText);
  EXPECT_EQ(f.hasFreq, !std::isnan(w.freqHz));
  if (f.hasFreq) {
    EXPECT_DOUBLE_EQ(f.freqHz, w.freqHz);
  }
  EXPECT_EQ(f.hasGain, !std::isnan(w.gainDb));
  if (f.hasGain) {
    EXPECT_DOUBLE_EQ(f.gainDb, w.gainDb);
  }
  EXPECT_EQ(f.hasQ, !std::isnan(w.q));
  if (f.hasQ) {
    EXPECT_NEAR(f.q, w.q, 1e-9);
  }
  EXPECT_DOUBLE_EQ(f.slopeDb, std::isnan(w.slopeDb) ? 0.0 : w.slopeDb);
}

struct FileCase {
  const char* name;
  std::string text;
  bool hasPreamp;
  double preampDb;
  std::vector<Want> filters;
};

// Files of our own making, written the way the programs write them.
std::vector<FileCase> AcceptedFiles() {
  return {
      {"rew_export_crlf",
       "Filter Settings file\r\n\r\nRoom EQ V5.20\r\nDated: 12-Mar-2024 10:42:25\r\n\r\n"
       "Notes: seat 2, sub + mains # averaged\r\n\r\nEqualiser: Generic\r\nAverages: 4\r\n"
       "Filter  1: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  2.00\r\n"
       "Filter  2: ON  LS       Fc    100 Hz  Gain   3.5 dB\r\n"
       "Filter  3: ON  HS 12dB  Fc   8000 Hz  Gain  -2.0 dB\r\n"
       "Filter  4: ON  LSC      Fc    120 Hz  Gain   4.0 dB  Q  0.71\r\n"
       "Filter  5: OFF None\r\n"
       "Filter  6: ON  HP       Fc     25 Hz\r\n"
       "Filter  7: ON  NO       Fc   1000 Hz\r\n"
       "Filter  8: ON  Modal    Fc   45.0 Hz  Gain  -6.0 dB  Q  8.000  T60 target  300 ms\r\n"
       "Filter  9: OFF PK       Fc    250 Hz  Gain  -1.0 dB  Q  1.00\r\n",
       false,
       0,
       {{10, 1, true, FilterType::Peaking, "PK", 63.0, -3.0, 2.0, kNone},
        {11, 2, true, FilterType::LowShelf, "LS", 100, 3.5, kNone, kNone},
        {12, 3, true, FilterType::HighShelf, "HS 12dB", 8000, -2.0, kNone, 12},
        {13, 4, true, FilterType::LowShelf, "LSC", 120, 4.0, 0.71, kNone},
        {14, 5, false, FilterType::None, "None", kNone, kNone, kNone, kNone},
        {15, 6, true, FilterType::HighPass, "HP", 25, kNone, kNone, kNone},
        {16, 7, true, FilterType::Notch, "NO", 1000, kNone, kNone, kNone},
        {17, 8, true, FilterType::Unknown, "Modal", 45, -6, 8, kNone},
        {18, 9, false, FilterType::Peaking, "PK", 250, -1, 1, kNone}}},
      {"apo_config_with_comments",
       "# room correction, left and right alike\n"
       "Preamp: -6.5 dB\n"
       "Filter: ON PK Fc 100 Hz Gain -3 dB Q 1.41   # the big one\n"
       "Filter 2: ON LSC 9.0 dB Fc 300 Hz Gain 5.0 dB\n"
       "filter 3: on pk fc 1000hz gain -2db bw oct 1.0\n"
       "Filter4: ON HSC Fc 6000 Hz Gain +1.5 dB Q 0.9\n"
       "Preamp: -0.5 dB\n"
       "Filter 5: ON XO Fc 80 Hz\n",
       true,
       -7.0,
       {{3, 0, true, FilterType::Peaking, "PK", 100, -3, 1.41, kNone},
        {4, 2, true, FilterType::LowShelf, "LSC 9.0dB", 300, 5, kNone, 9},
        {5, 3, true, FilterType::Peaking, "pk", 1000, -2, std::sqrt(2.0), kNone},
        {6, 4, true, FilterType::HighShelf, "HSC", 6000, 1.5, 0.9, kNone},
        {8, 5, true, FilterType::Unknown, "XO", 80, kNone, kNone, kNone}}},
      {"comma_decimals_and_byte_order_mark",
       "\xEF\xBB\xBF"
       "Filter 1: ON PK Fc 63,5 Hz Gain -3,5 dB Q 1,41\n"
       "Filter 2: ON HS 6dB Fc 10000 Hz Gain -1,25 dB",
       false,
       0,
       {{1, 1, true, FilterType::Peaking, "PK", 63.5, -3.5, 1.41, kNone},
        {2, 2, true, FilterType::HighShelf, "HS 6dB", 10000, -1.25, kNone, 6}}},
      {"frequencies_in_khz",
       "Filter 1: ON PK Fc 1,5 kHz Gain -2 dB Q 1\n"
       "Filter 2: ON PK Fc 2.25kHz Gain 1 dB Q 2\n"
       "Filter 3: ON HS Fc 12 KHz Gain -3 dB\n"
       "Filter 4: ON PK Fc 1,0005 kHz Gain 1 dB Q 1\n"  // four decimals: no thousands
       "Filter 5: ON PK Fc 2kHz Gain -1 dB Q 1\n",
       false,
       0,
       {{1, 1, true, FilterType::Peaking, "PK", 1500, -2, 1, kNone},
        {2, 2, true, FilterType::Peaking, "PK", 2250, 1, 2, kNone},
        {3, 3, true, FilterType::HighShelf, "HS", 12000, -3, kNone, kNone},
        {4, 4, true, FilterType::Peaking, "PK", 1000.5, 1, 1, kNone},
        {5, 5, true, FilterType::Peaking, "PK", 2000, -1, 1, kNone}}},
      {"preamp_only", "Preamp: 0 dB\n", true, 0, {}},
  };
}

TEST(FilterSet, ReadsTheFilesInstallersBring) {
  for (const FileCase& c : AcceptedFiles()) {
    SCOPED_TRACE(c.name);
    FilterSet set;
    FilterSetError error;
    ASSERT_TRUE(ParseFilterSet(c.text, set, error)) << error.Text();
    EXPECT_EQ(set.hasPreamp, c.hasPreamp);
    EXPECT_DOUBLE_EQ(set.preampDb, c.preampDb);
    ASSERT_EQ(set.filters.size(), c.filters.size());
    for (size_t i = 0; i < c.filters.size(); ++i) ExpectFilter(set.filters[i], c.filters[i]);
  }
}

struct RefusedCase {
  const char* text;
  Kind kind;
  int line;
  const char* detail;
};

TEST(FilterSet, RefusesWithTheLineAndTheReason) {
  const std::string header = "Filter Settings file\r\n\r\nNotes:\r\n";  // lines 1..3
  const RefusedCase cases[] = {
      {"", Kind::NoFilters, 0, ""},
      {"Filter Settings file\nRoom EQ V5.20\n# nothing else\n", Kind::NoFilters, 0, ""},
      {"Filter 3 ON PK Fc 100 Hz Gain -1 dB Q 1\n", Kind::NoColon, 4, ""},
      {"Channel: L\n", Kind::Command, 4, "Channel"},
      {"Include: other.txt\n", Kind::Command, 4, "Include"},
      {"Filter 1: PK Fc 100 Hz Gain -1 dB Q 1\n", Kind::NoOnOff, 4, ""},
      {"Filter 1: ON\n", Kind::NoType, 4, ""},
      {"Filter 1: ON PK Fc abc Hz Gain -1 dB Q 1\n", Kind::BadNumber, 4, "abc"},
      {"Filter 1: ON PK Fc 100 Hz Gain 1.000,5 dB Q 1\n", Kind::BadNumber, 4, "1.000,5"},
      // A thousands separator or a decimal comma: 1000 Hz or 1 Hz? Neither is guessed.
      {"Filter 1: ON PK Fc 1,000 Hz Gain -3 dB Q 1\n", Kind::Ambiguous, 4, "1,000"},
      {"Filter 1: ON PK Fc 2,500Hz Gain -3 dB Q 1\n", Kind::Ambiguous, 4, "2,500"},
      {"Preamp: -1,000 dB\n", Kind::Ambiguous, 4, "-1,000"},
      {"Filter 1: ON PK Fc 1,5 MHz Gain -3 dB Q 1\n", Kind::NotAValue, 4, "MHz"},
      {"Filter 1: ON PK Fc 100 Hz Gain -3 dB Q\n", Kind::NoValue, 4, "Q"},
      {"Filter 1: ON PK Fc 100 Hz Gain -3 dB\n", Kind::MissingValues, 4, "PK"},
      {"Filter 1: ON LSC Fc 100 Hz\n", Kind::MissingValues, 4, "LSC"},
      {"Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 0\n", Kind::NotPositive, 4, "Q"},
      {"Filter 1: ON PK Fc -100 Hz Gain -3 dB Q 1\n", Kind::NotPositive, 4, "Fc"},
      {"Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 1 Slope 3\n", Kind::NotAValue, 4, "Slope"},
      {"Filter 1: ON LSC 9 Fc 100 Hz Gain 3 dB\n", Kind::NoUnit, 4, "9"},
      {"Preamp: -6 dB please\n", Kind::AfterValue, 4, "please"},
      {"Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 1\n\nFilter 2: ON PK Fc 1e999 Hz Gain -3 dB Q 1\n",
       Kind::BadNumber, 6, "1e999"},
      // Beyond any filter, in either direction: refused with the line, the value short.
      {"Filter 1: ON PK Fc 1000 Hz Gain 1e308 dB Q 1\n", Kind::OutOfRange, 4, "Gain"},
      {"Filter 1: ON PK Fc 1000 Hz Gain -1e308 dB Q 1\n", Kind::OutOfRange, 4, "Gain"},
      {"Filter 1: ON PK Fc 1000 Hz Gain -201 dB Q 1\n", Kind::OutOfRange, 4, "Gain"},
      {"Preamp: -1e308 dB\n", Kind::OutOfRange, 4, "Preamp"},
      {"Filter 1: ON PK Fc 1e300 Hz Gain 1 dB Q 1\n", Kind::OutOfRange, 4, "Fc"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.text);
    FilterSet set;
    set.hasPreamp = true;  // must survive a refusal
    FilterSetError error;
    const std::string text = c.line > 0 ? header + c.text : std::string(c.text);
    EXPECT_FALSE(ParseFilterSet(text, set, error));
    EXPECT_EQ(error.kind, c.kind);
    EXPECT_EQ(error.line, c.line);
    EXPECT_EQ(error.detail, c.detail);
    EXPECT_TRUE(set.hasPreamp);
    EXPECT_TRUE(set.filters.empty());
    EXPECT_LT(error.Text().size(), 200u) << "a value is quoted short: " << error.Text();
    if (c.line > 0) {
      // The message names the line by number and text, without its line end.
      const std::string shown = std::string(c.text).substr(0, std::string(c.text).find('\n'));
      EXPECT_NE(error.Text().find("line " + std::to_string(c.line) + ": '"), std::string::npos) << error.Text();
      if (c.line == 4) {
        EXPECT_EQ(error.lineText, shown);
      }
    }
  }
}

TEST(FilterSet, RefusesTextThatIsNone) {
  FilterSet set;
  FilterSetError error;
  EXPECT_FALSE(ParseFilterSet(std::string("Filter 1: ON PK Fc 1\0 Hz", 24), set, error));
  EXPECT_EQ(error.kind, Kind::NotText);
}

fs::path TempDir() {
  const char* base = std::getenv("MIRELUNE_TEST_TMP");
  fs::path p = fs::path(base ? base : fs::temp_directory_path().string()) / "filter_set_test";
  fs::create_directories(p);
  return p;
}

TEST(FilterSet, LoadNamesTheFile) {
  const fs::path dir = TempDir();
  FilterSet set;
  FilterSetError error;
  EXPECT_FALSE(LoadFilterSet((dir / "missing.txt").string(), set, error));
  EXPECT_EQ(error.kind, Kind::File);
  EXPECT_NE(error.Text().find("missing.txt"), std::string::npos);

  const fs::path bad = dir / "bad.txt";
  std::ofstream(bad) << "Filter 1: ON PK Fc 100 Hz Gain x dB Q 1\n";
  EXPECT_FALSE(LoadFilterSet(bad.string(), set, error));
  EXPECT_EQ(error.Text(), bad.string() + ": line 1: 'Filter 1: ON PK Fc 100 Hz Gain x dB Q 1': 'x' is not a number");

  const fs::path big = dir / "big.txt";
  std::ofstream(big) << std::string((1 << 20) + 1, '#');
  EXPECT_FALSE(LoadFilterSet(big.string(), set, error));
  EXPECT_EQ(error.kind, Kind::TooLarge);

  const fs::path good = dir / "good.txt";
  std::ofstream(good) << "Filter 1: ON PK Fc 100 Hz Gain -1 dB Q 1\n";
  EXPECT_TRUE(LoadFilterSet(good.string(), set, error)) << error.Text();
  EXPECT_EQ(set.filters.size(), 1u);
}

Filter Made(FilterType type, double hz, double db, double q, bool on = true) {
  Filter f;
  f.type = type;
  f.on = on;
  f.typeText = "?";
  f.freqHz = hz;
  f.hasFreq = type != FilterType::None;
  f.gainDb = db;
  f.hasGain = type != FilterType::None;
  f.q = q;
  f.hasQ = type != FilterType::None;
  return f;
}

TEST(FilterSet, WritesLinesTheParserAndTheProgramsRead) {
  FilterSet set;
  set.filters = {Made(FilterType::Peaking, 63.7, -3.0, 2.0), Made(FilterType::LowShelf, 120, 4.0, 0.7071),
                 Made(FilterType::None, 0, 0, 0, false), Made(FilterType::HighShelf, 19.7, -12.5, 1.2345),
                 Made(FilterType::Peaking, 20220, 0.5, 128, false)};
  set.filters[3].number = 9;

  const std::string rew = WriteFilterSet(set, FilterFormat::Rew);
  EXPECT_EQ(rew,
            "Filter Settings file\n\n"
            "Filter  1: ON  PK       Fc   63.7 Hz  Gain  -3.0 dB  Q  2.00\n"
            "Filter  2: ON  LSC      Fc    120 Hz  Gain   4.0 dB  Q 0.7071\n"
            "Filter  3: OFF None\n"
            "Filter  9: ON  HSC      Fc   19.7 Hz  Gain -12.5 dB  Q 1.2345\n"
            "Filter  5: OFF PK       Fc  20220 Hz  Gain   0.5 dB  Q 128.00\n");
  const std::string apo = WriteFilterSet(set, FilterFormat::Apo);
  EXPECT_EQ(apo,
            "Filter 1: ON PK Fc 63.7 Hz Gain -3.0 dB Q 2.00\n"
            "Filter 2: ON LSC Fc 120 Hz Gain 4.0 dB Q 0.7071\n"
            "Filter 9: ON HSC Fc 19.7 Hz Gain -12.5 dB Q 1.2345\n"
            "Filter 5: OFF PK Fc 20220 Hz Gain 0.5 dB Q 128.00\n");

  for (const std::string& text : {rew, apo}) {
    FilterSet back;
    FilterSetError error;
    ASSERT_TRUE(ParseFilterSet(text, back, error)) << error.Text();
    size_t j = 0;
    for (const Filter& f : set.filters) {
      if (text == apo && f.type == FilterType::None) continue;
      const Filter& b = back.filters.at(j++);
      EXPECT_EQ(b.type, f.type);
      EXPECT_EQ(b.on, f.on);
      if (f.type == FilterType::None) continue;
      EXPECT_DOUBLE_EQ(b.freqHz, f.freqHz);
      EXPECT_DOUBLE_EQ(b.gainDb, f.gainDb);
      EXPECT_DOUBLE_EQ(b.q, f.q);
    }
    EXPECT_EQ(j, back.filters.size());
  }

  // A preamp is written before the filters.
  set.hasPreamp = true;
  set.preampDb = -6;
  EXPECT_EQ(WriteFilterSet(set, FilterFormat::Apo).rfind("Preamp: -6.0 dB\nFilter 1:", 0), 0u);
}

TEST(FilterSet, ShelfSlopeAndQOfTheCookbook) {
  // S = 1 is Q = 1/sqrt(2) at every gain.
  for (double gain : {-24.0, -3.0, 0.0, 6.0, 12.0}) {
    EXPECT_NEAR(ShelfQFromSlope(1.0, gain), std::sqrt(0.5), 1e-12);
    for (double slope : {0.4, 0.71, 1.0, 1.5, 1.8}) EXPECT_NEAR(ShelfSlopeFromQ(ShelfQFromSlope(slope, gain), gain), slope, 1e-9);
  }
  // At 0 dB, A + 1/A = 2: S = 2 Q^2.
  EXPECT_NEAR(ShelfSlopeFromQ(0.5, 0), 0.5, 1e-12);
  // A slope too steep for the gain has no Q: the cookbook's radicand is negative beyond about
  // 25.2 dB at S = 1.8.
  EXPECT_TRUE(std::isfinite(ShelfQFromSlope(1.8, 25.0)));
  EXPECT_TRUE(std::isinf(ShelfQFromSlope(1.8, 25.5)));

  Filter f = Made(FilterType::LowShelf, 100, 6, 0);
  f.hasQ = false;
  EXPECT_DOUBLE_EQ(ShelfSlopeOf(f), 1.0);
  f.slopeDb = 6;
  EXPECT_DOUBLE_EQ(ShelfSlopeOf(f), 0.5);
  f.hasQ = true;
  f.q = std::sqrt(0.5);
  EXPECT_NEAR(ShelfSlopeOf(f), 1.0, 1e-12);  // a Q wins over dB per octave

  EXPECT_NEAR(QFromOctaves(1.0), std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(QFromOctaves(2.0), 2.0 / 3.0, 1e-12);
}

TEST(FilterSet, FormatNames) {
  FilterFormat f = FilterFormat::Apo;
  EXPECT_TRUE(ParseFilterFormat("rew", f));
  EXPECT_EQ(f, FilterFormat::Rew);
  EXPECT_TRUE(ParseFilterFormat("apo", f));
  EXPECT_EQ(f, FilterFormat::Apo);
  EXPECT_FALSE(ParseFilterFormat("REW ", f));
}

}  // namespace
}  // namespace mirelune
