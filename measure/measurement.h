// SPDX-License-Identifier: GPL-3.0-or-later
// A measured frequency response and its text files: what room-measurement programs export
// ("export measurement as text": `*` comment headers, then `freq SPL [phase]` lines), plain two-
// or three-column CSV/TSV, and the microphone calibration files of measurement microphones.
// Plain C++, no Qt.
//
// Reading a measurement, line by line:
//   - a UTF-8 byte-order mark, CR LF line ends, blank lines, and comment lines starting with
//     "*", "#" or "//" are taken; so is one line of column names before the first number
//     ("Freq(Hz),SPL(dB),Phase(degrees)");
//   - the columns are separated by a tab, by ";", by blanks or by ",": the first of these that
//     splits the first data line into two or three numbers is the file's separator;
//   - the decimal separator is the whole file's (model/decimal_number.h): a file that writes
//     decimal commas somewhere ("20,000000") reads "78,123" as 78.123; one whose only commas could
//     as well separate thousands ("1,000") is refused at the first such line, as is a file that
//     mixes decimal points and decimal commas;
//   - every data line has the first data line's number of columns (2: frequency and level in
//     dB; 3: and the phase in degrees), frequencies above 0 and rising from line to line, levels
//     within +-400 dB;
//   - at least two data lines.
// A refused file names the line and the reason; nothing of it is used.
//
// A calibration file has the same grammar with two or three columns (a third is ignored), and
// may start with a header line holding "Sens Factor =-1.23dB" (the microphone's sensitivity,
// quoted or not, as the microphones' makers write it). Applied on request: the level at each
// frequency less the calibration interpolated there (linear in log frequency, the end values
// held beyond its range) and less the sensitivity factor.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mirelune {

struct Measurement {
  std::vector<double> freqHz;    // rising, > 0
  std::vector<double> db;        // level in dB, one per frequency
  std::vector<double> phaseDeg;  // empty, or one per frequency
  bool HasPhase() const { return !phaseDeg.empty(); }
  size_t size() const { return freqHz.size(); }
  // Lines written as "* " comments at the top of the file (what was measured, how).
  std::vector<std::string> notes;
};

struct Calibration {
  std::vector<double> freqHz;
  std::vector<double> db;
  bool hasSensitivity = false;
  double sensitivityDb = 0;
};

// Why a measurement or calibration text is refused.
struct MeasureFileError {
  enum class Kind {
    None,
    File,         // the file cannot be read; `detail` is the file system's message
    TooLarge,     // over 16 MiB
    NotText,      // NUL bytes
    NoData,       // fewer than two data lines
    BadNumber,    // `detail` is not a number
    Ambiguous,    // `detail` ("1,000") reads as a thousands separator or a decimal comma
    MixedMarks,   // decimal points and decimal commas in one file; `detail` is the number
    Columns,      // `detail` columns where the file's first data line has `detail2`
    NotRising,    // frequency `detail` not above the line before's `detail2`
    NotPositive,  // frequency `detail` not above 0
    OutOfRange,   // level `detail` beyond +-400 dB
    AfterData,    // a text line (`detail`) after the first data line
  };
  Kind kind = Kind::None;
  int line = 0;          // 1-based; 0 for the file as a whole
  std::string lineText;  // the line as written, without its line end
  std::string detail;
  std::string detail2;
  std::string path;      // the file, when read by a Load function

  // In English: "room.txt: line 7: '20,5;abc': 'abc' is not a number".
  std::string Text() const;
};

constexpr double kMaxLevelDb = 400.0;

// Parses a measurement. False with `error`, and `m` left as it was, for a refused text.
bool ParseMeasurement(std::string_view text, Measurement& m, MeasureFileError& error);
bool LoadMeasurement(const std::string& path, Measurement& m, MeasureFileError& error);

bool ParseCalibration(std::string_view text, Calibration& c, MeasureFileError& error);
bool LoadCalibration(const std::string& path, Calibration& c, MeasureFileError& error);

// The calibration applied to `m` (see above); the phase is kept.
void ApplyCalibration(Measurement& m, const Calibration& c);

// The level of a (freq, dB) curve at `hz`: linear in log frequency between its points, the end
// values held beyond them. The curve's frequencies rise; it has at least one point.
double InterpolateDb(const std::vector<double>& freqHz, const std::vector<double>& db, double hz);

// The measurement as text that measurement programs import: "* " notes, a column line, then
// "freq dB phase" lines ("freq dB" without a phase), "." as the decimal separator under every
// locale, lines ending in "\n". ParseMeasurement reads it back to the same values (frequencies
// to 6 decimals, levels to 3, phases to 2).
std::string WriteMeasurement(const Measurement& m);

}  // namespace mirelune
