// SPDX-License-Identifier: GPL-3.0-or-later
// An EQ band's strip edited by the user: the strip's fields go into the band's record (by the
// slot rule) and into the graph. A band with a marker is selected, as a click on it would; a
// band without one (bands 14 and 15 of the music and microphone pages) changes the sum the
// graph draws and leaves the selection where it is.
#pragma once

#include "controls/mscrollbar.h"
#include "graph/response_model.h"
#include "model/store.h"

namespace mirelune::ui {

// False when the strip `number` is no EQ band's (a filter frequency, a level): nothing done.
bool ApplyBandStrip(Store& store, ResponseModel& model, const controls::MScrollBar& strip, int number);

}  // namespace mirelune::ui
