// SPDX-License-Identifier: GPL-3.0-or-later
// A painter's own pixels, for the drawing that writes them straight (graph/curve_raster.h).
// UI thread only, as the painter.
#pragma once

#include <QPainter>

#include "graph/curve_raster.h"

namespace mirelune::skin {

// The pixels a painter draws into, when they can be written straight: a premultiplied image
// without a transform, clipped to one rectangle at most (`clip`: that rectangle or the image).
// False (and nothing set) otherwise. What is written goes around the painter: it must not hold
// drawing of its own that it has not done yet (the raster painter draws at once).
bool DirectPixels(QPainter& g, PixelBuffer& buffer, PixelRect& clip);

}  // namespace mirelune::skin
