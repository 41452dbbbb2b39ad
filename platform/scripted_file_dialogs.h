// SPDX-License-Identifier: GPL-3.0-or-later
// FileDialogs for tests: each call takes the next scripted path (empty: cancelled) and is
// recorded.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"

namespace mirelune {

class ScriptedFileDialogs : public FileDialogs {
 public:
  std::string ChooseFileToOpen(QWidget* owner) override;
  std::string ChooseFileToSave(QWidget* owner) override;
  std::string ChooseFile(QWidget* owner, bool save, const std::string& title,
                         const std::string& filters, int* chosenFilter = nullptr) override;

  std::deque<std::string> answers;  // consumed front first; an empty script cancels
  std::vector<std::string> asked;   // the title of each dialog shown, in order
  std::deque<int> filterAnswers;    // ChooseFile's chosen filter entries, front first; 0 when empty
  std::vector<std::string> askedFilters;  // the filter entries of each ChooseFile, in order
};

}  // namespace mirelune
