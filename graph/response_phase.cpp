// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/response_phase.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace mirelune {

namespace {

double Wrap(double deg) {
  double d = std::fmod(deg, 360.0);
  if (d > 180.0) d -= 360.0;
  if (d <= -180.0) d += 360.0;
  return d;
}

void AddBand(const GraphBand& band, int page, const std::vector<double>& freqs, std::vector<double>& out) {
  if (band.EQDisabled != kFalse) return;
  const FilterCalc::BandSections s = FilterCalc::SectionsForBand(band, page);
  if (s.sections <= 0) return;
  for (size_t i = 0; i < freqs.size(); ++i) out[i] += s.sections * SectionPhaseDeg(s.coeffs, freqs[i]);
}

}  // namespace

double SectionPhaseDeg(const FilterCalc::BiquadCoeffs& c, double freqHz) {
  const double w = 2.0 * std::numbers::pi * freqHz / FilterCalc::kSampleRate;
  const std::complex<double> z1 = std::polar(1.0, -w);
  const std::complex<double> z2 = z1 * z1;
  const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (c.a0 + c.a1 * z1 + c.a2 * z2);
  return std::arg(h) * 180.0 / std::numbers::pi;
}

std::vector<double> BandPhaseDeg(const GraphBand& band, int page, const std::vector<double>& freqsHz) {
  std::vector<double> out(freqsHz.size(), 0.0);
  AddBand(band, page, freqsHz, out);
  for (double& d : out) d = Wrap(d);
  return out;
}

std::vector<double> SumPhaseDeg(const GraphBandTable& table, int page, const std::vector<double>& freqsHz) {
  std::vector<double> out(freqsHz.size(), 0.0);
  for (int b = 0; b < table.count; ++b) AddBand(table.bands[static_cast<size_t>(b)], page, freqsHz, out);
  for (int e = 0; e < table.extraCount; ++e) AddBand(table.extra[static_cast<size_t>(e)], page, freqsHz, out);
  for (double& d : out) d = Wrap(d);
  UnwrapDegrees(out);
  return out;
}

void UnwrapDegrees(std::vector<double>& degrees) {
  double offset = 0;
  for (size_t i = 1; i < degrees.size(); ++i) {
    const double step = degrees[i] + offset - degrees[i - 1];
    if (step > 180.0) offset -= 360.0 * std::ceil((step - 180.0) / 360.0);
    if (step < -180.0) offset += 360.0 * std::ceil((-step - 180.0) / 360.0);
    degrees[i] += offset;
  }
}

}  // namespace mirelune
