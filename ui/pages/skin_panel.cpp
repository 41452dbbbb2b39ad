// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/skin_panel.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "graph/skin.h"
#include "platform/tr.h"

namespace mirelune::ui {

namespace {
const QColor kFrame(78, 88, 108);
const QColor kTitle(150, 196, 238);
const QColor kLabel(176, 184, 198);
}  // namespace

SkinPanel::SkinPanel(QColor top, QColor bottom, QColor edge, QWidget* parent)
    : QWidget(parent), top_(top), bottom_(bottom), edge_(edge) {
  // The gradient covers the whole panel: what lies behind it is not painted first.
  setAttribute(Qt::WA_OpaquePaintEvent, top.alpha() == 255 && bottom.alpha() == 255);
}

void SkinPanel::SetCaptions(std::vector<Caption> captions) {
  captions_ = std::move(captions);
  update();
}

namespace {

QFont CaptionFont(const Caption& c) {
  QFont font(skin::SkinFontFamily());
  font.setPixelSize(11);
  font.setBold(c.kind == Caption::Group || c.kind == Caption::Title);
  return font;
}

// A group's title: centred in a gap of the frame's top edge, 8 pixels in from its corner.
QRectF GroupTitle(const Caption& c) {
  const QRectF r = QRectF(controls::PixelRect(c.rect));
  const qreal titleWidth = QFontMetricsF(CaptionFont(c)).horizontalAdvance(c.Shown()) + 10;
  return {r.left() + 8, r.top(), titleWidth, 13};
}

int LabelFlags(const Caption& c) {
  return (c.kind == Caption::Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

QRectF SkinPanel::TextRect(const Caption& c) {
  const QFontMetricsF fm(CaptionFont(c));
  if (c.kind == Caption::Group) return fm.boundingRect(GroupTitle(c), Qt::AlignCenter, c.Shown());
  return fm.boundingRect(QRectF(controls::PixelRect(c.rect)), LabelFlags(c), c.Shown());
}

QRectF SkinPanel::TextBox(const Caption& c) {
  const QRectF r = QRectF(controls::PixelRect(c.rect));
  if (c.kind == Caption::Group) return {r.left() + 8, r.top(), r.width() - 16, 13};
  return r;
}

void SkinPanel::DrawCaptions(QPainter& p, const std::vector<Caption>& captions) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  for (const Caption& c : captions) {
    const QRectF r = QRectF(controls::PixelRect(c.rect));
    p.setFont(CaptionFont(c));
    if (c.kind == Caption::Group) {
      const QRectF title = GroupTitle(c);
      QPainterPath frame;
      frame.addRoundedRect(r.adjusted(0.5, 6.5, -0.5, -0.5), 5, 5);
      // The frame line stops at the title instead of running through it.
      QPainterPath outside;
      outside.addRect(r.adjusted(-2, -2, 2, 2));
      QPainterPath gap;
      gap.addRect(title);
      p.save();
      p.setClipPath(outside.subtracted(gap), Qt::IntersectClip);
      p.setPen(QPen(kFrame, 1));
      p.setBrush(Qt::NoBrush);
      p.drawPath(frame);
      p.restore();
      p.setPen(kTitle);
      p.drawText(title, Qt::AlignCenter, c.Shown());
    } else {
      p.setPen(c.kind == Caption::Title ? kTitle : kLabel);
      p.drawText(r, LabelFlags(c), c.Shown());
    }
  }
  p.restore();
}

void SkinPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, top_);
  g.setColorAt(1, bottom_);
  p.fillRect(rect(), g);
  p.setPen(edge_);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  DrawCaptions(p, captions_);
}

}  // namespace mirelune::ui
