// SPDX-License-Identifier: GPL-3.0-or-later
// A/B comparison: two settings of what the amplifier plays, switched while listening.
//
// Starting takes the store's playing records - the current sound mode's audio records and the
// system records - as both A and B, and shows B: the user edits B as usual while A keeps the
// settings from before. Switching keeps the edits of the side shown, puts the other side into
// the store and names the addresses whose records the amplifier must get: those that differ,
// and those an earlier switch could not send (the link dropped). Keeping A or B ends the
// comparison with that side in the store. A switch to the other sound mode in between is
// refused: the comparison is of one sound mode.
//
// Plain C++, no Qt: the console sends what it is told and reports what did not arrive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/store.h"

namespace mirelune {

class AbCompare {
 public:
  AbCompare();
  ~AbCompare();

  bool Active() const { return active_; }
  // 'A' or 'B' while active.
  char Showing() const { return showing_; }
  // The sound mode the comparison is of.
  int SoundMode() const { return soundMode_; }

  void Start(const Store& store);
  // Shows the other side: false with `error` (not active, the sound mode changed). `send`
  // gets the addresses to send, ascending.
  bool Switch(Store& store, std::vector<int>& send, std::string& error);
  // Ends with `side` in the store; `send` as for Switch. False with `error` as for Switch.
  bool Keep(Store& store, char side, std::vector<int>& send, std::string& error);
  // The amplifier was read into the store (the link came back): the side shown goes into the
  // store again over what was read, and `send` names what the amplifier must get for it - so
  // a switch cut short by a dropped link ends with the amplifier holding the side shown.
  // False when not active.
  bool Reapply(Store& store, std::vector<int>& send);
  // The addresses a send did not reach the amplifier with: they go again with the next switch
  // or keep, whether they differ then or not.
  void NoteUnsent(const std::vector<int>& addresses);
  const std::vector<int>& Unsent() const { return unsent_; }

  // Whether `address` is one of the compared records (holds a parameter).
  static bool Compared(int address);

 private:
  bool Check(const Store& store, std::string& error) const;
  bool Show(Store& store, char side, std::vector<int>& send, std::string& error);
  // The store's playing records into `side`'s table.
  void Take(const Store& store, RecordTable& table) const;
  // `table` into the store's playing records; the addresses whose records changed.
  std::vector<int> Put(const RecordTable& table, Store& store) const;

  bool active_ = false;
  char showing_ = 'B';
  int soundMode_ = 0;
  std::unique_ptr<RecordTable> a_, b_;
  std::vector<int> unsent_;
};

}  // namespace mirelune
