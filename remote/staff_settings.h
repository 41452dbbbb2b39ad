// SPDX-License-Identifier: GPL-3.0-or-later
// The remote list the installer chose, kept with the console's settings so that the console's
// remote and `mirelune-cli serve` offer staff the same parameters.
#pragma once

#include <string>

#include "remote/remote_access.h"

namespace mirelune {

// The saved list; the default list when none was saved. A damaged entry falls back to the
// default list and `warning` says so.
StaffList LoadStaffList(std::string* warning = nullptr);
// False with `error` when the settings cannot be written.
bool SaveStaffList(const StaffList& list, std::string& error);

}  // namespace mirelune
