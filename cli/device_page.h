// SPDX-License-Identifier: GPL-3.0-or-later
// A page of the amplifier's current mode for the commands that measure and fit it, read and
// changed through `get` and `set` themselves: so they go the way those go (the link, or the
// owner's socket when a console holds the amplifier, where a change is one step of its undo
// history) and refuse what those refuse.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace mirelune {
class Store;
}

namespace mirelune::cli {

// Reads every EQ band and filter of page `page` (part `subPage` of the effects page) and the
// page's bypass into `store` (InitDefaults first), in sound mode `sound` when `hasSound`, else
// the amplifier's own, which `sound` then receives. A failure is said by `get` itself; returns
// its exit status.
int ReadDevicePage(Context& ctx, int page, int subPage, bool hasSound, int& sound, Store& store);

// One band change for `set`: "ADDRESS:gain=..,freq=..,q=..,sq=..,shape=..,off=..".
std::string BandAssignment(int address, int freq, int gain, int q, int sq, int shape, bool off);

// Runs `set` with the assignments in sound mode `sound` as one change; its confirmations are
// dropped, its errors printed. Returns set's exit status.
int SetOnDevice(Context& ctx, const std::vector<std::string>& assignments, int sound);

}  // namespace mirelune::cli
