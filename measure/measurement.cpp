// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/measurement.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "model/number_text.h"
#include "model/text_lines.h"
#include "model/decimal_number.h"
#include "model/file_bytes.h"

namespace mirelune {
namespace {

using Kind = MeasureFileError::Kind;

constexpr size_t kMaxFileBytes = 16u << 20;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The column separators a file may use, in the order they are tried on its first data line.
enum class Separator { Tab, Semicolon, Blanks, Comma };

std::vector<std::string_view> Split(std::string_view line, Separator sep) {
  std::vector<std::string_view> out;
  if (sep == Separator::Blanks) {
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && IsSpace(line[i])) ++i;
      const size_t start = i;
      while (i < line.size() && !IsSpace(line[i])) ++i;
      if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
  }
  const char c = sep == Separator::Tab ? '\t' : sep == Separator::Semicolon ? ';' : ',';
  size_t start = 0;
  while (true) {
    const size_t end = line.find(c, start);
    out.push_back(Trim(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return out;
}

// A number with either decimal separator, "1,000" included: the file's mark decides later.
bool NumberLike(std::string_view t) {
  return ParseDecimalNumber(t, DecimalMark::Point).has_value() ||
         ParseDecimalNumber(t, DecimalMark::Comma).has_value();
}

bool ThousandsLike(std::string_view t) {
  return t.find(',') != std::string_view::npos && !HasPlainDecimalComma(t) &&
         ParseDecimalNumber(t, DecimalMark::Comma).has_value();
}

// A line that starts like a number is data; anything else before the data is a header.
bool StartsLikeNumber(std::string_view line) {
  const char c = line.front();
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ',';
}

bool IsComment(std::string_view line) {
  return line.front() == '*' || line.front() == '#' || line.substr(0, 2) == "//";
}

struct Row {
  int line = 0;
  std::string_view raw;
  std::vector<std::string_view> tokens;
};

// What the rows of a file say, before the numbers are read.
struct Rows {
  std::vector<Row> rows;
  size_t columns = 0;
  Separator sep = Separator::Blanks;
  bool hasSensitivity = false;
  double sensitivityDb = 0;
};

// "Sens Factor =-1.378dB, AGain =18dB, SERNO: 7005678", quotes and all.
bool ReadSensitivity(std::string_view line, double& db, std::string& bad) {
  const std::string lower = Lower(line);
  const size_t at = lower.find("sens factor");
  size_t eq = lower.find('=', at);
  if (eq == std::string::npos) {
    bad = std::string(Trim(line));
    return false;
  }
  std::string_view rest = Trim(line.substr(eq + 1));
  size_t end = 0;
  while (end < rest.size() && !IsSpace(rest[end]) && rest[end] != 'd' && rest[end] != 'D' && rest[end] != '"' &&
         rest[end] != ';' && !(rest[end] == ',' && (end + 1 >= rest.size() || IsSpace(rest[end + 1]))))
    ++end;
  const std::string_view number = rest.substr(0, end);
  const std::optional<double> v = ParseDecimalNumber(number);
  if (!v) {
    bad = std::string(number);
    return false;
  }
  db = *v;
  return true;
}

bool Fail(MeasureFileError& error, Kind kind, int line, std::string_view raw, std::string detail = {},
          std::string detail2 = {}) {
  error.kind = kind;
  error.line = line;
  error.lineText = std::string(raw);
  error.detail = std::move(detail);
  error.detail2 = std::move(detail2);
  return false;
}

// Splits the text into rows of tokens and finds the separator and the column count.
bool CollectRows(std::string_view text, bool calibration, Rows& out, MeasureFileError& error) {
  if (text.find('\0') != std::string_view::npos) return Fail(error, Kind::NotText, 0, {});
  TextLines lines(text);
  std::string_view raw;
  while (lines.Next(raw)) {
    const int lineNo = lines.Number();
    const std::string_view line = Trim(raw);
    if (line.empty() || IsComment(line)) continue;
    const bool sens = Lower(line).find("sens factor") != std::string::npos;
    if (calibration && sens && out.rows.empty()) {
      std::string bad;
      if (!ReadSensitivity(line, out.sensitivityDb, bad)) return Fail(error, Kind::BadNumber, lineNo, raw, bad);
      out.hasSensitivity = true;
      continue;
    }
    if (!StartsLikeNumber(line)) {
      if (out.rows.empty()) continue;  // column names
      return Fail(error, Kind::AfterData, lineNo, raw, std::string(line));
    }
    Row row{lineNo, raw, {}};
    if (out.rows.empty()) {
      bool found = false;
      for (Separator sep : {Separator::Tab, Separator::Semicolon, Separator::Blanks, Separator::Comma}) {
        row.tokens = Split(line, sep);
        if (row.tokens.size() >= 2 && row.tokens.size() <= 3 && std::all_of(row.tokens.begin(), row.tokens.end(), NumberLike)) {
          out.sep = sep;
          out.columns = row.tokens.size();
          found = true;
          break;
        }
      }
      if (!found) {
        row.tokens = Split(line, Separator::Blanks);
        if (row.tokens.size() < 2 || row.tokens.size() > 3) {
          const std::vector<std::string_view> commas = Split(line, Separator::Comma);
          if (commas.size() >= 2 && commas.size() <= 3) row.tokens = commas;
        }
        if (row.tokens.size() < 2 || row.tokens.size() > 3)
          return Fail(error, Kind::Columns, lineNo, raw, std::to_string(row.tokens.size()), "2 or 3");
        for (std::string_view t : row.tokens)
          if (!NumberLike(t)) return Fail(error, Kind::BadNumber, lineNo, raw, std::string(t));
        return Fail(error, Kind::BadNumber, lineNo, raw, std::string(line));
      }
    } else {
      row.tokens = Split(line, out.sep);
      if (row.tokens.size() != out.columns)
        return Fail(error, Kind::Columns, lineNo, raw, std::to_string(row.tokens.size()), std::to_string(out.columns));
      for (std::string_view t : row.tokens)
        if (!NumberLike(t)) return Fail(error, Kind::BadNumber, lineNo, raw, std::string(t));
    }
    out.rows.push_back(std::move(row));
  }
  if (out.rows.size() < 2) return Fail(error, Kind::NoData, 0, {});
  return true;
}

// The file's decimal separator: a comma is one only where the columns are not comma-separated
// and some number shows it plainly; a file may not show both.
bool DecideMark(const Rows& rows, DecimalMark& mark, MeasureFileError& error) {
  if (rows.sep == Separator::Comma) {
    mark = DecimalMark::Point;
    return true;
  }
  const Row* firstPoint = nullptr;
  const Row* firstComma = nullptr;
  std::string_view pointToken, commaToken;
  for (const Row& r : rows.rows)
    for (std::string_view t : r.tokens) {
      if (!firstPoint && t.find('.') != std::string_view::npos) firstPoint = &r, pointToken = t;
      if (!firstComma && HasPlainDecimalComma(t)) firstComma = &r, commaToken = t;
    }
  if (firstPoint && firstComma) {
    const bool commaLater = firstComma->line > firstPoint->line;
    const Row& later = commaLater ? *firstComma : *firstPoint;
    return Fail(error, Kind::MixedMarks, later.line, later.raw, std::string(commaLater ? commaToken : pointToken));
  }
  mark = firstComma ? DecimalMark::Comma : DecimalMark::Point;
  if (mark == DecimalMark::Point)
    for (const Row& r : rows.rows)
      for (std::string_view t : r.tokens)
        if (ThousandsLike(t)) return Fail(error, Kind::Ambiguous, r.line, r.raw, std::string(t));
  return true;
}

std::string Shortest(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// The numbers of the rows: frequencies above 0 and rising, levels within range.
bool ReadValues(const Rows& rows, bool calibration, Measurement& m, MeasureFileError& error) {
  DecimalMark mark = DecimalMark::Point;
  if (!DecideMark(rows, mark, error)) return false;
  Measurement out;
  for (const Row& r : rows.rows) {
    std::array<double, 3> v{};
    for (size_t c = 0; c < r.tokens.size(); ++c) {
      const std::optional<double> x = ParseDecimalNumber(r.tokens[c], mark);
      if (!x) return Fail(error, Kind::BadNumber, r.line, r.raw, std::string(r.tokens[c]));
      v[c] = *x;
    }
    if (!(v[0] > 0)) return Fail(error, Kind::NotPositive, r.line, r.raw, std::string(r.tokens[0]));
    if (!out.freqHz.empty() && !(v[0] > out.freqHz.back()))
      return Fail(error, Kind::NotRising, r.line, r.raw, std::string(r.tokens[0]), Shortest(out.freqHz.back()));
    if (std::fabs(v[1]) > kMaxLevelDb) return Fail(error, Kind::OutOfRange, r.line, r.raw, std::string(r.tokens[1]));
    out.freqHz.push_back(v[0]);
    out.db.push_back(v[1]);
    if (rows.columns == 3 && !calibration) out.phaseDeg.push_back(v[2]);
  }
  m = std::move(out);
  return true;
}

std::string Quoted(std::string_view line) {
  constexpr size_t kShown = 100;
  std::string s(Trim(line));
  if (s.size() > kShown) s = s.substr(0, kShown) + "...";
  return "'" + s + "'";
}

template <typename T, typename Parse>
bool LoadFile(const std::string& path, T& value, MeasureFileError& error, Parse parse) {
  error = {};
  std::vector<uint8_t> bytes;
  const FileResult r = ReadRegularFile(path, kMaxFileBytes + 1, bytes);
  if (!r) {
    error.kind = Kind::File;
    error.detail = r.error;
  } else if (bytes.size() > kMaxFileBytes) {
    error.kind = Kind::TooLarge;
  } else {
    parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), value, error);
  }
  error.path = path;
  return error.kind == Kind::None;
}

}  // namespace

bool ParseMeasurement(std::string_view text, Measurement& m, MeasureFileError& error) {
  error = {};
  Rows rows;
  if (!CollectRows(text, false, rows, error)) return false;
  return ReadValues(rows, false, m, error);
}

bool LoadMeasurement(const std::string& path, Measurement& m, MeasureFileError& error) {
  return LoadFile(path, m, error, ParseMeasurement);
}

bool ParseCalibration(std::string_view text, Calibration& c, MeasureFileError& error) {
  error = {};
  Rows rows;
  if (!CollectRows(text, true, rows, error)) return false;
  Measurement m;
  if (!ReadValues(rows, true, m, error)) return false;
  c.freqHz = std::move(m.freqHz);
  c.db = std::move(m.db);
  c.hasSensitivity = rows.hasSensitivity;
  c.sensitivityDb = rows.sensitivityDb;
  return true;
}

bool LoadCalibration(const std::string& path, Calibration& c, MeasureFileError& error) {
  return LoadFile(path, c, error, ParseCalibration);
}

double InterpolateDb(const std::vector<double>& f, const std::vector<double>& db, double hz) {
  if (hz <= f.front()) return db.front();
  if (hz >= f.back()) return db.back();
  const size_t hi = static_cast<size_t>(std::upper_bound(f.begin(), f.end(), hz) - f.begin());
  const size_t lo = hi - 1;
  const double t = std::log(hz / f[lo]) / std::log(f[hi] / f[lo]);
  return db[lo] + t * (db[hi] - db[lo]);
}

void ApplyCalibration(Measurement& m, const Calibration& c) {
  if (c.freqHz.empty()) return;
  const double sens = c.hasSensitivity ? c.sensitivityDb : 0.0;
  for (size_t i = 0; i < m.size(); ++i) m.db[i] -= InterpolateDb(c.freqHz, c.db, m.freqHz[i]) + sens;
}

std::string WriteMeasurement(const Measurement& m) {
  std::string out;
  for (const std::string& note : m.notes) out += "* " + note + "\n";
  out += m.HasPhase() ? "* Freq(Hz) SPL(dB) Phase(degrees)\n" : "* Freq(Hz) SPL(dB)\n";
  for (size_t i = 0; i < m.size(); ++i) {
    out += FixedText(m.freqHz[i], 6) + " " + FixedText(m.db[i], 3);
    if (m.HasPhase()) out += " " + FixedText(m.phaseDeg[i], 2);
    out += "\n";
  }
  return out;
}

std::string MeasureFileError::Text() const {
  std::string why;
  switch (kind) {
    case Kind::None: return {};
    case Kind::File: return detail;
    case Kind::TooLarge: why = "larger than 16 MiB, not a measurement"; break;
    case Kind::NotText: why = "not a text file (it holds NUL bytes)"; break;
    case Kind::NoData: why = "fewer than two lines of numbers: not a measurement"; break;
    case Kind::BadNumber: why = "'" + detail + "' is not a number"; break;
    case Kind::Ambiguous:
      why = "'" + detail + "' may have a thousands separator or a decimal comma; write it without the comma or with a point";
      break;
    case Kind::MixedMarks: why = "'" + detail + "': the file mixes decimal points and decimal commas"; break;
    case Kind::Columns: why = detail + " columns where the data has " + detail2; break;
    case Kind::NotRising: why = "frequency " + detail + " is not above the line before's " + detail2; break;
    case Kind::NotPositive: why = "frequency " + detail + " is not above 0"; break;
    case Kind::OutOfRange: why = "level " + detail + " dB is beyond +-400 dB"; break;
    case Kind::AfterData: why = "text after the first line of numbers"; break;
  }
  std::string s = path.empty() ? "" : path + ": ";
  if (line > 0) s += "line " + std::to_string(line) + ": " + Quoted(lineText) + ": ";
  return s + why;
}

}  // namespace mirelune
