// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/skin.h"

#include "graph/direct_pixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include <QFile>
#include <QRegion>

#include "model/table_memory.h"

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

// An image is decoded when it is first drawn or measured: a window uses a fraction of the
// skin, and decoding all of it made up a good part of the console's start.
struct CachedImage {
  QImage image;
  bool decoded = false;
};

std::array<CachedImage, kTableSize>& Cache() {
  static std::array<CachedImage, kTableSize> images;
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
const QImage& Decoded(size_t index) {
  const LanguageState& state = Language();
  CachedImage& slot = Cache()[index];
  if (!state.loaded) return NullImage();  // nothing is drawn before the skin is loaded
  if (!slot.decoded) {
    slot.decoded = true;
    const QByteArray bytes = ImageBytes(kFirstId + static_cast<int>(index), *state.loaded);
    QImage img;
    // The premultiplied format is what QPainter blends fastest.
    if (!bytes.isEmpty() && img.loadFromData(bytes, "PNG"))
      slot.image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  return slot.image;
}

const QImage* Drawable(int id) {
  if (id < kFirstId || id >= kFirstId + kTableSize)
    throw std::out_of_range("skin image id " + std::to_string(id) + " lies outside 101..500");
  const QImage& img = Decoded(static_cast<size_t>(id - kFirstId));
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
  LanguageState& state = Language();
  if (state.loaded == state.chosen) return;
  InitSkinResources();
  state.loaded = state.chosen;
  for (CachedImage& slot : Cache()) slot = CachedImage{};
}

int DecodeSkinImages() {
  Language().loaded.reset();
  LoadSkin();
  int decoded = 0;
  for (size_t i = 0; i < kTableSize; ++i)
    if (!Decoded(i).isNull()) ++decoded;
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
  return Decoded(static_cast<size_t>(id - kFirstId));
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
  s.image = QImage();
  size = size.expandedTo(QSize(0, 0));
  // The pixels in a block of their own (huge pages where there are any): a graph's surfaces are
  // made at start-up and at each resize, and faulting in their small pages one by one was a
  // good part of showing the window.
  struct Block {
    void* bits;
    std::size_t bytes;
  };
  const qsizetype bytesPerLine = static_cast<qsizetype>(size.width()) * 4;
  const std::size_t bytes = static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(size.height());
  if (bytes > 0) {
    auto* block = new Block{AllocateLargeMemory(bytes), bytes};
    s.image = QImage(static_cast<uchar*>(block->bits), size.width(), size.height(), bytesPerLine,
                     QImage::Format_ARGB32_Premultiplied, [](void* info) {
                       auto* b = static_cast<Block*>(info);
                       FreeLargeMemory(b->bits, b->bytes);
                       delete b;
                     }, block);
  }
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
