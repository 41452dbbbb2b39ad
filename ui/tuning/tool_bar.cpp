// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tuning/tool_bar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "controls/parent_background.h"
#include "controls/mbtnflag.h"
#include "graph/skin_ids.h"
#include "model/mode_copy.h"
#include "ui/tuning/ab_switch.h"
#include "ui/tuning/graph_tools.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "ui/graph/graph_widget.h"
#include "ui/pages/page_table.h"
#include "platform/tr.h"

namespace mirelune::ui {
namespace {

using controls::MBtnFlag;

// Pixels in the bar; the right-aligned buttons are placed from the bar's width.
constexpr int kUndoLeft = 144;         // 2160 twips
constexpr int kRedoLeft = 168;         // 2520 twips
constexpr int kModeCopyFromRight = 343;  // left of the sound-mode and automatic-control pairs
constexpr int kMicCopyFromRight = 414;

MBtnFlag* MakePush(int normal, int pressed, const Store* store, QWidget* panel, const char* name) {
  controls::FlagSetup s;
  s.PngIndexStr = QString("%1,%2").arg(normal).arg(pressed);
  s.ActionType = 1;  // push button: Click at the release
  auto* b = new MBtnFlag(s, store, panel);
  b->setObjectName(name);
  return b;
}

}  // namespace

ToolBar::ToolBar(ConsoleSession& session, FrmEq& window, QWidget* panel)
    : QObject(&window), session_(session), window_(window), panel_(panel) {
  const Store* store = &session_.store();
  undo_ = MakePush(skin::id::kUndo, skin::id::kUndo + 1, store, panel_, "cmdUndo");
  redo_ = MakePush(skin::id::kRedo, skin::id::kRedo + 1, store, panel_, "cmdRedo");
  modeCopy_ = MakePush(skin::id::kModeCopy, skin::id::kModeCopy + 1, store, panel_, "cmdModeCopy");
  micCopy_ = MakePush(skin::id::kMicCopy, skin::id::kMicCopyPressed, store, panel_, "MBtnFlag3");
  undo_->move(kUndoLeft, 0);
  redo_->move(kRedoLeft, 0);
  micCopy_->hide();
  undo_->setToolTip(Tr("撤销 (Ctrl+Z)"));
  redo_->setToolTip(Tr("重做 (Ctrl+Y)"));
  modeCopy_->setToolTip(Tr("模式复制\n把当前声音模式的设置复制到另一个模式"));
  micCopy_->setToolTip(Tr("话筒复制\n在话筒1,2与话筒3之间复制设置"));
  connect(undo_, &MBtnFlag::Click, this, &ToolBar::Undo);
  connect(redo_, &MBtnFlag::Click, this, &ToolBar::Redo);
  connect(modeCopy_, &MBtnFlag::Click, this, &ToolBar::CopySoundMode);
  connect(micCopy_, &MBtnFlag::Click, this, &ToolBar::CopyMicGroup);
  graphTools_ = new GraphTools(session_, window_, *window_.graph());

  UndoHistory& h = session_.history();
  h.hooks.refreshControls = [this] { window_.RefreshControls(); };
  h.hooks.enableWindow = [this](bool enabled) { LockEditing(enabled); };
  // Keys go to whichever control has the focus; an application filter sees them first.
  qApp->installEventFilter(this);
}

AbSwitch* ToolBar::Ab() const { return graphTools_->Ab(); }

ToolBar::~ToolBar() {
  qApp->removeEventFilter(this);
  UndoHistory& h = session_.history();
  h.hooks.refreshControls = nullptr;
  h.hooks.enableWindow = nullptr;
}

void ToolBar::Layout(int width) {
  modeCopy_->move(width - kModeCopyFromRight, modeCopy_->y());
  micCopy_->move(width - kMicCopyFromRight, micCopy_->y());
}

void ToolBar::ShowPage(int page) {
  micCopy_->setVisible(page == 1 || page == 2);
  modeCopy_->move(modeCopy_->x(), page == 1 || page == kEffectsPage ? kOutOfSightTop : 0);
  // Not from Layout: taking the background renders the window, which resizes it again. The
  // bar's shading is the same all along its width, so a background taken here stays right.
  ParentBackgroundBatch batch;
  for (MBtnFlag* b : {undo_, redo_, modeCopy_, micCopy_}) b->BkGround_Init();
}

bool ToolBar::Idle() const {
  return !window_.Busy() && panel_->isEnabled() && !session_.history().Restoring();
}

void ToolBar::LockEditing(bool enabled) {
  // As during a transfer: the pages, the page buttons, the graph and this bar take no input;
  // the link switch and the exit stay usable.
  const bool on = enabled && !window_.Busy();
  for (int p = 0; p < kPageCount; ++p) {
    window_.PageContainer(p)->setEnabled(on);
    window_.PageButton(p)->setEnabled(on);
  }
  window_.graph()->setEnabled(on);
  panel_->setEnabled(on);
}

void ToolBar::Undo() {
  if (Idle()) session_.history().Undo();
}

void ToolBar::Redo() {
  if (Idle()) session_.history().Redo();
}

namespace {

CopyHooks MakeCopyHooks(ConsoleSession& session, const std::function<void(bool)>& lock) {
  CopyHooks hooks;
  hooks.question = [&session](const std::string& text) { return session.notifier().Question(text); };
  hooks.notice = [&session](const std::string& text) { session.notifier().Warning(text); };
  hooks.online = [&session] { return session.link().Online && !session.link().Quitting; };
  hooks.send = [&session](int address) { return session.SendInBulk(address); };
  hooks.enableWindow = lock;
  return hooks;
}

}  // namespace

void ToolBar::CopySoundMode() {
  if (!Idle()) return;
  const CopyHooks hooks = MakeCopyHooks(session_, [this](bool on) { LockEditing(on); });
  if (mirelune::CopySoundMode(session_.store(), hooks) != CopyOutcome::Declined)
    window_.RefreshControls();
}

void ToolBar::CopyMicGroup() {
  const int page = session_.store().CurrentPage;
  if (!Idle() || (page != 1 && page != 2)) return;
  const CopyHooks hooks = MakeCopyHooks(session_, [this](bool on) { LockEditing(on); });
  if (mirelune::CopyMicGroup(session_.store(), hooks) != CopyOutcome::Declined)
    window_.RefreshControls();
}

bool ToolBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  if (w->window() != window_.window()) return false;
  if (qobject_cast<QLineEdit*>(w)) return false;  // a value being typed takes its own Ctrl+Z
  auto* key = static_cast<QKeyEvent*>(event);
  const auto mods = key->modifiers();
  if (!(mods & Qt::ControlModifier) || (mods & (Qt::AltModifier | Qt::ShiftModifier))) return false;
  if (key->key() == Qt::Key_Z) {
    Undo();
    return true;
  }
  if (key->key() == Qt::Key_Y) {
    Redo();
    return true;
  }
  if (key->key() == Qt::Key_B) {
    if (Idle()) graphTools_->Ab()->Toggle();
    return true;
  }
  return false;
}

}  // namespace mirelune::ui
