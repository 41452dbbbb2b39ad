// SPDX-License-Identifier: GPL-3.0-or-later
// One command on several amplifiers: `--device all` or a list (virtual:a,hid:0042) with
// write-mode, read-mode, modes push and sync.
//
// Independent devices are worked on at the same time, each in a session of its own: a virtual
// amplifier in a thread of this process, an amplifier on USB in a process of its own (this
// program again, with --device naming that one amplifier), so that one that hangs can be ended
// and touches no other. A failing amplifier touches no other either way. Prints one line per amplifier - its device, serial, result and time,
// with the reason of a failure - then a summary; --json prints the same as one object. Exit 1
// when any failed: a line says "ok" only when that process exited 0, which it does only for
// what the amplifier acknowledged.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace mirelune::cli {

// Whether the command line asks for several amplifiers ("all" or a list).
bool WantsSeveralDevices(const Options& options);
// Whether `command` (with its arguments) may run on several amplifiers.
bool BatchCommand(const std::string& command, const std::vector<std::string>& args);

// Runs `command args` on every amplifier of options.device. `self` is this program's path.
int RunBatch(Context& ctx, const std::string& self, const std::string& command,
             std::vector<std::string> args);

}  // namespace mirelune::cli
