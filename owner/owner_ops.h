// SPDX-License-Identifier: GPL-3.0-or-later
// The amplifier operations every owner does the same way, whichever program it is (the
// console, the headless server): records out of its store, a stored mode recalled, the
// installer password asked of the amplifier, the mode names read. Each fails with an `error`
// that says what failed and, where the link knows, why.
#pragma once

#include <string>
#include <vector>

#include "link/link.h"
#include "link/transfers.h"
#include "model/store.h"

namespace mirelune {

// The records of `addresses` in sound mode `sound` (-1: the store's own); system records from
// slot 0.
std::vector<ParamRecord> OwnerRecords(const Store& store, const std::vector<int>& addresses, int sound);

// As the mode manager's read: the amplifier's mode `mode` (0..9) into the store, which is then
// the current mode.
bool RecallStoredMode(Transfers& transfers, Link& link, int mode, std::string& error);

// Asks the amplifier whether `digits` is its rights (installer) password. The log-in the check
// opens is ended at once unless `keepLogIn` (the program's own administration holds one).
bool AskInstallerPassword(Transfers& transfers, Link& link, const std::string& digits, bool keepLogIn,
                          bool& accepted, std::string& error);

// The ten stored modes' names.
bool ReadStoredModeNames(Transfers& transfers, Link& link, std::vector<std::string>& names, std::string& error);

}  // namespace mirelune
