// SPDX-License-Identifier: GPL-3.0-or-later
// The tuning window's controls that act on whole groups of settings or on the system settings
// (menu kind 10): the sound-mode pair, the sub-woofer automatic control (tool bar pair and the
// single switch of the sub-woofer page), the page bypass, the EQ reset, the master and output
// mutes, the radio groups of the music and microphone pages and the three master volume
// sliders of the top bar.
//
// System settings are written into slot 0 of the store and sent with SetParam while online;
// they take no undo snapshot. Switching the sound mode or the automatic control ends the undo
// history, since the steps before it belong to the other slot or to a locked one.
//
// Created by the tuning window as its child; the buttons are children of the window's panels.
// Refresh() is called from the window's refresh, so the controls always show the store.
// UI thread only.
#pragma once

#include <array>
#include <vector>

#include <QObject>

#include "ui/pages/system_buttons_table.h"

class QWidget;

namespace mirelune::controls {
class MBtnFlag;
class MScrollBar;
}  // namespace mirelune::controls

namespace mirelune::ui {

class ConsoleSession;
class FrmEq;

// Shown when the sound mode is switched while the sub-woofer automatic control is on.
inline constexpr char kBassAutoModeWarning[] = "超低音自动控制时, 唱歌模式不可以切换!";

class ModeControls : public QObject {
  Q_OBJECT

 public:
  // `session` must outlive this; the panels are the window's top bar, tool bar and the eight
  // page containers, and own the controls.
  ModeControls(ConsoleSession& session, FrmEq& window, QWidget* topBar, QWidget* toolBar,
               const std::array<QWidget*, 8>& pages);
  ~ModeControls() override;

  // The tool bar's right-hand buttons follow its width.
  void LayoutToolBar(int width);
  // The sound-mode and automatic-control buttons leave the tool bar on pages 1 and 3.
  void ShowPage(int page);
  // Shows the store: the master sliders, the mutes, the radio groups, the page's bypass, the
  // sound mode and the automatic control. Never writes the store or sends.
  // The master volumes from the store, within their upper limits (see ApplyMasterLimits).
  void Refresh();
  // The master volumes' upper limits (2568..2570) as the sliders' MaxValue, within the sliders'
  // own 0..80: a damaged value from the amplifier or a file never opens a slider beyond it.
  void ApplyMasterLimits();

  // The buttons' handlers, also reached by tests.
  void SelectSoundMode(int i);
  void SetBassAutoFromPair(int i);
  void SetBassAutoFromSwitch();
  void ToggleBypass();
  void ResetEq();
  void SelectRadio(SystemButtonGroup group, int i);
  void ToggleMute(SystemButtonGroup group, int i);
  void MasterSliderScroll(int i);
  // The master volume keys: "q"/"a" step master 0 up/down, "w"/"s" master 1, "e"/"d" master 2,
  // within 0..80, each step as if the user had moved the slider.
  bool MasterKey(int key);  // Qt::Key_Q ... Qt::Key_D

  controls::MBtnFlag* Button(SystemButtonGroup group, int index) const;
  controls::MScrollBar* MasterSlider(int i) const { return masters_.at(static_cast<size_t>(i)); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Built {
    const SystemButtonEntry* entry;
    controls::MBtnFlag* button;
  };
  void Build(QWidget* topBar, QWidget* toolBar, const std::array<QWidget*, 8>& pages);
  void OnClick(const SystemButtonEntry& e);
  void ApplyBassAuto();
  void ShowSoundMode();
  void ShowRadio(SystemButtonGroup group, int value);
  // While a transfer, an undo or a copy holds the window, clicks change nothing; the buttons show
  // the store again.
  bool Idle() const;

  ConsoleSession& session_;
  FrmEq& window_;
  QWidget* toolBar_;  // disabled while undo, redo or a copy sends
  std::vector<Built> buttons_;
  std::array<controls::MScrollBar*, 3> masters_{};
};

}  // namespace mirelune::ui
