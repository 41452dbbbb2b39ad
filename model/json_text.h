// SPDX-License-Identifier: GPL-3.0-or-later
// Text as a JSON string, for the command line's --json outputs, which are written without a JSON
// library: the quotes, a backslash before '"' and '\\', control characters as \u00XX; UTF-8 passes
// through as it is.
//
// Plain C++, no Qt.
#pragma once

#include <string>

namespace mirelune {

inline std::string JsonString(const std::string& text) {
  static const char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace mirelune
