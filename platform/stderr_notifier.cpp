#include "platform/stderr_notifier.h"

#include <ostream>

namespace mirelune {

void StderrNotifier::Warning(const std::string& text) {
  err_ << "mirelune-cli: warning: " << text << "\n" << std::flush;
}

void StderrNotifier::Error(const std::string& text) {
  err_ << "mirelune-cli: error: " << text << "\n" << std::flush;
}

void StderrNotifier::Information(const std::string& text) {
  err_ << "mirelune-cli: note: " << text << "\n" << std::flush;
}

bool StderrNotifier::Question(const std::string& text) {
  if (questionAnswer) return questionAnswer(text);
  err_ << "mirelune-cli: question (answered no): " << text << "\n" << std::flush;
  return false;
}

bool StderrNotifier::PromptPassword(int inputType) {
  return passwordPrompt ? passwordPrompt(inputType) : false;
}

}  // namespace mirelune
