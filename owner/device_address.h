// SPDX-License-Identifier: GPL-3.0-or-later
// Which amplifier a command means: the text of --device (and of the console's choice) parsed,
// then resolved against what is attached.
//
//   hid            the one attached USB amplifier (an error naming the candidates when there
//                  are several, so that nothing is sent to the wrong room)
//   hid:SERIAL     the amplifier with this serial number
//   hid:N          the N-th row of `mirelune-cli devices` (0-based), when no serial is N
//   hid:PATH       the device node (/dev/hidraw3), or a USB location (3-1.2)
//   virtual        the built-in virtual amplifier
//   virtual:NAME   a named virtual amplifier with a memory of its own
//   all            every amplifier `devices` lists (batch commands only)
//   A,B,...        a comma-separated list of any of these (batch commands only)
//
// Plain C++: the listing comes in as data, so the rules are tested as tables.
#pragma once

#include <string>
#include <vector>

#include "platform/hid_discovery.h"

namespace mirelune {

struct DeviceAddress {
  enum class Kind { Hid, HidNamed, Virtual, All };
  Kind kind = Kind::Hid;
  std::string value;  // HidNamed: serial, index or path; Virtual: the name ("" unnamed)
  std::string text;   // as written
};

// False with `error` for an empty item, an unknown kind or a bad virtual name.
bool ParseDeviceList(const std::string& text, std::vector<DeviceAddress>& out, std::string& error);

// One amplifier to work on.
struct DeviceTarget {
  bool isVirtual = false;
  std::string virtualName;  // "" for the unnamed virtual amplifier
  HidDeviceInfo hid;        // the row it was found as
  HidIdentity identity;     // how to find it again

  // "virtual", "virtual:a", "hid:0042", "hid:3-1.2", "hid:/dev/hidraw3" - also what --device
  // takes to name it again.
  std::string Label() const;
  // A file-name-safe key of the amplifier for its lock and socket ("hid-serial-0042").
  std::string LockKey() const;
};

struct DeviceCandidates {
  std::vector<HidDeviceInfo> hid;          // AmplifierRows order
  std::vector<std::string> virtualNames;   // named virtual amplifiers with a memory
};

// Why "hid" named no single amplifier, for a caller that words it in its own language.
struct DeviceChoiceFailure {
  enum class Kind { Other, NoneConnected, Several } kind = Kind::Other;
  size_t connected = 0;    // Several: how many are connected
  std::string candidates;  // Several: CandidateList of them
};

// Resolves the addresses to targets, in order, without duplicates. With `many` false exactly
// one target must come out ("all" and lists are refused). False with `error` naming what was
// asked and what is there, and `why` (when given) saying which of the common cases it was.
bool ResolveDevices(const std::vector<DeviceAddress>& addresses, const DeviceCandidates& candidates,
                    bool many, std::vector<DeviceTarget>& out, std::string& error,
                    DeviceChoiceFailure* why = nullptr);

// "hid:0042 (USB 3-1.2), hid:3-1.4" - the candidates named in errors.
std::string CandidateList(const std::vector<HidDeviceInfo>& rows);

}  // namespace mirelune
