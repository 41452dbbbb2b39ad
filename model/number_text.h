// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as the program writes them into reports, tables and files: "." as the decimal
// separator under every locale, and never "-0" for a value that rounds to zero.
//
// Plain C++, no Qt.
#pragma once

#include <charconv>
#include <string>
#include <system_error>

namespace mirelune {

// `v` with exactly `decimals` decimals. Every finite double fits the buffer in fixed notation;
// a conversion that still fails (not finite) falls back to the general notation ("inf", "nan").
inline std::string FixedText(double v, int decimals) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v == 0.0 ? 0.0 : v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ec == std::errc() ? r.ptr : buf);
  if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

// A frequency in Hz with up to two decimals and no trailing zeros ("1000", "25.3", "19.69").
inline std::string HzText(double v) {
  std::string s = FixedText(v, 2);
  if (s.find('.') == std::string::npos) return s;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

}  // namespace mirelune
