// SPDX-License-Identifier: GPL-3.0-or-later
// Folder graph/: filter maths, the response model and the fits (plain C++), the skin images and
// the graph's drawing (Qt Gui). May include: model/.
//
// The response graph's model: geometry, point tables, the bands of the page, their curves and
// sum, selection, dragging, the fade and blink state, and writing edits back to the store.
// Plain C++; the window supplies the timers, the canvas and the sliders through interfaces.
//
// One instance per graph window, used on the UI thread only. The store outlives the model.
#pragma once

#include <functional>
#include <vector>

#include "graph/compare_curves.h"
#include "graph/filter_calc.h"
#include "graph/graph_bands.h"
#include "graph/graph_geometry.h"
#include "graph/graph_hooks.h"
#include "model/store.h"

namespace mirelune {

class BandSliderSink;

constexpr uint8_t kNoPendingBand = 255;

// Where a band's marker sits (pixels); y is already rounded for EQ bands, zeroY for filters.
struct MarkerPos {
  float x = 0;
  float y = 0;
};

// One band's curve at the given points: zeroed, then the band's sections accumulated. A band
// switched off (EQDisabled) keeps a zero curve, as do off filters.
void BandCurve(const GraphBand& band, int page, const FilterCalc::PointTables& points, float* row);

class ResponseModel {
 public:
  explicit ResponseModel(Store& store) : store_(store) {}

  // Optional outlets; null ones are skipped (the CLI draws without timers or sliders).
  void SetSliders(BandSliderSink* s) { sliders_ = s; }
  void SetTimers(GraphTimers* t) { timers_ = t; }
  void SetCanvas(GraphCanvas* c) { canvas_ = c; }

  // New client size. False (and nothing changes) when the size is the stored one. Otherwise the
  // geometry and curve arrays are rebuilt and the point tables are rebuilt on the next RedrawAll.
  bool Resize(int width, int height);
  const GraphGeometry& Geometry() const { return geo_; }

  // Rebuilds bands and every curve, selects band 0, draws Base; unless quiet starts the idle
  // and draw timers.
  void RedrawAll(bool quiet);
  // Selects band b (0..BandCount-1; anything else is ignored), recomputes it and the sum, and
  // schedules a draw with a fresh fade.
  void SelectBand(int b);
  // Picks the first enabled, visible band whose marker lies within 13 px of (x, y) in both
  // directions and selects it. Returns false (and does nothing) on a miss or while Locked.
  bool HitTest(int x, int y);
  int DragStartX() const { return dragStartX_; }
  // Moves the selected band to the point (frequency from x, gain from y for EQ bands); with
  // `locked` the position stays and only the curve, write-back and send are done.
  void DragTo(float x, float y, bool locked);
  // Copies the selected band's values into the store (slot rule) and its slider.
  void WriteBandBack();
  // Ends a keyboard, wheel or hold edit of the selected band's fields (changed through
  // MutableBands): writes it back, marks it for sending after the next draw and reselects it
  // (curve, sum, fresh fade, draw scheduled).
  void FinishEdit();
  // Sets ForceShowFocus on the strips of the page: on for the selected band's strip.
  void HighlightBandSlider();

  struct ResetHooks {
    std::function<void()> takeSnapshot;        // undo snapshot before the change
    std::function<bool(int address)> send;     // null while offline; false stops the sends
    std::function<void()> refreshControls;     // afterwards (redraws the graph)
  };
  // Copies the factory defaults of every EQ band of the graph into the current sound mode (and
  // into the other mode for addresses that are not per-mode). Returns false if a send failed.
  bool ResetBands(const ResetHooks& hooks);

  void NoOperTick();   // idle timer fired: start the fade
  void GradientTick(); // fade timer
  // Every link tick. The selected marker blinks while the graph is worked with; after
  // kBlinkRestTicks ticks without a selection, drag or redraw it rests in its plain size and
  // nothing is drawn until the next one.
  void BlinkTick();
  static constexpr int kBlinkRestTicks = 60;  // 3 s
  // The draw timer's send step: the address to send for the pending band (the frequency record
  // of a pair), or -1 when nothing is pending. Clears the pending band.
  int TakePendingSendAddress();

  // Recomputes one band's curve row, or the sum row (the marked bands' rows and the extra
  // bands' share).
  void RecomputeBand(int b);
  void RecomputeSum();
  // An extra band (MutableBands().extra) was edited in its strip: the sum takes it in and a
  // draw is scheduled; the selection stays.
  void ExtraBandsChanged();
  // The extra bands' summed curve.
  const float* ExtraSum() const { return extraSum_.data(); }

  // Curves drawn under the editable ones (graph/compare_curves.h), made anew from their
  // sources at every RedrawAll (the page, the sound mode or a read may have changed what they
  // show); their rows follow the size. The caller redraws (RedrawAll) after setting them.
  void SetComparisons(std::vector<CompareSource> sources);
  const std::vector<CompareSource>& ComparisonSources() const { return compareSources_; }
  const std::vector<CompareCurve>& Comparisons() const { return comparisons_; }
  // Row c of the comparisons, Points() values in dB.
  const float* ComparisonRow(size_t c) const { return compareRows_.at(c).data(); }

  // The sum's phase (graph/response_phase.h), kept while shown: degrees per point, unwrapped.
  void SetPhaseShown(bool shown);
  bool PhaseShown() const { return phaseShown_; }
  const std::vector<double>& SumPhase() const { return sumPhase_; }
  // The selected band's own phase at `freqHz`, in degrees (-180..180].
  double BandPhaseAt(int band, double freqHz) const;

  // --- state read by the canvas, tests and the CLI ---
  const GraphBandTable& Bands() const { return bands_; }
  GraphBandTable& MutableBands() { return bands_; }
  int BandCount() const { return bands_.count; }
  const GraphBand& Band(int b) const { return bands_.bands.at(static_cast<size_t>(b)); }
  bool Locked() const { return bands_.locked; }
  int SelectedBand() const { return selected_; }
  const float* Curve(int b) const { return curves_.data() + static_cast<size_t>(b) * geo_.Points(); }
  const float* Sum() const { return sum_.data(); }
  const FilterCalc::PointTables& Points() const { return points_; }
  MarkerPos Marker(int b) const;

  bool BlinkPhase() const { return blinkPhase_; }
  int BlinkCounter() const { return blinkCounter_; }
  void MarkDrawn() {
    if (blinkCounter_ == 0) blinkCounter_ = 1;
    if (onBlinkWake) onBlinkWake();
  }
  // Whether BlinkTick has anything to do: the marks blink, and have not come to rest.
  bool Blinking() const { return blinkCounter_ > 0 && blinkIdleTicks_ < kBlinkRestTicks; }
  // The marks start blinking again (a selection, a drag, a redraw): the owner of the blink
  // timer starts it if it rested.
  std::function<void()> onBlinkWake;
  int GradientPhase() const { return gradientPhase_; }  // 0 band fill fading out, -1 sum fill in
  int GradientLevel() const { return gradientLevel_; }  // 0..5
  uint8_t PendingSendBand() const { return pendingSend_; }

  Store& store() { return store_; }
  const Store& store() const { return store_; }

 private:
  void RebuildPointTables();
  void RecomputeExtras();
  void FreshDraw();
  void RecomputeComparisons();
  void RecomputePhase();
  void Start(GraphTimer t) { if (timers_) timers_->Start(t); }
  void Stop(GraphTimer t) { if (timers_) timers_->Stop(t); }
  void DrawBase() { if (canvas_) canvas_->DrawBase(); }
  void DrawGraph() { if (canvas_) canvas_->DrawGraph(); }
  void WakeBlink() {
    blinkIdleTicks_ = 0;
    if (onBlinkWake && blinkCounter_ > 0) onBlinkWake();
  }
  float* Row(int b) { return curves_.data() + static_cast<size_t>(b) * geo_.Points(); }

  Store& store_;
  BandSliderSink* sliders_ = nullptr;
  GraphTimers* timers_ = nullptr;
  GraphCanvas* canvas_ = nullptr;

  GraphGeometry geo_;
  bool sized_ = false;
  bool pointsStale_ = true;
  FilterCalc::PointTables points_;
  std::vector<float> curves_;  // kMaxGraphBands rows of Points() values
  std::vector<float> sum_;
  std::vector<float> extraSum_;  // the extra EQ bands' curves, summed
  std::vector<CompareSource> compareSources_;
  std::vector<CompareCurve> comparisons_;
  std::vector<std::vector<float>> compareRows_;
  bool phaseShown_ = false;
  std::vector<double> sumPhase_;

  GraphBandTable bands_;
  int selected_ = 0;
  int dragStartX_ = 0;
  bool blinkPhase_ = false;
  int blinkCounter_ = 0;
  int blinkIdleTicks_ = 0;
  int gradientPhase_ = 0;
  int gradientLevel_ = 5;
  uint8_t pendingSend_ = kNoPendingBand;
};

}  // namespace mirelune
