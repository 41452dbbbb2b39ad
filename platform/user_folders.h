// SPDX-License-Identifier: GPL-3.0-or-later
// The user's folders as the console names them through Qt (QStandardPaths), for code that does
// not load Qt: a command-line run without Qt must find the virtual amplifier's memory where
// the console keeps it.
#pragma once

#include <string>

namespace mirelune {

// The data folder (Qt's GenericDataLocation): $XDG_DATA_HOME as it is when it is not empty,
// otherwise <home>/.local/share, where home is $HOME as a cleaned path (no "//", "." or "..",
// no trailing slash), or "/" without one. Qt's test mode (QStandardPaths::setTestModeEnabled)
// does not move it, as it does not move the runtime folder of the locks: a test isolates both
// through the XDG variables (tests/ui/user_folders.h).
std::string UserDataFolder();

}  // namespace mirelune
