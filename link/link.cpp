// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link.h"

#include <algorithm>
#include <cstring>

#include "model/store.h"

namespace mirelune {

Link::Link(Store& store, UsbComm& usb, Scheduler& scheduler, Notifier& notifier)
    : store_(store), usb_(usb), scheduler_(scheduler), notifier_(notifier) {
  usb_.DataArrival = [this](const std::vector<uint8_t>& data) { ParseReplyBytes(data); };
  // No amplifier open, nothing to search: the transport's reconnect poll looks for one, and the
  // search goes out as soon as it is there.
  usb_.onPort = [this](bool open) {
    if (open)
      SearchNow();
    else
      ArmTimers();
  };
}

Link::~Link() {
  Stop();
  StopBlink();
  scheduler_.StopTimer(replyTimer_);
  scheduler_.StopTimer(startedTimer_);
  scheduler_.StopTimer(endTimer_);
  usb_.DataArrival = nullptr;
  usb_.onPort = nullptr;
}

void Link::Start() {
  if (running_) return;
  running_ = true;
  ArmTimers();
  SearchNow();
}

// A device that is there answers the first search within a few milliseconds; waiting for the
// search timer would only make every start (and every CLI command) half a second slower. The
// search timer starts again from here, so the next search follows 500 ms later as usual.
void Link::SearchNow() {
  if (Online || SearchDisabled || !running_) return;
  // Nothing open: the transport opens the port on demand; if that fails there is nothing to
  // search until its reconnect poll finds an amplifier (onPort).
  if (!usb_.IsConnected()) {
    usb_.Connect();  // when it opens, onPort comes back here with the port open
    return;
  }
  scheduler_.StopTimer(searchTimer_);
  searchTimer_ = 0;
  ArmTimers();
  DropPartialFrame();
  Send(SearchFrame());
}

void Link::Stop() {
  running_ = false;
  ArmTimers();
}

void Link::ArmTimers() {
  auto stop = [this](Scheduler::TimerId& t) {
    scheduler_.StopTimer(t);
    t = 0;
  };
  if (!running_) {
    stop(searchTimer_);
    stop(keepAliveTimer_);
    stop(silenceTimer_);
    stop(startSyncTimer_);
    return;
  }
  if (Online) {
    stop(searchTimer_);
    if (keepAliveTimer_ == 0)
      keepAliveTimer_ = scheduler_.StartTimer(kKeepAliveMs, true, [this] {
        Send({kSyncByte});
        notifier_.ProgressNudge();
      });
    if (silenceTimer_ == 0) RestartSilence();
    if (StartSyncPending && startSyncTimer_ == 0)
      startSyncTimer_ = scheduler_.StartTimer(kStartSyncMs, false, [this] {
        startSyncTimer_ = 0;
        StartSyncTick();
      });
  } else {
    stop(keepAliveTimer_);
    stop(silenceTimer_);
    stop(startSyncTimer_);
    if (SearchDisabled || !usb_.IsConnected()) {
      stop(searchTimer_);
    } else if (searchTimer_ == 0) {
      searchTimer_ = scheduler_.StartTimer(kSearchMs, true, [this] {
        DropPartialFrame();
        Send(SearchFrame());
      });
    }
  }
}

void Link::RestartSilence() {
  scheduler_.StopTimer(silenceTimer_);
  silenceTimer_ = scheduler_.StartTimer(kLateReplyWindowMs, false, [this] {
    silenceTimer_ = 0;
    // Offline first: the warning is modal and the timers keep running under it.
    GoOffline();
    if (!Quitting) notifier_.Warning(kLinkTimeoutText);
  });
}

void Link::StartBlink() {
  if (blinkTimer_ != 0) return;
  blinkTimer_ = scheduler_.StartTimer(kBlinkMs, true, [this] {
    BlinkPhase = !BlinkPhase;
    if (onBlink) onBlink();
  });
}

void Link::StopBlink() {
  scheduler_.StopTimer(blinkTimer_);
  blinkTimer_ = 0;
}

BuiltFrame Link::BuildFrame(int code, int mode, int address) {
  BuiltFrame f = mirelune::BuildFrame(code, mode, address, store_, ModeOverride, PasswordDigits);
  if (f.consumedModeOverride) ModeOverride = 0;
  return f;
}

bool Link::Send(const std::vector<uint8_t>& bytes) {
  if (onTrace) onTrace(true, bytes);
  // A failed write is not an error of its own here: the transaction then waits out its reply
  // time and retries, the search and the sync byte simply go out again later.
  return usb_.SendData(bytes);
}

bool Link::SendCommand(int code, int mode, int address) {
  lastError_.clear();
  misfit_.clear();
  heldMisfit_.clear();
  const BuiltFrame frame = BuildFrame(code, mode, address);
  if (!frame) {
    lastError_ = "frame not built: " + frame.error;
    return false;
  }
  // A started transaction on its way shares the wait flags: it ends first (its reply, or its
  // 600 ms attempts, are short), and no new one starts while this waits for its turn.
  if (started_.active) {
    ++turnWaiters_;
    scheduler_.WaitUntil([this] { return !started_.active || Quitting; });
    --turnWaiters_;
  }
  const ReplyShape shape = ExpectedReply(code, address, store_.Menu);
  bool drained = AwaitOwedReplies();
  bool ok = false;
  for (int budget = kSendAttempts; drained && budget > 0; --budget) {
    DropPartialFrame();
    if (Send(frame.bytes)) {
      ++repliesOwed_;
      lastFrameSentMs_ = scheduler_.NowMs();
    }
    expected_ = shape;
    Waiting = true;
    ReplyOk = false;
    if (WaitForReply()) {
      ok = true;
      break;
    }
    if (!heldMisfit_.empty() && Online && !Quitting) {
      // No reply of the right length within the attempt: the one of another length is this
      // request's answer, and the caller's count check reports it.
      std::copy(heldMisfit_.begin(), heldMisfit_.end(), reply_.begin());
      replyLength_ = static_cast<int>(heldMisfit_.size()) + 3;
      ok = true;
      break;
    }
    // Quitting ends the transaction at once: sending the frame eight more times while the
    // console closes would only delay the exit.
    if (Quitting) break;
    if (!Online) break;
  }
  if (ok) {
    NoteFree();
    return true;
  }
  const bool warn = !Quitting && Online;
  if (Quitting)
    lastError_ = "quitting";
  else if (!Online)
    lastError_ = "link went offline";
  else if (!misfit_.empty())
    lastError_ = "no fitting reply after " + std::to_string(kSendAttempts) + " attempts: " + misfit_;
  else
    lastError_ = "no reply after " + std::to_string(kSendAttempts) + " attempts";
  // Offline before the (modal) warning, so that nothing sent from inside the message box's
  // event loop waits for a device that has just been given up.
  Online = false;
  SetConnectStatus(SearchDisabled ? kStatusSwitchedOff : kStatusOffline);
  if (warn) notifier_.Warning(kLinkTimeoutText);
  NoteFree();
  return false;
}

void Link::NoteFree() {
  if (!Busy() && onFree) onFree();
}

bool Link::StartCommand(int code, int mode, int address, std::function<void(bool ok)> done) {
  if (!Online || Quitting || Busy()) return false;
  lastError_.clear();
  misfit_.clear();
  BuiltFrame frame = BuildFrame(code, mode, address);
  if (!frame) {
    lastError_ = "frame not built: " + frame.error;
    return false;
  }
  started_ = Started{};
  started_.active = true;
  started_.bytes = std::move(frame.bytes);
  started_.shape = ExpectedReply(code, address, store_.Menu);
  started_.attemptsLeft = kSendAttempts;
  started_.done = std::move(done);
  // Replies owed to earlier frames first, as SendCommand: until they are in, the next reply
  // may be one of them. Each one settled looks again (SettleOneReply); the window's end sends.
  const int64_t left = lastFrameSentMs_ + kLateReplyWindowMs - scheduler_.NowMs();
  if (repliesOwed_ > 0 && left > 0) {
    started_.draining = true;
    startedTimer_ = scheduler_.StartTimer(static_cast<int>(left), false, [this] {
      startedTimer_ = 0;
      started_.draining = false;
      repliesOwed_ = 0;  // what has not come by now is taken as lost
      SendStarted();
    });
    return true;
  }
  repliesOwed_ = 0;
  SendStarted();
  return true;
}

void Link::SendStarted() {
  if (!started_.active) return;
  if (Quitting || !Online) return EndStarted(false);
  --started_.attemptsLeft;
  DropPartialFrame();
  if (Send(started_.bytes)) {
    ++repliesOwed_;
    lastFrameSentMs_ = scheduler_.NowMs();
  }
  expected_ = started_.shape;
  Waiting = true;
  ReplyOk = false;
  scheduler_.StopTimer(startedTimer_);
  startedTimer_ = scheduler_.StartTimer(kReplyTimeoutMs, false, [this] {
    startedTimer_ = 0;
    StartedTimedOut();
  });
}

void Link::StartedTimedOut() {
  Waiting = false;
  ReplyOk = false;
  if (!Quitting && Online && started_.attemptsLeft > 0) return SendStarted();
  if (Quitting || !Online) return EndStarted(false);
  lastError_ = misfit_.empty() ? "no reply after " + std::to_string(kSendAttempts) + " attempts"
                               : "no fitting reply after " + std::to_string(kSendAttempts) + " attempts: " + misfit_;
  EndStarted(false);
  Online = false;
  SetConnectStatus(SearchDisabled ? kStatusSwitchedOff : kStatusOffline);
  notifier_.Warning(kLinkTimeoutText);
}

// `done` runs from a timer of its own, never from inside the reply's parsing or a state change
// of the link, so that it may send the next request at once.
void Link::EndStarted(bool ok) {
  if (!started_.active) return;
  std::function<void(bool)> done = std::move(started_.done);
  started_ = Started{};
  scheduler_.StopTimer(startedTimer_);
  startedTimer_ = 0;
  Waiting = false;
  if (!ok && Quitting) lastError_ = "quitting";
  else if (!ok && !Online && lastError_.empty()) lastError_ = "link went offline";
  // Busy() until `done` ran: one end at a time is handed over.
  endTimer_ = scheduler_.StartTimer(0, false, [this, done = std::move(done), ok] {
    endTimer_ = 0;
    if (done) done(ok);
    NoteFree();
  });
}

// The replies owed to earlier frames are on their way or lost; until they are in, the next
// reply may be one of them, and it would look like the answer to the frame about to be sent.
bool Link::AwaitOwedReplies() {
  if (repliesOwed_ == 0) return true;
  const int64_t left = lastFrameSentMs_ + kLateReplyWindowMs - scheduler_.NowMs();
  if (left > 0) {
    InWait = true;
    bool expired = false;
    const Scheduler::TimerId timer =
        scheduler_.StartTimer(static_cast<int>(left), false, [&expired] { expired = true; });
    scheduler_.WaitUntil([&] { return repliesOwed_ == 0 || expired || Quitting || !Online; });
    scheduler_.StopTimer(timer);
    InWait = false;
  }
  if (Quitting || !Online) return false;
  repliesOwed_ = 0;  // what has not come by now is taken as lost
  return true;
}

bool Link::WaitForReply() {
  InWait = true;
  scheduler_.StopTimer(replyTimer_);
  replyTimer_ = scheduler_.StartTimer(kReplyTimeoutMs, false, [this] {
    Waiting = false;
    ReplyOk = false;
  });
  const bool ended = scheduler_.WaitUntil([this] { return !Waiting || Quitting; });
  if (!ended) {
    // Only the virtual scheduler can run out of events; count it as a time-out.
    Waiting = false;
    ReplyOk = false;
  }
  scheduler_.StopTimer(replyTimer_);
  replyTimer_ = 0;
  InWait = false;
  return ReplyOk;
}

void Link::SettleOneReply() {
  if (repliesOwed_ > 0) --repliesOwed_;
  if (started_.active && started_.draining && repliesOwed_ == 0) {
    started_.draining = false;
    scheduler_.StopTimer(startedTimer_);
    startedTimer_ = 0;
    // Not from inside the parsing of this reply: the send goes out from the event loop.
    startedTimer_ = scheduler_.StartTimer(0, false, [this] {
      startedTimer_ = 0;
      SendStarted();
    });
  }
}

// A frame cut short is still the one reply some frame got: its tail is ignored up to the next
// FE, so counting it keeps the owed replies in step.
void Link::DropPartialFrame() {
  if (parser_.InFrame()) SettleOneReply();
  parser_.Reset();
}

void Link::ParseReplyBytes(const std::vector<uint8_t>& chunk) {
  for (uint8_t b : chunk) {
    if (b == kFrameStart && parser_.InFrame()) SettleOneReply();  // the new FE cuts it short
    switch (parser_.Push(b)) {
      case ReplyParser::Event::SyncByte:
        if (Online && running_) RestartSilence();
        if (onTrace) onTrace(false, {kSyncByte});
        break;
      case ReplyParser::Event::EmptyFrame:
        SettleOneReply();
        if (onTrace)
          onTrace(false, std::vector<uint8_t>(parser_.LastFrame(), parser_.LastFrame() + 3));
        break;
      case ReplyParser::Event::BadChecksum:
      case ReplyParser::Event::BadLength:
        SettleOneReply();
        break;
      case ReplyParser::Event::Frame:
        OnFrame();
        break;
      case ReplyParser::Event::None:
        break;
    }
  }
}

void Link::OnFrame() {
  const int len = parser_.RxLength();
  const int payloadLength = len - 3;
  const uint8_t* payload = parser_.Payload().data();
  if (onTrace) onTrace(false, std::vector<uint8_t>(parser_.LastFrame(), parser_.LastFrame() + len));
  if (IsIdentifierReply(payload, payloadLength)) {
    // It answers a search frame. Online it is late (several searches went out before the
    // first answer came) and answers nothing that is waiting now. A late answer to a search
    // sent just before the user switched the link off must not bring it up against the switch.
    if (Online || SearchDisabled) return;
    identifier_.assign(reinterpret_cast<const char*>(payload), std::strlen(kDeviceIdentifier));
    Online = true;
    StartSyncPending = true;
    // The device answers in order and this search went out after every command frame of the
    // last time online: whatever those frames were owed has come or is lost.
    repliesOwed_ = 0;
    SetConnectStatus(kStatusOnline);
    return;
  }
  SettleOneReply();
  if (!Online || !Waiting) return;
  if (!expected_.Fits(payloadLength)) {
    misfit_ = "a reply of " + std::to_string(payloadLength) + " payload bytes where " +
              (expected_.atLeast ? "at least " : "") + std::to_string(expected_.payloadBytes) +
              " were expected";
    if (expected_.countChecked && payloadLength >= 1) heldMisfit_.assign(payload, payload + payloadLength);
    return;
  }
  // A copy: the rest of this chunk may hold another frame, which must not replace the answer.
  std::copy(payload, payload + payloadLength, reply_.begin());
  replyLength_ = len;
  Waiting = false;
  ReplyOk = true;
  scheduler_.StopTimer(replyTimer_);
  replyTimer_ = 0;
  if (started_.active && !started_.draining) EndStarted(true);
}

void Link::GoOffline() {
  Online = false;
  Waiting = false;
  ReplyOk = false;
  SetConnectStatus(kStatusOffline);
}

void Link::StartSyncTick() {
  if (!StartSyncPending) return;
  StartSyncPending = false;
  scheduler_.StopTimer(startSyncTimer_);
  startSyncTimer_ = 0;
  if (onStartSync) onStartSync();
}

void Link::SetLinkSwitch(bool on) {
  if (on == LinkSwitchOn()) return;
  if (!on) {
    SearchDisabled = true;
    Online = false;
    SetConnectStatus(kStatusSwitchedOff);
  } else {
    SearchDisabled = false;
    SetConnectStatus(kStatusOffline);
    // Only while running: a stopped link (the console closing) sends nothing.
    SearchNow();
  }
}

void Link::SetConnectStatus(int status) {
  connectStatus_ = status;
  // A started transaction does not outlive the link it went out on.
  if (status != kStatusOnline) EndStarted(false);
  ArmTimers();
  if (onConnectStatus) onConnectStatus(status);
}

}  // namespace mirelune
