// SPDX-License-Identifier: GPL-3.0-or-later
// `measure`'s code (its row and usage: cli/cmd_measure.cpp), in the helper mirelune-room: a room
// measurement saved as text a measurement program opens (cli/room/measure_args.h).
// With --device virtual it measures the virtual amplifier's page in a simulated room here; with
// any other device it runs the helper mirelune-measure, which holds the sound devices (Qt
// Multimedia loads Qt Gui, which this tool does not), with the same arguments.
#include <memory>
#include <ostream>

#include "cli/command.h"
#include "cli/device_page.h"
#include "cli/helper_program.h"
#include "cli/room/measure_args.h"
#include "graph/graph_bands.h"
#include "model/store.h"
#include "sim/virtual_audio_port.h"

namespace mirelune::cli {
namespace {

int Measure(Context& ctx, const std::vector<std::string>& argv) {
  MeasureArgs a;
  std::string err;
  if (!ParseMeasureArgs(argv, a, err)) {
    ctx.err << "mirelune-cli measure: " << err << "\n";
    return kExitUsage;
  }
  if (ctx.options.device.rfind("virtual", 0) != 0) return ExecHelper(ctx, "measure", "mirelune-measure", argv);
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

const ImplementationRegistration kMeasureCode("measure", [](Context& ctx, const Args& args) {
  return Measure(ctx, args.words);
});

}  // namespace
}  // namespace mirelune::cli
