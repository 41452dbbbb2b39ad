// SPDX-License-Identifier: GPL-3.0-or-later
// frmProgram2 ("权限与密码管理"): the protected-settings panels of the mode manager on their
// own. Closing ends the device log-ins of the keyboard lock and the rights. UI thread only.
#pragma once

#include <QWidget>

#include "admin/admin_context.h"

namespace mirelune {

class ProtectedPanels;

class FrmProgram2 : public QWidget {
  Q_OBJECT

 public:
  explicit FrmProgram2(const AdminContext& context, QWidget* parent = nullptr);

  // The options from the store.
  void Load();
  ProtectedPanels* Panels() const { return panels_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  AdminContext ctx_;
  ProtectedPanels* panels_ = nullptr;
};

}  // namespace mirelune
