#include "ui/mdi_main.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "ui/console_session.h"
#include "ui/frm_eq.h"

namespace mirelune::ui {

MdiMain::MdiMain(ConsoleSession& session, QWidget* parent) : QMainWindow(parent) {
  setObjectName("mdiMain");
  setWindowTitle("Mirelune");
  eq_ = new FrmEq(session, this);
  setCentralWidget(eq_);
  connect(eq_, &FrmEq::closeNow, this, &QMainWindow::close);
  connect(eq_, &FrmEq::minimiseRequested, this, &QWidget::showMinimized);
  session.onAdminRefused = [this] { close(); };
  const QScreen* screen = QGuiApplication::primaryScreen();
  resize(StartSize(screen ? screen->availableGeometry().size() : QSize(0, 0)));
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
