// SPDX-License-Identifier: GPL-3.0-or-later
// The background layers of a panel's skinned controls, taken together.
#pragma once

class QWidget;

namespace mirelune::controls {

// Every slider, flag button and option list directly on `panel` takes its background layer
// (BkGround_Init) now, from one render of the panel's rows they stand in (see
// ParentBackgroundBatch). For a page when it is shown: its panel paints what they capture.
void InitChildLayers(QWidget& panel);

}  // namespace mirelune::controls
