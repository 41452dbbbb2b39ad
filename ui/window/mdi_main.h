// SPDX-License-Identifier: GPL-3.0-or-later
// Folder ui/window/: the console's frame: menus, frame handles, EQ import and export, start-up and
// its arguments, main(). May include: ui/tuning/ and what lies under it: everything of the
// console.
//
// mdiMain: the console's frame window, captioned "Mirelune", with the menu "设备". The tuning
// window fills its client area as a borderless child: maximising or sizing the frame sizes the
// tuning window with it, and the client area never gets smaller than the tuning window's
// minimum (990 x 520 pixels). The frame opens with a client area of 990 x 520 pixels plus two
// thirds of the rest of the screen, at left 1000 twips and top (H - 800) x 2 twips on screens
// higher than 800 pixels (else 50 twips), as far as the screen's free area allows.
//
// The tuning window can be unloaded (its exit button; "调音窗口" when it is loaded) and loaded
// again ("调音窗口" when it is not), which brings it back on page 0 with the link searching
// anew; meanwhile the empty frame says so ("tuningWindowClosed"). Closing the frame ends the program, after the tuning window's exit (which may wait
// for a request to end). "程式管理", "开机设置" and "权限与密码管理" open their windows ("程式管理",
// "系统设置", "权限与密码管理"), modeless and at most once, only while the tuning window is loaded.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QPointer>
#include <utility>
#include <vector>

#include "ui/dialogs/device_chooser.h"
#include "ui/look/language.h"

class QAction;
class QLabel;

namespace mirelune {
class FileDialogs;
class FrmProgram2;
class FrmProgramManager;
class ProtectedPanels;
}  // namespace mirelune

namespace mirelune::ui {

class ConsoleSession;
class DeviceChooser;
class FrameHandles;
class FrmEq;

class MdiMain : public QMainWindow {
  Q_OBJECT

 public:
  // Loads the tuning window at once (it is the console's start-up window).
  explicit MdiMain(ConsoleSession& session, QWidget* parent = nullptr);
  ~MdiMain() override;

  FrmEq* tuningWindow() const { return eq_; }  // null while unloaded
  bool MainWindowLoaded() const { return eq_ != nullptr; }
  QWidget* ClientArea() const { return client_; }
  FrameHandles* Handles() const { return handles_; }

  // Where the tuning window starts on a screen of this size (pixels from the screen's top
  // left); its size is the frame's client area at start.
  static QRect TuningWindowRect(QSize screen);

  // "调音窗口": unloads a loaded tuning window, loads an unloaded one.
  void ToggleTuningWindow();
  void LoadTuningWindow();
  void UnloadTuningWindow();
  // "语言 / Language": saves the choice for the next start and shows every window in it.
  void SwitchLanguage(Language l);

  // "选择放大器…": the list of amplifiers; choosing one switches the session to it.
  void ChooseDevice();
  DeviceChooser* Chooser() const { return chooser_; }
  // "远程控制…": the room remote served from the console (ui/dialogs/remote_dialog.h); the dialog and
  // its server live until the console ends.
  void OpenRemote();
  class RemoteDialog* Remote() const { return remote_; }
  // "Mirelune - hid:0042": the caption names the amplifier unless it is the unnamed virtual one.
  void UpdateTitle();

  // "程式管理" / "开机设置" (the window "系统设置") / "权限与密码管理": shows the window, creating and loading it when
  // it is not open; an open one is raised. Nothing while the tuning window is unloaded.
  void OpenProgramManager();
  void OpenStartupSettings();
  void OpenProgram2();
  // The rights log-in of an administration window's panels goes to the status line.
  void FollowLogIn(ProtectedPanels* panels);
  FrmProgramManager* ProgramManager() const;  // null when not open
  FrmProgram2* Program2() const;
  QAction* MenuItem(const char* objectName) const;

  // For windows opened later: the file dialogs (default: QFileDialog) and the mode folder
  // (default: ModeFolder::DefaultPath(), created when the tuning window loads).
  void SetFileDialogs(std::unique_ptr<FileDialogs> dialogs);
  void SetModeFolder(std::string path) { modeFolder_ = std::move(path); }

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();
  void FitTuningWindow();
  void OnTuningWindowClosed();
  void ShowClosedHint();

  ConsoleSession& session_;
  QWidget* client_ = nullptr;
  QLabel* closedHint_ = nullptr;  // shown while the tuning window is closed
  FrmEq* eq_ = nullptr;
  class RemoteDialog* remote_ = nullptr;
  QPointer<FrmEq> unloading_;  // unloaded, deleted once its own events have returned
  FrameHandles* handles_ = nullptr;
  std::unique_ptr<FileDialogs> dialogs_;
  std::string modeFolder_;
  QPointer<FrmProgramManager> manager_;
  QPointer<FrmProgram2> program2_;
  QPointer<DeviceChooser> chooser_;
  bool closing_ = false;
  std::vector<std::pair<QAction*, const char*>> sourceTexts_;  // menu texts, retranslated on a switch  // the frame waits for the tuning window's deferred exit
};

}  // namespace mirelune::ui
