// SPDX-License-Identifier: GPL-3.0-or-later
// The two configuration-file dialogs: choose a ".sp" file to open, or a path to save to.
//
// Backends: QtFileDialogs (QFileDialog, the console) and ScriptedFileDialogs (tests: answers
// from a script and records what was asked).
//
// Both return a path as UTF-8 text, or an empty string when the user cancelled. The caller
// applies its own rules to the path (the ".SP" extension of a save, whether an opened file
// exists). UI thread only; the Qt backend runs a nested event loop while the dialog shows.
#pragma once

#include <string>

class QWidget;

namespace mirelune {

inline constexpr char kOpenDialogTitle[] = "浏览配置文件";
inline constexpr char kSaveDialogTitle[] = "保存配置文件";
// The only filter entry of both dialogs; it matches *.SP.
inline constexpr char kConfigFileFilter[] = "音响配置文件 (*.SP)";

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // `owner` (may be null) is the window the dialog is modal to.
  virtual std::string ChooseFileToOpen(QWidget* owner) = 0;
  // Asks before an existing file is chosen.
  virtual std::string ChooseFileToSave(QWidget* owner) = 0;
  // A dialog for another kind of file: its title and its filter entries in QFileDialog's form
  // ("名称 (*.txt)", entries joined by ";;"), both already in the user's language. A save asks
  // before an existing file is chosen. `chosenFilter`, when given, receives the index of the
  // entry the user chose.
  virtual std::string ChooseFile(QWidget* owner, bool save, const std::string& title,
                                 const std::string& filters, int* chosenFilter = nullptr) = 0;
};

}  // namespace mirelune
