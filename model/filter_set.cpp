// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/text_lines.h"
#include "model/filter_set.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>

#include "model/decimal_number.h"
#include "model/file_bytes.h"

namespace mirelune {
namespace {

constexpr size_t kMaxFileBytes = 1 << 20;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool IEquals(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

bool IStartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && IEquals(s.substr(0, prefix.size()), prefix);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Tokens(std::string_view s) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    const size_t start = i;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    if (i > start) out.push_back(s.substr(start, i - start));
  }
  return out;
}

// A number as measurement programs write it (model/decimal_number.h): either separator, a
// comma that may as well separate thousands ("1,000") refused as `ambiguous`.
std::optional<double> Number(std::string_view t, bool* ambiguous = nullptr) {
  return ParseDecimalNumber(t, DecimalMark::Either, ambiguous);
}

using Kind = FilterSetError::Kind;

// Why a line is refused; the line itself is added by the caller.
struct Why {
  Kind kind = Kind::None;
  std::string detail;
  std::string detail2;
};

// The tokens of one filter line after "Filter N:", read left to right.
class FilterLineReader {
 public:
  explicit FilterLineReader(std::vector<std::string_view> tokens) : t_(std::move(tokens)) {}

  bool Done() const { return i_ >= t_.size(); }
  std::string_view Peek() const { return Done() ? std::string_view() : t_[i_]; }
  std::string_view Take() { return Done() ? std::string_view() : t_[i_++]; }

  // A value followed by its unit, the unit either as the next token or glued to the number
  // ("63.0Hz"); the unit may be left out. A frequency may be given in kHz ("1.5 kHz",
  // "1,5kHz"): it is read in Hz, never as a number of Hz.
  std::optional<double> Value(std::string_view what, std::string_view unit, Why& why) {
    if (Done()) {
      why = {Kind::NoValue, std::string(what), {}};
      return std::nullopt;
    }
    std::string_view tok = Take();
    double scale = 1;
    const bool hertz = IEquals(unit, "hz");
    if (hertz && tok.size() > 3 && IEquals(tok.substr(tok.size() - 3), "khz")) {
      tok.remove_suffix(3);
      scale = 1000;
    } else if (!unit.empty() && tok.size() > unit.size() && IEquals(tok.substr(tok.size() - unit.size()), unit)) {
      tok.remove_suffix(unit.size());
    }
    bool ambiguous = false;
    const std::optional<double> v = Number(tok, &ambiguous);
    if (!v) {
      why = {ambiguous ? Kind::Ambiguous : Kind::BadNumber, std::string(tok), {}};
      return std::nullopt;
    }
    if (scale == 1 && hertz && IEquals(Peek(), "khz")) {
      Take();
      scale = 1000;
    } else if (!unit.empty() && IEquals(Peek(), unit)) {
      Take();
    }
    return *v * scale;
  }

 private:
  std::vector<std::string_view> t_;
  size_t i_ = 0;
};

FilterType TypeOf(std::string_view word) {
  struct Entry {
    const char* word;
    FilterType type;
  };
  static const Entry kTypes[] = {
      {"none", FilterType::None},      {"pk", FilterType::Peaking},     {"ls", FilterType::LowShelf},
      {"lsc", FilterType::LowShelf},   {"hs", FilterType::HighShelf},   {"hsc", FilterType::HighShelf},
      {"hp", FilterType::HighPass},    {"hpq", FilterType::HighPass},   {"lp", FilterType::LowPass},
      {"lpq", FilterType::LowPass},    {"bp", FilterType::BandPass},    {"no", FilterType::Notch},
      {"ap", FilterType::AllPass},
  };
  const std::string w = Lower(word);
  for (const Entry& e : kTypes)
    if (w == e.word) return e.type;
  return FilterType::Unknown;
}

bool IsShelf(FilterType t) { return t == FilterType::LowShelf || t == FilterType::HighShelf; }

bool IsKeyword(std::string_view w) {
  for (const char* k : {"fc", "gain", "q", "bw"})
    if (IEquals(w, k)) return true;
  return false;
}

// A shelf's slope written after its type: "6dB", "12dB", "9.0 dB".
bool TakeShelfSlope(FilterLineReader& r, Filter& f, Why& why) {
  if (r.Done() || IsKeyword(r.Peek())) return true;
  std::string_view tok = r.Peek();
  std::string_view num = tok;
  bool glued = false;
  if (num.size() > 2 && IEquals(num.substr(num.size() - 2), "db")) {
    num.remove_suffix(2);
    glued = true;
  }
  const std::optional<double> v = Number(num);
  if (!v) return true;  // not a slope: the values' reader names the token
  r.Take();
  if (!glued) {
    if (!IEquals(r.Peek(), "db")) {
      why = {Kind::NoUnit, std::string(tok), {}};
      return false;
    }
    r.Take();
  }
  if (!(*v > 0)) {
    why = {Kind::NotPositive, std::string(num) + " dB", {}};
    return false;
  }
  f.slopeDb = *v;
  f.typeText += " " + std::string(num) + "dB";
  return true;
}

// Reads the values after the type into `f`. False with `why` at the first token that is not
// one of them or a value that is not a number.
bool ReadValues(FilterLineReader& r, Filter& f, Why& why) {
  while (!r.Done()) {
    const std::string_view token = r.Take();
    const std::string key = Lower(token);
    std::optional<double> v;
    if (key == "fc") {
      if (!(v = r.Value("Fc", "hz", why))) return false;
      f.freqHz = *v;
      f.hasFreq = true;
    } else if (key == "gain") {
      if (!(v = r.Value("Gain", "db", why))) return false;
      f.gainDb = *v;
      f.hasGain = true;
    } else if (key == "q") {
      if (!(v = r.Value("Q", "", why))) return false;
      f.q = *v;
      f.hasQ = true;
    } else if (key == "bw") {
      if (IEquals(r.Peek(), "oct")) r.Take();
      if (!(v = r.Value("BW", "", why))) return false;
      if (!(*v > 0)) {
        why = {Kind::NotPositive, "BW", {}};
        return false;
      }
      f.q = QFromOctaves(*v);
      f.hasQ = true;
    } else {
      why = {Kind::NotAValue, std::string(token), f.typeText};
      return false;
    }
  }
  return true;
}

// A value as the refusal quotes it: the shortest text that reads back to it ("1e+308").
std::string Shortest(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("?");
}

// Beyond these no measurement program writes a filter: values past them are refused with their
// line instead of travelling on as numbers nothing can show or hold.
constexpr double kMaxFreqHz = 1e6;
constexpr double kMaxGainDb = 200;
constexpr double kMaxQ = 1000;

bool CheckValues(const Filter& f, Why& why) {
  auto beyond = [&](const char* name, double v, const char* unit) {
    why = {Kind::OutOfRange, name, Shortest(v) + (*unit ? std::string(" ") + unit : "")};
    return false;
  };
  if (f.hasFreq && f.freqHz > kMaxFreqHz) return beyond("Fc", f.freqHz, "Hz");
  if (f.hasGain && std::fabs(f.gainDb) > kMaxGainDb) return beyond("Gain", f.gainDb, "dB");
  if (f.hasQ && f.q > kMaxQ) return beyond("Q", f.q, "");
  if (f.hasFreq && !(f.freqHz > 0)) {
    why = {Kind::NotPositive, "Fc", {}};
    return false;
  }
  if (f.hasQ && !(f.q > 0)) {
    why = {Kind::NotPositive, "Q", {}};
    return false;
  }
  if (!f.on || f.type == FilterType::Unknown || f.type == FilterType::None) return true;
  const bool needsGain = f.type == FilterType::Peaking || IsShelf(f.type);
  if (!f.hasFreq || (needsGain && !f.hasGain) || (f.type == FilterType::Peaking && !f.hasQ)) {
    why = {Kind::MissingValues, f.typeText,
           f.type == FilterType::Peaking ? "Fc, Gain, Q" : needsGain ? "Fc, Gain" : "Fc"};
    return false;
  }
  return true;
}

// The body of "Filter N: ..." into `f`.
bool ParseFilterBody(std::string_view body, Filter& f, Why& why) {
  FilterLineReader r(Tokens(body));
  const std::string state = Lower(r.Take());
  if (state != "on" && state != "off") {
    why = {Kind::NoOnOff, {}, {}};
    return false;
  }
  f.on = state == "on";
  if (r.Done()) {
    if (f.on) {
      why = {Kind::NoType, {}, {}};
      return false;
    }
    f.type = FilterType::None;
    f.typeText = "None";
    return true;
  }
  const std::string_view word = r.Take();
  f.typeText = std::string(word);
  f.type = TypeOf(word);
  if (IsShelf(f.type) && !TakeShelfSlope(r, f, why)) return false;
  if (f.type == FilterType::Unknown) {
    // Nothing is placed from it, so what it carries is read only as far as it can be, for the
    // report: its qualifiers stay part of its name, its values up to the first one not known.
    while (!r.Done() && !IsKeyword(r.Peek())) f.typeText += " " + std::string(r.Take());
    Why ignored;
    ReadValues(r, f, ignored);
    return CheckValues(f, why);
  }
  return ReadValues(r, f, why) && CheckValues(f, why);
}

constexpr std::array<const char*, 14> kApoCommands = {
    "channel", "device", "delay",   "copy", "include", "graphiceq", "convolution",
    "eval",    "if",     "elseif",  "else", "endif",   "stage",     "loudnesscorrection"};

// What one line of the file is.
enum class LineKind { Text, Filter, Preamp, Command, BadFilter };

// `rest` receives what follows the colon of a Filter, Preamp or command line, `number` the N of
// "Filter N:".
LineKind Classify(std::string_view line, std::string_view& rest, int& number) {
  number = 0;
  if (IStartsWith(line, "filter")) {
    std::string_view s = line.substr(6);
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    const size_t digits = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    const bool numbered = i > digits;
    // A number no int holds is no filter number: refused, never taken as another one.
    if (numbered && std::from_chars(s.data() + digits, s.data() + i, number).ec != std::errc()) {
      number = -1;
      rest = s.substr(digits, i - digits);
      return LineKind::BadFilter;
    }
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i < s.size() && s[i] == ':') {
      rest = s.substr(i + 1);
      return LineKind::Filter;
    }
    // "Filter Settings file", REW's first line, is text; "Filter 3 ON PK" lost its colon.
    return numbered ? LineKind::BadFilter : LineKind::Text;
  }
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return LineKind::Text;
  const std::string word = Lower(Trim(line.substr(0, colon)));
  rest = line.substr(colon + 1);
  if (word == "preamp") return LineKind::Preamp;
  for (const char* c : kApoCommands)
    if (word == c) return LineKind::Command;
  return LineKind::Text;
}

std::string Quoted(std::string_view line) {
  constexpr size_t kShown = 100;
  std::string s(Trim(line));
  if (s.size() > kShown) s = s.substr(0, kShown) + "...";
  return "'" + s + "'";
}

// ---- Writing ----

// `v` with at most `maxDecimals` decimals, trailing zeros dropped down to `minDecimals`; "."
// whatever the locale, never "-0".
std::string Fixed(double v, int minDecimals, int maxDecimals) {
  // Room for every finite double in fixed notation (309 digits, sign, point, decimals); what
  // does not convert is shown in general notation instead of an unfilled buffer.
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, maxDecimals);
  if (r.ec != std::errc()) r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ec == std::errc() ? r.ptr : buf);
  const size_t dot = s.find('.');
  if (dot != std::string::npos) {
    size_t keep = s.size();
    while (keep > dot + 1 + static_cast<size_t>(minDecimals) && s[keep - 1] == '0') --keep;
    if (keep == dot + 1) --keep;
    s.resize(keep);
  }
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
  return s;
}

std::string PadLeft(std::string s, size_t width) {
  return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}
std::string PadRight(std::string s, size_t width) {
  return s.size() < width ? s + std::string(width - s.size(), ' ') : s;
}

std::string TypeWord(const Filter& f) {
  switch (f.type) {
    case FilterType::None: return "None";
    case FilterType::Peaking: return "PK";
    case FilterType::LowShelf: return "LSC";
    case FilterType::HighShelf: return "HSC";
    case FilterType::HighPass: return f.hasQ ? "HPQ" : "HP";
    case FilterType::LowPass: return f.hasQ ? "LPQ" : "LP";
    case FilterType::BandPass: return "BP";
    case FilterType::Notch: return "NO";
    case FilterType::AllPass: return "AP";
    case FilterType::Unknown: break;
  }
  return f.typeText;
}

std::string FilterLine(const Filter& f, int number, FilterFormat format) {
  const bool rew = format == FilterFormat::Rew;
  const std::string num = std::to_string(number);
  std::string s = "Filter " + (rew ? PadLeft(num, 2) : num) + ": ";
  s += rew ? PadRight(f.on ? "ON" : "OFF", 3) + " " : std::string(f.on ? "ON" : "OFF") + " ";
  const std::string type = TypeWord(f);
  if (f.type == FilterType::None) return s + type;
  // A shelf with a Q carries its slope in the Q; one without keeps its dB per octave.
  const std::string slope = IsShelf(f.type) && !f.hasQ && f.slopeDb > 0 ? " " + Fixed(f.slopeDb, 1, 4) + " dB" : "";
  s += rew ? PadRight(type + slope, 8) + " " : type + slope + " ";
  if (f.hasFreq) s += "Fc " + (rew ? PadLeft(Fixed(f.freqHz, 0, 2), 6) : Fixed(f.freqHz, 0, 2)) + " Hz";
  if (f.hasGain) s += (rew ? "  Gain " : " Gain ") + (rew ? PadLeft(Fixed(f.gainDb, 1, 2), 5) : Fixed(f.gainDb, 1, 2)) + " dB";
  if (f.hasQ) s += (rew ? "  Q " : " Q ") + (rew ? PadLeft(Fixed(f.q, 2, 4), 5) : Fixed(f.q, 2, 4));
  return s;
}

}  // namespace

bool ParseFilterSet(std::string_view text, FilterSet& out, FilterSetError& error) {
  error = {};
  if (text.find('\0') != std::string_view::npos) {
    error.kind = Kind::NotText;
    return false;
  }
  FilterSet set;
  bool anyLine = false;
  TextLines lines(text);
  std::string_view raw;
  while (lines.Next(raw)) {
    const int lineNo = lines.Number();
    const std::string_view line = Trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    const auto fail = [&](Why why) {
      error.kind = why.kind;
      error.line = lineNo;
      error.lineText = std::string(raw);
      error.detail = std::move(why.detail);
      error.detail2 = std::move(why.detail2);
      return false;
    };
    std::string_view rest;
    int number = 0;
    switch (Classify(line, rest, number)) {
      case LineKind::Text: break;
      case LineKind::BadFilter:
        if (number < 0) return fail({Kind::BadNumber, std::string(rest), {}});
        return fail({Kind::NoColon, {}, {}});
      case LineKind::Command: return fail({Kind::Command, std::string(Trim(line.substr(0, line.find(':')))), {}});
      case LineKind::Preamp: {
        FilterLineReader r(Tokens(rest));
        Why why;
        const std::optional<double> v = r.Value("Preamp", "db", why);
        if (!v) return fail(why);
        if (!r.Done()) return fail({Kind::AfterValue, std::string(r.Peek()), {}});
        if (std::fabs(*v) > kMaxGainDb) return fail({Kind::OutOfRange, "Preamp", Shortest(*v) + " dB"});
        if (!set.hasPreamp) set.preampLine = lineNo;
        set.hasPreamp = true;
        set.preampDb += *v;
        anyLine = true;
        break;
      }
      case LineKind::Filter: {
        Filter f;
        f.line = lineNo;
        f.number = number;
        f.source = std::string(raw);
        Why why;
        if (!ParseFilterBody(rest, f, why)) return fail(why);
        set.filters.push_back(std::move(f));
        anyLine = true;
        break;
      }
    }
  }
  if (!anyLine) {
    error.kind = Kind::NoFilters;
    return false;
  }
  out = std::move(set);
  return true;
}

bool LoadFilterSet(const std::string& path, FilterSet& set, FilterSetError& error) {
  error = {};
  std::vector<uint8_t> bytes;
  const FileResult r = ReadRegularFile(path, kMaxFileBytes + 1, bytes);
  if (!r) {
    error.kind = Kind::File;
    error.detail = r.error;
  } else if (bytes.size() > kMaxFileBytes) {
    error.kind = Kind::TooLarge;
  } else {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    ParseFilterSet(text, set, error);
  }
  error.path = path;
  return error.kind == Kind::None;
}

std::string FilterSetError::Text() const {
  std::string why;
  switch (kind) {
    case Kind::None: return {};
    case Kind::File: return detail;
    case Kind::TooLarge: why = "larger than 1 MiB, not a filter set"; break;
    case Kind::NotText: why = "not a text file (it holds NUL bytes)"; break;
    case Kind::NoFilters: why = "no Filter or Preamp line: not a filter set"; break;
    case Kind::NoColon: why = "the filter number is not followed by ':'"; break;
    case Kind::Command: why = "the Equalizer APO command " + detail + " is not supported (only Preamp and Filter)"; break;
    case Kind::NoOnOff: why = "ON or OFF expected after the filter's colon"; break;
    case Kind::NoType: why = "the filter has no type"; break;
    case Kind::BadNumber: why = "'" + detail + "' is not a number"; break;
    case Kind::Ambiguous:
      why = "'" + detail + "' may have a thousands separator or a decimal comma; write it without the comma or with a point";
      break;
    case Kind::NoValue: why = detail + " has no value"; break;
    case Kind::NoUnit: why = "the shelf slope " + detail + " needs its unit dB"; break;
    case Kind::NotAValue: why = "'" + detail + "' is not a value of a " + detail2 + " filter"; break;
    case Kind::NotPositive: why = detail + " must be above 0"; break;
    case Kind::MissingValues: why = "a " + detail + " filter needs " + detail2; break;
    case Kind::AfterValue: why = "'" + detail + "' after the preamp's value"; break;
    case Kind::OutOfRange: why = detail + " " + detail2 + " is beyond any filter"; break;
  }
  std::string s = path.empty() ? "" : path + ": ";
  if (line > 0) s += "line " + std::to_string(line) + ": " + Quoted(lineText) + ": ";
  return s + why;
}

bool ParseFilterFormat(std::string_view name, FilterFormat& format) {
  if (name == "rew") format = FilterFormat::Rew;
  else if (name == "apo") format = FilterFormat::Apo;
  else return false;
  return true;
}

std::string WriteFilterSet(const FilterSet& set, FilterFormat format) {
  std::string out;
  if (format == FilterFormat::Rew) out += "Filter Settings file\n\n";
  if (set.hasPreamp) out += "Preamp: " + Fixed(set.preampDb, 1, 2) + " dB\n";
  bool anyInUse = false;
  for (const Filter& f : set.filters) anyInUse = anyInUse || f.type != FilterType::None;
  const bool skipUnused = format == FilterFormat::Apo && anyInUse;
  if (format == FilterFormat::Apo && !anyInUse) out += std::string(kNoFilterInUseComment) + "\n";
  int position = 0;
  for (const Filter& f : set.filters) {
    ++position;
    if (skipUnused && f.type == FilterType::None) continue;
    out += FilterLine(f, f.number > 0 ? f.number : position, format) + "\n";
  }
  return out;
}

double ShelfSlopeFromQ(double q, double gainDb) {
  const double A = std::pow(10.0, gainDb / 40.0);
  const double d = (1.0 / (q * q) - 2.0) / (A + 1.0 / A) + 1.0;
  return d > 0 ? 1.0 / d : std::numeric_limits<double>::infinity();
}

double ShelfQFromSlope(double slope, double gainDb) {
  const double A = std::pow(10.0, gainDb / 40.0);
  const double radicand = (A + 1.0 / A) * (1.0 / slope - 1.0) + 2.0;
  return radicand > 0 ? 1.0 / std::sqrt(radicand) : std::numeric_limits<double>::infinity();
}

double ShelfSlopeOf(const Filter& f) {
  if (f.hasQ) return ShelfSlopeFromQ(f.q, f.gainDb);
  if (f.slopeDb > 0) return f.slopeDb / 12.0;
  return 1.0;
}

double QFromOctaves(double octaves) {
  // The analogue prototype's relation, independent of the centre frequency.
  const double p = std::pow(2.0, octaves);
  return std::sqrt(p) / (p - 1.0);
}

}  // namespace mirelune
