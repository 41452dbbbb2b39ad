// SPDX-License-Identifier: GPL-3.0-or-later
// A whole device session in virtual time: Store + VirtualScheduler + RecordingNotifier +
// VirtualAmplifier + VirtualHidPort + UsbComm + Link, wired and started.
//
//   auto rig = std::make_unique<VirtualRig>();     // large: keep it on the heap
//   ASSERT_TRUE(rig->BringUp());
//   ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0));
//
// The start-up synchronisation hook is left empty; set rig->link.onStartSync before BringUp
// to run one. Every frame sent and received is also kept in `trace` as "> ..." / "< ..." lines.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/usb_comm.h"
#include "model/store.h"
#include "platform/recording_notifier.h"
#include "platform/virtual_scheduler.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_faults.h"
#include "sim/virtual_hid_port.h"

namespace mirelune {

class VirtualRig {
 public:
  explicit VirtualRig(const VirtualFaults& faults = {});

  // Runs virtual time until the link is online (true) or timeoutMs passed (false).
  bool BringUp(int timeoutMs = 3000);
  // Runs virtual time for ms milliseconds.
  void RunFor(int ms) { scheduler.RunFor(ms); }
  // Trace lines that begin with this prefix ("> FE 00", "< FF", ...).
  std::vector<std::string> TraceLines(const std::string& prefix) const;

  std::unique_ptr<Store> storage;  // InitDefaults done
  Store& store;
  VirtualScheduler scheduler;
  RecordingNotifier notifier;
  VirtualAmplifier amplifier;
  VirtualHidPort port;
  UsbComm usb;
  Link link;
  std::vector<std::string> trace;
};

}  // namespace mirelune
