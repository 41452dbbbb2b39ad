// SPDX-License-Identifier: GPL-3.0-or-later
// The console's built-in default administrator password.
//
// An amplifier in administrator mode is first offered this password before the user is asked
// for one. The six digits are derived at run time so they never appear as text in the program;
// the virtual amplifier uses the same function for its factory rights password.
#pragma once

#include <array>
#include <cstdint>

namespace mirelune {

// Six digit values 0..9 (not characters), in the order they are sent.
std::array<uint8_t, 6> DefaultAdminDigits();

}  // namespace mirelune
