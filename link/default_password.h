// The console's built-in administrator password, tried before asking the user when the device
// reports administrator rights. Built from arithmetic at run time so that it is not a text in
// the program.
#pragma once

#include <cstddef>
#include <string>

#include "link/frame_codec.h"

namespace mirelune {

// Writes the six digit values (0..9) into digits[offset .. offset+5].
void FillDefaultAdminPassword(PasswordBuffer& digits, size_t offset = 0);
// The same six digits as characters "0".."9" (for the virtual amplifier's initial password).
std::string DefaultAdminPasswordText();

}  // namespace mirelune
