// SPDX-License-Identifier: GPL-3.0-or-later
// The graph's curves drawn straight into pixels: where the ink goes, how much of it, and that a
// curve drawn in clipped pieces is the curve drawn whole.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "graph/curve_raster.h"

namespace mirelune {
namespace {

constexpr int kW = 90, kH = 60, kLeft = 5;
constexpr uint32_t kBackground = 0xFF102030;  // opaque
constexpr uint32_t kWhite = 0xFFFFFFFF;

struct Canvas {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(static_cast<size_t>(kW) * kH, kBackground);
  PixelBuffer Buffer() { return {pixels.data(), kW, kW, kH}; }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * kW + x]; }
  void Draw(const std::vector<float>& y, uint32_t argb, float pen, PixelRect clip = {0, 0, kW, kH}) {
    DrawCurveRuns(Buffer(), y.data(), kLeft, 0, static_cast<int>(y.size()) - 1, argb, pen, clip);
  }
  void Fill(const std::vector<float>& y, float base, uint32_t argb, PixelRect clip = {0, 0, kW, kH}) {
    FillUnderCurve(Buffer(), y.data(), kLeft, 0, static_cast<int>(y.size()) - 1, base, argb, clip);
  }
};

int Channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }
// How far a pixel has gone from the background towards white, 0..1 (the blue channel).
double Ink(uint32_t p) { return (Channel(p, 0) - 0x30) / double(0xFF - 0x30); }

std::vector<float> Points(int n, float (*f)(int)) {
  std::vector<float> y(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) y[static_cast<size_t>(i)] = f(i);
  return y;
}

TEST(CurveRuns, AFlatLineOnARowsMiddleFillsThatRowAlone) {
  Canvas c;
  c.Draw(std::vector<float>(40, 20.5f), kWhite, 1);
  for (int x = kLeft; x < kLeft + 39; ++x) {
    EXPECT_EQ(c.At(x, 20), kWhite) << x;
    EXPECT_EQ(c.At(x, 19), kBackground) << x;
    EXPECT_EQ(c.At(x, 21), kBackground) << x;
  }
  // Only the columns between points: none before the first, none from the last on.
  EXPECT_EQ(c.At(kLeft - 1, 20), kBackground);
  EXPECT_EQ(c.At(kLeft + 39, 20), kBackground);
}

TEST(CurveRuns, AFlatLineOnARowsEdgeSharesItBetweenTwoRows) {
  Canvas c;
  c.Draw(std::vector<float>(10, 20.0f), kWhite, 1);
  EXPECT_NEAR(Ink(c.At(kLeft + 3, 19)), 0.5, 0.01);
  EXPECT_NEAR(Ink(c.At(kLeft + 3, 20)), 0.5, 0.01);
  EXPECT_EQ(c.At(kLeft + 3, 18), kBackground);
  EXPECT_EQ(c.At(kLeft + 3, 21), kBackground);
}

TEST(CurveRuns, TheTwoPixelPenCoversTwoRows) {
  Canvas c;
  c.Draw(std::vector<float>(10, 20.0f), kWhite, 2);
  EXPECT_EQ(c.At(kLeft + 3, 19), kWhite);
  EXPECT_EQ(c.At(kLeft + 3, 20), kWhite);
  EXPECT_EQ(c.At(kLeft + 3, 18), kBackground);
  EXPECT_EQ(c.At(kLeft + 3, 21), kBackground);
}

// A steep stretch leaves no row unmarked between its two points, and carries about the ink of
// a pen's band along its length: neither gaps nor a bolder line.
TEST(CurveRuns, ASteepStretchIsUnbrokenAndNoBolderThanItsLength) {
  Canvas c;
  c.Draw({10.5f, 40.5f, 40.5f}, kWhite, 1);
  double ink = 0;
  for (int y = 0; y < kH; ++y) {
    ink += Ink(c.At(kLeft, y));
    if (y >= 11 && y <= 40) EXPECT_GT(Ink(c.At(kLeft, y)), 0.5) << "row " << y;
  }
  EXPECT_NEAR(ink, std::hypot(1.0, 30.0), 0.5);
  EXPECT_EQ(c.At(kLeft - 1, 25), kBackground);
  EXPECT_EQ(c.At(kLeft + 2, 25), kBackground);
}

TEST(CurveRuns, AHalfTransparentPenBlendsOverThePixel) {
  Canvas c;
  c.Draw(std::vector<float>(5, 20.5f), 0x80FF0000, 1);  // red at alpha 128
  const uint32_t p = c.At(kLeft + 1, 20);
  EXPECT_EQ(Channel(p, 24), 0xFF);
  EXPECT_NEAR(Channel(p, 16), 0x10 + (0xFF - 0x10) * 128 / 255, 1);
  EXPECT_NEAR(Channel(p, 8), 0x20 * 127 / 255, 1);
  EXPECT_NEAR(Channel(p, 0), 0x30 * 127 / 255, 1);
}

TEST(CurveRuns, NothingOutsideTheClipOrTheBufferOrWherePointsAreMissing) {
  Canvas c;
  std::vector<float> y(60, 20.5f);
  y[30] = std::numeric_limits<float>::quiet_NaN();
  c.Draw(y, kWhite, 2, {10, 0, 50, 21});
  for (int x = 0; x < kW; ++x)
    for (int r = 0; r < kH; ++r) {
      const bool inside = x >= 10 && x < 50 && r < 21;
      const bool missing = x == kLeft + 29 || x == kLeft + 30;  // the segments either side of it
      if (!inside || missing) EXPECT_EQ(c.At(x, r), kBackground) << x << "," << r;
    }
  EXPECT_EQ(c.At(20, 20), kWhite);
  // A curve running off the buffer's edges is cut there.
  Canvas edge;
  edge.Draw(Points(120, [](int i) { return -30.0f + i; }), kWhite, 2);
  EXPECT_NE(edge.At(kLeft + 40, 10), kBackground);
}

// The fill reaches from the base line to the curve, above it or below, and no further.
TEST(CurveRuns, TheFillLiesBetweenTheBaseLineAndTheCurve) {
  Canvas c;
  std::vector<float> y(40, 30.0f);
  for (int i = 0; i < 10; ++i) y[static_cast<size_t>(i)] = 10.0f;   // above the base line
  for (int i = 20; i < 40; ++i) y[static_cast<size_t>(i)] = 50.0f;  // below it
  c.Fill(y, 30.0f, kWhite);
  for (int r = 0; r < kH; ++r) {
    EXPECT_EQ(c.At(kLeft + 3, r) == kWhite, r >= 10 && r < 30) << "row " << r;
    EXPECT_EQ(c.At(kLeft + 14, r), kBackground) << "row " << r;  // on the base line: nothing
    EXPECT_EQ(c.At(kLeft + 30, r) == kWhite, r >= 30 && r < 50) << "row " << r;
  }
  EXPECT_EQ(c.At(kLeft + 39, 35), kBackground);  // no segment beyond the last point
}

// The damage logic repaints a frame in pieces, each clipped to its rectangle: the pieces must
// give the curve drawn whole, pixel for pixel.
TEST(CurveRuns, PiecesMakeTheWholeCurve) {
  const std::vector<std::vector<float>> curves = {
      Points(80, [](int i) { return 30.0f + 20.0f * std::sin(i * 0.2f); }),
      Points(80, [](int i) { return 5.0f + 0.7f * i; }),
      Points(80, [](int i) { return i % 2 ? 10.25f : 50.75f; }),
  };
  for (const std::vector<float>& y : curves)
    for (const float pen : {1.0f, 2.0f}) {
      Canvas whole, pieces;
      whole.Fill(y, 25.0f, 0x40FFFF00);
      whole.Draw(y, 0xC0FFC800, pen);
      for (int x = 0; x < kW; x += 13)
        for (int top = 0; top < kH; top += 17) {
          pieces.Fill(y, 25.0f, 0x40FFFF00, {x, top, x + 13, top + 17});
          pieces.Draw(y, 0xC0FFC800, pen, {x, top, x + 13, top + 17});
        }
      EXPECT_EQ(pieces.pixels, whole.pixels) << "pen " << pen << ", first point " << y[0];
    }
}

}  // namespace
}  // namespace mirelune
