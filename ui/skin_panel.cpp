#include "ui/skin_panel.h"

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
    : QWidget(parent), top_(top), bottom_(bottom), edge_(edge) {}

void SkinPanel::SetCaptions(std::vector<Caption> captions) {
  captions_ = std::move(captions);
  update();
}

void SkinPanel::DrawCaptions(QPainter& p, const std::vector<Caption>& captions) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  QFont font(skin::SkinFontFamily());
  font.setPixelSize(11);
  for (const Caption& c : captions) {
    const QRectF r = QRectF(controls::PixelRect(c.rect));
    if (c.kind == Caption::Group) {
      font.setBold(true);
      p.setFont(font);
      const QFontMetricsF fm(font);
      const QString text = Tr(c.text);
      const qreal titleWidth = fm.horizontalAdvance(text) + 10;
      const QRectF title(r.left() + 8, r.top(), titleWidth, 13);
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
      p.drawText(title, Qt::AlignCenter, text);
    } else {
      font.setBold(c.kind == Caption::Title);
      p.setFont(font);
      p.setPen(c.kind == Caption::Title ? kTitle : kLabel);
      p.drawText(r, (c.kind == Caption::Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter,
                 Tr(c.text));
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
