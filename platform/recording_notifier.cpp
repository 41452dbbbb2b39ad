// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/recording_notifier.h"

namespace mirelune {

bool RecordingNotifier::Question(const std::string& text) {
  messages.push_back({Kind::Question, text});
  if (questionAnswers.empty()) return false;
  const bool a = questionAnswers.front();
  questionAnswers.pop_front();
  return a;
}

bool RecordingNotifier::PromptPassword(int inputType) {
  messages.push_back({Kind::PasswordPrompt, std::to_string(inputType)});
  if (passwordAnswers.empty()) return false;
  const bool a = passwordAnswers.front();
  passwordAnswers.pop_front();
  return a;
}

std::vector<std::string> RecordingNotifier::Texts(Kind kind) const {
  std::vector<std::string> out;
  for (const Message& m : messages)
    if (m.kind == kind) out.push_back(m.text);
  return out;
}

}  // namespace mirelune
