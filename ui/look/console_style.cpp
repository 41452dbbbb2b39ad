// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look/console_style.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>

#include "graph/skin.h"
#include "platform/dark_palette.h"

namespace mirelune::ui {

void ApplyConsoleStyle(QApplication& app) {
  // Fusion follows the palette everywhere (the platform styles keep light parts of their own);
  // Qt's own file dialog follows it, the platform's would not.
  if (QStyle* fusion = QStyleFactory::create("Fusion")) app.setStyle(fusion);
  app.setAttribute(Qt::AA_DontUseNativeDialogs, true);

  app.setPalette(ConsoleDarkPalette());

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
