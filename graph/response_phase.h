// SPDX-License-Identifier: GPL-3.0-or-later
// The phase of the page's response: the same cookbook sections as the magnitude curves
// (FilterCalc::SectionsForBand at 48 kHz), evaluated on the unit circle in double precision.
// A cascade's phase is the sum of its sections' phases; the sum's phase is unwrapped along the
// frequencies (no jump of more than 180 degrees between neighbouring points) so that a steep
// crossover reads as the continuous curve it is. Plain C++.
#pragma once

#include <vector>

#include "graph/filter_calc.h"
#include "graph/graph_bands.h"

namespace mirelune {

// The phase in degrees (-180..180] of one section at `freqHz`.
double SectionPhaseDeg(const FilterCalc::BiquadCoeffs& c, double freqHz);

// A band's own phase at each frequency, wrapped to (-180, 180]: 0 for a band switched off or
// without sections, as its magnitude curve is 0 dB.
std::vector<double> BandPhaseDeg(const GraphBand& band, int page, const std::vector<double>& freqsHz);

// The phase of every band the page's sum counts (the marked bands, the filters and the EQ
// bands without a marker), summed and unwrapped from the first frequency on.
std::vector<double> SumPhaseDeg(const GraphBandTable& table, int page, const std::vector<double>& freqsHz);

// Removes the jumps of more than 180 degrees between neighbouring values, in place.
void UnwrapDegrees(std::vector<double>& degrees);

}  // namespace mirelune
