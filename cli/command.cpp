// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command.h"

#include <charconv>
#include <climits>
#include <system_error>

namespace mirelune::cli {

std::string WaitLimitText(const Options& options) {
  return "giving up after " + std::to_string(options.waitMs / 1000) + " s (--wait SECONDS to wait longer)";
}

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                std::string& error, const std::string& shortName) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name || (!shortName.empty() && args[i] == shortName)) {
      if (i + 1 >= args.size()) {
        error = "option " + args[i] + " needs a value";
        return false;
      }
      value = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
      return true;
    }
    const std::string eq = name + "=";
    if (args[i].rfind(eq, 0) == 0) {
      value = args[i].substr(eq.size());
      args.erase(args.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
  for (size_t i = 0; i < args.size(); ++i)
    if (args[i] == name) {
      args.erase(args.begin() + static_cast<long>(i));
      return true;
    }
  return false;
}

bool ParseInt(const std::string& text, long& value) {
  const char* s = text.data();
  const char* end = s + text.size();
  bool negative = false;
  if (s < end && (*s == '-' || *s == '+')) negative = *s++ == '-';
  int base = 10;
  if (end - s > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s += 2;
  }
  // from_chars of an unsigned number takes no sign, so a second sign is refused here, and it
  // reports a number too large for the type instead of wrapping or saturating.
  unsigned long magnitude = 0;
  const auto r = std::from_chars(s, end, magnitude, base);
  if (s == end || r.ec != std::errc() || r.ptr != end) return false;
  const unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
  if (magnitude > limit) return false;
  value = negative ? static_cast<long>(0 - magnitude) : static_cast<long>(magnitude);
  return true;
}

}  // namespace mirelune::cli
