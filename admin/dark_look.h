// SPDX-License-Identifier: GPL-3.0-or-later
// The console's dark look for the administration windows' standard widgets.
#pragma once

class QWidget;

namespace mirelune {

void ApplyDarkLook(QWidget& window);

}  // namespace mirelune
