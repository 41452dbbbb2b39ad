// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-icongen: draws the console's application icon - a crescent moon over an equaliser
// curve on a dark tile - as PNG files for the desktop's icon theme.
//
//   mirelune-icongen OUTDIR SIZE...   writes OUTDIR/<SIZE>x<SIZE>/mirelune.png for each SIZE
//
// The drawing is described once on a 256-unit canvas and scaled; lines keep at least one pixel
// so that the curve still reads at 16 x 16. Exit status 0 when every file was written, 1 when
// one could not be, 2 on a bad argument.
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kCanvas = 256.0;

// The equaliser curve: a low shelf lift, a presence peak and a dip, as the console's graph
// shows a tuned page; its band handles sit on the peak and the dip.
QPainterPath ResponseCurve() {
  QPainterPath p(QPointF(38, 176));
  p.cubicTo(QPointF(62, 176), QPointF(76, 116), QPointF(102, 116));
  p.cubicTo(QPointF(128, 116), QPointF(136, 190), QPointF(164, 190));
  p.cubicTo(QPointF(190, 190), QPointF(200, 150), QPointF(218, 148));
  return p;
}

QPainterPath Crescent() {
  QPainterPath moon;
  moon.addEllipse(QPointF(176, 80), 42, 42);
  QPainterPath shade;
  shade.addEllipse(QPointF(194, 66), 38, 38);
  return moon.subtracted(shade);
}

void Draw(QPainter& g, int size) {
  const double scale = size / kCanvas;
  const auto width = [scale](double units) { return std::max(units * scale, 1.0); };
  g.setRenderHint(QPainter::Antialiasing);
  g.scale(scale, scale);

  // The tile, in the slate of the console's frame.
  QLinearGradient tile(0, 8, 0, 248);
  tile.setColorAt(0, QColor(0x3A, 0x44, 0x5C));
  tile.setColorAt(1, QColor(0x15, 0x19, 0x24));
  g.setPen(QPen(QColor(255, 255, 255, 48), width(3) / scale));
  g.setBrush(tile);
  g.drawRoundedRect(QRectF(10, 10, 236, 236), 52, 52);

  // The graph's grid.
  g.setPen(QPen(QColor(255, 255, 255, 34), width(2) / scale));
  for (double y : {132.0, 168.0, 204.0}) g.drawLine(QPointF(34, y), QPointF(222, y));

  QRadialGradient glow(QPointF(170, 70), 46);
  glow.setColorAt(0, QColor(0xFF, 0xE2, 0x9A));
  glow.setColorAt(1, QColor(0xF2, 0x98, 0x2C));
  g.setPen(Qt::NoPen);
  g.setBrush(glow);
  g.drawPath(Crescent());

  // The area under the curve, fading towards the bottom of the graph.
  const QPainterPath curve = ResponseCurve();
  QPainterPath area = curve;
  area.lineTo(218, 216);
  area.lineTo(38, 216);
  area.closeSubpath();
  QLinearGradient fill(0, 116, 0, 216);
  fill.setColorAt(0, QColor(0x3F, 0xD6, 0xC0, 120));
  fill.setColorAt(1, QColor(0x3F, 0xD6, 0xC0, 0));
  g.setBrush(fill);
  g.drawPath(area);

  g.setBrush(Qt::NoBrush);
  g.setPen(QPen(QColor(0x3F, 0xD6, 0xC0), width(10) / scale, Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin));
  g.drawPath(curve);

  if (size >= 32) {  // below that the handles would only blot the curve
    g.setPen(QPen(QColor(0x3F, 0xD6, 0xC0), width(5) / scale));
    g.setBrush(QColor(0xF4, 0xF7, 0xFA));
    for (QPointF handle : {QPointF(102, 116), QPointF(164, 190)}) g.drawEllipse(handle, 11, 11);
  }
}

bool Write(const QString& folder, int size) {
  const QString dir = QStringLiteral("%1/%2x%2").arg(folder).arg(size);
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "mirelune-icongen: cannot create %s\n", qPrintable(dir));
    return false;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter g(&image);
    Draw(g, size);
  }
  const QString file = dir + QStringLiteral("/mirelune.png");
  if (!image.save(file, "PNG")) {
    std::fprintf(stderr, "mirelune-icongen: cannot write %s\n", qPrintable(file));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: mirelune-icongen OUTDIR SIZE...\n", stderr);
    return 2;
  }
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 16 || size > 1024 || std::to_string(size) != argv[i]) {
      std::fprintf(stderr, "mirelune-icongen: '%s' is not a size from 16 to 1024\n", argv[i]);
      return 2;
    }
    sizes.push_back(size);
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  for (int size : sizes) ok = Write(folder, size) && ok;
  return ok ? 0 : 1;
}
