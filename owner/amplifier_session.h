// SPDX-License-Identifier: GPL-3.0-or-later
// A session of its own on one more amplifier, for a batch the console runs on several (the
// mode manager's upload to every connected amplifier): its own store, owned port (the lock is
// taken before the first frame; another program's amplifier is left alone), transport, link
// and transfers, sharing the caller's scheduler and notifier. A virtual amplifier's memory is
// loaded when claimed and saved after every acknowledged change, as its owners always do.
#pragma once

#include <memory>
#include <string>

#include "link/link.h"
#include "link/transfers.h"
#include "link/usb_comm.h"
#include "model/store.h"
#include "owner/device_address.h"
#include "owner/owned_port.h"
#include "platform/notifier.h"
#include "platform/scheduler.h"
#include "sim/virtual_faults.h"

namespace mirelune {

class VirtualAmplifier;
class VirtualStateSession;

class AmplifierSession {
 public:
  static constexpr int kConnectLimitMs = 3000;

  // With `serve` the lock names the owner's socket (OwnedPort::SocketPathFor the target's
  // key), which the caller listens on once connected.
  // `faults` apply to a virtual amplifier only (fault injection for tests and demos).
  AmplifierSession(const DeviceTarget& target, Scheduler& scheduler, Notifier& notifier,
                   const std::string& program, bool serve = false, const VirtualFaults& faults = {});
  ~AmplifierSession();
  AmplifierSession(const AmplifierSession&) = delete;
  AmplifierSession& operator=(const AmplifierSession&) = delete;

  // Claims the amplifier and waits for its answer to the search frame, at most limitMs of
  // scheduler time. False with `error` (busy: who holds it; not found; no answer).
  bool Connect(std::string& error, int limitMs = kConnectLimitMs);
  // The first failed save of a virtual amplifier's memory; empty when all were kept.
  const std::string& SaveError() const;

  Store& store() { return *store_; }
  Link& link() { return *link_; }
  Transfers& transfers() { return *transfers_; }
  UsbComm& usb() { return *usb_; }
  Scheduler& scheduler() { return scheduler_; }
  const DeviceTarget& target() const { return target_; }

 private:
  DeviceTarget target_;
  Scheduler& scheduler_;
  std::unique_ptr<Store> store_;
  std::unique_ptr<VirtualAmplifier> amplifier_;
  std::unique_ptr<VirtualStateSession> state_;
  std::string loadError_;
  std::unique_ptr<OwnedPort> port_;
  std::unique_ptr<UsbComm> usb_;
  std::unique_ptr<Link> link_;
  std::unique_ptr<Transfers> transfers_;
};

}  // namespace mirelune
