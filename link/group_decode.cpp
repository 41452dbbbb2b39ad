// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/group_decode.h"

namespace mirelune {

namespace {
constexpr int kPayloadLimit = 5001;

int PairAt(const uint8_t* payload, int p) { return payload[p] * 250 + payload[p + 1]; }
}  // namespace

GroupDecodeResult DecodeGroup(const Store& store, RecordTable& table, int kind, int slot,
                              const uint8_t* payload, size_t payloadCapacity, int rxLength) {
  GroupDecodeResult result;
  result.payloadBytes = rxLength - 3;
  const int first = store.KindStart.at(static_cast<size_t>(kind));
  const int last = store.KindEnd.at(static_cast<size_t>(kind));
  const bool system = kind >= 8;
  const int target = system ? 0 : slot;

  std::vector<ParamRecord> decoded;
  decoded.reserve(static_cast<size_t>(last - first + 1));
  int p = 0;
  for (int a = first; a <= last; ++a) {
    ParamRecord r = table.at(target, a);
    const bool band = !system && table.at(0, a).Kind == kEqBand;
    const int need = band ? 8 : 2;
    if (p + need > kPayloadLimit || p + need > static_cast<int>(payloadCapacity)) {
      result.status = GroupDecodeResult::kRangeError;
      result.failedAddress = a;
      return result;
    }
    if (band) {
      r.QType = payload[p];
      r.SQ = payload[p + 1];
      const int f = PairAt(payload, p + 2);
      r.EQDisabled = f >= 30000 ? kTrue : kFalse;
      r.Freq = f >= 30000 ? f - 30000 : f;
      r.Gain = PairAt(payload, p + 4);
      r.Q = PairAt(payload, p + 6);
    } else {
      r.Value = PairAt(payload, p);
    }
    p += need;
    decoded.push_back(r);
  }
  result.decodedBytes = p;
  if (p != result.payloadBytes) {
    result.status = GroupDecodeResult::kCountMismatch;
    return result;
  }
  for (int a = first; a <= last; ++a) table.at(target, a) = decoded[static_cast<size_t>(a - first)];
  return result;
}

}  // namespace mirelune
