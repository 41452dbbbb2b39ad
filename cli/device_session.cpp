#include "cli/device_session.h"

#include <QCoreApplication>
#include <ostream>

#include "link/frame_codec.h"
#include "platform/hidapi_port.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_faults.h"
#include "sim/virtual_hid_port.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {

namespace {
int g_argc = 1;
char g_name[] = "mirelune-cli";
char* g_argv[] = {g_name, nullptr};
}  // namespace

DeviceSession::DeviceSession(Context& ctx, std::string command)
    : ctx_(ctx), command_(std::move(command)) {
  if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(g_argc, g_argv);
  store_ = std::make_unique<Store>();
  store_->InitDefaults();
  scheduler_ = std::make_unique<QtScheduler>();
  notifier_ = std::make_unique<StderrNotifier>(ctx.err);

  if (ctx.options.device == "virtual") {
    VirtualFaults faults;
    std::string error;
    if (!ParseFaultSpec(ctx.options.virtualFaults, faults, error)) {
      Fail("--faults: " + error);
      return;
    }
    amplifier_ = std::make_unique<VirtualAmplifier>(faults.administrator);
    // The virtual amplifier keeps its memory between runs, as a real one does; the state stays
    // locked until Finish, so a command running at the same time waits instead of losing
    // this one's changes or reading a half-made state.
    state_ = std::make_unique<VirtualStateSession>(VirtualStatePath());
    const auto waiting = [this] {
      ctx_.err << "mirelune-cli " << command_
               << ": waiting for another program using the virtual amplifier\n" << std::flush;
    };
    if (!state_->Open(*amplifier_, error, waiting)) {
      Fail(error);
      state_.reset();
      return;
    }
    port_ = std::make_unique<VirtualHidPort>(*amplifier_, *scheduler_, faults);
  } else {
    if (!ctx.options.virtualFaults.empty()) {
      Fail("--faults applies to --device virtual only");
      return;
    }
    port_ = std::make_unique<HidapiPort>();
  }
  usb_ = std::make_unique<UsbComm>(*port_, *scheduler_);
  link_ = std::make_unique<Link>(*store_, *usb_, *scheduler_, *notifier_);
  if (ctx.options.trace) {
    link_->onTrace = [this](bool sent, const std::vector<uint8_t>& bytes) {
      ctx_.out << (sent ? "> " : "< ") << HexBytes(bytes) << "\n" << std::flush;
    };
  }
  // The management password prompt of a terminal session: --password, checked by the device.
  notifier_->passwordPrompt = [this](int inputType) {
    if (!ctx_.options.hasPassword) return false;
    const std::string& pw = ctx_.options.password;
    const int slot = inputType == 0 ? 1 : 2;
    if (pw.size() != static_cast<size_t>(PasswordLength(slot))) return false;
    for (size_t i = 0; i < pw.size(); ++i) {
      if (pw[i] < '0' || pw[i] > '9') return false;
      link_->PasswordDigits[i] = static_cast<uint8_t>(pw[i] - '0');
    }
    return link_->SendCommand(Password, slot, kPasswordCheck) &&
           link_->ReplyPayload()[1] == 0x53;
  };
}

DeviceSession::~DeviceSession() {
  // The link and the transport stop their timers before the scheduler goes.
  link_.reset();
  usb_.reset();
  port_.reset();
}

int DeviceSession::Finish(int status) {
  if (finished_) return finishStatus_;
  finished_ = true;
  // Nothing runs any more: the event loop only turns inside the command's waits.
  std::string error;
  if (state_ && !state_->Close(*amplifier_, error)) {
    Fail("the virtual amplifier's state was not saved: " + error);
    status = kExitFailed;
  }
  state_.reset();
  finishStatus_ = status;
  return status;
}

int RunOnDevice(Context& ctx, const std::string& command,
                const std::function<int(DeviceSession&)>& body) {
  if (ctx.shared) {
    DeviceSession& s = *ctx.shared;
    s.SetCommand(command);
    // A command's prompts capture its own objects, which end with it.
    const auto prompt = s.notifier().passwordPrompt;
    const auto question = s.notifier().questionAnswer;
    const int status = body(s);
    s.notifier().passwordPrompt = prompt;
    s.notifier().questionAnswer = question;
    if (command != "info" && command != "get" && command != "set") s.known = {};
    return status;
  }
  DeviceSession s(ctx, command);
  if (!s.Ok()) return s.Finish(kExitFailed);
  return s.Finish(body(s));
}

void DeviceSession::Fail(const std::string& text) {
  ctx_.err << "mirelune-cli " << command_ << ": " << text << "\n" << std::flush;
}

bool DeviceSession::Connect(int limitMs) {
  if (!Ok()) return false;
  if (link_->Online) return true;
  known = {};
  usb_->Start();
  link_->Start();
  const int64_t deadline = scheduler_->NowMs() + limitMs;
  // The link's 50 ms tick wakes the wait, so the deadline is checked at least that often.
  scheduler_->WaitUntil([&] { return link_->Online || scheduler_->NowMs() >= deadline; });
  if (link_->Online) return true;
  if (!usb_->IsConnected())
    Fail(DescribeOpenResult(usb_->LastOpenResult(), usb_->Vendor(), usb_->Product()));
  else
    Fail("the amplifier is connected but did not answer the search frame within " +
         std::to_string(limitMs) + " ms");
  return false;
}

bool DeviceSession::Request(int code, int mode, int address, const std::string& what) {
  if (link_->Online && link_->SendCommand(code, mode, address)) return true;
  if (link_->LastError().rfind("frame not built", 0) == 0) {
    Fail("cannot send " + what + ": " + link_->LastError());
    return false;
  }
  Fail("the amplifier did not acknowledge " + what +
       (link_->LastError().empty() ? "" : " (" + link_->LastError() + ")"));
  return false;
}

}  // namespace mirelune::cli
