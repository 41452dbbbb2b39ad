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

}  // namespace
}  // namespace mirelune
