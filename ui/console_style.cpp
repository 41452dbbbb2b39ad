#include "ui/console_style.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>

#include "graph/skin.h"

namespace mirelune::ui {

void ApplyConsoleStyle(QApplication& app) {
  // Fusion follows the palette everywhere (the platform styles keep light parts of their own);
  // Qt's own file dialog follows it, the platform's would not.
  if (QStyle* fusion = QStyleFactory::create("Fusion")) app.setStyle(fusion);
  app.setAttribute(Qt::AA_DontUseNativeDialogs, true);

  QPalette pal;
  const QColor window(24, 26, 32), base(32, 35, 42), text(222, 226, 232), dim(112, 116, 124);
  pal.setColor(QPalette::Window, window);
  pal.setColor(QPalette::WindowText, text);
  pal.setColor(QPalette::Base, base);
  pal.setColor(QPalette::AlternateBase, QColor(40, 44, 52));
  pal.setColor(QPalette::ToolTipBase, QColor(44, 48, 58));
  pal.setColor(QPalette::ToolTipText, text);
  pal.setColor(QPalette::PlaceholderText, dim);
  pal.setColor(QPalette::Text, text);
  pal.setColor(QPalette::Button, QColor(48, 52, 62));
  pal.setColor(QPalette::ButtonText, text);
  pal.setColor(QPalette::BrightText, QColor(255, 120, 100));
  pal.setColor(QPalette::Light, QColor(70, 76, 90));
  pal.setColor(QPalette::Midlight, QColor(58, 63, 75));
  pal.setColor(QPalette::Mid, QColor(40, 44, 52));
  pal.setColor(QPalette::Dark, QColor(16, 18, 22));
  pal.setColor(QPalette::Shadow, QColor(0, 0, 0));
  pal.setColor(QPalette::Highlight, QColor(40, 110, 190));
  pal.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
  pal.setColor(QPalette::Link, QColor(120, 180, 240));
  for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    pal.setColor(QPalette::Disabled, r, dim);
  app.setPalette(pal);

  QFont font(skin::SkinFontFamily());
  font.setPixelSize(12);
  app.setFont(font);

  app.setStyleSheet(
      "QToolTip { color: #dee2e8; background-color: #2c303a; border: 1px solid #4e586c; }"
      "QMenuBar { background-color: #1c1e24; color: #dee2e8; }"
      "QMenuBar::item:selected { background-color: #285ea0; }"
      "QMenu { background-color: #22252c; color: #dee2e8; border: 1px solid #4e586c; }"
      "QMenu::item:selected { background-color: #285ea0; }"
      "QMenu::item:disabled { color: #70747c; }");
}

}  // namespace mirelune::ui
