// SPDX-License-Identifier: GPL-3.0-or-later
// An amplifier's owner without a window (mirelune-cli serve): it claims the amplifier, reads
// its current mode whole, keeps the link up (reading again whenever it comes back), answers
// other programs on the amplifier's local socket and serves the request layer to whoever
// hosts it (the remote). What it changes is applied to its store as the console applies an
// edit, and published as an event.
//
//   HeadlessOwner owner(target, scheduler, notifier, "mirelune-cli serve");
//   if (!owner.Start(error)) ...;      // connected and read, or why not
//   RemoteServer remote(owner, ...);   // the same backend
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "owner/amplifier_session.h"
#include "owner/local_owner_server.h"
#include "owner/owner_service.h"

namespace mirelune {

class HeadlessOwner : public OwnerBackend {
 public:
  HeadlessOwner(const DeviceTarget& target, Scheduler& scheduler, Notifier& notifier,
                const std::string& program, const VirtualFaults& faults = {});
  ~HeadlessOwner() override;

  // Claims the amplifier, waits for its answer and its first whole read (at most limitMs of
  // scheduler time each) and listens on its socket. False with `error`.
  bool Start(std::string& error, int limitMs = AmplifierSession::kConnectLimitMs);

  AmplifierSession& session() { return session_; }
  // Its local socket's server once Start listened; nullptr before.
  LocalOwnerServer* LocalServer() { return server_.get(); }

  OwnerFacts Facts() override;
  bool Ready() override;
  bool Get(const std::vector<int>& addresses, int sound, std::vector<ParamRecord>& out,
           std::string& error) override;
  bool Set(const std::vector<OwnerChange>& changes, int sound, const std::string& by,
           size_t& acknowledged, std::string& error) override;
  bool ModeNames(std::vector<std::string>& names, std::string& error) override;
  bool LoadMode(int mode, const std::string& by, std::string& error) override;
  bool CheckInstallerPassword(const std::string& digits, bool& accepted, std::string& error) override;

 private:
  bool Known(std::string& error);
  void ReadWhole();
  void NoteLink();

  AmplifierSession session_;
  OwnerService service_;
  std::unique_ptr<LocalOwnerServer> server_;
  std::string program_;
  bool read_ = false;     // the store holds what the amplifier holds in its current mode
  bool reading_ = false;
  bool lastOnline_ = false;
  int lastMode_ = -1;
};

}  // namespace mirelune
