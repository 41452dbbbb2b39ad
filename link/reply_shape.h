// SPDX-License-Identifier: GPL-3.0-or-later
// Which reply frame can be the answer to which request.
//
// The protocol numbers nothing: the amplifier answers every command frame with one reply frame,
// in order, and a reply names neither its command nor its request. So a late answer to an
// earlier frame looks like an answer to the frame just sent. The link takes a reply as a
// request's answer at once when it has the shape that request's code gets back (payload bytes,
// i.e. LEN - 3):
//   ReadStatus, Password          at least 2: byte 1 is the current mode number / the verdict,
//                                 and nothing else is relied on (a longer reply is the device's)
//   ReadModeNames                 132    eleven names of 12 bytes
//   ReadMenuFlags                 2 x the catalogue items of the kind        (count checked)
//   ReadGroup, ReadBackGroup      the group's size in the device layout      (count checked)
//                                 (device_layout.h)
//   SetParam, WriteGroup, SaveToMode, WriteMenuFlags, any other code: any length (only the
//                                 acknowledgement counts)
// A count-checked request whose attempt ends without a fitting reply takes the last reply of
// another length it got as its answer: the caller's count check then says the amplifier
// answered with the wrong number of values, instead of the link resending and giving up as
// if nothing had come. A fitting reply arriving within the attempt still wins, so a late
// answer to an earlier frame does not push out the device's own.
// The identifier reply (payload starting with kDeviceIdentifier) answers only the search
// frame, never a command. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace mirelune {

class MenuCatalogue;

// The device's answer to the search frame starts with these eight bytes.
inline constexpr char kDeviceIdentifier[] = "_LM-R52Z";

struct ReplyShape {
  int payloadBytes = 0;       // the payload length; 0: any length of at least one byte
  bool atLeast = false;       // payloadBytes is the least the answer holds
  bool countChecked = false;  // a reply of another length may end the attempt as the answer

  bool Fits(int payloadLength) const {
    if (payloadLength < 1) return false;
    if (payloadBytes == 0) return true;
    return atLeast ? payloadLength >= payloadBytes : payloadLength == payloadBytes;
  }
};

// The shape of the answer to a request of `code` for `address` (the SendCommand arguments);
// `menu` gives the catalogue item counts of ReadMenuFlags.
ReplyShape ExpectedReply(int code, int address, const MenuCatalogue& menu);

// True when the payload (payloadLength bytes) begins with kDeviceIdentifier.
bool IsIdentifierReply(const uint8_t* payload, int payloadLength);

}  // namespace mirelune
