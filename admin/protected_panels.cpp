// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/protected_panels.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "link/frame_codec.h"
#include "link/link.h"
#include "link/transfers.h"
#include "model/store.h"
#include "platform/notifier.h"
#include "platform/tr.h"

namespace mirelune {

namespace {

struct SettingFacts {
  const char* title;
  int address;
  int slot;
  int digits;
  const char* itemOn;   // option item 1
  const char* itemOff;  // option item 0
  const char* optionName;
  const char* boxName;
  const char* confirmName;
};

constexpr SettingFacts kFacts[2] = {
    {"自动键盘锁：", sysaddr::kModeManagerEnable, 0, 4, "启用", "禁用", "Option1", "Text8",
     "Command4"},
    {"权限管理：", sysaddr::kRights, 2, 6, "管理员", "来宾", "Option2", "Text9", "Command5"},
};

// Change panel rows: rights first (Text2..4, Command6), then keyboard lock (Text5..7, Command7).
constexpr ProtectedPanels::Setting kChangeRows[2] = {ProtectedPanels::kRights,
                                                     ProtectedPanels::kKeyLock};
constexpr const char* kChangeRowTitle[2] = {"权限密码：", "键盘锁密码："};
constexpr const char* kChangeColumnTitle[3] = {"原始密码", "新密码", "确认密码"};
constexpr const char* kBoxPrefix[3] = {"原始密码", "新密码", "确认密码"};

constexpr uint8_t kDeviceAccepted = 0x53;  // "S": payload byte 1 of a done or accepted request

// -1 when `text` is `digits` characters 0-9; else 0 empty, 1 not digits, 2 wrong length.
int Problem(const QString& text, int digits) {
  if (text.isEmpty()) return 0;
  for (QChar c : text)
    if (c < QChar('0') || c > QChar('9')) return 1;
  return text.size() == digits ? -1 : 2;
}

QLineEdit* PasswordBox(QWidget* parent, const QString& name, int digits) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setEchoMode(QLineEdit::Password);
  box->setMaxLength(32);  // longer than any password, so a wrong length is told, not cut
  box->setFixedWidth(digits * 14 + 24);
  return box;
}

}  // namespace

std::string LengthWarning(int digits) { return "密码请输入" + std::to_string(digits) + "位!"; }

std::string ChangeWarning(int box, int problem, int digits) {
  const std::string prefix = kBoxPrefix[box];
  switch (problem) {
    case 0:
      return prefix + "请输入!";
    case 1:
      return prefix + "只能输入数字0~9";
    default:
      return prefix + "请输入" + std::to_string(digits) + "位!";
  }
}

ProtectedPanels::ProtectedPanels(const AdminContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(BuildSettingPanel(kKeyLock), 0, 0);
  grid->addWidget(BuildSettingPanel(kRights), 0, 1);
  grid->addWidget(BuildChangePanel(), 1, 0, 1, 2);
}

QWidget* ProtectedPanels::BuildSettingPanel(Setting which) {
  const SettingFacts& f = kFacts[which];
  auto* panel = new QGroupBox(Tr(f.title), this);
  auto* row = new QHBoxLayout(panel);
  row->addWidget(new QLabel(Tr("密码："), panel));
  passwordBox_[which] = PasswordBox(panel, f.boxName, f.digits);
  row->addWidget(passwordBox_[which]);
  confirm_[which] = new QPushButton(Tr("确认"), panel);
  confirm_[which]->setObjectName(f.confirmName);
  row->addWidget(confirm_[which]);
  connect(confirm_[which], &QPushButton::clicked, this, [this, which] { CheckPassword(which); });
  connect(passwordBox_[which], &QLineEdit::returnPressed, this, [this, which] { CheckPassword(which); });
  // Item 1 first, as the form shows them.
  for (int item : {1, 0}) {
    auto* b = new QRadioButton(Tr(item ? f.itemOn : f.itemOff), panel);
    b->setObjectName(QString("%1_%2").arg(f.optionName).arg(item));
    b->setEnabled(false);
    option_[which][item] = b;
    row->addWidget(b);
    connect(b, &QRadioButton::clicked, this, [this, which, item] { SelectOption(which, item); });
  }
  row->addStretch();
  return panel;
}

QWidget* ProtectedPanels::BuildChangePanel() {
  auto* panel = new QGroupBox(Tr("密码修改："), this);
  auto* grid = new QGridLayout(panel);
  for (int c = 0; c < 3; ++c)
    grid->addWidget(new QLabel(Tr(kChangeColumnTitle[c]), panel), 0, c + 1);
  int textNumber = 2;
  for (int r = 0; r < 2; ++r) {
    const Setting which = kChangeRows[r];
    grid->addWidget(new QLabel(Tr(kChangeRowTitle[r]), panel), r + 1, 0);
    for (int b = 0; b < 3; ++b) {
      QLineEdit* box = PasswordBox(panel, QString("Text%1").arg(textNumber++), 6);  // one column width
      box->setEnabled(false);
      changeBox_[which][b] = box;
      grid->addWidget(box, r + 1, b + 1);
    }
    auto* button = new QPushButton(Tr("修改"), panel);
    button->setObjectName(which == kRights ? "Command6" : "Command7");
    button->setEnabled(false);
    change_[which] = button;
    grid->addWidget(button, r + 1, 4);
    connect(button, &QPushButton::clicked, this, [this, which] { ChangePassword(which); });
  }
  grid->setColumnStretch(5, 1);
  return panel;
}

void ProtectedPanels::LoadFromStore() {
  windowReady_ = false;
  for (int which : {kKeyLock, kRights}) {
    const bool on = ctx_.store.ParamTable.at(0, kFacts[which].address).Value != 0;
    option_[which][on ? 1 : 0]->setChecked(true);
  }
  windowReady_ = true;
}

bool ProtectedPanels::RequireOnline() {
  if (ctx_.link.Online) return true;
  ctx_.notifier.Warning(kOfflineOperationText);
  return false;
}

void ProtectedPanels::Unlock(Setting which) {
  for (QRadioButton* b : option_[which]) b->setEnabled(true);
  if (which != kRights) return;
  for (const auto& boxes : changeBox_)
    for (QLineEdit* box : boxes) box->setEnabled(true);
  for (QPushButton* b : change_) b->setEnabled(true);
}

void ProtectedPanels::CheckPassword(Setting which) {
  if (!isEnabled() || ctx_.link.InWait) return;  // a request is waiting
  if (!RequireOnline()) return;
  const SettingFacts& f = kFacts[which];
  QLineEdit* box = passwordBox_[which];
  const int problem = Problem(box->text(), f.digits);
  if (problem >= 0) {
    if (problem == 1) ctx_.notifier.Warning(kDigitsOnlyText);
    if (problem == 2) ctx_.notifier.Warning(LengthWarning(f.digits));
    box->setFocus();
    return;
  }
  setEnabled(false);
  bool accepted = false;
  const bool answered = ctx_.transfers.CheckPassword(f.slot, box->text().toStdString(), accepted);
  setEnabled(true);
  if (!answered) return;  // the link has told the user
  if (accepted) {
    Unlock(which);
    emit LogInChanged(which, true);
    return;
  }
  ctx_.notifier.Warning(kWrongPasswordText);
  box->setFocus();
}

void ProtectedPanels::ChangePassword(Setting which) {
  if (!isEnabled() || ctx_.link.InWait) return;
  if (!RequireOnline()) return;
  const SettingFacts& f = kFacts[which];
  for (int b = 0; b < 3; ++b) {
    const int problem = Problem(changeBox_[which][b]->text(), f.digits);
    if (problem >= 0) {
      ctx_.notifier.Warning(ChangeWarning(b, problem, f.digits));
      changeBox_[which][b]->setFocus();
      return;
    }
  }
  const QString oldText = changeBox_[which][0]->text();
  const QString newText = changeBox_[which][1]->text();
  if (newText != changeBox_[which][2]->text()) {
    ctx_.notifier.Warning(kPasswordMismatchText);
    return;
  }
  PasswordBuffer& digits = ctx_.link.PasswordDigits;
  digits.fill(0);
  for (int i = 0; i < f.digits; ++i) {
    digits[static_cast<size_t>(i)] = static_cast<uint8_t>(oldText[i].unicode() - '0');
    digits[static_cast<size_t>(f.digits + i)] = static_cast<uint8_t>(newText[i].unicode() - '0');
  }
  setEnabled(false);
  const bool answered = ctx_.link.SendCommand(Password, f.slot, kPasswordChange);
  setEnabled(true);
  if (!answered) return;
  if (ctx_.link.ReplyPayload()[1] == kDeviceAccepted)
    ctx_.notifier.Information(kPasswordChangedText);
  else
    ctx_.notifier.Warning(kPasswordChangeFailedText);
}

void ProtectedPanels::SelectOption(Setting which, int item) {
  if (!windowReady_ || !isEnabled()) return;
  const int address = kFacts[which].address;
  if (ctx_.link.InWait) {
    // Another request waits; a send now would nest inside its wait. The click is undone.
    option_[which][ctx_.store.ParamTable.at(0, address).Value != 0 ? 1 : 0]->setChecked(true);
    return;
  }
  ctx_.store.ParamTable.at(0, address).Value = item;
  if (!ctx_.link.Online) return;
  setEnabled(false);
  if (ctx_.sendParam)
    ctx_.sendParam(address);
  else
    ctx_.link.SendCommand(SetParam, 0, address);
  setEnabled(true);
}

bool ProtectedPanels::EndLogIns() {
  if (!ctx_.link.Online) {
    emit LogInChanged(kRights, false);
    return true;
  }
  if (!ctx_.link.SendCommand(Password, kFacts[kKeyLock].slot, kPasswordLogOut)) return false;
  const bool ended = ctx_.link.SendCommand(Password, kFacts[kRights].slot, kPasswordLogOut);
  if (ended) emit LogInChanged(kRights, false);
  return ended;
}

void ProtectedPanels::ShowRightsLogIn() {
  QLineEdit* box = passwordBox_[kRights];
  box->setFocus(Qt::OtherFocusReason);
  box->selectAll();
}

}  // namespace mirelune
