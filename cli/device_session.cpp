// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/device_session.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <ostream>
#include <thread>

#include "link/frame_codec.h"
#include "owner/owned_port.h"
#include "platform/hid_discovery.h"
#include "platform/text.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_faults.h"
#include "sim/virtual_hid_port.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {
namespace {
SessionPlatform* g_platform = nullptr;
}  // namespace

void UseSessionPlatform(SessionPlatform& platform) { g_platform = &platform; }

void SayStateLockWaits(const std::string& command, const Options& options) {
  SetStateLockWait({options.waitMs, [command, &options](const std::string& file, const std::string& holder) {
                      std::cerr << "mirelune-cli " + command + ": waiting for the virtual amplifier's memory (" +
                                       file + "), which " + holder + " has locked; " + WaitLimitText(options) + "\n"
                                << std::flush;
                    }});
}

DeviceSession::DeviceSession(Context& ctx, std::string command)
    : ctx_(ctx), command_(std::move(command)) {
  store_ = std::make_unique<Store>();
  store_->InitDefaults();
  if (!g_platform) {
    Fail("this program set up no platform for device sessions");
    return;
  }
  scheduler_ = g_platform->NewScheduler();
  notifier_ = std::make_unique<StderrNotifier>(ctx.err);

  std::vector<DeviceAddress> addresses;
  std::vector<DeviceTarget> targets;
  std::string error;
  DeviceCandidates candidates;
  if (!ParseDeviceList(ctx.options.device, addresses, error)) {
    Fail("--device: " + error);
    return;
  }
  for (const DeviceAddress& a : addresses)
    if (a.kind != DeviceAddress::Kind::Virtual && candidates.hid.empty())
      candidates.hid = g_platform->Amplifiers(kAmplifierVendorId, kAmplifierProductId);
  DeviceChoiceFailure why;
  if (!ResolveDevices(addresses, candidates, false, targets, error, &why)) {
    Fail(DeviceChoiceText(error, why));
    return;
  }
  target_ = targets.front();
  const std::string faultList = FaultsFor(ctx.options, target_);
  if (!target_.isVirtual && !faultList.empty()) {
    Fail("--faults applies to --device virtual only");
    return;
  }
  std::unique_ptr<HidPort> inner;
  VirtualFaults faults;
  if (target_.isVirtual) {
    if (!ParseFaultList(faultList, faults, error)) {
      Fail("--faults: " + error);
      return;
    }
    amplifier_ = std::make_unique<VirtualAmplifier>(faults.administrator);
    inner = std::make_unique<VirtualHidPort>(*amplifier_, *scheduler_, faults);
  } else {
    inner = g_platform->NewHidPort();
    if (!inner) {
      Fail("this program opens no USB amplifier");
      return;
    }
  }
  port_ = std::make_unique<OwnedPort>(std::move(inner), addresses.front(), "mirelune-cli " + command_,
                                      false);
  std::string loadError;
  port_->onClaimed = [&](const DeviceTarget& t) {
    if (!t.isVirtual) return;
    // The virtual amplifier keeps its memory between runs, as a real one does: loaded once it
    // is ours, saved after every change it acknowledges.
    state_ = std::make_unique<VirtualStateSession>(VirtualStatePath(t.virtualName));
    if (!state_->Open(*amplifier_, loadError)) {
      state_.reset();
      return;
    }
    state_->KeepEveryChange(*amplifier_);
  };
  bool told = false;
  const auto waitStart = std::chrono::steady_clock::now();
  while (true) {
    const HidOpenResult claimed = port_->Claim(kAmplifierVendorId, kAmplifierProductId);
    if (claimed) break;
    if (claimed.status != HidOpenStatus::Busy) {
      Fail(claimed.detail);
      return;
    }
    holder_ = port_->Holder();
    if (!holder_.socket.empty()) {
      ownerSocket_ = holder_.socket;
      return;
    }
    // Another command of this tool: it ends by itself, so this one takes its turn after it -
    // within the time the user allows.
    if (!told)
      Note(Text(InContext("Cli", "正在等待 %1，它正在使用 %2；"), {holder_.Text(), target_.Label()}) +
           WaitLimitText(ctx_.options));
    told = true;
    if (std::chrono::steady_clock::now() - waitStart >= std::chrono::milliseconds(ctx_.options.waitMs)) {
      Fail(Text(InContext("Cli", "等待 %1 秒后放弃：%2 仍占用 %3"),
                {std::to_string(ctx_.options.waitMs / 1000), holder_.Text(), target_.Label()}));
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  port_->onClaimed = nullptr;
  if (!port_->LockError().empty())
    Note(Text(InContext("Cli", "注意：功放在没有锁的情况下使用（%1）；别的程序可能同时使用它"),
              {port_->LockError()}));
  if (!loadError.empty()) {
    Fail(loadError);
    port_.reset();
    return;
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

std::string FaultsFor(const Options& options, const DeviceTarget& target) {
  std::string list;
  for (const std::string& given : options.faultLists) {
    const FaultArgument a = SplitFaultArgument(given);
    if (!a.name.empty() && (!target.isVirtual || target.virtualName != a.name)) continue;
    if (a.items.empty()) continue;
    list += (list.empty() ? "" : ",") + a.items;
  }
  return list;
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
  std::string saveError = state_ ? state_->SaveError() : std::string();
  if (state_ && !state_->Close(*amplifier_, error) && saveError.empty()) saveError = error;
  if (!saveError.empty()) {
    Fail(Text(InContext("Cli", "虚拟功放的状态没有保存：%1"), {saveError}));
    status = kExitFailed;
  }
  if (amplifier_) amplifier_->onMemoryChanged = nullptr;  // it keeps no memory any more
  state_.reset();
  if (port_) port_->Release();
  // A warning printed on the way (a reply that timed out, the link lost for a moment) reads as
  // a failure; when everything was acknowledged after all, say so.
  if (status == kExitOk && notifier_ && notifier_->problems > 0)
    Note(Text(InContext("Cli", "上面的警告之后已恢复：全部修改都已确认")));
  finishStatus_ = status;
  return status;
}

int RunOnDevice(Context& ctx, const std::string& command,
                const std::function<int(DeviceSession&)>& body,
                const std::function<int(DeviceSession&)>& throughOwner) {
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
  if (s.ThroughOwner()) {
    if (throughOwner) return s.Finish(throughOwner(s));
    s.FailOwned();
    return s.Finish(kExitFailed);
  }
  if (!s.Ok()) return s.Finish(kExitFailed);
  return s.Finish(body(s));
}

namespace {

// Why no amplifier could be opened, in the tool's language: the console's status line says the
// same in the same words.
std::string OpenFailureText(const HidOpenResult& r, uint16_t vendor, uint16_t product) {
  char ids[16];
  std::snprintf(ids, sizeof ids, "%04X:%04X", vendor, product);
  const char* text = "";
  switch (r.status) {
    case HidOpenStatus::Opened: text = "已打开功放（USB %1）"; break;
    case HidOpenStatus::NotFound: text = "未连接功放（USB %1）"; break;
    case HidOpenStatus::PermissionDenied:
      text = "已连接功放（USB %1），但当前用户无权打开它；请把 scripts/70-mirelune-amplifier.rules "
             "装入 /etc/udev/rules.d 后重新插上";
      break;
    case HidOpenStatus::Busy: text = "已连接功放（USB %1），但它正被其他程序使用"; break;
    case HidOpenStatus::Failed: text = "已连接功放（USB %1），但打开失败"; break;
  }
  std::string out = Text(text, {ids});
  if (!r.detail.empty()) out += " (" + r.detail + ")";
  return out;
}

}  // namespace

void DeviceSession::FailOwned() {
  Fail(Text(InContext("Cli", "%1 正被 %2 使用；请先在那里关闭它（set、get 和 info 经由它执行）"),
            {target_.Label(), holder_.Text()}));
}

std::string DeviceChoiceText(const std::string& error, const DeviceChoiceFailure& why) {
  switch (why.kind) {
    case DeviceChoiceFailure::Kind::NoneConnected: return Text("未连接功放（USB %1）", {"2E3C:0D07"});
    case DeviceChoiceFailure::Kind::Several:
      return Text(InContext("Cli", "已连接 %1 台功放：%2；请用 --device hid:SERIAL 或 hid:N 选择一台"),
                  {std::to_string(why.connected), why.candidates});
    case DeviceChoiceFailure::Kind::Other: break;
  }
  return error;
}

// Defined here rather than beside the other option helpers: the drawing and sound helper
// programs share command.cpp and load no translations.
std::string WaitLimitText(const Options& options) {
  return Text(InContext("Cli", "%1 秒后放弃（用 --wait SECONDS 等得更久）"), {std::to_string(options.waitMs / 1000)});
}

void DeviceSession::Fail(const std::string& text) {
  lastError_ = text;
  Note(text);
}

// One write per line (the error stream flushes after every <<): a program reading it while the
// command waits sees whole lines.
void DeviceSession::Note(const std::string& text) {
  ctx_.err << "mirelune-cli " + command_ + ": " + text + "\n" << std::flush;
}

bool DeviceSession::Connect(int limitMs) {
  if (!Ok()) return false;
  if (link_->Online) return true;
  known = {};
  usb_->Start();
  link_->Start();
  bool expired = false;
  const Scheduler::TimerId limit = scheduler_->StartTimer(limitMs, false, [&expired] { expired = true; });
  scheduler_->WaitUntil([&] { return link_->Online || expired; });
  scheduler_->StopTimer(limit);
  if (link_->Online) return true;
  if (!usb_->IsConnected())
    Fail(OpenFailureText(usb_->LastOpenResult(), usb_->Vendor(), usb_->Product()));
  else
    Fail(Text(InContext("Cli", "功放已连接，但在 %1 毫秒内没有应答查找帧"), {std::to_string(limitMs)}));
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
