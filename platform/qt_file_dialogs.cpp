// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include "platform/tr.h"

namespace mirelune {

namespace {

std::string Run(QWidget* owner, const std::string& folder, bool save) {
  QFileDialog dlg(owner, Tr(save ? kSaveDialogTitle : kOpenDialogTitle),
                  folder.empty() ? QDir::homePath() : QString::fromStdString(folder),
                  Tr(kConfigFileFilter));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dlg.setDefaultSuffix("SP");
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().front().toStdString();
}

}  // namespace

std::string QtFileDialogs::ChooseFileToOpen(QWidget* owner) { return Run(owner, folder_, false); }

std::string QtFileDialogs::ChooseFileToSave(QWidget* owner) { return Run(owner, folder_, true); }

std::string QtFileDialogs::ChooseFile(QWidget* owner, bool save, const std::string& title,
                                      const std::string& filters, int* chosenFilter) {
  QFileDialog dlg(owner, QString::fromStdString(title),
                  folder_.empty() ? QDir::homePath() : QString::fromStdString(folder_),
                  QString::fromStdString(filters));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  const auto chosen = dlg.nameFilters().indexOf(dlg.selectedNameFilter());
  if (chosenFilter) *chosenFilter = chosen < 0 ? 0 : static_cast<int>(chosen);
  return dlg.selectedFiles().front().toStdString();
}

}  // namespace mirelune
