// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/response_model.h"

#include <algorithm>
#include <cstdlib>

#include "graph/band_slider_sink.h"
#include "graph/response_phase.h"
#include "model/scales.h"

namespace mirelune {

void BandCurve(const GraphBand& band, int page, const FilterCalc::PointTables& points, float* row) {
  const int n = points.size();
  std::fill(row, row + n, 0.0f);
  if (band.EQDisabled != kFalse) return;
  FilterCalc::AccumulateBand(band, page, points.phi.data(), points.phi2.data(), row, n);
}

bool ResponseModel::Resize(int width, int height) {
  if (sized_ && width == geo_.Width() && height == geo_.Height()) return false;
  sized_ = true;
  geo_.Set(width, height);
  const size_t n = static_cast<size_t>(geo_.Points());
  curves_.assign(n * kMaxGraphBands, 0.0f);
  sum_.assign(n, 0.0f);
  extraSum_.assign(n, 0.0f);
  pointsStale_ = true;
  return true;
}

void ResponseModel::RebuildPointTables() {
  std::vector<double> freqs(static_cast<size_t>(geo_.Points()));
  for (int i = 0; i < geo_.Points(); ++i) freqs[static_cast<size_t>(i)] = geo_.PointFreq(i);
  points_ = FilterCalc::PointTablesFor(freqs);
  pointsStale_ = false;
}

void ResponseModel::RecomputeBand(int b) {
  if (b < 0 || b >= kMaxGraphBands) return;
  const int n = geo_.Points();
  float* row = Row(b);
  if (b >= bands_.count || pointsStale_ || points_.size() != n) {
    std::fill(row, row + n, 0.0f);
    return;
  }
  BandCurve(Band(b), store_.CurrentPage, points_, row);
}

void ResponseModel::RecomputeExtras() {
  std::fill(extraSum_.begin(), extraSum_.end(), 0.0f);
  const int n = geo_.Points();
  if (pointsStale_ || points_.size() != n || bands_.extraCount == 0) return;
  std::vector<float> row(static_cast<size_t>(n));
  for (int e = 0; e < bands_.extraCount; ++e) {
    BandCurve(bands_.extra[static_cast<size_t>(e)], store_.CurrentPage, points_, row.data());
    for (int i = 0; i < n; ++i) extraSum_[static_cast<size_t>(i)] += row[static_cast<size_t>(i)];
  }
}

// A change to show: the fade starts again from the band, the blink wakes, a draw is due.
void ResponseModel::FreshDraw() {
  gradientPhase_ = 0;
  gradientLevel_ = 5;
  WakeBlink();
  Stop(GraphTimer::NoOper);
  Start(GraphTimer::NoOper);
  Stop(GraphTimer::Fade);
  Start(GraphTimer::Draw);
}

void ResponseModel::ExtraBandsChanged() {
  RecomputeExtras();
  RecomputeSum();
  FreshDraw();
}

void ResponseModel::SetComparisons(std::vector<CompareSource> sources) {
  compareSources_ = std::move(sources);
  RecomputeComparisons();
}

void ResponseModel::RecomputeComparisons() {
  comparisons_.clear();
  int files = 0;
  for (const CompareSource& s : compareSources_) {
    comparisons_.push_back(MakeCompareCurve(store_, s.kind, s.table.get(), s.label));
    comparisons_.back().curve = s.curve;
    if (s.kind == CompareKind::File) comparisons_.back().rgba = FileCompareColour(files++);
  }
  compareRows_.clear();
  const size_t n = static_cast<size_t>(geo_.Points());
  std::vector<double> freqs;
  for (const CompareCurve& c : comparisons_) {
    if (pointsStale_ || static_cast<size_t>(points_.size()) != n) {
      compareRows_.emplace_back(n, 0.0f);
    } else if (IsPointCurve(c.kind)) {
      if (freqs.empty())
        for (int i = 0; i < geo_.Points(); ++i) freqs.push_back(geo_.PointFreq(i));
      compareRows_.push_back(c.curve ? PointCurveRow(*c.curve, freqs) : std::vector<float>(n, 0.0f));
    } else {
      compareRows_.push_back(CompareRow(c.bands, store_.CurrentPage, points_));
    }
  }
}

void ResponseModel::SetPhaseShown(bool shown) {
  phaseShown_ = shown;
  RecomputePhase();
}

void ResponseModel::RecomputePhase() {
  if (!phaseShown_) {
    sumPhase_.clear();
    return;
  }
  std::vector<double> freqs(static_cast<size_t>(geo_.Points()));
  for (int i = 0; i < geo_.Points(); ++i) freqs[static_cast<size_t>(i)] = geo_.PointFreq(i);
  sumPhase_ = SumPhaseDeg(bands_, store_.CurrentPage, freqs);
}

double ResponseModel::BandPhaseAt(int band, double freqHz) const {
  if (band < 0 || band >= bands_.count) return 0;
  return BandPhaseDeg(Band(band), store_.CurrentPage, {freqHz}).front();
}

void ResponseModel::RecomputeSum() {
  std::fill(sum_.begin(), sum_.end(), 0.0f);
  const int n = geo_.Points();
  for (int b = 0; b < bands_.count; ++b) {
    const float* row = Curve(b);
    for (int i = 0; i < n; ++i) sum_[static_cast<size_t>(i)] += row[i];
  }
  // Then the extra bands' share, summed on its own (`mirelune-cli response` adds in this order
  // too): a sum of the marked bands alone would hide what they do.
  for (int i = 0; i < n && static_cast<size_t>(i) < extraSum_.size(); ++i) sum_[static_cast<size_t>(i)] += extraSum_[static_cast<size_t>(i)];
  if (phaseShown_) RecomputePhase();
}

void ResponseModel::RedrawAll(bool quiet) {
  if (pointsStale_) RebuildPointTables();
  Stop(GraphTimer::NoOper);
  Stop(GraphTimer::Fade);
  Stop(GraphTimer::Draw);
  gradientPhase_ = 0;
  gradientLevel_ = 5;
  WakeBlink();
  BuildGraphBands(store_, sliders_, bands_);
  selected_ = 0;
  for (int b = 0; b < kMaxGraphBands; ++b) RecomputeBand(b);
  RecomputeExtras();
  RecomputeComparisons();
  DrawBase();
  RecomputeSum();
  if (!quiet) {
    Start(GraphTimer::NoOper);
    Start(GraphTimer::Draw);
  }
}

void ResponseModel::SelectBand(int b) {
  if (b < 0 || b >= bands_.count) return;
  if (b != selected_) {
    selected_ = b;
    HighlightBandSlider();
    DrawBase();
  }
  RecomputeBand(b);
  RecomputeSum();
  FreshDraw();
}

MarkerPos ResponseModel::Marker(int b) const {
  const GraphBand& band = Band(b);
  MarkerPos p;
  p.x = geo_.XFromFreq(FreqAt(band.Freq));
  p.y = band.Kind == kBandEq ? static_cast<float>(RoundHalfEven(geo_.YFromGain(band.Gain)))
                             : static_cast<float>(geo_.ZeroY());
  return p;
}

bool ResponseModel::HitTest(int x, int y) {
  if (bands_.locked) return false;
  for (int b = 0; b < bands_.count; ++b) {
    const GraphBand& band = Band(b);
    if (band.EQDisabled != kFalse || band.Hidden != kFalse) continue;
    const MarkerPos m = Marker(b);
    const long bx = RoundHalfEven(m.x);
    const long by = static_cast<long>(m.y);
    if (std::labs(x - bx) <= 13 && std::labs(y - by) <= 13) {
      dragStartX_ = x;
      SelectBand(b);
      return true;
    }
  }
  return false;
}

void ResponseModel::DragTo(float x, float y, bool locked) {
  if (selected_ >= bands_.count) return;
  GraphBand& band = bands_.bands[static_cast<size_t>(selected_)];
  if (!locked) {
    band.Freq = ClampFreqIndex(FreqToIndex(geo_.FreqFromX(x)), true, band.Kind, store_.CurrentPage);
    if (band.Kind == kBandEq) band.Gain = ClampGain(geo_.GainFromY(y));
  }
  WriteBandBack();
  RecomputeBand(selected_);
  RecomputeSum();
  WakeBlink();
  Stop(GraphTimer::NoOper);
  Stop(GraphTimer::Fade);
  pendingSend_ = static_cast<uint8_t>(selected_);
  Start(GraphTimer::Draw);
}

void ResponseModel::WriteBandBack() {
  if (selected_ >= bands_.count) return;
  const GraphBand& band = Band(selected_);
  const int m = store_.CurrentSoundMode != 0 ? 1 : 0;
  const bool perMode = store_.ParamTable.at(0, band.Addr).PerMode != kFalse;
  auto slots = [&](auto&& write) {
    write(store_.ParamTable.at(m, band.FreqAddress()));
    if (!perMode) write(store_.ParamTable.at(1 - m, band.FreqAddress()));
  };
  if (band.Kind == kBandEq) {
    if (sliders_ && band.SliderIndex != 0) {
      sliders_->SetBandPosition(band.SliderIndex, band.Freq, band.Q, band.SQ);
      sliders_->SetSliderValue(band.SliderIndex, band.Gain);
    }
    slots([&](ParamRecord& r) {
      r.Freq = band.Freq;
      r.Q = band.Q;
      r.SQ = band.SQ;
      r.Gain = band.Gain;
    });
  } else {
    if (sliders_ && band.SliderIndex != 0) sliders_->SetSliderValue(band.SliderIndex, band.Freq);
    // The frequency lives in the band's own record, or in the second record of a pair; the
    // bound slider (when there is one) carries that same address.
    slots([&](ParamRecord& r) { r.Value = band.Freq; });
  }
}

void ResponseModel::FinishEdit() {
  if (selected_ >= bands_.count) return;
  WriteBandBack();
  pendingSend_ = static_cast<uint8_t>(selected_);
  SelectBand(selected_);
}

void ResponseModel::HighlightBandSlider() {
  const int page = store_.CurrentPage;
  if (!sliders_ || page < 0 || page >= kKindCount) return;
  const int first = store_.KindStart[static_cast<size_t>(page)];
  const int last = store_.KindEnd[static_cast<size_t>(page)];
  for (int i = 1; i <= sliders_->SliderCount(); ++i) {
    const int a = sliders_->SliderAddr(i);
    if (a < first || a > last) continue;
    const std::string text = sliders_->EqIndexText(i);
    if (text.empty()) continue;
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    sliders_->SetForceShowFocus(i, *end == '\0' && n == selected_);
  }
}

bool ResponseModel::ResetBands(const ResetHooks& hooks) {
  if (hooks.takeSnapshot) hooks.takeSnapshot();
  const int m = store_.CurrentSoundMode != 0 ? 1 : 0;
  bool ok = true;
  for (int b = 0; b < bands_.count; ++b) {
    const GraphBand& band = Band(b);
    if (band.Kind != kBandEq) continue;
    const int a = band.Addr;
    const ParamRecord& def = store_.ParamTable.at(2, a);
    const bool perMode = store_.ParamTable.at(0, a).PerMode != kFalse;
    for (int slot : {m, 1 - m}) {
      if (slot != m && perMode) continue;
      ParamRecord& r = store_.ParamTable.at(slot, a);
      r.Gain = def.Gain;
      r.Q = def.Q;
      r.SQ = def.SQ;
      r.Freq = def.Freq;
      r.EQDisabled = def.EQDisabled;
      r.QType = def.QType;
    }
    if (hooks.send && !hooks.send(a)) {
      ok = false;
      break;
    }
  }
  // The store changed up to the failure too; the controls must show it either way.
  if (hooks.refreshControls) hooks.refreshControls();
  return ok;
}

void ResponseModel::NoOperTick() {
  Stop(GraphTimer::NoOper);
  Start(GraphTimer::Fade);
}

void ResponseModel::GradientTick() {
  if (gradientPhase_ == -1) {
    ++gradientLevel_;
    if (gradientLevel_ > 4) Stop(GraphTimer::Fade);
  } else if (gradientLevel_ <= 0) {
    gradientPhase_ = -1;
  } else {
    --gradientLevel_;
  }
  DrawGraph();
}

void ResponseModel::BlinkTick() {
  if (blinkCounter_ <= 0) return;
  if (blinkIdleTicks_ >= kBlinkRestTicks) return;
  if (++blinkIdleTicks_ >= kBlinkRestTicks) {
    if (blinkPhase_) {
      blinkPhase_ = false;
      DrawGraph();
    }
    return;
  }
  if (++blinkCounter_ > 4) {
    blinkCounter_ = 1;
    blinkPhase_ = !blinkPhase_;
    DrawGraph();
  }
}

int ResponseModel::TakePendingSendAddress() {
  if (pendingSend_ == kNoPendingBand) return -1;
  const int b = pendingSend_;
  pendingSend_ = kNoPendingBand;
  if (b >= bands_.count) return -1;
  return Band(b).FreqAddress();
}

}  // namespace mirelune
