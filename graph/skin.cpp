// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/skin.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include <QFile>
#include <QRegion>

// The skin resources are compiled into an object library. Inside a static library nothing refers
// to their registration code, so the linker would drop it; calling the initialiser by name keeps
// it in every program that links the graph library. The definition comes with the resources
// target, which exists only once at least one image does.
#ifdef MIRELUNE_HAVE_SKIN_RESOURCES
static void InitSkinResources() { Q_INIT_RESOURCE(skin); }
#else
static void InitSkinResources() {}
#endif

namespace mirelune::skin {

namespace {

std::array<QImage, kTableSize>& Cache() {
  static std::array<QImage, kTableSize> images;
  return images;
}

struct LanguageState {
  SkinLanguage chosen = SkinLanguage::Chinese;
  std::optional<SkinLanguage> loaded;  // the language of the cache, none before the first load
};

LanguageState& Language() {
  static LanguageState state;
  return state;
}

// The resource bytes of an id in `language`: English images exist only for ids with words, the
// Chinese set has every image.
QByteArray ImageBytes(int id, SkinLanguage language) {
  if (language == SkinLanguage::English) {
    QFile en(QStringLiteral(":/skin_en/%1.png").arg(id));
    if (en.open(QIODevice::ReadOnly)) return en.readAll();
  }
  QFile f(QStringLiteral(":/skin/%1.png").arg(id));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

const QImage& NullImage() {
  static const QImage empty;
  return empty;
}

// A drawing call with an id that has no image draws nothing; the id must still be a valid
// table slot.
const QImage* Drawable(int id) {
  if (id < kFirstId || id >= kFirstId + kTableSize)
    throw std::out_of_range("skin image id " + std::to_string(id) + " lies outside 101..500");
  const QImage& img = Cache()[static_cast<size_t>(id - kFirstId)];
  return img.isNull() ? nullptr : &img;
}

int IdOf(const QString& idText) { return SkinIndex(idText) + kFirstId; }

}  // namespace

void SetSkinLanguage(SkinLanguage language) {
  LanguageState& state = Language();
  state.chosen = language;
  if (state.loaded) LoadSkin();
}

SkinLanguage CurrentSkinLanguage() { return Language().chosen; }

void LoadSkin() {
  const LanguageState& state = Language();
  if (state.loaded == state.chosen) return;
  DecodeSkinImages();
}

int DecodeSkinImages() {
  InitSkinResources();
  LanguageState& state = Language();
  state.loaded = state.chosen;
  auto& images = Cache();
  int decoded = 0;
  for (int id = kFirstId; id < kFirstId + kTableSize; ++id) {
    QImage& slot = images[static_cast<size_t>(id - kFirstId)];
    slot = QImage();
    const QByteArray bytes = ImageBytes(id, state.chosen);
    if (bytes.isEmpty()) continue;
    // QImage decodes everything at once; the premultiplied format is what QPainter blends
    // fastest.
    QImage img;
    if (!img.loadFromData(bytes, "PNG")) continue;
    slot = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ++decoded;
  }
  return decoded;
}

int SkinIndex(const QString& idText) {
  bool ok = false;
  const double v = idText.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v)) {
    throw std::out_of_range("skin image id \"" + idText.toStdString() + "\" is not a number");
  }
  // nearbyint rounds halves to even in the default rounding mode.
  const double index = std::nearbyint(v - kFirstId);
  if (index < 0 || index >= kTableSize) {
    throw std::out_of_range("skin image id \"" + idText.toStdString() +
                            "\" lies outside 101..500");
  }
  return static_cast<int>(index);
}

const QImage& SkinImage(int id) {
  if (id < kFirstId || id >= kFirstId + kTableSize) return NullImage();
  return Cache()[static_cast<size_t>(id - kFirstId)];
}

QSize SkinSize(int id) {
  const QImage& img = SkinImage(id);
  return img.isNull() ? QSize(0, 0) : img.size();
}

void DrawSkinImage(const QString& id, QPainter& g, qreal x, qreal y, qreal angle, qreal height,
                   qreal width) {
  DrawSkinImage(IdOf(id), g, x, y, angle, height, width);
}

void DrawSkinImage(int id, QPainter& g, qreal x, qreal y, qreal angle, qreal height, qreal width) {
  const QImage* img = Drawable(id);
  if (!img) return;
  if (angle == 360) angle = 0;
  // The caller's transform is kept as the base (a widget painter may carry one); the rotation is
  // composed on top of it and undone afterwards.
  g.save();
  // Only scaled and rotated images need filtering.
  g.setRenderHint(QPainter::SmoothPixmapTransform, angle != 0 || height != 0);
  if (angle == 0) {
    if (height != 0) {
      g.drawImage(QRectF(x, y, width, height), *img);
    } else {
      g.drawImage(QPointF(x, y), *img);
    }
  } else {
    const qreal w = img->width();
    const qreal h = img->height();
    g.translate(w / 2, h / 2);
    g.rotate(angle);
    g.drawImage(QPointF(-w / 2, -h / 2), *img);
  }
  g.restore();
}

void DrawImageRows(QPainter& g, QPoint to, const QImage& image, const QRect& from) {
  constexpr int kRows = 64;
  for (int top = from.top(); top <= from.bottom(); top += kRows) {
    const QRect band(from.left(), top, from.width(), std::min(kRows, from.bottom() + 1 - top));
    g.drawImage(to + QPoint(0, top - from.top()), image, band);
  }
}

void DrawImageBottomPart(const QString& id, QPainter& g, int y) { DrawImageBottomPart(IdOf(id), g, y); }

void DrawImageBottomPart(int id, QPainter& g, int y) {
  const QImage* img = Drawable(id);
  if (!img) return;
  const int top = std::clamp(y, 0, img->height());
  if (top >= img->height()) return;
  const QRect part(0, top, img->width(), img->height() - top);
  g.drawImage(part, *img, part);
}

void DrawImageLeftPart(const QString& id, QPainter& g, int width) { DrawImageLeftPart(IdOf(id), g, width); }

void DrawImageLeftPart(int id, QPainter& g, int width) {
  const QImage* img = Drawable(id);
  if (!img) return;
  const int w = std::clamp(width, 0, img->width());
  if (w == 0) return;
  const QRect part(0, 0, w, img->height());
  g.drawImage(part, *img, part);
}

// Not bits(): a copy of the image shared with someone would be detached from under the painter,
// which itself writes into the shared pixels too.
bool DirectPixels(QPainter& g, PixelBuffer& buffer, PixelRect& clip) {
  QPaintDevice* device = g.device();
  if (!device || device->devType() != QInternal::Image || !g.transform().isIdentity()) return false;
  auto* image = static_cast<QImage*>(device);
  if (image->format() != QImage::Format_ARGB32_Premultiplied) return false;
  QRect r = image->rect();
  if (g.hasClipping()) {
    const QRegion region = g.clipRegion();
    if (region.rectCount() > 1) return false;
    r = region.boundingRect();
  }
  buffer = {reinterpret_cast<uint32_t*>(const_cast<uchar*>(image->constBits())),
            static_cast<int>(image->bytesPerLine() / 4), image->width(), image->height()};
  clip = {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  return true;
}

Surface::~Surface() { ReleaseSurface(*this); }

void ReleaseSurface(Surface& s) {
  if (s.painter) {
    if (s.painter->isActive()) s.painter->end();
    delete s.painter;
    s.painter = nullptr;
  }
  s.image = QImage();
}

void CreateSurface(Surface& s, QSize size) {
  ReleaseSurface(s);
  s.image = QImage(size.expandedTo(QSize(0, 0)), QImage::Format_ARGB32_Premultiplied);
  s.image.fill(Qt::transparent);
  if (!s.image.isNull()) s.painter = new QPainter(&s.image);
}

QRect CaptureBackground(Surface& s, QSize clientSize,
                        const std::function<void(QPainter&)>& renderBehind, bool closing) {
  if (closing) return QRect();
  CreateSurface(s, clientSize);
  if (s.painter && renderBehind) renderBehind(*s.painter);
  return QRect(QPoint(0, 0), clientSize);
}

}  // namespace mirelune::skin
