// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/stderr_notifier.h"

#include <ostream>

#include "platform/text.h"

namespace mirelune {

void StderrNotifier::Warning(const std::string& text) {
  ++problems;
  err_ << "mirelune-cli: warning: " + TextLines(text) + "\n" << std::flush;
}

void StderrNotifier::Error(const std::string& text) {
  ++problems;
  err_ << "mirelune-cli: error: " + TextLines(text) + "\n" << std::flush;
}

void StderrNotifier::Information(const std::string& text) {
  err_ << "mirelune-cli: note: " + TextLines(text) + "\n" << std::flush;
}

bool StderrNotifier::Question(const std::string& text) {
  if (questionAnswer) return questionAnswer(text);
  err_ << "mirelune-cli: question (answered no): " + TextLines(text) + "\n" << std::flush;
  return false;
}

bool StderrNotifier::PromptPassword(int inputType) {
  return passwordPrompt ? passwordPrompt(inputType) : false;
}

}  // namespace mirelune
