// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/parent_background.h"

#include <QHashFunctions>
#include <QPainter>

#include <unordered_map>
#include <QWidget>

namespace mirelune {

QImage RenderParentBackground(const QWidget& control) {
  QImage layer(control.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  if (QWidget* p = control.parentWidget()) {
    QPainter g(&layer);
    p->render(&g, QPoint(0, 0), QRegion(control.geometry()), QWidget::DrawWindowBackground);
  }
  return layer;
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
