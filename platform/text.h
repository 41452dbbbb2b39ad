// SPDX-License-Identifier: GPL-3.0-or-later
// Texts for the user in the program's language, for code that does not load Qt: the
// command-line tool's device commands, their session and the terminal's notifier.
//
// A program installs one translator at its start (SetTextTranslator); without one every text
// is its Chinese source. The console's and the tool's translator is Qt's (platform/tr.h, the
// translations in translations/mirelune_<lang>.ts); a program that starts without Qt may load
// one when it first has something to say. The texts and contexts are those of platform/tr.h:
// Text(s) is Tr(s), Text(InContext(c, s)) is TrIn(c, s), TextLines(m) is TrLines(m), and
// scripts/update-translations.py finds them the same way.
#pragma once

#include <initializer_list>
#include <string>

namespace mirelune {

inline constexpr char kTrContext[] = "Mirelune";

// A source text and its context, for tables that are translated where they are shown.
struct ContextText {
  const char* context;
  const char* source;
};
constexpr ContextText InContext(const char* context, const char* source) { return {context, source}; }

class TextTranslator {
 public:
  virtual ~TextTranslator() = default;
  // `source` (UTF-8) of `context` in the program's language; the source itself when there is
  // no translation.
  virtual std::string In(const char* context, const char* source) const = 0;
  // A message built by the core from source texts and values, line by line (see TrLine).
  virtual std::string Lines(const std::string& message) const = 0;
};

// Process-wide; null: the source texts. `translator` must outlive its use.
void SetTextTranslator(const TextTranslator* translator);

std::string Text(const char* source);
std::string Text(ContextText text);
std::string TextLines(const std::string& message);
// The translated text with its %1, %2, ... filled (Filled below).
std::string Text(const char* source, std::initializer_list<std::string> values);
std::string Text(ContextText text, std::initializer_list<std::string> values);

// `pattern` with %1, %2, ... replaced by `values` in one pass, as QString::arg fills them: every
// occurrence of a number that has a value; other '%' are kept. (A value is not searched for
// placeholders of its own.)
std::string Filled(const std::string& pattern, std::initializer_list<std::string> values);

}  // namespace mirelune
