// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/decimal_number.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace mirelune {
namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Whether the comma at `comma` is followed by exactly three digits to the end and preceded by
// a digit: the shape of a thousands separator.
bool ThousandsShape(std::string_view s, size_t comma) {
  size_t digits = 0;
  while (comma + 1 + digits < s.size() && Digit(s[comma + 1 + digits])) ++digits;
  return digits == 3 && comma + 4 == s.size() && comma > 0 && Digit(s[comma - 1]);
}

}  // namespace

std::optional<double> ParseDecimalNumber(std::string_view t, DecimalMark mark, bool* ambiguous) {
  std::string s(t);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  const size_t dot = s.find('.');
  const size_t comma = s.find(',');
  if (comma != std::string::npos) {
    if (mark == DecimalMark::Point || dot != std::string::npos || s.find(',', comma + 1) != std::string::npos)
      return std::nullopt;
    if (mark == DecimalMark::Either && ThousandsShape(s, comma)) {
      if (ambiguous) *ambiguous = true;
      return std::nullopt;
    }
    s[comma] = '.';
  } else if (dot != std::string::npos && mark == DecimalMark::Comma) {
    return std::nullopt;
  }
  if (s.empty() || s[0] == '+') return std::nullopt;
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool HasPlainDecimalComma(std::string_view s) {
  const size_t comma = s.find(',');
  return comma != std::string_view::npos && !ThousandsShape(s, comma);
}

}  // namespace mirelune
