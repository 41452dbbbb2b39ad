// SPDX-License-Identifier: GPL-3.0-or-later
// Measurement and calibration texts: the exports of measurement programs and plain CSV/TSV in
// either decimal notation are read to the same numbers; every refused text names its line and
// reason and leaves the measurement as it was; a calibration shifts the levels by its curve and
// sensitivity; what Mirelune writes reads back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "measure/measurement.h"

namespace mirelune {
namespace {

struct Good {
  const char* name;
  const char* text;
  std::vector<double> freq;
  std::vector<double> db;
  std::vector<double> phase;  // empty: no phase column
};

const Good kGood[] = {
    {"measurement program export",
     "* Measurement data measured by a measurement program\n"
     "* Source: line out, Smoothing: 1/48 octave\n"
     "*\n"
     "* Freq(Hz) SPL(dB) Phase(degrees)\n"
     "20.000000 78.123 -123.45\n"
     "20.290000 78.500 -120.00\n"
     "20.580000 79.000 -117.5\n",
     {20, 20.29, 20.58},
     {78.123, 78.5, 79},
     {-123.45, -120, -117.5}},
    {"the same export under a decimal-comma locale",
     "* Freq(Hz) SPL(dB) Phase(degrees)\r\n"
     "20,000000 78,123 -123,45\r\n"
     "20,290000 78,500 -120,00\r\n"
     "20,580000 79,000 -117,5\r\n",
     {20, 20.29, 20.58},
     {78.123, 78.5, 79},
     {-123.45, -120, -117.5}},
    {"CSV with column names and a byte-order mark",
     "\xEF\xBB\xBF" "frequency,magnitude\n"
     "20,80.5\n"
     "1000,75\n"
     "20000,70.25\n",
     {20, 1000, 20000},
     {80.5, 75, 70.25},
     {}},
    {"CSV with blanks after the commas",
     "20, 80.5, 10\n"
     "40, 81, 5\n",
     {20, 40},
     {80.5, 81},
     {10, 5}},
    {"semicolons and decimal commas (a spreadsheet's export)",
     "Freq;dB\n"
     "31,5;-3,25\n"
     "63;-1,5\n",
     {31.5, 63},
     {-3.25, -1.5},
     {}},
    {"tab-separated, exponents, comments of either kind",
     "# made by hand\n"
     "// and edited\n"
     "2e1\t-0.5\n"
     "1.5e3\t+2\n",
     {20, 1500},
     {-0.5, 2},
     {}},
    {"a comma with three digits is a decimal comma where the file shows it",
     "20,5 80,125\n"
     "21 80,5\n",
     {20.5, 21},
     {80.125, 80.5},
     {}},
};

TEST(MeasurementFile, ReadsEveryExportToTheSameNumbers) {
  for (const Good& g : kGood) {
    SCOPED_TRACE(g.name);
    Measurement m;
    MeasureFileError error;
    ASSERT_TRUE(ParseMeasurement(g.text, m, error)) << error.Text();
    ASSERT_EQ(m.freqHz.size(), g.freq.size());
    for (size_t i = 0; i < g.freq.size(); ++i) {
      EXPECT_DOUBLE_EQ(m.freqHz[i], g.freq[i]);
      EXPECT_DOUBLE_EQ(m.db[i], g.db[i]);
    }
    ASSERT_EQ(m.phaseDeg.size(), g.phase.size());
    for (size_t i = 0; i < g.phase.size(); ++i) EXPECT_DOUBLE_EQ(m.phaseDeg[i], g.phase[i]);
  }
}

struct Bad {
  const char* name;
  const char* text;
  MeasureFileError::Kind kind;
  int line;
  const char* said;  // a part of Text()
};

using K = MeasureFileError::Kind;
const Bad kBad[] = {
    {"frequencies falling", "20 1\n40 2\n30 3\n", K::NotRising, 3, "frequency 30 is not above the line before's 40"},
    {"a frequency repeated", "* x\n20 1\n20 2\n", K::NotRising, 3, "not above"},
    {"a zero frequency", "0 1\n20 2\n", K::NotPositive, 1, "frequency 0 is not above 0"},
    {"a thousands separator or a decimal comma", "20 1\n1,000 2\n", K::Ambiguous, 2, "'1,000' may have"},
    {"points and commas mixed", "20.5 1\n21 2,5\n", K::MixedMarks, 2, "mixes decimal points and decimal commas"},
    {"a word among the numbers", "20 1\n40 abc\n", K::BadNumber, 2, "'abc' is not a number"},
    {"a column more", "20 1\n40 2 3\n", K::Columns, 2, "3 columns where the data has 2"},
    {"one column", "20\n40\n", K::Columns, 1, "1 columns"},
    {"text after the data", "20 1\n40 2\nend of data\n", K::AfterData, 3, "text after the first line"},
    {"a level beyond reason", "20 1\n40 1e9\n", K::OutOfRange, 2, "beyond +-400 dB"},
    {"a single line", "* only\n20 1\n", K::NoData, 0, "fewer than two lines"},
    {"no numbers at all", "Filter Settings file\n", K::NoData, 0, "not a measurement"},
    {"two separators in one number", "20 1.000,5\n40 2\n", K::BadNumber, 1, "is not a number"},
};

TEST(MeasurementFile, RefusesBadTextsWithLineAndReason) {
  for (const Bad& b : kBad) {
    SCOPED_TRACE(b.name);
    Measurement m;
    m.freqHz = {1};
    m.db = {2};
    MeasureFileError error;
    EXPECT_FALSE(ParseMeasurement(b.text, m, error));
    EXPECT_EQ(error.kind, b.kind);
    EXPECT_EQ(error.line, b.line);
    EXPECT_NE(error.Text().find(b.said), std::string::npos) << error.Text();
    if (b.line > 0) {
      EXPECT_NE(error.Text().find("line " + std::to_string(b.line) + ": '"), std::string::npos);
    }
    // Nothing of a refused file is used.
    EXPECT_EQ(m.freqHz, std::vector<double>{1});
  }
  Measurement m;
  MeasureFileError error;
  EXPECT_FALSE(ParseMeasurement(std::string("20 1\n40\0 2\n", 11), m, error));
  EXPECT_EQ(error.kind, K::NotText);
}

TEST(MeasurementFile, CalibrationShiftsTheLevelsByItsCurveAndSensitivity) {
  Calibration cal;
  MeasureFileError error;
  ASSERT_TRUE(ParseCalibration("\"Sens Factor =-1,5dB, AGain =18dB, SERNO: 7001234\"\n"
                               "10 0,5\n"
                               "100 -1,5\n"
                               "1000 0\n",
                               cal, error))
      << error.Text();
  EXPECT_TRUE(cal.hasSensitivity);
  EXPECT_DOUBLE_EQ(cal.sensitivityDb, -1.5);
  Measurement m;
  m.freqHz = {5, 10, std::sqrt(10.0 * 100.0), 100, 1000, 20000};
  m.db = {80, 80, 80, 80, 80, 80};
  m.phaseDeg = {1, 2, 3, 4, 5, 6};
  ApplyCalibration(m, cal);
  // level - (calibration + sensitivity); halfway in log frequency between 10 and 100 Hz the
  // calibration is halfway between its values; beyond its ends it holds them.
  const std::vector<double> want = {81.0, 81.0, 82.0, 83.0, 81.5, 81.5};
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(m.db[i], want[i], 1e-9) << m.freqHz[i];
  EXPECT_EQ(m.phaseDeg, (std::vector<double>{1, 2, 3, 4, 5, 6}));

  // Three columns (a phase the calibration does not use) and no sensitivity.
  Calibration plain;
  ASSERT_TRUE(ParseCalibration("* mic\n20 1 0\n20000 -1 0\n", plain, error)) << error.Text();
  EXPECT_FALSE(plain.hasSensitivity);
  EXPECT_EQ(plain.db, (std::vector<double>{1, -1}));
  // A sensitivity that is no number is refused with its line.
  EXPECT_FALSE(ParseCalibration("Sens Factor =abcdB\n20 1\n40 1\n", plain, error));
  EXPECT_EQ(error.line, 1);
  EXPECT_EQ(error.kind, K::BadNumber);
}

TEST(MeasurementFile, WhatIsWrittenReadsBack) {
  Measurement m;
  m.freqHz = {20, 20.291, 1000.5, 19999.999999};
  m.db = {-3.25, 0, 81.123, -0.0001};
  m.phaseDeg = {-179.99, 0.5, 45, 180};
  m.notes = {"Measurement made by Mirelune", "Delay: 37.000 ms"};
  const std::string text = WriteMeasurement(m);
  EXPECT_EQ(text.rfind("* Measurement made by Mirelune\n* Delay: 37.000 ms\n* Freq(Hz) SPL(dB) Phase(degrees)\n", 0), 0u);
  EXPECT_NE(text.find("\n20.291000 0.000 0.50\n"), std::string::npos);
  Measurement back;
  MeasureFileError error;
  ASSERT_TRUE(ParseMeasurement(text, back, error)) << error.Text();
  ASSERT_EQ(back.size(), m.size());
  for (size_t i = 0; i < m.size(); ++i) {
    EXPECT_NEAR(back.freqHz[i], m.freqHz[i], 5e-7);
    EXPECT_NEAR(back.db[i], m.db[i], 5e-4);
    EXPECT_NEAR(back.phaseDeg[i], m.phaseDeg[i], 5e-3);
  }
  m.phaseDeg.clear();
  ASSERT_TRUE(ParseMeasurement(WriteMeasurement(m), back, error)) << error.Text();
  EXPECT_FALSE(back.HasPhase());
}

TEST(MeasurementFile, LoadNamesTheFile) {
  Measurement m;
  MeasureFileError error;
  EXPECT_FALSE(LoadMeasurement("/nonexistent/room.txt", m, error));
  EXPECT_EQ(error.kind, K::File);
  EXPECT_NE(error.Text().find("/nonexistent/room.txt"), std::string::npos) << error.Text();
}

}  // namespace
}  // namespace mirelune
