// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of a group reply (all records of one menu kind) into a parameter table.
//
// Pure: no link state. A band address (slot-0 Kind 1 in the table being filled, kinds 0..7)
// takes 8 payload bytes: QType, SQ, Freq pair (+30000 when the band is off), Gain pair, Q pair;
// every other address takes one value pair. The decoded length must equal the reply's payload
// length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/store.h"

namespace mirelune {

struct GroupDecodeResult {
  enum Status { kOk, kCountMismatch, kRangeError } status = kOk;
  int decodedBytes = 0;     // bytes the group needed
  int payloadBytes = 0;     // bytes the reply carried (RxLength - 3)
  int failedAddress = -1;   // kRangeError: the address being decoded
};

// Decodes the group of menu kind `kind` into `slot` of `table` (slot 0 for kinds 8..10).
// `payload` is the reply payload buffer (payloadCapacity bytes, of which rxLength - 3 are the
// reply's own).
// On kOk the records are written; on any other status `table` is left exactly as it was, so a
// malformed reply never leaves stale or foreign bytes in the table.
GroupDecodeResult DecodeGroup(const Store& store, RecordTable& table, int kind, int slot,
                              const uint8_t* payload, size_t payloadCapacity, int rxLength);

}  // namespace mirelune
