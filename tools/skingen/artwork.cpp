// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/skingen/artwork.h"

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

namespace mirelune::skingen {

namespace {

// The console's palette: dark panels, light text, amber for what is selected, cyan for the
// singing-mode bars, magenta for dance mode, grey for anything greyed out.
const QColor kPanelTop(0x34, 0x3a, 0x45);
const QColor kPanelBottom(0x1f, 0x23, 0x2a);
const QColor kBorder(0x4a, 0x51, 0x60);
const QColor kInset(0x10, 0x12, 0x16);
const QColor kInsetBorder(0x3a, 0x40, 0x4c);
const QColor kText(0xd5, 0xd9, 0xe0);
const QColor kTextDim(0x8b, 0x91, 0x9c);
const QColor kAmber(0xff, 0xc8, 0x00);
const QColor kAmberText(0xff, 0xec, 0xb0);
const QColor kCyan(0x3f, 0xd8, 0xf5);
const QColor kCyanDeep(0x17, 0x7c, 0x9c);
const QColor kMagenta(0xff, 0x5a, 0xd8);
const QColor kMagentaDeep(0x8a, 0x1f, 0x78);
const QColor kGrey(0x8a, 0x8d, 0x93);
const QColor kGreyDeep(0x4c, 0x4f, 0x55);
const QColor kRed(0xe8, 0x44, 0x44);
const QColor kGreen(0x46, 0xd8, 0x62);

// The graph's band colours, so that a marker matches its curve.
constexpr std::array<QRgb, 17> kBandColours = {
    qRgb(82, 231, 51),  qRgb(58, 139, 228), qRgb(192, 26, 230), qRgb(244, 33, 41),
    qRgb(88, 0, 248),   qRgb(190, 255, 8),  qRgb(27, 180, 255), qRgb(41, 255, 169),
    qRgb(108, 183, 94), qRgb(95, 138, 180), qRgb(162, 87, 182), qRgb(188, 84, 86),
    qRgb(111, 79, 191), qRgb(164, 198, 78), qRgb(84, 159, 194), qRgb(150, 100, 32),
    qRgb(244, 33, 41)};

[[noreturn]] void Unknown(const ManifestEntry& e) {
  throw std::runtime_error(QStringLiteral("skin image %1: unknown role/variant \"%2\"/\"%3\"")
                               .arg(e.id)
                               .arg(e.role, e.variant)
                               .toStdString());
}

QString CjkFamily() {
  static const QString family = [] {
    for (const QString& f : QFontDatabase::families()) {
      if (f == QStringLiteral("WenQuanYi Micro Hei")) return f;
    }
    return QStringLiteral("Sans Serif");
  }();
  return family;
}

QFont Font(int px, bool bold, const QString& family = CjkFamily()) {
  QFont f(family);
  f.setPixelSize(px);
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

// The font of an English caption: the role's size in the same face, made smaller and then
// narrower, step by step, until the widest line is at most maxWidth. Chinese captions have a
// fixed width per character, so their roles chose one size; English words vary from "Off" to
// "Subwoofer", so each caption gets its own. measureBold measures the bold face even for normal
// text, so that the normal and the pressed (bold) images of one button show the same size.
// Throws std::runtime_error naming the id when even the smallest, narrowest setting is too wide:
// the caption needs a shorter word.
QFont FittedFont(const QStringList& lines, qreal maxWidth, int px, bool bold, bool measureBold,
                 int id) {
  // Small letters lose legibility faster by shrinking than by narrowing, so every size tries a
  // narrowing to 85 % before the next smaller size; 80 and 75 % only at the smallest size. Below
  // 8 pixels (7 for captions that start under 10) letters stop being legible; below 75 % the
  // synthetic narrowing looks squashed.
  const int smallest = std::max(px < 10 ? 7 : 8, px - 3);
  constexpr int kStretches[] = {100, 92, 85, 80, 75};
  for (int size = px; size >= smallest; --size) {
    for (int stretch : kStretches) {
      if (stretch < 85 && size != smallest) continue;
      QFont f = Font(size, measureBold || bold);
      f.setStretch(stretch);
      const QFontMetricsF m(f);
      qreal widest = 0;
      for (const QString& line : lines) widest = std::max(widest, m.horizontalAdvance(line));
      if (widest <= maxWidth) {
        f.setBold(bold);
        return f;
      }
    }
  }
  throw std::runtime_error(QStringLiteral("skin image %1: the English caption \"%2\" is wider "
                                          "than %3 pixels even at %4 px, narrowed")
                               .arg(id)
                               .arg(lines.join(QLatin1Char('|')))
                               .arg(maxWidth)
                               .arg(smallest)
                               .toStdString());
}

QRectF Inner(const QImage& img) { return QRectF(0.5, 0.5, img.width() - 1, img.height() - 1); }

void Bevel(QPainter& p, const QRectF& r, qreal radius, QColor top, QColor bottom, QColor border,
           qreal borderWidth = 1.0) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.setPen(QPen(border, borderWidth));
  p.setBrush(g);
  p.drawRoundedRect(r, radius, radius);
  // A thin highlight under the top edge gives the raised look.
  QColor hi = top.lighter(135);
  hi.setAlpha(110);
  p.setPen(QPen(hi, 1));
  p.drawLine(QPointF(r.left() + radius, r.top() + 1), QPointF(r.right() - radius, r.top() + 1));
}

void InsetBox(QPainter& p, const QRectF& r, qreal radius) {
  p.setPen(QPen(kInsetBorder, 1));
  p.setBrush(kInset);
  p.drawRoundedRect(r, radius, radius);
  QColor shade(0, 0, 0, 120);
  p.setPen(QPen(shade, 1));
  p.drawLine(QPointF(r.left() + radius, r.top() + 1), QPointF(r.right() - radius, r.top() + 1));
}

// How a role sets its text: `fit` is false for Chinese captions, drawn at the role's size, and
// true for English ones, fitted into a width (FittedFont); id names the image in errors.
// boldVariants: some state of the control draws the caption bold, so fitting measures bold.
// fitTogether: captions fitted along with this one (DrawEntry).
struct Lettering {
  bool fit = false;
  int id = 0;
  bool boldVariants = false;
  QStringList fitTogether;

  // The lines to measure for a caption of `lines`: its own and those of the captions fitted
  // with it that have as many lines (a two-line caption starts smaller than a one-line one).
  QStringList Measured(const QStringList& lines) const {
    QStringList all = lines;
    for (const QString& other : fitTogether) {
      const QStringList otherLines = other.split(QLatin1Char('|'));
      if (otherLines.size() == lines.size()) all += otherLines;
    }
    return all;
  }
};

// Caption centred in r at px pixels, or fitted into `fitWidth` pixels when lettering.fit; "|"
// splits it into two lines.
void Caption(QPainter& p, const QRectF& r, const QString& text, int px, QColor colour, bool bold,
             Lettering lettering = {}, qreal fitWidth = 0) {
  const QStringList lines = text.split(QLatin1Char('|'));
  if (lettering.fit) {
    const QFont f =
        FittedFont(lettering.Measured(lines), fitWidth, px, bold, bold || lettering.boldVariants,
                   lettering.id);
    px = f.pixelSize();
    p.setFont(f);
  } else {
    p.setFont(Font(px, bold));
  }
  p.setPen(colour);
  if (lines.size() == 1) {
    p.drawText(r, Qt::AlignCenter, text);
    return;
  }
  const qreal lineH = px + 1;  // two lines of 9 px fit a 22-pixel button inside its border
  const qreal top = r.center().y() - lineH * lines.size() / 2.0;
  for (int i = 0; i < lines.size(); ++i) {
    p.drawText(QRectF(r.left(), top + i * lineH, r.width(), lineH), Qt::AlignCenter, lines[i]);
  }
}

void Hatch(QPainter& p, const QRectF& r, QColor colour) {
  p.save();
  p.setClipRect(r);
  p.setPen(QPen(colour, 1));
  for (qreal x = r.left() - r.height(); x < r.right(); x += 5) {
    p.drawLine(QPointF(x, r.bottom()), QPointF(x + r.height(), r.top()));
  }
  p.restore();
}

void Led(QPainter& p, QPointF c, qreal r, QColor colour, bool lit) {
  if (lit) {
    QRadialGradient glow(c, r * 2.2);
    QColor g = colour;
    g.setAlpha(110);
    glow.setColorAt(0, g);
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, r * 2.2, r * 2.2);
  }
  QRadialGradient body(c - QPointF(r / 3, r / 3), r * 1.4);
  const QColor base = lit ? colour : colour.darker(320);
  body.setColorAt(0, lit ? base.lighter(160) : base.lighter(130));
  body.setColorAt(1, base);
  p.setPen(QPen(QColor(0, 0, 0, 160), 1));
  p.setBrush(body);
  p.drawEllipse(c, r, r);
}

void Speaker(QPainter& p, const QRectF& r, QColor colour, bool muted) {
  const qreal s = std::min(r.width(), r.height());
  const QPointF o(r.center().x() - s / 2, r.center().y() - s / 2);
  QPainterPath body;
  body.moveTo(o + QPointF(0.05 * s, 0.35 * s));
  body.lineTo(o + QPointF(0.3 * s, 0.35 * s));
  body.lineTo(o + QPointF(0.55 * s, 0.1 * s));
  body.lineTo(o + QPointF(0.55 * s, 0.9 * s));
  body.lineTo(o + QPointF(0.3 * s, 0.65 * s));
  body.lineTo(o + QPointF(0.05 * s, 0.65 * s));
  body.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(body);
  if (muted) {
    p.setPen(QPen(colour, std::max(1.0, s / 10), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(o + QPointF(0.66 * s, 0.32 * s), o + QPointF(0.95 * s, 0.68 * s));
    p.drawLine(o + QPointF(0.66 * s, 0.68 * s), o + QPointF(0.95 * s, 0.32 * s));
  } else {
    p.setPen(QPen(colour, std::max(1.0, s / 12)));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(o + QPointF(0.42 * s, 0.3 * s), QSizeF(0.4 * s, 0.4 * s)), -50 * 16, 100 * 16);
    p.drawArc(QRectF(o + QPointF(0.4 * s, 0.15 * s), QSizeF(0.6 * s, 0.7 * s)), -50 * 16, 100 * 16);
  }
}

// Raised button in the state named by the variant; returns the text colour for that state.
QColor ButtonFace(QPainter& p, const QRectF& r, const QString& variant, qreal radius,
                  const ManifestEntry& e) {
  if (variant == QLatin1String("normal")) {
    Bevel(p, r, radius, kPanelTop, kPanelBottom, kBorder);
    return kText;
  }
  if (variant == QLatin1String("pressed")) {
    Bevel(p, r, radius, QColor(0x4a, 0x42, 0x2c), QColor(0x26, 0x22, 0x17), QColor(0xb3, 0x86, 0x00));
    p.setPen(QPen(kAmber, 2));
    p.drawLine(QPointF(r.left() + radius + 2, r.bottom() - 1.5),
               QPointF(r.right() - radius - 2, r.bottom() - 1.5));
    return kAmberText;
  }
  if (variant == QLatin1String("on")) {
    Bevel(p, r, radius, QColor(0x7a, 0x62, 0x10), QColor(0x45, 0x37, 0x08), kAmber);
    return QColor(0xff, 0xf6, 0xd8);
  }
  if (variant == QLatin1String("dance")) {
    Bevel(p, r, radius, QColor(0x78, 0x22, 0x6a), QColor(0x42, 0x10, 0x3a), kMagenta);
    return QColor(0xff, 0xe0, 0xf6);
  }
  if (variant == QLatin1String("alert")) {
    Bevel(p, r, radius, QColor(0x86, 0x26, 0x26), QColor(0x4a, 0x12, 0x12), kRed);
    return Qt::white;
  }
  if (variant == QLatin1String("disabled")) {
    p.setPen(QPen(QColor(0x33, 0x37, 0x3f), 1));
    p.setBrush(QColor(0x22, 0x25, 0x2a));
    p.drawRoundedRect(r, radius, radius);
    return QColor(0x5d, 0x62, 0x6b);
  }
  Unknown(e);
}

// ---- roles ----

void PageButton(QPainter& p, const QImage& img, const ManifestEntry& e, int px, Lettering l) {
  const QColor text = ButtonFace(p, Inner(img), e.variant, 4, e);
  l.boldVariants = true;  // the pressed state
  // English captions keep 5 pixels clear of either end, inside the bevel.
  Caption(p, QRectF(0, 0, img.width(), img.height() - 2), e.caption, px,
          text, e.variant == QLatin1String("pressed"), l, img.width() - 10);
}

void ToolButton(QPainter& p, const QImage& img, const ManifestEntry& e, Lettering l) {
  const QColor text = ButtonFace(p, Inner(img), e.variant, 3, e);
  const bool twoLines = e.caption.contains(QLatin1Char('|'));
  const QRectF area = e.variant == QLatin1String("pressed")
                          ? QRectF(1, 1, img.width(), img.height() - 1)
                          : QRectF(0, 0, img.width(), img.height());
  if (l.fit) {
    Caption(p, area, e.caption, twoLines ? 9 : 12, text, false, l, img.width() - 4);
    return;
  }
  const int longest = twoLines ? static_cast<int>(std::max(e.caption.section('|', 0, 0).size(),
                                                           e.caption.section('|', 1, 1).size()))
                               : static_cast<int>(e.caption.size());
  // The largest size at which the longest line still fits across the button.
  int px = twoLines ? 9 : 12;
  while (px > 8 && longest * px > img.width() - 4) --px;
  Caption(p, area, e.caption, px, text, false);
}

void ArrowButton(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const QColor colour = ButtonFace(p, Inner(img), e.variant, 3, e);
  const bool redo = e.caption == QLatin1String("redo");
  if (!redo && e.caption != QLatin1String("undo")) Unknown(e);
  const qreal w = img.width(), h = img.height();
  const QRectF arc(w * 0.22, h * 0.3, w * 0.56, h * 0.56);
  p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  // An open arc over the top; the head sits at the end the arrow turns towards, pointing down.
  p.drawArc(arc, redo ? 200 * 16 : -20 * 16, redo ? -220 * 16 : 220 * 16);
  const qreal endDeg = (redo ? -20.0 : 200.0) * M_PI / 180;
  const QPointF tip(arc.center().x() + arc.width() / 2 * std::cos(endDeg),
                    arc.center().y() - arc.height() / 2 * std::sin(endDeg));
  QPainterPath head;
  head.moveTo(tip + QPointF(0, 3.5));
  head.lineTo(tip + QPointF(-3.5, -1.5));
  head.lineTo(tip + QPointF(3.5, -1.5));
  head.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(head);
}

void WindowButton(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const bool exit = e.caption == QLatin1String("exit");
  if (!exit && e.caption != QLatin1String("minimise")) Unknown(e);
  const bool pressed = e.variant == QLatin1String("pressed");
  if (!pressed && e.variant != QLatin1String("normal")) Unknown(e);
  const QRectF r = Inner(img).adjusted(1, 1, -1, -1);
  if (exit) {
    Bevel(p, r, 4, pressed ? QColor(0x5a, 0x1a, 0x1a) : QColor(0x7a, 0x28, 0x28),
          pressed ? QColor(0x3a, 0x10, 0x10) : QColor(0x48, 0x16, 0x16), kRed);
  } else {
    Bevel(p, r, 4, pressed ? kPanelBottom : kPanelTop, pressed ? kPanelTop : kPanelBottom, kBorder);
  }
  const QPointF c = r.center() + (pressed ? QPointF(0.5, 0.5) : QPointF());
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  if (exit) {
    p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
    p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
  } else {
    p.drawLine(c + QPointF(-5, 4), c + QPointF(5, 4));
  }
}

void DragHandle(QPainter& p, const QImage& img) {
  Bevel(p, Inner(img), 5, kPanelTop, kPanelBottom, kBorder);
  p.setPen(Qt::NoPen);
  for (int row = 0; row < 3; ++row) {
    for (int x = 10; x < img.width() - 8; x += 6) {
      const QPointF c(x + (row % 2) * 3, 9 + row * 6);
      p.setBrush(QColor(0, 0, 0, 150));
      p.drawEllipse(c + QPointF(0.6, 0.6), 1.3, 1.3);
      p.setBrush(QColor(0x7a, 0x82, 0x90));
      p.drawEllipse(c, 1.2, 1.2);
    }
  }
}

// A hidden (front-panel item hidden) button: the same face, faded, hatched and dashed round.
void HiddenOverlay(QPainter& p, const QImage& img) {
  const QRectF r = Inner(img);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x14, 0x16, 0x1a, 150));
  p.drawRoundedRect(r, 3, 3);
  Hatch(p, r, QColor(0x9a, 0xa0, 0xaa, 90));
  QPen dash(QColor(0x9a, 0xa0, 0xaa), 1, Qt::DashLine);
  p.setPen(dash);
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(r, 3, 3);
}

bool SplitHidden(QString& variant) {
  if (!variant.startsWith(QLatin1String("hidden_"))) return false;
  variant = variant.mid(7);
  return true;
}

void Toggle(QPainter& p, const QImage& img, const ManifestEntry& e) {
  QString v = e.variant;
  const bool hidden = SplitHidden(v);
  const bool on = v == QLatin1String("on");
  if (!on && v != QLatin1String("off")) Unknown(e);
  Bevel(p, Inner(img), 3, kPanelTop, kPanelBottom, on ? kRed.darker(130) : kBorder);
  Led(p, QPointF(img.width() / 2.0, img.height() / 2.0), 4, kRed, on);
  if (hidden) HiddenOverlay(p, img);
}

void MuteButton(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const bool on = e.variant == QLatin1String("on");
  if (!on && e.variant != QLatin1String("off")) Unknown(e);
  if (on) {
    Bevel(p, Inner(img), 3, QColor(0x86, 0x26, 0x26), QColor(0x4a, 0x12, 0x12), kRed);
  } else {
    Bevel(p, Inner(img), 3, kPanelTop, kPanelBottom, kBorder);
  }
  Speaker(p, QRectF(3, 2, img.width() - 6, img.height() - 4), on ? Qt::white : kText, on);
}

void Radio(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const bool on = e.variant == QLatin1String("on");
  if (!on && e.variant != QLatin1String("off")) Unknown(e);
  const QPointF c(img.width() / 2.0, img.height() / 2.0);
  QRadialGradient well(c, 7);
  well.setColorAt(0, QColor(0x0c, 0x0e, 0x11));
  well.setColorAt(1, QColor(0x24, 0x28, 0x30));
  p.setPen(QPen(on ? QColor(0xb3, 0x86, 0x00) : QColor(0x6a, 0x72, 0x80), 1.2));
  p.setBrush(well);
  p.drawEllipse(c, 6.5, 6.5);
  if (on) Led(p, c, 3.5, kAmber, true);
}

void TargetSwitch(QPainter& p, const QImage& img, const ManifestEntry& e) {
  QString v = e.variant;
  const bool hidden = SplitHidden(v);
  const bool on = v == QLatin1String("on");
  if (!on && v != QLatin1String("off")) Unknown(e);
  Bevel(p, Inner(img).adjusted(1, 1, -1, -1), 4, on ? kPanelTop.lighter(110) : kPanelTop,
        kPanelBottom, on ? kGreen.darker(150) : kBorder);
  Led(p, QPointF(img.width() / 2.0, img.height() / 2.0), 5, kGreen, on);
  if (hidden) HiddenOverlay(p, img);
}

void PhaseSwitch(QPainter& p, const QImage& img, const ManifestEntry& e) {
  QString v = e.variant;
  const bool hidden = SplitHidden(v);
  const bool inverted = v == QLatin1String("180");
  if (!inverted && v != QLatin1String("0")) Unknown(e);
  const QRectF r = Inner(img);
  InsetBox(p, r, r.height() / 2);
  const QRectF left(r.left() + 1, r.top() + 1, r.width() / 2 - 1, r.height() - 2);
  const QRectF right(r.center().x(), r.top() + 1, r.width() / 2 - 1, r.height() - 2);
  Bevel(p, inverted ? right : left, left.height() / 2, QColor(0xff, 0xd8, 0x4a), QColor(0xc0, 0x8f, 0x00),
        QColor(0x7a, 0x5a, 0x00));
  p.setFont(Font(11, true, QStringLiteral("DejaVu Sans")));
  p.setPen(inverted ? kTextDim : QColor(0x20, 0x18, 0x00));
  p.drawText(left, Qt::AlignCenter, QStringLiteral("0°"));
  p.setPen(inverted ? QColor(0x20, 0x18, 0x00) : kTextDim);
  p.drawText(right, Qt::AlignCenter, QStringLiteral("180°"));
  if (hidden) HiddenOverlay(p, img);
}

void LinkIndicator(QPainter& p, const QImage& img, const ManifestEntry& e, Lettering l) {
  QColor led;
  bool lit = true;
  if (e.variant == QLatin1String("online")) {
    led = kGreen;
  } else if (e.variant == QLatin1String("offline")) {
    led = kAmber;
    lit = false;
  } else if (e.variant == QLatin1String("off")) {
    led = kRed;
  } else {
    Unknown(e);
  }
  Bevel(p, Inner(img), 4, kPanelTop, kPanelBottom, kBorder);
  Led(p, QPointF(14, img.height() / 2.0), 5, led, lit);
  Caption(p, QRectF(24, 0, img.width() - 28, img.height()), e.caption, 13,
          e.variant == QLatin1String("online") ? kText : kTextDim, false, l, img.width() - 30);
}

void ThumbV(QPainter& p, const QImage& img, const ManifestEntry& e) {
  QColor top, bottom, line;
  if (e.variant == QLatin1String("normal")) {
    top = QColor(0xe2, 0xe5, 0xea), bottom = QColor(0x86, 0x8c, 0x96), line = QColor(0x20, 0x22, 0x26);
  } else if (e.variant == QLatin1String("grey")) {
    top = QColor(0x6d, 0x70, 0x76), bottom = QColor(0x45, 0x48, 0x4d), line = QColor(0x2a, 0x2c, 0x30);
  } else if (e.variant == QLatin1String("focus")) {
    top = QColor(0xff, 0xe0, 0x6a), bottom = QColor(0xc0, 0x8a, 0x00), line = QColor(0x3a, 0x22, 0x00);
  } else {
    Unknown(e);
  }
  const QRectF r = Inner(img);
  Bevel(p, r, 2.5, top, bottom, QColor(0, 0, 0, 200));
  p.setPen(QPen(line, 2));
  p.drawLine(QPointF(r.left() + 2, r.center().y()), QPointF(r.right() - 2, r.center().y()));
}

void ThumbH(QPainter& p, const QImage& img, const ManifestEntry& e) {
  QColor left, right;
  if (e.variant == QLatin1String("normal")) {
    left = QColor(0xe2, 0xe5, 0xea), right = QColor(0x86, 0x8c, 0x96);
  } else if (e.variant == QLatin1String("grey")) {
    left = QColor(0x6d, 0x70, 0x76), right = QColor(0x45, 0x48, 0x4d);
  } else {
    Unknown(e);
  }
  const QRectF r = Inner(img);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, left);
  g.setColorAt(1, right);
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.setBrush(g);
  p.drawRoundedRect(r, 2.5, 2.5);
  p.setPen(QPen(QColor(0x20, 0x22, 0x26), 2));
  p.drawLine(QPointF(r.center().x(), r.top() + 3), QPointF(r.center().x(), r.bottom() - 3));
}

struct BarColours {
  QColor a, b;
};

BarColours Bar(const ManifestEntry& e) {
  if (e.variant == QLatin1String("normal")) return {kCyan, kCyanDeep};
  if (e.variant == QLatin1String("dance")) return {kMagenta, kMagentaDeep};
  if (e.variant == QLatin1String("grey")) return {kGrey, kGreyDeep};
  if (e.variant == QLatin1String("muted")) return {QColor(0xa0, 0x38, 0x38), QColor(0x5a, 0x1c, 0x1c)};
  Unknown(e);
}

void Groove(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.setBrush(QColor(0x0a, 0x0b, 0x0e));
  p.drawRoundedRect(r, 2, 2);
  p.setPen(QPen(QColor(0x4a, 0x51, 0x60, 120), 1));
  p.drawLine(QPointF(r.left() + 1, r.bottom() + 0.5), QPointF(r.right() - 1, r.bottom() + 0.5));
}

// Bars have square, pixel-aligned ends: they are revealed row by row or column by column, and
// the revealed edge must be the bar's own edge, not an antialiased corner.
void VerticalBar(QPainter& p, const QRect& r, BarColours c) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, c.a);
  g.setColorAt(1, c.b);
  p.fillRect(r, g);
  QColor shine = c.a.lighter(150);
  shine.setAlpha(255);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), shine);
}

void HorizontalBar(QPainter& p, const QRect& r, BarColours c) {
  QLinearGradient g(r.topLeft(), r.topRight());
  g.setColorAt(0, c.b);
  g.setColorAt(1, c.a);
  p.fillRect(r, g);
  QColor shine = c.a.lighter(150);
  shine.setAlpha(255);
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), shine);
}

// EQ band strip, 43 wide; s = 0 normal, 1 tall. The gain track: thumb column x 16..40, centre
// x 28, from y 18 over 95 + 27s pixels; readouts from y 123 + 33s; bypass switch at 166 + 42s.
int StripTall(const QImage& img) { return img.height() >= 224 ? 1 : 0; }
qreal StripLength(int s) { return 95 + 27 * s; }

void StripBack(QPainter& p, const QImage& img) {
  const int s = StripTall(img);
  const qreal len = StripLength(s);
  QLinearGradient g(0, 0, 0, img.height());
  g.setColorAt(0, QColor(0x25, 0x29, 0x31));
  g.setColorAt(1, QColor(0x1a, 0x1d, 0x23));
  p.setPen(QPen(QColor(0x36, 0x3b, 0x45), 1));
  p.setBrush(g);
  p.drawRoundedRect(Inner(img), 3, 3);
  Groove(p, QRectF(25.5, 16.5, 5, len + 3));
  // Scale ticks at +12, +6, 0, -6 ... -24 dB; 0 dB in amber.
  for (int db = 12; db >= -24; db -= 6) {
    const qreal y = 18 + (12 - db) * len / 36.0;
    const bool zero = db == 0;
    p.setPen(QPen(zero ? kAmber : QColor(0x6a, 0x72, 0x80), 1));
    p.drawLine(QPointF(zero ? 17 : 19, std::round(y) + 0.5), QPointF(23, std::round(y) + 0.5));
    p.drawLine(QPointF(33, std::round(y) + 0.5), QPointF(zero ? 39 : 37, std::round(y) + 0.5));
  }
  InsetBox(p, QRectF(2.5, 122.5 + 33 * s, 38, 43 + 6 * s), 2);
}

void StripFill(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const int s = StripTall(img);
  VerticalBar(p, QRect(26, 18, 4, static_cast<int>(StripLength(s))), Bar(e));
}

// Recording-window fader, 74 x 180, background drawn at (0, 2): groove centre x 36, track from
// y 26 over 123 pixels (control coordinates).
void FaderBack(QPainter& p, const QImage& img) {
  QLinearGradient g(0, 0, 0, img.height());
  g.setColorAt(0, QColor(0x25, 0x29, 0x31));
  g.setColorAt(1, QColor(0x1a, 0x1d, 0x23));
  p.setPen(QPen(QColor(0x36, 0x3b, 0x45), 1));
  p.setBrush(g);
  p.drawRoundedRect(Inner(img), 4, 4);
  Groove(p, QRectF(33.5, 22.5, 5, 127));
  for (int i = 0; i <= 10; ++i) {
    const qreal y = std::round(24 + i * 123 / 10.0) + 0.5;
    const bool major = i % 5 == 0;
    p.setPen(QPen(major ? kTextDim : QColor(0x55, 0x5b, 0x66), 1));
    p.drawLine(QPointF(major ? 20 : 24, y), QPointF(30, y));
    p.drawLine(QPointF(42, y), QPointF(major ? 52 : 48, y));
  }
}

void FaderFill(QPainter& p, const QImage& img, const ManifestEntry& e) {
  (void)img;
  if (e.variant != QLatin1String("normal")) Unknown(e);
  VerticalBar(p, QRect(34, 26, 4, 123), {kAmber, QColor(0x2f, 0x9e, 0x48)});
}

// Horizontal tracks: kind large (150 x 40, groove centre y 26, x 12..134), small (136 x 26,
// centre y 13, x 7..129) and master (156 x 28, centre y 15, x 8..148).
struct Track {
  int x0, x1, cy;
};
Track TrackOf(const QString& role) {
  if (role.endsWith(QLatin1String("large"))) return {12, 134, 26};
  if (role.endsWith(QLatin1String("small"))) return {7, 129, 13};
  return {8, 148, 15};
}

void TrackBack(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const Track t = TrackOf(e.role);
  QLinearGradient g(0, 0, 0, img.height());
  g.setColorAt(0, QColor(0x25, 0x29, 0x31, 230));
  g.setColorAt(1, QColor(0x1a, 0x1d, 0x23, 230));
  p.setPen(QPen(QColor(0x36, 0x3b, 0x45), 1));
  p.setBrush(g);
  p.drawRoundedRect(Inner(img), 3, 3);
  Groove(p, QRectF(t.x0 - 1.5, t.cy - 3.5, t.x1 - t.x0 + 3, 6));
  p.setPen(QPen(QColor(0x55, 0x5b, 0x66), 1));
  for (int i = 0; i <= 4; ++i) {
    const qreal x = std::round(t.x0 + i * (t.x1 - t.x0) / 4.0) + 0.5;
    p.drawLine(QPointF(x, t.cy + 5), QPointF(x, t.cy + 7));
  }
}

void TrackFill(QPainter& p, const QImage& img, const ManifestEntry& e) {
  (void)img;
  const Track t = TrackOf(e.role);
  BarColours c = Bar(e);
  if (e.role == QLatin1String("fill_master") && e.variant == QLatin1String("normal")) {
    c = {kAmber, QColor(0x2f, 0x9e, 0x48)};
  }
  HorizontalBar(p, QRect(t.x0, t.cy - 2, t.x1 - t.x0, 4), c);
}

void ValueBox(QPainter& p, const QImage& img) { InsetBox(p, Inner(img), 2.5); }

void Knob(QPainter& p, const QImage& img) {
  const QPointF c(img.width() / 2.0, img.height() / 2.0);
  const qreal r = img.width() * 0.40;
  QRadialGradient shadow(c + QPointF(0, 3), r + 8);
  shadow.setColorAt(0.85, QColor(0, 0, 0, 150));
  shadow.setColorAt(1, QColor(0, 0, 0, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(shadow);
  p.drawEllipse(c + QPointF(0, 3), r + 8, r + 8);
  // Knurled rim, then the cap.
  p.setPen(QPen(QColor(0x15, 0x17, 0x1b), 1.5));
  for (int i = 0; i < 60; ++i) {
    const qreal a = i * 6 * M_PI / 180;
    p.drawLine(c + QPointF(std::sin(a), -std::cos(a)) * (r - 3),
               c + QPointF(std::sin(a), -std::cos(a)) * (r + 1));
  }
  QRadialGradient rim(c - QPointF(r / 3, r / 3), r * 1.6);
  rim.setColorAt(0, QColor(0x6a, 0x71, 0x7d));
  rim.setColorAt(1, QColor(0x22, 0x25, 0x2b));
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.setBrush(rim);
  p.drawEllipse(c, r - 3, r - 3);
  QRadialGradient cap(c - QPointF(r / 4, r / 4), r);
  cap.setColorAt(0, QColor(0x4a, 0x50, 0x5b));
  cap.setColorAt(1, QColor(0x1e, 0x21, 0x27));
  p.setBrush(cap);
  p.drawEllipse(c, r * 0.72, r * 0.72);
  p.setPen(QPen(kAmber, 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c - QPointF(0, r * 0.3), c - QPointF(0, r * 0.88));
}

void MuteIcon(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const bool pressed = e.variant.endsWith(QLatin1String("_pressed"));
  const QString state = pressed ? e.variant.left(e.variant.size() - 8) : e.variant;
  const bool muted = state == QLatin1String("on");
  if (!muted && state != QLatin1String("off")) Unknown(e);
  QColor c = muted ? kRed : kText;
  if (pressed) c = c.darker(150);
  const QPointF shift = pressed ? QPointF(0.5, 0.5) : QPointF();
  Speaker(p, QRectF(QPointF(0, 0) + shift, QSizeF(img.width(), img.height())), c, muted);
}

void QTypeButton(QPainter& p, const QImage& img, const ManifestEntry& e) {
  QColor top, bottom, border, glyph;
  if (e.variant == QLatin1String("on")) {
    top = QColor(0x7a, 0x62, 0x10), bottom = QColor(0x45, 0x37, 0x08), border = kAmber;
    glyph = QColor(0xff, 0xf0, 0xc0);
  } else if (e.variant == QLatin1String("off")) {
    top = kPanelTop, bottom = kPanelBottom, border = kBorder, glyph = kTextDim;
  } else if (e.variant == QLatin1String("grey")) {
    top = QColor(0x5a, 0x5d, 0x63), bottom = QColor(0x3c, 0x3f, 0x44), border = QColor(0x7a, 0x7e, 0x86);
    glyph = QColor(0xa8, 0xab, 0xb0);
  } else {
    Unknown(e);
  }
  Bevel(p, Inner(img).adjusted(0.5, 0.5, -0.5, -0.5), 2, top, bottom, border);
  // The band shape in a 12 x 10 box: a bump, or a step down to the right (low shelf) or up to
  // the right (high shelf).
  const qreal l = 2, r = img.width() - 2, hi = 4.5, lo = img.height() - 5.5;
  QPainterPath path;
  if (e.caption == QLatin1String("peak")) {
    path.moveTo(l, lo);
    path.cubicTo(l + 4, lo, (l + r) / 2 - 2, hi, (l + r) / 2, hi);
    path.cubicTo((l + r) / 2 + 2, hi, r - 4, lo, r, lo);
  } else if (e.caption == QLatin1String("lowshelf")) {
    path.moveTo(l, hi);
    path.lineTo(l + 3, hi);
    path.cubicTo(l + 7, hi, l + 6, lo, l + 10, lo);
    path.lineTo(r, lo);
  } else if (e.caption == QLatin1String("highshelf")) {
    path.moveTo(l, lo);
    path.lineTo(r - 10, lo);
    path.cubicTo(r - 6, lo, r - 7, hi, r - 3, hi);
    path.lineTo(r, hi);
  } else {
    Unknown(e);
  }
  p.setPen(QPen(glyph, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void BandSwitch(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const bool on = e.variant == QLatin1String("on");
  if (!on && e.variant != QLatin1String("bypassed")) Unknown(e);
  const QRectF r = Inner(img);
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.setBrush(on ? QColor(0x2f, 0x9e, 0x48) : QColor(0x8a, 0x22, 0x22));
  p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
  const qreal d = r.height() - 2;
  const QPointF knob(on ? r.right() - 1 - d / 2 : r.left() + 1 + d / 2, r.center().y());
  QRadialGradient g(knob - QPointF(1, 1), d);
  g.setColorAt(0, Qt::white);
  g.setColorAt(1, QColor(0xa0, 0xa4, 0xaa));
  p.setBrush(g);
  p.drawEllipse(knob, d / 2, d / 2);
}

void Label(QPainter& p, const QImage& img, const ManifestEntry& e, int px, Lettering l) {
  Caption(p, QRectF(0, 0, img.width(), img.height()), e.caption, px, QColor(0xae, 0xb4, 0xbe),
          false, l, img.width() - 2);
}

void StripLabel(QPainter& p, const QImage& img, const ManifestEntry& e) {
  p.setFont(Font(8, true, QStringLiteral("DejaVu Sans")));
  p.setPen(kTextDim);
  p.drawText(QRectF(0, -1, img.width(), img.height() + 1), Qt::AlignCenter, e.caption);
}

void ComboBox(QPainter& p, const QImage& img) {
  InsetBox(p, Inner(img), 3);
  QColor hi(0x4a, 0x51, 0x60, 110);
  p.setPen(QPen(hi, 1));
  p.drawLine(QPointF(3, img.height() - 1.5), QPointF(img.width() - 3, img.height() - 1.5));
}

void ComboArrow(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const bool pressed = e.variant == QLatin1String("pressed");
  if (!pressed && e.variant != QLatin1String("normal")) Unknown(e);
  Bevel(p, Inner(img), 2, pressed ? kPanelBottom : kPanelTop, pressed ? kPanelTop : kPanelBottom,
        kBorder);
  const QPointF c(img.width() / 2.0, img.height() / 2.0 + 1);
  QPainterPath tri;
  tri.moveTo(c + QPointF(-3.5, -2));
  tri.lineTo(c + QPointF(3.5, -2));
  tri.lineTo(c + QPointF(0, 2));
  tri.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(pressed ? kAmber : kText);
  p.drawPath(tri);
}

void ComboDisabled(QPainter& p, const QImage& img) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x0a, 0x0b, 0x0d, 150));
  p.drawRoundedRect(Inner(img), 3, 3);
  Hatch(p, Inner(img), QColor(0x80, 0x86, 0x90, 70));
}

void ComboItem(QPainter& p, const QImage& img, const ManifestEntry& e, Lettering l) {
  const bool face = img.height() >= 20;  // full-face items of the small lists
  const int left = face ? 8 : 1;
  p.setFont(l.fit ? FittedFont(l.Measured({e.caption}), img.width() - left - 1, face ? 12 : 11,
                               false, false, e.id)
                  : Font(face ? 12 : 11, false));
  p.setPen(QColor(0xe2, 0xe6, 0xec));
  p.drawText(QRectF(face ? 8 : 1, 0, img.width() - (face ? 8 : 1), img.height()),
             Qt::AlignLeft | Qt::AlignVCenter, e.caption);
}

void GraphBack(QPainter& p, const QImage& img) {
  QLinearGradient g(0, 0, 0, img.height());
  g.setColorAt(0, QColor(0x1a, 0x1f, 0x27));
  g.setColorAt(1, QColor(0x0b, 0x0d, 0x11));
  p.fillRect(img.rect(), g);
  QRadialGradient v(QPointF(img.width() / 2.0, img.height() * 0.45), img.width() * 0.6);
  v.setColorAt(0, QColor(0x30, 0x3a, 0x4a, 40));
  v.setColorAt(1, QColor(0, 0, 0, 0));
  p.fillRect(img.rect(), v);
}

void BypassOverlay(QPainter& p, const QImage& img, const ManifestEntry& e, Lettering l) {
  const QRectF r = Inner(img).adjusted(1, 1, -1, -1);
  p.setPen(QPen(QColor(0xff, 0x78, 0x78, 220), 2));
  p.setBrush(QColor(0x96, 0x1e, 0x1e, 170));
  p.drawRoundedRect(r, 8, 8);
  Caption(p, r, e.caption, 24, Qt::white, true, l, r.width() - 16);
}

int BandOf(const ManifestEntry& e) {
  bool ok = false;
  const int t = e.variant.mid(4).toInt(&ok);
  if (!e.variant.startsWith(QLatin1String("band")) || !ok || t < 0 || t > 16) Unknown(e);
  return t;
}

void MarkerSelected(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const QColor c = QColor::fromRgb(kBandColours[static_cast<size_t>(BandOf(e))]);
  const QPointF centre(img.width() / 2.0, img.height() / 2.0);
  QRadialGradient glow(centre, img.width() / 2.0);
  QColor g = c;
  g.setAlpha(120);
  glow.setColorAt(0.6, g);
  glow.setColorAt(1, QColor(0, 0, 0, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, img.width() / 2.0, img.height() / 2.0);
  p.setPen(QPen(c, 2.5));
  p.setBrush(QColor(0x0f, 0x11, 0x16, 235));
  p.drawEllipse(centre, 11, 11);
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, 13.2, 13.2);
  p.setFont(Font(e.caption.size() > 1 ? 11 : 13, true, QStringLiteral("DejaVu Sans")));
  p.setPen(Qt::white);
  p.drawText(QRectF(0, 0, img.width(), img.height()), Qt::AlignCenter, e.caption);
}

void MarkerSmall(QPainter& p, const QImage& img, const ManifestEntry& e) {
  const QColor c = QColor::fromRgb(kBandColours[static_cast<size_t>(BandOf(e))]);
  const QPointF centre(img.width() / 2.0, img.height() / 2.0);
  p.setPen(QPen(QColor(0x0a, 0x0b, 0x0e, 220), 1));
  p.setBrush(c);
  p.drawEllipse(centre, 7.2, 7.2);
  // Dark digits on light colours, white digits on dark ones.
  const bool light = qGray(c.rgb()) > 120;
  p.setFont(Font(e.caption.size() > 1 ? 8 : 10, true, QStringLiteral("DejaVu Sans")));
  p.setPen(light ? QColor(0x10, 0x12, 0x16) : Qt::white);
  p.drawText(QRectF(0, 0, img.width(), img.height()), Qt::AlignCenter, e.caption);
}

void MarkerOff(QPainter& p, const QImage& img) {
  const QPointF centre(img.width() / 2.0, img.height() / 2.0);
  p.setPen(QPen(QColor(0x8a, 0x8e, 0x96), 1.2));
  p.setBrush(QColor(0x4a, 0x4d, 0x53));
  p.drawEllipse(centre, 5, 5);
}

}  // namespace

QStringList CaptionsSharingTheSize(const std::vector<ManifestEntry>& entries,
                                   const ManifestEntry& e) {
  QStringList captions;
  for (const ManifestEntry& other : entries) {
    if (other.role == e.role && other.width == e.width && other.height == e.height &&
        HasEnglishImage(other) && !captions.contains(other.captionEn)) {
      captions += other.captionEn;
    }
  }
  return captions;
}

QImage DrawEntry(const ManifestEntry& entry, Language language, const QStringList& fitTogether) {
  // The English image is the same drawing with the English caption, set to fit.
  const bool english = language == Language::English && HasEnglishImage(entry);
  ManifestEntry shown = entry;
  if (english) shown.caption = entry.captionEn;
  const ManifestEntry& e = shown;
  const Lettering l{english, e.id, false, fitTogether};
  // Only these roles set their caption as words; the others read it as a keyword ("redo") or
  // a digit, the same in every language.
  static const QStringList kWordRoles = {
      QStringLiteral("page"),  QStringLiteral("tab"),        QStringLiteral("tool"),
      QStringLiteral("link"),  QStringLiteral("label"),      QStringLiteral("combo_item"),
      QStringLiteral("bypass_overlay")};
  if (english && !kWordRoles.contains(e.role)) {
    throw std::runtime_error(QStringLiteral("skin image %1: role \"%2\" draws no words, so it "
                                            "takes no English caption")
                                 .arg(e.id)
                                 .arg(e.role)
                                 .toStdString());
  }
  QImage img(e.width, e.height, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const QString& r = e.role;
  using Draw = std::function<void()>;
  const std::map<QString, Draw> roles = {
      {QStringLiteral("page"), [&] { PageButton(p, img, e, 15, l); }},
      {QStringLiteral("tab"), [&] { PageButton(p, img, e, 13, l); }},
      {QStringLiteral("tool"), [&] { ToolButton(p, img, e, l); }},
      {QStringLiteral("arrow"), [&] { ArrowButton(p, img, e); }},
      {QStringLiteral("window"), [&] { WindowButton(p, img, e); }},
      {QStringLiteral("handle"), [&] { DragHandle(p, img); }},
      {QStringLiteral("toggle"), [&] { Toggle(p, img, e); }},
      {QStringLiteral("mute"), [&] { MuteButton(p, img, e); }},
      {QStringLiteral("radio"), [&] { Radio(p, img, e); }},
      {QStringLiteral("target"), [&] { TargetSwitch(p, img, e); }},
      {QStringLiteral("phase"), [&] { PhaseSwitch(p, img, e); }},
      {QStringLiteral("link"), [&] { LinkIndicator(p, img, e, l); }},
      {QStringLiteral("thumb_v"), [&] { ThumbV(p, img, e); }},
      {QStringLiteral("thumb_h"), [&] { ThumbH(p, img, e); }},
      {QStringLiteral("strip_back"), [&] { StripBack(p, img); }},
      {QStringLiteral("strip_fill"), [&] { StripFill(p, img, e); }},
      {QStringLiteral("strip_label"), [&] { StripLabel(p, img, e); }},
      {QStringLiteral("fader_back"), [&] { FaderBack(p, img); }},
      {QStringLiteral("fader_fill"), [&] { FaderFill(p, img, e); }},
      {QStringLiteral("track_large"), [&] { TrackBack(p, img, e); }},
      {QStringLiteral("track_small"), [&] { TrackBack(p, img, e); }},
      {QStringLiteral("track_master"), [&] { TrackBack(p, img, e); }},
      {QStringLiteral("fill_large"), [&] { TrackFill(p, img, e); }},
      {QStringLiteral("fill_small"), [&] { TrackFill(p, img, e); }},
      {QStringLiteral("fill_master"), [&] { TrackFill(p, img, e); }},
      {QStringLiteral("valuebox"), [&] { ValueBox(p, img); }},
      {QStringLiteral("knob"), [&] { Knob(p, img); }},
      {QStringLiteral("muteicon"), [&] { MuteIcon(p, img, e); }},
      {QStringLiteral("qtype"), [&] { QTypeButton(p, img, e); }},
      {QStringLiteral("bandswitch"), [&] { BandSwitch(p, img, e); }},
      {QStringLiteral("label"), [&] { Label(p, img, e, 11, l); }},
      {QStringLiteral("combo_box"), [&] { ComboBox(p, img); }},
      {QStringLiteral("combo_arrow"), [&] { ComboArrow(p, img, e); }},
      {QStringLiteral("combo_disabled"), [&] { ComboDisabled(p, img); }},
      {QStringLiteral("combo_item"), [&] { ComboItem(p, img, e, l); }},
      {QStringLiteral("graph_back"), [&] { GraphBack(p, img); }},
      {QStringLiteral("bypass_overlay"), [&] { BypassOverlay(p, img, e, l); }},
      {QStringLiteral("marker_selected"), [&] { MarkerSelected(p, img, e); }},
      {QStringLiteral("marker_small"), [&] { MarkerSmall(p, img, e); }},
      {QStringLiteral("marker_off"), [&] { MarkerOff(p, img); }},
  };
  const auto it = roles.find(r);
  if (it == roles.end()) Unknown(e);
  it->second();
  p.end();
  return img;
}

}  // namespace mirelune::skingen
