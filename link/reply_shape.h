// SPDX-License-Identifier: GPL-3.0-or-later
// Which reply frame can be the answer to which request.
//
// The protocol numbers nothing: the amplifier answers every command frame with one reply frame,
// in order, and a reply names neither its command nor its request. So a late answer to an
// earlier frame looks like an answer to the frame just sent. The link takes a reply as a
// request's answer only when it has the shape that request's code gets back (payload bytes,
// i.e. LEN - 3):
//   ReadStatus, Password          2      byte 1: the current mode number / the verdict
//   ReadModeNames                 132    eleven names of 12 bytes
//   ReadMenuFlags                 2 x the catalogue items of the kind
//   ReadGroup, ReadBackGroup      the group's size in the device layout (device_layout.h)
//   SetParam, WriteGroup, SaveToMode, WriteMenuFlags, any other code: any length (only the
//                                 acknowledgement counts)
// and the identifier reply (payload starting with kDeviceIdentifier) answers only the search
// frame, never a command. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace mirelune {

class MenuCatalogue;

// The device's answer to the search frame starts with these eight bytes.
inline constexpr char kDeviceIdentifier[] = "_LM-R52Z";

struct ReplyShape {
  int payloadBytes = 0;  // the exact payload length; 0: any length of at least one byte

  bool Fits(int payloadLength) const {
    return payloadLength >= 1 && (payloadBytes == 0 || payloadLength == payloadBytes);
  }
};

// The shape of the answer to a request of `code` for `address` (the SendCommand arguments);
// `menu` gives the catalogue item counts of ReadMenuFlags.
ReplyShape ExpectedReply(int code, int address, const MenuCatalogue& menu);

// True when the payload (payloadLength bytes) begins with kDeviceIdentifier.
bool IsIdentifierReply(const uint8_t* payload, int payloadLength);

}  // namespace mirelune
