// SPDX-License-Identifier: GPL-3.0-or-later
// The tuning window's hand-made frame: it has no caption bar or border of its own, so the user
// drags it by its top bar and the drag handle, and resizes it by the 5-pixel zones along its
// edges, where the pointer shows the sizing shape of the edge or corner. The window never
// becomes smaller than its minimum size (990 x 520 pixels).
//
// Zones follow the pointer by mouse events (moves, and entering any child), not by polling.
// Installed as an application event filter while the window lives. UI thread only.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

class QWidget;

namespace mirelune::ui {

enum class ResizeZone { Move, Left, Right, Up, Down, LeftUp, RightUp, LeftDown, RightDown };

// The zone of pointer p for a window whose rectangle spans [left, left + width) x
// [top, top + height). The right and bottom zones run up to and including the edge
// coordinate left + width (top + height), the left and top zones start at the window's first
// pixel; corners win over edges.
ResizeZone ZoneAt(const QRect& window, QPoint p);
// "Left", "Right", "Up", "Down", "LeftUp", "RightUp", "LeftDown", "RightDown" or "Move".
QString ZoneName(ResizeZone zone);
Qt::CursorShape ZoneCursor(ResizeZone zone);

class FrameHandles : public QObject {
  Q_OBJECT

 public:
  // `window` is moved and resized inside its parent; presses on `dragHandles` (outside the
  // resize zones) drag it. Presses on the window's own background in a zone resize it.
  FrameHandles(QWidget& window, std::vector<QWidget*> dragHandles, QSize minimum);
  ~FrameHandles() override;

  ResizeZone Zone() const { return zone_; }
  // True between a left press on the window background (or a handle) and the release.
  bool FrameMouseDown() const { return mode_ != Mode::None; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Mode { None, Dragging, Resizing };
  void Track(QPoint global);
  QRect Resized(QPoint global) const;
  bool IsHandle(QObject* o) const;

  QWidget& window_;
  std::vector<QWidget*> handles_;
  QSize minimum_;
  ResizeZone zone_ = ResizeZone::Move;
  Mode mode_ = Mode::None;
  QPoint pressGlobal_;
  QRect startGeometry_;
};

}  // namespace mirelune::ui
