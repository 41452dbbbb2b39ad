// mdiMain: the console's frame window, captioned "Mirelune", holding the tuning window. Its
// size at start is 990 x 520 pixels plus two thirds of the rest of the screen. Closing it runs
// the tuning window's exit, which may defer the close until a waiting request has ended.
//
// Its menu "设备" opens the mode manager ("程序管理") and the rights-and-password window
// ("权限与密码管理"), each modeless and at most once; "中文版" and "开机设置" are shown but
// not available.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QPointer>

class QAction;

namespace mirelune {
class FileDialogs;
class FrmProgram2;
class FrmProgramManager;
}  // namespace mirelune

namespace mirelune::ui {

class ConsoleSession;
class FrmEq;

class MdiMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit MdiMain(ConsoleSession& session, QWidget* parent = nullptr);
  ~MdiMain() override;

  FrmEq* tuningWindow() const { return eq_; }
  // The start-up client size for a screen of this size.
  static QSize StartSize(QSize screen);

  // "程序管理" / "权限与密码管理": shows the window, creating and loading it when it is not
  // open; an open one is raised.
  void OpenProgramManager();
  void OpenProgram2();
  FrmProgramManager* ProgramManager() const;  // null when not open
  FrmProgram2* Program2() const;
  QAction* MenuItem(const char* objectName) const;

  // For windows opened later: the file dialogs (default: QFileDialog) and the mode folder
  // (default: ModeFolder::DefaultPath()).
  void SetFileDialogs(std::unique_ptr<FileDialogs> dialogs);
  void SetModeFolder(std::string path) { modeFolder_ = std::move(path); }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void BuildMenu();

  ConsoleSession& session_;
  FrmEq* eq_ = nullptr;
  std::unique_ptr<FileDialogs> dialogs_;
  std::string modeFolder_;
  QPointer<FrmProgramManager> manager_;
  QPointer<FrmProgram2> program2_;
  std::function<void(bool)> previousOnBusy_;  // the tuning window's, called first
};

}  // namespace mirelune::ui
