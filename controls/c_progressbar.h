// SPDX-License-Identifier: GPL-3.0-or-later
// C_ProgressBar: the waiting strip shown while a long exchange with the device runs - a yellow
// frame, a red-to-blue gradient fill and a one-line message. While waiting (ShowContent 0) the
// gradient runs the full width; while counting (ShowContent 1) it runs W x Value / MaxValue,
// followed by grey. No skin images, no parameter binding.
#pragma once

#include <cstdint>

#include <QFontMetricsF>
#include <QWidget>

namespace mirelune::controls {

class C_ProgressBar : public QWidget {
  Q_OBJECT

 public:
  explicit C_ProgressBar(QWidget* parent = nullptr);

  int16_t Value() const { return value_; }
  void SetValue(int v);  // limited to at most MaxValue
  // Keeps the low 16 bits, as a 16-bit property assigned from a 32-bit number does.
  void SetMaxValue(int32_t v);
  int16_t MaxValueForTest() const { return max_; }
  uint8_t ShowContent() const { return showContent_; }
  void SetShowContent(uint8_t v) { showContent_ = v; }

  // Fill length in pixels for a bar of width w: w while waiting; while counting
  // w x Value / MaxValue, 0 when MaxValue is not positive, never beyond w.
  int FillLength(int w) const;
  // Value x 100 / MaxValue in whole percent, 0 when MaxValue is not positive.
  int Percent() const;
  QString Message() const;
  // The message as drawn in a bar `width` pixels wide: whole where it fits, else cut with "…".
  QString MessageShown(const QFontMetricsF& metrics, int width) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int16_t value_ = 0;
  int16_t max_ = 100;
  uint8_t showContent_ = 0;
};

}  // namespace mirelune::controls
