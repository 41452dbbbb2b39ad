// The device link: command transactions, reply dispatch and link supervision.
//
// One Link per session (console, CLI command, test). It owns the reply parser and the link
// state, builds frames from the Store, sends them through UsbComm and waits for the
// acknowledgement in a nested wait of the Scheduler.
//
// Wiring (production):     UsbComm usb(port, sched); Link link(store, usb, sched, notifier);
//                          usb.Start(); link.Start();
// Wiring (tests, virtual): auto rig = std::make_unique<VirtualRig>();   // sim/virtual_rig.h
//                          rig->BringUp();  rig->link.SendCommand(ReadStatus, 0, 0);
//
// Thread: UI thread only. Every entry point may be called from inside a nested wait (a timer,
// a reply, a user event during SendCommand); see SendCommand for what that means.
//
// Timing, all in milliseconds of Scheduler time:
//   base tick 50: offline and searching, the search frame every 10th tick (500 ms); online,
//                 the sync byte 0xFF every 20th tick (1 s, the first 1 s after coming up) and
//                 the link is lost on the 101st tick without a 0xFF from the device;
//   start-up sync 100: runs onStartSync once after the identifier reply brought the link up;
//   reply timeout 600: per attempt, 9 attempts in all.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/frame_codec.h"
#include "link/reply_parser.h"
#include "link/usb_comm.h"
#include "platform/notifier.h"
#include "platform/scheduler.h"

namespace mirelune {

class Store;

// The device's answer to the search frame starts with these eight bytes.
inline constexpr char kDeviceIdentifier[] = "_LM-R52Z";

// The time-out warning, shown once when a request gives up or the heartbeat stops.
inline constexpr char kLinkTimeoutText[] = "与目标通信连接超时，已断开连接。";

// cmdConnectStatus values.
enum ConnectStatus : int { kStatusOffline = 0, kStatusOnline = 1, kStatusSwitchedOff = 2 };

class Link {
 public:
  static constexpr int kTickMs = 50;
  static constexpr int kStartSyncMs = 100;
  static constexpr int kReplyTimeoutMs = 600;
  static constexpr int kSendAttempts = 9;
  static constexpr int kSearchEveryTicks = 10;
  static constexpr int kSyncEveryTicks = 20;
  static constexpr int kLostAfterTicks = 100;  // lost when TicksSinceReply exceeds this

  // store, usb, scheduler and notifier must outlive the Link. The constructor installs itself
  // as usb.DataArrival.
  Link(Store& store, UsbComm& usb, Scheduler& scheduler, Notifier& notifier);
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  // Starts the 50 ms base tick and the 100 ms start-up synchronisation timer. Stop() stops
  // them (the Link keeps its state).
  void Start();
  void Stop();

  // ---- Transactions ----

  // Builds the frame (see BuildFrame in frame_codec.h), sends it and waits up to 600 ms for any
  // valid reply frame; sends the same bytes again up to 9 times in all while Online stays true.
  // Returns true when a reply arrived; its payload is then in ReplyPayload() and its LEN in
  // RxLength() until the next request. Returns false:
  //  - when the frame cannot be built: nothing is sent, LastError() says why, no message, the
  //    link state is unchanged;
  //  - after 9 unanswered attempts: the warning kLinkTimeoutText (unless Quitting, or the link
  //    already went offline), then Online = false and ConnectStatus offline;
  //  - at once when Quitting is set or the link goes offline during a wait (no warning).
  // Callers send only while Online. A request started while another waits (from an event
  // handler) shares the wait flags; whole-mode transfers prevent that by disabling input.
  bool SendCommand(int code, int mode, int address);

  // The frame SendCommand would send; consumes ModeOverride for codes 0-3 and 11. Pure apart
  // from that.
  BuiltFrame BuildFrame(int code, int mode, int address);

  // Why the last SendCommand returned false ("frame not built: ...", "no reply after 9
  // attempts", "link went offline", "quitting"); empty after a success.
  const std::string& LastError() const { return lastError_; }

  // ---- Replies ----

  // Feeds one chunk of received bytes (the data of one input report). Every 0xFF resets
  // TicksSinceReply; every valid frame with payload ends the current wait while Online, or,
  // while offline, brings the link up when its payload starts with kDeviceIdentifier.
  void ParseReplyBytes(const std::vector<uint8_t>& chunk);

  // 5001 bytes; offsets 0 .. RxLength()-4 hold the last valid reply's payload.
  const std::array<uint8_t, ReplyParser::kPayloadSize>& ReplyPayload() const {
    return parser_.Payload();
  }
  int RxLength() const { return parser_.RxLength(); }
  // The identifier of the device that brought the link up last (the first 8 payload bytes of
  // its search reply); empty before.
  const std::string& DeviceIdentifierSeen() const { return identifier_; }

  // ---- Supervision ----

  void LinkTick();       // the 50 ms base tick; public for tests that drive it by hand
  void StartSyncTick();  // the 100 ms start-up synchronisation timer

  // The link switch (clicking the connection indicator): off -> SearchDisabled, Online false,
  // status 2; on -> status 0, searching resumes within 500 ms. ToggleLinkSwitch flips it.
  void SetLinkSwitch(bool on);
  void ToggleLinkSwitch() { SetLinkSwitch(!LinkSwitchOn()); }
  bool LinkSwitchOn() const { return !SearchDisabled; }
  int ConnectStatusValue() const { return connectStatus_; }

  // ---- State shared with the transfers and the windows (process-wide flags) ----

  bool Online = false;          // the device answered a search and has not been lost since
  bool SearchDisabled = false;  // set by the link switch
  bool Quitting = false;        // set by the exit command: ends every wait, no time-out warning
  bool InWait = false;          // true exactly while SendCommand waits
  bool Waiting = false;         // the current attempt still waits
  bool ReplyOk = false;         // the current attempt got its reply
  bool StartSyncPending = false;
  int32_t TicksSinceReply = 0;
  int32_t TicksSinceSync = 0;
  int32_t TicksSinceSearch = 0;
  int32_t BlinkCounter = 0;     // 0 off; 1..4 ticks into the blink phase (graph starts it at 1)
  bool BlinkPhase = false;
  // One-shot mode byte for the next frame of code 0-3 or 11; 0 = none.
  int32_t ModeOverride = 0;
  // Digit values 0..9, filled by the caller before a Password request.
  PasswordBuffer PasswordDigits{};

  // ---- Hooks (all optional, called on the UI thread) ----

  // The start-up synchronisation: called from the 100 ms timer after the link came up (once
  // per coming up). It may run transactions; the base tick keeps running meanwhile.
  std::function<void()> onStartSync;
  // The connection indicator's value changed (ConnectStatus).
  std::function<void(int status)> onConnectStatus;
  // The graph's blinking element must be redrawn (BlinkPhase flipped).
  std::function<void()> onBlink;
  // Every frame or byte handed to the transport (sent = true: command frames, the search frame,
  // the sync byte) and every valid reply frame and 0xFF received (sent = false).
  std::function<void(bool sent, const std::vector<uint8_t>& bytes)> onTrace;

  Store& store() { return store_; }
  Scheduler& scheduler() { return scheduler_; }
  Notifier& notifier() { return notifier_; }
  UsbComm& usb() { return usb_; }

 private:
  bool WaitForReply();
  void SetConnectStatus(int status);
  void GoOffline();
  void Send(const std::vector<uint8_t>& bytes);

  Store& store_;
  UsbComm& usb_;
  Scheduler& scheduler_;
  Notifier& notifier_;
  ReplyParser parser_;
  std::string lastError_;
  std::string identifier_;
  int connectStatus_ = kStatusOffline;
  Scheduler::TimerId tickTimer_ = 0;
  Scheduler::TimerId startSyncTimer_ = 0;
  Scheduler::TimerId replyTimer_ = 0;
};

}  // namespace mirelune
