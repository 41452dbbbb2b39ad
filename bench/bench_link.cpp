// SPDX-License-Identifier: GPL-3.0-or-later
// Link throughput: the pure codec and parser, and whole exchanges with the virtual amplifier.
// The exchanges run in virtual time; with the USB timing model on, the "virtual_ms" counter is
// the time the exchange would take on the wire (1 ms per report each way), while the benchmark
// time is the console's own CPU cost.
#include <benchmark/benchmark.h>

#include <memory>

#include "link/frame_codec.h"
#include "link/reply_parser.h"
#include "sim/virtual_rig.h"

namespace mirelune {
namespace {

void BM_BuildWriteGroup(benchmark::State& state) {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  PasswordBuffer digits{};
  for (auto _ : state) {
    BuiltFrame f = BuildFrame(WriteGroup, 3, 768, *store, 0, digits);  // the longest kind
    benchmark::DoNotOptimize(f.bytes.data());
  }
}
BENCHMARK(BM_BuildWriteGroup);

void BM_ParseGroupReply(benchmark::State& state) {
  VirtualAmplifier amp;
  const std::vector<uint8_t> request = {0xFE, 0x0B, 0x00, 0x03, 0x00, 0x09, 0x23, 0x23, 0x5B};
  const auto replies = amp.Receive(request);
  const std::vector<uint8_t> reply = replies.at(0);
  ReplyParser parser;
  for (auto _ : state) {
    for (uint8_t b : reply) benchmark::DoNotOptimize(parser.Push(b));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_ParseGroupReply);

// The group part of a whole-mode read: 12 group requests of both sound modes and 3 system ones.
void BM_WholeModeGroupRead(benchmark::State& state) {
  VirtualFaults faults;
  faults.usbTiming = state.range(0) != 0;
  auto rig = std::make_unique<VirtualRig>(faults);
  if (!rig->BringUp()) {
    state.SkipWithError("virtual amplifier did not come up");
    return;
  }
  const int kinds0[] = {0, 1, 3, 4, 5, 6, 7};
  const int kinds1[] = {0, 4, 5, 6, 7};
  int64_t virtualMs = 0;
  for (auto _ : state) {
    const int64_t start = rig->scheduler.NowMs();
    bool ok = true;
    for (int k : kinds0) ok &= rig->link.SendCommand(ReadGroup, 0, rig->store.KindStart[size_t(k)]);
    for (int k : kinds1) ok &= rig->link.SendCommand(ReadGroup, 11, rig->store.KindStart[size_t(k)]);
    for (int k : {8, 9, 10}) ok &= rig->link.SendCommand(ReadGroup, 0, rig->store.KindStart[size_t(k)]);
    if (!ok) state.SkipWithError("a request failed");
    virtualMs += rig->scheduler.NowMs() - start;
  }
  state.counters["virtual_ms"] =
      benchmark::Counter(static_cast<double>(virtualMs), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WholeModeGroupRead)->Arg(0)->Arg(1);

}  // namespace
}  // namespace mirelune
