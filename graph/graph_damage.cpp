// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/graph_damage.h"

#include <algorithm>
#include <cmath>

namespace mirelune {
namespace {

// Pixels a curve can touch beyond its points: the 2-pixel sum pen drawn as three antialiased
// lines reaches 1.5 px from the curve, plus one pixel of coverage.
constexpr int kPenReach = 3;

struct Span {
  float top = 0;
  float bottom = -1;
  bool Empty() const { return bottom < top; }
  void Add(float lo, float hi) {
    if (Empty()) {
      top = lo;
      bottom = hi;
    } else {
      top = std::min(top, lo);
      bottom = std::max(bottom, hi);
    }
  }
};

// The rows point i's segments can touch (segments to both neighbours), and with `withFill` the
// rows of its fill down to the zero line as well.
void AddFootprint(const SceneCurve& c, int i, int zeroY, bool withFill, Span& span) {
  const int n = static_cast<int>(c.y.size());
  if (i < 0 || i >= n) return;
  float lo = c.y[static_cast<size_t>(i)];
  float hi = lo;
  for (int j : {i - 1, i + 1}) {
    if (j < 0 || j >= n) continue;
    lo = std::min(lo, c.y[static_cast<size_t>(j)]);
    hi = std::max(hi, c.y[static_cast<size_t>(j)]);
  }
  if (withFill && c.fillAlpha > 0) {
    lo = std::min(lo, static_cast<float>(zeroY));
    hi = std::max(hi, static_cast<float>(zeroY));
  }
  span.Add(lo - kPenReach, hi + kPenReach);
}

// A fill that stays as it was (same alpha, same colour) changes only between where its curve was
// and where it is: the area is x-monotone and its edge is not antialiased, so a pixel of a column
// is filled exactly when it lies between the curve and the zero line, in both frames alike
// away from the two curves. Repainting it down to the zero line cost a drag most of its fill.
bool FillStays(const SceneCurve& a, const SceneCurve& b) {
  return a.fillAlpha == b.fillAlpha && a.colour == b.colour;
}

bool CurveChangedAt(const SceneCurve& a, const SceneCurve& b, int i) {
  if (a.y.empty() && b.y.empty()) return false;
  // A new pen colour, or a fill that appears, goes or changes its alpha, changes every column.
  if (a.y.size() != b.y.size() || a.colour != b.colour || a.fillAlpha != b.fillAlpha) return true;
  // Any move counts: a fill's edge is not antialiased, so the slightest move can take a whole
  // pixel in or out, and the line stroker can change a pixel's coverage by half over a move of
  // a thousandth of a pixel where a segment's slope crosses 45 degrees.
  return a.y[static_cast<size_t>(i)] != b.y[static_cast<size_t>(i)];
}

PixelRect Clip(PixelRect r, int width, int height) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, width);
  r.bottom = std::min(r.bottom, height);
  return r;
}

}  // namespace

std::vector<PixelRect> SceneDamage(const GraphScene& before, const GraphScene& after) {
  const PixelRect whole{0, 0, after.width, after.height};
  if (before.width != after.width || before.height != after.height || before.left != after.left ||
      before.zeroY != after.zeroY || before.sum.y.size() != after.sum.y.size() ||
      before.selected.y.size() != after.selected.y.size())
    return whole.Empty() ? std::vector<PixelRect>{} : std::vector<PixelRect>{whole};

  std::vector<PixelRect> out;
  auto add = [&](PixelRect r) {
    r = Clip(r, after.width, after.height);
    if (!r.Empty()) out.push_back(r);
  };

  // Curves: the rows each pixel column needs repainted, gathered into chunks that do not
  // overlap (a chunk's pixels are drawn once per frame).
  const int n = static_cast<int>(after.sum.y.size());
  std::vector<Span> columns(static_cast<size_t>(std::max(after.width, 0)));
  bool any = false;
  for (int i = 0; i < n; ++i) {
    const bool sel = CurveChangedAt(before.selected, after.selected, i);
    const bool sum = CurveChangedAt(before.sum, after.sum, i);
    if (!sel && !sum) continue;
    // Both the old and the new footprint: the old pixels are cleared, the new ones drawn.
    Span rows;
    if (sel) {
      const bool fill = !FillStays(before.selected, after.selected);
      AddFootprint(before.selected, i, before.zeroY, fill, rows);
      AddFootprint(after.selected, i, after.zeroY, fill, rows);
    }
    if (sum) {
      const bool fill = !FillStays(before.sum, after.sum);
      AddFootprint(before.sum, i, before.zeroY, fill, rows);
      AddFootprint(after.sum, i, after.zeroY, fill, rows);
    }
    if (rows.Empty()) continue;
    const int x = after.left + i;
    for (int c = std::max(x - kPenReach, 0); c <= std::min(x + kPenReach, after.width - 1); ++c)
      columns[static_cast<size_t>(c)].Add(rows.top, rows.bottom);
    any = true;
  }
  for (int first = 0; any && first < after.width; first += kDamageChunkPx) {
    Span rows;
    int left = -1, right = -1;
    for (int c = first; c < std::min(first + kDamageChunkPx, after.width); ++c) {
      const Span& col = columns[static_cast<size_t>(c)];
      if (col.Empty()) continue;
      if (left < 0) left = c;
      right = c + 1;
      rows.Add(col.top, col.bottom);
    }
    if (left < 0) continue;
    // Curves may run far off the graph (a deep cut); fmin/fmax also pass over a NaN.
    const float top = std::fmax(rows.top, -1.0f);
    const float bottom = std::fmin(rows.bottom, static_cast<float>(after.height) + 1.0f);
    if (!(top <= bottom)) continue;
    add({left, static_cast<int>(std::floor(top)), right, static_cast<int>(std::ceil(bottom)) + 1});
  }

  std::vector<bool> done(after.boxes.size(), false);  // boxes of `after` repainted whole
  // Boxes: one that moved or shows something else is repainted where it was and where it is.
  const size_t common = std::min(before.boxes.size(), after.boxes.size());
  for (size_t k = 0; k < common; ++k) {
    const SceneBox& a = before.boxes[k];
    const SceneBox& b = after.boxes[k];
    if (a.rect == b.rect && a.key == b.key) continue;
    add(a.rect);
    add(b.rect);
    done[k] = true;
  }
  for (size_t k = common; k < before.boxes.size(); ++k) add(before.boxes[k].rect);
  for (size_t k = common; k < after.boxes.size(); ++k) {
    add(after.boxes[k].rect);
    done[k] = true;
  }

  // A box partly inside a repainted rectangle is repainted whole: an image at a fractional
  // position is not drawn pixel for pixel alike when a clip cuts through it.
  for (bool grew = true; grew;) {
    grew = false;
    for (size_t k = 0; k < after.boxes.size(); ++k) {
      if (done[k]) continue;
      const PixelRect& b = after.boxes[k].rect;
      const bool touched = std::any_of(out.begin(), out.end(), [&](const PixelRect& r) {
        return r.left < b.right && b.left < r.right && r.top < b.bottom && b.top < r.bottom;
      });
      if (!touched) continue;
      done[k] = true;
      add(b);
      grew = true;
    }
  }
  return out;
}

std::vector<PixelRect> PaintPieces(const std::vector<PixelRect>& damage, const GraphScene& scene) {
  if (damage.empty() || scene.width <= 0 || scene.height <= 0) return {};
  const int chunks = (scene.width + kDamageChunkPx - 1) / kDamageChunkPx;
  std::vector<PixelRect> pieces(static_cast<size_t>(chunks));  // empty until something lands
  auto add = [&](PixelRect r) {
    r = Clip(r, scene.width, scene.height);
    if (r.Empty()) return;
    for (int c = r.left / kDamageChunkPx; c <= (r.right - 1) / kDamageChunkPx; ++c) {
      PixelRect part{std::max(r.left, c * kDamageChunkPx), r.top, std::min(r.right, (c + 1) * kDamageChunkPx),
                     r.bottom};
      PixelRect& p = pieces[static_cast<size_t>(c)];
      if (p.Empty()) {
        p = part;
      } else {
        p = {std::min(p.left, part.left), std::min(p.top, part.top), std::max(p.right, part.right),
             std::max(p.bottom, part.bottom)};
      }
    }
  };
  for (const PixelRect& r : damage) add(r);
  // A piece grows over the columns and rows between its parts, and so may now touch a box the
  // damage left alone: that box is painted whole too, until no piece cuts through a box.
  std::vector<bool> done(scene.boxes.size(), false);
  for (bool grew = true; grew;) {
    grew = false;
    for (size_t k = 0; k < scene.boxes.size(); ++k) {
      if (done[k]) continue;
      const PixelRect b = Clip(scene.boxes[k].rect, scene.width, scene.height);
      if (b.Empty()) continue;
      bool touched = false;
      for (int c = b.left / kDamageChunkPx; !touched && c <= (b.right - 1) / kDamageChunkPx; ++c) {
        const PixelRect& p = pieces[static_cast<size_t>(c)];
        touched = !p.Empty() && p.left < b.right && b.left < p.right && p.top < b.bottom && b.top < p.bottom;
      }
      if (!touched) continue;
      done[k] = true;
      add(b);
      grew = true;
    }
  }
  std::vector<PixelRect> out;
  for (const PixelRect& p : pieces)
    if (!p.Empty()) out.push_back(p);
  return out;
}

}  // namespace mirelune
