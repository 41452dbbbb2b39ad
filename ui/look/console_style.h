// SPDX-License-Identifier: GPL-3.0-or-later
// The console's one dark look for everything Qt draws itself: message boxes, dialogs, file
// dialogs, the menu bar and its menus, tool tips. The skinned controls draw their own images;
// this gives the standard widgets the same background, text colours and font, in one place.
// Called once after the QApplication exists, before any window is built.
#pragma once

class QApplication;

namespace mirelune::ui {

void ApplyConsoleStyle(QApplication& app);

}  // namespace mirelune::ui
