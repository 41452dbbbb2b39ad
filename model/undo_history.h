// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history of the tuning window: snapshots of the audio parameters (addresses 0..2047,
// menu kinds 0..7) of the current sound mode, stepped back and forth by Undo and Redo.
//
// A snapshot is taken before the first change of each editing gesture (BeginChange) and before
// every single-step edit (PushSnapshot). Undo first saves the present state, so that Redo can
// return to it. Restoring a snapshot writes only the records that differ into the store, by the
// slot rule (the other sound mode too where the address is common to both), and sends each of
// them while the link is online.
//
// The history knows neither the link nor the window: sends, the refresh of the controls, the
// window's lock during a restore and the 1000 ms gesture timer are the caller's, through Hooks.
// The caller's timer calls EndGesture when it fires.
//
// An entry is allocated when it is first written and kept from then on: a session that never
// fills the history never touches its 2.2 MB, which were a good part of the console's start.
// UI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "model/param_record.h"
#include "model/store.h"

namespace mirelune {

class UndoHistory {
 public:
  static constexpr int kEntries = 30;
  static constexpr int kAddresses = kFirstSlotOnlyAddress;  // 0..2047 have history
  static constexpr int kGestureMs = 1000;

  // Every hook is optional; a missing one does nothing.
  struct Hooks {
    // Whether the link is online now; sends are made only then.
    std::function<bool()> online;
    // Sends the record at an address (SetParam). False ends the restore at that address.
    std::function<bool(int address)> send;
    // Pushes the store into the controls and redraws the graph (after Undo and Redo).
    std::function<void()> refreshControls;
    // Locks (false) and unlocks (true) the window around a restore.
    std::function<void(bool enabled)> enableWindow;
    // (Re)starts the gesture timer so that it fires kGestureMs after the latest change.
    std::function<void()> restartGestureTimer;
  };

  using Entry = std::array<ParamRecord, kAddresses>;

  // `store` must outlive the history. Starts empty.
  explicit UndoHistory(Store& store);

  Hooks hooks;

  // A change of an address below 2048 by a slider or the graph is about to be written. The
  // first change of a gesture takes a snapshot; every change restarts the gesture timer.
  void BeginChange();
  // The gesture timer fired: the next change starts a new gesture.
  void EndGesture() { GestureOpen = kFalse; }
  // Takes a snapshot of the current sound mode now (a single-step edit, the EQ reset). A new
  // change discards the states that Redo could still have returned to: they were undone and
  // the store has moved on from them.
  void PushSnapshot();
  // Steps back one snapshot; nothing when there is none. False when a send failed. Ends the
  // gesture in progress, so that the next change takes a snapshot of its own.
  bool Undo();
  // Steps forward again; nothing when there is nothing undone. False when a send failed. Ends
  // the gesture in progress, as Undo does.
  bool Redo();
  // Forgets every snapshot (device reads, sound-mode switch, other bulk replacements).
  void ClearHistory();
  // Makes everything changed since snapshot `entry` one step: the snapshots after it and the
  // redo states go, so that one Undo returns to that snapshot (the A/B comparison's keep).
  // Nothing for an entry that is not in the history.
  void CollapseTo(int entry);
  // How many of the oldest snapshots a full history has let go of so far: an entry number
  // taken earlier is now that much lower.
  int64_t Dropped() const { return dropped_; }

  bool CanUndo() const { return UndoPos >= 0; }
  bool CanRedo() const { return UndoHighWater >= 0 && UndoHighWater >= UndoPos + 2; }
  bool Restoring() const { return restoring_; }
  // Entry i (0..29) as it stands, for tests.
  const Entry& EntryAt(int i) const;

  // Index of the newest snapshot that Undo would pass; -1: none.
  int32_t UndoPos = -1;
  // Highest entry that Redo may reach; -1: none.
  int32_t UndoHighWater = -1;
  // A snapshot has been taken for the gesture in progress.
  int16_t GestureOpen = kFalse;

 private:
  void Snapshot();
  bool Restore(int entry);
  Entry& Slot(int i);

  Store& store_;
  // One buffer per entry, made at its first write (see above); order_ maps entry numbers to
  // buffers, so that dropping the oldest of a full history moves indices instead of 30 x 2048
  // records.
  std::array<std::unique_ptr<Entry>, kEntries> buffer_;
  std::array<int, kEntries> order_{};
  bool restoring_ = false;
  int64_t dropped_ = 0;
};

}  // namespace mirelune
