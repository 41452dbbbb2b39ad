#include "ui/mdi_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include "admin/frm_program2.h"
#include "admin/frm_program_manager.h"
#include "admin/mode_folder.h"
#include "platform/qt_file_dialogs.h"
#include "ui/console_session.h"
#include "ui/frm_eq.h"

namespace mirelune::ui {

MdiMain::MdiMain(ConsoleSession& session, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      dialogs_(std::make_unique<QtFileDialogs>()),
      modeFolder_(ModeFolder::DefaultPath()) {
  setObjectName("mdiMain");
  setWindowTitle("Mirelune");
  eq_ = new FrmEq(session, this);
  setCentralWidget(eq_);
  connect(eq_, &FrmEq::closeNow, this, &QMainWindow::close);
  connect(eq_, &FrmEq::minimiseRequested, this, &QWidget::showMinimized);
  session.onAdminRefused = [this] { close(); };
  const QScreen* screen = QGuiApplication::primaryScreen();
  resize(StartSize(screen ? screen->availableGeometry().size() : QSize(0, 0)));
  BuildMenu();
  // The link's sync ticks step the mode manager's progress bar while it is open.
  auto previous = session.notifier().onProgress;
  session.notifier().onProgress = [this, previous] {
    if (previous) previous();
    if (manager_ && manager_->ProgramManagerOpen()) manager_->Nudge();
  };
  // Every whole-mode transfer, whoever starts it, also locks the administration windows and
  // shows the mode manager's progress bar, so that none of their commands starts inside it.
  previousOnBusy_ = session.notifier().onBusy;
  session.notifier().onBusy = [this](bool busy) {
    if (previousOnBusy_) previousOnBusy_(busy);
    if (manager_) manager_->SetTransferRunning(busy);
    if (program2_) program2_->setEnabled(!busy);
  };
}

MdiMain::~MdiMain() {
  session_.notifier().onProgress = nullptr;
  session_.notifier().onBusy = previousOnBusy_;
}

void MdiMain::BuildMenu() {
  QMenu* device = menuBar()->addMenu(QString::fromUtf8("设备"));
  struct Item {
    const char* name;
    const char* text;
    void (MdiMain::*open)();
  };
  // Without an open function the item is shown but not available: those windows do not exist.
  const Item items[] = {
      {"mnuChinese", "中文版", nullptr},
      {"CmdProgramSetup", "程序管理", &MdiMain::OpenProgramManager},
      {"CmdStartupSettings", "开机设置", nullptr},
      {"CmdPrePassManager", "权限与密码管理", &MdiMain::OpenProgram2},
  };
  for (const Item& item : items) {
    QAction* a = device->addAction(QString::fromUtf8(item.text));
    a->setObjectName(item.name);
    if (item.open)
      connect(a, &QAction::triggered, this, item.open);
    else
      a->setEnabled(false);
  }
  findChild<QAction*>("mnuChinese")->setCheckable(true);
}

QAction* MdiMain::MenuItem(const char* objectName) const {
  return findChild<QAction*>(QString::fromUtf8(objectName));
}

FrmProgramManager* MdiMain::ProgramManager() const { return manager_; }
FrmProgram2* MdiMain::Program2() const { return program2_; }

void MdiMain::SetFileDialogs(std::unique_ptr<FileDialogs> dialogs) { dialogs_ = std::move(dialogs); }

namespace {

AdminContext ContextOf(ConsoleSession& s) {
  return {s.store(), s.link(), s.transfers(), s.notifier()};
}

}  // namespace

void MdiMain::OpenProgramManager() {
  if (!manager_) {
    manager_ = new FrmProgramManager(ContextOf(session_), *dialogs_, modeFolder_, this);
    manager_->setAttribute(Qt::WA_DeleteOnClose);
    manager_->show();
    manager_->Load();
  }
  manager_->show();
  manager_->raise();
  manager_->activateWindow();
}

void MdiMain::OpenProgram2() {
  if (!program2_) {
    program2_ = new FrmProgram2(ContextOf(session_), this);
    program2_->setAttribute(Qt::WA_DeleteOnClose);
    program2_->Load();
  }
  program2_->show();
  program2_->raise();
  program2_->activateWindow();
}

QSize MdiMain::StartSize(QSize screen) {
  const int w = FrmEq::kMinWidth + std::max(0, screen.width() - FrmEq::kMinWidth) * 2 / 3;
  const int h = FrmEq::kMinHeight + std::max(0, screen.height() - FrmEq::kMinHeight) * 2 / 3;
  return {w, h};
}

void MdiMain::closeEvent(QCloseEvent* e) {
  if (eq_->RequestExit()) {
    e->accept();
  } else {
    e->ignore();
  }
}

}  // namespace mirelune::ui
