// SPDX-License-Identifier: GPL-3.0-or-later
// The tool bar's A/B button: compare two settings while listening (model/ab_compare.h). A
// click (or Ctrl+B) starts a comparison - the settings so far are A, the edits from now on B -
// and then switches the amplifier between A and B, sending only the records that differ; its
// menu keeps A or B, which ends the comparison as one undo step. A send that does not reach the
// amplifier (the link dropped) is named in a warning and made again with the next switch.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QToolButton;
class QWidget;

namespace mirelune {
class AbCompare;
}

namespace mirelune::ui {

class ConsoleSession;
class FrmEq;

class AbSwitch : public QObject {
 public:
  // A button on `parent` (its owner lays it out); `session` and `window` outlive it.
  AbSwitch(ConsoleSession& session, FrmEq& window, QWidget* parent);
  ~AbSwitch() override;

  // Starts a comparison, or switches to the other side. False when nothing was done: while a
  // transfer runs (the window takes no input then either), or when the sound mode changed
  // since the start (a warning says so).
  bool Toggle();
  // Ends the comparison with `side` ('A' or 'B').
  bool Keep(char side);
  bool Active() const;
  char Showing() const;
  const std::vector<int>& Unsent() const;

  QToolButton* Button() const { return button_; }
  void SetTexts();

 private:
  // Sends `addresses` in order, stopping at the first failure; the rest are remembered.
  void Send(const std::vector<int>& addresses);
  void ShowState();
  // False, with a warning, when the sound mode is not the comparison's any more.
  bool SameSoundMode();
  // After a read of the amplifier: the side shown goes back into the store and to the amplifier.
  void Reapply();

  ConsoleSession& session_;
  FrmEq& window_;
  std::unique_ptr<AbCompare> compare_;
  QToolButton* button_ = nullptr;
  QAction* keepA_ = nullptr;
  QAction* keepB_ = nullptr;
  int startEntry_ = -1;     // the history's snapshot from before the comparison
  int64_t startDropped_ = 0;
  int reapplyTimer_ = 0;  // a Scheduler::TimerId
};

}  // namespace mirelune::ui
