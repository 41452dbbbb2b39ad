// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/undo_history.h"

#include <algorithm>

#include "model/input_lock.h"

namespace mirelune {
namespace {

bool SameBand(const ParamRecord& a, const ParamRecord& b) {
  return a.QType == b.QType && a.Freq == b.Freq && a.Gain == b.Gain && a.Q == b.Q &&
         a.SQ == b.SQ && a.EQDisabled == b.EQDisabled;
}

void CopyBand(const ParamRecord& from, ParamRecord& to) {
  to.QType = from.QType;
  to.Freq = from.Freq;
  to.Gain = from.Gain;
  to.Q = from.Q;
  to.SQ = from.SQ;
  to.EQDisabled = from.EQDisabled;
}

}  // namespace

UndoHistory::UndoHistory(Store& store) : store_(store) {
  for (int i = 0; i < kEntries; ++i) order_[static_cast<size_t>(i)] = i;
}

UndoHistory::Entry& UndoHistory::Slot(int i) {
  std::unique_ptr<Entry>& buffer = buffer_[static_cast<size_t>(order_.at(static_cast<size_t>(i)))];
  if (!buffer) buffer = std::make_unique<Entry>();
  return *buffer;
}

const UndoHistory::Entry& UndoHistory::EntryAt(int i) const {
  static const Entry kNeverWritten{};
  const std::unique_ptr<Entry>& buffer = buffer_[static_cast<size_t>(order_.at(static_cast<size_t>(i)))];
  return buffer ? *buffer : kNeverWritten;
}

void UndoHistory::BeginChange() {
  if (GestureOpen == kFalse) {
    GestureOpen = kTrue;
    PushSnapshot();
  }
  if (hooks.restartGestureTimer) hooks.restartGestureTimer();
}

void UndoHistory::PushSnapshot() {
  Snapshot();
  // Redo would otherwise bring back undone states over this change, and the change itself is
  // in no snapshot: it would be lost.
  UndoHighWater = UndoPos;
}

void UndoHistory::Snapshot() {
  store_.ModifiedFlag = kTrue;
  if (UndoPos > kEntries - 2) {
    // Full: the oldest entry goes, its buffer takes the new snapshot as entry 29.
    std::rotate(order_.begin(), order_.begin() + 1, order_.end());
    ++dropped_;
    UndoPos = kEntries - 1;
  } else {
    ++UndoPos;
  }
  Entry& e = Slot(UndoPos);
  const int m = store_.CurrentSoundMode != 0 ? 1 : 0;
  for (int a = 0; a < kAddresses; ++a) e[static_cast<size_t>(a)] = store_.ParamTable.at(m, a);
  UndoHighWater = std::max(UndoHighWater, UndoPos);
}

bool UndoHistory::Restore(int entry) {
  const Entry& e = Slot(entry);
  const int m = store_.CurrentSoundMode != 0 ? 1 : 0;
  restoring_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{restoring_};
  InputLock lock(hooks.enableWindow);

  const bool online = hooks.online && hooks.online();
  for (int a = 0; a < kAddresses; ++a) {
    ParamRecord& cur = store_.ParamTable.at(m, a);
    if (cur.Valid != kTrue) continue;
    const ParamRecord& old = e[static_cast<size_t>(a)];
    const bool common = store_.ParamTable.at(0, a).PerMode == kFalse;
    ParamRecord& other = store_.ParamTable.at(1 - m, a);
    if (cur.Kind == kEqBand) {
      if (SameBand(cur, old)) continue;
      CopyBand(old, cur);
      if (common) CopyBand(old, other);
    } else {
      if (cur.Value == old.Value) continue;
      cur.Value = old.Value;
      if (common) other.Value = old.Value;
    }
    if (online && hooks.send && !hooks.send(a)) return false;
  }
  return true;
}

bool UndoHistory::Undo() {
  if (UndoPos == -1 || restoring_) return true;
  // A change after this is a gesture of its own, however soon it comes: its snapshot is what
  // ends the redo branch.
  GestureOpen = kFalse;
  store_.ModifiedFlag = kTrue;
  Snapshot();  // the present state, for Redo; it does not end the redo branch
  --UndoPos;
  const bool ok = Restore(UndoPos);
  --UndoPos;
  if (hooks.refreshControls) hooks.refreshControls();
  return ok;
}

bool UndoHistory::Redo() {
  if (!CanRedo() || restoring_) return true;
  GestureOpen = kFalse;
  store_.ModifiedFlag = kTrue;
  const bool ok = Restore(UndoPos + 2);
  ++UndoPos;
  if (hooks.refreshControls) hooks.refreshControls();
  return ok;
}

void UndoHistory::CollapseTo(int entry) {
  if (entry < 0 || entry > UndoPos) return;
  UndoPos = entry;
  UndoHighWater = entry;
  GestureOpen = kFalse;
}

void UndoHistory::ClearHistory() {
  UndoPos = -1;
  UndoHighWater = -1;
}

}  // namespace mirelune
