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

}  // namespace mirelune
