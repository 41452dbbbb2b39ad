// SPDX-License-Identifier: GPL-3.0-or-later
// Applying an owner's checked changes to a store, the same whichever owner applies them (the
// console, the headless server): in the order the amplifier applies them (a reverb mode before
// the reverb values it presets), a reverb mode's preset values set as the amplifier sets them,
// band fields onto the band, and a parameter that is not kept per sound mode set in both.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "owner/owner_service.h"

namespace mirelune {

class Store;

// Applies `changes` (already checked by OwnerService::CheckChanges) and returns them in the
// order they must be sent: the reverb mode first, the sound mode (2590) and the sub-woofer's
// automatic control (2591) last, so that every other change goes to the sound mode in effect
// when the request arrived.
std::vector<OwnerChange> ApplyOwnerChanges(Store& store, const std::vector<OwnerChange>& changes);

// After the sends: the store's own sound mode and automatic control follow what 2590 and 2591
// now hold, as the console's switches set them. True when the sound mode changed (what was
// edited before belongs to the other one: the console ends its undo history).
bool FollowSoundMode(Store& store);

// True when `sound` (>= 0) names a sound mode other than `current` for a change of a value kept
// per sound mode: the amplifier takes such a change only in its own sound mode.
bool AsksOtherSoundMode(const std::vector<OwnerChange>& changes, int sound, int current);

// Sends `ordered` one change at a time through `send` (true: the amplifier acknowledged it) and
// stops at the first it does not acknowledge, with `error` naming its address and the link's
// reason (`linkError`, may be empty). Returns the addresses acknowledged, in order.
std::vector<int> SendOwnerChanges(const std::vector<OwnerChange>& ordered, const std::function<bool(int)>& send,
                                  const std::function<std::string()>& linkError, std::string& error);

// The change event of the addresses a request set (none published for none).
void PublishChanged(OwnerEvents& events, const std::vector<int>& addresses, const std::string& by);

}  // namespace mirelune
