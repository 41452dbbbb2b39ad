// SPDX-License-Identifier: GPL-3.0-or-later
// Response graph timings: rebuilding every curve, the drag path, and one full frame.
//   build-*/bin/mirelune-bench-graph
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>

#include "graph/graph_view.h"
#include "graph/response_model.h"
#include "model/scales.h"

namespace mirelune {
namespace {

void EnsureGuiApp() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "mirelune-bench-graph";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

// The music page with both crossover filters switched on, so all 15 bands are computed.
void MusicPageAllBandsOn(Store& st) {
  st.InitDefaults();
  st.CurrentPage = 0;
  st.ParamTable.at(0, 15).Value = FreqToIndex(40);
  st.ParamTable.at(0, 16).Value = FreqToIndex(16000);
}

// 1620 px wide: 1575 curve points.
void BM_RebuildAllCurves(benchmark::State& state) {
  Store st;
  MusicPageAllBandsOn(st);
  ResponseModel m(st);
  m.Resize(1620, 520);
  m.RedrawAll(true);
  if (m.BandCount() != 15) state.SkipWithError("expected 15 bands");
  for (auto _ : state) {
    for (int b = 0; b < m.BandCount(); ++b) m.RecomputeBand(b);
    m.RecomputeSum();
    benchmark::DoNotOptimize(m.Sum()[100]);
  }
}
BENCHMARK(BM_RebuildAllCurves)->Unit(benchmark::kMicrosecond);

// RedrawAll without a canvas: bands rebuilt from the store plus every curve.
void BM_RedrawAllModel(benchmark::State& state) {
  Store st;
  MusicPageAllBandsOn(st);
  ResponseModel m(st);
  m.Resize(1620, 520);
  m.RedrawAll(true);
  for (auto _ : state) {
    m.RedrawAll(true);
    benchmark::DoNotOptimize(m.Sum()[100]);
  }
}
BENCHMARK(BM_RedrawAllModel)->Unit(benchmark::kMicrosecond);

// One drag step: new frequency and gain, write-back, the band and the sum recomputed.
void BM_DragPath(benchmark::State& state) {
  Store st;
  MusicPageAllBandsOn(st);
  ResponseModel m(st);
  m.Resize(1620, 520);
  m.RedrawAll(true);
  m.SelectBand(6);
  float x = 600;
  for (auto _ : state) {
    x = x > 900 ? 600 : x + 3;
    m.DragTo(x, 200, false);
    benchmark::DoNotOptimize(m.Sum()[100]);
  }
}
BENCHMARK(BM_DragPath)->Unit(benchmark::kMicrosecond);

// One full frame at 1620 x 520: Base copied, selected fill and curve, sum, markers, texts.
void BM_DrawGraph(benchmark::State& state) {
  EnsureGuiApp();
  Store st;
  MusicPageAllBandsOn(st);
  ResponseModel m(st);
  GraphView view(m);
  view.ResizeGraph(QSize(1620, 520));
  m.RedrawAll(true);
  view.DrawGraph();
  for (auto _ : state) {
    view.DrawGraph();
    benchmark::DoNotOptimize(view.Composite().constBits());
  }
}
BENCHMARK(BM_DrawGraph)->Unit(benchmark::kMicrosecond);

// The drag as the window sees it: model step plus one frame.
void BM_DragAndDraw(benchmark::State& state) {
  EnsureGuiApp();
  Store st;
  MusicPageAllBandsOn(st);
  ResponseModel m(st);
  GraphView view(m);
  view.ResizeGraph(QSize(1620, 520));
  m.RedrawAll(true);
  m.SelectBand(6);
  float x = 600;
  for (auto _ : state) {
    x = x > 900 ? 600 : x + 3;
    m.DragTo(x, 200, false);
    view.DrawGraph();
  }
}
BENCHMARK(BM_DragAndDraw)->Unit(benchmark::kMicrosecond);

// Another band selected: Base redrawn (background, grid, the unselected curves) and the frame.
void BM_SelectBand(benchmark::State& state) {
  EnsureGuiApp();
  Store st;
  MusicPageAllBandsOn(st);
  ResponseModel m(st);
  GraphView view(m);
  view.ResizeGraph(QSize(1620, 520));
  m.RedrawAll(true);
  int band = 0;
  for (auto _ : state) {
    band = (band + 1) % m.BandCount();
    m.SelectBand(band);
    view.DrawGraph();
  }
}
BENCHMARK(BM_SelectBand)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mirelune
