// SPDX-License-Identifier: GPL-3.0-or-later
// Folder ui/session/: the console's session with the amplifier: port, link, transfers, its owner
// side, the link log and the status texts; it shows no window of its own. May include: modes/ and
// what lies under it.
//
// The console's device session: the parameter store, the amplifier's port (hidapi or the
// virtual amplifier), the transport, the link and the whole-mode transfers, wired so that the
// start-up synchronisation reads the device as soon as it answers.
//
//   QtScheduler scheduler;  MessageBoxNotifier boxes;
//   ConsoleSession session(options, scheduler, boxes);
//   FrmEq window(session);  session.Start();
//
// The scheduler is injected so that tests run the whole console in virtual time. UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/transfers.h"
#include "link/usb_comm.h"
#include "model/store.h"
#include "model/undo_history.h"
#include "platform/hid_port.h"
#include "platform/scheduler.h"
#include "sim/virtual_faults.h"
#include "ui/session/link_status_text.h"
#include "ui/session/progress_notifier.h"

namespace mirelune {
class OwnedPort;
class VirtualAmplifier;
class VirtualHidPort;
class VirtualStateSession;
}  // namespace mirelune

namespace mirelune::ui {

class LinkLog;

struct ConsoleOptions {
  enum class Device { Hid, Virtual };
  Device device = Device::Hid;
  VirtualFaults faults;          // the virtual amplifier's only
  // Which amplifier (the --device text of one amplifier): "hid", "hid:SERIAL", "hid:N",
  // "hid:PATH", "virtual", "virtual:NAME". Empty: "hid" or "virtual" after `device`.
  std::string address;
  // Owns the amplifier: takes its lock before the first frame (a busy amplifier is reported
  // in the status line and tried again), serves other programs' requests on its socket, and
  // keeps a virtual amplifier's memory after every change it acknowledges. The program does;
  // tests that do not share an amplifier need not.
  bool own = false;
  // Where the virtual amplifier keeps its memory between runs; empty: it starts from the
  // factory state and nothing is saved.
  std::string virtualStatePath;
  // Where edits made while no amplifier was read are kept before a read replaces them (the
  // mode folder's parent); empty: the platform's default.
  std::string dataFolder;
};

class ConsoleSession {
 public:
  // `scheduler` and `messages` must outlive the session. With a virtual device whose saved
  // state cannot be read, the session starts from the factory state and StateError() says why.
  ConsoleSession(const ConsoleOptions& options, Scheduler& scheduler, Notifier& messages);
  // Stops the link. The virtual amplifier's memory is saved by SaveState, not here, so that
  // the caller can report a failure.
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  // Starts looking for the amplifier: the transport's reconnect timer and the link's ticks.
  void Start();
  // The exit command: every wait ends at its next turn and no more requests start. Returns
  // whether a request was waiting when it was called (the caller then defers its close).
  bool Quit();
  // A tuning window loaded again after an exit: the link is offline with its switch on and
  // may start again (Start()).
  void Resume();

  // Sends the record at `address` with SetParam while online. False when offline (nothing
  // sent) or when the amplifier did not acknowledge (the link has warned and gone offline).
  // The user keeps editing while a send waits for its acknowledgement; a send asked for from
  // inside that wait is queued (once per address) and made, with the values the store holds
  // then, after the waiting one, so that requests never nest. It returns false.
  bool SendParam(int address);
  // Sends the record at `address` without waiting for the acknowledgement: the graph's band
  // sends, made from its draw tick, which must not stop the window for the amplifier. At most
  // one such frame is on its way; the addresses asked for meanwhile are kept (each once, so
  // never more than there are addresses) and the next goes out, with the values the store holds
  // then, once the one before was acknowledged: a drag's moves coalesce into as many frames as
  // the amplifier takes. Offline nothing is sent or kept.
  void PostParam(int address);
  // Posted addresses not yet acknowledged (on their way or waiting).
  bool PostsPending() const { return posting_ || !posted_.empty(); }
  // A send of a bulk change (undo, redo, the copies), which stops at the first failure: false
  // only when the link failed or is stopping. A send queued behind a waiting one counts as
  // made, it follows that one.
  bool SendInBulk(int address);

  // The text beside the connection indicator.
  LinkStatusFacts StatusFacts() const;
  std::string StatusText() const { return LinkStatusText(StatusFacts()); }
  std::string StatusDetail() const { return LinkStatusDetail(StatusFacts()); }
  bool Syncing() const { return syncing_; }

  // The amplifier the session is on, as --device names it ("virtual:a", "hid:0042"); the
  // address asked for until an amplifier was claimed.
  std::string DeviceLabel() const;
  // Another amplifier from now on (Device > Choose amplifier): the current one is let go
  // (its virtual memory saved), the link goes offline and searches the new one, whose start-up
  // read follows. False with `error` for an address that does not parse (nothing changes).
  bool SwitchDevice(const std::string& address, std::string& error);

  // Saves the virtual amplifier's memory to the options' path; true when there is nothing to
  // save. False with `error` naming the file.
  bool SaveState(std::string& error);
  const std::string& StateError() const { return stateError_; }

  // The configuration file that holds the edits the last read replaced (the user changed the
  // store since the amplifier was last read, or since start when it never was); empty when no
  // read has replaced edits, and again once the link of that read went down (the status line
  // names it while that connection lasts). The mode manager's "打开文件" brings them back.
  const std::string& SavedEditsFile() const { return savedEdits_; }
  // The store as the amplifier last reported it (its last read, with every change it has
  // acknowledged since): what the graph's "last reported" comparison draws.
  const RecordTable& LastReported() const { return lastRead_; }
  // The administration windows' rights log-in, for the status line.
  void SetRightsLoggedIn(bool in) {
    rightsLoggedIn_ = in;
    if (onLinkChanged) onLinkChanged();
  }
  static std::string DefaultDataFolder();
  // The console as its amplifier's owner: the request layer's backend and its events.
  class ConsoleOwner& owner() { return *owner_; }

  // Called after every read of the device into the store (the start-up synchronisation): the
  // window refreshes its controls and graph from the store.
  std::function<void()> onDeviceRead;
  // Called right after every read of the device into the store, before onDeviceRead, from
  // inside the read: whatever it sends must wait for the event loop (the A/B comparison puts
  // its shown side back).
  std::function<void()> afterDeviceRead;
  // The connection indicator's value changed, or the status text may have.
  std::function<void()> onLinkChanged;
  // The session's amplifier changed: claimed (a plain "hid" now names one), or switched.
  std::function<void()> onDeviceChanged;
  // The amplifier refused the administrator log-in: the console must close.
  std::function<void()> onAdminRefused;

  Store& store() { return *store_; }
  // The undo history of the store's audio addresses, with its gesture timer on the scheduler.
  // It is cleared after every read of the device.
  UndoHistory& history() { return *history_; }
  Link& link() { return *link_; }
  Transfers& transfers() { return *transfers_; }
  UsbComm& usb() { return *usb_; }
  ProgressNotifier& notifier() { return notifier_; }
  Scheduler& scheduler() { return scheduler_; }
  // The session's link log (ui/session/link_log.h), which --trace and the frame's menu drive.
  LinkLog& linkLog() { return *linkLog_; }
  // The virtual amplifier and its port; null with a hid device.
  VirtualAmplifier* amplifier() { return amplifier_.get(); }
  VirtualHidPort* virtualPort() { return virtualPort_; }
  // The owned port; null without ownership.
  OwnedPort* ownedPort() { return owned_; }

 private:
  void RunStartSync();
  std::unique_ptr<HidPort> MakeInnerPort();
  void OnClaimed(bool isVirtual, const std::string& lockKey);
  void InstallHistoryHooks();

  ConsoleOptions options_;
  Scheduler& scheduler_;
  ProgressNotifier notifier_;
  std::unique_ptr<Store> store_;
  std::unique_ptr<UndoHistory> history_;
  Scheduler::TimerId gestureTimer_ = 0;
  Scheduler::TimerId startSyncKick_ = 0;  // runs the start-up read right after coming up
  std::unique_ptr<VirtualAmplifier> amplifier_;
  std::unique_ptr<HidPort> port_;
  OwnedPort* owned_ = nullptr;
  VirtualHidPort* virtualPort_ = nullptr;
  std::unique_ptr<VirtualStateSession> state_;
  std::string syncError_;  // the first failed sync of the virtual memory
  static constexpr int kStateSyncMs = 1000;
  Scheduler::TimerId syncTimer_ = 0;  // the virtual memory to the disk once changes pause
  std::unique_ptr<class ConsoleOwner> owner_;
  std::unique_ptr<UsbComm> usb_;
  std::unique_ptr<Link> link_;
  std::unique_ptr<Transfers> transfers_;
  std::unique_ptr<LinkLog> linkLog_;
  std::string stateError_;
  bool syncing_ = false;
  bool sending_ = false;
  std::vector<int> queued_;
  bool posting_ = false;     // a posted frame is on its way
  std::vector<int> posted_;  // posted addresses waiting for it, each once
  void PumpPosts();
  // What the amplifier acknowledged it holds: such an edit is not lost by the next read.
  void Acknowledged(int address, const std::vector<ParamRecord>& sent);
  bool deviceRead_ = false;  // the current mode number is known
  RecordTable lastRead_;     // the store as the last read (or the start) left it
  std::string savedEdits_;
  bool rightsLoggedIn_ = false;
  void KeepEditsBeforeRead();
  // The link or the status changed: the owner's listeners, then the window.
  void LinkChanged();
};

}  // namespace mirelune::ui
