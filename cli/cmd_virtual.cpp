// SPDX-License-Identifier: GPL-3.0-or-later
// virtual-reset: forgets what the virtual amplifier remembered between runs.
#include <ostream>

#include "cli/command.h"
#include "owner/device_address.h"
#include "owner/device_lock.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {
namespace {

int VirtualReset(Context& ctx, const Args&) {
  std::vector<DeviceAddress> addresses;
  std::string error;
  // Without --device: the unnamed virtual amplifier.
  const std::string device = ctx.options.deviceGiven ? ctx.options.device : "virtual";
  if (!ParseDeviceList(device, addresses, error) || addresses.size() != 1 ||
      addresses[0].kind != DeviceAddress::Kind::Virtual) {
    return UsageError(ctx.err, "virtual-reset",
                      "--device must name one virtual amplifier (virtual, virtual:NAME)");
  }
  DeviceTarget target;
  target.isVirtual = true;
  target.virtualName = addresses[0].value;
  // Its owner keeps the memory it loaded and would save it again: the reset waits for no one.
  DeviceLock lock;
  LockHolder holder;
  const DeviceLock::Result r =
      lock.TryAcquire(target.LockKey(), "mirelune-cli virtual-reset", "", holder, error);
  if (r != DeviceLock::Result::Acquired) {
    ctx.err << "mirelune-cli virtual-reset: "
            << (r == DeviceLock::Result::Busy ? target.Label() + " is in use by " + holder.Text() : error)
            << "\n";
    return kExitFailed;
  }
  if (!RemoveVirtualState(VirtualStatePath(target.virtualName), error)) {
    ctx.err << "mirelune-cli virtual-reset: " << error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

CommandRegistration reset{{"virtual-reset", "return the virtual amplifier to its factory state",
                           "usage: mirelune-cli [--device virtual|virtual:NAME] virtual-reset\n"
                           "The virtual amplifier remembers its modes between runs in\n"
                           "<user data folder>/Mirelune/virtual-amplifier.state (a named one in\n"
                           "<user data folder>/Mirelune/virtual/NAME.state); this removes it.\n"
                           "Refused while a program is using that amplifier.\n",
                           VirtualReset, {}}};

}  // namespace
}  // namespace mirelune::cli
