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

CommandRegistration reset{{"virtual-reset", "把虚拟功放恢复到出厂状态",
                           "用法: mirelune-cli [--device virtual|virtual:NAME] virtual-reset\n"
                           "虚拟功放在两次运行之间把它的模式记在\n"
                           "<用户数据文件夹>/Mirelune/virtual-amplifier.state 中（命名的虚拟功放记在\n"
                           "<用户数据文件夹>/Mirelune/virtual/NAME.state 中）；本命令删除它。\n"
                           "有程序正在使用该功放时拒绝执行。\n",
                           VirtualReset, {}}};

}  // namespace
}  // namespace mirelune::cli
