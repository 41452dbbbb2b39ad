// SPDX-License-Identifier: GPL-3.0-or-later
// The number texts of the model under locales whose decimal separator is a comma. Its own
// program: the scales are built once per process, and here the first build happens after the
// locale was set, as in the console and the CLI, where Qt sets it from the environment.
//
// The locales come from the test set-up (localedef into MIRELUNE_TEST_LOCALES, found through
// LOCPATH); a locale that cannot be set fails the test rather than skipping it.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "model/filter_set.h"
#include "model/scales.h"
#include "model/value_text.h"

namespace mirelune {
namespace {

class CommaLocale : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    ASSERT_NE(std::setlocale(LC_ALL, GetParam()), nullptr)
        << GetParam() << " cannot be set; LOCPATH=" << (std::getenv("LOCPATH") ? std::getenv("LOCPATH") : "");
    // The premise: the C library now writes and reads numbers with a comma.
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(CommaLocale, ScalesAndTextsKeepTheirPoint) {
  const Scales& s = TheScales();  // the first build of this process
  EXPECT_FLOAT_EQ(s.FreqTable[1], 19.7f);
  EXPECT_FLOAT_EQ(s.FreqTable[74], 80.3f);
  EXPECT_FLOAT_EQ(s.QTable[10], 0.71f);
  EXPECT_NO_THROW(BuildScales());

  EXPECT_EQ(GainText(255), "0.5");
  EXPECT_EQ(GainText(10), "-24.0");
  EXPECT_EQ(QIndexText(16), "1.00");
  EXPECT_EQ(QIndexText(10), "0.71");

  int code = 0;
  EXPECT_TRUE(GainFromText("-3.5", code));
  EXPECT_EQ(code, 215);
  // The locale's own form is not the system's: refused, not read as -3.
  code = 7;
  EXPECT_FALSE(GainFromText("-3,5", code));
  EXPECT_EQ(code, 7);
}

// A person's typed value reads the same whatever the process locale: "." and "," both.
TEST_P(CommaLocale, TypedValuesTakeBothMarks) {
  EXPECT_EQ(ParseSliderText("-3.5 dB", 12, 400, "dB").position, 225);
  EXPECT_EQ(ParseSliderText("-3,5 dB", 12, 400, "dB").position, 225);
  const TypedValue k = ParseSliderText("1,5 kHz", 6, 63, "Hz");
  EXPECT_EQ(k.problem, TypedProblem::OutOfRange);
  EXPECT_EQ(ParseFreqText("1,5 kHz", 1, 361).position, NearestFreqIndex(1500, 1, 361));
  EXPECT_EQ(ShownNumber(4, 0), "0.5");
  EXPECT_EQ(ShownNumber(2, 365), "-3.5");
}

// A filter file means the same under every process locale: points and commas as the file writes
// them, kHz in Hz, a thousands-or-decimal comma refused, the writer's point kept.
TEST_P(CommaLocale, FilterFilesReadAndWriteAlike) {
  FilterSet set;
  FilterSetError error;
  ASSERT_TRUE(ParseFilterSet("Preamp: -2.5 dB\n"
                             "Filter 1: ON PK Fc 63.5 Hz Gain -3.5 dB Q 1.41\n"
                             "Filter 2: ON PK Fc 1,5 kHz Gain -1,25 dB Q 0,7\n",
                             set, error))
      << error.Text();
  ASSERT_EQ(set.filters.size(), 2u);
  EXPECT_DOUBLE_EQ(set.preampDb, -2.5);
  EXPECT_DOUBLE_EQ(set.filters[0].freqHz, 63.5);
  EXPECT_DOUBLE_EQ(set.filters[0].gainDb, -3.5);
  EXPECT_DOUBLE_EQ(set.filters[0].q, 1.41);
  EXPECT_DOUBLE_EQ(set.filters[1].freqHz, 1500);
  EXPECT_DOUBLE_EQ(set.filters[1].gainDb, -1.25);
  EXPECT_DOUBLE_EQ(set.filters[1].q, 0.7);
  const std::string written = WriteFilterSet(set, FilterFormat::Apo);
  EXPECT_NE(written.find("Fc 63.5 Hz"), std::string::npos) << written;
  EXPECT_EQ(written.find(','), std::string::npos) << written;
  FilterSet kept = set;
  EXPECT_FALSE(ParseFilterSet("Filter 1: ON PK Fc 1,000 Hz Gain -3 dB Q 1\n", kept, error));
  EXPECT_EQ(error.kind, FilterSetError::Kind::Ambiguous);
  EXPECT_EQ(error.line, 1);
  EXPECT_EQ(kept.filters.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Locales, CommaLocale, ::testing::Values("de_DE.UTF-8", "ru_RU.UTF-8"));

}  // namespace
}  // namespace mirelune
