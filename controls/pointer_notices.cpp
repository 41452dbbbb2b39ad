// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/pointer_notices.h"

namespace mirelune::controls {

namespace {

constexpr int kNotch = 120;

int Direction(QPoint angleDelta) {
  if (angleDelta.x() != 0) return 0;
  if (angleDelta.y() == kNotch) return 1;
  if (angleDelta.y() == -kNotch) return -1;
  return 0;
}

}  // namespace

int PureWheelNotch(QPoint angleDelta, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  if (modifiers != Qt::NoModifier || buttons != Qt::NoButton) return 0;
  return Direction(angleDelta);
}

int GraphKeyForWheel(QPoint angleDelta, Qt::KeyboardModifiers modifiers,
                     Qt::MouseButtons buttons) {
  if (buttons != Qt::NoButton) return 0;
  const bool ctrl = modifiers == Qt::ControlModifier;
  if (!ctrl && modifiers != Qt::NoModifier) return 0;
  switch (Direction(angleDelta)) {
    case 1: return ctrl ? Qt::Key_Home : Qt::Key_Up;
    case -1: return ctrl ? Qt::Key_End : Qt::Key_Down;
    default: return 0;
  }
}

}  // namespace mirelune::controls
