// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-skingen MANIFEST OUTDIR [ENGLISH_OUTDIR]: draws every image of the skin manifest into
// OUTDIR/<id>.png with its Chinese caption and, given ENGLISH_OUTDIR, the images whose English
// caption differs into ENGLISH_OUTDIR/<id>.png with that one.
// mirelune-skingen MANIFEST --sheet OUT.png: one contact sheet of all images at twice their size,
// each with its id and each English image right after its Chinese one ("<id> en"), for looking
// the skin over.
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
  struct Tile {
    const mirelune::skingen::ManifestEntry* entry;
    mirelune::skingen::Language language;
  };
  std::vector<Tile> tiles;
  for (const auto& e : entries) {
    tiles.push_back({&e, mirelune::skingen::Language::Chinese});
    if (HasEnglishImage(e)) tiles.push_back({&e, mirelune::skingen::Language::English});
  }
  std::vector<Place> places;
  int x = kGap, y = kGap, rowH = 0;
  for (const Tile& t : tiles) {
    const auto& e = *t.entry;
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
  for (size_t i = 0; i < tiles.size(); ++i) {
    const auto& e = *tiles[i].entry;
    const bool english = tiles[i].language == mirelune::skingen::Language::English;
    p.setPen(QColor(0xc0, 0xc0, 0xc0));
    p.drawText(places[i].x, places[i].y + 10,
               english ? QStringLiteral("%1 en").arg(e.id) : QString::number(e.id));
    p.drawImage(QRect(places[i].x, places[i].y + 14, e.width * kScale, e.height * kScale),
                mirelune::skingen::DrawEntry(e, tiles[i].language,
                                             CaptionsSharingTheSize(entries, e)));
  }
  return sheet;
}

// Draws the images of `language` into `dir` (created when missing): every entry in Chinese, the
// entries with an English image of their own in English. False after printing why on failure.
bool WriteImages(const std::vector<mirelune::skingen::ManifestEntry>& entries, const char* dir,
                 mirelune::skingen::Language language) {
  const QDir out(QString::fromLocal8Bit(dir));
  if (!out.exists() && !QDir().mkpath(out.path())) {
    std::fprintf(stderr, "mirelune-skingen: cannot create %s\n", dir);
    return false;
  }
  const bool english = language == mirelune::skingen::Language::English;
  size_t written = 0;
  for (const auto& e : entries) {
    if (english && !HasEnglishImage(e)) continue;
    const QString file = out.filePath(QStringLiteral("%1.png").arg(e.id));
    const QImage img =
        mirelune::skingen::DrawEntry(e, language, CaptionsSharingTheSize(entries, e));
    if (!img.save(file, "PNG")) {
      std::fprintf(stderr, "mirelune-skingen: cannot write %s\n", qPrintable(file));
      return false;
    }
    ++written;
  }
  std::printf("%zu %s images written to %s\n", written, english ? "English" : "Chinese", dir);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const bool sheet = argc == 4 && QByteArray(argv[2]) == "--sheet";
  if ((argc != 3 && argc != 4) || (argc == 4 && !sheet && argv[2][0] == '-')) {
    std::fprintf(stderr,
                 "usage: mirelune-skingen MANIFEST OUTDIR [ENGLISH_OUTDIR] | "
                 "MANIFEST --sheet OUT.png\n");
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
    using mirelune::skingen::Language;
    if (!WriteImages(entries, argv[2], Language::Chinese)) return 1;
    if (argc == 4 && !WriteImages(entries, argv[3], Language::English)) return 1;
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "mirelune-skingen: %s\n", ex.what());
    return 1;
  }
  return 0;
}
