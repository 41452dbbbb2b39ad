// SPDX-License-Identifier: GPL-3.0-or-later
// The console's notifier: messages go to the notifier it wraps (message boxes, or a recorder in
// tests); the start and end of a long transfer and its progress steps also go to the tuning
// window, which shows its progress bar and locks its controls meanwhile.
#pragma once

#include <functional>

#include "platform/notifier.h"

namespace mirelune::ui {

class ProgressNotifier : public Notifier {
 public:
  // `messages` must outlive this.
  explicit ProgressNotifier(Notifier& messages) : messages_(messages) {}

  void Warning(const std::string& text) override { messages_.Warning(text); }
  void Error(const std::string& text) override { messages_.Error(text); }
  void Information(const std::string& text) override { messages_.Information(text); }
  bool Question(const std::string& text) override { return messages_.Question(text); }
  // The console's own prompt when set (the tuning window sets it), else the wrapped notifier's.
  bool PromptPassword(int inputType) override {
    return passwordPrompt ? passwordPrompt(inputType) : messages_.PromptPassword(inputType);
  }
  // Nested Begin/End pairs count as one transfer: onBusy(true) at the outermost Begin,
  // onBusy(false) at its End. An End without a Begin is ignored.
  void BeginLongOperation() override;
  void EndLongOperation() override;
  void ProgressNudge() override;

  bool Busy() const { return depth_ > 0; }

  std::function<void(bool busy)> onBusy;
  std::function<void()> onProgress;
  std::function<bool(int inputType)> passwordPrompt;

 private:
  Notifier& messages_;
  int depth_ = 0;
};

}  // namespace mirelune::ui
