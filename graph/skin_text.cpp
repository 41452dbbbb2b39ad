// SPDX-License-Identifier: GPL-3.0-or-later
// The skin's texts. The graph's labels and the strips' readouts are drawn again at every move of
// a drag, with values that change at every move: laying each new text out (itemising, shaping)
// cost more than drawing it. A text is placed here character by character instead, from what
// the layout gave for each pair of neighbours (advance and kerning, learnt once per pair), and
// drawn with the glyphs the layout would have chosen, at the positions it would have chosen:
// the same pixels. Into a premultiplied image the glyphs come from small images kept per glyph,
// colour and sub-pixel position; into anything else they go through the painter as a glyph run.
// Texts the pairs cannot describe (a character the skin font lacks, a surrogate pair, a control,
// trailing blanks) take the general layout, shaped once per text and kept.
#include <cmath>
#include <cstdint>
#include <vector>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHash>
#include <QRawFont>
#include <QStaticText>
#include <QStringList>
#include <QTextLayout>
#include <QTransform>

#include "graph/direct_pixels.h"
#include "graph/skin.h"

namespace mirelune::skin {

namespace {

constexpr double kTwipsPerPixel = 15.0;

double Coordinate(const QString& text) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  return ok ? v : 0.0;
}

const QFont& SkinTextFont() {
  static const QFont font = [] {
    QFont f(SkinFontFamily());
    f.setPixelSize(12);
    f.setWeight(QFont::Normal);
    return f;
  }();
  return font;
}

// Text positions in the unit the painter places glyphs by: 1/64 pixel. Every advance of the
// layout is a whole number of them; a position in between is cut towards zero, as the painter
// cuts it (rounding it instead put a glyph a pixel row or a sub-pixel step off).
constexpr int kUnits = 64;

int ToUnits(qreal px) { return static_cast<int>(px * kUnits); }

// Floor division by kUnits, for negative positions too.
int WholePixels(int units) { return units >= 0 ? units / kUnits : -((-units + kUnits - 1) / kUnits); }

// The tables below hold a few dozen characters and their pairs in use; one that outgrows this is
// dropped whole and fills again with what is drawn now.
constexpr int kMaxEntries = 4096;

template <typename Key, typename Value>
void KeepBounded(QHash<Key, Value>& table) {
  if (table.size() >= kMaxEntries) table.clear();
}

struct FontFacts {
  QRawFont raw;
  QString family;
  int ascent = 0;  // units
  qreal height = 0;
};

const FontFacts& Facts() {
  static const FontFacts facts = [] {
    FontFacts f;
    f.raw = QRawFont::fromFont(SkinTextFont());
    f.family = f.raw.familyName();
    const QFontMetricsF metrics(SkinTextFont());
    f.ascent = ToUnits(metrics.ascent());
    f.height = metrics.height();
    return f;
  }();
  return facts;
}

// What the layout makes of a short text: its glyphs (all of the skin font, one per character)
// with their pen positions and the text's natural width; `plain` false when it is anything else.
struct Laid {
  bool plain = false;
  std::vector<quint32> glyphs;
  std::vector<int> x;  // units
  int width = 0;       // units
};

Laid LayOut(const QString& text) {
  Laid out;
  QTextLayout layout(text, SkinTextFont());
  layout.setCacheEnabled(true);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) return out;
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.size() != 1 || runs.front().rawFont().familyName() != Facts().family) return out;
  const QList<quint32> glyphs = runs.front().glyphIndexes();
  const QList<QPointF> positions = runs.front().positions();
  if (glyphs.size() != text.size() || positions.size() != text.size()) return out;
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    out.glyphs.push_back(glyphs[i]);
    out.x.push_back(ToUnits(positions[i].x()));
  }
  out.width = ToUnits(line.naturalTextWidth());
  out.plain = true;
  return out;
}

// A character on its own: its glyph and natural width.
struct Single {
  bool plain = false;
  quint32 glyph = 0;
  int width = 0;
};

bool Placeable(QChar c) { return c.unicode() >= 0x20 && !c.isSurrogate() && c.category() != QChar::Other_Control; }

// By value: a later insertion may move the table's entries.
Single SingleOf(QChar c) {
  static QHash<char16_t, Single> table;
  const auto it = table.constFind(c.unicode());
  if (it != table.constEnd()) return *it;
  KeepBounded(table);
  Single s;
  if (Placeable(c)) {
    const Laid laid = LayOut(QString(c));
    if (laid.plain && laid.x.front() == 0) s = {true, laid.glyphs.front(), laid.width};
  }
  return *table.insert(c.unicode(), s);
}

// Two neighbours: how far the second starts after the first (kerning included); `plain` false
// when the layout does not keep both glyphs as they are alone.
struct Pair {
  bool plain = false;
  int step = 0;
};

Pair PairOf(QChar a, QChar b) {
  static QHash<uint32_t, Pair> table;
  const uint32_t key = (static_cast<uint32_t>(a.unicode()) << 16) | b.unicode();
  const auto it = table.constFind(key);
  if (it != table.constEnd()) return *it;
  KeepBounded(table);
  Pair p;
  const Single first = SingleOf(a);
  const Single second = SingleOf(b);
  if (first.plain && second.plain) {
    const Laid laid = LayOut(QString(a) + b);
    if (laid.plain && laid.glyphs[0] == first.glyph && laid.glyphs[1] == second.glyph && laid.x[0] == 0)
      p = {true, laid.x[1]};
  }
  return *table.insert(key, p);
}

// The text placed from its characters and pairs; not plain when one of them is not.
Laid Place(const QString& text) {
  Laid out;
  if (text.isEmpty() || text.back().isSpace()) return out;
  const qsizetype n = text.size();
  out.glyphs.reserve(static_cast<size_t>(n));
  out.x.reserve(static_cast<size_t>(n));
  int x = 0;
  for (qsizetype i = 0; i < n; ++i) {
    const Single s = SingleOf(text[i]);
    if (!s.plain) return {};
    out.glyphs.push_back(s.glyph);
    out.x.push_back(x);
    if (i + 1 < n) {
      const Pair p = PairOf(text[i], text[i + 1]);
      if (!p.plain) return {};
      x += p.step;
    } else {
      out.width = x + s.width;
    }
  }
  out.plain = true;
  return out;
}

// A text the characters cannot describe, shaped once and kept.
struct ShapedText {
  QStaticText glyphs;
  QRectF bounds;  // the layout's rectangle, the text's top left at (0, 0)
};

const ShapedText& Shaped(const QString& text) {
  static QHash<QString, ShapedText> table;
  auto it = table.constFind(text);
  if (it != table.constEnd()) return *it;
  KeepBounded(table);
  ShapedText s;
  s.glyphs.setText(text);
  s.glyphs.setTextFormat(Qt::PlainText);
  s.glyphs.setPerformanceHint(QStaticText::ModerateCaching);
  s.glyphs.prepare(QTransform(), SkinTextFont());
  const QFontMetricsF metrics(SkinTextFont());
  s.bounds = metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  return *table.insert(text, std::move(s));
}

// One glyph in one colour at one sub-pixel position, as the painter draws it into a transparent
// premultiplied image: over any premultiplied pixels the image blended source-over gives what
// drawing the glyph there gives. Cropped to its ink; (dx, dy) is its top left from the whole
// pixel of the pen position (the baseline's row).
struct GlyphImage {
  QImage image;
  int dx = 0;
  int dy = 0;
};

GlyphImage RenderGlyph(quint32 glyph, QRgb argb, int fx, int fy) {
  const FontFacts& facts = Facts();
  // Room for any glyph of a 12-pixel font around the pen.
  constexpr int kPad = 8;
  const int above = WholePixels(facts.ascent) + 1;
  QImage canvas(3 * kPad + 16, 2 * kPad + 24, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter g(&canvas);
    g.setPen(QColor::fromRgba(argb));
    g.setRenderHint(QPainter::TextAntialiasing, true);
    QGlyphRun run;
    run.setRawFont(facts.raw);
    run.setGlyphIndexes({glyph});
    run.setPositions({QPointF(0, 0)});
    g.drawGlyphRun(QPointF(kPad + fx / double(kUnits), kPad + above + fy / double(kUnits)), run);
  }
  QRect ink;
  for (int y = 0; y < canvas.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(canvas.constScanLine(y));
    for (int x = 0; x < canvas.width(); ++x)
      if (row[x] != 0) ink |= QRect(x, y, 1, 1);
  }
  GlyphImage out;
  if (ink.isEmpty()) return out;
  out.image = canvas.copy(ink);
  out.dx = ink.left() - kPad;
  out.dy = ink.top() - kPad - above;
  return out;
}

GlyphImage GlyphImageOf(quint32 glyph, QRgb argb, int fx, int fy) {
  static QHash<uint64_t, GlyphImage> table;
  const uint64_t key = (static_cast<uint64_t>(glyph) << 44) | (static_cast<uint64_t>(argb) << 12) |
                       (static_cast<uint64_t>(fx) << 6) | static_cast<uint64_t>(fy);
  const auto it = table.constFind(key);
  if (it != table.constEnd()) return *it;
  KeepBounded(table);
  return *table.insert(key, RenderGlyph(glyph, argb, fx, fy));
}

// The text's top left as SkinTextRect places it.
QPointF TextOrigin(const QString& text, QPointF at, int widthChars) {
  if (widthChars > 0) return {at.x() + 3.0 * (widthChars - text.length()), at.y()};
  return at;
}

QPointF ParsePos(const QString& pos) {
  const QStringList parts = pos.split(QLatin1Char(','));
  return {Coordinate(parts.value(0)), Coordinate(parts.value(1))};
}

// The glyphs blended straight into the pixels: the painter's composition is source-over at full
// opacity, so each glyph image over the pixels is exactly the painter's glyph drawing.
bool DrawIntoPixels(QPainter& g, const Laid& laid, QRgb argb, QPointF origin) {
  if (g.compositionMode() != QPainter::CompositionMode_SourceOver || g.opacity() != 1.0) return false;
  PixelBuffer buffer;
  PixelRect clip;
  if (!DirectPixels(g, buffer, clip)) return false;
  // A glyph index of more than 20 bits does not fit the images' key; the painter draws those.
  const int baseline = ToUnits(origin.y()) + Facts().ascent;
  for (quint32 glyph : laid.glyphs)
    if (glyph >= (1u << 20)) return false;
  const int fy = baseline - WholePixels(baseline) * kUnits;
  const int row = WholePixels(baseline);
  const int left = ToUnits(origin.x());
  for (size_t i = 0; i < laid.glyphs.size(); ++i) {
    const int pen = left + laid.x[i];
    const int column = WholePixels(pen);
    const GlyphImage glyph = GlyphImageOf(laid.glyphs[i], argb, pen - column * kUnits, fy);
    if (glyph.image.isNull()) continue;
    BlendPremultiplied(buffer, column + glyph.dx, row + glyph.dy,
                       reinterpret_cast<const uint32_t*>(glyph.image.constBits()),
                       static_cast<int>(glyph.image.bytesPerLine() / 4), glyph.image.width(), glyph.image.height(), clip);
  }
  return true;
}

void DrawAsGlyphRun(QPainter& g, const Laid& laid, QRgb argb, QPointF origin) {
  const FontFacts& facts = Facts();
  // The pen positions in whole units, so that the painter's own cut leaves them as they are.
  origin = QPointF(ToUnits(origin.x()) / double(kUnits), ToUnits(origin.y()) / double(kUnits));
  QList<QPointF> positions;
  positions.reserve(static_cast<qsizetype>(laid.x.size()));
  for (int x : laid.x) positions.append(QPointF(x / double(kUnits), 0));
  QGlyphRun run;
  run.setRawFont(facts.raw);
  run.setGlyphIndexes(QList<quint32>(laid.glyphs.begin(), laid.glyphs.end()));
  run.setPositions(positions);
  g.save();
  g.setPen(QColor::fromRgba(argb));
  g.setRenderHint(QPainter::TextAntialiasing, true);
  g.drawGlyphRun(origin + QPointF(0, facts.ascent / double(kUnits)), run);
  g.restore();
}

}  // namespace

QString SkinFontFamily() {
  // The font database needs the GUI application; before it exists, answer without caching.
  if (!QGuiApplication::instance()) return QStringLiteral("WenQuanYi Micro Hei");
  static const QString family = [] {
    const QString song = QStringLiteral("宋体");
    for (const QString& f : QFontDatabase::families()) {
      if (f == song || f.compare(QLatin1String("SimSun"), Qt::CaseInsensitive) == 0) return f;
    }
    return QStringLiteral("WenQuanYi Micro Hei");
  }();
  return family;
}

QRectF SkinTextRect(const QString& text, const QString& pos, int widthChars) {
  const QPointF at = ParsePos(pos);
  const double len = text.length();
  double left = at.x();
  double width = at.x() + 20 * kTwipsPerPixel * len;
  if (widthChars > 0) {
    left = at.x() + 3.0 * (widthChars - len);
    width = left + 6.0 * widthChars * kTwipsPerPixel;
  }
  // The extent grows with the position, as the layout always did; it only has to reach beyond
  // any text so that nothing wraps or clips.
  const double height = at.y() + 20 * kTwipsPerPixel;
  return QRectF(left, at.y(), width, height);
}

QRectF SkinTextBounds(const QString& text, const QString& pos, int widthChars) {
  return SkinTextBoundsAt(text, ParsePos(pos), widthChars);
}

QRectF SkinTextBoundsAt(const QString& text, QPointF at, int widthChars) {
  const QPointF origin = TextOrigin(text, at, widthChars);
  const Laid laid = Place(text);
  if (!laid.plain) return Shaped(text).bounds.translated(origin);
  return QRectF(origin, QSizeF(laid.width / double(kUnits), Facts().height));
}

void DrawSkinText(QPainter& g, const QString& text, QRgb argb, const QString& pos, int widthChars) {
  DrawSkinTextAt(g, text, argb, ParsePos(pos), widthChars);
}

void DrawSkinTextAt(QPainter& g, const QString& text, QRgb argb, QPointF at, int widthChars) {
  if (text.isEmpty()) return;
  const QPointF origin = TextOrigin(text, at, widthChars);
  const Laid laid = Place(text);
  if (laid.plain) {
    if (!DrawIntoPixels(g, laid, argb, origin)) DrawAsGlyphRun(g, laid, argb, origin);
    return;
  }
  const ShapedText& shaped = Shaped(text);
  g.save();
  g.setFont(SkinTextFont());
  g.setPen(QColor::fromRgba(argb));
  g.setRenderHint(QPainter::TextAntialiasing, true);
  g.drawStaticText(origin, shaped.glyphs);
  g.restore();
}

}  // namespace mirelune::skin
