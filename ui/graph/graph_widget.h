// SPDX-License-Identifier: GPL-3.0-or-later
// Folder ui/graph/: the response graph as a widget: its drawing, gestures and timers. May include:
// controls/, link/ and what lies under them.
//
// Picture1: the response graph of the page shown. It owns the model, its drawing and its
// timers, shows the finished frame, follows the window's size and turns pointer, key and wheel
// input into graph gestures. The band the draw timer finds pending is handed to sendParam.
// When the window repaints while a draw is pending (a drag's move repaints the band's strip at
// once), the draw is done first, so that the strip and the graph reach the screen in one paint.
#pragma once

#include <functional>
#include <memory>

#include <QPointer>
#include <QWidget>

#include "graph/graph_view.h"
#include "graph/response_model.h"
#include "platform/scheduler.h"
#include "ui/graph/graph_gestures.h"
#include "ui/graph/graph_timers.h"

namespace mirelune {
class BandSliderSink;
}
namespace mirelune::controls {
class GraphWheelHook;
}

namespace mirelune::ui {

class GraphWidget : public QWidget {
  Q_OBJECT

 public:
  // `store` and `scheduler` must outlive the widget.
  GraphWidget(Store& store, Scheduler& scheduler, QWidget* parent = nullptr);
  ~GraphWidget() override;

  ResponseModel& model() { return model_; }
  GraphView& view() { return view_; }
  GraphGestures& gestures() { return gestures_; }
  SchedulerGraphTimers& timers() { return timers_; }
  controls::GraphWheelHook* wheelHook() const { return wheel_; }

  // Sends the record at an address (the draw timer's band send); null: nothing is sent.
  std::function<void(int address)> sendParam;

  // Rebuilds the bands of the page from the store and draws them (RedrawAll, not quiet).
  void Rebuild();
  // Stops every timer (the window is closing).
  void StopTimers();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void showEvent(QShowEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void keyReleaseEvent(QKeyEvent*) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void DrawTick();
  static int GraphKeyOf(int qtKey);
  // What of the frame's changed pieces is copied to the screen.
  static QRegion ScreenRegion(const std::vector<QRect>& pieces);

  Scheduler& scheduler_;
  ResponseModel model_;
  GraphView view_;
  SchedulerGraphTimers timers_;
  GraphGestures gestures_;
  controls::GraphWheelHook* wheel_ = nullptr;  // owned by this widget
  QPointer<QWidget> watchedWindow_;  // the top-level whose repaints the draw tick joins
  Scheduler::TimerId blinkTimer_ = 0;
};

}  // namespace mirelune::ui
