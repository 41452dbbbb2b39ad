// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/session/console_owner.h"

#include <unistd.h>

#include "link/frame_codec.h"
#include "model/store.h"
#include "owner/owner_changes.h"
#include "owner/owner_ops.h"
#include "ui/session/console_session.h"

namespace mirelune::ui {

ConsoleOwner::ConsoleOwner(ConsoleSession& session) : session_(session), service_(*this) {}

ConsoleOwner::~ConsoleOwner() { Close(); }

bool ConsoleOwner::Listen(const std::string& socketPath, std::string& error) {
  server_ = std::make_unique<LocalOwnerServer>(service_);
  if (server_->Listen(socketPath, error)) return true;
  server_.reset();
  return false;
}

void ConsoleOwner::Close() { server_.reset(); }

bool ConsoleOwner::Listening() const { return server_ != nullptr; }

void ConsoleOwner::NoteChange(int address, const std::string& by) {
  if (applying_) return;
  OwnerEvent e;
  e.addresses = {address};
  e.by = by;
  events.Publish(e);
}

void ConsoleOwner::NoteLink() {
  const OwnerFacts f = Facts();
  if (f.online == lastOnline_ && f.mode == lastMode_) return;
  lastOnline_ = f.online;
  lastMode_ = f.mode;
  OwnerEvent e;
  e.kind = OwnerEvent::Kind::Link;
  e.online = f.online;
  e.mode = f.mode;
  events.Publish(e);
}

OwnerFacts ConsoleOwner::Facts() {
  OwnerFacts f;
  f.program = "mirelune";
  f.pid = static_cast<long>(::getpid());
  f.device = session_.DeviceLabel();
  const LinkStatusFacts s = session_.StatusFacts();
  f.identifier = s.identifier;
  f.online = s.online;
  f.mode = s.online ? s.modeNumber : -1;
  f.soundMode = session_.store().CurrentSoundMode;
  return f;
}

bool ConsoleOwner::Ready() { return !session_.link().InWait && !session_.Syncing(); }

bool ConsoleOwner::Known(std::string& error) {
  if (session_.link().Online && session_.StatusFacts().modeNumber >= 0) return true;
  error = "the console has not read the amplifier (" + session_.StatusText() + ")";
  return false;
}

bool ConsoleOwner::Get(const std::vector<int>& addresses, int sound, std::vector<ParamRecord>& out,
                       std::string& error) {
  if (!Known(error)) return false;
  out = OwnerRecords(session_.store(), addresses, sound);
  return true;
}

bool ConsoleOwner::Set(const std::vector<OwnerChange>& changes, int sound, const std::string& by,
                       size_t& acknowledged, std::string& error) {
  acknowledged = 0;
  if (!Known(error)) return false;
  Store& store = session_.store();
  if (AsksOtherSoundMode(changes, sound, store.CurrentSoundMode)) {
    error = "the console is editing sound mode " + std::to_string(store.CurrentSoundMode) +
            "; switch it there, or leave out the sound mode";
    return false;
  }
  // One step of the console's undo history for the whole request.
  session_.history().PushSnapshot();
  applying_ = true;
  const std::vector<int> sent = SendOwnerChanges(
      ApplyOwnerChanges(store, changes), [&](int address) { return session_.SendParam(address); },
      [&] { return session_.link().LastError(); }, error);
  acknowledged = sent.size();
  applying_ = false;
  // A switched sound mode shows the other one; the steps so far belong to the one before.
  if (FollowSoundMode(store)) {
    session_.history().ClearHistory();
    if (session_.onLinkChanged) session_.onLinkChanged();
  }
  // The controls and the graph show the store, acknowledged or not: what failed is still the
  // console's edit, as a failed slider move would be.
  if (session_.onDeviceRead) session_.onDeviceRead();
  PublishChanged(events, sent, by);
  return acknowledged == changes.size();
}

bool ConsoleOwner::ModeNames(std::vector<std::string>& names, std::string& error) {
  return Known(error) && ReadStoredModeNames(session_.transfers(), session_.link(), names, error);
}



bool ConsoleOwner::LoadMode(int mode, const std::string& by, std::string& error) {
  // The read's own hook refreshes the window and clears the undo history.
  if (!Known(error) || !RecallStoredMode(session_.transfers(), session_.link(), mode, error)) return false;
  OwnerEvent e;
  e.kind = OwnerEvent::Kind::Mode;
  e.mode = mode;
  e.online = session_.link().Online;
  e.by = by;
  events.Publish(e);
  if (session_.onLinkChanged) session_.onLinkChanged();
  return true;
}

bool ConsoleOwner::CheckInstallerPassword(const std::string& digits, bool& accepted, std::string& error) {
  // A log-in of the console's own administration windows stays.
  return AskInstallerPassword(session_.transfers(), session_.link(), digits,
                              session_.StatusFacts().rightsLoggedIn, accepted, error);
}

}  // namespace mirelune::ui
