// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtual_rig.h"

namespace mirelune {

namespace {
std::unique_ptr<Store> MakeStore() {
  auto s = std::make_unique<Store>();
  s->InitDefaults();
  return s;
}
}  // namespace

VirtualRig::VirtualRig(const VirtualFaults& faults)
    : storage(MakeStore()),
      store(*storage),
      amplifier(faults.administrator),
      port(amplifier, scheduler, faults),
      usb(port, scheduler),
      link(store, usb, scheduler, notifier) {
  link.onTrace = [this](bool sent, const std::vector<uint8_t>& bytes) {
    trace.push_back((sent ? "> " : "< ") + HexBytes(bytes));
  };
  usb.Start();
  link.Start();
}

bool VirtualRig::BringUp(int timeoutMs) {
  const int64_t deadline = scheduler.NowMs() + timeoutMs;
  while (!link.Online && scheduler.NowMs() < deadline)
    if (!scheduler.RunNext()) return false;
  return link.Online;
}

std::vector<std::string> VirtualRig::TraceLines(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& l : trace)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

}  // namespace mirelune
