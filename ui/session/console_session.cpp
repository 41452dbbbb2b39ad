// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/session/console_session.h"

#include <algorithm>
#include <cstdio>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "modes/mode_folder.h"
#include "owner/device_address.h"
#include "owner/owned_port.h"
#include "ui/session/console_owner.h"
#include "link/frame_codec.h"
#include "model/reverb_presets.h"
#include "model/sp_file.h"
#include "platform/hidapi_port.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_hid_port.h"
#include "sim/virtual_state.h"
#include "ui/session/link_log.h"

namespace mirelune::ui {

ConsoleSession::ConsoleSession(const ConsoleOptions& options, Scheduler& scheduler,
                               Notifier& messages)
    : options_(options), scheduler_(scheduler), notifier_(messages) {
  store_ = std::make_unique<Store>();
  store_->InitDefaults();
  if (options_.address.empty())
    options_.address = options_.device == ConsoleOptions::Device::Virtual ? "virtual" : "hid";
  std::unique_ptr<HidPort> inner = MakeInnerPort();
  if (options_.own) {
    std::vector<DeviceAddress> addresses;
    ParseDeviceList(options_.address, addresses, stateError_);  // checked by the caller
    auto owned = std::make_unique<OwnedPort>(std::move(inner), addresses.at(0), "mirelune", true);
    owned_ = owned.get();
    owned_->onClaimed = [this](const DeviceTarget& t) { OnClaimed(t.isVirtual, t.LockKey()); };
    port_ = std::move(owned);
  } else {
    // The virtual amplifier keeps its memory between runs, as a real one does.
    if (amplifier_ && !options_.virtualStatePath.empty())
      LoadVirtualState(options_.virtualStatePath, *amplifier_, stateError_);
    port_ = std::move(inner);
  }
  owner_ = std::make_unique<ConsoleOwner>(*this);
  usb_ = std::make_unique<UsbComm>(*port_, scheduler_);
  // The status line follows the port's outcomes as they happen: no timer polls them.
  usb_->onOpenChanged = [this] {
    LinkChanged();
  };
  link_ = std::make_unique<Link>(*store_, *usb_, scheduler_, notifier_);
  link_->onFree = [this] { PumpPosts(); };
  transfers_ = std::make_unique<Transfers>(*store_, *link_, notifier_);
  linkLog_ = std::make_unique<LinkLog>(*link_, scheduler_);

  // The start-up synchronisation is the transfers' own (InstallStartSync); it is wrapped so
  // that the status text can tell a running read and whether the mode number is known.
  transfers_->InstallStartSync();
  link_->onStartSync = [this] { RunStartSync(); };
  transfers_->hooks.afterReadIntoParams = [this](bool complete) {
    // Whatever read the amplifier whole (the start-up read, a mode read from the manager, a
    // file written to it and read back) is what the amplifier holds: edits made before it are
    // not offline edits any more.
    if (complete) lastRead_ = store_->ParamTable;
    history_->ClearHistory();
    if (afterDeviceRead) afterDeviceRead();
    if (onDeviceRead) onDeviceRead();
  };
  InstallHistoryHooks();
  transfers_->hooks.adminRefused = [this] {
    if (onAdminRefused) onAdminRefused();
  };
  lastRead_ = store_->ParamTable;
  link_->onConnectStatus = [this](int status) {
    if (status != kStatusOnline) {
      deviceRead_ = false;
      rightsLoggedIn_ = false;  // the amplifier forgets a log-in with the link
      savedEdits_.clear();      // the notice belonged to the read of that connection
    }
    // The start-up read follows the search answer at once instead of on the link's next
    // 100 ms start-up tick; it runs from a timer because this is called while the reply is
    // still being parsed. StartSyncTick runs the read once, whichever of the two comes first.
    if (status == kStatusOnline && link_->StartSyncPending) {
      scheduler_.StopTimer(startSyncKick_);
      startSyncKick_ = scheduler_.StartTimer(0, false, [this] {
        startSyncKick_ = 0;
        link_->StartSyncTick();
      });
    }
    LinkChanged();
  };
}

std::unique_ptr<HidPort> ConsoleSession::MakeInnerPort() {
  virtualPort_ = nullptr;
  if (options_.address.rfind("virtual", 0) == 0) {
    options_.device = ConsoleOptions::Device::Virtual;
    amplifier_ = std::make_unique<VirtualAmplifier>(options_.faults.administrator);
    auto port = std::make_unique<VirtualHidPort>(*amplifier_, scheduler_, options_.faults);
    virtualPort_ = port.get();
    return port;
  }
  options_.device = ConsoleOptions::Device::Hid;
  amplifier_.reset();
  return std::make_unique<HidapiPort>();
}

void ConsoleSession::OnClaimed(bool isVirtual, const std::string& lockKey) {
  if (owned_ && !owned_->LockError().empty())
    std::fprintf(stderr, "mirelune: the amplifier is used without a lock (%s); another program may use it at the same time\n",
                 owned_->LockError().c_str());
  // Ours now, before the first frame: a virtual amplifier's memory is loaded and kept from
  // here on, and other programs are served.
  if (isVirtual && amplifier_ && !options_.virtualStatePath.empty()) {
    state_ = std::make_unique<VirtualStateSession>(options_.virtualStatePath);
    if (state_->Open(*amplifier_, stateError_)) {
      // On the disk (durably) one second after the first change not yet there: a write per
      // change cost a drag half a millisecond a move, and a long drag still gets one a second.
      // What the amplifier acknowledged is in its memory at once, as in a real one; a console
      // that dies loses at most the last second of it.
      amplifier_->onMemoryChanged = [this] {
        if (syncTimer_ != 0) return;
        syncTimer_ = scheduler_.StartTimer(kStateSyncMs, false, [this] {
          syncTimer_ = 0;
          std::string e;
          if (state_ && !state_->Save(*amplifier_, e) && syncError_.empty()) syncError_ = e;
        });
      };
    } else {
      state_.reset();
    }
  }
  std::string error;
  const std::string socket = OwnedPort::SocketPathFor(lockKey);
  if (!socket.empty() && !owner_->Listen(socket, error) && stateError_.empty()) stateError_ = error;
  if (onDeviceChanged) onDeviceChanged();
}

std::string ConsoleSession::DeviceLabel() const {
  if (owned_ && owned_->Owned()) return owned_->Target().Label();
  return options_.address;
}

bool ConsoleSession::SwitchDevice(const std::string& address, std::string& error) {
  std::vector<DeviceAddress> addresses;
  if (!ParseDeviceList(address, addresses, error)) return false;
  if (addresses.size() != 1 || addresses[0].kind == DeviceAddress::Kind::All) {
    error = "one amplifier, not '" + address + "'";
    return false;
  }
  if (!owned_) {
    error = "this session does not own its amplifier";
    return false;
  }
  link_->SetLinkSwitch(false);
  owner_->Close();
  scheduler_.StopTimer(syncTimer_);  // SaveState below syncs the old amplifier's memory
  syncTimer_ = 0;
  std::string saveError;
  if (!SaveState(saveError)) notifier_.Warning(saveError);
  if (amplifier_) amplifier_->onMemoryChanged = nullptr;
  state_.reset();
  std::unique_ptr<VirtualAmplifier> old = std::move(amplifier_);
  options_.address = address;
  const bool isVirtual = addresses[0].kind == DeviceAddress::Kind::Virtual;
  if (isVirtual) options_.virtualStatePath = VirtualStatePath(addresses[0].value);
  owned_->Retarget(MakeInnerPort(), addresses[0]);
  old.reset();  // after its port is gone
  stateError_.clear();
  syncError_.clear();
  deviceRead_ = false;
  link_->SetLinkSwitch(true);
  usb_->Connect();
  if (onDeviceChanged) onDeviceChanged();
  LinkChanged();
  return true;
}

ConsoleSession::~ConsoleSession() {
  scheduler_.StopTimer(gestureTimer_);
  scheduler_.StopTimer(syncTimer_);
  scheduler_.StopTimer(startSyncKick_);
  link_->Quitting = true;
  link_->Stop();
  linkLog_.reset();  // it gives the link its trace hook back
  owner_.reset();
  // The link and the transport stop their timers before the port and the scheduler go.
  transfers_.reset();
  link_.reset();
  usb_.reset();
  port_.reset();
}

void ConsoleSession::Start() {
  usb_->Start();
  link_->Start();
  LinkChanged();
}

bool ConsoleSession::Quit() {
  link_->Quitting = true;
  link_->Stop();
  scheduler_.StopTimer(startSyncKick_);
  return link_->InWait;
}

void ConsoleSession::Resume() {
  // Switching the link off and on again leaves it offline and searching, whatever it was.
  link_->SetLinkSwitch(false);
  link_->SetLinkSwitch(true);
  link_->StartSyncPending = false;
  link_->Quitting = false;
  deviceRead_ = false;
}

std::string ConsoleSession::DefaultDataFolder() {
  return QFileInfo(QString::fromStdString(ModeFolder::DefaultPath())).path().toStdString();
}

void ConsoleSession::KeepEditsBeforeRead() {
  if (store_->ParamTable == lastRead_) return;
  // The read is about to replace what the user changed while no amplifier was read: keep it as
  // a configuration file first.
  const QString folder = QString::fromStdString(options_.dataFolder.empty() ? DefaultDataFolder()
                                                                          : options_.dataFolder);
  QDir().mkpath(folder);
  const QString name = "offline-edits-" + QDateTime::currentDateTime().toString("yyyy-MM-dd-HHmmss") + ".sp";
  const std::string path = QDir(folder).filePath(name).toStdString();
  const FileResult r = SaveTableToFile(path, store_->ParamTable);
  if (r.ok) {
    savedEdits_ = path;
  } else {
    notifier_.Warning(std::string("无法保存未联机时的修改：") + "\n" + r.error);
  }
}

void ConsoleSession::RunStartSync() {
  syncing_ = true;
  LinkChanged();
  KeepEditsBeforeRead();
  const bool ok = transfers_->ReadModeToParams(0, true, ReadGroup);
  lastRead_ = store_->ParamTable;
  syncing_ = false;
  deviceRead_ = ok && link_->Online;
  LinkChanged();
}

void ConsoleSession::InstallHistoryHooks() {
  history_ = std::make_unique<UndoHistory>(*store_);
  history_->hooks.online = [this] { return link_->Online && !link_->Quitting; };
  history_->hooks.send = [this](int address) { return SendInBulk(address); };
  history_->hooks.restartGestureTimer = [this] {
    scheduler_.StopTimer(gestureTimer_);
    gestureTimer_ = scheduler_.StartTimer(UndoHistory::kGestureMs, false, [this] {
      gestureTimer_ = 0;
      history_->EndGesture();
    });
  };
}

bool ConsoleSession::SendInBulk(int address) {
  return SendParam(address) || (link_->Online && !link_->Quitting);
}

void ConsoleSession::LinkChanged() {
  if (owner_) owner_->NoteLink();
  if (onLinkChanged) onLinkChanged();
}

void ConsoleSession::Acknowledged(int address, const std::vector<ParamRecord>& sent) {
  if (address < 0 || address >= kAddressCount || sent.size() != static_cast<size_t>(kSlotCount)) return;
  for (int slot = 0; slot < kSlotCount; ++slot) lastRead_.at(slot, address) = sent[static_cast<size_t>(slot)];
}

void ConsoleSession::PostParam(int address) {
  if (!link_->Online || link_->Quitting) return;
  if (std::find(posted_.begin(), posted_.end(), address) == posted_.end()) posted_.push_back(address);
  PumpPosts();
}

void ConsoleSession::PumpPosts() {
  if (posting_ || posted_.empty()) return;
  if (!link_->Online || link_->Quitting) {
    posted_.clear();
    return;
  }
  // Another request on its way: the link's onFree comes back here when it ended.
  if (link_->Busy()) return;
  const int address = posted_.front();
  posted_.erase(posted_.begin());
  // The records as they go out: the acknowledgement is for these, whatever the store holds by
  // the time it comes.
  std::vector<ParamRecord> sent;
  if (address >= 0 && address < kAddressCount)
    for (int slot = 0; slot < kSlotCount; ++slot) sent.push_back(store_->ParamTable.at(slot, address));
  posting_ = link_->StartCommand(SetParam, 0, address, [this, address, sent](bool ok) {
    posting_ = false;
    if (ok) {
      Acknowledged(address, sent);
      owner_->NoteChange(address, "mirelune");
    } else if (!link_->Online || link_->Quitting) {
      posted_.clear();
    }
    PumpPosts();
  });
  // Not started (a frame that cannot be built): nothing to send for it; the next one goes.
  if (!posting_) PumpPosts();
}

bool ConsoleSession::SendParam(int address) {
  if (!link_->Online || link_->Quitting) return false;
  if (sending_) {
    if (std::find(queued_.begin(), queued_.end(), address) == queued_.end())
      queued_.push_back(address);
    return false;
  }
  sending_ = true;
  // What the amplifier acknowledged it holds: such an edit is not lost by the next read. A
  // reverb mode brings its preset, which the amplifier applies itself (model/reverb_presets.h).
  auto acknowledged = [this](int a) {
    if (a < 0 || a >= kAddressCount) return;
    std::vector<int> held = {a};
    if (a == kReverbModeAddress)
      for (const ReverbPresetEntry& e : ReverbPresetEntries()) held.push_back(e.address);
    for (int h : held)
      for (int slot = 0; slot < kSlotCount; ++slot) lastRead_.at(slot, h) = store_->ParamTable.at(slot, h);
  };
  const bool ok = link_->SendCommand(SetParam, 0, address);
  if (ok) acknowledged(address);
  if (ok) owner_->NoteChange(address, "mirelune");
  while (!queued_.empty() && link_->Online && !link_->Quitting) {
    const int next = queued_.front();
    queued_.erase(queued_.begin());
    if (link_->SendCommand(SetParam, 0, next)) {
      acknowledged(next);
      owner_->NoteChange(next, "mirelune");
    }
  }
  queued_.clear();
  sending_ = false;
  return ok;
}

LinkStatusFacts ConsoleSession::StatusFacts() const {
  LinkStatusFacts f;
  f.switchOn = link_->LinkSwitchOn();
  f.online = link_->Online;
  f.portOpen = usb_->IsConnected();
  f.lastOpen = usb_->LastOpenResult();
  f.vendor = usb_->Vendor();
  f.product = usb_->Product();
  f.identifier = link_->DeviceIdentifierSeen();
  f.syncing = syncing_;
  f.modeNumber = deviceRead_ ? transfers_->CurrentModeNumber : -1;
  f.soundMode = store_->CurrentSoundMode;
  f.rightsLoggedIn = rightsLoggedIn_ && link_->Online;
  f.savedEdits = savedEdits_;
  f.device = DeviceLabel();
  if (owned_) {
    f.heldBy = owned_->Holder().Text();
    if (owned_->Holder().pid == 0 && owned_->Holder().program.empty()) f.heldBy.clear();
    f.candidates = owned_->Owned() ? 0 : owned_->CandidatesSeen();
  }
  return f;
}

bool ConsoleSession::SaveState(std::string& error) {
  const std::string& failed = state_ && !state_->SaveError().empty() ? state_->SaveError() : syncError_;
  if (!failed.empty()) {
    error = failed;
    return false;
  }
  if (state_) return state_->Save(*amplifier_, error);
  // An owner that never claimed the amplifier (it was busy all along) has nothing of it.
  if (!amplifier_ || options_.virtualStatePath.empty() || owned_) return true;
  return SaveVirtualState(options_.virtualStatePath, *amplifier_, error);
}

}  // namespace mirelune::ui
