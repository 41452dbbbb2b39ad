// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ab_compare.h"

#include <algorithm>

namespace mirelune {

AbCompare::AbCompare() : a_(std::make_unique<RecordTable>()), b_(std::make_unique<RecordTable>()) {}
AbCompare::~AbCompare() = default;

bool AbCompare::Compared(int address) { return HoldsParam(address); }

void AbCompare::Take(const Store& store, RecordTable& table) const {
  for (int a = 0; a < kAddressCount; ++a) {
    if (!Compared(a)) continue;
    const int slot = store.SlotFor(a);
    table.at(slot, a) = store.ParamTable.at(slot, a);
  }
}

std::vector<int> AbCompare::Put(const RecordTable& table, Store& store) const {
  std::vector<int> changed;
  for (int a = 0; a < kAddressCount; ++a) {
    if (!Compared(a)) continue;
    const int slot = store.SlotFor(a);
    const ParamRecord& want = table.at(slot, a);
    if (store.ParamTable.at(slot, a) == want) continue;
    store.ParamTable.at(slot, a) = want;
    // The slot rule: a record common to both sound modes stays equal in both.
    if (a < kFirstSlotOnlyAddress && store.ParamTable.at(0, a).PerMode == kFalse)
      store.ParamTable.at(1 - slot, a) = want;
    changed.push_back(a);
  }
  return changed;
}

void AbCompare::Start(const Store& store) {
  Take(store, *a_);
  Take(store, *b_);
  soundMode_ = store.CurrentSoundMode;
  showing_ = 'B';
  active_ = true;
  unsent_.clear();
}

bool AbCompare::Check(const Store& store, std::string& error) const {
  if (!active_) {
    error = "no A/B comparison is running";
    return false;
  }
  if (store.CurrentSoundMode != soundMode_) {
    error = "the sound mode changed since the comparison started; switch back to sound mode " +
            std::to_string(soundMode_) + " to go on";
    return false;
  }
  return true;
}

bool AbCompare::Switch(Store& store, std::vector<int>& send, std::string& error) {
  if (!Show(store, showing_ == 'A' ? 'B' : 'A', send, error)) return false;
  return true;
}

bool AbCompare::Keep(Store& store, char side, std::vector<int>& send, std::string& error) {
  if (side != 'A' && side != 'B') {
    error = "side A or B";
    return false;
  }
  if (!Show(store, side, send, error)) return false;
  active_ = false;
  return true;
}

bool AbCompare::Show(Store& store, char side, std::vector<int>& send, std::string& error) {
  if (!Check(store, error)) return false;
  // The side shown keeps what was edited on it.
  Take(store, showing_ == 'A' ? *a_ : *b_);
  send = Put(side == 'A' ? *a_ : *b_, store);
  for (int a : unsent_)
    if (std::find(send.begin(), send.end(), a) == send.end()) send.push_back(a);
  std::sort(send.begin(), send.end());
  unsent_.clear();
  showing_ = side;
  return true;
}

bool AbCompare::Reapply(Store& store, std::vector<int>& send) {
  send.clear();
  if (!active_ || store.CurrentSoundMode != soundMode_) return false;
  send = Put(showing_ == 'A' ? *a_ : *b_, store);
  unsent_.clear();
  return true;
}

void AbCompare::NoteUnsent(const std::vector<int>& addresses) {
  for (int a : addresses)
    if (std::find(unsent_.begin(), unsent_.end(), a) == unsent_.end()) unsent_.push_back(a);
}

}  // namespace mirelune
