// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/language.h"

#include <QTranslator>
#include <cstdlib>
#include <memory>

#include "platform/tr.h"

namespace mirelune::cli {

std::string LocaleLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (!v || !*v) continue;
    return std::string(v).rfind("zh", 0) == 0 ? "zh" : "en";
  }
  return "en";
}

bool UseLanguage(const std::string& option) {
  const std::string lang = option.empty() ? LocaleLanguage() : option;
  if (lang == "zh") {
    SetDirectTranslator(nullptr);
    return true;
  }
  // No application object here (a command may need a GUI one later): the translator is asked
  // directly.
  static std::unique_ptr<QTranslator> english;
  if (!english) {
    english = std::make_unique<QTranslator>();
    if (!english->load(":/i18n/mirelune_en.qm")) {
      english.reset();
      return false;
    }
  }
  SetDirectTranslator(english.get());
  return true;
}

}  // namespace mirelune::cli
