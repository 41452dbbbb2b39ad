// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual amplifier's memory between runs of the CLI and the console.
//
// A real amplifier keeps its modes when the program exits; the virtual one is rebuilt by every
// run, so its stored modes, working set, current mode, mode names and menu flags are kept in
// one file under the user's data folder (<data>/Mirelune/virtual-amplifier.state) and loaded
// when a --device virtual session starts. `mirelune-cli virtual-reset` removes it.
//
// Several programs may use the virtual amplifier at once (two CLI commands, a CLI command and
// the console). Every access takes an exclusive lock on "<state>.lock" beside the file (flock,
// released by the system even when a program dies), and a session that changes the amplifier
// holds it from its load to its save, so no edit of one program is lost to another's save.
// Saves go through a temporary file of their own and a rename.
//
// A file that is not a state (wrong size, wrong kind, a mode number out of range, not a
// regular file) is refused with a message naming it, and never replaced: the user decides,
// e.g. with virtual-reset.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mirelune {

class VirtualAmplifier;

// The state file of the virtual amplifier named `name`: the unnamed one (the plain "virtual")
// keeps <data>/Mirelune/virtual-amplifier.state, a named one <data>/Mirelune/virtual/NAME.state.
std::string VirtualStatePath(const std::string& name = {});

// Whether `name` may name a virtual amplifier: 1..32 of A-Z a-z 0-9 _ - . , not starting with
// a dot (it becomes a file name).
bool ValidVirtualName(const std::string& name);

// The named virtual amplifiers, sorted by name: every one used since its data folder was made.
// A named virtual amplifier exists from its first use, as a real one exists once plugged in:
// every use takes the lock beside its state first, so the lock file marks it even before its
// memory differs from the factory state (which is when the state file is first written).
std::vector<std::string> NamedVirtualAmplifiers();

// The current mode (0..9) of the virtual amplifier whose state is at `path`, read from its
// memory without opening it as an amplifier: 0 for a missing file (the factory state), -1 for a
// file that is not a state.
int VirtualCurrentMode(const std::string& path);

// How long a program waits for a state another program has locked, and what it says
// meanwhile. Process-wide, set once at the program's start; by default 30 s without a note.
struct StateLockWait {
  int limitMs = 30000;
  // Called once, at once, when another program holds the lock: the lock file and who holds it
  // ("mirelune-cli set (PID 42)", or "another program" when it wrote no name).
  std::function<void(const std::string& lockFile, const std::string& holder)> onWait;
};
void SetStateLockWait(StateLockWait wait);

// The exclusive lock of a state file, held from Acquire until destruction. The lock file names
// its holder ("PID PROGRAM") while it is held.
class VirtualStateLock {
 public:
  explicit VirtualStateLock(std::string statePath);
  ~VirtualStateLock();
  VirtualStateLock(const VirtualStateLock&) = delete;
  VirtualStateLock& operator=(const VirtualStateLock&) = delete;

  // Waits until no other program holds the lock, at most the StateLockWait's limit (its note
  // is given once first when one does). Creates the state's folder when missing. False with
  // `error` when the lock file cannot be opened or locked, or the wait ran out (naming the
  // holder and the time waited).
  bool Acquire(std::string& error);
  bool Held() const { return fd_ >= 0; }
  void Release();

 private:
  std::string path_;
  intptr_t fd_ = -1;
};

// One session's use of the state file: locked load, the session's changes, save, unlock.
class VirtualStateSession {
 public:
  explicit VirtualStateSession(std::string path) : path_(path), lock_(std::move(path)) {}

  // Takes the lock (see VirtualStateLock::Acquire) and loads the state into `amp`; a missing
  // file leaves `amp` as it is (the factory state). A file that is not a state is refused:
  // false, `error` names the file, `amp` is untouched and the lock is released.
  bool Open(VirtualAmplifier& amp, std::string& error);
  // Saves `amp` when it differs from what was last loaded or saved, keeping the lock: an owner
  // calls it after every change the amplifier acknowledges. False with `error` when the save
  // failed.
  // `durable` false: replaced whole but not synced to the disk (see ReplaceFile); a later
  // durable Save syncs it even when nothing changed since.
  bool Save(VirtualAmplifier& amp, std::string& error, bool durable = true);
  bool IsOpen() const { return lock_.Held(); }
  // The owner's way of keeping `amp`'s memory from now on: after every change it reports
  // (VirtualAmplifier::onMemoryChanged), before its acknowledgement leaves, the file is replaced
  // whole - not synced; Save or Close sync it. The first save that failed is kept in
  // SaveError. `afterChange` runs after each of these saves (the console starts its sync timer).
  void KeepEveryChange(VirtualAmplifier& amp);
  std::function<void()> afterChange;
  const std::string& SaveError() const { return saveError_; }
  // Saves `amp` when it differs from what Open found (a missing file: the factory state), and
  // releases the lock. False with `error` when the save failed. Only after a successful Open.
  bool Close(VirtualAmplifier& amp, std::string& error);

 private:
  std::string path_;
  VirtualStateLock lock_;
  std::vector<uint8_t> opened_;
  bool unsynced_ = false;  // saved since the last durable save, not synced yet
  std::string saveError_;
};

// Loads the state into `amp` under the lock. A missing file leaves the factory state; a file
// that is not a state is refused (false, `error` naming it, `amp` untouched).
bool LoadVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error);
// Saves under the lock, atomically. Refuses (false, `error` naming it) to replace a file that
// is there but is not a state, so a damaged file stays for the user to look at.
bool SaveVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error);
// Removes the state file under the lock (the factory state at the next start). A missing file
// is no error.
bool RemoveVirtualState(const std::string& path, std::string& error);

// The state's bytes, and their reading. Decode refuses what is not a state, `amp` untouched.
std::vector<uint8_t> EncodeVirtualState(VirtualAmplifier& amp);
bool DecodeVirtualState(const std::vector<uint8_t>& bytes, VirtualAmplifier& amp, std::string& why);

}  // namespace mirelune
