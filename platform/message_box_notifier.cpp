// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/message_box_notifier.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>

#include "platform/tr.h"

namespace mirelune {

namespace {
QString Title() { return QCoreApplication::applicationName(); }
// Messages come from the core in the source language; each line is shown translated.
QString Q(const std::string& s) { return TrLines(s); }
}  // namespace

void MessageBoxNotifier::Warning(const std::string& text) {
  QMessageBox::warning(parent_, Title(), Q(text));
}

void MessageBoxNotifier::Error(const std::string& text) {
  QMessageBox::critical(parent_, Title(), Q(text));
}

void MessageBoxNotifier::Information(const std::string& text) {
  QMessageBox::information(parent_, Title(), Q(text));
}

bool MessageBoxNotifier::Question(const std::string& text) {
  return QMessageBox::question(parent_, Title(), Q(text), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

bool MessageBoxNotifier::PromptPassword(int inputType) {
  return passwordPrompt ? passwordPrompt(inputType) : false;
}

void MessageBoxNotifier::BeginLongOperation() {
  if (busyDepth_++ == 0 && onBusy) onBusy(true);
}

void MessageBoxNotifier::EndLongOperation() {
  if (busyDepth_ == 0) return;
  if (--busyDepth_ == 0 && onBusy) onBusy(false);
}

void MessageBoxNotifier::ProgressNudge() {
  if (onProgress) onProgress();
}

}  // namespace mirelune
