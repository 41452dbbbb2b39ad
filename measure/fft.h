// SPDX-License-Identifier: GPL-3.0-or-later
// Real FFTs of the measurement maths, by FFTW3. Plain C++, no Qt.
//
// Plans are made with FFTW_ESTIMATE (no timing runs: a plan for a new length costs well under a
// millisecond, the transform itself a few) under one mutex, since FFTW's planner is not
// thread-safe; the transforms run outside it, so measurements may run on several threads.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace mirelune::fft {

// The smallest n >= atLeast whose only prime factors are 2, 3 and 5: the lengths FFTW is fastest at.
size_t GoodSize(size_t atLeast);

// The spectrum (n/2 + 1 bins) of `x` zero-padded or cut to n samples.
std::vector<std::complex<double>> Forward(const std::vector<double>& x, size_t n);

// The n real samples of the spectrum `X` (n/2 + 1 bins), scaled by 1/n so that
// Inverse(Forward(x, n), n) == x.
std::vector<double> Inverse(const std::vector<std::complex<double>>& X, size_t n);

}  // namespace mirelune::fft
