#include "link/link.h"

#include <algorithm>
#include <cstring>

#include "model/store.h"

namespace mirelune {

Link::Link(Store& store, UsbComm& usb, Scheduler& scheduler, Notifier& notifier)
    : store_(store), usb_(usb), scheduler_(scheduler), notifier_(notifier) {
  usb_.DataArrival = [this](const std::vector<uint8_t>& data) { ParseReplyBytes(data); };
}

Link::~Link() {
  Stop();
  scheduler_.StopTimer(replyTimer_);
  usb_.DataArrival = nullptr;
}

void Link::Start() {
  if (tickTimer_ == 0) tickTimer_ = scheduler_.StartTimer(kTickMs, true, [this] { LinkTick(); });
  if (startSyncTimer_ == 0)
    startSyncTimer_ = scheduler_.StartTimer(kStartSyncMs, true, [this] { StartSyncTick(); });
}

void Link::Stop() {
  scheduler_.StopTimer(tickTimer_);
  scheduler_.StopTimer(startSyncTimer_);
  tickTimer_ = startSyncTimer_ = 0;
}

BuiltFrame Link::BuildFrame(int code, int mode, int address) {
  BuiltFrame f = mirelune::BuildFrame(code, mode, address, store_, ModeOverride, PasswordDigits);
  if (f.consumedModeOverride) ModeOverride = 0;
  return f;
}

void Link::Send(const std::vector<uint8_t>& bytes) {
  if (onTrace) onTrace(true, bytes);
  // A failed write is not an error of its own here: the transaction then waits out its reply
  // time and retries, the search and the sync byte simply go out again later.
  usb_.SendData(bytes);
}

bool Link::SendCommand(int code, int mode, int address) {
  lastError_.clear();
  const BuiltFrame frame = BuildFrame(code, mode, address);
  if (!frame) {
    lastError_ = "frame not built: " + frame.error;
    return false;
  }
  for (int budget = kSendAttempts; budget > 0; --budget) {
    parser_.Reset();
    Send(frame.bytes);
    Waiting = true;
    ReplyOk = false;
    if (WaitForReply()) return true;
    // Quitting ends the transaction at once: sending the frame eight more times while the
    // console closes would only delay the exit.
    if (Quitting) {
      lastError_ = "quitting";
      break;
    }
    if (!Online) break;
  }
  const bool warn = !Quitting && Online;
  if (lastError_.empty())
    lastError_ = Online ? "no reply after " + std::to_string(kSendAttempts) + " attempts"
                        : "link went offline";
  // Offline before the (modal) warning, so that nothing sent from inside the message box's
  // event loop waits for a device that has just been given up.
  Online = false;
  SetConnectStatus(SearchDisabled ? kStatusSwitchedOff : kStatusOffline);
  if (warn) notifier_.Warning(kLinkTimeoutText);
  return false;
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

void Link::ParseReplyBytes(const std::vector<uint8_t>& chunk) {
  for (uint8_t b : chunk) {
    switch (parser_.Push(b)) {
      case ReplyParser::Event::SyncByte:
        TicksSinceReply = 0;
        if (onTrace) onTrace(false, {kSyncByte});
        break;
      case ReplyParser::Event::EmptyFrame:
        if (onTrace)
          onTrace(false, std::vector<uint8_t>(parser_.LastFrame(), parser_.LastFrame() + 3));
        break;
      case ReplyParser::Event::Frame: {
        const int len = parser_.RxLength();
        if (onTrace)
          onTrace(false, std::vector<uint8_t>(parser_.LastFrame(), parser_.LastFrame() + len));
        if (Online) {
          Waiting = false;
          ReplyOk = true;
          scheduler_.StopTimer(replyTimer_);
          replyTimer_ = 0;
          break;
        }
        // A late answer to a search sent just before the user switched the link off must not
        // bring it up against the switch.
        const size_t idLen = std::strlen(kDeviceIdentifier);
        if (!SearchDisabled && len - 3 >= static_cast<int>(idLen) &&
            std::memcmp(parser_.Payload().data(), kDeviceIdentifier, idLen) == 0) {
          identifier_.assign(reinterpret_cast<const char*>(parser_.Payload().data()), idLen);
          Online = true;
          StartSyncPending = true;
          SetConnectStatus(kStatusOnline);
        }
        break;
      }
      default:
        break;
    }
  }
}

void Link::GoOffline() {
  Online = false;
  Waiting = false;
  ReplyOk = false;
  SetConnectStatus(kStatusOffline);
}

void Link::LinkTick() {
  if (Online) {
    if (++TicksSinceSync >= kSyncEveryTicks) {
      TicksSinceSync = 0;
      Send({kSyncByte});
      notifier_.ProgressNudge();
    }
    if (++TicksSinceReply > kLostAfterTicks) {
      // Offline first: the warning is modal and the ticks keep running under it.
      GoOffline();
      if (!Quitting) notifier_.Warning(kLinkTimeoutText);
    }
  } else {
    TicksSinceReply = 0;
    TicksSinceSync = 0;
  }

  if (Online || SearchDisabled) {
    TicksSinceSearch = 0;
  } else if (++TicksSinceSearch >= kSearchEveryTicks) {
    TicksSinceSearch = 0;
    parser_.Reset();
    Send(SearchFrame());
  }

  if (BlinkCounter >= 1 && ++BlinkCounter >= 5) {
    BlinkCounter = 1;
    BlinkPhase = !BlinkPhase;
    if (onBlink) onBlink();
  }
}

void Link::StartSyncTick() {
  if (!StartSyncPending) return;
  StartSyncPending = false;
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
  }
}

void Link::SetConnectStatus(int status) {
  connectStatus_ = status;
  if (onConnectStatus) onConnectStatus(status);
}

}  // namespace mirelune
