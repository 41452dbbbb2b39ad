// SPDX-License-Identifier: GPL-3.0-or-later
// The console's dark palette: the tuning window's background with text and fields light
// enough to read on it. One definition for the application's look (ui/look/console_style.h) and
// for windows that set it on themselves.
#pragma once

#include <QPalette>

namespace mirelune {

inline QPalette ConsoleDarkPalette() {
  QPalette pal;
  const QColor text(222, 226, 232), dim(112, 116, 124);
  pal.setColor(QPalette::Window, QColor(24, 26, 32));
  pal.setColor(QPalette::WindowText, text);
  pal.setColor(QPalette::Base, QColor(32, 35, 42));
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
  return pal;
}

}  // namespace mirelune
