// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/dark_look.h"

#include <QWidget>

#include "platform/dark_palette.h"

namespace mirelune {

void ApplyDarkLook(QWidget& window) {
  window.setPalette(ConsoleDarkPalette());
  window.setAutoFillBackground(true);
}

}  // namespace mirelune
