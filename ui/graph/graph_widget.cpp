// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/graph/graph_widget.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "controls/graph_wheel_hook.h"
#include "graph/skin.h"
#include "link/link.h"

namespace mirelune::ui {

GraphWidget::GraphWidget(Store& store, Scheduler& scheduler, QWidget* parent)
    : QWidget(parent),
      scheduler_(scheduler),
      model_(store),
      view_(model_),
      timers_(scheduler),
      gestures_(model_, timers_, scheduler) {
  setObjectName("Picture1");
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  model_.SetTimers(&timers_);
  timers_.onNoOper = [this] { model_.NoOperTick(); };
  timers_.onFade = [this] { model_.GradientTick(); };
  timers_.onDraw = [this] { DrawTick(); };
  view_.SetPresenter([this](const std::vector<QRect>& changed) { update(ScreenRegion(changed)); });
  // The blinking marks advance every 50 ms while they blink; once they rest the timer stops and
  // the next selection, drag or redraw starts it again.
  model_.onBlinkWake = [this] {
    if (blinkTimer_ != 0 || !model_.Blinking()) return;
    blinkTimer_ = scheduler_.StartTimer(Link::kTickMs, true, [this] {
      model_.BlinkTick();
      if (!model_.Blinking()) {
        scheduler_.StopTimer(blinkTimer_);
        blinkTimer_ = 0;
      }
    });
  };

  wheel_ = new controls::GraphWheelHook(this);
  connect(wheel_, &controls::GraphWheelHook::Key, this, [this](int qtKey) {
    gestures_.KeyDown(GraphKeyOf(qtKey));
  });
}

GraphWidget::~GraphWidget() { StopTimers(); }

// The frame's pieces are one per 64-pixel column, each as tall as its own curves; as a region
// they fall apart into a band per distinct top and bottom, and every band is a copy and a
// request to the display of its own (a drag gave 50-80 per move). Pieces next to each other are
// copied as one rectangle while that copies at most half as much again as the pieces hold:
// copying a few more pixels costs less than another rectangle.
QRegion GraphWidget::ScreenRegion(const std::vector<QRect>& pieces) {
  std::vector<QRect> sorted = pieces;
  std::sort(sorted.begin(), sorted.end(), [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
  auto area = [](const QRect& r) { return static_cast<long>(r.width()) * r.height(); };
  constexpr long kSlackPx = 64L * 64;  // what another rectangle costs, in pixels copied
  QRegion region;
  QRect run;
  long held = 0;  // the pixels of the pieces in `run`
  for (const QRect& piece : sorted) {
    const QRect joined = run.united(piece);
    if (!run.isNull() && area(joined) * 2 > (held + area(piece)) * 3 + kSlackPx) {
      region += run;
      run = piece;
      held = area(piece);
      continue;
    }
    run = joined;
    held += area(piece);
  }
  if (!run.isNull()) region += run;
  return region;
}

void GraphWidget::StopTimers() {
  model_.onBlinkWake = nullptr;
  timers_.StopAll();
  scheduler_.StopTimer(blinkTimer_);
  blinkTimer_ = 0;
}

void GraphWidget::Rebuild() {
  if (model_.Geometry().Width() == 0) view_.ResizeGraph(size());
  model_.RedrawAll(false);
}

void GraphWidget::DrawTick() {
  view_.DrawGraph();
  const int address = model_.TakePendingSendAddress();
  if (address >= 0 && sendParam) sendParam(address);
}

// Only the rectangles asked for: a drag changes a small part of the frame.
void GraphWidget::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  const QImage& frame = view_.Composite();
  if (frame.isNull()) {
    p.fillRect(rect(), QColor(12, 14, 18));
    return;
  }
  p.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QRect& r : e->region()) skin::DrawImageRows(p, r.topLeft(), frame, r);
}

void GraphWidget::resizeEvent(QResizeEvent*) {
  // The window is laid out more than once before it shows: the surfaces are made for the size
  // it shows at, not for each size on the way there.
  if (!isVisible()) return;
  if (!view_.ResizeGraph(size())) return;
  // New point tables and curves for the new width; the selection returns to band 0.
  model_.RedrawAll(true);
  view_.DrawGraph();
}

// A move or a key step changes the band's strip at once and schedules the graph's draw: two
// repaints of the window, each a wait for the display and a copy to it. The window's repaint
// comes after every input event already queued, so drawing then still takes all of them in.
bool GraphWidget::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::UpdateRequest && watched == watchedWindow_ && timers_.Active(GraphTimer::Draw)) {
    timers_.Stop(GraphTimer::Draw);
    DrawTick();
  }
  return QWidget::eventFilter(watched, e);
}

void GraphWidget::showEvent(QShowEvent*) {
  if (window() != watchedWindow_) {
    if (watchedWindow_) watchedWindow_->removeEventFilter(this);
    watchedWindow_ = window();
    watchedWindow_->installEventFilter(this);
  }
  if (!view_.ResizeGraph(size())) return;
  model_.RedrawAll(true);
  view_.DrawGraph();
}

void GraphWidget::mousePressEvent(QMouseEvent* e) {
  const QPointF p = e->position();
  gestures_.MouseDown(static_cast<int>(p.x()), static_cast<int>(p.y()),
                      e->button() == Qt::RightButton);
}

void GraphWidget::mouseMoveEvent(QMouseEvent* e) {
  gestures_.MouseMove(static_cast<float>(e->position().x()), static_cast<float>(e->position().y()));
}

void GraphWidget::mouseReleaseEvent(QMouseEvent*) { gestures_.MouseUp(); }

int GraphWidget::GraphKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Home: return kKeyHome;
    case Qt::Key_End: return kKeyEnd;
    default: return 0;
  }
}

// The graph's own keys, unmodified, are claimed before the window's shortcuts are searched: no
// shortcut takes them (an arrow key always reached the graph), and the search through every
// menu's shortcuts at each key step cost more than the step's model work.
bool GraphWidget::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier && GraphKeyOf(key->key()) != 0) {
      e->accept();
      return true;
    }
  }
  return QWidget::event(e);
}

void GraphWidget::keyPressEvent(QKeyEvent* e) {
  const int key = GraphKeyOf(e->key());
  if (key == 0) return QWidget::keyPressEvent(e);
  // Auto-repeat of a held arrow is the hold timer's job; other keys step once per repeat.
  if (e->isAutoRepeat() && (key == kKeyLeft || key == kKeyRight)) return;
  gestures_.KeyDown(key);
}

void GraphWidget::keyReleaseEvent(QKeyEvent* e) {
  const int key = GraphKeyOf(e->key());
  if (key == 0) return QWidget::keyReleaseEvent(e);
  if (e->isAutoRepeat()) return;
  gestures_.KeyUp(key);
}

}  // namespace mirelune::ui
