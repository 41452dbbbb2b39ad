// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/headless_owner.h"

#include <unistd.h>

#include "link/frame_codec.h"
#include "model/store.h"
#include "owner/owner_changes.h"
#include "owner/owner_ops.h"

namespace mirelune {

HeadlessOwner::HeadlessOwner(const DeviceTarget& target, Scheduler& scheduler, Notifier& notifier,
                             const std::string& program, const VirtualFaults& faults)
    : session_(target, scheduler, notifier, program, true, faults), service_(*this), program_(program) {
  // Every coming up of the link reads the amplifier again: it may have been changed at its
  // front panel, or replaced, while the link was down.
  session_.link().onStartSync = [this] { ReadWhole(); };
  session_.link().onConnectStatus = [this](int status) {
    if (status != kStatusOnline) read_ = false;
    NoteLink();
  };
}

HeadlessOwner::~HeadlessOwner() { server_.reset(); }

bool HeadlessOwner::Start(std::string& error, int limitMs) {
  if (!session_.Connect(error, limitMs)) return false;
  Scheduler& scheduler = session_.scheduler();
  bool expired = false;
  const Scheduler::TimerId limit = scheduler.StartTimer(limitMs, false, [&expired] { expired = true; });
  scheduler.WaitUntil([&] { return (read_ && !reading_) || expired || !session_.link().Online; });
  scheduler.StopTimer(limit);
  if (!read_) {
    error = "the amplifier answered but its current mode could not be read" +
            (session_.link().LastError().empty() ? std::string() : " (" + session_.link().LastError() + ")");
    return false;
  }
  const std::string socket = OwnedPort::SocketPathFor(session_.target().LockKey());
  if (!socket.empty()) {
    server_ = std::make_unique<LocalOwnerServer>(service_);
    if (!server_->Listen(socket, error)) {
      server_.reset();
      return false;
    }
  }
  return true;
}

void HeadlessOwner::ReadWhole() {
  reading_ = true;
  const bool ok = session_.transfers().ReadModeToParams(0, true, ReadGroup);
  reading_ = false;
  read_ = ok && session_.link().Online;
  NoteLink();
}

void HeadlessOwner::NoteLink() {
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

OwnerFacts HeadlessOwner::Facts() {
  OwnerFacts f;
  f.program = program_;
  f.pid = static_cast<long>(::getpid());
  f.device = session_.target().Label();
  f.identifier = session_.link().DeviceIdentifierSeen();
  f.online = session_.link().Online;
  f.mode = f.online && read_ ? session_.transfers().CurrentModeNumber : -1;
  f.soundMode = session_.store().CurrentSoundMode;
  return f;
}

bool HeadlessOwner::Ready() { return !session_.link().InWait && !reading_; }

bool HeadlessOwner::Known(std::string& error) {
  if (session_.link().Online && read_) return true;
  error = session_.link().Online ? "the amplifier is being read" : "the amplifier is not connected";
  return false;
}

bool HeadlessOwner::Get(const std::vector<int>& addresses, int sound, std::vector<ParamRecord>& out,
                        std::string& error) {
  if (!Known(error)) return false;
  out = OwnerRecords(session_.store(), addresses, sound);
  return true;
}

bool HeadlessOwner::Set(const std::vector<OwnerChange>& changes, int sound, const std::string& by,
                        size_t& acknowledged, std::string& error) {
  acknowledged = 0;
  if (!Known(error)) return false;
  Store& store = session_.store();
  // The amplifier takes a change in its own sound mode; another one is edited by switching.
  if (AsksOtherSoundMode(changes, sound, store.CurrentSoundMode)) {
    error = "the amplifier is in sound mode " + std::to_string(store.CurrentSoundMode) +
            "; leave out the sound mode or switch it first";
    return false;
  }
  const std::vector<int> sent = SendOwnerChanges(
      ApplyOwnerChanges(store, changes), [&](int address) { return session_.link().SendCommand(SetParam, 0, address); },
      [&] { return session_.link().LastError(); }, error);
  acknowledged = sent.size();
  FollowSoundMode(store);
  PublishChanged(events, sent, by);
  // What the amplifier did not take is not kept: the store says what the amplifier holds, and
  // the next read after the link comes back replaces it anyway.
  if (acknowledged != changes.size()) read_ = false;
  return acknowledged == changes.size();
}

bool HeadlessOwner::ModeNames(std::vector<std::string>& names, std::string& error) {
  return Known(error) && ReadStoredModeNames(session_.transfers(), session_.link(), names, error);
}

bool HeadlessOwner::LoadMode(int mode, const std::string& by, std::string& error) {
  if (!Known(error)) return false;
  reading_ = true;
  const bool ok = RecallStoredMode(session_.transfers(), session_.link(), mode, error);
  reading_ = false;
  if (!ok) {
    if (mode >= 0 && mode < 10) read_ = false;  // a read cut short leaves the store unknown
    NoteLink();
    return false;
  }
  OwnerEvent e;
  e.kind = OwnerEvent::Kind::Mode;
  e.mode = mode;
  e.online = session_.link().Online;
  e.by = by;
  events.Publish(e);
  NoteLink();
  return true;
}

bool HeadlessOwner::CheckInstallerPassword(const std::string& digits, bool& accepted, std::string& error) {
  return AskInstallerPassword(session_.transfers(), session_.link(), digits, false, accepted, error);
}

}  // namespace mirelune
