// SPDX-License-Identifier: GPL-3.0-or-later
// Folder admin/: the administration windows only: password prompt, menu visibility editor, mode
// manager, rights and passwords. May include: modes/, controls/ and what lies under them.
//
// frmProgramManager ("程式管理"): the device's ten stored modes as a whole. Writing the current
// data into a mode and reading a mode; a configuration file into the current mode and the
// current data into a file; the batch panel between the device's modes and the mode folder;
// and the protected-settings panels (ProtectedPanels).
//
// A modeless window. While it is open (ProgramManagerOpen) the link's sync ticks nudge its
// progress bar (Nudge). Every command that talks to the device disables the window and shows
// the progress bar until it ends, and is ignored while another request waits, so requests
// never nest. Closing ends the device log-ins of
// the keyboard lock and the rights. UI thread only.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "admin/admin_context.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class QCheckBox;

namespace mirelune {

namespace controls {
class C_ProgressBar;
}

class FileDialogs;
class FileOperation;
class ProtectedPanels;

inline constexpr char kGuestCannotSaveText[] = "来宾用户没有保存权限!";
// Added to the refusal: where a guest logs in (the rights panel of the same window).
inline constexpr char kWhereToLogInText[] =
    "请在本窗口的“权限管理：”中输入权限密码并点“确认”，再选择“管理员”后写入。";
// Followed by the six digits, on the virtual amplifier, which has no label to read them from.
inline constexpr char kVirtualRightsPasswordText[] = "虚拟功放出厂时的权限密码：";
// The refusal of a guest's write: what happened, where to log in and, on a virtual amplifier
// (`deviceLabel` "virtual" or "virtual:NAME"), its rights password as delivered.
std::string GuestRefusalText(const std::string& deviceLabel);
// The question before a mode is written over: "模式3 “名称”" follows, then the end. The name
// stands in quotes that are no Chinese punctuation, so the ending is translated on its own.
inline constexpr char kOverwriteModeText[] = "将用当前数据覆盖设备的模式";
inline constexpr char kOverwriteModeEndText[] = "，确定写入吗？";
// The question before device mode `mode` (0..9), named `name`, is written over.
std::string OverwriteModeQuestion(int mode, const std::string& name);
inline constexpr char kWriteDoneText[] = "写入完成!";
inline constexpr char kBatchDoneText[] = "已完成操作! ";
// A batch button that has nothing to act on says why instead of doing nothing.
inline constexpr char kSelectFilesText[] = "请先在右边的文件列表中选择文件。";
inline constexpr char kSelectDeviceModesText[] = "请先在左边的设备模式列表中选择模式。";
inline constexpr char kNoFreeModeText[] = "所选的设备模式都已配有文件；请先移除配对或选择其他模式。";
inline constexpr char kNothingToUploadText[] = "没有待上传的配对：请先选择文件，再用 << 把它们配给设备模式。";
inline constexpr char kDeviceListHeader[] = "模式号\t| 原配置        | 新配置";
inline constexpr char kFileListHeader[] = "文件号\t| 名称";

// Row i of the device list: "模式 " + (i + 1) + tab + "| " + the name padded with spaces to 12
// bytes of ANSI text (or cut to 12 characters) + "  | " + the assignment.
std::string DeviceRowText(int row, const std::string& name, const std::string& assignment);

class FrmProgramManager : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDeviceRows = 10;

  // `dialogs` must outlive the window; `modeFolder` is the mode folder's path.
  FrmProgramManager(const AdminContext& context, FileDialogs& dialogs,
                    const std::string& modeFolder, QWidget* parent = nullptr);
  ~FrmProgramManager() override;

  // The window's opening: mode list, name, options, file list, device rows; the mode names
  // are read from the device first when it is online.
  void Load();
  bool ProgramManagerOpen() const { return open_; }
  // One sync tick of the link: one step of the progress bar when it counts.
  void Nudge();
  // A whole-mode transfer starts (true) or ends (false), the window's own or another's: the
  // window is disabled and its progress bar shown until every start has its end.
  void SetTransferRunning(bool running);

  // Commands, as the buttons run them.
  void WriteMode();          // Command2 "写入"
  void ReadMode();           // Command1 "读取"
  void OpenFile();           // Command20 "打开文件"
  void SaveFile();           // Command3 "保存文件"
  void SaveModesToFolder();  // Command9 ">>"
  void AssignFiles();        // Command10 "<<"
  void UploadBatch();        // Command8 "批量上传到设备中"
  void MoveUp();             // Command14 "上移"
  void MoveDown();           // Command15 "下移"
  void RemoveAssignments();  // Command16 "移除"
  void ClearAssignments();   // Command17 "清空"
  void DeleteFiles();        // Command13 "删除"
  // Ends the log-ins; true when the window may close (offline, or both acknowledged).
  bool EndSession();

  // Observers, named as on the form.
  QComboBox* Combo1() const { return combo1_; }
  QLineEdit* Text1() const { return text1_; }
  QListWidget* List1() const { return list1_; }
  QListWidget* List4() const { return list4_; }
  QPushButton* Button(const char* name) const;
  controls::C_ProgressBar* ProgressBar() const { return progress_; }
  ProtectedPanels* Panels() const { return panels_; }
  FileOperation& Files() { return *files_; }
  const std::string& Assignment(int row) const { return assignments_.at(static_cast<size_t>(row)); }
  std::vector<int> SelectedRows(const QListWidget* list) const;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QWidget* BuildModePanel();
  QWidget* BuildLocalPanel();
  QWidget* BuildBatchPanel();
  QPushButton* AddButton(QWidget* parent, const char* name, const char* text, void (FrmProgramManager::*slot)());
  void BuildDeviceRows();
  void BuildDeviceRow(int row);
  void ListFolder();
  void SelectAll(QListWidget* list, bool on);
  void Move(int step);
  // Disables the window and shows the progress bar for the life of the guard.
  class Busy;
  // No transfer runs and no request waits: a command may talk to the device.
  bool Idle() const;

  AdminContext ctx_;
  FileDialogs& dialogs_;
  std::unique_ptr<FileOperation> files_;
  std::array<std::string, 100> assignments_{};
  bool open_ = false;
  int busyDepth_ = 0;
  QComboBox* combo1_ = nullptr;
  QCheckBox* allAmplifiers_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QListWidget* list1_ = nullptr;
  QListWidget* list4_ = nullptr;
  controls::C_ProgressBar* progress_ = nullptr;
  ProtectedPanels* panels_ = nullptr;
};

}  // namespace mirelune
