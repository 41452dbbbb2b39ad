// SPDX-License-Identifier: GPL-3.0-or-later
// Fault injection settings of the virtual amplifier, and their text form.
//
// Text form (the CLI's --faults and the console's demo): comma-separated items
//   drop=N        drop the next N reply frames
//   corrupt=N     send the next N reply frames with a wrong checksum
//   split=N       cut every reply into input reports of at most N data bytes (1..63)
//   stray         before every reply send noise bytes and 0xFF, and put a 0xFF inside it
//   delay=MS      deliver replies MS milliseconds late
//   nosync        stop echoing the sync byte 0xFF
//   unplug=AT[:FOR]  disappear AT ms after start, come back FOR ms later (never without FOR)
//   usbtiming     each report costs one 1 ms USB frame each way
//   open=denied|busy  every open fails with that reason (the amplifier stays invisible)
//   admin         the amplifier starts in administrator rights (address 2592 = 1)
// e.g. "drop=2,split=5,delay=100".
#pragma once

#include <string>

namespace mirelune {

struct VirtualFaults {
  int dropReplies = 0;
  int corruptReplies = 0;
  int splitBytes = 0;  // 0: as many as a report holds
  bool strayBytes = false;
  int replyDelayMs = 0;
  bool noSyncEcho = false;
  int unplugAtMs = -1;   // -1: never
  int unplugForMs = -1;  // -1: stays away
  bool usbTiming = false;
  enum class OpenFailure { None, Denied, Busy } openFailure = OpenFailure::None;
  bool administrator = false;
};

// Parses the text form; false with `error` naming the offending item.
bool ParseFaultList(const std::string& text, VirtualFaults& faults, std::string& error);

// A --faults argument as given: "ITEMS" for every virtual amplifier, or "NAME:ITEMS" for the
// one named NAME (empty `name` for the first form).
struct FaultArgument {
  std::string name;
  std::string items;
};
FaultArgument SplitFaultArgument(const std::string& text);

}  // namespace mirelune
