// SPDX-License-Identifier: GPL-3.0-or-later
// The history and copy buttons of the tuning window's tool bar (Picture4): cmdUndo, cmdRedo,
// cmdModeCopy and the microphone copy button MBtnFlag3, with Ctrl+Z and Ctrl+Y for undo and
// redo; Ctrl+B switches the A/B comparison of the graph's tools. Undo, redo and the copies send what they change while online (stopping at a failed
// send) and refresh the window from the store; the window takes no edits while they send.
//
// Created by the tuning window as its child, on its tool bar panel. UI thread only.
#pragma once

#include <QObject>

namespace mirelune::controls {
class MBtnFlag;
}

class QWidget;

namespace mirelune::ui {

class AbSwitch;
class ConsoleSession;
class GraphTools;
class FrmEq;

class ToolBar : public QObject {
  Q_OBJECT

 public:
  static constexpr int kOutOfSightTop = 100;  // below the 25-pixel bar

  // `session` must outlive this; `window` is the parent, `panel` holds the buttons.
  ToolBar(ConsoleSession& session, FrmEq& window, QWidget* panel);
  ~ToolBar() override;

  // The right-aligned buttons follow the bar's width.
  void Layout(int width);
  // The microphone copy is offered on the microphone pages (1, 2) only; the sound-mode copy
  // leaves the bar on pages 1 and 3, which have no separate singing and dance values.
  void ShowPage(int page);

  // The buttons' commands (also reached by the keys). Ignored while a transfer runs.
  void Undo();
  void Redo();
  void CopySoundMode();
  void CopyMicGroup();  // pages 1 and 2 only

  controls::MBtnFlag* UndoButton() const { return undo_; }
  controls::MBtnFlag* RedoButton() const { return redo_; }
  controls::MBtnFlag* ModeCopyButton() const { return modeCopy_; }
  controls::MBtnFlag* MicCopyButton() const { return micCopy_; }
  // The graph's tools (ui/tuning/graph_tools.h): the A/B comparison with Ctrl+B, the phase, the
  // comparison curves.
  GraphTools* Graph() const { return graphTools_; }
  AbSwitch* Ab() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Idle() const;
  void LockEditing(bool enabled);

  ConsoleSession& session_;
  FrmEq& window_;
  QWidget* panel_;
  controls::MBtnFlag* undo_ = nullptr;
  controls::MBtnFlag* redo_ = nullptr;
  controls::MBtnFlag* modeCopy_ = nullptr;
  controls::MBtnFlag* micCopy_ = nullptr;
  GraphTools* graphTools_ = nullptr;
};

}  // namespace mirelune::ui
