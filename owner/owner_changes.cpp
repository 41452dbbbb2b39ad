// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/owner_changes.h"

#include <algorithm>

#include "model/band_fields.h"
#include "model/reverb_presets.h"
#include "model/store.h"

namespace mirelune {

std::vector<OwnerChange> ApplyOwnerChanges(Store& store, const std::vector<OwnerChange>& changes) {
  std::vector<OwnerChange> ordered = changes;
  const auto rank = [](int address) {
    return address == sysaddr::kSoundMode || address == sysaddr::kBassAuto ? 2 : ApplyRank(address);
  };
  std::stable_sort(ordered.begin(), ordered.end(), [&rank](const OwnerChange& x, const OwnerChange& y) {
    return rank(x.address) < rank(y.address);
  });
  for (const OwnerChange& c : ordered) {
    // A reverb mode with a preset sets its parameters, as the amplifier does when it arrives;
    // values the request gives itself follow and stay.
    if (c.address == kReverbModeAddress && !c.band)
      for (int e = 0; e < static_cast<int>(ReverbPresetEntries().size()); ++e) {
        const int32_t v = ReverbPresetValue(e, c.value);
        if (v < 0) continue;
        for (int s = 0; s < 2; ++s)
          store.ParamTable.at(s, ReverbPresetEntries()[static_cast<size_t>(e)].address).Value = v;
      }
    const int slot = store.SlotFor(c.address);
    ParamRecord rec = store.ParamTable.at(slot, c.address);
    if (c.band) {
      std::string ignored;  // checked before
      for (const auto& [name, v] : c.fields) SetBandField(rec, name, v, ignored);
    } else {
      rec.Value = c.value;
    }
    store.ParamTable.at(slot, c.address) = rec;
    if (c.address < kFirstSlotOnlyAddress && store.ParamTable.at(0, c.address).PerMode == kFalse)
      store.ParamTable.at(1 - slot, c.address) = rec;
  }
  return ordered;
}

bool FollowSoundMode(Store& store) {
  const uint8_t sound = store.ParamTable.at(0, sysaddr::kSoundMode).Value == 1 ? 1 : 0;
  store.BassAutoControl = store.ParamTable.at(0, sysaddr::kBassAuto).Value == 1 ? 1 : 0;
  if (sound == store.CurrentSoundMode) return false;
  store.CurrentSoundMode = sound;  // 2590 keeps what the amplifier was sent
  return true;
}

bool AsksOtherSoundMode(const std::vector<OwnerChange>& changes, int sound, int current) {
  if (sound < 0 || sound == current) return false;
  for (const OwnerChange& c : changes)
    if (c.address < kFirstSlotOnlyAddress) return true;
  return false;
}

std::vector<int> SendOwnerChanges(const std::vector<OwnerChange>& ordered, const std::function<bool(int)>& send,
                                  const std::function<std::string()>& linkError, std::string& error) {
  std::vector<int> sent;
  for (const OwnerChange& c : ordered) {
    if (!send(c.address)) {
      const std::string why = linkError();
      error = "the amplifier did not acknowledge the change of " + std::to_string(c.address) +
              (why.empty() ? "" : " (" + why + ")");
      break;
    }
    sent.push_back(c.address);
  }
  return sent;
}

void PublishChanged(OwnerEvents& events, const std::vector<int>& addresses, const std::string& by) {
  if (addresses.empty()) return;
  OwnerEvent e;
  e.addresses = addresses;
  e.by = by;
  events.Publish(e);
}

}  // namespace mirelune
