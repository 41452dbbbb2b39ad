// SPDX-License-Identifier: GPL-3.0-or-later
// The floor bench/display.sh sets the console's drag beside: the least a Qt window does for a
// pointer move, repainting a whole 1400 x 800 antialiased polyline on every one. It prints
// where it is as the console's start-up trace does ("mirelune-trace graph X Y W H MX MY").
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <cstdio>

class Reference : public QWidget {
  QPointF hand_{700, 400};
  void mouseMoveEvent(QMouseEvent* e) override { hand_ = e->position(); update(); }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(12, 14, 18));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(255, 200, 0));
    QPolygonF line;
    for (int x = 0; x < width(); ++x)
      line << QPointF(x, hand_.y() + 120 * std::exp(-std::pow((x - hand_.x()) / 90.0, 2)) * std::sin(x / 40.0));
    p.drawPolyline(line);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Reference w;
  w.setFixedSize(1400, 800);
  w.move(0, 0);
  w.show();
  QTimer::singleShot(300, [&] {
    const QPoint at = w.mapToGlobal(QPoint(0, 0));
    std::fprintf(stderr, "mirelune-trace graph %d %d 1400 800 400 400\n", at.x(), at.y());
    std::fflush(stderr);
  });
  return app.exec();
}
