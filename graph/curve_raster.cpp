// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curve_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mirelune {
namespace {

// Each of x's four bytes times a / 255, rounded.
inline uint32_t ByteMul(uint32_t x, uint32_t a) {
  uint32_t t = (x & 0xFF00FFu) * a;
  t = ((t + ((t >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
  x = ((x >> 8) & 0xFF00FFu) * a;
  x = (x + ((x >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
  return x | t;
}

// The premultiplied colour `source` over one premultiplied pixel, `cover` (0..255) of it.
inline void Blend(uint32_t& pixel, uint32_t source, uint32_t cover) {
  const uint32_t s = cover >= 255 ? source : ByteMul(source, cover);
  pixel = s + ByteMul(pixel, 255 - (s >> 24));
}

// The pixels of `clip` and the buffer that the curve's segments first..last-1 lie over.
struct Columns {
  int x0, x1, rowTop, rowEnd;  // x1 and rowEnd exclusive
  bool Empty() const { return x0 >= x1 || rowTop >= rowEnd; }
};

Columns ColumnsOf(const PixelBuffer& buffer, int left, int first, int last, const PixelRect& clip) {
  return {std::max({clip.left, 0, left + first}), std::min({clip.right, buffer.width, left + last}),
          std::max(clip.top, 0), std::min(clip.bottom, buffer.height)};
}

// A plain ARGB colour premultiplied by its alpha.
uint32_t Premultiply(uint32_t argb) {
  const uint32_t alpha = argb >> 24;
  return (ByteMul(argb, alpha) & 0x00FFFFFFu) | (alpha << 24);
}

}  // namespace

void DrawCurveRuns(const PixelBuffer& buffer, const float* y, int left, int first, int last, uint32_t argb,
                   float penWidth, const PixelRect& clip) {
  if (!buffer.bits || !y || last <= first || penWidth <= 0) return;
  const Columns c = ColumnsOf(buffer, left, first, last, clip);
  if (c.Empty()) return;
  const int x0 = c.x0, x1 = c.x1, rowTop = c.rowTop, rowEnd = c.rowEnd;
  const uint32_t colour = Premultiply(argb);
  const float half = penWidth / 2.0f;
  for (int x = x0; x < x1; ++x) {
    const int i = x - left;
    const float a = y[i], b = y[i + 1];
    if (!std::isfinite(a) || !std::isfinite(b)) continue;
    const float rise = std::fabs(b - a);
    // The run is the segment's height plus the pen; its ink is the pen's band over one column,
    // spread evenly over the run, so a steep stretch is no bolder than a flat one.
    const float top = std::min(a, b) - half;
    const float bottom = std::max(a, b) + half;
    const float density = penWidth * std::sqrt(1.0f + rise * rise) / (bottom - top);
    const int r0 = std::max(rowTop, static_cast<int>(std::floor(top)));
    const int r1 = std::min(rowEnd, static_cast<int>(std::ceil(bottom)));  // exclusive
    for (int r = r0; r < r1; ++r) {
      const float overlap = std::min(bottom, r + 1.0f) - std::max(top, static_cast<float>(r));
      const float cover = std::min(1.0f, overlap * density);
      const auto level = static_cast<uint32_t>(cover * 255.0f + 0.5f);
      if (level == 0) continue;
      Blend(buffer.bits[static_cast<long>(r) * buffer.stride + x], colour, level);
    }
  }
}

void FillUnderCurve(const PixelBuffer& buffer, const float* y, int left, int first, int last, float baseY,
                    uint32_t argb, const PixelRect& clip) {
  if (!buffer.bits || !y || last <= first || !std::isfinite(baseY)) return;
  const Columns c = ColumnsOf(buffer, left, first, last, clip);
  if (c.Empty()) return;
  const uint32_t colour = Premultiply(argb);
  for (int x = c.x0; x < c.x1; ++x) {
    const int i = x - left;
    const float middle = (y[i] + y[i + 1]) / 2.0f;
    if (!std::isfinite(middle)) continue;
    // Rows whose centre r + 0.5 lies in [lo, hi).
    const float lo = std::min(middle, baseY), hi = std::max(middle, baseY);
    const int r0 = std::max(c.rowTop, static_cast<int>(std::ceil(lo - 0.5f)));
    const int r1 = std::min(c.rowEnd, static_cast<int>(std::ceil(hi - 0.5f)));
    for (int r = r0; r < r1; ++r) Blend(buffer.bits[static_cast<long>(r) * buffer.stride + x], colour, 255);
  }
}

void CopyPixels(const PixelBuffer& to, const PixelBuffer& from, const PixelRect& rect) {
  if (!to.bits || !from.bits) return;
  const int x0 = std::max(rect.left, 0), x1 = std::min({rect.right, to.width, from.width});
  const int y0 = std::max(rect.top, 0), y1 = std::min({rect.bottom, to.height, from.height});
  if (x0 >= x1) return;
  for (int r = y0; r < y1; ++r)
    std::memcpy(to.bits + static_cast<long>(r) * to.stride + x0, from.bits + static_cast<long>(r) * from.stride + x0,
                static_cast<size_t>(x1 - x0) * sizeof(uint32_t));
}

void BlendPremultiplied(const PixelBuffer& buffer, int x, int y, const uint32_t* pixels, int stride, int width,
                        int height, const PixelRect& clip) {
  if (!buffer.bits || !pixels) return;
  const int x0 = std::max({x, clip.left, 0}), x1 = std::min({x + width, clip.right, buffer.width});
  const int y0 = std::max({y, clip.top, 0}), y1 = std::min({y + height, clip.bottom, buffer.height});
  for (int r = y0; r < y1; ++r) {
    const uint32_t* from = pixels + static_cast<long>(r - y) * stride - x;
    uint32_t* to = buffer.bits + static_cast<long>(r) * buffer.stride;
    for (int c = x0; c < x1; ++c) {
      const uint32_t s = from[c];
      if (s == 0) continue;
      to[c] = s >= 0xFF000000u ? s : s + ByteMul(to[c], 255 - (s >> 24));
    }
  }
}

}  // namespace mirelune
