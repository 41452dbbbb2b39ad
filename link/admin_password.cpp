// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/admin_password.h"

namespace mirelune {

std::array<uint8_t, 6> DefaultAdminDigits() {
  std::array<uint8_t, 6> d{};
  // A small linear congruential walk seeded with the device's USB ids.
  uint32_t x = 0x2E3C0D07u;
  for (auto& digit : d) {
    x = x * 1103515245u + 12345u;
    digit = static_cast<uint8_t>((x >> 16) % 10);
  }
  return d;
}

}  // namespace mirelune
