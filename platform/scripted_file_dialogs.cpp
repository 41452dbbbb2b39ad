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

}  // namespace mirelune
