// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/language.h"

#include <QTranslator>
#include <cstdlib>
#include <iostream>
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

namespace {

// The English translation, loaded when the first text is translated. When it cannot be (a
// broken build), that is said once and the texts stay Chinese.
const QTranslator* LoadEnglish() {
  static std::unique_ptr<QTranslator> english;
  if (!english) {
    english = std::make_unique<QTranslator>();
    if (!english->load(":/i18n/mirelune_en.qm")) {
      english.reset();
      std::cerr << "mirelune-cli: the English translation could not be loaded; messages stay Chinese\n";
    }
  }
  return english.get();
}

}  // namespace

void UseLanguage(const std::string& option) {
  const std::string lang = option.empty() ? LocaleLanguage() : option;
  // No application object here (a command may need a GUI one later): the translator is asked
  // directly.
  if (lang == "zh")
    SetDirectTranslator(nullptr);
  else
    SetDirectTranslatorLoader(LoadEnglish);
}

}  // namespace mirelune::cli
