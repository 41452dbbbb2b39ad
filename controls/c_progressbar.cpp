// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/c_progressbar.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QPainter>

#include "model/scales.h"
#include "platform/tr.h"

namespace mirelune::controls {

C_ProgressBar::C_ProgressBar(QWidget* parent) : QWidget(parent) {}

void C_ProgressBar::SetValue(int v) {
  value_ = static_cast<int16_t>(std::clamp(std::min(v, static_cast<int>(max_)), -32768, 32767));
  update();
}

void C_ProgressBar::SetMaxValue(int32_t v) {
  max_ = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu));
  if (value_ > max_) value_ = max_;
  update();
}

int C_ProgressBar::FillLength(int w) const {
  // Only the counting message counts; the waiting strip is a full gradient whatever Value holds
  // (it is shown with Value 0 around every long exchange).
  if (showContent_ != 1) return w;
  if (max_ <= 0 || value_ <= 0) return 0;
  return std::min(w, static_cast<int>(RoundHalfEven(static_cast<double>(w) * value_ / max_)));
}

int C_ProgressBar::Percent() const {
  if (max_ <= 0) return 0;
  return value_ * 100 / max_;
}

QString C_ProgressBar::Message() const {
  if (showContent_ == 1) return Tr("执行保存, 完成%1%").arg(Percent());
  return Tr("正在同步数据, 请稍候...");
}

QString C_ProgressBar::MessageShown(const QFontMetricsF& metrics, int width) const {
  return metrics.elidedText(Message(), Qt::ElideRight, std::max(0, width - 5));
}

void C_ProgressBar::paintEvent(QPaintEvent*) {
  QPainter g(this);
  const int w = width();
  const int h = height();
  g.setPen(QColor(255, 255, 0));
  g.drawLine(0, 0, w, 0);
  g.drawLine(0, 0, 0, h - 1);
  g.drawLine(w - 1, 0, w - 1, h - 1);
  g.drawLine(0, h - 1, w, h - 1);

  if (value_ <= max_) {
    const int steps = w - 3;
    const int f = FillLength(w);
    auto channel = [steps](int i, int from, int to) {
      return static_cast<int>(RoundHalfEven(from + static_cast<double>(i) * (to - from) / steps));
    };
    if (steps > 0) {
      for (int i = 0; i <= f - 3; ++i) {
        g.setPen(QColor(channel(i, 255, 0), 0, channel(i, 0, 255)));
        g.drawLine(1 + i, 1, 1 + i, h - 1);
      }
      g.setPen(QColor(192, 192, 192));
      for (int i = std::max(f - 3, 1); i <= steps - 1; ++i) g.drawLine(1 + i, 1, 1 + i, h - 1);
    }
  }

  QFont font = g.font();
  font.setBold(true);
  font.setPixelSize(12);
  g.setFont(font);
  g.setPen(Qt::black);
  // The message starts 100 twips left of the middle, 3 twips from the top - further left when
  // it would run past the bar's end (a longer translation, a narrow window), and cut with "…"
  // only when the whole bar cannot hold it.
  const QFontMetricsF metrics(font);
  const QString text = MessageShown(metrics, w);
  const qreal left = std::max(2.0, std::min(w / 2.0 - 100 / 15.0, w - 3 - metrics.horizontalAdvance(text)));
  const QRectF box(left, 3 / 15.0, w, h);
  g.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
}

}  // namespace mirelune::controls
