// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring a room: the deconvolution of an 8 s sweep at 48 kHz (the capture of the virtual
// room, one second of tail) to its response on the grid, and a fit of the 15 EQ bands of the
// music page (all free) to the virtual room over the default range, 20..500 Hz, and over the
// whole band.
//   build/bin/mirelune-bench-measure
#include <benchmark/benchmark.h>

#include <memory>

#include "graph/graph_bands.h"
#include "measure/live_measurement.h"
#include "measure/room_fit.h"
#include "model/store.h"
#include "sim/virtual_audio_port.h"

namespace mirelune {
namespace {

void BM_DeconvolveEightSecondSweep(benchmark::State& state) {
  SweepPlan plan;
  plan.seconds = 8;
  const std::vector<double> sweep = ExponentialSweep(plan);
  VirtualAudioPort port;
  AudioRequest req;
  req.signal.assign(sweep.begin(), sweep.end());
  const AudioResult r = port.PlayAndRecord(req, {}, nullptr);
  const std::vector<double> capture(r.captured.begin(), r.captured.end());
  for (auto _ : state) {
    const ImpulseResponse ir = Deconvolve(sweep, capture, plan.f1, plan.f2, plan.rate);
    benchmark::DoNotOptimize(GridResponse(ir, IrWindow{}));
  }
}
BENCHMARK(BM_DeconvolveEightSecondSweep)->Unit(benchmark::kMillisecond);

void BM_FitFifteenBands(benchmark::State& state, double highHz) {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  store->CurrentPage = 0;
  RoomFitRequest req;
  BuildGraphBands(*store, nullptr, req.bands);
  // The virtual room measured through the page as it starts, 20 Hz .. 20 kHz.
  VirtualAudioPort port;
  port.SetAmplifier(PageChain(req.bands, 0));
  LiveSettings s;
  s.levelCheck = false;
  s.sweep.seconds = 4;
  req.measured = RunLiveMeasurement(port, s, {}, nullptr).response;
  req.highHz = highHz;
  int used = 0;
  for (auto _ : state) {
    const RoomFit fit = FitRoom(req);
    used = fit.used;
    benchmark::DoNotOptimize(fit.after);
  }
  state.counters["bands_used"] = used;
  state.counters["bands"] = static_cast<double>(PageEqBands(req.bands).size());
}
BENCHMARK_CAPTURE(BM_FitFifteenBands, to_500_Hz, 500.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FitFifteenBands, to_20_kHz, 20000.0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelune
