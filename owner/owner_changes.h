// SPDX-License-Identifier: GPL-3.0-or-later
// Applying an owner's checked changes to a store, the same whichever owner applies them (the
// console, the headless server): in the order the amplifier applies them (a reverb mode before
// the reverb values it presets), a reverb mode's preset values set as the amplifier sets them,
// band fields onto the band, and a parameter that is not kept per sound mode set in both.
#pragma once

#include <vector>

#include "owner/owner_service.h"

namespace mirelune {

class Store;

// Applies `changes` (already checked by OwnerService::CheckChanges) and returns them in the
// order they must be sent.
std::vector<OwnerChange> ApplyOwnerChanges(Store& store, const std::vector<OwnerChange>& changes);

}  // namespace mirelune
