// SPDX-License-Identifier: GPL-3.0-or-later
// Biquad designs of the Audio EQ Cookbook (R. Bristow-Johnson) at the device's 48 kHz rate, and
// the magnitude response the graph draws from them. Plain arithmetic, no state.
//
// The graph never reads coefficients from the amplifier: it designs every band itself and
// evaluates |H(e^jw)|^2 in terms of phi = sin^2(w/2), which needs only one sine per graph point
// (precomputed once per resize) instead of one per point and band.
#pragma once

#include <vector>

#include "graph/graph_band.h"

namespace mirelune::FilterCalc {

// Normalised by the unnormalised a0; the field a0 is then 1.0. Field order is part of the
// contract (b0, b1, b2, a1, a2, a0).
struct BiquadCoeffs {
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
  double a0 = 1.0;
};

constexpr double kSampleRate = 48000.0;
// The graph has always used this decimal literal for 2*pi; the curves are defined with it.
constexpr double kTwoPi = 6.2831852;
// pi / 48000, the factor of the per-point phi tables.
constexpr double kPhiFactor = 0.0000654498;

double Omega(double f, double fs);                    // w0 = f * 2pi / fs
double DbToLinear(double dB);                         // 10^(dB/20)
double DbToShelfA(double dB);                         // A = 10^(dB/40)
double PeakAlpha(double omega, double Q);             // sin(w0) / (2Q)
// sin(w0)/2 * sqrt((A + 1/A)(1/S - 1) + 2); a negative radicand gives alpha 0.
double ShelfAlpha(double omega, double A, double S);

// f0 and fs in Hz, c (overall gain) and dBgain in dB.
BiquadCoeffs DesignPeaking(double f0, double fs, double c, double Q, double dBgain);
BiquadCoeffs DesignLowPassBessel(double f0, double fs, double c);        // Q = 1/sqrt(3)
BiquadCoeffs DesignLowPassButterworth(double f0, double fs, double c);   // Q = 1/sqrt(2)
BiquadCoeffs DesignHighPassBessel(double f0, double fs, double c);
BiquadCoeffs DesignHighPassButterworth(double f0, double fs, double c);
BiquadCoeffs DesignLowShelf(double f0, double fs, double c, double S, double dBgain);
BiquadCoeffs DesignHighShelf(double f0, double fs, double c, double S, double dBgain);

// phi = sin^2(f * pi/48000) and phi^2 for each evaluation frequency.
struct PointTables {
  std::vector<double> phi;
  std::vector<double> phi2;
  int size() const { return static_cast<int>(phi.size()); }
};
PointTables PointTablesFor(const std::vector<double>& freqsHz);

// Adds `times` x the section's response in dB to curve[0..n-1] (a cascade of identical
// sections). The terms are formed in single precision. Where the numerator or denominator is
// zero, negative (rounding near a zero of the response) or not finite, the point repeats the
// previous point's value (0 dB at the first point).
void SectionResponseDb(const BiquadCoeffs& c, const double* phi, const double* phi2, float* curve,
                       int n, int times = 1);

// A band as sections: one design repeated `sections` times; 0 sections = the band is skipped.
struct BandSections {
  BiquadCoeffs coeffs;
  int sections = 0;
};
// `page` selects the crossover table (page 7, the sub-woofer, has its own filter types).
// Filters at frequency index 0 or 362 are off. Indices are bounded to the scales' tables.
BandSections SectionsForBand(const GraphBand& band, int page);

// Adds the band's response to curve[0..n-1] (the caller zeroes it first).
void AccumulateBand(const GraphBand& band, int page, const double* phi, const double* phi2,
                    float* curve, int n);

}  // namespace mirelune::FilterCalc
