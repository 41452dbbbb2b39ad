// SPDX-License-Identifier: GPL-3.0-or-later
// `measure`: a room measurement saved as text a measurement program opens (cli/measure_args.h).
// With --device virtual it measures the virtual amplifier's page in a simulated room here; with
// any other device it runs the helper mirelune-measure, which holds the sound devices (Qt
// Multimedia loads Qt Gui, which this tool does not), with the same arguments.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <unistd.h>

#include "cli/command.h"
#include "cli/device_page.h"
#include "cli/measure_args.h"
#include "graph/graph_bands.h"
#include "model/store.h"
#include "sim/virtual_audio_port.h"

namespace mirelune::cli {
namespace {

int RunHelper(Context& ctx, const std::vector<std::string>& argv) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::string helper;
  for (const std::filesystem::path& p : {self.parent_path() / "mirelune-measure",
                                         self.parent_path() / ".." / "libexec" / "mirelune" / "mirelune-measure"})
    if (!ec && ::access(p.c_str(), X_OK) == 0) {
      helper = p.string();
      break;
    }
  if (helper.empty()) {
    ctx.err << "mirelune-cli measure: its sound helper mirelune-measure is not installed beside "
            << (ec ? std::string("this program") : self.string()) << "\n";
    return kExitFailed;
  }
  ctx.out.flush();
  ctx.err.flush();
  std::vector<std::string> words{helper};
  words.insert(words.end(), argv.begin(), argv.end());
  std::vector<char*> args;
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);
  ::execv(helper.c_str(), args.data());
  ctx.err << "mirelune-cli measure: cannot run " << helper << " (" << std::strerror(errno) << ")\n";
  return kExitFailed;
}

int Measure(Context& ctx, const std::vector<std::string>& argv) {
  MeasureArgs a;
  std::string err;
  if (!ParseMeasureArgs(argv, a, err)) {
    ctx.err << "mirelune-cli measure: " << err << "\n";
    return kExitUsage;
  }
  if (ctx.options.device.rfind("virtual", 0) != 0) return RunHelper(ctx, argv);
  VirtualAudioPort port;
  if (!a.list) {
    // The page as the amplifier holds it now, read the way `get` reads it.
    auto store = std::make_unique<Store>();
    int sound = 0;
    const int status = ReadDevicePage(ctx, static_cast<int>(a.page), static_cast<int>(a.subPage), false, sound, *store);
    if (status != kExitOk) return status;
    GraphBandTable bands;
    BuildGraphBands(*store, nullptr, bands);
    const bool bypassed = store->ParamTable.at(0, store->BypassAddress()).Value != 0;
    port.SetAmplifier(PageChain(bands, static_cast<int>(a.page), bypassed));
  }
  return RunMeasure(port, a, ctx.out, ctx.err);
}

const CommandRegistration kMeasure({"measure", "measure the room: a sweep through the amplifier, recorded by a microphone",
                                    kMeasureUsage,
                                    [](Context& ctx, const Args& args) { return Measure(ctx, args.words); },
                                    Syntax().Raw()});

}  // namespace
}  // namespace mirelune::cli
