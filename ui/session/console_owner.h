// SPDX-License-Identifier: GPL-3.0-or-later
// The console as the owner of its amplifier: the request layer's backend over the console's
// session, served on the amplifier's local socket. A change another program asks for is
// applied as the console's own edit would be - the store, one step of the undo history, a
// SetParam per address, the controls and the graph refreshed at once - and, like every change
// the amplifier acknowledges, published as an event.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "owner/local_owner_server.h"
#include "owner/owner_service.h"

namespace mirelune::ui {

class ConsoleSession;

class ConsoleOwner : public OwnerBackend {
 public:
  explicit ConsoleOwner(ConsoleSession& session);
  ~ConsoleOwner() override;

  // Serves requests at `socketPath`; false with `error`.
  bool Listen(const std::string& socketPath, std::string& error);
  void Close();
  bool Listening() const;
  // An acknowledged change of `address` made by `by`: an event for the subscribers.
  void NoteChange(int address, const std::string& by);

  OwnerFacts Facts() override;
  bool Ready() override;
  bool Get(const std::vector<int>& addresses, int sound, std::vector<ParamRecord>& out,
           std::string& error) override;
  bool Set(const std::vector<OwnerChange>& changes, int sound, const std::string& by,
           size_t& acknowledged, std::string& error) override;
  bool ModeNames(std::vector<std::string>& names, std::string& error) override;
  bool LoadMode(int mode, const std::string& by, std::string& error) override;
  bool CheckInstallerPassword(const std::string& digits, bool& accepted, std::string& error) override;
  // The link or the mode number may have changed: a Link event when they did.
  void NoteLink();

 private:
  bool Known(std::string& error);

  ConsoleSession& session_;
  OwnerService service_;
  std::unique_ptr<LocalOwnerServer> server_;
  bool applying_ = false;
  bool lastOnline_ = false;
  int lastMode_ = -1;  // a request's own sends are published once, as one event
};

}  // namespace mirelune::ui
