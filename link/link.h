// SPDX-License-Identifier: GPL-3.0-or-later
// Folder link/: command frames, reply parsing, link supervision and whole-mode transfers. May
// include: platform/ and what lies under it.
//
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
// Timing, all in milliseconds of Scheduler time. Each timer runs only while it has work, so an
// idle console online wakes once a second (the keep-alive) and an offline one only to search:
//   search 500:   offline with the link switch on: the search frame at Start and when the
//                 switch is turned on, then every 500 ms;
//   keep-alive 1000: online: the sync byte 0xFF every second, the first 1 s after coming up;
//   silence 5050: online: the link is lost 5050 ms (101 of the former 50 ms ticks) after coming
//                 up or after the last 0xFF from the device, whichever is later;
//   start-up sync 100: once, 100 ms after the identifier reply brought the link up, runs
//                 onStartSync (StartSyncTick may run it sooner);
//   blink 200:    only between StartBlink and StopBlink;
//   reply timeout 600: per attempt, 9 attempts in all;
//   late replies 5050: a new request waits for the replies still owed to earlier frames (a
//                 frame sent again, a reply lost) at most this long after the last frame went
//                 out; with nothing owed it waits not at all. See SendCommand.
//
// Replies carry no sequence numbers; the device answers every frame once, in order. A reply is
// taken as a request's answer only when it fits the request (reply_shape.h), and no request is
// sent while replies to earlier frames may still be on their way, so a late answer to one
// request is never taken for the answer to the next.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/frame_codec.h"
#include "link/reply_parser.h"
#include "link/reply_shape.h"
#include "link/usb_comm.h"
#include "platform/notifier.h"
#include "platform/scheduler.h"

namespace mirelune {

class Store;

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
  static constexpr int kSearchMs = kSearchEveryTicks * kTickMs;     // 500
  static constexpr int kKeepAliveMs = kSyncEveryTicks * kTickMs;    // 1000
  static constexpr int kBlinkMs = 4 * kTickMs;                      // 200
  static constexpr int kLostAfterTicks = 100;  // lost on the 101st tick's time without a 0xFF
  // A reply later than this after its frame is taken as lost. A device that answers later
  // echoes the sync byte as late, and the heartbeat declares such a link lost.
  static constexpr int kLateReplyWindowMs = (kLostAfterTicks + 1) * kTickMs;

  // store, usb, scheduler and notifier must outlive the Link. The constructor installs itself
  // as usb.DataArrival.
  Link(Store& store, UsbComm& usb, Scheduler& scheduler, Notifier& notifier);
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  // Starts the 50 ms base tick and the 100 ms start-up synchronisation timer and, when offline
  // and searching, sends the first search frame at once. Stop() stops them (the Link keeps
  // its state); Start() on a running link does nothing.
  void Start();
  void Stop();

  // ---- Transactions ----

  // Builds the frame (see BuildFrame in frame_codec.h), sends it and waits up to 600 ms for a
  // valid reply frame that fits the request (ExpectedReply in reply_shape.h); sends the same
  // bytes again up to 9 times in all while Online stays true. A reply that does not fit (the
  // identifier reply, a reply of another length) is not the answer: the wait goes on; only a
  // count-checked request (group and menu-flag reads) takes, when its attempt's 600 ms end
  // without a fitting reply, the last reply of another length as its answer (the caller's
  // count check then reports it).
  // Before the first send, replies still owed to earlier frames are waited for and dropped, at
  // most until kLateReplyWindowMs after the last frame went out (the rest count as lost).
  // Returns true when a fitting reply arrived; its payload is then in ReplyPayload() and its LEN
  // in RxLength() until the next request. Returns false:
  //  - when the frame cannot be built: nothing is sent, LastError() says why, no message, the
  //    link state is unchanged;
  //  - after 9 attempts without a fitting reply: the warning kLinkTimeoutText (unless Quitting,
  //    or the link already went offline), then Online = false and ConnectStatus offline;
  //  - at once when Quitting is set or the link goes offline during a wait (no warning).
  // Callers send only while Online. A request started while another waits (from an event
  // handler) shares the wait flags; whole-mode transfers prevent that by disabling input.
  bool SendCommand(int code, int mode, int address);

  // A transaction that does not wait (the graph's band sends, made from its draw tick): builds
  // the frame, sends it and returns at once. `done` runs once, from the event loop, with true
  // when a fitting reply came, false when the transaction ended without one: nine attempts
  // 600 ms apart unanswered (then with the warning and the link offline, as SendCommand), the
  // link went offline, or quitting. Replies still owed to earlier frames are awaited first, as
  // SendCommand does, without blocking.
  // Returns false, sending nothing and never calling `done`, when the frame cannot be built
  // (LastError says why), when offline or quitting, or while Busy(): at most one request is on
  // its way. A SendCommand made while a started one is on its way waits for it first.
  bool StartCommand(int code, int mode, int address, std::function<void(bool ok)> done);
  // A request is on its way: a SendCommand waits (or waits for its turn), or a started one has
  // not ended.
  bool Busy() const { return started_.active || endTimer_ != 0 || InWait || turnWaiters_ > 0; }

  // The frame SendCommand would send; consumes ModeOverride for codes 0-3 and 11. Pure apart
  // from that.
  BuiltFrame BuildFrame(int code, int mode, int address);

  // Why the last SendCommand returned false ("frame not built: ...", "no reply after 9
  // attempts", "no fitting reply after 9 attempts: ...", "link went offline", "quitting");
  // empty after a success.
  const std::string& LastError() const { return lastError_; }

  // ---- Replies ----

  // Feeds one chunk of received bytes (the data of one input report). Every 0xFF resets
  // restarts the silence timer. A valid frame whose payload starts with kDeviceIdentifier brings the link
  // up while offline and is ignored while online; any other frame ends the current wait when
  // it fits the request waiting. Every frame (valid, damaged or cut short) settles one reply
  // owed to a frame sent.
  void ParseReplyBytes(const std::vector<uint8_t>& chunk);

  // 5001 bytes; offsets 0 .. RxLength()-4 hold the payload of the last reply taken as an
  // answer. Later offsets keep what longer earlier answers left there.
  const std::array<uint8_t, ReplyParser::kPayloadSize>& ReplyPayload() const { return reply_; }
  int RxLength() const { return replyLength_; }
  // Command frames handed to the transport whose reply has not arrived yet (0 once the link
  // comes up, and after a new request gave up waiting for them).
  int RepliesOwed() const { return repliesOwed_; }
  // The identifier of the device that brought the link up last (the first 8 payload bytes of
  // its search reply); empty before.
  const std::string& DeviceIdentifierSeen() const { return identifier_; }

  // ---- Supervision ----

  void StartSyncTick();  // the start-up synchronisation, once per coming up (timer or caller)
  // The blink clock: BlinkPhase flips every 200 ms (onBlink) between these two.
  void StartBlink();
  void StopBlink();

  // The link switch (clicking the connection indicator): off -> SearchDisabled, Online false,
  // status 2; on -> status 0 and, while started, a search frame at once, then every 500 ms. ToggleLinkSwitch flips it.
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
  // The link has no request on its way any more: a SendCommand or a started transaction ended
  // and nothing else waits. Whoever keeps requests for StartCommand sends the next one here.
  std::function<void()> onFree;
  // Every frame or byte handed to the transport (sent = true: command frames, the search frame,
  // the sync byte) and every valid reply frame and 0xFF received (sent = false).
  std::function<void(bool sent, const std::vector<uint8_t>& bytes)> onTrace;

  Store& store() { return store_; }
  Scheduler& scheduler() { return scheduler_; }
  Notifier& notifier() { return notifier_; }
  UsbComm& usb() { return usb_; }

 private:
  bool WaitForReply();
  bool AwaitOwedReplies();
  // The started transaction: its next attempt, its end (`done` from a timer of its own).
  void SendStarted();
  void StartedTimedOut();
  void EndStarted(bool ok);
  void NoteFree();
  void SearchNow();
  void SetConnectStatus(int status);
  // Starts and stops the supervision timers for the state the link is in.
  void ArmTimers();
  void RestartSilence();
  void GoOffline();
  bool Send(const std::vector<uint8_t>& bytes);
  void OnFrame();
  void SettleOneReply();
  void DropPartialFrame();

  Store& store_;
  UsbComm& usb_;
  Scheduler& scheduler_;
  Notifier& notifier_;
  ReplyParser parser_;
  std::array<uint8_t, ReplyParser::kPayloadSize> reply_{};
  int replyLength_ = 0;
  ReplyShape expected_;       // of the request waiting
  std::string misfit_;        // the last reply of this request that did not fit, described
  std::vector<uint8_t> heldMisfit_;  // its payload, for a count-checked request (reply_shape.h)
  int repliesOwed_ = 0;
  int64_t lastFrameSentMs_ = 0;
  std::string lastError_;
  std::string identifier_;
  int connectStatus_ = kStatusOffline;
  bool running_ = false;  // between Start and Stop
  Scheduler::TimerId searchTimer_ = 0;
  Scheduler::TimerId keepAliveTimer_ = 0;
  Scheduler::TimerId silenceTimer_ = 0;
  Scheduler::TimerId startSyncTimer_ = 0;
  Scheduler::TimerId blinkTimer_ = 0;
  Scheduler::TimerId replyTimer_ = 0;
  struct Started {
    bool active = false;
    bool draining = false;  // waiting for the replies owed to earlier frames
    std::vector<uint8_t> bytes;
    ReplyShape shape;
    int attemptsLeft = 0;
    std::function<void(bool)> done;
  };
  Started started_;
  Scheduler::TimerId startedTimer_ = 0;  // its reply time-out or its wait for owed replies
  Scheduler::TimerId endTimer_ = 0;      // hands its end to `done` from the event loop
  int turnWaiters_ = 0;                  // SendCommands waiting for a started one to end
};

}  // namespace mirelune
