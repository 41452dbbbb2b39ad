// SPDX-License-Identifier: GPL-3.0-or-later
// One owner per amplifier: an advisory lock file per device under the user's runtime folder
// ($XDG_RUNTIME_DIR/mirelune, else /tmp/mirelune-UID; user-only, 0700).
//
// The lock is a flock on "<key>.lock", taken before the first frame goes to the device and
// held while the program owns it; the system drops it when the program exits or dies, so the
// lock of a killed owner is simply taken by the next one. The file names the holder - "PID
// PROGRAM" on the first line and its socket path on the second (empty when it serves none) -
// so that a program that finds the amplifier taken can go through the owner or say who it is.
//
// POSIX (Linux, macOS).
#pragma once

#include <functional>
#include <string>

namespace mirelune {

// The folder of locks and sockets, created (0700) when missing; empty with `error` when it
// cannot be made or is not the user's own.
std::string OwnerRuntimeFolder(std::string& error);

struct LockHolder {
  long pid = 0;
  std::string program;  // "mirelune", "mirelune-cli write-mode"
  std::string socket;   // the owner's local socket; empty when it serves none
  std::string lockFile; // the lock file it holds
  // "mirelune (PID 1234)"; a holder that wrote no name: "another program (holding FILE)"
  std::string Text() const;
};

class DeviceLock {
 public:
  enum class Result { Acquired, Busy, Error };

  DeviceLock() = default;
  ~DeviceLock();
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

  // Takes the lock of `key` without waiting. Acquired: the file now names this process as
  // `program` with `socket`. Busy: `holder` names who has it. Error: `error` says why.
  Result TryAcquire(const std::string& key, const std::string& program, const std::string& socket,
                    LockHolder& holder, std::string& error);
  // Waits until the holder lets go; `onWait(holder)` is called once first when someone holds it.
  Result Acquire(const std::string& key, const std::string& program, const std::string& socket,
                 std::string& error, const std::function<void(const LockHolder&)>& onWait = {});
  // Rewrites the holder line (the socket is known only once it listens).
  void SetSocket(const std::string& socket);
  void Release();
  bool Held() const { return fd_ >= 0; }
  const std::string& Key() const { return key_; }
  const std::string& Path() const { return path_; }

 private:
  Result Take(const std::string& key, const std::string& program, const std::string& socket,
              bool wait, LockHolder& holder, std::string& error,
              const std::function<void(const LockHolder&)>& onWait);
  void WriteHolder();

  int fd_ = -1;
  std::string key_, path_, program_, socket_;
};

// Who holds the lock of `key` now, without taking it; false when nobody does.
bool FindHolder(const std::string& key, LockHolder& holder);

}  // namespace mirelune
