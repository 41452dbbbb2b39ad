// SPDX-License-Identifier: GPL-3.0-or-later
// A container of the console drawn in its dark skin: a vertical gradient between two colours
// with a one-pixel edge, and the captions that say what its controls are (group frames with a
// title, and labels). The top bar, the page containers, the tool bar and the small windows are
// panels; the controls on them capture the panel as their background, captions included.
#pragma once

#include <QColor>
#include <QWidget>
#include <vector>

#include "ui/pages/secondary_layouts.h"

namespace mirelune::ui {

class SkinPanel : public QWidget {
 public:
  SkinPanel(QColor top, QColor bottom, QColor edge, QWidget* parent = nullptr);

  // Captions in twips of the panel, drawn under the controls.
  void SetCaptions(std::vector<Caption> captions);
  const std::vector<Caption>& Captions() const { return captions_; }

  // Draws captions in pixels onto any painter (the small windows draw the same way).
  static void DrawCaptions(QPainter& p, const std::vector<Caption>& captions);
  // Where a caption's text is drawn, in pixels of its panel, measured with the font it is
  // drawn in, and the box it has to stay inside: the caption's rectangle, for a group the
  // gap its title leaves in the frame's top edge. Text wider than the box is not cut by the
  // drawing, so a layout that lets it happen shows it running into its neighbours.
  static QRectF TextRect(const Caption& c);
  static QRectF TextBox(const Caption& c);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor top_;
  QColor bottom_;
  QColor edge_;
  std::vector<Caption> captions_;
};

}  // namespace mirelune::ui
