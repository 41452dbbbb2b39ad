// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the console tells or asks the user outside its windows' own controls.
//
// Backends: MessageBoxNotifier (QMessageBox, the console), StderrNotifier (the CLI) and
// RecordingNotifier (tests: records the texts and answers from a script).
//
// Texts are UTF-8 and are the system's own message texts, passed through unchanged.
// Thread: UI thread only. The modal calls (Warning, Error, Information, Question,
// PromptPassword) run a nested event loop in the console: timers and replies keep running.
#pragma once

#include <string>

namespace mirelune {

class Notifier {
 public:
  virtual ~Notifier() = default;

  virtual void Warning(const std::string& text) = 0;      // warning icon
  virtual void Error(const std::string& text) = 0;        // critical icon
  virtual void Information(const std::string& text) = 0;  // information icon
  // Yes/no question; true for yes.
  virtual bool Question(const std::string& text) = 0;

  // The management password prompt. inputType 0: menu settings password (password slot 1);
  // 1: administrator rights confirmation (slot 2). Returns true only when a password was
  // entered and the device accepted it; the prompt sends the check itself. False when the
  // user gave up or no prompt is available.
  virtual bool PromptPassword(int inputType) = 0;

  // A long transfer begins: disable the windows the user could edit with and show the
  // progress bars. Calls nest; every Begin is matched by one End.
  virtual void BeginLongOperation() = 0;
  virtual void EndLongOperation() = 0;
  // One step of the progress bars (the link nudges them once a second while online).
  virtual void ProgressNudge() = 0;
};

}  // namespace mirelune
