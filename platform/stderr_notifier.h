// SPDX-License-Identifier: GPL-3.0-or-later
// Notifier of the CLI: one line on the error stream per message.
//
// Lines: "mirelune-cli: warning: TEXT", "... error: TEXT", "... note: TEXT", each written whole
// (the text is translated first). Questions are
// answered from `answers` when set, otherwise with no (a command line has no one to ask).
#pragma once

#include <functional>
#include <iosfwd>

#include "platform/notifier.h"

namespace mirelune {

class StderrNotifier : public Notifier {
 public:
  // `err` must outlive this.
  explicit StderrNotifier(std::ostream& err) : err_(err) {}

  void Warning(const std::string& text) override;
  void Error(const std::string& text) override;
  void Information(const std::string& text) override;
  bool Question(const std::string& text) override;
  bool PromptPassword(int inputType) override;
  void BeginLongOperation() override {}
  void EndLongOperation() override {}
  void ProgressNudge() override {}

  // Warnings and errors printed so far (a command that then succeeds says it recovered).
  int problems = 0;

  std::function<bool(int inputType)> passwordPrompt;  // e.g. checks --password with the device
  // Answers yes/no questions (e.g. --yes, or asks on the terminal); without it every question
  // is answered no.
  std::function<bool(const std::string& text)> questionAnswer;

 private:
  std::ostream& err_;
};

}  // namespace mirelune
