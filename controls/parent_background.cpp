#include "controls/parent_background.h"

#include <QPainter>
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

}  // namespace mirelune
