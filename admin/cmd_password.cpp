// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/cmd_password.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/notifier.h"
#include "platform/tr.h"

namespace mirelune {
namespace {

// The box masks with '*' on every platform, not with the style's own bullet.
class StarMaskStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

enum class Entry { Empty, NotDigits, WrongLength, Ok };

// Only the ASCII digits count: a full-width digit would not survive the minus-0x30 conversion.
Entry Classify(const QString& text) {
  if (text.isEmpty()) return Entry::Empty;
  for (QChar c : text)
    if (c < QChar('0') || c > QChar('9')) return Entry::NotDigits;
  if (text.size() != CmdPassword::kDigits) return Entry::WrongLength;
  return Entry::Ok;
}

}  // namespace

const char* PasswordCaption(int inputType) {
  return inputType == 1 ? "管理员权限确认" : "菜单隐藏属性设置";
}

int PasswordSlot(int inputType) { return inputType == 1 ? 2 : 1; }

CmdPassword::CmdPassword(Notifier& notifier, CheckFunction check, QWidget* parent)
    : QDialog(parent), notifier_(notifier), check_(std::move(check)) {
  setObjectName("CmdPassword");
  setModal(true);
  auto* label = new QLabel(Tr(kPasswordLabelText), this);
  text1_ = new QLineEdit(this);
  text1_->setObjectName("Text1");
  text1_->setEchoMode(QLineEdit::Password);
  text1_->setMaxLength(kDigits);
  auto* mask = new StarMaskStyle;
  mask->setParent(text1_);
  text1_->setStyle(mask);
  command1_ = new QPushButton(Tr("确定"), this);
  command1_->setObjectName("Command1");
  command1_->setDefault(true);  // Enter anywhere in the dialog confirms
  connect(command1_, &QPushButton::clicked, this, &CmdPassword::Confirm);

  auto* row = new QHBoxLayout;
  row->addWidget(text1_, 1);
  row->addWidget(command1_);
  auto* column = new QVBoxLayout(this);
  column->addWidget(label);
  column->addLayout(row);
  Load();
}

CmdPassword::~CmdPassword() = default;

void CmdPassword::Load() {
  OK = false;
  text1_->clear();
  setWindowTitle(Tr(PasswordCaption(InputType)));
  text1_->setFocus();
}

bool CmdPassword::ShowModal() {
  Load();
  exec();
  return OK;
}

void CmdPassword::Confirm() {
  if (checking_) return;
  switch (Classify(text1_->text())) {
    case Entry::Empty:
      text1_->setFocus();
      return;
    case Entry::NotDigits:
      Refuse(kPasswordDigitsOnlyText);
      return;
    case Entry::WrongLength:
      Refuse(kPasswordLengthText);
      return;
    case Entry::Ok:
      break;
  }
  bool accepted = false;
  checking_ = true;
  command1_->setEnabled(false);
  const bool sent = check_ && check_(PasswordSlot(InputType), text1_->text().toStdString(), accepted);
  command1_->setEnabled(true);
  checking_ = false;
  if (!sent) {
    text1_->setFocus();
    return;
  }
  if (!accepted) {
    Refuse(kPasswordWrongText);
    return;
  }
  OK = true;
  accept();
}

void CmdPassword::Refuse(const char* warning) {
  notifier_.Warning(warning);
  text1_->setFocus();
}

void CmdPassword::closeEvent(QCloseEvent* e) {
  if (checking_) {
    e->ignore();
    return;
  }
  QDialog::closeEvent(e);
}

void CmdPassword::reject() {
  if (checking_) return;
  QDialog::reject();
}

}  // namespace mirelune
