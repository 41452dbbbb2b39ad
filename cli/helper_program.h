// SPDX-License-Identifier: GPL-3.0-or-later
// Commands whose code lives in a helper program. mirelune-cli loads only what its common
// commands need (no Qt Network, WebSockets, mosquitto or FFTW): the commands that need more
// have their rows, usage and completion here, but their code in a program of their own, built
// beside mirelune-cli and installed in <prefix>/libexec/mirelune. That program is this tool's
// main with the code linked in; this tool replaces itself by it (exec) with its own command
// line unchanged, so the global options, the exit status, the standard streams and the signals
// are the helper's as if it were this process.
//
//   serve, fleet           mirelune-serve (Qt Network, WebSockets, the broker)
//   eq fit, measure        mirelune-room  (the measurement maths, FFTW)
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace mirelune::cli {

// The code of `name` ("serve", "eq fit"), registered by the file that holds it: only the
// helper program links that file.
struct ImplementationRegistration {
  ImplementationRegistration(std::string name, Command::Run run);
};
// The code of `name` linked into this program; nullptr when it lives in a helper.
const Command::Run* FindImplementation(const std::string& name);

// Runs `name` (a command, or "command sub") with its code: here when this program holds it,
// otherwise by replacing this process with `helper` and this process's own command line. Inside
// a script (the session of `run` in `ctx`) a helper cannot take over the process: that is a
// usage error. Returns only on failure: a helper that is missing or cannot be started is a
// message naming where it was looked for, and exit 1.
int RunWithCode(Context& ctx, const std::string& name, const std::string& helper, const Args& args);

// The run function of a registration whose code lives in `helper`.
Command::Run InHelper(std::string name, std::string helper);

// Replaces this process with `helper` (beside this program, else ../libexec/mirelune) and
// `words` after its name. Returns only on failure, after the message (exit 1).
int ExecHelper(Context& ctx, const std::string& command, const std::string& helper,
               const std::vector<std::string>& words);

}  // namespace mirelune::cli
