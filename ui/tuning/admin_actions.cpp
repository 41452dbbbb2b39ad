// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tuning/admin_actions.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "admin/cmd_password.h"
#include "admin/menu_show_frm.h"
#include "link/frame_codec.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"

namespace mirelune::ui {

AdminActions::AdminActions(ConsoleSession& session, FrmEq& window)
    : QObject(&window), session_(session), window_(window) {
  session_.notifier().passwordPrompt = [this](int inputType) { return PromptPassword(inputType); };
  // Key presses go to whichever control has the focus; an application filter sees them before
  // any control of the window can take them.
  qApp->installEventFilter(this);
}

AdminActions::~AdminActions() {
  qApp->removeEventFilter(this);
  session_.notifier().passwordPrompt = nullptr;
}

bool AdminActions::CheckPassword(int slot, const std::string& digits, bool& accepted) {
  accepted = false;
  Link& link = session_.link();
  // A request on a link that is down would wait for nothing; say why nothing happens.
  if (!link.Online || link.Quitting) {
    session_.notifier().Warning(kAdminOfflineText);
    return false;
  }
  return session_.transfers().CheckPassword(slot, digits, accepted);
}

bool AdminActions::PromptPassword(int inputType) {
  CmdPassword dialog(session_.notifier(),
                     [this](int slot, const std::string& digits, bool& accepted) {
                       return CheckPassword(slot, digits, accepted);
                     },
                     &window_);
  dialog.InputType = static_cast<uint8_t>(inputType);
  return dialog.ShowModal();
}

void AdminActions::MenuSettings() {
  Link& link = session_.link();
  // A second request started inside another's wait would share its reply flags.
  if (running_ || link.InWait || session_.notifier().Busy() || link.Quitting) return;
  if (!link.Online) {
    session_.notifier().Warning(kAdminOfflineText);
    return;
  }
  running_ = true;
  if (PromptPassword(0)) {
    MenuShowFrm editor(session_.store().Menu, &window_);
    editor.exec();
    bool ended = true;
    if (editor.OK) {
      ended = SendMenuFlags(link);
      if (ended) session_.notifier().Warning(kMenuFlagsDoneText);
    }
    // A failed flag send has already given the link up; there is no log-in left to end.
    if (ended && link.Online && link.SendCommand(Password, 1, kPasswordLogOut))
      window_.RefreshControls();
  }
  running_ = false;
}

bool AdminActions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  // Wherever the focus is in the console's window (the frame, its menu bar, a page, a button),
  // but not in the other windows.
  if (w->window() != window_.window()) return false;
  if (qobject_cast<QLineEdit*>(w)) return false;  // a value being typed keeps its keys
  auto* key = static_cast<QKeyEvent*>(event);
  const auto mods = key->modifiers();
  if (key->key() != Qt::Key_H || !(mods & Qt::ControlModifier) || (mods & Qt::AltModifier))
    return false;
  MenuSettings();
  return true;
}

}  // namespace mirelune::ui
