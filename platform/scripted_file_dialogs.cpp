// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/scripted_file_dialogs.h"

namespace mirelune {

namespace {

std::string Next(std::deque<std::string>& answers) {
  if (answers.empty()) return {};
  std::string s = std::move(answers.front());
  answers.pop_front();
  return s;
}

}  // namespace

std::string ScriptedFileDialogs::ChooseFileToOpen(QWidget*) {
  asked.emplace_back(kOpenDialogTitle);
  return Next(answers);
}

std::string ScriptedFileDialogs::ChooseFileToSave(QWidget*) {
  asked.emplace_back(kSaveDialogTitle);
  return Next(answers);
}

std::string ScriptedFileDialogs::ChooseFile(QWidget*, bool, const std::string& title,
                                            const std::string& filters, int* chosenFilter) {
  asked.push_back(title);
  askedFilters.push_back(filters);
  const int chosen = filterAnswers.empty() ? 0 : filterAnswers.front();
  if (!filterAnswers.empty()) filterAnswers.pop_front();
  if (chosenFilter) *chosenFilter = chosen;
  return Next(answers);
}

}  // namespace mirelune
