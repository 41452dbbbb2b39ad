// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/device_layout.h"

#include <array>
#include <memory>

#include "model/store.h"

namespace mirelune {

namespace {

struct Layout {
  std::array<uint8_t, kAddressCount> kind{};
  std::array<int, kKindCount> groupBytes{};
};

const Layout& TheLayout() {
  static const Layout layout = [] {
    Layout l;
    const Store* store = &StartUpStore();
    for (int a = 0; a < kAddressCount; ++a)
      l.kind[static_cast<size_t>(a)] = store->ParamTable.at(0, a).Kind;
    for (int k = 0; k < kKindCount; ++k) {
      int bytes = 0;
      for (int a = store->KindStart[static_cast<size_t>(k)]; a <= store->KindEnd[static_cast<size_t>(k)];
           ++a)
        bytes += a < kFirstSlotOnlyAddress && l.kind[static_cast<size_t>(a)] == kEqBand ? 8 : 2;
      l.groupBytes[static_cast<size_t>(k)] = bytes;
    }
    return l;
  }();
  return layout;
}

}  // namespace

uint8_t LayoutKind(int address) {
  if (address < 0 || address >= kAddressCount) return kPlain;
  return TheLayout().kind[static_cast<size_t>(address)];
}

bool LayoutIsBand(int address) {
  return address < kFirstSlotOnlyAddress && LayoutKind(address) == kEqBand;
}

int GroupPayloadBytes(int kind) {
  if (kind < 0 || kind >= kKindCount) return 0;
  return TheLayout().groupBytes[static_cast<size_t>(kind)];
}

}  // namespace mirelune
