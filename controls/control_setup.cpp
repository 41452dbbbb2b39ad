// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/control_setup.h"

#include "model/scales.h"

namespace mirelune::controls {

QRect PixelRect(const TwipsRect& t) {
  auto px = [](int twips) { return static_cast<int>(RoundHalfEven(twips / 15.0)); };
  return {px(t.left), px(t.top), px(t.width), px(t.height)};
}

}  // namespace mirelune::controls
