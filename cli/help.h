// SPDX-License-Identifier: GPL-3.0-or-later
// What the tool says about its commands, in the user's language (cli/language.h chooses it):
// a command's usage, the list of commands, and the running of one command line by the
// command's syntax. The texts of the command table are source texts (Chinese); their English is
// in translations/mirelune_en.ts like the console's.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/command.h"

namespace mirelune::cli {

// A source text of the tool in the user's language.
std::string Translated(const std::string& source);

// The text of `mirelune-cli help NAME` and `NAME --help`.
std::string UsageText(const Command& c);

// The one-line summary of `c` in the user's language.
std::string SummaryText(const Command& c);

// The commands of --help, the man page and completion in name order (hidden ones left out).
std::vector<const Command*> ListedCommands();

// Runs one command line of `c` (the words after its name): --help anywhere prints the usage;
// words its syntax refuses are a usage error in the one shape (exit 2); otherwise c.run.
int RunCommand(const Command& c, Context& ctx, const std::vector<std::string>& words);

}  // namespace mirelune::cli
