// SPDX-License-Identifier: GPL-3.0-or-later
// Folder owner/: an amplifier's owner: device addresses, the lock, the request layer and its local
// socket. May include: sim/ and what lies under it.
//
// The request layer of an amplifier's owner: JSON requests in, JSON replies and change events
// out, whatever carries them (the local socket today; HTTP and WebSocket later).
//
// One request or reply is one JSON object on one line:
//   {"op":"hello"}                      -> {"ok":true,"program":..,"pid":..,"device":..,
//                                           "identifier":..,"online":..,"mode":1..10|null,
//                                           "sound_mode":0|1}
//   {"op":"get","addresses":[1028,0],"sound_mode":0|1 (optional)}
//                                       -> {"ok":true,"mode":..,"sound_mode":..,"params":[
//                                           {"address":1028,"value":70} |
//                                           {"address":0,"gain":..,"freq":..,"q":..,"sq":..,
//                                            "shape":..,"off":..}]}
//   {"op":"set","changes":[{"address":1028,"value":70},{"address":0,"gain":300}],
//    "sound_mode":0|1 (optional),"by":"mirelune-cli (PID 42)"}
//                                       -> {"ok":true,"mode":..,"sound_mode":..,
//                                           "acknowledged":2,"of":2}
//   {"op":"mode-names"}                 -> {"ok":true,"names":["..", ... ten]}
//   {"op":"subscribe"}                  -> {"ok":true}, then events on the same connection:
//                                          {"event":"changed","addresses":[..],"by":".."}
// A failure is {"ok":false,"error":"..."} (for set also "acknowledged" and "of", and
// "refused":true when the request itself was refused and nothing was tried).
//
// A set is checked whole before anything is applied - every address must hold a parameter,
// every value or band field must be within the one range table, every master volume within the
// upper limit it has after the request (a limit the same request sets counts) - and is applied
// as one step of the owner's undo history. Its reply names the sound mode its changes went to,
// also when the request switches the sound mode (2590): that switch takes effect after them.
// Every applied change, whoever made it, becomes one event.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/param_record.h"
#include "owner/owner_events.h"

namespace mirelune {

struct OwnerChange {
  int address = 0;
  bool band = false;
  int32_t value = 0;                                // plain parameters
  std::vector<std::pair<std::string, long>> fields;  // band fields given (others kept)
};

struct OwnerFacts {
  std::string program;
  long pid = 0;
  std::string device;      // the --device label of the amplifier
  std::string identifier;  // what the amplifier answered the search with
  bool online = false;
  int mode = -1;           // 0..9, -1 unknown
  int soundMode = 0;
};

// What the owner does with a request; implemented by the console (and by tests).
class OwnerBackend {
 public:
  virtual ~OwnerBackend() = default;
  virtual OwnerFacts Facts() = 0;
  // False while the owner cannot take a request now (a transfer or a send is running); the
  // transport asks again a little later.
  virtual bool Ready() = 0;
  // The records of `addresses` in sound mode `sound` (-1: the owner's own) of the current
  // mode. False with `error` when the amplifier's values are not known (offline, not read).
  virtual bool Get(const std::vector<int>& addresses, int sound, std::vector<ParamRecord>& out,
                   std::string& error) = 0;
  // Applies checked changes as one step; `acknowledged` counts those the amplifier confirmed.
  // False with `error` when not all were.
  virtual bool Set(const std::vector<OwnerChange>& changes, int sound, const std::string& by,
                   size_t& acknowledged, std::string& error) = 0;
  virtual bool ModeNames(std::vector<std::string>& names, std::string& error) = 0;
  // Recalls stored mode `mode` (0..9) as the mode manager's read does: the amplifier's records
  // of that mode into the store, which then shows it; publishes a Mode event. False with
  // `error` when offline or the read failed.
  virtual bool LoadMode(int mode, const std::string& by, std::string& error) = 0;
  // Asks the amplifier whether `digits` is its rights (installer) password; the log-in it
  // opens is ended at once. False with `error` when the question could not be asked.
  virtual bool CheckInstallerPassword(const std::string& digits, bool& accepted, std::string& error) = 0;

  // What happened at the owner: every acknowledged change, the link, recalled modes.
  OwnerEvents events;
};

class OwnerService {
 public:
  explicit OwnerService(OwnerBackend& backend) : backend_(backend) {}

  // One request line -> one reply line (no newline). `subscribe` is set when the request asks
  // for change events on its connection.
  std::string Handle(const std::string& request, bool& subscribe);

  bool Ready() { return backend_.Ready(); }
  OwnerBackend& backend() { return backend_; }

  // The event line of changed addresses, for the transports to send to their subscribers.
  static std::string ChangeEvent(const std::vector<int>& addresses, const std::string& by);

  // Checks a set request's changes: false with `error` naming the first bad one.
  static bool CheckChanges(const std::vector<OwnerChange>& changes, std::string& error);
  // CheckChanges, and the master volumes against their limits after the request
  // (CheckMasterLimits), the limits before it asked of `backend` when the request holds a
  // master volume. False with `error`; `refused` tells a refusal of the request from a backend
  // that could not answer.
  static bool CheckBatch(const std::vector<OwnerChange>& changes, OwnerBackend& backend, std::string& error,
                         bool& refused);

 private:
  OwnerBackend& backend_;
};

}  // namespace mirelune
