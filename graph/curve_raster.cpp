// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curve_raster.h"

#include <algorithm>
#include <cmath>

namespace mirelune {
namespace {

// `cover` (0..1) of the pen's colour over one premultiplied pixel.
inline void Blend(uint32_t& pixel, const float colour[4], float cover) {
  const float keep = 1.0f - colour[0] * cover / 255.0f;
  uint32_t out = 0;
  for (int k = 0; k < 4; ++k) {
    const int shift = 24 - 8 * k;
    const float d = static_cast<float>((pixel >> shift) & 0xFF);
    const float v = colour[k] * cover + d * keep;
    out |= static_cast<uint32_t>(std::min(255.0f, v + 0.5f)) << shift;
  }
  pixel = out;
}

}  // namespace

void DrawCurveRuns(const PixelBuffer& buffer, const float* y, int left, int first, int last, uint32_t argb,
                   float penWidth, const PixelRect& clip) {
  if (!buffer.bits || !y || last <= first || penWidth <= 0) return;
  const int x0 = std::max({clip.left, 0, left + first});
  const int x1 = std::min({clip.right, buffer.width, left + last});  // exclusive
  const int rowTop = std::max(clip.top, 0);
  const int rowEnd = std::min(clip.bottom, buffer.height);  // exclusive
  if (x0 >= x1 || rowTop >= rowEnd) return;
  const float alpha = static_cast<float>((argb >> 24) & 0xFF);
  // Premultiplied: alpha, red, green, blue.
  const float colour[4] = {alpha, static_cast<float>((argb >> 16) & 0xFF) * alpha / 255.0f,
                           static_cast<float>((argb >> 8) & 0xFF) * alpha / 255.0f,
                           static_cast<float>(argb & 0xFF) * alpha / 255.0f};
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
      if (cover <= 0) continue;
      Blend(buffer.bits[static_cast<long>(r) * buffer.stride + x], colour, cover);
    }
  }
}

}  // namespace mirelune
