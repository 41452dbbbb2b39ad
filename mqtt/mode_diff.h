// SPDX-License-Identifier: GPL-3.0-or-later
// How a room's stored mode differs from a configuration file, for `fleet diff`. Plain C++.
//
// A read-back of a stored mode (Transfers::ReadModeToReadBack) brings the groups a mode read
// carries - sound mode 0 of menu kinds 0, 1, 3..7 and sound mode 1 of kinds 0, 4..7 - and, of
// each record, what travels on the wire: a plain parameter's value, an EQ band's shape, slope,
// frequency, gain, Q and switch. Exactly that is compared; a parameter shared by both sound
// modes counts once (the singing mode's), as the amplifier keeps it once.
#pragma once

#include <string>
#include <vector>

#include "model/param_record.h"

namespace mirelune {

struct ModeDifference {
  int address = 0;
  int slot = 0;      // sound mode: 0 singing, 1 dance
  std::string file;  // the value as a person reads it ("25", "+3.0 dB, 1000 Hz, Q 1.41")
  std::string room;
};

// Whether a read-back of a mode brings `address` in sound mode `slot`.
bool ModeReadCovers(int slot, int address);

// Every covered record whose wire fields differ, in sound mode then address order.
std::vector<ModeDifference> ModeDifferences(const RecordTable& file, const RecordTable& room);

}  // namespace mirelune
