// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/eq_fit.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <numeric>

#include "graph/filter_calc.h"
#include "graph/graph_bands.h"
#include "graph/response_model.h"

namespace mirelune {
namespace {

constexpr int kFreqLow = 1;      // 19.7 Hz: the EQ bands' range (ClampFreqIndex, unlimited)
constexpr int kFreqHigh = 361;   // 20200 Hz
// Half a step of each table: FreqTable has 36 entries per octave, QTable 12.
const double kHalfFreqStep = std::pow(2.0, 1.0 / 72.0);
const double kHalfQStep = std::pow(2.0, 1.0 / 24.0);

bool Placeable(FilterType t) {
  return t == FilterType::Peaking || t == FilterType::LowShelf || t == FilterType::HighShelf;
}

// The index of lo..hi nearest to v (model/scales), or -1 when v lies beyond the ends by more
// than `halfStep` (a factor).
template <typename At, typename Nearest>
int NearestIndex(double v, At at, Nearest nearest, int lo, int hi, double halfStep) {
  if (!(v > 0) || !std::isfinite(v) || v < at(lo) / halfStep || v > at(hi) * halfStep) return -1;
  return nearest(v, lo, hi);
}

double FreqValue(int i) { return static_cast<double>(FreqAt(i)); }
double QValue(int i) { return static_cast<double>(QAt(i)); }

// Rounds one placeable filter onto `s`; false with the offending value in `fit`.
bool Round(const Filter& f, FilterFit& fit, BandSetting& s) {
  const auto outOfRange = [&](FitValue value, double asked, double low, double high) {
    fit.outcome = FitOutcome::OutOfRange;
    fit.value = value;
    fit.asked = asked;
    fit.low = low;
    fit.high = high;
    return false;
  };
  s.Freq = NearestIndex(f.freqHz, FreqValue, NearestFreqIndex, kFreqLow, kFreqHigh, kHalfFreqStep);
  if (s.Freq < 0) return outOfRange(FitValue::Freq, f.freqHz, FreqValue(kFreqLow), FreqValue(kFreqHigh));
  const double code = kGainZero + static_cast<double>(RoundHalfEven(f.gainDb * 10.0));
  if (!(code >= kGainMin && code <= kGainHoldMax))
    return outOfRange(FitValue::Gain, f.gainDb, (kGainMin - kGainZero) / 10.0, (kGainHoldMax - kGainZero) / 10.0);
  s.Gain = static_cast<int32_t>(code);
  if (f.type == FilterType::Peaking) {
    s.QType = 0;
    s.Q = NearestIndex(f.q, QValue, NearestQIndex, 0, kQMaxIndex, kHalfQStep);
    if (s.Q < 0) return outOfRange(FitValue::Q, f.q, QValue(0), QValue(kQMaxIndex));
  } else {
    s.QType = f.type == FilterType::LowShelf ? 1 : 2;
    s.SQ = NearestIndex(fit.slope, QValue, NearestQIndex, 0, kSlopeMaxIndex, kHalfQStep);
    if (s.SQ < 0) return outOfRange(FitValue::Slope, fit.slope, QValue(0), QValue(kSlopeMaxIndex));
  }
  s.EQDisabled = kFalse;
  return true;
}

// The cookbook's high-pass and low-pass with any Q (the graph's designs fix it).
FilterCalc::BiquadCoeffs PassDesign(bool highPass, double f0, double q) {
  const double w0 = FilterCalc::Omega(f0, FilterCalc::kSampleRate);
  const double cs = std::cos(w0);
  const double alpha = std::sin(w0) / (2 * q);
  const double a0 = 1 + alpha;
  const double b = highPass ? (1 + cs) / 2 : (1 - cs) / 2;
  FilterCalc::BiquadCoeffs c;
  c.b0 = b / a0;
  c.b1 = (highPass ? -2 * b : 2 * b) / a0;
  c.b2 = b / a0;
  c.a1 = -2 * cs / a0;
  c.a2 = (1 - alpha) / a0;
  return c;
}

// The cookbook's notch and band-pass (0 dB peak gain).
FilterCalc::BiquadCoeffs NotchOrBandPass(bool notch, double f0, double q) {
  const double w0 = FilterCalc::Omega(f0, FilterCalc::kSampleRate);
  const double cs = std::cos(w0);
  const double alpha = std::sin(w0) / (2 * q);
  const double a0 = 1 + alpha;
  FilterCalc::BiquadCoeffs c;
  c.b0 = (notch ? 1 : alpha) / a0;
  c.b1 = (notch ? -2 * cs : 0) / a0;
  c.b2 = (notch ? 1 : -alpha) / a0;
  c.a1 = -2 * cs / a0;
  c.a2 = (1 - alpha) / a0;
  return c;
}

// |H(e^jw)| in dB, evaluated exactly in double precision.
double MagnitudeDb(const FilterCalc::BiquadCoeffs& c, double f) {
  const double w = 2 * std::numbers::pi * f / FilterCalc::kSampleRate;
  const std::complex<double> z1 = std::polar(1.0, -w);
  const std::complex<double> z2 = z1 * z1;
  const std::complex<double> num = c.b0 + c.b1 * z1 + c.b2 * z2;
  const std::complex<double> den = c.a0 + c.a1 * z1 + c.a2 * z2;
  return 10.0 * std::log10(std::norm(num) / std::norm(den));
}

double MaxAbsDiff(const std::vector<double>& a, const float* b) {
  double m = 0;
  for (size_t i = 0; i < a.size(); ++i)
    m = std::max(m, std::abs(a[i] - (b ? static_cast<double>(b[i]) : 0.0)));
  return m;
}

// The filters to place: the `bands` of largest gain magnitude (earlier ones on a tie), the rest
// marked NoBandLeft. Returns them in order of frequency.
std::vector<int> ChooseForBands(const FilterSet& set, std::vector<FilterFit>& fits, int bands) {
  std::vector<int> chosen;
  for (const FilterFit& fit : fits)
    if (fit.outcome == FitOutcome::Placed) chosen.push_back(fit.index);
  std::stable_sort(chosen.begin(), chosen.end(), [&](int a, int b) {
    return std::abs(set.filters[static_cast<size_t>(a)].gainDb) > std::abs(set.filters[static_cast<size_t>(b)].gainDb);
  });
  for (size_t k = static_cast<size_t>(std::max(bands, 0)); k < chosen.size(); ++k)
    fits[static_cast<size_t>(chosen[k])].outcome = FitOutcome::NoBandLeft;
  if (chosen.size() > static_cast<size_t>(std::max(bands, 0))) chosen.resize(static_cast<size_t>(std::max(bands, 0)));
  std::stable_sort(chosen.begin(), chosen.end(), [&](int a, int b) {
    return set.filters[static_cast<size_t>(a)].freqHz < set.filters[static_cast<size_t>(b)].freqHz;
  });
  return chosen;
}

// The differences, asked against realised, per filter and for the whole set.
void MeasureDifferences(const FilterSet& set, EqFit& fit) {
  const int bandCount = static_cast<int>(fit.bandAddresses.size());
  fit.freqs = FitFrequencies();
  const size_t n = fit.freqs.size();
  const FilterCalc::PointTables points = FilterCalc::PointTablesFor(fit.freqs);
  std::vector<std::vector<float>> bandCurves(static_cast<size_t>(bandCount), std::vector<float>(n));
  fit.realised.assign(n, 0.0f);
  for (int k = 0; k < bandCount; ++k) {
    std::vector<float>& row = bandCurves[static_cast<size_t>(k)];
    BandCurve(GraphBandOf(fit.after[static_cast<size_t>(k)], fit.bandAddresses[static_cast<size_t>(k)]),
              fit.page, points, row.data());
    for (size_t i = 0; i < n; ++i) fit.realised[i] += row[i];
  }
  fit.asked.assign(n, 0.0);
  std::vector<double> db;
  for (FilterFit& ff : fit.filters) {
    const Filter& f = set.filters[static_cast<size_t>(ff.index)];
    if (ff.outcome == FitOutcome::Off || ff.outcome == FitOutcome::Empty) continue;
    if (!AskedResponse(f, fit.freqs, db)) {
      fit.askedKnown = false;
      continue;
    }
    for (size_t i = 0; i < n; ++i) fit.asked[i] += db[i];
    ff.maxDiffDb = MaxAbsDiff(db, ff.band >= 0 ? bandCurves[static_cast<size_t>(ff.band)].data() : nullptr);
  }
  fit.maxDiffDb = MaxAbsDiff(fit.asked, fit.realised.data());
}

}  // namespace

BandSetting BandSettingOf(const GraphBand& b) {
  return {b.Freq, b.Gain, b.Q, b.SQ, static_cast<uint8_t>(b.QType), b.EQDisabled};
}

void ApplyBandSetting(ParamRecord& r, const BandSetting& s) {
  r.Freq = s.Freq;
  r.Gain = s.Gain;
  r.Q = s.Q;
  r.SQ = s.SQ;
  r.QType = s.QType;
  r.EQDisabled = s.EQDisabled;
}

GraphBand GraphBandOf(const BandSetting& s, int address) {
  GraphBand b;
  b.Freq = s.Freq;
  b.Gain = s.Gain;
  b.Q = s.Q;
  b.SQ = s.SQ;
  b.QType = s.QType;
  b.EQDisabled = s.EQDisabled;
  b.Kind = kBandEq;
  b.Addr = address;
  return b;
}

std::vector<int> EqFit::ChangedAddresses() const {
  std::vector<int> out;
  for (size_t k = 0; k < bandAddresses.size(); ++k)
    if (!(before[k] == after[k])) out.push_back(bandAddresses[k]);
  return out;
}

std::vector<double> FitFrequencies() {
  std::vector<double> f(kFitPoints);
  for (int k = 0; k < kFitPoints; ++k)
    f[static_cast<size_t>(k)] = kFitLowHz * std::pow(kFitHighHz / kFitLowHz, static_cast<double>(k) / (kFitPoints - 1));
  return f;
}

bool AskedResponse(const Filter& f, const std::vector<double>& freqs, std::vector<double>& db) {
  if (!f.on || !f.hasFreq) return false;
  const double fs = FilterCalc::kSampleRate;
  FilterCalc::BiquadCoeffs c;
  switch (f.type) {
    case FilterType::Peaking: c = FilterCalc::DesignPeaking(f.freqHz, fs, 0, f.q, f.gainDb); break;
    case FilterType::LowShelf:
    case FilterType::HighShelf: {
      const double S = ShelfSlopeOf(f);
      if (!std::isfinite(S) || !(S > 0)) return false;
      c = f.type == FilterType::LowShelf ? FilterCalc::DesignLowShelf(f.freqHz, fs, 0, S, f.gainDb)
                                         : FilterCalc::DesignHighShelf(f.freqHz, fs, 0, S, f.gainDb);
      break;
    }
    case FilterType::HighPass:
    case FilterType::LowPass:
      // Without a Q both programs mean the Butterworth section.
      c = PassDesign(f.type == FilterType::HighPass, f.freqHz, f.hasQ ? f.q : std::numbers::sqrt2 / 2);
      break;
    case FilterType::Notch:
    case FilterType::BandPass:
      if (!f.hasQ) return false;
      c = NotchOrBandPass(f.type == FilterType::Notch, f.freqHz, f.q);
      break;
    case FilterType::AllPass:
      db.assign(freqs.size(), 0.0);  // changes the phase only
      return true;
    case FilterType::None:
    case FilterType::Unknown: return false;
  }
  db.resize(freqs.size());
  for (size_t i = 0; i < freqs.size(); ++i) db[i] = MagnitudeDb(c, freqs[i]);
  return true;
}

EqFit FitFilterSet(const Store& store, const FilterSet& set) {
  EqFit fit;
  fit.page = store.CurrentPage;
  fit.subPage = store.EffectSubPage;
  fit.soundMode = store.CurrentSoundMode;
  GraphBandTable table;
  BuildGraphBands(store, nullptr, table);
  for (const GraphBand* band : PageEqBands(table)) {
    fit.bandAddresses.push_back(band->Addr);
    fit.before.push_back(BandSettingOf(*band));
  }
  const int bandCount = static_cast<int>(fit.bandAddresses.size());

  std::vector<BandSetting> rounded(set.filters.size());
  for (size_t i = 0; i < set.filters.size(); ++i) {
    const Filter& f = set.filters[i];
    FilterFit ff;
    ff.index = static_cast<int>(i);
    if (f.type == FilterType::LowShelf || f.type == FilterType::HighShelf) ff.slope = ShelfSlopeOf(f);
    if (!f.on) ff.outcome = FitOutcome::Off;
    else if (f.type == FilterType::None) ff.outcome = FitOutcome::Empty;
    else if (!Placeable(f.type)) ff.outcome = FitOutcome::Unsupported;
    else if (Round(f, ff, rounded[i])) ff.outcome = FitOutcome::Placed;
    fit.filters.push_back(ff);
  }

  // Bands, in graph order, for the placed filters in frequency order; the rest flat.
  const std::vector<int> chosen = ChooseForBands(set, fit.filters, bandCount);
  fit.after = fit.before;
  for (int k = 0; k < bandCount; ++k) {
    BandSetting& s = fit.after[static_cast<size_t>(k)];
    if (k < static_cast<int>(chosen.size())) {
      FilterFit& ff = fit.filters[static_cast<size_t>(chosen[static_cast<size_t>(k)])];
      const BandSetting& r = rounded[static_cast<size_t>(ff.index)];
      // A peaking band keeps its slope and a shelf its Q: the fields the shape does not use.
      s = BandSetting{r.Freq, r.Gain, r.QType == 0 ? r.Q : s.Q, r.QType == 0 ? s.SQ : r.SQ, r.QType, kFalse};
      ff.band = k;
      ff.address = fit.bandAddresses[static_cast<size_t>(k)];
      ff.set = s;
    } else {
      s.Gain = kGainZero;
    }
  }

  MeasureDifferences(set, fit);
  for (const FilterFit& ff : fit.filters) {
    if (ff.outcome == FitOutcome::Placed) ++fit.placed;
    if (ff.Failed()) ++fit.notPlaced;
  }
  if (set.hasPreamp && set.preampDb != 0.0) {
    fit.preampNotPlaced = true;
    fit.preampDb = set.preampDb;
    fit.preampLine = set.preampLine;
    ++fit.notPlaced;
  }
  return fit;
}

FilterSet PageFilterSet(const Store& store) {
  FilterSet set;
  GraphBandTable table;
  BuildGraphBands(store, nullptr, table);
  const std::vector<const GraphBand*> bands = PageEqBands(table);
  for (size_t b = 0; b < bands.size(); ++b) {
    const GraphBand& band = *bands[b];
    Filter f;
    f.number = static_cast<int>(b) + 1;
    if (band.Gain == kGainZero) {
      f.on = false;
      f.type = FilterType::None;
      f.typeText = "None";
      set.filters.push_back(f);
      continue;
    }
    f.on = band.EQDisabled == kFalse;
    f.type = band.QType == 1 ? FilterType::LowShelf : band.QType == 2 ? FilterType::HighShelf : FilterType::Peaking;
    f.typeText = f.type == FilterType::Peaking ? "PK" : f.type == FilterType::LowShelf ? "LSC" : "HSC";
    f.freqHz = FreqAt(band.Freq);
    f.hasFreq = true;
    f.gainDb = (band.Gain - kGainZero) / 10.0;
    f.hasGain = true;
    f.q = f.type == FilterType::Peaking ? QAt(band.Q) : ShelfQFromSlope(QAt(band.SQ), f.gainDb);
    f.hasQ = true;
    set.filters.push_back(f);
  }
  return set;
}

}  // namespace mirelune
