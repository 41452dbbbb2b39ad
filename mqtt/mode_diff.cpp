// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/mode_diff.h"

#include <algorithm>

#include "link/transfers.h"
#include "model/param_names.h"
#include "model/store.h"

namespace mirelune {

namespace {

bool IsBand(int address) {
  return address < kFirstSlotOnlyAddress && StartUpStore().ParamTable.at(0, address).Kind == kEqBand;
}

bool SameOnWire(const ParamRecord& a, const ParamRecord& b, bool band) {
  if (!band) return a.Value == b.Value;
  return a.QType == b.QType && a.SQ == b.SQ && a.Freq == b.Freq && a.Gain == b.Gain && a.Q == b.Q &&
         (a.EQDisabled != kFalse) == (b.EQDisabled != kFalse);
}

std::string Text(int address, const ParamRecord& r, bool band) {
  if (!band) return ParamValueText(address, r.Value);
  const char* shape = r.QType == 1 ? "low shelf, " : r.QType == 2 ? "high shelf, " : "";
  return std::string(shape) + BandText(r.Gain, r.Freq, r.Q) + (r.EQDisabled != kFalse ? ", off" : "");
}

}  // namespace

bool ModeReadCovers(int slot, int address) {
  if (slot < 0 || slot > 1 || address < 0 || address >= kAddressCount) return false;
  const Store& layout = StartUpStore();
  for (int kind : ReadKinds(slot))
    if (address >= layout.KindStart[static_cast<size_t>(kind)] && address <= layout.KindEnd[static_cast<size_t>(kind)])
      return true;
  return false;
}

std::vector<ModeDifference> ModeDifferences(const RecordTable& file, const RecordTable& room) {
  std::vector<ModeDifference> out;
  const Store& layout = StartUpStore();
  for (int slot = 0; slot < 2; ++slot)
    for (int address = 0; address < kFirstSlotOnlyAddress; ++address) {
      if (!ModeReadCovers(slot, address)) continue;
      // The dance mode's copy of a shared parameter is the singing mode's.
      if (slot == 1 && layout.ParamTable.at(0, address).PerMode == kFalse) continue;
      const bool band = IsBand(address);
      const ParamRecord& f = file.at(slot, address);
      const ParamRecord& r = room.at(slot, address);
      if (SameOnWire(f, r, band)) continue;
      out.push_back({address, slot, Text(address, f, band), Text(address, r, band)});
    }
  return out;
}

}  // namespace mirelune
