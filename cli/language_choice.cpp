// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdlib>

#include "cli/language.h"

namespace mirelune::cli {

std::string LocaleLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (!v || !*v) continue;
    return std::string(v).rfind("zh", 0) == 0 ? "zh" : "en";
  }
  return "en";
}

}  // namespace mirelune::cli
