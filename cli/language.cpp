// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/language.h"

#include <QTranslator>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/text.h"
#include "platform/tr.h"

namespace mirelune::cli {
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

// The plain code's texts (platform/text.h) through the same translation.
class QtTexts : public TextTranslator {
 public:
  std::string In(const char* context, const char* source) const override {
    return TrIn(context, source).toStdString();
  }
  std::string Lines(const std::string& message) const override { return TrLines(message).toStdString(); }
};

}  // namespace

void UseLanguage(const std::string& option) {
  const std::string lang = option.empty() ? LocaleLanguage() : option;
  // No application object here (a command may need a GUI one later): the translator is asked
  // directly.
  static LazyEnglish english;
  static QtTexts texts;
  SetDirectTranslator(lang == "zh" ? nullptr : &english);
  SetTextTranslator(&texts);
}

}  // namespace mirelune::cli

// The English of a text for the tool's run without Qt (cli/front/values_main.cpp), which loads
// this library only when it has something to say in English: `context` and `source` as
// Text(InContext(...)) takes them, or a null context for a message of the core (TextLines). The
// result stays valid until the next call.
extern "C" const char* MireluneCliEnglish(const char* context, const char* source) {
  static std::string result;
  static bool english = false;
  if (!english) mirelune::cli::UseLanguage("en");
  english = true;
  result = context ? mirelune::Text(mirelune::InContext(context, source)) : mirelune::TextLines(source);
  return result.c_str();
}
