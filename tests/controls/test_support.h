// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers shared by the controls' Qt tests: a parameter store on the heap, a shown host
// window, and synthetic wheel events (QTest has no wheel helper).
#pragma once

#include <memory>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include "model/store.h"

namespace mirelune::controls::testing {

inline std::unique_ptr<Store> EmptyStore() { return std::make_unique<Store>(); }

// A plain window the control sits in, shown and exposed so that simulated input arrives.
struct Host {
  QWidget window;
  Host() {
    window.resize(400, 300);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qWarning("test window was not exposed");
  }
};

// Delivers a wheel message at `pos` (widget coordinates) the way the window system would.
inline bool SendWheel(QWidget* w, QPoint pos, int deltaY,
                      Qt::KeyboardModifiers mods = Qt::NoModifier,
                      Qt::MouseButtons buttons = Qt::NoButton, int deltaX = 0) {
  QWheelEvent e(QPointF(pos), QPointF(w->mapToGlobal(pos)), QPoint(), QPoint(deltaX, deltaY),
                buttons, mods, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
  return e.isAccepted();
}

}  // namespace mirelune::controls::testing
