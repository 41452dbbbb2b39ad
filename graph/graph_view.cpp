// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/graph_view.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include "graph/curve_raster.h"
#include "graph/direct_pixels.h"
#include "graph/response_model.h"

namespace mirelune {
namespace {

QColor BandColour(int b, int alpha) {
  const unsigned rgb = kBandColour[b];
  return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>(rgb & 0xFF), alpha);
}

void Blit(QPainter& g, const QImage& from) {
  g.save();
  g.setCompositionMode(QPainter::CompositionMode_Source);
  g.drawImage(0, 0, from);
  g.restore();
}

// Points first..last of the curve (pixel ys) with the end points moved onto the 0 dB line: a
// closed area between the curve and 0 dB. Inside first+1..last-1 it fills exactly what the whole
// curve's area fills there.
QPolygonF FillPolygon(const float* y, int first, int last, const GraphGeometry& geo) {
  QPolygonF poly;
  if (last < first) return poly;
  poly.reserve(last - first + 1);
  for (int i = first; i <= last; ++i) poly.append(QPointF(GraphGeometry::kLeft + i, y[i]));
  poly.first().setY(geo.ZeroY());
  poly.last().setY(geo.ZeroY());
  return poly;
}

// A curve's points are drawn on a grid of 1/32 pixel: far below what an antialiased pixel
// shows, and a drag then changes only the columns where the curve really moves. Without it the
// far tails of a moving band, shifting by thousandths of a pixel, repainted the whole width.
constexpr float kYGrid = 32.0f;

std::vector<float> PixelYs(const float* row, int n, const GraphGeometry& geo) {
  std::vector<float> y(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) y[static_cast<size_t>(i)] = std::round(geo.YFromDb(row[i]) * kYGrid) / kYGrid;
  return y;
}

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

PixelRect BoxAround(const QRectF& r) {
  return {static_cast<int>(std::floor(r.left())) - 2, static_cast<int>(std::floor(r.top())) - 2,
          static_cast<int>(std::ceil(r.right())) + 2, static_cast<int>(std::ceil(r.bottom())) + 2};
}

template <typename... T>
std::string KeyOf(const std::string& text, T... values) {
  std::string key = text;
  (key.append(reinterpret_cast<const char*>(&values), sizeof values), ...);
  return key;
}

// Curves are redrawn this many points beyond a damaged rectangle so that their cut ends, caps
// and the fill's closing edges all lie outside it.
constexpr int kMarginPoints = 3;
// How far a curve's pixels reach beyond its points' y (the 2-pixel pen, antialiased).
constexpr float kPenReachPx = 3.0f;
// The phase curve and its axis: a cyan apart from the bands' colours and the sum's yellow.
const QColor kPhaseColour(90, 220, 235);
// Rows of the background image drawn at a time (see DrawGrid).
constexpr int kBackgroundBandRows = 64;

}  // namespace

GraphView::GraphView(ResponseModel& model) : model_(model) { model_.SetCanvas(this); }

GraphView::~GraphView() { model_.SetCanvas(nullptr); }

bool GraphView::ResizeGraph(QSize size) {
  if (!model_.Resize(size.width(), size.height())) return false;
  skin::CreateSurface(base_, size);
  skin::CreateSurface(composite_, size);
  skin::LoadSkin();
  frameValid_ = false;
  if (base_.painter) DrawGrid(*base_.painter);
  if (composite_.painter) Blit(*composite_.painter, base_.image);
  return true;
}

QImage GraphView::Background() const {
  QImage image(base_.image.size(), QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  image.fill(Qt::transparent);
  QPainter g(&image);
  DrawGrid(g);
  return image;
}

// Onto a transparent surface: the skin's background image and the grid over it. In bands of
// rows: Qt hands a fill or scaled draw of more rows than that to its thread pool, which
// measured several times the CPU of drawing it here (the grid's tall lines most of all); the
// pixels are the same.
void GraphView::DrawGrid(QPainter& g) const {
  const GraphGeometry& geo = model_.Geometry();
  const GridLayout grid = LayoutGrid(geo);
  for (int top = 0; top < geo.Height(); top += kBackgroundBandRows) {
    g.save();
    g.setClipRect(QRect(0, top, geo.Width(), kBackgroundBandRows), Qt::IntersectClip);
    skin::DrawSkinImage(kImageGraphBackground, g, 0, 0, 0, geo.Height(), geo.Width());
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setPen(QPen(QColor(128, 128, 128, 64), 1));
    for (int x : grid.verticalX) g.drawLine(QPointF(x, GraphGeometry::kTop), QPointF(x, geo.Bottom()));
    for (float y : grid.horizontalY) g.drawLine(QPointF(GraphGeometry::kLeft, y), QPointF(geo.Right(), y));
    g.restore();
  }
  for (const GraphText& t : grid.labels)
    skin::DrawSkinTextAt(g, QString::fromStdString(Shown(t.text)), qRgba(170, 170, 170, 255), QPointF(t.x, t.y), 0);
}

std::string GraphView::Shown(const std::string& word) const {
  const auto it = shownWords.find(word);
  return it == shownWords.end() ? word : it->second;
}

void GraphView::DrawCurve(QPainter& g, const std::vector<float>& y, int first, int last, const QColor& colour,
                          int width) const {
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(y.size()) - 1);
  const int n = last - first + 1;
  if (n < 2) return;
  PixelBuffer buffer;
  PixelRect clip;
  if (skin::DirectPixels(g, buffer, clip)) {
    DrawCurveRuns(buffer, y.data(), GraphGeometry::kLeft, first, last, colour.rgba(), static_cast<float>(std::max(width, 1)),
                  clip);
    return;
  }
  QPolygonF line(n);
  for (int i = 0; i < n; ++i) line[i] = QPointF(GraphGeometry::kLeft + first + i, y[static_cast<size_t>(first + i)]);
  g.setBrush(Qt::NoBrush);
  g.setPen(QPen(colour, 1));
  if (width <= 1) {
    g.drawPolyline(line);
    return;
  }
  // A 2-pixel pen goes through the general stroker: measured 2.5-5 ms for a 1575-point curve,
  // against 0.2 ms for a 1-pixel line. The curve plus two 1-pixel lines half a pixel either side
  // (along its normal) cover the same 2-pixel band, opaque in the middle, at a fraction of it.
  QPolygonF left(n), right(n);
  for (int i = 0; i < n; ++i) {
    const QPointF d = line[i < n - 1 ? i + 1 : i] - line[i > 0 ? i - 1 : i];
    const double len = std::hypot(d.x(), d.y());
    const QPointF normal = len > 0 ? QPointF(-d.y() / len, d.x() / len) * 0.5 : QPointF(0, 0.5);
    left[i] = line[i] + normal;
    right[i] = line[i] - normal;
  }
  g.drawPolyline(line);
  g.drawPolyline(left);
  g.drawPolyline(right);
}

// The comparison curves, under everything editable, and their legend in the plot's top left.
void GraphView::DrawComparisons(QPainter& g) const {
  const std::vector<CompareCurve>& curves = model_.Comparisons();
  const int n = model_.Geometry().Points();
  for (size_t c = 0; c < curves.size(); ++c)
    DrawCurve(g, PixelYs(model_.ComparisonRow(c), n, model_.Geometry()), 0, n - 1, QColor::fromRgba(curves[c].rgba), 2);
  std::vector<std::pair<QString, QColor>> entries;
  for (const CompareCurve& c : curves) entries.emplace_back(QString::fromStdString(c.label), QColor::fromRgba(c.rgba));
  if (model_.PhaseShown()) entries.emplace_back(QString::fromStdString(phaseLabel), kPhaseColour);
  if (entries.empty()) return;
  const QFontMetrics metrics(g.font());
  int wide = 0;
  for (const auto& [text, colour] : entries) wide = std::max(wide, metrics.horizontalAdvance(text));
  const int line = metrics.height() + 2;
  const QRect box(GraphGeometry::kLeft + 8, GraphGeometry::kTop + 6, wide + 34, line * static_cast<int>(entries.size()) + 6);
  g.setPen(QColor(90, 96, 110));
  g.setBrush(QColor(20, 22, 28, 200));
  g.drawRect(box);
  int y = box.top() + 3;
  for (const auto& [text, colour] : entries) {
    g.setPen(QPen(colour, 2));
    g.drawLine(QPointF(box.left() + 6, y + line / 2.0), QPointF(box.left() + 24, y + line / 2.0));
    g.setPen(QColor(220, 224, 232));
    g.drawText(QRect(box.left() + 30, y, wide + 4, line), Qt::AlignVCenter | Qt::AlignLeft, text);
    y += line;
  }
}

void GraphView::DrawBase() {
  if (!base_.painter) return;
  QPainter& g = *base_.painter;
  // The background is drawn again rather than kept in a surface of its own: a selection costs a
  // little more, the graph a whole frame's memory less.
  base_.image.fill(Qt::transparent);
  DrawGrid(g);
  g.save();
  g.setRenderHint(QPainter::Antialiasing, true);
  DrawComparisons(g);
  for (int b = 0; b < model_.BandCount(); ++b) {
    if (b == model_.SelectedBand() || model_.Band(b).EQDisabled != 0) continue;
    const int n = model_.Geometry().Points();
    DrawCurve(g, PixelYs(model_.Curve(b), n, model_.Geometry()), 0, n - 1, BandColour(b, kCurveAlpha), 1);
  }
  g.restore();
  frameValid_ = false;
}

GraphView::Frame GraphView::BuildFrame() const {
  const GraphGeometry& geo = model_.Geometry();
  Frame frame;
  GraphScene& scene = frame.scene;
  scene.width = geo.Width();
  scene.height = geo.Height();
  scene.left = GraphGeometry::kLeft;
  scene.zeroY = geo.ZeroY();
  const int n = geo.Points();
  auto ys = [&](const float* row) { return PixelYs(row, n, geo); };
  const Store& st = model_.store();
  const int bypass = st.BypassAddress();
  frame.bypass = RecordTable::inRange(0, bypass) && st.ParamTable.at(0, bypass).Value == 1;
  const int sel = model_.SelectedBand();
  if (sel >= 0 && sel < model_.BandCount() && n >= 2) {
    scene.selected.y = ys(model_.Curve(sel));
    scene.selected.fillAlpha = model_.GradientPhase() == 0 && !frame.bypass ? 13 * model_.GradientLevel() : 0;
    scene.selected.colour = BandColour(sel, frame.bypass ? kBypassedCurveAlpha : kCurveAlpha).rgba();
  }
  if (n >= 2) {
    scene.sum.y = ys(model_.Sum());
    scene.sum.fillAlpha = model_.GradientPhase() == -1 && !frame.bypass ? 10 * model_.GradientLevel() : 0;
    // Bypassed, the amplifier does not apply the curve: it stays visible (the markers can still
    // be edited) but dimmed, so nobody takes it for what is heard.
    QColor sum = model_.Locked() ? QColor(130, 130, 130) : QColor(255, 200, 0);
    if (frame.bypass) sum.setAlpha(kBypassedCurveAlpha);
    scene.sum.colour = sum.rgba();
  }
  frame.markers = LayoutMarkers(model_);
  frame.texts = LayoutSelectedTexts(model_);
  for (GraphText& t : frame.texts) t.text = Shown(t.text);
  for (const MarkerDraw& m : frame.markers) {
    const QSize natural = skin::SkinSize(m.imageId);
    const QSizeF size = m.scaledTo > 0 ? QSizeF(m.scaledTo, m.scaledTo) : QSizeF(natural);
    scene.boxes.push_back({BoxAround(QRectF(QPointF(m.x, m.y), size)),
                           KeyOf("m", m.imageId, m.x, m.y, m.scaledTo)});
  }
  for (const GraphText& t : frame.texts) {
    const QString text = QString::fromStdString(t.text);
    scene.boxes.push_back({BoxAround(skin::SkinTextBoundsAt(text, QPointF(t.x, t.y), 0)), KeyOf("t" + t.text, t.x, t.y)});
  }
  if (frame.bypass) {
    const QPointF at(geo.Width() / 2.0 - 100, geo.Height() / 3.0);
    scene.boxes.push_back({BoxAround(QRectF(at, QSizeF(skin::SkinSize(kImageBypassOverlay)))), "bypass"});
  }
  return frame;
}

void GraphView::DrawGraph() {
  if (!composite_.painter) return;
  model_.MarkDrawn();
  Frame frame = BuildFrame();
  std::vector<QRect> changed;
  // The phase curve and its axis change with every edit of any band: drawn whole.
  if (!frameValid_ || model_.PhaseShown()) {
    changed.push_back(composite_.image.rect());
  } else {
    for (const PixelRect& r : PaintPieces(SceneDamage(shown_, frame.scene), frame.scene))
      changed.push_back(ToQRect(r));
  }
  if (!changed.empty()) PaintFrame(*composite_.painter, frame, changed);
  shown_ = std::move(frame.scene);
  frameValid_ = true;
  // A frame equal to the one shown is not presented: nothing on screen changes.
  if (presenter_ && !changed.empty()) presenter_(changed);
}

QImage GraphView::RenderWhole() const {
  QImage image(base_.image.size(), QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  QPainter g(&image);
  PaintFrame(g, BuildFrame(), {image.rect()});
  return image;
}

// Base and the curves inside each piece, then the boxes over all of them. Pieces do not overlap
// (graph_damage.h): no pixel is drawn twice. Each piece is a rectangle clip and the curves are
// cut to its columns: a curve drawn through a many-rectangle region clip measured six times
// slower. A box a piece touches lies wholly inside the pieces (PaintPieces), so it is drawn
// whole, once, without a clip: through the pieces' region each image and glyph went the slow
// way of a clipped draw.
void GraphView::PaintFrame(QPainter& g, const Frame& frame, const std::vector<QRect>& pieces) const {
  g.save();
  // Into a surface of Base's size that takes pixels straight, the pieces are copied and drawn
  // without the painter: its clip, image copy and state changes cost more per piece than the
  // curves in it.
  PixelBuffer pixels;
  PixelRect whole;
  const bool direct = !g.hasClipping() && skin::DirectPixels(g, pixels, whole) && pixels.width == base_.image.width() &&
                      pixels.height == base_.image.height() &&
                      base_.image.format() == QImage::Format_ARGB32_Premultiplied;
  for (const QRect& piece : pieces) PaintCurves(g, direct ? &pixels : nullptr, frame.scene, piece);
  const GraphGeometry& geo = model_.Geometry();
  const GraphScene& scene = frame.scene;
  g.setClipping(false);
  g.setCompositionMode(QPainter::CompositionMode_SourceOver);
  g.setRenderHint(QPainter::Antialiasing, true);
  // The scene's boxes are in this drawing order: markers, texts, the overlay.
  size_t k = 0;
  auto inArea = [&] {
    const QRect box = ToQRect(scene.boxes[k++].rect);
    return std::any_of(pieces.begin(), pieces.end(), [&](const QRect& piece) { return piece.intersects(box); });
  };
  for (const MarkerDraw& m : frame.markers)
    if (inArea()) skin::DrawSkinImage(m.imageId, g, m.x, m.y, 0, m.scaledTo, m.scaledTo);
  for (const GraphText& t : frame.texts)
    if (inArea()) skin::DrawSkinTextAt(g, QString::fromStdString(t.text), qRgba(255, 255, 255, 176), QPointF(t.x, t.y), 0);
  if (frame.bypass && inArea())
    skin::DrawSkinImage(kImageBypassOverlay, g, geo.Width() / 2.0 - 100, geo.Height() / 3.0);
  g.restore();
}

void GraphView::PaintCurves(QPainter& g, const PixelBuffer* pixels, const GraphScene& scene, const QRect& area) const {
  const GraphGeometry& geo = model_.Geometry();
  const PixelRect clip{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
  if (pixels) {
    const PixelBuffer base{reinterpret_cast<uint32_t*>(const_cast<uchar*>(base_.image.constBits())),
                           static_cast<int>(base_.image.bytesPerLine() / 4), base_.image.width(), base_.image.height()};
    CopyPixels(*pixels, base, clip);
  } else {
    g.setClipRect(area);
    g.setCompositionMode(QPainter::CompositionMode_Source);
    skin::DrawImageRows(g, area.topLeft(), base_.image, area);
    g.setCompositionMode(QPainter::CompositionMode_SourceOver);
    g.setRenderHint(QPainter::Antialiasing, true);
  }
  const int sel = model_.SelectedBand();
  const int first = std::max(area.left() - GraphGeometry::kLeft - kMarginPoints, 0);
  const int last = std::min(area.right() + 1 - GraphGeometry::kLeft + kMarginPoints, geo.Points() - 1);

  // The fills are drawn without antialiasing: their only visible edge is the curve drawn over
  // it, and an antialiased fill of the whole area measured 1-2 ms against 0.2 ms.
  auto fill = [&](const std::vector<float>& y, const QColor& colour) {
    if (last - first < 1) return;
    if (pixels) {
      FillUnderCurve(*pixels, y.data(), GraphGeometry::kLeft, first, last, static_cast<float>(geo.ZeroY()), colour.rgba(),
                     clip);
      return;
    }
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setPen(Qt::NoPen);
    g.setBrush(colour);
    g.drawPolygon(FillPolygon(y.data(), first, last, geo));
    g.setRenderHint(QPainter::Antialiasing, true);
  };
  auto curve = [&](const std::vector<float>& y, const QColor& colour, int width) {
    if (pixels) {
      if (last > first)
        DrawCurveRuns(*pixels, y.data(), GraphGeometry::kLeft, first, last, colour.rgba(), static_cast<float>(width), clip);
      return;
    }
    DrawCurve(g, y, first, last, colour, width);
  };
  // A curve (with its fill down to the 0 dB line) that passes above or below the area is not
  // drawn: a drag's rectangles are mostly about one of the two curves.
  auto reaches = [&](const std::vector<float>& y, bool filled) {
    if (y.empty() || last < first) return false;
    float lo = filled ? static_cast<float>(geo.ZeroY()) : y[static_cast<size_t>(first)];
    float hi = lo;
    for (int i = first; i <= last; ++i) {
      lo = std::min(lo, y[static_cast<size_t>(i)]);
      hi = std::max(hi, y[static_cast<size_t>(i)]);
    }
    return hi + kPenReachPx >= area.top() && lo - kPenReachPx <= area.bottom() + 1;
  };
  // What to draw is the scene's: a curve is there when its points are, a fill when it has an
  // alpha (BuildFrame decides both).
  const SceneCurve& selected = scene.selected;
  if (reaches(selected.y, selected.fillAlpha > 0)) {
    if (selected.fillAlpha > 0) fill(selected.y, BandColour(sel, selected.fillAlpha));
    curve(selected.y, QColor::fromRgba(selected.colour), 1);
  }
  const SceneCurve& sum = scene.sum;
  if (reaches(sum.y, sum.fillAlpha > 0)) {
    if (sum.fillAlpha > 0) fill(sum.y, QColor(255, 255, 0, sum.fillAlpha));
    curve(sum.y, QColor::fromRgba(sum.colour), 2);
  }
  if (model_.PhaseShown()) {
    if (pixels) {
      g.setClipRect(area);
      g.setRenderHint(QPainter::Antialiasing, true);
    }
    DrawPhase(g, first, last);
  }
}

// The sum's phase on its own axis at the right: the span a multiple of 90 degrees that holds
// the whole curve, at least -180..180.
void GraphView::DrawPhase(QPainter& g, int first, int last) const {
  const std::vector<double>& phase = model_.SumPhase();
  const GraphGeometry& geo = model_.Geometry();
  if (phase.size() < 2) return;
  double lo = -180, hi = 180;
  for (double d : phase) {
    lo = std::min(lo, std::floor(d / 90.0) * 90.0);
    hi = std::max(hi, std::ceil(d / 90.0) * 90.0);
  }
  const double top = GraphGeometry::kTop, bottom = geo.Bottom();
  auto y = [&](double deg) { return top + (hi - deg) / (hi - lo) * (bottom - top); };
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(phase.size()) - 1);
  if (last > first) {
    QPolygonF line(last - first + 1);
    for (int i = first; i <= last; ++i)
      line[i - first] = QPointF(GraphGeometry::kLeft + i, y(phase[static_cast<size_t>(i)]));
    g.setBrush(Qt::NoBrush);
    g.setPen(QPen(kPhaseColour, 1, Qt::DashLine));
    g.drawPolyline(line);
  }
  const int step = (hi - lo) > 720 ? 180 : 90;
  g.setPen(kPhaseColour);
  const QFontMetrics metrics(g.font());
  // The top one is left out, the window's tools sit in that corner; so is the bottom one, the
  // frequency axis's labels run along that line.
  for (double d = lo + step; d < hi; d += step) {
    const QString text = QStringLiteral("%1%2°").arg(d > 0 ? "+" : "").arg(d, 0, 'f', 0);
    const int w = metrics.horizontalAdvance(text);
    g.drawText(QPointF(geo.Right() - w - 4, y(d) + metrics.ascent() / 2.0), text);
  }
}

}  // namespace mirelune
