// SPDX-License-Identifier: GPL-3.0-or-later
// The slot rule of every edit: a field is written into the current sound mode's slot, and into
// the other of slots 0 and 1 as well when the address is common to both sound modes (PerMode
// false), so that common parameters never differ between the modes. The system kinds (2048
// and above) live in slot 0 only.
#pragma once

#include "model/store.h"

namespace mirelune {

template <typename Write>
void WriteBySlotRule(Store& store, int address, Write write) {
  if (address < 0 || address >= kAddressCount) return;
  if (address >= kFirstSlotOnlyAddress) {
    write(store.ParamTable.at(0, address));
    return;
  }
  const int m = store.CurrentSoundMode != 0 ? 1 : 0;
  write(store.ParamTable.at(m, address));
  if (store.ParamTable.at(0, address).PerMode == kFalse) write(store.ParamTable.at(1 - m, address));
}

// The same value into both sound-mode slots, whatever PerMode says (the reverb presets).
inline void WriteBothSlots(Store& store, int address, int32_t value) {
  if (address < 0 || address >= kFirstSlotOnlyAddress) return;
  store.ParamTable.at(0, address).Value = value;
  store.ParamTable.at(1, address).Value = value;
}

}  // namespace mirelune
