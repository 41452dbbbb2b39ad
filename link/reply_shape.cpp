// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/reply_shape.h"

#include <cstring>

#include "link/device_layout.h"
#include "link/frame_codec.h"
#include "model/menu_catalogue.h"

namespace mirelune {

namespace {
// Byte 1 of these answers is the mode number or the verdict; what follows is not read.
constexpr int kVerdictBytes = 2;
}

ReplyShape ExpectedReply(int code, int address, const MenuCatalogue& menu) {
  switch (code) {
    case ReadStatus:
    case Password:
      return {kVerdictBytes, true, false};
    case ReadModeNames:
      return {kModeNameCount * kModeNameBytes};
    case ReadMenuFlags: {
      // The kind travels as the address's low byte (frame byte 3).
      const int kind = address & 0xFF;
      if (kind >= kCatalogueKinds) return {};
      return {2 * menu.MenuItemCount[static_cast<size_t>(kind)], false, true};
    }
    case ReadGroup:
    case ReadBackGroup:
      return {GroupPayloadBytes((address >> 8) & 0xFF), false, true};
    default:
      return {};
  }
}

bool IsIdentifierReply(const uint8_t* payload, int payloadLength) {
  const int n = static_cast<int>(std::strlen(kDeviceIdentifier));
  return payloadLength >= n && std::memcmp(payload, kDeviceIdentifier, static_cast<size_t>(n)) == 0;
}

}  // namespace mirelune
