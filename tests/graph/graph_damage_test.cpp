// SPDX-License-Identifier: GPL-3.0-or-later
// Which rectangles a new graph frame repaints, on hand-made scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "graph/graph_damage.h"

namespace mirelune {
namespace {

GraphScene Flat(int points = 200) {
  GraphScene s;
  s.width = points + 45;
  s.height = 300;
  s.left = 40;
  s.zeroY = 150;
  s.sum.y.assign(static_cast<size_t>(points), 150.0f);
  s.sum.colour = 0xFFFFC800;
  s.selected.y.assign(static_cast<size_t>(points), 150.0f);
  s.selected.colour = 0x7052E733;
  s.boxes.push_back({{100, 140, 116, 156}, "marker"});
  return s;
}

bool Covers(const std::vector<PixelRect>& rects, int x, int y) {
  return std::any_of(rects.begin(), rects.end(), [&](const PixelRect& r) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  });
}

long Area(const std::vector<PixelRect>& rects) {
  long a = 0;
  for (const PixelRect& r : rects) a += static_cast<long>(r.right - r.left) * (r.bottom - r.top);
  return a;
}

TEST(SceneDamage, AnEqualFrameRepaintsNothing) {
  GraphScene a = Flat(), b = Flat();
  EXPECT_TRUE(SceneDamage(a, b).empty());
}

TEST(SceneDamage, AMovedPointRepaintsWhereTheCurveWasAndWhereItIs) {
  GraphScene a = Flat(), b = Flat();
  b.sum.y[100] = 120.0f;  // x = 140
  const auto rects = SceneDamage(a, b);
  ASSERT_FALSE(rects.empty());
  EXPECT_TRUE(Covers(rects, 140, 150));  // the old line
  EXPECT_TRUE(Covers(rects, 140, 120));  // the new peak
  EXPECT_TRUE(Covers(rects, 139, 135));  // the segments to the neighbours
  EXPECT_TRUE(Covers(rects, 141, 135));
  EXPECT_FALSE(Covers(rects, 60, 150));
  EXPECT_FALSE(Covers(rects, 140, 100));
  EXPECT_LT(Area(rects), 20L * 40);
}

TEST(SceneDamage, TheSmallestMoveIsRepainted) {
  GraphScene a = Flat(), b = Flat();
  b.sum.y[50] = std::nextafter(150.0f, 0.0f);
  const auto rects = SceneDamage(a, b);
  EXPECT_TRUE(Covers(rects, 90, 150));
  EXPECT_FALSE(Covers(rects, 140, 150));
}

TEST(SceneDamage, AFillThatChangesRepaintsEveryColumnDownToTheZeroLine) {
  GraphScene a = Flat(), b = Flat();
  for (size_t i = 0; i < a.selected.y.size(); ++i) a.selected.y[i] = b.selected.y[i] = 150.0f - 0.2f * i;
  a.selected.fillAlpha = 65;
  b.selected.fillAlpha = 52;  // one fade step
  const auto rects = SceneDamage(a, b);
  for (int i : {0, 60, 199}) {
    const int x = 40 + i;
    const int top = static_cast<int>(150.0f - 0.2f * i);
    EXPECT_TRUE(Covers(rects, x, top)) << i;
    EXPECT_TRUE(Covers(rects, x, 149)) << i;
  }
  // Chunks of columns, not one box over everything: the flat left end stays low.
  EXPECT_FALSE(Covers(rects, 41, 100));
}

// A fill of the same alpha under a moving curve changes only between the two curves: the
// area near the zero line is filled alike before and after.
TEST(SceneDamage, AFillThatStaysRepaintsOnlyWhereItsCurveMoved) {
  GraphScene a = Flat(), b = Flat();
  for (size_t i = 0; i < a.selected.y.size(); ++i) a.selected.y[i] = b.selected.y[i] = 60.0f;
  a.selected.fillAlpha = b.selected.fillAlpha = 65;
  b.selected.y[100] = 58.0f;  // x = 140
  const auto rects = SceneDamage(a, b);
  EXPECT_TRUE(Covers(rects, 140, 58));
  EXPECT_TRUE(Covers(rects, 140, 60));
  EXPECT_FALSE(Covers(rects, 140, 120));
  EXPECT_FALSE(Covers(rects, 140, 149));
}

TEST(SceneDamage, BoxesRepaintOnlyWhenTheyMoveOrShowSomethingElse) {
  struct Case {
    const char* what;
    PixelRect rect;
    const char* key;
    bool old, now;
  } cases[] = {
      {"same", {100, 140, 116, 156}, "marker", false, false},
      {"moved", {130, 100, 146, 116}, "marker", true, true},
      {"other image in place", {100, 140, 116, 156}, "marker-big", true, false},
  };
  for (const Case& c : cases) {
    GraphScene a = Flat(), b = Flat();
    b.boxes[0] = {c.rect, c.key};
    const auto rects = SceneDamage(a, b);
    EXPECT_EQ(Covers(rects, 108, 148), c.old || (c.rect.left == 100 && !rects.empty())) << c.what;
    EXPECT_EQ(Covers(rects, 138, 108), c.now) << c.what;
  }
  GraphScene a = Flat(), b = Flat();
  b.boxes.push_back({{200, 10, 260, 30}, "text"});  // a new text
  EXPECT_EQ(SceneDamage(a, b), (std::vector<PixelRect>{{200, 10, 245, 30}}));  // clipped to the width
}

// A curve far off the graph, or one that is not a number at some point, still gives rectangles
// inside the graph.
TEST(SceneDamage, CurvesOffTheGraphStayInside) {
  GraphScene a = Flat(), b = Flat();
  b.sum.y[20] = 1e30f;
  b.sum.y[21] = -std::numeric_limits<float>::infinity();
  b.sum.y[22] = std::numeric_limits<float>::quiet_NaN();
  const auto rects = SceneDamage(a, b);
  ASSERT_FALSE(rects.empty());
  for (const PixelRect& r : rects) {
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, 300);
    EXPECT_LT(r.top, r.bottom);
  }
  EXPECT_TRUE(Covers(rects, 61, 150));
}

TEST(SceneDamage, AnotherSizeRepaintsEverything) {
  GraphScene a = Flat(), b = Flat(300);
  EXPECT_EQ(SceneDamage(a, b), (std::vector<PixelRect>{{0, 0, 345, 300}}));
}

// The pieces a frame is painted in: they never overlap, stay inside the graph and inside one
// column chunk each, cover the damage, and leave every box either wholly inside their union or
// untouched. The chain case: a piece that grows over a box reaches down to a second one.
TEST(PaintPieces, CoverTheDamageOnceAndNeverCutABox) {
  struct Case {
    const char* what;
    std::vector<PixelRect> damage;
    std::vector<PixelRect> boxes;
    std::vector<PixelRect> inside;   // boxes that must end up painted
    std::vector<PixelRect> outside;  // boxes that must be left alone
  } cases[] = {
      {"nothing", {}, {{100, 140, 116, 156}}, {}, {{100, 140, 116, 156}}},
      {"one rectangle over three chunks", {{50, 10, 180, 20}}, {}, {}, {}},
      {"curve chunk and a marker across a chunk edge",
       {{64, 100, 128, 110}, {120, 140, 136, 156}},
       {{120, 140, 136, 156}},
       {{120, 140, 136, 156}},
       {}},
      {"a piece grown over a box reaches another box below it",
       {{0, 95, 40, 105}, {100, 200, 110, 210}},
       {{20, 100, 70, 116}, {100, 150, 140, 166}, {150, 100, 166, 116}},
       {{20, 100, 70, 116}, {100, 150, 140, 166}},
       {{150, 100, 166, 116}}},
      {"boxes off the graph's edges", {{0, 0, 10, 10}, {240, 290, 245, 300}},
       {{-8, -8, 8, 8}, {236, 292, 252, 308}}, {{-8, -8, 8, 8}, {236, 292, 252, 308}}, {}},
  };
  for (const Case& c : cases) {
    GraphScene scene = Flat();  // 245 x 300
    scene.boxes.clear();
    for (const PixelRect& b : c.boxes) scene.boxes.push_back({b, "box"});
    const std::vector<PixelRect> pieces = PaintPieces(c.damage, scene);
    EXPECT_EQ(pieces.empty(), c.damage.empty()) << c.what;
    for (size_t i = 0; i < pieces.size(); ++i) {
      const PixelRect& p = pieces[i];
      EXPECT_FALSE(p.Empty()) << c.what;
      EXPECT_TRUE(p.left >= 0 && p.top >= 0 && p.right <= scene.width && p.bottom <= scene.height) << c.what;
      EXPECT_EQ(p.left / kDamageChunkPx, (p.right - 1) / kDamageChunkPx) << c.what;
      for (size_t j = i + 1; j < pieces.size(); ++j) {
        const PixelRect& q = pieces[j];
        EXPECT_FALSE(p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom) << c.what;
      }
    }
    for (const PixelRect& d : c.damage)
      for (int y = d.top; y < d.bottom; ++y)
        for (int x = d.left; x < d.right; ++x) ASSERT_TRUE(Covers(pieces, x, y)) << c.what << " " << x << "," << y;
    for (const SceneBox& box : scene.boxes) {
      const PixelRect b{std::max(box.rect.left, 0), std::max(box.rect.top, 0), std::min(box.rect.right, scene.width),
                        std::min(box.rect.bottom, scene.height)};
      int covered = 0;
      for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) covered += Covers(pieces, x, y);
      const int area = (b.right - b.left) * (b.bottom - b.top);
      EXPECT_TRUE(covered == 0 || covered == area) << c.what << ": a piece cuts through a box";
      const bool wantInside = std::count(c.inside.begin(), c.inside.end(), box.rect) > 0;
      const bool wantOutside = std::count(c.outside.begin(), c.outside.end(), box.rect) > 0;
      if (wantInside) {
        EXPECT_EQ(covered, area) << c.what;
      }
      if (wantOutside) {
        EXPECT_EQ(covered, 0) << c.what;
      }
    }
  }
}

}  // namespace
}  // namespace mirelune
