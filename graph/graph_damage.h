// SPDX-License-Identifier: GPL-3.0-or-later
// Which pixels of the graph a new frame changes, from what the last frame showed and what the
// next one shows, as plain data: the curves' y per point, their fills, and the boxes of the
// markers, texts and overlay with a key of what each box shows. The view repaints only the
// rectangles this returns, so a drag costs the area the moving band and the sum sweep, not the
// whole graph, and a frame that changes nothing costs no repaint at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirelune {

// Half-open pixel rectangle [left, right) x [top, bottom).
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect&) const = default;
};

struct SceneCurve {
  std::vector<float> y;  // y of point i (x = kLeft + i); empty: not drawn
  int fillAlpha = 0;     // 0: no fill between the curve and the 0 dB line
  uint32_t colour = 0;   // pen colour (ARGB): a change repaints the whole curve
};

struct SceneBox {
  PixelRect rect;
  std::string key;  // what the box shows; equal keys and rects draw equal pixels
};

struct GraphScene {
  int width = 0;
  int height = 0;
  int left = 0;   // x of point 0
  int zeroY = 0;  // the line fills close on
  SceneCurve selected;
  SceneCurve sum;
  std::vector<SceneBox> boxes;  // markers, texts, overlay, in drawing order
};

// Damage columns are gathered into boxes of this width, each as tall as its own columns need.
inline constexpr int kDamageChunkPx = 64;

// The rectangles that differ between two scenes of the same size, clipped to the graph; empty
// when the frames are equal. Scenes of different sizes or point counts give the whole graph.
// Every pixel outside the rectangles is drawn alike in both frames: a curve's pixels depend
// only on its points within three columns, and boxes with equal keys and rectangles draw equal
// pixels.
std::vector<PixelRect> SceneDamage(const GraphScene& before, const GraphScene& after);

// The damage as the pieces a frame is painted in: at most one rectangle per kDamageChunkPx
// column of the graph, none overlapping another, together covering `damage`. Each piece is
// painted once, so no pixel is drawn twice and every curve is cut once per piece, where the
// damage's own rectangles (curves and boxes overlapping) would draw it several times. A box of
// `scene` that a piece touches lies wholly inside the pieces' union: an image cut by a clip is
// not drawn pixel for pixel alike.
std::vector<PixelRect> PaintPieces(const std::vector<PixelRect>& damage, const GraphScene& scene);

}  // namespace mirelune
