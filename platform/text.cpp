// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text.h"

#include <vector>

namespace mirelune {
namespace {
const TextTranslator* g_translator = nullptr;
}  // namespace

void SetTextTranslator(const TextTranslator* translator) { g_translator = translator; }

std::string Text(const char* source) { return Text(InContext(kTrContext, source)); }

std::string Text(ContextText text) {
  return g_translator ? g_translator->In(text.context, text.source) : std::string(text.source);
}

std::string Text(const char* source, std::initializer_list<std::string> values) {
  return Filled(Text(source), values);
}

std::string Text(ContextText text, std::initializer_list<std::string> values) {
  return Filled(Text(text), values);
}

std::string TextLines(const std::string& message) {
  return g_translator ? g_translator->Lines(message) : message;
}

std::string Filled(const std::string& pattern, std::initializer_list<std::string> values) {
  const std::vector<std::string> v(values);
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const size_t n = static_cast<size_t>(pattern[i + 1] - '1');
      if (n < v.size()) {
        out += v[n];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace mirelune
