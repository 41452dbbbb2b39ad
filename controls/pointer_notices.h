// SPDX-License-Identifier: GPL-3.0-or-later
// Which wheel messages count as a notch for the skinned controls and the response graph.
// Only a pure notch counts: one step of exactly 120 eighths of a degree on the vertical axis,
// no modifier key and no mouse button held (the graph alone also accepts Ctrl).
#pragma once

#include <QPoint>
#include <Qt>

namespace mirelune::controls {

// +1 for a notch away from the user, -1 towards, 0 for anything else.
int PureWheelNotch(QPoint angleDelta, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// The key the graph receives for a wheel message, or 0 when the message is dropped:
// towards the user Down (Ctrl: End), away Up (Ctrl: Home).
int GraphKeyForWheel(QPoint angleDelta, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

}  // namespace mirelune::controls
