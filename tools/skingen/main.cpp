// mirelune-skingen MANIFEST OUTDIR: draws every image of the skin manifest into OUTDIR/<id>.png.
// mirelune-skingen MANIFEST --sheet OUT.png: one contact sheet of all images at twice their size,
// each with its id, for looking the skin over.
// Needs a CJK font (WenQuanYi Micro Hei); run with QT_QPA_PLATFORM=offscreen on a headless host.
#include <cstdio>
#include <exception>

#include <algorithm>

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "tools/skingen/artwork.h"
#include "tools/skingen/manifest.h"

namespace {

QImage ContactSheet(const std::vector<mirelune::skingen::ManifestEntry>& entries) {
  constexpr int kWidth = 1400, kGap = 10, kScale = 2;
  // Shelf packing in manifest order, rows as tall as their tallest image plus the id line.
  struct Place {
    int x, y;
  };
  std::vector<Place> places;
  int x = kGap, y = kGap, rowH = 0;
  for (const auto& e : entries) {
    const int w = std::max(e.width * kScale, 40), h = e.height * kScale + 14;
    if (x + w > kWidth) {
      x = kGap;
      y += rowH + kGap;
      rowH = 0;
    }
    places.push_back({x, y});
    x += w + kGap;
    rowH = std::max(rowH, h);
  }
  QImage sheet(kWidth, y + rowH + kGap, QImage::Format_ARGB32_Premultiplied);
  sheet.fill(QColor(0x2a, 0x2d, 0x33));
  QPainter p(&sheet);
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(10);
  p.setFont(f);
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    p.setPen(QColor(0xc0, 0xc0, 0xc0));
    p.drawText(places[i].x, places[i].y + 10, QString::number(e.id));
    p.drawImage(QRect(places[i].x, places[i].y + 14, e.width * kScale, e.height * kScale),
                mirelune::skingen::DrawEntry(e));
  }
  return sheet;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const bool sheet = argc == 4 && QByteArray(argv[2]) == "--sheet";
  if (argc != 3 && !sheet) {
    std::fprintf(stderr, "usage: mirelune-skingen MANIFEST OUTDIR | MANIFEST --sheet OUT.png\n");
    return 2;
  }
  try {
    const auto entries = mirelune::skingen::ReadManifest(QString::fromLocal8Bit(argv[1]));
    if (sheet) {
      if (!ContactSheet(entries).save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "mirelune-skingen: cannot write %s\n", argv[3]);
        return 1;
      }
      return 0;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
      std::fprintf(stderr, "mirelune-skingen: cannot create %s\n", argv[2]);
      return 1;
    }
    for (const auto& e : entries) {
      const QString file = out.filePath(QStringLiteral("%1.png").arg(e.id));
      if (!mirelune::skingen::DrawEntry(e).save(file, "PNG")) {
        std::fprintf(stderr, "mirelune-skingen: cannot write %s\n", qPrintable(file));
        return 1;
      }
    }
    std::printf("%zu images written to %s\n", entries.size(), argv[2]);
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "mirelune-skingen: %s\n", ex.what());
    return 1;
  }
  return 0;
}
