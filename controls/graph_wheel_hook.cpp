// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/graph_wheel_hook.h"

#include <QWheelEvent>
#include <QWidget>

#include "controls/pointer_notices.h"

namespace mirelune::controls {

GraphWheelHook::GraphWheelHook(QWidget* target) : QObject(target), target_(target) {
  timer_.setSingleShot(true);
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, &GraphWheelHook::DeliverPending);
  target_->installEventFilter(this);
}

bool GraphWheelHook::eventFilter(QObject* watched, QEvent* event) {
  if (watched != target_ || event->type() != QEvent::Wheel) return false;
  auto* w = static_cast<QWheelEvent*>(event);
  const QPoint at = w->position().toPoint();
  // A wheel event over a child that the child did not take arrives here too; it does not count.
  const bool overGraph = target_->rect().contains(at) && target_->childAt(at) == nullptr;
  const int key = GraphKeyForWheel(w->angleDelta(), w->modifiers(), w->buttons());
  if (overGraph && key != 0) {
    pendingKey_ = key;
    timer_.start();
  }
  return true;  // never passed on
}

void GraphWheelHook::DeliverPending() {
  timer_.stop();
  const int key = pendingKey_;
  pendingKey_ = 0;
  if (key) emit Key(key);
}

}  // namespace mirelune::controls
