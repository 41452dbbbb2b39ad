// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding the whole skin, the work LoadSkin does once at start-up (budget: 50 ms).
#include <benchmark/benchmark.h>

#include "graph/skin.h"

namespace {

void BM_DecodeWholeSkin(benchmark::State& state) {
  int decoded = 0;
  for (auto _ : state) {
    decoded = mirelune::skin::DecodeSkinImages();
    benchmark::DoNotOptimize(decoded);
  }
  state.counters["images"] = decoded;
  if (decoded == 0) state.SkipWithError("no skin image found in the resources");
}
BENCHMARK(BM_DecodeWholeSkin)->Unit(benchmark::kMillisecond);

}  // namespace
