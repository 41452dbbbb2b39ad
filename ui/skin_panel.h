// A container of the tuning window drawn in the console's dark skin: a vertical gradient
// between two colours with a one-pixel edge. The top bar, the page containers and the tool bar
// are panels; the controls on them capture the panel as their background.
#pragma once

#include <QColor>
#include <QWidget>

namespace mirelune::ui {

class SkinPanel : public QWidget {
 public:
  SkinPanel(QColor top, QColor bottom, QColor edge, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor top_;
  QColor bottom_;
  QColor edge_;
};

}  // namespace mirelune::ui
