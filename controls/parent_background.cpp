// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/parent_background.h"

#include <QHashFunctions>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mirelune {

namespace {

// A band of a parent's rows rendered across its whole width.
struct Band {
  const QWidget* parent;
  int top;
  QImage image;
};

struct Batch {
  int depth = 0;
  // What this batch rendered; a batch is short and sees a few parents and bands.
  std::vector<Band> bands;
};

Batch& CurrentBatch() {
  static Batch batch;
  return batch;
}

// A band of `parent` that holds `rows` (in the parent's coordinates), rendered once per batch:
// a row of buttons or a page of strips takes one render of the parent's drawing for all of them,
// and no more of it than their rows.
const Band& BandHolding(const QWidget& parent, int top, int bottom) {
  auto& bands = CurrentBatch().bands;
  for (const Band& b : bands)
    if (b.parent == &parent && b.top <= top && b.top + b.image.height() >= bottom) return b;
  QImage image(parent.width(), bottom - top, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter g(&image);
  const QRect rows(0, top, parent.width(), bottom - top);
  const_cast<QWidget&>(parent).render(&g, QPoint(0, 0), QRegion(rows), QWidget::DrawWindowBackground);
  g.end();
  bands.push_back({&parent, top, std::move(image)});
  return bands.back();
}

}  // namespace

QImage RenderParentBackground(const QWidget& control) {
  QImage layer(control.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  QWidget* p = control.parentWidget();
  if (!p) return layer;
  QPainter g(&layer);
  const QRect r = control.geometry();
  // Rows outside the parent are transparent either way.
  const int top = std::max(r.top(), 0);
  const int bottom = std::min(r.bottom() + 1, p->height());
  if (CurrentBatch().depth > 0) {
    // As a render of the parent does: its background brush under everything, beyond its edges
    // too, then its drawing where it has any.
    g.fillRect(layer.rect(), p->palette().brush(p->backgroundRole()));
    const QRect inside = r.intersected(p->rect());
    if (!inside.isEmpty()) {
      const Band& band = BandHolding(*p, top, bottom);
      g.setCompositionMode(QPainter::CompositionMode_Source);
      g.drawImage(inside.topLeft() - r.topLeft(), band.image, inside.translated(0, -band.top));
    }
  } else {
    p->render(&g, QPoint(0, 0), QRegion(control.geometry()), QWidget::DrawWindowBackground);
  }
  return layer;
}

namespace {
int& LayersWaitDepth() {
  static int depth = 0;
  return depth;
}
}  // namespace

LayersAtFirstShow::LayersAtFirstShow() { ++LayersWaitDepth(); }
LayersAtFirstShow::~LayersAtFirstShow() { --LayersWaitDepth(); }

bool LayersAtFirstShow::Waiting(const QWidget& control) {
  return LayersWaitDepth() > 0 && !control.window()->isVisible();
}

ParentBackgroundBatch::ParentBackgroundBatch() { ++CurrentBatch().depth; }

ParentBackgroundBatch::~ParentBackgroundBatch() {
  Batch& batch = CurrentBatch();
  if (--batch.depth == 0) batch.bands.clear();
}

bool FullyOpaque(const QImage& image) {
  if (image.isNull()) return false;
  if (!image.hasAlphaChannel()) return true;
  const QImage argb = image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_ARGB32
                          ? image
                          : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < argb.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if (qAlpha(line[x]) != 255) return false;
  }
  return true;
}

QImage ShareEqualLayer(const QImage& layer) {
  if (layer.isNull()) return layer;
  static std::unordered_multimap<size_t, QImage> kept;  // by a hash of the pixels
  for (auto it = kept.begin(); it != kept.end();) it = it->second.isDetached() ? kept.erase(it) : std::next(it);
  const size_t key = qHashBits(layer.constBits(), static_cast<size_t>(layer.sizeInBytes()),
                               static_cast<size_t>(layer.width()) * 65599u + static_cast<size_t>(layer.height()));
  const auto [first, last] = kept.equal_range(key);
  for (auto it = first; it != last; ++it)
    if (it->second == layer) return it->second;
  kept.emplace(key, layer);
  return layer;
}

}  // namespace mirelune
