// SPDX-License-Identifier: GPL-3.0-or-later
// CmdPassword: the modal prompt for a six-digit management password. The device decides whether
// the password is right; the dialog only checks that six digits were typed and asks.
//
//   CmdPassword dlg(notifier, check, window);
//   dlg.InputType = 0;            // 0: menu settings (slot 1), 1: administrator rights (slot 2)
//   if (dlg.ShowModal()) ...      // OK: the device accepted the password
//
// UI thread only. The check runs a device request with a nested wait; while it waits the
// dialog ignores further confirmations and close requests, so requests never nest.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace mirelune {

class Notifier;

inline constexpr char kPasswordLabelText[] = "请输入管理密码：";
inline constexpr char kPasswordDigitsOnlyText[] = "密码只能输入数字0~9";
inline constexpr char kPasswordLengthText[] = "密码请输入6位!";
inline constexpr char kPasswordWrongText[] = "密码错误！";

// Caption and password slot of an input type; unknown types are taken as 0.
const char* PasswordCaption(int inputType);
int PasswordSlot(int inputType);

class CmdPassword : public QDialog {
  Q_OBJECT

 public:
  // Sends the digits ('0'..'9' characters, six of them) for a check of `slot`. Returns false
  // when the request failed (whoever failed has told the user); `accepted` is then false.
  using CheckFunction =
      std::function<bool(int slot, const std::string& digits, bool& accepted)>;

  static constexpr int kDigits = 6;

  // `notifier` and the check's targets must outlive the dialog.
  CmdPassword(Notifier& notifier, CheckFunction check, QWidget* parent = nullptr);
  ~CmdPassword() override;

  // Set before showing: 0 menu settings password, 1 administrator rights confirmation.
  uint8_t InputType = 0;
  // False when shown; true once the device accepted a password.
  bool OK = false;

  // Clears the box, sets OK false and the caption of InputType, shows the dialog modally and
  // returns OK after it closed.
  bool ShowModal();
  // Loads the dialog for a modeless show (tests): what ShowModal does before it blocks.
  void Load();

  // The confirmation (button "确定", Enter): refusals warn and keep the dialog open with the
  // cursor in the box; an accepted password closes it with OK true.
  void Confirm();

  // Closing (Escape, the window's close box): OK stays false. Ignored while the device
  // decides, so that the caller never misses a log-in that happened.
  void reject() override;

  QLineEdit* Text1() const { return text1_; }
  QPushButton* Command1() const { return command1_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void Refuse(const char* warning);

  Notifier& notifier_;
  CheckFunction check_;
  QLineEdit* text1_ = nullptr;
  QPushButton* command1_ = nullptr;
  bool checking_ = false;
};

}  // namespace mirelune
