// SPDX-License-Identifier: GPL-3.0-or-later
// Folder ui/tuning/: the tuning window and the parts that act on it (tool bar, mode controls, A/B
// switch, graph tools, admin actions); they call back into the window, so they live with it. May
// include: ui/dialogs/, ui/graph/, admin/ and what lies under them.
//
// frmEQ: the tuning window. The top bar with the connection indicator (the link switch) and the
// master volumes, the page buttons (and the recording window's button), one container per page
// with its bound sliders, option lists and flag buttons, the response graph of the page shown
// with the progress bar over it, and the tool bar with the link's status text.
//
// Every user change of a control or the graph is written into the store by the slot rule,
// shown on the graph where it is a band's and sent with SetParam while the link is online.
// Reads of the device refresh everything. It opens the recording and professional-settings
// windows (modal) and owns the system-settings window while the frame has it open.
//
// It lives as a borderless child in the frame's client area; the frame drags and resizes it
// (ui/window/frame_handles.h). UI thread only.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "platform/scheduler.h"

class QLabel;

namespace mirelune::controls {
class C_ProgressBar;
class MBtnFlag;
class MComboBox;
class MScrollBar;
class SliderBandSink;
}  // namespace mirelune::controls

namespace mirelune::ui {

class ConsoleSession;
class GraphWidget;
class ModeControls;
class SecondaryWindow;
class SkinPanel;
class ToolBar;

// The text shown when the window is closed while a request still waits for the amplifier.
inline constexpr char kStoppingText[] =
    "正在停止通信进程，请点击下面的确认，软件会自动关闭。";

class FrmEq : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinWidth = 990;
  static constexpr int kMinHeight = 520;
  static constexpr int kCloseDelayMs = 700;

  // `session` must outlive the window. The window shows page 0.
  explicit FrmEq(ConsoleSession& session, QWidget* parent = nullptr);
  ~FrmEq() override;

  // A page button: shows page p (0..7), also when it is already shown.
  void ShowPage(int page);
  // An effects tab: shows sub-page i (0 echo, 1 reverb, 2 output) of the effects page.
  void ShowEffectSubPage(int i);
  // Pushes the store into the controls of the page shown, the page-independent controls and
  // the open system-settings window, and rebuilds the graph. Never writes the store or sends.
  void RefreshControls();

  // The recording window and the professional reverb settings, shown modally; the system
  // settings, shown modelessly (raised when already open).
  void OpenRecording();
  void OpenEffects();
  SecondaryWindow* OpenSystemSettings();
  SecondaryWindow* SystemSettings() const;  // null while not open
  // The master volumes' upper limits (addresses 2568..2570 of the store).
  void ApplyMasterLimits();

  // A whole-mode transfer holds the window: everything that edits is locked, the progress bar
  // shows over the graph.
  void SetBusy(bool busy);

  // The exit command. Returns true when the window may close now. While a request waits it
  // warns, returns false and emits closeNow 700 ms later, when the wait has ended.
  bool RequestExit();

  // Observers for the frame and tests.
  GraphWidget* graph() const { return graph_; }
  controls::MScrollBar* Slider(int number) const;
  controls::MComboBox* OptionList(int number) const;
  controls::MBtnFlag* FlagButton(int number) const;
  controls::MBtnFlag* EffectsButton() const { return effectsButton_; }   // MBtnFlag2
  controls::MBtnFlag* RecordButton() const { return recordButton_; }     // cmdRecordPage
  controls::MBtnFlag* DragHandle() const { return dragHandle_; }         // MBtnFlag1
  QWidget* TopBar() const;
  controls::MBtnFlag* PageButton(int page) const { return pageButtons_.at(static_cast<size_t>(page)); }
  controls::MBtnFlag* EffectTab(int i) const { return effectTabs_.at(static_cast<size_t>(i)); }
  controls::MBtnFlag* ConnectButton() const { return connectStatus_; }
  controls::C_ProgressBar* ProgressBar() const { return progress_; }
  QWidget* PageContainer(int page) const { return pages_.at(static_cast<size_t>(page)); }
  ToolBar* Tools() const { return tools_; }
  ModeControls* Modes() const { return modes_; }
  QString StatusText() const;
  bool Busy() const { return busy_; }

 signals:
  void closeNow();         // the deferred close is due
  void minimiseRequested();

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  void BuildTopBar();
  void BuildPageButtons();
  void BuildPages();
  void BuildGraph();
  void LayoutFrame();
  void LayoutEffectStrips();
  void InitLayers(int page);
  void OnSliderScroll(int number);
  void OnOptionListChange(int number, int item);
  void OnFlagButtonClick(int number);
  void ApplyReverbPreset(int item);
  void ShowEffectsButtonState();
  void UpdateLinkDisplay();
  bool Idle() const;

  ConsoleSession& session_;
  SkinPanel* topBar_ = nullptr;        // Picture2
  SkinPanel* toolBar_ = nullptr;       // Picture4
  ToolBar* tools_ = nullptr;           // undo, redo and the copies on toolBar_
  ModeControls* modes_ = nullptr;      // sound mode, bypass, reset, mutes, options, masters
  controls::MBtnFlag* connectStatus_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  controls::MBtnFlag* minimise_ = nullptr;
  controls::MBtnFlag* exit_ = nullptr;
  std::array<controls::MBtnFlag*, 8> pageButtons_{};
  std::array<QWidget*, 8> pages_{};    // PictureMode(0..7)
  std::array<controls::MBtnFlag*, 3> effectTabs_{};
  std::vector<controls::MScrollBar*> sliders_;  // by slider number; null where none
  std::vector<controls::MComboBox*> lists_;     // MyComboBox by number
  std::vector<controls::MBtnFlag*> flagButtons_;  // MyBTN by number
  controls::MBtnFlag* effectsButton_ = nullptr;
  controls::MBtnFlag* recordButton_ = nullptr;
  controls::MBtnFlag* dragHandle_ = nullptr;
  QPointer<SecondaryWindow> systemSettings_;
  std::vector<int> effectSubPageOf_;            // by slider number; -1 outside the effects rows
  std::unique_ptr<controls::SliderBandSink> sink_;
  GraphWidget* graph_ = nullptr;
  controls::C_ProgressBar* progress_ = nullptr;
  Scheduler::TimerId closeTimer_ = 0;
  bool busy_ = false;
};

}  // namespace mirelune::ui
