// SPDX-License-Identifier: GPL-3.0-or-later
// The console as a user drives it: the frame with the tuning window at 1610 x 893 on the
// offscreen platform, the virtual amplifier behind the link, pointer moves delivered to the
// frame's top-level window as the window system delivers them. Reports the CPU time of one
// pointer move on the graph during a drag: the event, the model, the frame drawn, the window
// painted and the band's frame sent to the amplifier.
//   build/bin/mirelune-bench-console
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEvent>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <memory>

#include "platform/recording_notifier.h"
#include "platform/virtual_scheduler.h"
#include "sim/virtual_amplifier.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "ui/graph/graph_widget.h"
#include "ui/window/mdi_main.h"

namespace mirelune::ui {
namespace {

void EnsureApp() {
  if (QCoreApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "mirelune-bench-console";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

struct ConsoleOnVirtual {
  VirtualScheduler scheduler;
  RecordingNotifier messages;
  std::unique_ptr<ConsoleSession> session;
  std::unique_ptr<MdiMain> frame;

  ConsoleOnVirtual() {
    ConsoleOptions options;
    options.device = ConsoleOptions::Device::Virtual;
    options.dataFolder = QDir::tempPath().toStdString() + "/mirelune-bench-console";
    session = std::make_unique<ConsoleSession>(options, scheduler, messages);
    frame = std::make_unique<MdiMain>(*session);
    frame->resize(1610 + 200, 893 + 200);
    frame->show();
    session->Start();
    scheduler.RunFor(1000);
    frame->tuningWindow()->setGeometry(67, 37, 1610, 893);
    Settle();
  }
  ~ConsoleOnVirtual() {
    frame.reset();
    session.reset();
  }
  void Settle() {
    QCoreApplication::processEvents();
    scheduler.RunFor(2);
    QCoreApplication::processEvents();
  }
  QWindow* window() { return frame->windowHandle(); }
  QPoint InWindow(QWidget* w, QPoint p) { return w->mapTo(frame.get(), p); }
};

struct PaintCounter : QObject {
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++count;
      for (const QRect& r : static_cast<QPaintEvent*>(e)->region()) {
        area += static_cast<double>(r.width()) * r.height();
        ++rects;
      }
    }
    return false;
  }
  int count = 0;
  int rects = 0;
  double area = 0;
};

// Paint events of every other widget of the application during the drag.
struct OtherPaints : QObject {
  explicit OtherPaints(QWidget* graph) : graph_(graph) { qApp->installEventFilter(this); }
  ~OtherPaints() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint && o != graph_) {
      ++count;
      for (const QRect& r : static_cast<QPaintEvent*>(e)->region()) area += static_cast<double>(r.width()) * r.height();
    }
    return false;
  }
  QWidget* graph_;
  int count = 0;
  double area = 0;
};

// One pointer move of a drag: the band follows the pointer back and forth over 300 px.
void BM_GraphDragMove(benchmark::State& state) {
  EnsureApp();
  ConsoleOnVirtual c;
  if (!c.session->link().Online) return state.SkipWithError("the console did not come online");
  GraphWidget& g = *c.frame->tuningWindow()->graph();
  ResponseModel& m = g.model();
  const int band = 6;
  const MarkerPos marker = m.Marker(band);
  const QPoint start(static_cast<int>(marker.x + 0.5f), static_cast<int>(marker.y));
  QTest::mousePress(c.window(), Qt::LeftButton, Qt::NoModifier, c.InWindow(&g, start));
  c.Settle();
  if (m.SelectedBand() != band) return state.SkipWithError("the press did not pick the band");
  PaintCounter paints(&g);
  OtherPaints others(&g);
  const size_t framesBefore = c.session->amplifier()->CommandLog().size();
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 200;
    const int dx = step < 100 ? 3 * step : 3 * (200 - step);
    QTest::mouseMove(c.window(), c.InWindow(&g, start + QPoint(dx, -dx / 6)));
    c.Settle();
  }
  QTest::mouseRelease(c.window(), Qt::LeftButton, Qt::NoModifier, c.InWindow(&g, start));
  c.Settle();
  const double moves = static_cast<double>(state.iterations());
  // Every move must reach the screen and the amplifier, or the figure measures nothing.
  state.counters["paints_per_move"] = paints.count / moves;
  // The share of the graph copied to the screen per move, and in how many rectangles.
  state.counters["graph_share_per_move"] = paints.area / moves / (g.width() * g.height());
  state.counters["rects_per_move"] = paints.rects / moves;
  state.counters["frames_per_move"] =
      static_cast<double>(c.session->amplifier()->CommandLog().size() - framesBefore) / moves;
  // What else repaints at each move (the dragged band's strip shows its values).
  state.counters["other_paints_per_move"] = others.count / moves;
  state.counters["other_px_per_move"] = others.area / moves;
  state.counters["graph_w"] = g.width();
  state.counters["graph_h"] = g.height();
}
BENCHMARK(BM_GraphDragMove)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

}  // namespace
}  // namespace mirelune::ui
