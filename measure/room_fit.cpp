// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/room_fit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <unordered_map>

#include "graph/filter_calc.h"
#include "graph/response_model.h"
#include "model/decimal_number.h"
#include "model/scales.h"

namespace mirelune {
namespace {

constexpr int kFreqLo = 1;     // 19.7 Hz: the EQ bands' range
constexpr int kFreqHi = 361;   // 20200 Hz
constexpr double kDipDb = 6;
constexpr double kSkirtDb = 1.5;
constexpr double kDipMarginOctaves = 1.0 / 24;
constexpr double kEnoughDb = 0.5;        // "as few bands as reach within this of the best"
constexpr double kWorthDb = 0.005;       // a band that gains less than this is not added
constexpr int kProbeCode = kGainZero - 60;  // -6 dB: the shape a band's gain is estimated from
constexpr double kSlack = 1e-6;

double Db(int code) { return (code - kGainZero) / 10.0; }

// ---- The deviation ----

// The level of curve - target over the points outside dips, and the figures around it.
double Level(const std::vector<double>& curve, const std::vector<double>& target, const std::vector<char>& dip) {
  double sum = 0;
  int n = 0;
  for (size_t i = 0; i < curve.size(); ++i)
    if (!dip[i]) {
      sum += curve[i] - target[i];
      ++n;
    }
  return n > 0 ? sum / n : 0.0;
}

DeviationFigures Figures(const std::vector<double>& curve, const std::vector<double>& target, const std::vector<char>& dip) {
  const double level = Level(curve, target, dip);
  DeviationFigures f;
  double sum = 0;
  int n = 0;
  for (size_t i = 0; i < curve.size(); ++i) {
    if (dip[i]) continue;
    const double d = curve[i] - target[i] - level;
    sum += d * d;
    f.maxDb = std::max(f.maxDb, std::fabs(d));
    ++n;
  }
  f.rmsDb = n > 0 ? std::sqrt(sum / n) : 0.0;
  return f;
}

// ---- The fit's working state ----

struct Band {
  int fi = 0;
  int qi = 0;
  int code = kGainZero;
  std::vector<double> curve;  // on the fit's grid
};

class Fitter {
 public:
  Fitter(const std::vector<double>& residual, const std::vector<char>& dip, double maxBoostDb, int page,
         const FilterCalc::PointTables& points)
      : residual_(residual), dip_(dip), maxBoost_(maxBoostDb), page_(page), points_(points),
        n_(residual.size()), sum_(n_, 0.0) {
    for (char d : dip_) count_ += d ? 0 : 1;
    maxCode_ = kGainZero + static_cast<int>(std::lround(maxBoostDb * 10));
  }

  std::vector<double> Curve(int fi, int qi, int code) const {
    GraphBand b;
    b.Kind = kBandEq;
    b.Freq = fi;
    b.Q = qi;
    b.Gain = code;
    std::vector<float> row(n_);
    BandCurve(b, page_, points_, row.data());
    return {row.begin(), row.end()};
  }

  // The mean square deviation with `sum` as the free bands' sum.
  double Cost(const std::vector<double>& sum) const {
    double mean = 0;
    for (size_t i = 0; i < n_; ++i)
      if (!dip_[i]) mean += residual_[i] + sum[i];
    mean /= std::max(count_, 1);
    double j = 0;
    for (size_t i = 0; i < n_; ++i)
      if (!dip_[i]) {
        const double d = residual_[i] + sum[i] - mean;
        j += d * d;
      }
    return j / std::max(count_, 1);
  }

  bool Feasible(const std::vector<double>& sum) const {
    for (size_t i = 0; i < n_; ++i)
      if (sum[i] > maxBoost_ + kSlack || (dip_[i] && sum[i] > kSlack)) return false;
    return true;
  }

  // The sum with band `b` (of bands_, or a new one when b == size) replaced by `curve`.
  std::vector<double> SumWith(size_t b, const std::vector<double>& curve) const {
    std::vector<double> s = sum_;
    for (size_t i = 0; i < n_; ++i) s[i] += curve[i] - (b < bands_.size() ? bands_[b].curve[i] : 0.0);
    return s;
  }

  struct Trial {
    Band band;
    double cost = std::numeric_limits<double>::infinity();
  };

  // Band b (or a new one) at (fi, qi) with the gain that suits it best near the least-squares
  // estimate from the -6 dB shape.
  Trial BestGain(size_t b, int fi, int qi) {
    Trial best;
    const std::vector<float>& unit = UnitOf(fi, qi).shape;
    const std::vector<double> probe(unit.begin(), unit.end());
    const std::vector<double> base = SumWith(b, std::vector<double>(n_, 0.0));
    const double g = std::min(LeastSquaresGain(base, probe), BoostRoom(base, probe.data(), 1.0));
    const int estimate = std::clamp(kGainZero + static_cast<int>(std::lround(g * 10)), kGainMin, maxCode_);
    for (int code : {estimate, estimate - 1, estimate + 1}) {
      if (code >= kGainMin && code <= maxCode_) Consider(b, fi, qi, code, best);
    }
    // The shape is not quite linear in the gain: a boost the estimate overshot is tried lower.
    if (!std::isfinite(best.cost) && estimate - 3 >= kGainMin) Consider(b, fi, qi, estimate - 3, best);
    return best;
  }

  void Consider(size_t b, int fi, int qi, int code, Trial& best) const {
    std::vector<double> curve = Curve(fi, qi, code);
    const std::vector<double> s = SumWith(b, curve);
    if (!Feasible(s)) return;
    const double c = Cost(s);
    if (c < best.cost) best = {Band{fi, qi, code, std::move(curve)}, c};
  }

  // The largest gain in dB that keeps `base` plus the band within the limits (the maximum boost,
  // 0 dB in dips), the band's shape taken as `shape` / `per` dB (a linear estimate).
  template <typename T>
  double BoostRoom(const std::vector<double>& base, const T* shape, double per) const {
    double room = maxBoost_;
    for (size_t i = 0; i < n_; ++i) {
      const double u = shape[i] / per;
      if (u > 1e-6) room = std::min(room, ((dip_[i] ? 0.0 : maxBoost_) - base[i]) / u);
    }
    return room;
  }

  // The gain in dB that minimises the cost along `probe` (a shape per dB), added to `base`.
  double LeastSquaresGain(const std::vector<double>& base, const std::vector<double>& probe) const {
    double mr = 0, mu = 0;
    for (size_t i = 0; i < n_; ++i)
      if (!dip_[i]) {
        mr += residual_[i] + base[i];
        mu += probe[i];
      }
    mr /= std::max(count_, 1);
    mu /= std::max(count_, 1);
    double a = 0, bb = 0;
    for (size_t i = 0; i < n_; ++i)
      if (!dip_[i]) {
        const double u = probe[i] - mu;
        a += u * (residual_[i] + base[i] - mr);
        bb += u * u;
      }
    return bb > 0 ? -a / bb : 0.0;
  }

  void Set(size_t b, Band band) {
    sum_ = SumWith(b, band.curve);
    if (b < bands_.size()) bands_[b] = std::move(band);
    else bands_.push_back(std::move(band));
  }

  // The best band to add: every table frequency near the range and every Q, ranked by the
  // least-squares estimate, the best few tried exactly.
  bool Add(const std::vector<int>& freqCandidates) {
    std::vector<double> centred(n_, 0.0);
    double mean = 0;
    for (size_t i = 0; i < n_; ++i)
      if (!dip_[i]) mean += residual_[i] + sum_[i];
    mean /= std::max(count_, 1);
    for (size_t i = 0; i < n_; ++i)
      if (!dip_[i]) centred[i] = residual_[i] + sum_[i] - mean;
    struct Ranked {
      double gain;
      int fi, qi;
    };
    std::vector<Ranked> ranked;
    std::vector<double> masked(n_);
    for (size_t i = 0; i < n_; ++i) masked[i] = dip_[i] ? 0.0 : centred[i];
    // Every other Q of the table: the refinement that follows tries the ones between.
    for (int fi : freqCandidates)
      for (int qi = 0; qi <= kQMaxIndex; qi += 2) {
        const Unit& u = UnitOf(fi, qi);
        double a = 0;
        for (size_t i = 0; i < n_; ++i) a += u.shape[i] * masked[i];
        if (u.b <= 0) continue;
        double g = std::max(-a / u.b, Db(kGainMin));
        if (g > 0) g = std::min(g, std::max(0.0, BoostRoom(sum_, u.shape.data(), 1.0f)));
        ranked.push_back({2 * g * a + g * g * u.b, fi, qi});
      }
    const size_t keep = std::min<size_t>(ranked.size(), 12);
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<long>(keep), ranked.end(),
                      [](const Ranked& x, const Ranked& y) { return x.gain < y.gain; });
    Trial best;
    for (size_t k = 0; k < keep; ++k) {
      const Trial t = BestGain(bands_.size(), ranked[k].fi, ranked[k].qi);
      if (t.cost < best.cost) best = t;
    }
    const double now = Cost(sum_);
    if (!(best.cost < now) || std::sqrt(now) - std::sqrt(best.cost) < kWorthDb) return false;
    Set(bands_.size(), std::move(best.band));
    return true;
  }

  // Coordinate descent over the neighbouring table entries of every band until none helps.
  void Refine(int maxPasses = 8) {
    for (int pass = 0; pass < maxPasses; ++pass) {
      bool improved = false;
      for (size_t b = 0; b < bands_.size(); ++b) {
        Trial best{bands_[b], Cost(sum_)};
        const Band now = bands_[b];
        for (int step : {1, 2, 4}) {
          for (int dir : {-1, 1}) {
            const int fi = now.fi + dir * step, qi = now.qi + dir * step;
            if (fi >= kFreqLo && fi <= kFreqHi) {
              const Trial t = BestGain(b, fi, now.qi);
              if (t.cost < best.cost) best = t;
            }
            if (qi >= 0 && qi <= kQMaxIndex) {
              const Trial t = BestGain(b, now.fi, qi);
              if (t.cost < best.cost) best = t;
            }
          }
        }
        for (int d : {-1, 1, -2, 2, -5, 5, -10, 10}) {
          const int code = now.code + d;
          if (code >= kGainMin && code <= maxCode_) Consider(b, now.fi, now.qi, code, best);
        }
        if (best.cost < Cost(sum_) - 1e-12) {
          Set(b, std::move(best.band));
          improved = true;
        }
      }
      if (!improved) break;
    }
  }

  const std::vector<Band>& Bands() const { return bands_; }
  void SetBands(std::vector<Band> bands) {
    bands_ = std::move(bands);
    sum_.assign(n_, 0.0);
    for (const Band& b : bands_)
      for (size_t i = 0; i < n_; ++i) sum_[i] += b.curve[i];
  }
  const std::vector<double>& Sum() const { return sum_; }
  DeviationFigures Figures() const {
    std::vector<double> curve(n_), zero(n_, 0.0);
    for (size_t i = 0; i < n_; ++i) curve[i] = residual_[i] + sum_[i];
    return mirelune::Figures(curve, zero, dip_);
  }

 private:
  // The -6 dB shape per dB of gain, kept per (frequency, Q) once made, with the sum of its
  // squares about its mean over the points outside dips (the least-squares gain's divisor).
  struct Unit {
    std::vector<float> shape;
    double b = 0;
  };
  const Unit& UnitOf(int fi, int qi) {
    const long key = static_cast<long>(fi) * (kQMaxIndex + 1) + qi;
    auto it = units_.find(key);
    if (it != units_.end()) return it->second;
    const std::vector<double> c = Curve(fi, qi, kProbeCode);
    Unit u;
    u.shape.resize(c.size());
    double su = 0, su2 = 0;
    for (size_t i = 0; i < c.size(); ++i) {
      u.shape[i] = static_cast<float>(c[i] / -6.0);
      if (dip_[i]) continue;
      su += u.shape[i];
      su2 += static_cast<double>(u.shape[i]) * u.shape[i];
    }
    u.b = su2 - su * su / std::max(count_, 1);
    return units_.emplace(key, std::move(u)).first->second;
  }

  const std::vector<double>& residual_;
  const std::vector<char>& dip_;
  double maxBoost_;
  int maxCode_ = kGainZero;
  int page_;
  const FilterCalc::PointTables& points_;
  size_t n_;
  int count_ = 0;
  std::vector<double> sum_;
  std::vector<Band> bands_;
  std::unordered_map<long, Unit> units_;
};

// ---- The continuous reference ----

// |H|^2 of the cookbook peaking section in dB, in double precision, at the grid's phi values.
void PeakingDb(double f, double q, double g, const FilterCalc::PointTables& p, std::vector<double>& out) {
  const FilterCalc::BiquadCoeffs c = FilterCalc::DesignPeaking(f, FilterCalc::kSampleRate, 0, q, g);
  const double Hb = 4 * (4 * c.b0 * c.b2 + c.b0 * c.b1 + c.b2 * c.b1);
  const double Ha = 4 * (4 * c.a0 * c.a2 + c.a0 * c.a1 + c.a2 * c.a1);
  const double Sb = (c.b1 + c.b0 + c.b2) * (c.b1 + c.b0 + c.b2);
  const double Sa = (c.a1 + c.a0 + c.a2) * (c.a1 + c.a0 + c.a2);
  const double Pb = 16 * c.b0 * c.b2, Pa = 16 * c.a0 * c.a2;
  out.resize(static_cast<size_t>(p.size()));
  for (size_t i = 0; i < out.size(); ++i) {
    const double num = Sb - Hb * p.phi[i] + Pb * p.phi2[i];
    const double den = Sa - Ha * p.phi[i] + Pa * p.phi2[i];
    out[i] = num > 0 && den > 0 ? 10 * std::log10(num / den) : 0.0;
  }
}

struct Continuous {
  std::vector<ContinuousBand> bands;
  std::vector<double> sum;
};

Continuous Polish(const std::vector<Band>& start, const std::vector<double>& residual, const std::vector<char>& dip,
                  double maxBoost, const FilterCalc::PointTables& points) {
  const size_t n = residual.size();
  Continuous c;
  for (const Band& b : start) c.bands.push_back({FreqAt(b.fi), Db(b.code), QAt(b.qi)});
  std::vector<std::vector<double>> curves(c.bands.size());
  c.sum.assign(n, 0.0);
  for (size_t k = 0; k < c.bands.size(); ++k) {
    PeakingDb(c.bands[k].freqHz, c.bands[k].q, c.bands[k].gainDb, points, curves[k]);
    for (size_t i = 0; i < n; ++i) c.sum[i] += curves[k][i];
  }
  int count = 0;
  for (char d : dip) count += d ? 0 : 1;
  auto cost = [&](const std::vector<double>& s) {
    double mean = 0;
    for (size_t i = 0; i < n; ++i)
      if (!dip[i]) mean += residual[i] + s[i];
    mean /= std::max(count, 1);
    double j = 0;
    for (size_t i = 0; i < n; ++i)
      if (!dip[i]) j += (residual[i] + s[i] - mean) * (residual[i] + s[i] - mean);
    return j;
  };
  auto feasible = [&](const std::vector<double>& s) {
    for (size_t i = 0; i < n; ++i)
      if (s[i] > maxBoost + kSlack || (dip[i] && s[i] > kSlack)) return false;
    return true;
  };
  const double fLo = FreqAt(kFreqLo), fHi = FreqAt(kFreqHi), qLo = QAt(0), qHi = QAt(kQMaxIndex);
  double stepF = std::log(2.0) / 36, stepQ = std::log(2.0) / 12, stepG = 0.1;
  double now = cost(c.sum);
  std::vector<double> trial, s(n);
  for (int pass = 0; pass < 400 && stepG > 0.0005; ++pass) {
    bool improved = false;
    for (size_t k = 0; k < c.bands.size(); ++k)
      for (int param = 0; param < 3; ++param)
        for (int dir : {-1, 1}) {
          ContinuousBand b = c.bands[k];
          if (param == 0) b.freqHz = std::clamp(b.freqHz * std::exp(dir * stepF), fLo, fHi);
          if (param == 1) b.q = std::clamp(b.q * std::exp(dir * stepQ), qLo, qHi);
          if (param == 2) b.gainDb = std::clamp(b.gainDb + dir * stepG, Db(kGainMin), maxBoost);
          PeakingDb(b.freqHz, b.q, b.gainDb, points, trial);
          for (size_t i = 0; i < n; ++i) s[i] = c.sum[i] - curves[k][i] + trial[i];
          if (!feasible(s)) continue;
          const double j = cost(s);
          if (j < now - 1e-12) {
            now = j;
            c.bands[k] = b;
            curves[k] = trial;
            c.sum = s;
            improved = true;
          }
        }
    if (!improved) {
      stepF /= 2;
      stepQ /= 2;
      stepG /= 2;
    }
  }
  return c;
}

// ---- The room, the target and the dips ----

std::vector<double> CurveOf(const GraphBand& band, int page, const FilterCalc::PointTables& points) {
  std::vector<float> row(static_cast<size_t>(points.size()));
  BandCurve(band, page, points, row.data());
  return {row.begin(), row.end()};
}

void AddTo(std::vector<double>& sum, const std::vector<double>& curve, double sign = 1) {
  for (size_t i = 0; i < sum.size(); ++i) sum[i] += sign * curve[i];
}

// Points lying more than kDipDb below the octave around them, with their skirts (the points
// beside them still kSkirtDb below) and kDipMarginOctaves either side.
std::vector<char> FindDips(const std::vector<double>& freqs, const std::vector<double>& d) {
  const size_t n = freqs.size();
  std::vector<double> around(n);
  std::vector<char> dip(n, 0);
  for (size_t i = 0; i < n; ++i) {
    double sum = 0;
    int count = 0;
    for (size_t j = 0; j < n; ++j)
      if (std::fabs(std::log2(freqs[j] / freqs[i])) <= 0.5) {
        sum += d[j];
        ++count;
      }
    around[i] = sum / count;
    if (d[i] < around[i] - kDipDb) dip[i] = 1;
  }
  for (size_t i = 1; i < n; ++i)
    if (dip[i - 1] && d[i] < around[i] - kSkirtDb) dip[i] = 1;
  for (size_t i = n - 1; i-- > 0;)
    if (dip[i + 1] && d[i] < around[i] - kSkirtDb) dip[i] = 1;
  std::vector<char> wide(n, 0);
  for (size_t i = 0; i < n; ++i)
    if (dip[i])
      for (size_t j = 0; j < n; ++j)
        if (std::fabs(std::log2(freqs[j] / freqs[i])) <= kDipMarginOctaves) wide[j] = 1;
  return wide;
}

bool ParseNumberAfter(std::string_view text, double& v) {
  const std::optional<double> x = ParseDecimalNumber(text, DecimalMark::Point);
  if (!x) return false;
  v = *x;
  return true;
}

std::string Shortest(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

double FitTarget::At(double hz) const {
  switch (kind) {
    case Kind::Flat: return 0;
    case Kind::Tilt: return tiltDbPerOctave * std::log2(hz / 1000.0);
    case Kind::Shelf: {
      const FilterCalc::BiquadCoeffs c = FilterCalc::DesignLowShelf(shelfHz, FilterCalc::kSampleRate, 0, 1.0, shelfDb);
      FilterCalc::PointTables p = FilterCalc::PointTablesFor({hz});
      float row = 0;
      FilterCalc::SectionResponseDb(c, p.phi.data(), p.phi2.data(), &row, 1);
      return row;
    }
    case Kind::File: return file.size() > 0 ? InterpolateDb(file.freqHz, file.db, hz) : 0.0;
  }
  return 0;
}

bool ParseFitTarget(std::string_view text, FitTarget& target, std::string& error) {
  FitTarget t;
  t.name = std::string(text);
  if (text == "flat") {
    t.kind = FitTarget::Kind::Flat;
  } else if (text.substr(0, 5) == "tilt=") {
    t.kind = FitTarget::Kind::Tilt;
    if (!ParseNumberAfter(text.substr(5), t.tiltDbPerOctave) || std::fabs(t.tiltDbPerOctave) > 6) {
      error = "tilt= takes dB per octave, -6..6, not '" + std::string(text.substr(5)) + "'";
      return false;
    }
  } else if (text.substr(0, 6) == "shelf=") {
    t.kind = FitTarget::Kind::Shelf;
    std::string_view v = text.substr(6);
    const size_t at = v.find('@');
    const bool okDb = ParseNumberAfter(v.substr(0, at), t.shelfDb) && t.shelfDb >= 0 && t.shelfDb <= 15;
    const bool okHz = at == std::string_view::npos ||
                      (ParseNumberAfter(v.substr(at + 1), t.shelfHz) && t.shelfHz >= 20 && t.shelfHz <= 1000);
    if (!okDb || !okHz) {
      error = "shelf= takes the lift in dB, 0..15, and optionally @ the corner in Hz, 20..1000 (shelf=6@120), not '" +
              std::string(v) + "'";
      return false;
    }
  } else {
    t.kind = FitTarget::Kind::File;
    MeasureFileError bad;
    if (!LoadMeasurement(std::string(text), t.file, bad)) {
      error = "the target: " + bad.Text();
      return false;
    }
  }
  target = std::move(t);
  return true;
}

std::string CheckRoomFitRequest(const RoomFitRequest& r) {
  if (!(r.lowHz >= 20 && r.highHz <= 20000 && r.highHz >= 2 * r.lowHz))
    return "the range must lie within 20..20000 Hz and span an octave at least, not " + Shortest(r.lowHz) + ".." +
           Shortest(r.highHz) + " Hz";
  if (!(r.maxBoostDb >= 0 && r.maxBoostDb <= 12)) return "the maximum boost must be 0..12 dB, not " + Shortest(r.maxBoostDb);
  if (r.measured.size() < 2 || r.measured.freqHz.front() > r.lowHz * 1.01 || r.measured.freqHz.back() < r.highHz / 1.01)
    return "the measurement does not cover the range " + Shortest(r.lowHz) + ".." + Shortest(r.highHz) + " Hz";
  return {};
}

std::vector<int> RoomFit::ChangedAddresses() const {
  std::vector<int> out;
  for (const FittedBand& b : bands)
    if (!(b.before == b.after)) out.push_back(b.address);
  return out;
}

RoomFit FitRoom(const RoomFitRequest& req, const std::function<void(double)>& progress, const std::atomic<bool>* cancel) {
  RoomFit fit;
  fit.error = CheckRoomFitRequest(req);
  if (!fit.error.empty()) return fit;

  // The whole grid, for the dips' surroundings; the fit works on the range within it.
  const std::vector<double> all = MeasureGrid();
  const FilterCalc::PointTables allPoints = FilterCalc::PointTablesFor(all);
  const FilterCalc::PointTables ownPoints = FilterCalc::PointTablesFor(req.measured.freqHz);

  // The page's bands at the grid and at the measurement's own points.
  const std::vector<const GraphBand*> eq = PageEqBands(req.bands);
  std::vector<double> freeBefore(all.size(), 0.0), fixed(all.size(), 0.0);
  std::vector<double> ownFree(req.measured.size(), 0.0), ownFixed(req.measured.size(), 0.0);
  for (size_t k = 0; k < eq.size(); ++k) {
    FittedBand fb;
    fb.band = static_cast<int>(k);
    fb.address = eq[k]->Addr;
    fb.before = fb.after = BandSettingOf(*eq[k]);
    fb.locked = k < req.locked.size() && req.locked[k];
    AddTo(fb.locked ? fixed : freeBefore, CurveOf(*eq[k], req.page, allPoints));
    AddTo(fb.locked ? ownFixed : ownFree, CurveOf(*eq[k], req.page, ownPoints));
    fit.bands.push_back(fb);
  }
  for (int b = 0; b < req.bands.count; ++b)
    if (req.bands.bands[static_cast<size_t>(b)].Kind != kBandEq) {
      AddTo(fixed, CurveOf(req.bands.bands[static_cast<size_t>(b)], req.page, allPoints));
      AddTo(ownFixed, CurveOf(req.bands.bands[static_cast<size_t>(b)], req.page, ownPoints));
    }

  // The room the free bands work on, taken from the measurement before it is smoothed, so that
  // the same room gives the same fit whatever the free bands held when it was measured.
  Measurement roomOwn = req.measured;
  roomOwn.phaseDeg.clear();
  if (req.measuredThroughPage) AddTo(roomOwn.db, ownFree, -1);
  else AddTo(roomOwn.db, ownFixed);
  const std::vector<double> room = ResampleLog(Smooth(roomOwn, req.smoothing), all).db;
  Measurement plain = req.measured;
  plain.phaseDeg.clear();
  const Measurement smooth = ResampleLog(Smooth(plain, req.smoothing), all);
  std::vector<double> shape(all.size());
  for (size_t i = 0; i < all.size(); ++i) shape[i] = req.target.At(all[i]);
  std::vector<double> d(all.size());
  for (size_t i = 0; i < all.size(); ++i) d[i] = room[i] - shape[i];
  const std::vector<char> dipAll = FindDips(all, d);

  std::vector<size_t> idx;
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i] >= req.lowHz * (1 - 1e-9) && all[i] <= req.highHz * (1 + 1e-9)) idx.push_back(i);
  auto pick = [&](const std::vector<double>& v) {
    std::vector<double> out;
    for (size_t i : idx) out.push_back(v[i]);
    return out;
  };
  fit.freqs = pick(all);
  fit.measured = pick(smooth.db);
  for (size_t i : idx) fit.dip.push_back(dipAll[i]);
  const std::vector<double> roomR = pick(room), shapeR = pick(shape);
  std::vector<double> residual(idx.size());
  for (size_t i = 0; i < idx.size(); ++i) residual[i] = roomR[i] - shapeR[i];
  for (size_t i = 0; i < fit.dip.size(); ++i) {
    if (!fit.dip[i] || (i > 0 && fit.dip[i - 1])) continue;
    size_t j = i;
    while (j + 1 < fit.dip.size() && fit.dip[j + 1]) ++j;
    fit.dips.push_back({fit.freqs[i], fit.freqs[j]});
  }
  std::vector<double> before = roomR;  // the room with the free bands as they are
  AddTo(before, pick(freeBefore));
  fit.before = Figures(before, shapeR, fit.dip);

  // Greedy additions, each followed by a refinement of every band placed so far.
  const FilterCalc::PointTables points = FilterCalc::PointTablesFor(fit.freqs);
  Fitter fitter(residual, fit.dip, req.maxBoostDb, req.page, points);
  std::vector<int> candidates;
  for (int fi = kFreqLo; fi <= kFreqHi; ++fi) {
    const double f = FreqAt(fi);
    if (f >= req.lowHz / std::pow(2.0, 1.0 / 6) && f <= req.highHz * std::pow(2.0, 1.0 / 6)) candidates.push_back(fi);
  }
  int freeCount = 0;
  for (const FittedBand& b : fit.bands) freeCount += b.locked ? 0 : 1;
  std::vector<std::vector<Band>> stages{{}};
  std::vector<DeviationFigures> figures{fitter.Figures()};
  for (int k = 0; k < freeCount; ++k) {
    if (cancel && cancel->load()) {
      fit.cancelled = true;
      return fit;
    }
    if (progress) progress(static_cast<double>(k) / std::max(freeCount, 1) * 0.9);
    if (!fitter.Add(candidates)) break;
    fitter.Refine();
    stages.push_back(fitter.Bands());
    figures.push_back(fitter.Figures());
  }
  // The fewest bands whose RMS and maximum both lie within kEnoughDb of the best reached.
  DeviationFigures best = figures.front();
  for (const DeviationFigures& f : figures) {
    best.rmsDb = std::min(best.rmsDb, f.rmsDb);
    best.maxDb = std::min(best.maxDb, f.maxDb);
  }
  size_t chosen = 0;
  while (figures[chosen].rmsDb > best.rmsDb + kEnoughDb || figures[chosen].maxDb > best.maxDb + kEnoughDb) ++chosen;
  fitter.SetBands(stages[chosen]);
  fit.used = static_cast<int>(chosen);

  // The used bands onto the free bands in order of frequency; the others flat.
  std::vector<Band> used = stages[chosen];
  std::sort(used.begin(), used.end(), [](const Band& a, const Band& b) { return a.fi < b.fi; });
  size_t next = 0;
  for (FittedBand& fb : fit.bands) {
    if (fb.locked) continue;
    if (next < used.size()) {
      const Band& b = used[next++];
      fb.after = BandSetting{b.fi, b.code, b.qi, fb.before.SQ, 0, kFalse};
      fb.used = true;
    } else {
      fb.after.Gain = kGainZero;
    }
  }
  fit.predicted = roomR;
  AddTo(fit.predicted, fitter.Sum());
  fit.after = Figures(fit.predicted, shapeR, fit.dip);
  if (fit.after.rmsDb >= fit.before.rmsDb && req.measuredThroughPage) {
    // The bands as they are do at least as well (a second fit after the first was applied):
    // nothing is changed.
    fit.kept = true;
    fit.used = 0;
    for (FittedBand& fb : fit.bands) {
      fb.after = fb.before;
      fb.used = false;
    }
    fit.predicted = before;
    fit.after = fit.before;
  }
  const double level = Level(fit.predicted, shapeR, fit.dip);
  for (double s : shapeR) fit.target.push_back(s + level);

  if (progress) progress(0.95);
  const Continuous c = Polish(used, residual, fit.dip, req.maxBoostDb, points);
  fit.continuousBands = c.bands;
  std::vector<double> polished = roomR;
  AddTo(polished, c.sum);
  fit.continuous = Figures(polished, shapeR, fit.dip);
  if (progress) progress(1.0);
  fit.ok = true;
  return fit;
}

DeviationFigures DeviationOf(const RoomFitRequest& req, const RoomFit& fit, const Measurement& again) {
  const Measurement m = ResampleLog(Smooth(again, req.smoothing), fit.freqs);
  std::vector<double> shape;
  for (double f : fit.freqs) shape.push_back(req.target.At(f));
  return Figures(m.db, shape, fit.dip);
}

}  // namespace mirelune
