// SPDX-License-Identifier: GPL-3.0-or-later
// FileDialogs over QFileDialog, starting in a given folder.
#pragma once

#include <string>

#include "platform/file_dialogs.h"

namespace mirelune {

class QtFileDialogs : public FileDialogs {
 public:
  // `folder`: where both dialogs start; empty for the user's home folder.
  explicit QtFileDialogs(std::string folder = {}) : folder_(std::move(folder)) {}

  std::string ChooseFileToOpen(QWidget* owner) override;
  // A name typed without an extension gets ".SP" before the overwrite question, so the
  // question is about the file that will really be written.
  std::string ChooseFileToSave(QWidget* owner) override;
  std::string ChooseFile(QWidget* owner, bool save, const std::string& title,
                         const std::string& filters, int* chosenFilter = nullptr) override;

 private:
  std::string folder_;
};

}  // namespace mirelune
