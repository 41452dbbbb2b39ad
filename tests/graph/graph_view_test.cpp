// SPDX-License-Identifier: GPL-3.0-or-later
// The rendered graph, checked at a few pixels: grid, fills, the sum's colour, markers, overlay.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>

#include "graph/graph_overlay.h"
#include "graph/graph_view.h"
#include "graph/response_model.h"
#include "graph/skin.h"
#include "model/scales.h"

namespace mirelune {
namespace {

void EnsureGuiApp() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "graph_tests";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

struct Rendered {
  Store store;
  ResponseModel model{store};
  GraphView view{model};
  explicit Rendered(int page, int bassAuto = 0, int width = 1000, int height = 330) {
    EnsureGuiApp();
    store.InitDefaults();
    store.CurrentPage = page;
    store.BassAutoControl = static_cast<uint8_t>(bassAuto);
    view.ResizeGraph(QSize(width, height));
    model.RedrawAll(true);
    view.DrawGraph();
  }
  QColor At(float x, float y) const {
    return view.Composite().pixelColor(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
  }
  int Column(float hz) const { return static_cast<int>(std::lround(model.Geometry().XFromFreq(hz))); }
};

// src over dst with the given alpha (0..255), per channel.
int Over(int dst, int src, int alpha) { return (src * alpha + dst * (255 - alpha) + 127) / 255; }

void ExpectBlend(const QColor& got, const QColor& under, const QColor& paint, int alpha, const char* what) {
  EXPECT_NEAR(got.red(), Over(under.red(), paint.red(), alpha), 3) << what;
  EXPECT_NEAR(got.green(), Over(under.green(), paint.green(), alpha), 3) << what;
  EXPECT_NEAR(got.blue(), Over(under.blue(), paint.blue(), alpha), 3) << what;
}

// The pixel of column x, within 2 px of y, nearest to `want`; its distance per channel.
int NearestDistance(const QImage& img, int x, float y, const QColor& want) {
  int best = 1 << 20;
  for (int yy = static_cast<int>(y) - 2; yy <= static_cast<int>(y) + 3; ++yy) {
    const QColor c = img.pixelColor(x, yy);
    const int d = std::max({std::abs(c.red() - want.red()), std::abs(c.green() - want.green()),
                            std::abs(c.blue() - want.blue())});
    best = std::min(best, d);
  }
  return best;
}

TEST(GraphView, GridLinesAreFaintGreyOverTheBackground) {
  Rendered r(0);
  const GraphGeometry& g = r.model.Geometry();
  ASSERT_FALSE(skin::SkinImage(kImageGraphBackground).isNull()) << "skin image 303 missing";
  // The 100 Hz line between the -18 and -24 dB lines: no curve passes there.
  const int x = r.Column(100);
  const float y = g.YFromDb(-21);
  const QColor line = r.At(x, y);
  EXPECT_EQ(line, r.view.Background().pixelColor(x, static_cast<int>(std::lround(y))));
  // Drawn once over the background image, which is the pixel a little to the side.
  const QColor beside = r.At(x + 4, y);
  ExpectBlend(line, beside, QColor(128, 128, 128), 64, "vertical grid line");
  // The 0 dB line at 12 kHz (only off filters there, drawn at 0 dB themselves).
  const QColor zero = r.view.Background().pixelColor(r.Column(12000), g.ZeroY());
  ExpectBlend(zero, r.view.Background().pixelColor(r.Column(12000), g.ZeroY() + 4), QColor(128, 128, 128), 64,
              "0 dB line");
}

TEST(GraphView, SumIsYellowOrGreyWhenLocked) {
  const struct {
    int page, bassAuto;
    float hz;
    QColor colour;
  } cases[] = {{0, 0, 200, QColor(255, 200, 0)}, {7, 0, 45, QColor(255, 200, 0)}, {7, 1, 45, QColor(130, 130, 130)}};
  for (const auto& c : cases) {
    Rendered r(c.page, c.bassAuto);
    const int x = r.Column(c.hz);
    const float y = r.model.Geometry().YFromDb(r.model.Sum()[x - GraphGeometry::kLeft]);
    EXPECT_LE(NearestDistance(r.view.Composite(), x, y, c.colour), 12)
        << "page " << c.page << " bass " << c.bassAuto;
  }
}

TEST(GraphView, SelectedFillFadesOutThenTheSumFillFadesIn) {
  Rendered r(0);
  const GraphGeometry& g = r.model.Geometry();
  const int x = r.Column(25.3f);
  const float y = g.YFromDb(4);  // inside band 0's area (+8 dB peak), below the sum
  const QColor base = r.view.Base().pixelColor(x, static_cast<int>(std::lround(y)));
  ExpectBlend(r.At(x, y), base, QColor(82, 231, 51), 65, "band 0 fill, level 5");
  r.model.NoOperTick();
  for (int i = 0; i < 11; ++i) r.model.GradientTick();  // the canvas redraws on every tick
  ASSERT_EQ(r.model.GradientPhase(), -1);
  ASSERT_EQ(r.model.GradientLevel(), 5);
  ExpectBlend(r.At(x, y), base, QColor(255, 255, 0), 50, "sum fill, level 5");
}

// Every opaque pixel of the image, placed with its top-left corner at (left, top), shows in the
// frame, apart from columns from `maxDx` on (where the band's text may start).
void ExpectImageAt(const QImage& frame, int id, int left, int top, int maxDx) {
  const QImage& img = skin::SkinImage(id);
  ASSERT_FALSE(img.isNull()) << "skin image " << id << " missing";
  int checked = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < std::min(maxDx, img.width()); ++x) {
      const QColor want = img.pixelColor(x, y);
      if (want.alpha() != 255) continue;
      ++checked;
      ASSERT_EQ(frame.pixelColor(left + x, top + y), want) << "image " << id << " pixel " << x << "," << y;
    }
  EXPECT_GT(checked, 20) << "image " << id << " has hardly any opaque pixels";
}

// For images placed at fractional positions (resampled): most opaque pixels of the image show
// in the frame within a small colour distance.
void ExpectImageNear(const QImage& frame, int id, float left, float top) {
  const QImage& img = skin::SkinImage(id);
  ASSERT_FALSE(img.isNull()) << "skin image " << id << " missing";
  int opaque = 0, close = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor want = img.pixelColor(x, y);
      if (want.alpha() != 255) continue;
      ++opaque;
      const QColor got = frame.pixelColor(static_cast<int>(std::lround(left + x)), static_cast<int>(std::lround(top + y)));
      if (std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) + std::abs(got.blue() - want.blue()) <= 60)
        ++close;
    }
  EXPECT_GT(opaque, 20) << "image " << id;
  EXPECT_GE(close * 10, opaque * 7) << "image " << id << " at " << left << "," << top;
}

TEST(GraphView, MarkersAreTheSkinImagesAtTheirBands) {
  Rendered r(0);
  const MarkerPos sel = r.model.Marker(0);
  ExpectImageAt(r.view.Composite(), kImageMarkerSelected + 0, static_cast<int>(std::lround(sel.x)) - 16,
                static_cast<int>(sel.y) - 16, 14);
  const MarkerPos m10 = r.model.Marker(10);  // 2500 Hz, far from the others
  ExpectImageNear(r.view.Composite(), kImageMarkerSmall + 10, m10.x - 8, m10.y - 8);
  const MarkerPos hp = r.model.Marker(15);
  ExpectImageNear(r.view.Composite(), kImageMarkerSmall + kMarkerHighPass, hp.x - 8, hp.y - 8);
  // Locked: every marker is the inactive one.
  Rendered locked(7, 1);
  for (int b : {0, 2, 6}) {
    const MarkerPos p = locked.model.Marker(b);
    ExpectImageNear(locked.view.Composite(), kImageMarkerInactive, p.x - 6, p.y - 6);
  }
  // Blinking: the selected marker grows to 40 x 40 about the same centre, so the frame changes
  // just outside the 32 x 32 square and nowhere far from the marker.
  const QImage still = r.view.Composite().copy();
  r.model.MarkDrawn();
  for (int i = 0; i < 4; ++i) r.model.BlinkTick();  // the fourth tick flips and redraws
  ASSERT_TRUE(r.model.BlinkPhase());
  const QImage& blink = r.view.Composite();
  const int cx = static_cast<int>(std::lround(sel.x)), cy = static_cast<int>(sel.y);
  int ringChanged = 0, farChanged = 0;
  for (int d = -19; d <= 19; ++d) {
    if (blink.pixelColor(cx + d, cy - 18) != still.pixelColor(cx + d, cy - 18)) ++ringChanged;
    if (blink.pixelColor(cx + d, cy - 30) != still.pixelColor(cx + d, cy - 30)) ++farChanged;
  }
  EXPECT_GT(ringChanged, 3);
  EXPECT_EQ(farChanged, 0);
}

TEST(GraphView, BypassOverlayShowsWhenThePagesBypassIsOn) {
  Rendered off(0);
  Rendered on(0);
  on.store.ParamTable.at(0, on.store.BypassAddress()).Value = 1;
  on.view.DrawGraph();
  const QImage& overlay = skin::SkinImage(kImageBypassOverlay);
  ASSERT_FALSE(overlay.isNull());
  const int left = 1000 / 2 - 100, top = 330 / 3;
  ExpectImageAt(on.view.Composite(), kImageBypassOverlay, left, top, overlay.width());
  EXPECT_NE(off.view.Composite().pixelColor(left + overlay.width() / 2, top + overlay.height() / 2),
            on.view.Composite().pixelColor(left + overlay.width() / 2, top + overlay.height() / 2));
  // The curves stay (dimmed), the markers stay as they were: the page can still be edited.
  const MarkerPos m10 = on.model.Marker(10);
  ExpectImageNear(on.view.Composite(), kImageMarkerSmall + 10, m10.x - 8, m10.y - 8);
  // Where the sum curve runs far from the overlay, bypassed it is fainter than applied.
  int dimmer = 0, columns = 0;
  for (int x = 80; x < 950; x += 7) {
    const int y = static_cast<int>(std::lround(on.model.Geometry().YFromDb(on.model.Sum()[x - GraphGeometry::kLeft])));
    if (y > top - 4 && y < top + overlay.height() + 4 && x > left - 4 && x < left + overlay.width() + 4) continue;
    const QColor a = off.view.Composite().pixelColor(x, y), b = on.view.Composite().pixelColor(x, y);
    ++columns;
    if (b.red() + b.green() < a.red() + a.green()) ++dimmer;
  }
  EXPECT_GT(columns, 50);
  EXPECT_GT(dimmer, columns * 8 / 10);
}

TEST(GraphView, ResizeRebuildsOnlyOnChangeAndDrawsPresentTheFrame) {
  Rendered r(0);
  EXPECT_FALSE(r.view.ResizeGraph(QSize(1000, 330)));
  std::vector<QSize> presented;
  r.view.SetPresenter([&](const std::vector<QRect>& changed) {
    ASSERT_EQ(changed.size(), 1u);  // a new size repaints everything
    EXPECT_EQ(changed[0].topLeft(), QPoint(0, 0));
    presented.push_back(changed[0].size());
  });
  EXPECT_TRUE(r.view.ResizeGraph(QSize(645, 200)));
  EXPECT_EQ(r.model.Geometry().Points(), 600);
  r.model.RedrawAll(true);
  r.view.DrawGraph();
  EXPECT_EQ(presented, std::vector<QSize>{QSize(645, 200)});
  // Too small for a plot: nothing to draw, and nothing breaks.
  EXPECT_TRUE(r.view.ResizeGraph(QSize(20, 10)));
  r.model.RedrawAll(true);
  r.view.DrawGraph();
  EXPECT_EQ(presented, (std::vector<QSize>{QSize(645, 200), QSize(20, 10)}));
}

// Largest difference of any channel between two frames of the same size.
int MaxDifference(const QImage& a, const QImage& b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y) {
    const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const QRgb* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x)
      worst = std::max({worst, std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                        std::abs(qBlue(pa[x]) - qBlue(pb[x])), std::abs(qAlpha(pa[x]) - qAlpha(pb[x]))});
  }
  return worst;
}

// A frame repainted in parts, step after step, shows what a frame drawn whole shows: drags
// large and tiny, the blink, the fade, the bypass overlay, another band. A drag repaints a part
// of the graph only, and a frame that changes nothing repaints nothing.
TEST(GraphView, FramesRepaintedInPartsEqualFramesDrawnWhole) {
  Rendered r(0, 0, 1595, 538);
  long presentedArea = 0;
  int presentations = 0;
  r.view.SetPresenter([&](const std::vector<QRect>& changed) {
    ++presentations;
    for (const QRect& q : changed) presentedArea += static_cast<long>(q.width()) * q.height();
  });
  const long whole = 1595L * 538;
  r.model.SelectBand(6);
  r.view.DrawGraph();
  auto check = [&](const char* step) {
    ASSERT_EQ(MaxDifference(r.view.Composite(), r.view.RenderWhole()), 0) << step;
  };
  check("selected");
  const MarkerPos start = r.model.Marker(6);
  for (int i = 1; i <= 40; ++i) {
    presentedArea = 0;
    // Big steps, then tiny ones.
    const float dx = i <= 20 ? 9.0f * i : 180.0f + 0.02f * (i - 20);
    r.model.DragTo(start.x + dx, start.y - 3.0f * std::min(i, 20), false);
    r.view.DrawGraph();
    check("drag");
    EXPECT_LT(presentedArea, whole / 3) << "drag step " << i;
  }
  presentations = 0;
  r.view.DrawGraph();
  EXPECT_EQ(presentations, 0) << "an unchanged frame was presented";
  for (int i = 0; i < 5; ++i) r.model.BlinkTick();  // one blink phase
  ASSERT_TRUE(r.model.BlinkPhase());
  check("blink");
  EXPECT_EQ(presentations, 1);
  r.model.NoOperTick();
  for (int i = 0; i < 11; ++i) {
    r.model.GradientTick();
    check("fade");
  }
  const int bypass = r.store.BypassAddress();
  r.store.ParamTable.at(0, bypass).Value = 1;
  r.view.DrawGraph();
  check("bypass on");
  r.store.ParamTable.at(0, bypass).Value = 0;
  r.view.DrawGraph();
  check("bypass off");
  r.model.SelectBand(2);
  r.model.DragTo(r.model.Marker(2).x - 40, r.model.Marker(2).y + 30, false);
  r.view.DrawGraph();
  check("another band");
}

}  // namespace
}  // namespace mirelune
