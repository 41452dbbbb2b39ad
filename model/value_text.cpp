// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/value_text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "model/number_text.h"
#include "model/scales.h"

namespace mirelune {
namespace {

constexpr double kOff = std::numeric_limits<double>::quiet_NaN();

std::string Whole(long v) { return std::to_string(v); }

// The FreqTable index a frequency value type shows at position p, or -1.
int FreqIndexAt(int valueType, int p) {
  switch (valueType) {
    case 1: return p + 1;
    case 6: case 16: return p + 298;
    case 13: return p == 0 ? -1 : p;
    default: return -1;
  }
}

bool IsFrequencyType(int valueType) {
  return valueType == 1 || valueType == 6 || valueType == 13 || valueType == 16;
}

// The number shown at p; NaN where the slider shows "OFF".
double NumberAt(int valueType, int p) {
  if (IsFrequencyType(valueType)) {
    const int i = FreqIndexAt(valueType, p);
    if (i < 0 || i >= kFreqMaxIndex) return kOff;
    return static_cast<double>(FreqAt(i));
  }
  switch (valueType) {
    case 0: return p;
    case 2: return (p - 400) / 10.0;
    case 3: return p < 90 ? p / 10.0 + 1.0 : p - 80;
    case 4: return (p + 1) * 0.5;
    case 5: return (p + 1) * 10.0;
    case 7: return p + 1;
    case 8: return p - 50;
    case 9: return p + 25;
    case 10: return p < 100 ? p : 2 * p - 100;
    case 11: return p / 10.0;
    case 12: return (p - 260) / 10.0;
    case 14: return p * 10.0;
    case 15: return p + 10;
    default: return 0;
  }
}

// Distance between two shown numbers as the scale spaces them.
double Distance(int valueType, double a, double b) {
  if (IsFrequencyType(valueType) || valueType < 0) return std::abs(std::log(a / b));
  return std::abs(a - b);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Whether the typed unit word `typed` (already lower case, "k" folded into the number) may
// stand for `unit`; `scale` is what the number is multiplied by.
bool UnitFits(const std::string& typed, std::string_view unit, double& scale) {
  scale = 1;
  if (typed.empty()) return true;
  const std::string u = Lower(unit);
  if (typed == u) return true;
  if (u == "ms" && typed == "s") {
    scale = 1000;
    return true;
  }
  return false;
}

TypedValue& Refuse(TypedValue& out, TypedProblem problem, std::string error, const std::string& range) {
  out.ok = false;
  out.problem = problem;
  out.error = std::move(error);
  out.range = range;
  return out;
}

// Nearest position to `number` among the positions whose shown number is not OFF, with the
// refusal of numbers beyond either end by more than half the end's step.
TypedValue NearestPosition(double number, int lo, int hi, int scaleType,
                           double (*at)(int, int), int valueType, const std::string& range) {
  TypedValue out;
  int best = -1, first = -1, last = -1;
  double bestDistance = 0;
  for (int p = lo; p <= hi; ++p) {
    const double v = at(valueType, p);
    if (std::isnan(v)) continue;
    if (first < 0) first = p;
    last = p;
    const double d = Distance(scaleType, number, v);
    if (best < 0 || d < bestDistance) {
      best = p;
      bestDistance = d;
    }
  }
  if (best < 0) {
    return Refuse(out, TypedProblem::OutOfRange, "out of range: " + range, range);
  }
  auto halfStep = [&](int end, int inner) {
    if (inner < lo || inner > hi || std::isnan(at(valueType, inner))) return 0.0;
    return Distance(scaleType, at(valueType, end), at(valueType, inner)) / 2;
  };
  const double low = at(valueType, first), high = at(valueType, last);
  const bool below = number < low && Distance(scaleType, number, low) > halfStep(first, first + 1) + 1e-9;
  const bool above = number > high && Distance(scaleType, number, high) > halfStep(last, last - 1) + 1e-9;
  if (below || above) {
    return Refuse(out, TypedProblem::OutOfRange, "out of range: " + range, range);
  }
  out.ok = true;
  out.position = best;
  return out;
}

double SliderNumber(int valueType, int p) { return NumberAt(valueType, p); }
double GainNumber(int, int code) { return (code - 250) / 10.0; }
double FreqNumber(int, int index) {
  return index >= kFreqMaxIndex ? kOff : static_cast<double>(FreqAt(index));
}
double QNumber(int, int index) { return static_cast<double>(QAt(index)); }

// Reads `text` as number and unit against `unit`; false with the reason in `out`.
bool ReadTyped(std::string_view text, std::string_view unit, const std::string& range, double& number,
               TypedValue& out) {
  std::string typedUnit;
  if (!ReadNumberAndUnit(text, number, typedUnit)) {
    Refuse(out, TypedProblem::NotANumber, "not a number: '" + std::string(Trim(text)) + "' (" + range + ")", range);
    return false;
  }
  double scale = 1;
  if (!UnitFits(Lower(typedUnit), unit, scale)) {
    Refuse(out, TypedProblem::WrongUnit, "wrong unit '" + typedUnit + "' (" + range + ")", range);
    return false;
  }
  number *= scale;
  return true;
}

}  // namespace

// Shortest text that reads back as the same single-precision number: 19.7, not 19.70000076.
std::string FrequencyNumber(int index) {
  if (index < 0 || index > kFreqMaxIndex) return {};
  if (index == kFreqMaxIndex) return "OFF";
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, FreqAt(index), std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

const char* ValueTypeUnit(int valueType) {
  switch (valueType) {
    case 1: case 6: case 13: case 16: return "Hz";
    case 2: case 12: case 15: return "dB";
    case 3: return ":1";
    case 4: case 5: case 8: case 11: case 14: return "ms";
    case 10: return "%";
    default: return "";
  }
}

std::string ShownNumber(int valueType, int p) {
  if (IsFrequencyType(valueType)) {
    const int i = FreqIndexAt(valueType, p);
    return i < 0 ? "OFF" : FrequencyNumber(i);
  }
  switch (valueType) {
    case 0: return Whole(p);
    case 2: return FixedText((p - 400) / 10.0, 1);
    case 3: return p < 90 ? FixedText(p / 10.0 + 1.0, 1) : Whole(p - 80);
    case 4: return FixedText((p + 1) * 0.5, 1);
    case 5: return Whole((p + 1) * 10L);
    case 7: return Whole(p + 1);
    case 8: return Whole(p - 50);
    case 9: return Whole(p + 25);
    case 10: return Whole(p < 100 ? p : 2L * p - 100);
    case 11: return FixedText(p / 10.0, 1);
    case 12: return FixedText((p - 260) / 10.0, 1);
    case 14: return Whole(p * 10L);
    case 15: return Whole(p + 10);
    default: return "0";
  }
}

std::string WithUnit(const std::string& number, std::string_view unit) {
  if (unit.empty() || number == "OFF" || number.empty()) return number;
  if (unit == "%" || unit == ":1") return number + std::string(unit);
  return number + " " + std::string(unit);
}

bool ReadNumberAndUnit(std::string_view text, double& number, std::string& unit) {
  std::string_view s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  // Digits with at most one decimal mark, "." or ","; nothing else of a number (no exponent,
  // no groups): what a person types into a value field.
  std::string digits;
  size_t i = 0;
  bool mark = false, anyDigit = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      digits += c;
      anyDigit = true;
    } else if ((c == '.' || c == ',') && !mark) {
      digits += '.';
      mark = true;
    } else {
      break;
    }
  }
  if (!anyDigit || digits.size() > 30) return false;
  double v = 0;
  const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || !std::isfinite(v)) return false;
  std::string_view rest = Trim(s.substr(i));
  if (!rest.empty() && (rest.front() == 'k' || rest.front() == 'K')) {
    const std::string after = Lower(Trim(rest.substr(1)));
    if (after.empty() || after == "hz") {
      v *= 1000;
      rest = rest.substr(1);
      rest = Trim(rest);
    }
  }
  number = negative ? -v : v;
  unit = std::string(rest);
  return true;
}

std::string RangeText(int valueType, int maxValue, std::string_view unit) {
  int first = -1, last = -1;
  for (int p = 0; p <= maxValue; ++p) {
    if (std::isnan(NumberAt(valueType, p))) continue;
    if (first < 0) first = p;
    last = p;
  }
  if (first < 0) return "OFF";
  std::string text = ShownNumber(valueType, first) + " … " + WithUnit(ShownNumber(valueType, last), unit);
  if (first > 0) text = "OFF, " + text;
  if (last < maxValue) text += ", OFF";
  return text;
}

TypedValue ParseSliderText(std::string_view text, int valueType, int maxValue, std::string_view unit) {
  TypedValue out;
  const std::string range = RangeText(valueType, maxValue, unit);
  if (Lower(Trim(text)) == "off") {
    for (int p = 0; p <= maxValue; ++p)
      if (std::isnan(NumberAt(valueType, p))) {
        out.ok = true;
        out.position = p;
        return out;
      }
    return Refuse(out, TypedProblem::NoOff, "no OFF here (" + range + ")", range);
  }
  double number = 0;
  if (!ReadTyped(text, unit, range, number, out)) return out;
  if (IsFrequencyType(valueType) && !(number > 0)) {
    return Refuse(out, TypedProblem::OutOfRange, "out of range: " + range, range);
  }
  return NearestPosition(number, 0, maxValue, IsFrequencyType(valueType) ? -1 : valueType, SliderNumber,
                         valueType, range);
}

std::string SignedGainText(int code) { return (code > kGainZero ? "+" : "") + GainText(code); }

std::string GainRangeText(int loCode, int hiCode) {
  return SignedGainText(loCode) + " … " + SignedGainText(hiCode) + " dB";
}

TypedValue ParseGainText(std::string_view text, int loCode, int hiCode) {
  TypedValue out;
  const std::string range = GainRangeText(loCode, hiCode);
  double number = 0;
  if (!ReadTyped(text, "dB", range, number, out)) return out;
  return NearestPosition(number, loCode, hiCode, 0, GainNumber, 0, range);
}

TypedValue ParseFreqText(std::string_view text, int loIndex, int hiIndex) {
  TypedValue out;
  const std::string range = FrequencyNumber(loIndex) + " … " + FrequencyNumber(hiIndex) + " Hz";
  double number = 0;
  if (!ReadTyped(text, "Hz", range, number, out)) return out;
  if (!(number > 0)) {
    return Refuse(out, TypedProblem::OutOfRange, "out of range: " + range, range);
  }
  return NearestPosition(number, loIndex, hiIndex, -1, FreqNumber, 0, range);
}

TypedValue ParseQText(std::string_view text, int loIndex, int hiIndex) {
  TypedValue out;
  const std::string range = QIndexText(loIndex) + " … " + QIndexText(hiIndex);
  double number = 0;
  if (!ReadTyped(text, "", range, number, out)) return out;
  if (!(number > 0)) {
    return Refuse(out, TypedProblem::OutOfRange, "out of range: " + range, range);
  }
  return NearestPosition(number, loIndex, hiIndex, -1, QNumber, 0, range);
}

}  // namespace mirelune
