// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's standard streams at its start and end, with Qt and without it alike.
#pragma once

#include <string>

namespace mirelune::cli {

// A standard stream the program was started without (`>&-`) is given a stand-in before any
// file is opened: otherwise the first file opened would take its number, and what the command
// prints would land in it. Standard output's stand-in is /dev/full, so that printing anything
// fails and the command reports it (exit 1); standard input's is /dev/null open for writing
// only, so that reading it still fails as a closed one does; standard error's is /dev/null.
void GuardStandardStreams();

// Whether one of the three is closed now (before GuardStandardStreams).
bool StandardStreamClosed();

// Output that could not be delivered is no success, whatever the command did: standard output
// is flushed and closed here, and a failure of either (a full disk, /dev/full, a closed pipe,
// an I/O error reported only at close) is a message naming `command` (when it ran) and exit 1.
int CheckedExit(int status, const std::string& command);

}  // namespace mirelune::cli
