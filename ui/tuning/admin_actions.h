// SPDX-License-Identifier: GPL-3.0-or-later
// The tuning window's administration entry points: the management password prompt the
// start-up read asks for when the amplifier refuses the built-in administrator password, and
// Ctrl+H (Ctrl held, Alt not) that leads through the prompt to the menu visibility editor.
//
// Created by the tuning window as its child; while it lives, the session's notifier shows
// CmdPassword for PromptPassword. UI thread only.
#pragma once

#include <string>

#include <QObject>

class QWidget;

namespace mirelune::ui {

class ConsoleSession;
class FrmEq;

inline constexpr char kAdminOfflineText[] = "未联机时，不可进行菜单属性设置等管理操作！";

class AdminActions : public QObject {
  Q_OBJECT

 public:
  // `session` must outlive this; `window` is the parent and the dialogs' owner.
  AdminActions(ConsoleSession& session, FrmEq& window);
  ~AdminActions() override;

  // The password prompt: shows CmdPassword with `inputType`; true when the device accepted.
  bool PromptPassword(int inputType);
  // Ctrl+H: offline warning, or prompt (menu settings) -> editor -> flags sent -> log-in of
  // the menu settings slot ended -> controls refreshed. Ignored while a request or a transfer
  // runs, and while it runs itself.
  void MenuSettings();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool CheckPassword(int slot, const std::string& digits, bool& accepted);

  ConsoleSession& session_;
  FrmEq& window_;
  bool running_ = false;
};

}  // namespace mirelune::ui
