// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/startup_trace.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "graph/response_model.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "ui/graph/graph_widget.h"
#include "ui/window/mdi_main.h"
#include "ui/pages/page_table.h"

namespace mirelune::ui {

namespace {

class Trace : public QObject {
 public:
  Trace(ConsoleSession& session, MdiMain& frame) : QObject(&frame), session_(session), frame_(frame) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || done_) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    if (!mapped_ && w->window() == &frame_) {
      mapped_ = true;
      Print("mapped");
    }
    FrmEq* eq = frame_.tuningWindow();
    if (eq && session_.StatusFacts().modeNumber >= 0 && (w == eq || eq->isAncestorOf(w))) {
      done_ = true;
      Print("values");
      if (std::getenv("MIRELUNE_TRACE_OPEN_ALL")) QTimer::singleShot(200, &frame_, [this] { OpenAll(); });
      if (GraphWidget* g = eq->graph()) {
        const QPoint at = g->mapToGlobal(QPoint(0, 0));
        const MarkerPos m = g->model().Marker(0);
        std::fprintf(stderr, "mirelune-trace graph %d %d %d %d %d %d\n", at.x(), at.y(), g->width(),
                     g->height(), static_cast<int>(std::lround(m.x)), static_cast<int>(m.y));
        std::fflush(stderr);
      }
    }
    return false;
  }

 private:
  // For the memory figure: every page shown once and every window opened, then the peak.
  void OpenAll() {
    FrmEq* eq = frame_.tuningWindow();
    if (!eq) return;
    for (int page = 0; page < kPageCount; ++page) {
      eq->ShowPage(page);
      QCoreApplication::processEvents();
    }
    eq->ShowPage(0);
    frame_.OpenProgramManager();
    frame_.OpenStartupSettings();
    frame_.OpenProgram2();
    frame_.ChooseDevice();
    QCoreApplication::processEvents();
    Print("opened");
  }

  static void Print(const char* what) {
    std::fprintf(stderr, "mirelune-trace %s %lld\n", what,
                 static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stderr);
  }

  ConsoleSession& session_;
  MdiMain& frame_;
  bool mapped_ = false;
  bool done_ = false;
};

}  // namespace

void InstallStartupTrace(ConsoleSession& session, MdiMain& frame) {
  if (!std::getenv("MIRELUNE_STARTUP_TRACE")) return;
  qApp->installEventFilter(new Trace(session, frame));
}

}  // namespace mirelune::ui
