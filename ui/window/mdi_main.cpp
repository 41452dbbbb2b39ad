// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/mdi_main.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>

#include "admin/frm_program2.h"
#include "admin/frm_program_manager.h"
#include "admin/protected_panels.h"
#include "modes/mode_folder.h"
#include "controls/mbtnflag.h"
#include "model/scales.h"
#include "platform/qt_file_dialogs.h"
#include "ui/session/console_session.h"
#include "ui/window/eq_filter_actions.h"
#include "ui/window/frame_handles.h"
#include "ui/dialogs/device_chooser.h"
#include "ui/dialogs/remote_dialog.h"
#include "ui/tuning/frm_eq.h"
#include "ui/session/link_log.h"
#include "ui/tuning/measure_window.h"
#include "ui/tuning/graph_tools.h"
#include "ui/tuning/tool_bar.h"
#include "platform/tr.h"

namespace mirelune::ui {

namespace {

constexpr double kTwips = 15.0;

int Pixels(double twips) { return static_cast<int>(RoundHalfEven(twips / kTwips)); }

AdminContext ContextOf(ConsoleSession& s) {
  return {s.store(), s.link(), s.transfers(), s.notifier(), &s.scheduler(),
          [&s] { return s.DeviceLabel(); }, [&s](int address) { return s.SendParam(address); }};
}

}  // namespace

MdiMain::MdiMain(ConsoleSession& session, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      dialogs_(std::make_unique<QtFileDialogs>()),
      modeFolder_(ModeFolder::DefaultPath()) {
  setObjectName("mdiMain");
  setWindowTitle("Mirelune");
  client_ = new QWidget(this);
  client_->setObjectName("mdiClient");
  client_->setAutoFillBackground(true);
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, QColor(58, 62, 70));
  client_->setPalette(pal);
  setCentralWidget(client_);
  // What the empty frame says while the tuning window is closed.
  closedHint_ = new QLabel(client_);
  closedHint_->setObjectName("tuningWindowClosed");
  closedHint_->setAlignment(Qt::AlignCenter);
  closedHint_->setWordWrap(true);
  QPalette hintPalette = closedHint_->palette();
  hintPalette.setColor(QPalette::WindowText, QColor(220, 224, 232));  // light on the grey client
  closedHint_->setPalette(hintPalette);
  QFont hintFont = closedHint_->font();
  hintFont.setPixelSize(15);
  closedHint_->setFont(hintFont);
  closedHint_->hide();
  BuildMenu();
  session.onAdminRefused = [this] { close(); };
  session.onDeviceChanged = [this] { UpdateTitle(); };
  UpdateTitle();
  // The link's sync ticks step the mode manager's progress bar while it is open.
  session.notifier().onProgress = [this] {
    if (manager_ && manager_->ProgramManagerOpen()) manager_->Nudge();
  };
  // Every whole-mode transfer, whoever starts it, locks the tuning window and the
  // administration windows and shows the mode manager's progress bar, so that none of their
  // commands starts inside it.
  session.notifier().onBusy = [this](bool busy) {
    if (eq_) eq_->SetBusy(busy);
    if (manager_) manager_->SetTransferRunning(busy);
    if (program2_) program2_->setEnabled(!busy);
  };

  // The client area never gets smaller than the tuning window's minimum, so the window that
  // fills it is never cut.
  client_->setMinimumSize(FrmEq::kMinWidth, FrmEq::kMinHeight);
  client_->installEventFilter(this);

  // The frame opens with a client area of the tuning window's start size, where the tuning
  // window would have stood on the screen.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize screenSize = screen ? screen->geometry().size() : QSize(0, 0);
  const QRect child = TuningWindowRect(screenSize);
  QSize start(child.width(), child.height() + menuBar()->sizeHint().height());
  if (screen) {
    const QRect avail = screen->availableGeometry();
    start = start.boundedTo(avail.size());
    move(avail.topLeft() + QPoint(std::min(child.left(), std::max(0, avail.width() - start.width())),
                                  std::min(child.top(), std::max(0, avail.height() - start.height()))));
  }
  resize(start);
  LoadTuningWindow();
  // At start the tuning window is the start-up window, not one loaded from the menu.
  MenuItem("mnuChinese")->setChecked(false);
}

MdiMain::~MdiMain() {
  delete unloading_.data();
  delete eq_;
  session_.notifier().onProgress = nullptr;
  session_.notifier().onBusy = nullptr;
  session_.onAdminRefused = nullptr;
  session_.onDeviceChanged = nullptr;
}

void MdiMain::UpdateTitle() {
  const std::string device = session_.DeviceLabel();
  setWindowTitle(device == "virtual" ? QStringLiteral("Mirelune")
                                     : "Mirelune - " + QString::fromStdString(device));
}

void MdiMain::ChooseDevice() {
  if (!chooser_) {
    chooser_ = new DeviceChooser(session_, this);
    chooser_->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    chooser_->Refresh();
  }
  chooser_->open();
}

void MdiMain::OpenRemote() {
  if (!remote_) remote_ = new RemoteDialog(session_, this);
  remote_->show();
  remote_->raise();
  remote_->activateWindow();
}

QRect MdiMain::TuningWindowRect(QSize screen) {
  const int left = Pixels(1000);
  const int top = screen.height() > 800 ? Pixels((screen.height() - 800) * 2.0) : Pixels(50);
  const auto size = [](int minimum, int screenSide) {
    return std::max(minimum, static_cast<int>(RoundHalfEven(minimum + (screenSide - minimum) / 1.5)));
  };
  return {left, top, size(FrmEq::kMinWidth, screen.width()), size(FrmEq::kMinHeight, screen.height())};
}

void MdiMain::BuildMenu() {
  QMenu* device = menuBar()->addMenu(Tr("设备"));
  device->setObjectName("mnuDevice");
  sourceTexts_.push_back({device->menuAction(), "设备"});
  struct Item {
    const char* name;
    const char* text;
    void (MdiMain::*open)();
  };
  const Item items[] = {
      // Each entry reads as the title of the window it opens, but for the power-on settings,
      // which open the window of the system settings (its caption "系统设置").
      {"mnuChinese", "调音窗口", &MdiMain::ToggleTuningWindow},
      {"CmdProgramSetup", "程式管理", &MdiMain::OpenProgramManager},
      {"CmdStartupSettings", "开机设置", &MdiMain::OpenStartupSettings},
      {"CmdPrePassManager", "权限与密码管理", &MdiMain::OpenProgram2},
  };
  for (const Item& item : items) {
    QAction* a = device->addAction(Tr(item.text));
    sourceTexts_.push_back({a, item.text});
    a->setObjectName(item.name);
    connect(a, &QAction::triggered, this, item.open);
  }
  // Filter sets of measurement programs for the page shown (ui/window/eq_filter_actions.h).
  for (const bool importing : {true, false}) {
    QAction* a = device->addAction(QCoreApplication::translate("Mirelune", importing ? "EQ 导入…" : "EQ 导出…"));
    a->setObjectName(importing ? "CmdEqImport" : "CmdEqExport");
    sourceTexts_.push_back({a, importing ? "EQ 导入…" : "EQ 导出…"});
    connect(a, &QAction::triggered, this, [this, importing] {
      if (eq_) (importing ? ImportEqFilters : ExportEqFilters)(session_, *eq_, *dialogs_);
    });
  }
  // Measuring the room and fitting the page to it (ui/tuning/measure_window.h).
  QAction* measure = device->addAction(Tr("测量…"));
  measure->setObjectName("CmdMeasure");
  sourceTexts_.push_back({measure, "测量…"});
  connect(measure, &QAction::triggered, this, [this] {
    if (eq_) OpenMeasureWindow(session_, *eq_, dialogs_.get());
  });
  MenuItem("mnuChinese")->setCheckable(true);
  device->addSeparator();
  QAction* choose = device->addAction(Tr("选择放大器…"));
  choose->setObjectName("CmdChooseDevice");
  sourceTexts_.push_back({choose, "选择放大器…"});
  connect(choose, &QAction::triggered, this, &MdiMain::ChooseDevice);
  QAction* remote = device->addAction(Tr("远程控制…"));
  remote->setObjectName("CmdRemoteControl");
  sourceTexts_.push_back({remote, "远程控制…"});
  connect(remote, &QAction::triggered, this, &MdiMain::OpenRemote);
  QAction* log = device->addAction(QCoreApplication::translate("Mirelune", "记录通信日志…"));
  log->setObjectName("CmdLinkLog");
  BindLinkLogAction(*log, session_.linkLog(), [this]() -> FileDialogs& { return *dialogs_; },
                    session_.notifier(), this);
  sourceTexts_.push_back({log, "记录通信日志…"});

  // Named in both languages, so that a user who reads neither finds it.
  QMenu* language = menuBar()->addMenu(QStringLiteral("语言 / Language"));
  language->setObjectName("mnuLanguage");
  auto* group = new QActionGroup(this);
  for (const Language l : {Language::Chinese, Language::English}) {
    QAction* a = language->addAction(l == Language::Chinese ? QStringLiteral("中文") : QStringLiteral("English"));
    a->setObjectName(l == Language::Chinese ? "mnuLanguageZh" : "mnuLanguageEn");
    a->setCheckable(true);
    a->setChecked(CurrentLanguage() == l);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, l] { SwitchLanguage(l); });
  }
}

void MdiMain::SwitchLanguage(Language l) {
  // The choice is kept for the next start, also when it is the language shown now.
  SaveLanguage(l);
  if (l == CurrentLanguage()) return;
  InstallLanguage(l);
  for (const auto& [action, source] : sourceTexts_) action->setText(Tr(source));
  if (!eq_) ShowClosedHint();
  // Every window is built again in the new language; the tuning window reads the amplifier
  // anew when it comes back.
  if (eq_) {
    const bool checked = MenuItem("mnuChinese")->isChecked();
    // The graph's phase and comparison curves stay as they were.
    const GraphToolsState tools = eq_->Tools()->Graph()->State();
    UnloadTuningWindow();
    LoadTuningWindow();
    eq_->Tools()->Graph()->Restore(tools);
    MenuItem("mnuChinese")->setChecked(checked);
  }
}

QAction* MdiMain::MenuItem(const char* objectName) const {
  return findChild<QAction*>(QString::fromUtf8(objectName));
}

FrmProgramManager* MdiMain::ProgramManager() const { return manager_; }
FrmProgram2* MdiMain::Program2() const { return program2_; }

void MdiMain::SetFileDialogs(std::unique_ptr<FileDialogs> dialogs) { dialogs_ = std::move(dialogs); }

// ---- The tuning window ----

void MdiMain::ToggleTuningWindow() {
  if (eq_) {
    UnloadTuningWindow();
    MenuItem("mnuChinese")->setChecked(false);
  } else {
    LoadTuningWindow();
    MenuItem("mnuChinese")->setChecked(true);
  }
}

void MdiMain::LoadTuningWindow() {
  if (eq_) return;
  delete unloading_.data();  // an earlier one still waiting for its deletion goes first
  // The mode folder exists from load on; a folder that cannot be made is said, not hidden.
  std::string why;
  if (!ModeFolder(modeFolder_).Ensure(&why))
    session_.notifier().Warning(std::string("无法创建模式文件夹：") + "\n" + modeFolder_ + ": " + why);
  session_.Resume();
  // The search goes out before the window is built: the amplifier answers while it is (nothing
  // of the link runs before the event loop does, so no callback finds the window half built),
  // and the start-up read can begin as soon as the window shows (see main).
  session_.Start();
  closedHint_->hide();
  eq_ = new FrmEq(session_, client_);
  FitTuningWindow();
  handles_ = new FrameHandles(*eq_, std::vector<QWidget*>{eq_->TopBar(), eq_->DragHandle()},
                              QSize(FrmEq::kMinWidth, FrmEq::kMinHeight));
  connect(eq_, &FrmEq::closeNow, this, &MdiMain::OnTuningWindowClosed);
  connect(eq_, &FrmEq::minimiseRequested, this, &QWidget::showMinimized);
  eq_->show();
  eq_->setFocus();
}

void MdiMain::UnloadTuningWindow() {
  if (!eq_) return;
  session_.Quit();
  // Every other window of the console goes with it; the frame stays.
  if (manager_) manager_->close();
  if (program2_) program2_->close();
  FrmEq* eq = eq_;
  eq_ = nullptr;
  handles_ = nullptr;
  eq->hide();
  // Its own button or timer may have asked for this: it is deleted once that has returned.
  unloading_ = eq;
  eq->deleteLater();
  ShowClosedHint();
}

void MdiMain::ShowClosedHint() {
  // The frame alone would be an empty grey area: it says how to go on, naming the menu entry.
  const QString entry = Tr("设备") + " › " + MenuItem("mnuChinese")->text().remove('&');
  closedHint_->setText(Tr("调音窗口已关闭。用菜单 %1 重新打开它；关闭本窗口即退出程序。").arg(entry));
  closedHint_->setGeometry(client_->rect().adjusted(40, 40, -40, -40));
  closedHint_->setVisible(!eq_);
}

void MdiMain::OnTuningWindowClosed() {
  UnloadTuningWindow();
  MenuItem("mnuChinese")->setChecked(false);
  if (closing_) close();
}

// ---- Administration windows ----

void MdiMain::OpenProgramManager() {
  if (!eq_) return;
  if (!manager_) {
    manager_ = new FrmProgramManager(ContextOf(session_), *dialogs_, modeFolder_, this);
    manager_->setAttribute(Qt::WA_DeleteOnClose);
    FollowLogIn(manager_->Panels());
    manager_->show();
    manager_->Load();
  }
  manager_->show();
  manager_->raise();
  manager_->activateWindow();
}

void MdiMain::FollowLogIn(ProtectedPanels* panels) {
  // A rights log-in is said in the status line while it lasts.
  connect(panels, &ProtectedPanels::LogInChanged, this, [this](int which, bool in) {
    if (which == ProtectedPanels::kRights) session_.SetRightsLoggedIn(in);
  });
}

void MdiMain::OpenStartupSettings() {
  if (eq_) eq_->OpenSystemSettings();
}

void MdiMain::OpenProgram2() {
  if (!eq_) return;
  if (!program2_) {
    program2_ = new FrmProgram2(ContextOf(session_), this);
    program2_->setAttribute(Qt::WA_DeleteOnClose);
    FollowLogIn(program2_->Panels());
    program2_->Load();
  }
  program2_->show();
  program2_->raise();
  program2_->activateWindow();
}

void MdiMain::FitTuningWindow() {
  if (!eq_) return;
  // The tuning window takes the whole client area: maximising or sizing the frame sizes it.
  // Its own edges still size it within the frame until the frame changes again.
  eq_->setGeometry(QRect(QPoint(0, 0), client_->size().expandedTo(eq_->minimumSize())));
}

bool MdiMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    FitTuningWindow();
    closedHint_->setGeometry(client_->rect().adjusted(40, 40, -40, -40));
  }
  return QMainWindow::eventFilter(watched, event);
}

void MdiMain::closeEvent(QCloseEvent* e) {
  if (!eq_) {
    e->accept();
    return;
  }
  if (eq_->RequestExit()) {
    UnloadTuningWindow();
    e->accept();
  } else {
    // The tuning window closes 700 ms later, once the waiting request has ended; so does the
    // frame.
    closing_ = true;
    e->ignore();
  }
}

}  // namespace mirelune::ui
