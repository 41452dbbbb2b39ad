#include "ui/skin_panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace mirelune::ui {

SkinPanel::SkinPanel(QColor top, QColor bottom, QColor edge, QWidget* parent)
    : QWidget(parent), top_(top), bottom_(bottom), edge_(edge) {}

void SkinPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, top_);
  g.setColorAt(1, bottom_);
  p.fillRect(rect(), g);
  p.setPen(edge_);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace mirelune::ui
