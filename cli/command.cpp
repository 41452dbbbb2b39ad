#include "cli/command.h"

#include <cstdlib>

namespace mirelune::cli {

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
  if (text.empty()) return false;
  const char* s = text.c_str();
  int base = 10;
  bool neg = false;
  if (*s == '-') {
    neg = true;
    ++s;
  }
  if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s += 2;
  }
  if (*s == '\0') return false;
  char* end = nullptr;
  long v = std::strtol(s, &end, base);
  if (*end != '\0') return false;
  value = neg ? -v : v;
  return true;
}

}  // namespace mirelune::cli
