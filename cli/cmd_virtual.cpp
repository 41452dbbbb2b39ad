// virtual-reset: forgets what the virtual amplifier remembered between runs.
#include <filesystem>

#include "cli/command.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {
namespace {

int VirtualReset(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    ctx.err << "mirelune-cli virtual-reset: takes no arguments\n";
    return 1;
  }
  std::error_code ec;
  const std::string path = VirtualStatePath();
  std::filesystem::remove(path, ec);
  if (ec) {
    ctx.err << "mirelune-cli virtual-reset: " << path << ": " << ec.message() << "\n";
    return 1;
  }
  return 0;
}

CommandRegistration reset{{"virtual-reset", "return the virtual amplifier to its factory state",
                           "usage: mirelune-cli virtual-reset\n"
                           "The virtual amplifier remembers its modes between runs in\n"
                           "<user data folder>/Mirelune/virtual-amplifier.state; this removes it.\n",
                           VirtualReset}};

}  // namespace
}  // namespace mirelune::cli
