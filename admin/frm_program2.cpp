// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/frm_program2.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "admin/dark_look.h"
#include "admin/protected_panels.h"
#include "link/link.h"
#include "platform/tr.h"

namespace mirelune {

FrmProgram2::FrmProgram2(const AdminContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(context) {
  setObjectName("frmProgram2");
  setWindowTitle(Tr("权限与密码管理"));
  ApplyDarkLook(*this);
  auto* col = new QVBoxLayout(this);
  panels_ = new ProtectedPanels(ctx_, this);
  col->addWidget(panels_);
  col->addStretch();
}

void FrmProgram2::Load() {
  if (parentWidget()) setWindowIcon(parentWidget()->windowIcon());
  panels_->LoadFromStore();
}

void FrmProgram2::closeEvent(QCloseEvent* e) {
  // Not while a request waits: the log-outs would nest inside its wait.
  if (!panels_->isEnabled() || ctx_.link.InWait) {
    e->ignore();
    return;
  }
  panels_->EndLogIns();
  e->accept();
}

}  // namespace mirelune
