#include "admin/dark_look.h"

#include <QPalette>
#include <QWidget>

namespace mirelune {

void ApplyDarkLook(QWidget& window) {
  // The tuning window's background, with text and fields light enough to read on it.
  QPalette pal = window.palette();
  pal.setColor(QPalette::Window, QColor(20, 22, 27));
  pal.setColor(QPalette::WindowText, QColor(200, 204, 212));
  pal.setColor(QPalette::Base, QColor(32, 35, 42));
  pal.setColor(QPalette::AlternateBase, QColor(40, 44, 52));
  pal.setColor(QPalette::Text, QColor(220, 224, 230));
  pal.setColor(QPalette::Button, QColor(48, 52, 62));
  pal.setColor(QPalette::ButtonText, QColor(220, 224, 230));
  pal.setColor(QPalette::Highlight, QColor(40, 110, 190));
  pal.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
  pal.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 114, 122));
  pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 114, 122));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(110, 114, 122));
  window.setPalette(pal);
  window.setAutoFillBackground(true);
}

}  // namespace mirelune
