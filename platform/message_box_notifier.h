// SPDX-License-Identifier: GPL-3.0-or-later
// Notifier of the console: modal message boxes with the system's texts.
//
// The password prompt and the busy/progress notices belong to windows this layer does not
// know, so they are hooks the console sets when it builds its windows.
#pragma once

#include <functional>

#include "platform/notifier.h"

class QWidget;

namespace mirelune {

class MessageBoxNotifier : public Notifier {
 public:
  // `parent` (may be null) owns nothing here; boxes are centred on it. Must outlive this.
  explicit MessageBoxNotifier(QWidget* parent = nullptr) : parent_(parent) {}

  void Warning(const std::string& text) override;
  void Error(const std::string& text) override;
  void Information(const std::string& text) override;
  bool Question(const std::string& text) override;
  bool PromptPassword(int inputType) override;
  void BeginLongOperation() override;
  void EndLongOperation() override;
  void ProgressNudge() override;

  void SetParent(QWidget* parent) { parent_ = parent; }

  std::function<bool(int inputType)> passwordPrompt;  // the CmdPassword dialog
  std::function<void(bool busy)> onBusy;              // true at the outermost Begin, false at its End
  std::function<void()> onProgress;

 private:
  QWidget* parent_;
  int busyDepth_ = 0;
};

}  // namespace mirelune
