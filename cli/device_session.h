// SPDX-License-Identifier: GPL-3.0-or-later
// The device session of a CLI command: the port chosen by --device, the scheduler, the link
// with --trace on stdout, and bringing the link up within a time limit. Plain C++: the
// scheduler and the ports of real amplifiers come from the program's SessionPlatform (Qt's in
// the tool, one without Qt where `get` and `set` run without it).
//
//   return RunOnDevice(ctx, "info", [&](DeviceSession& s) {
//     if (!s.Connect()) return kExitFailed;     // the reason is already on stderr
//     s.link().SendCommand(ReadStatus, 0, 0);
//     ...
//   });
//
// With --device virtual the session holds the virtual amplifier's state lock from its start to
// Finish, which saves what the command changed; a failed save turns the command's status into
// a failure, so no command reports success for a change that was not kept. The start-up
// synchronisation is not run: commands read what they need themselves, as soon as the link is
// up.
//
// `run` keeps one session for a whole script (Context::shared): RunOnDevice then hands the
// same session to every device command, Connect returns at once while the link is up, and the
// state is saved once, when the script ends. What the commands learnt of the amplifier (its
// current mode, the menu kinds read) is kept in `known` for the next `set` or `get`; any other
// command may change the amplifier behind it and forgets it.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "cli/command.h"
#include "link/link.h"
#include "owner/device_address.h"
#include "owner/device_lock.h"
#include "model/store.h"
#include "platform/hid_port.h"
#include "platform/scheduler.h"
#include "platform/stderr_notifier.h"

namespace mirelune {
class VirtualAmplifier;
class VirtualStateSession;
class OwnedPort;
}

namespace mirelune::cli {

// What a device session takes from the program it runs in. Called on the thread the session
// runs on; the scheduler is that thread's.
class SessionPlatform {
 public:
  virtual ~SessionPlatform() = default;
  virtual std::unique_ptr<Scheduler> NewScheduler() = 0;
  // A port of a real amplifier, and the list of those attached (as HidapiPort gives them).
  virtual std::unique_ptr<HidPort> NewHidPort() = 0;
  virtual std::vector<HidDeviceInfo> Amplifiers(uint16_t vendor, uint16_t product) = 0;
};
// Process-wide, set once at the start before any session; `platform` must outlive them.
void UseSessionPlatform(SessionPlatform& platform);

// A virtual amplifier's memory locked by another program is waited for as the amplifier itself
// is: said at once on stderr, for at most --wait (SetStateLockWait, process-wide). `options`
// must outlive the command.
void SayStateLockWaits(const std::string& command, const Options& options);

// Why --device names no amplifier that can be used (ResolveDevices' reason), in the tool's
// language; a reason it does not know stays as it is.
std::string DeviceChoiceText(const std::string& error, const DeviceChoiceFailure& why);

class DeviceSession {
 public:
  static constexpr int kConnectLimitMs = 3000;

  // `command` names the command in error lines ("mirelune-cli info: ..."). A bad --faults
  // text or a virtual amplifier state that cannot be loaded (locked out, damaged) leaves the
  // session unusable: Ok() false, the reason already on stderr.
  DeviceSession(Context& ctx, std::string command);
  // Stops the link; saves nothing (Finish does).
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  bool Ok() const { return link_ != nullptr; }

  // The amplifier is owned by a program that serves requests (the console): the session holds
  // no link, and the command goes through the owner's socket or says who holds it.
  bool ThroughOwner() const { return !ownerSocket_.empty(); }
  const std::string& OwnerSocket() const { return ownerSocket_; }
  const LockHolder& Holder() const { return holder_; }
  // The amplifier the session works on ("virtual:a", "hid:0042").
  const DeviceTarget& Target() const { return target_; }

  // Opens the amplifier and waits for its answer to the search frame (sent at once), at most
  // limitMs of real time; returns true at once while the link is up. On failure prints why
  // (no amplifier, no permission, in use, no answer) and returns false.
  bool Connect(int limitMs = kConnectLimitMs);

  // Sends one request; on failure prints "<what>: <reason>" and returns false.
  bool Request(int code, int mode, int address, const std::string& what);

  // Prints who owns the amplifier, for a command that cannot go through the owner.
  void FailOwned();

  // Prints "mirelune-cli COMMAND: text" on stderr.
  void Fail(const std::string& text);
  // The same for a note on the way (a wait), which is no failure.
  void Note(const std::string& text);
  // The text of the last Fail.
  const std::string& LastError() const { return lastError_; }
  const Options& options() const { return ctx_.options; }

  // Ends the session: saves the virtual amplifier's state when it changed and
  // releases its lock. Returns `status`, or kExitFailed when the save failed (the reason on
  // stderr). Later calls return the first result.
  int Finish(int status);

  // The command named in error lines from now on (a script runs several on one session).
  void SetCommand(std::string command) { command_ = std::move(command); }

  // What the session has read from the amplifier and may trust, since only its own commands
  // changed it: the current mode (-1 unknown) and the (kind, slot, mode) reads in the store.
  struct Known {
    int mode = -1;
    std::set<std::tuple<int, int, int>> kinds;
  };
  Known known;

  Store& store() { return *store_; }
  Link& link() { return *link_; }
  StderrNotifier& notifier() { return *notifier_; }

 private:
  Context& ctx_;
  std::string command_;
  std::string lastError_;
  std::unique_ptr<Store> store_;
  std::unique_ptr<Scheduler> scheduler_;
  std::unique_ptr<StderrNotifier> notifier_;
  std::unique_ptr<VirtualAmplifier> amplifier_;
  std::unique_ptr<VirtualStateSession> state_;
  bool finished_ = false;
  int finishStatus_ = 0;
  DeviceTarget target_;
  std::string ownerSocket_;
  LockHolder holder_;
  std::unique_ptr<OwnedPort> port_;
  std::unique_ptr<UsbComm> usb_;
  std::unique_ptr<Link> link_;
};

// Runs `body` on a fresh session and returns its status through Finish; kExitFailed when the
// session could not be set up. Inside `run` (ctx.shared set) `body` runs on the script's
// session and its status is returned as it is; the notifier's answers the body installed are
// put back afterwards, and unless the command only reads or sets parameters (info, get, set)
// what the session knew of the amplifier is forgotten.
// The --faults items that apply to `target` joined into one list: unprefixed ones apply to
// every virtual amplifier, "NAME:ITEMS" to virtual:NAME only.
std::string FaultsFor(const Options& options, const DeviceTarget& target);

// When another program owns the amplifier and serves requests, `throughOwner` runs instead
// of `body` (set, get and info give one); without it the command fails naming the owner.
int RunOnDevice(Context& ctx, const std::string& command,
                const std::function<int(DeviceSession&)>& body,
                const std::function<int(DeviceSession&)>& throughOwner = {});

}  // namespace mirelune::cli
