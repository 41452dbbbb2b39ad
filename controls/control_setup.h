// SPDX-License-Identifier: GPL-3.0-or-later
// Folder controls/: the skinned widgets: sliders, option lists, flag buttons, progress bar, value
// editor. May include: graph/, platform/ and what lies under them.
//
// The window layouts' initial property values of each skinned control: one plain struct per
// control class, filled from the layout tables of the windows and handed to the control's
// constructor. Field defaults are the values a control takes when its layout names no value.
#pragma once

#include <cstdint>

#include <QRect>
#include <QString>

namespace mirelune::controls {

struct SliderSetup {
  int32_t ScrollBarType = 0;
  int32_t ValueType = 0;
  int32_t MaxValue = 80;  // styles 0 and 1 force their own range
  bool Enabled = true;
  bool TVisible = true;
  int32_t LabelID = 105;
  int32_t EQNormalStyle = 0;
  int32_t HScrollSize = 0;
  int32_t MuteRAMindex = 0;
  int32_t QType = 0;
  int32_t Freq = 86;  // FreqTable index of 100 Hz (the entry 101 Hz)
  // QTable indexes of Q 0.7 and slope 0.6. These are indexes, not Q x 100: 70 and 60 here would
  // mean Q 21 and a slope beyond its 0..26 range. Loaded values are clamped into range.
  int32_t q = 10;
  int32_t sQ = 8;
};

struct ComboSetup {
  int32_t ShowType = 0;
  bool Enabled = true;
  QString SpecialFeature = QStringLiteral("0");
};

struct FlagSetup {
  QString PngIndexStr = QStringLiteral("142,143");
  int32_t Value = 0;  // the stored image index, taken as it is (no reversal for ActionType 4)
  int32_t ActionType = 3;
  bool Enabled = true;
  QString SpecialFeature = QStringLiteral("0");
};

// Where a control sits in its container, as the layouts give it: twips, 15 per pixel.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The pixel rectangle of a layout position (halves rounded to even, as the console rounds).
QRect PixelRect(const TwipsRect& t);

}  // namespace mirelune::controls
