// SPDX-License-Identifier: GPL-3.0-or-later
// What the page backgrounds say: a caption for every group of controls of each page (the
// compressor with its threshold, ratio, attack and release, the delays, the filters, ...),
// and a label for each control whose group holds several. Data, in twips of the page
// container, drawn by the page's SkinPanel under the controls.
#pragma once

#include <vector>

#include "ui/pages/secondary_layouts.h"

namespace mirelune::ui {

const std::vector<Caption>& PageCaptions(int page);
// The top bar's names of the three master volumes.
std::vector<Caption> TopBarCaptions();

}  // namespace mirelune::ui
