// virtual-reset: forgets what the virtual amplifier remembered between runs.
#include <ostream>

#include "cli/command.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {
namespace {

int VirtualReset(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    ctx.err << "mirelune-cli virtual-reset: takes no arguments\n";
    return kExitUsage;
  }
  // Under the state's lock: a session running now saves before the file goes, not after.
  std::string error;
  if (!RemoveVirtualState(VirtualStatePath(), error)) {
    ctx.err << "mirelune-cli virtual-reset: " << error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

CommandRegistration reset{{"virtual-reset", "return the virtual amplifier to its factory state",
                           "usage: mirelune-cli virtual-reset\n"
                           "The virtual amplifier remembers its modes between runs in\n"
                           "<user data folder>/Mirelune/virtual-amplifier.state; this removes it.\n",
                           VirtualReset}};

}  // namespace
}  // namespace mirelune::cli
