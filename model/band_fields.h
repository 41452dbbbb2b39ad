// SPDX-License-Identifier: GPL-3.0-or-later
// The fields of an EQ band record as the CLI and the owner's requests name them: gain, freq,
// q, sq, shape, off - one table of names and ranges, used by every caller that takes them
// (`set`, the owner's requests, the check before a whole-mode write): what a band may hold,
// which for the gain is up to kGainHoldMax, the start-up curve's +15 dB.
#pragma once

#include <string>
#include <vector>

#include "model/param_record.h"

namespace mirelune {

struct BandFieldRange {
  const char* name;
  long lo, hi;
};

const std::vector<BandFieldRange>& BandFieldRanges();

// Sets field `name` of `band` to `value`; false with `error` for an unknown field or a value
// outside its range (the band is then unchanged).
bool SetBandField(ParamRecord& band, const std::string& name, long value, std::string& error);

// The value of field `name` of `band` (0 for an unknown name).
long BandField(const ParamRecord& band, const std::string& name);

}  // namespace mirelune
