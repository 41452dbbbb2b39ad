// SPDX-License-Identifier: GPL-3.0-or-later
// What a control of the console says about itself: the name of the parameter it edits (the
// amplifier's own menu name where the menu has one) and the unit and range of its value, for
// tool tips. Keyboard shortcuts are added by the caller that owns them.
#pragma once

#include <QString>

namespace mirelune::ui {

// The parameter's name in the console's language, from the one naming table
// (model/param_names.h) that the command line and the link log use too. Never empty and never
// a raw address: an address without a parameter reads as its page's caption.
QString ParameterName(int address);

// "<name>\n<lowest> … <highest> <unit>\n<how to type a value>" for a slider of this value type
// and maximum, the ends as the slider shows them. `extra` (e.g. a key hint) goes on its own
// last line.
QString SliderToolTip(int address, int valueType, int maxValue, const QString& extra = {});

// "<name>\n<entry> / <entry> / …" for an option list of this ShowType.
QString OptionListToolTip(int address, int showType);

// "<name>" with the meaning of its states for a flag button bound to an address.
QString FlagButtonToolTip(int address);

}  // namespace mirelune::ui
