// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz targets' own assertion: a property that fails is a finding, reported like a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

// Prints what failed and where, then aborts so that libFuzzer saves the input.
#define FUZZ_CHECK(cond)                                                               \
  do {                                                                                 \
    if (!(cond)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)
