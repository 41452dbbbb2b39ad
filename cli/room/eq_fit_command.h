// SPDX-License-Identifier: GPL-3.0-or-later
// `eq fit`'s code (cli/room/eq_fit.cpp), a sub-command of `eq` (cli/cmd_eq.cpp, which has its
// rows and help), in the helper mirelune-room.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace mirelune::cli {

int EqFitCommand(Context& ctx, const std::vector<std::string>& args);

}  // namespace mirelune::cli
