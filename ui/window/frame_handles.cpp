// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/frame_handles.h"

#include <algorithm>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace mirelune::ui {

constexpr int kZone = 5;

ResizeZone ZoneAt(const QRect& w, QPoint p) {
  const int l = w.left(), t = w.top(), r = w.left() + w.width(), b = w.top() + w.height();
  const bool atLeft = l <= p.x() && p.x() < l + kZone;
  const bool atRight = r - kZone < p.x() && p.x() <= r;
  const bool atTop = t <= p.y() && p.y() < t + kZone;
  const bool atBottom = b - kZone < p.y() && p.y() <= b;
  if (atLeft && atTop) return ResizeZone::LeftUp;
  if (atRight && atBottom) return ResizeZone::RightDown;
  if (atTop && atRight) return ResizeZone::RightUp;
  if (atLeft && atBottom) return ResizeZone::LeftDown;
  if (atLeft) return ResizeZone::Left;
  if (atRight) return ResizeZone::Right;
  if (atTop) return ResizeZone::Up;
  if (atBottom) return ResizeZone::Down;
  return ResizeZone::Move;
}

QString ZoneName(ResizeZone zone) {
  switch (zone) {
    case ResizeZone::Left: return "Left";
    case ResizeZone::Right: return "Right";
    case ResizeZone::Up: return "Up";
    case ResizeZone::Down: return "Down";
    case ResizeZone::LeftUp: return "LeftUp";
    case ResizeZone::RightUp: return "RightUp";
    case ResizeZone::LeftDown: return "LeftDown";
    case ResizeZone::RightDown: return "RightDown";
    case ResizeZone::Move: break;
  }
  return "Move";
}

Qt::CursorShape ZoneCursor(ResizeZone zone) {
  switch (zone) {
    case ResizeZone::LeftUp:
    case ResizeZone::RightDown: return Qt::SizeFDiagCursor;
    case ResizeZone::RightUp:
    case ResizeZone::LeftDown: return Qt::SizeBDiagCursor;
    case ResizeZone::Left:
    case ResizeZone::Right: return Qt::SizeHorCursor;
    case ResizeZone::Up:
    case ResizeZone::Down: return Qt::SizeVerCursor;
    case ResizeZone::Move: break;
  }
  return Qt::ArrowCursor;
}

FrameHandles::FrameHandles(QWidget& window, std::vector<QWidget*> dragHandles, QSize minimum)
    : QObject(&window), window_(window), handles_(std::move(dragHandles)), minimum_(minimum) {
  window_.setMouseTracking(true);
  for (QWidget* h : handles_) h->setMouseTracking(true);
  qApp->installEventFilter(this);
}

FrameHandles::~FrameHandles() { qApp->removeEventFilter(this); }

bool FrameHandles::IsHandle(QObject* o) const {
  return std::find(handles_.begin(), handles_.end(), o) != handles_.end();
}

void FrameHandles::Track(QPoint global) {
  const QRect onScreen(window_.mapToGlobal(QPoint(0, 0)), window_.size());
  const ResizeZone zone = ZoneAt(onScreen, global);
  if (zone == zone_) return;
  zone_ = zone;
  // Children without a pointer shape of their own show the window's.
  if (zone == ResizeZone::Move)
    window_.unsetCursor();
  else
    window_.setCursor(ZoneCursor(zone));
}

QRect FrameHandles::Resized(QPoint global) const {
  const QPoint d = global - pressGlobal_;
  QRect g = startGeometry_;
  const bool left = zone_ == ResizeZone::Left || zone_ == ResizeZone::LeftUp || zone_ == ResizeZone::LeftDown;
  const bool right = zone_ == ResizeZone::Right || zone_ == ResizeZone::RightUp || zone_ == ResizeZone::RightDown;
  const bool up = zone_ == ResizeZone::Up || zone_ == ResizeZone::LeftUp || zone_ == ResizeZone::RightUp;
  const bool down = zone_ == ResizeZone::Down || zone_ == ResizeZone::LeftDown || zone_ == ResizeZone::RightDown;
  // The edge held follows the pointer; the opposite edge stays where it was, also when the
  // minimum size stops the held one.
  if (left) g.setLeft(std::min(g.left() + d.x(), g.right() + 1 - minimum_.width()));
  if (right) g.setWidth(std::max(g.width() + d.x(), minimum_.width()));
  if (up) g.setTop(std::min(g.top() + d.y(), g.bottom() + 1 - minimum_.height()));
  if (down) g.setHeight(std::max(g.height() + d.y(), minimum_.height()));
  return g;
}

bool FrameHandles::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  if (w != &window_ && !window_.isAncestorOf(w)) return false;
  switch (event->type()) {
    case QEvent::Enter:
      if (mode_ == Mode::None) Track(static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
      return false;
    case QEvent::Leave:
      if (w == &window_ && mode_ == Mode::None) {
        zone_ = ResizeZone::Move;
        window_.unsetCursor();
      }
      return false;
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      const QPoint global = m->globalPosition().toPoint();
      if (mode_ == Mode::Dragging) {
        window_.move(startGeometry_.topLeft() + (global - pressGlobal_));
        return true;
      }
      if (mode_ == Mode::Resizing) {
        window_.setGeometry(Resized(global));
        return true;
      }
      Track(global);
      return false;
    }
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(event);
      if (m->button() != Qt::LeftButton) return false;
      const bool background = w == &window_ || IsHandle(w);
      if (!background) return false;
      Track(m->globalPosition().toPoint());
      pressGlobal_ = m->globalPosition().toPoint();
      startGeometry_ = window_.geometry();
      if (zone_ != ResizeZone::Move) {
        mode_ = Mode::Resizing;
        return true;
      }
      if (IsHandle(w)) {
        mode_ = Mode::Dragging;
        // A button used as a handle still gets its press (its own picture and notices).
        return false;
      }
      return false;
    }
    case QEvent::MouseButtonRelease:
      if (mode_ != Mode::None) {
        const bool resized = mode_ == Mode::Resizing;
        mode_ = Mode::None;
        return resized;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace mirelune::ui
