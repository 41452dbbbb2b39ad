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

// The English translation, loaded when the first text is translated: most runs of the tool
// print no text of the table, and loading the translation is a good part of what a short one
// costs. When it cannot be loaded (a broken build), that is said once and the texts stay
// Chinese.
class LazyEnglish : public QTranslator {
 public:
  QString translate(const char* context, const char* source, const char* disambiguation = nullptr,
                    int n = -1) const override {
    if (!tried_) {
      tried_ = true;
      if (!english_.load(":/i18n/mirelune_en.qm"))
        std::cerr << "mirelune-cli: the English translation could not be loaded; messages stay Chinese\n";
    }
    return english_.translate(context, source, disambiguation, n);
  }
  bool isEmpty() const override { return false; }

 private:
  mutable bool tried_ = false;
  mutable QTranslator english_;
};

}  // namespace

void UseLanguage(const std::string& option) {
  const std::string lang = option.empty() ? LocaleLanguage() : option;
  // No application object here (a command may need a GUI one later): the translator is asked
  // directly.
  static LazyEnglish english;
  SetDirectTranslator(lang == "zh" ? nullptr : &english);
}

}  // namespace mirelune::cli
