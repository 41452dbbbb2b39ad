// SPDX-License-Identifier: GPL-3.0-or-later
// The EQ band strip (slider style 1): where its readouts, Q-type buttons and bypass switch sit,
// and how text typed into its editor becomes a gain code, frequency index or Q index.
// Pure functions; `tall` is EQNormalStyle 1 (the taller strip of the sub-woofer page).
#pragma once

#include <QPoint>
#include <QString>

namespace mirelune::controls {

enum class StripRow { None, Gain, Freq, Q };

// The readout row under y, tested in the order gain, frequency, Q (on the normal strip the gain
// and frequency rows overlap by a pixel; the gain row wins).
StripRow ReadoutRowAt(bool tall, double y);
// Q-type button under (x, y): 0 peaking, 1 low shelf, 2 high shelf, -1 none.
int QTypeButtonAt(double x, double y);
// Whether y lies in the bypass row (any x).
bool InBypassRow(bool tall, double y);

// Where the editor opens for a row, and where each readout text is drawn (its top left).
QPoint EditorTopLeft(bool tall, StripRow row);
QPointF ReadoutTextPos(bool tall, StripRow row);
int ReadoutTextWidth(StripRow row);
QPointF BypassImagePos(bool tall);

}  // namespace mirelune::controls
