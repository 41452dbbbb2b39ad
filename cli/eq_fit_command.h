// SPDX-License-Identifier: GPL-3.0-or-later
// `eq fit` (cmd_eq_fit.cpp), a sub-command of `eq`: its run and the lines of `eq --help`.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace mirelune::cli {

int EqFitCommand(Context& ctx, const std::vector<std::string>& args);

extern const char* const kEqFitUsage;  // the usage lines, after eq export's and import's
extern const char* const kEqFitHelp;   // the paragraph describing it

}  // namespace mirelune::cli
