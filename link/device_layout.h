// SPDX-License-Identifier: GPL-3.0-or-later
// The record layout the console and the amplifier share: which addresses are EQ bands, and so
// how many bytes every group takes on the wire.
//
// The layout is the Kind byte of each address in the console's start-up content
// (Store::InitDefaults, sound mode 0). The amplifier encodes its group replies by it and decodes
// WriteGroup frames by it, whatever a table or a file on the console's side says, so a record
// whose Kind byte differs from it would travel in the wrong encoding.
//
// Built once on first use; read-only afterwards.
#pragma once

#include <cstdint>

namespace mirelune {

// The start-up Kind byte of `address` (a RecordKind); kPlain outside 0..2999.
uint8_t LayoutKind(int address);
// True when `address` travels in the 8-byte band encoding: Kind 1 and below 2048 (the system
// kinds 8..10 are plain throughout).
bool LayoutIsBand(int address);
// Payload bytes of a whole group of menu kind `kind` (0..10): 8 per band, 2 per other
// address; 0 for any other kind.
int GroupPayloadBytes(int kind);

}  // namespace mirelune
