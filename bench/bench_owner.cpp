// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's costs per change: checking and parsing a set request, and keeping a virtual
// amplifier's memory after every acknowledged change (what a slider drag on the virtual
// amplifier pays per move).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "owner/owner_service.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_state.h"

namespace mirelune {
namespace {

class NullBackend : public OwnerBackend {
 public:
  OwnerFacts Facts() override { return {}; }
  bool Ready() override { return true; }
  bool Get(const std::vector<int>&, int, std::vector<ParamRecord>&, std::string&) override { return true; }
  bool Set(const std::vector<OwnerChange>& c, int, const std::string&, size_t& ack, std::string&) override {
    ack = c.size();
    return true;
  }
  bool ModeNames(std::vector<std::string>&, std::string&) override { return true; }
  bool LoadMode(int, const std::string&, std::string&) override { return true; }
  bool CheckInstallerPassword(const std::string&, bool&, std::string&) override { return true; }
};

void BM_OwnerSetRequest(benchmark::State& state) {
  NullBackend backend;
  OwnerService service(backend);
  const std::string request =
      R"({"op":"set","changes":[{"address":1028,"value":70},{"address":5,"gain":300,"q":20}]})";
  bool subscribe = false;
  for (auto _ : state) benchmark::DoNotOptimize(service.Handle(request, subscribe));
}
BENCHMARK(BM_OwnerSetRequest)->Unit(benchmark::kMicrosecond);

void BM_VirtualMemorySave(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "mirelune-bench-owner";
  fs::create_directories(dir);
  const std::string path = (dir / "bench.state").string();
  fs::remove(path);
  VirtualAmplifier amp;
  // A mode or two touched, as after a session's work.
  amp.StoredMode(1).at(0, 1028).Value = 5;
  amp.StoredMode(2).at(0, 1029).Value = 6;
  VirtualStateSession session(path);
  std::string error;
  if (!session.Open(amp, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  int v = 0;
  for (auto _ : state) {
    amp.Working().at(0, 1028).Value = 10 + (v++ % 50);
    if (!session.Save(amp, error)) state.SkipWithError(error.c_str());
  }
  session.Close(amp, error);
  fs::remove_all(dir);
}
BENCHMARK(BM_VirtualMemorySave)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mirelune
