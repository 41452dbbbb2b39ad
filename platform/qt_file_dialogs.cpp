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

}  // namespace mirelune
