// SPDX-License-Identifier: GPL-3.0-or-later
// Notifier for tests: records every message and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/notifier.h"

namespace mirelune {

class RecordingNotifier : public Notifier {
 public:
  enum class Kind { Warning, Error, Information, Question, PasswordPrompt };
  struct Message {
    Kind kind;
    std::string text;  // for PasswordPrompt: the input type as decimal text
  };

  void Warning(const std::string& text) override { messages.push_back({Kind::Warning, text}); }
  void Error(const std::string& text) override { messages.push_back({Kind::Error, text}); }
  void Information(const std::string& text) override {
    messages.push_back({Kind::Information, text});
  }
  // Next scripted answer; no when the script is empty.
  bool Question(const std::string& text) override;
  bool PromptPassword(int inputType) override;
  void BeginLongOperation() override { ++begins; ++depth; }
  void EndLongOperation() override { ++ends; --depth; }
  void ProgressNudge() override { ++nudges; }

  // Messages of one kind, in order.
  std::vector<std::string> Texts(Kind kind) const;
  void Clear() { messages.clear(); }

  std::vector<Message> messages;
  std::deque<bool> questionAnswers;
  std::deque<bool> passwordAnswers;
  int begins = 0;
  int ends = 0;
  int depth = 0;
  int nudges = 0;
};

}  // namespace mirelune
