// SPDX-License-Identifier: GPL-3.0-or-later
// The graph's curves straight into a premultiplied ARGB32 buffer: a curve has one point per
// pixel column, so each column is a vertical run from one point's y to the next one's, shaded
// by how much of each pixel the pen covers. A painter's general line drawing, pixel by pixel
// through its blend functions, measured several times the cost of the drag's other drawing.
//
// A pixel's value depends only on the two points either side of its column: a curve drawn in
// pieces (each clipped to its own rectangle) gives exactly the pixels of the curve drawn whole.
#pragma once

#include <cstdint>

#include "graph/graph_damage.h"

namespace mirelune {

// Rows of `stride` pixels; `width` x `height` of them are drawn into.
struct PixelBuffer {
  uint32_t* bits = nullptr;
  int stride = 0;
  int width = 0;
  int height = 0;
};

// The curve through (left + i, y[i]) for i = first..last, `penWidth` pixels thick, blended in
// `argb` (not premultiplied; its alpha is the pen's) over the pixels inside `clip` (and the
// buffer). Point i's segment to point i + 1 fills pixel column left + i.
void DrawCurveRuns(const PixelBuffer& buffer, const float* y, int left, int first, int last, uint32_t argb,
                   float penWidth, const PixelRect& clip);

// The area between the curve (points first..last as above) and the row line `baseY`, without
// antialiasing, in `argb` over the pixels inside `clip`: in the column of point i's segment,
// the pixels whose centre lies between baseY and the segment's middle.
void FillUnderCurve(const PixelBuffer& buffer, const float* y, int left, int first, int last, float baseY,
                    uint32_t argb, const PixelRect& clip);

// The pixels of `from` inside `rect` (and both buffers) copied to the same place of `to`.
void CopyPixels(const PixelBuffer& to, const PixelBuffer& from, const PixelRect& rect);

// A premultiplied image of `width` x `height` pixels (rows `stride` pixels apart) blended
// source-over with its top left at (x, y), over the pixels inside `clip` (and the buffer): what
// a painter's image drawing at full opacity gives.
void BlendPremultiplied(const PixelBuffer& buffer, int x, int y, const uint32_t* pixels, int stride, int width,
                        int height, const PixelRect& clip);

}  // namespace mirelune
