// SPDX-License-Identifier: GPL-3.0-or-later
// The panels of the device's two protected settings and their passwords, shared by the mode
// manager and the rights-and-password window:
//   "自动键盘锁：" the automatic keyboard lock (address 2574, password slot 0, 4 digits);
//   "权限管理："   administrator / guest rights (address 2592, password slot 2, 6 digits);
//   "密码修改："   changing either password.
// The options and the change controls start disabled; only a password the device accepts
// enables them (the keyboard-lock password its options, the rights password its options and
// the whole change panel). UI thread only; every command waits for the device in a nested
// wait, during which the panels are disabled so that requests never nest.
#pragma once

#include <array>
#include <string>

#include <QWidget>

#include "admin/admin_context.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mirelune {

inline constexpr char kOfflineOperationText[] = "未联机时，不可执行此操作！";
inline constexpr char kDigitsOnlyText[] = "密码只能输入数字0~9";
inline constexpr char kWrongPasswordText[] = "密码错误！";
inline constexpr char kPasswordMismatchText[] = "新密码和确认密码不一致！";
inline constexpr char kPasswordChangedText[] = "密码修改成功！";
inline constexpr char kPasswordChangeFailedText[] = "密码修改失败！";

// The check's length warning: "密码请输入4位!" or "密码请输入6位!".
std::string LengthWarning(int digits);
// The change panel's warning for box 0 (old), 1 (new), 2 (confirmation) and problem 0 (empty),
// 1 (not digits), 2 (wrong length), e.g. "新密码请输入6位!".
std::string ChangeWarning(int box, int problem, int digits);

class ProtectedPanels : public QWidget {
  Q_OBJECT

 public:
  enum Setting { kKeyLock = 0, kRights = 1 };

  ProtectedPanels(const AdminContext& context, QWidget* parent = nullptr);

  // Selects the options from the store (addresses 2574 and 2592), without sending; the
  // options send only after this has run once.
  void LoadFromStore();

  // "确认" of a panel: checks the box's password with the device.
  void CheckPassword(Setting which);
  // "修改": changes the rights (kRights) or keyboard-lock (kKeyLock) password.
  void ChangePassword(Setting which);
  // A click on an option: item 1 or 0 into the store and, online, to the device.
  void SelectOption(Setting which, int item);

  // Ends both log-ins on the device (keyboard lock, then rights). True when offline, or when
  // both were acknowledged.
  bool EndLogIns();

  // Moves the focus to the rights panel's password box: where a guest logs in.
  void ShowRightsLogIn();

  // Controls, named as on the form.
  QLineEdit* Text8() const { return passwordBox_[kKeyLock]; }
  QLineEdit* Text9() const { return passwordBox_[kRights]; }
  QPushButton* Command4() const { return confirm_[kKeyLock]; }
  QPushButton* Command5() const { return confirm_[kRights]; }
  // Option1 (keyboard lock) / Option2 (rights), item 0 or 1.
  QRadioButton* Option(Setting which, int item) const { return option_[which][item]; }
  // Text2..Text4 (rights: old, new, confirmation) and Text5..Text7 (keyboard lock).
  QLineEdit* ChangeBox(Setting which, int box) const { return changeBox_[which][box]; }
  QPushButton* Command6() const { return change_[kRights]; }
  QPushButton* Command7() const { return change_[kKeyLock]; }

 signals:
  // The device accepted a panel's password (true), or the log-ins were ended (false).
  void LogInChanged(int which, bool loggedIn);

 private:
  QWidget* BuildSettingPanel(Setting which);
  QWidget* BuildChangePanel();
  bool RequireOnline();
  void Unlock(Setting which);

  AdminContext ctx_;
  bool windowReady_ = false;
  std::array<QLineEdit*, 2> passwordBox_{};
  std::array<QPushButton*, 2> confirm_{};
  std::array<std::array<QRadioButton*, 2>, 2> option_{};
  std::array<std::array<QLineEdit*, 3>, 2> changeBox_{};
  std::array<QPushButton*, 2> change_{};
};

}  // namespace mirelune
