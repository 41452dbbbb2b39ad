// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/band_fields.h"

#include "model/scales.h"

namespace mirelune {

const std::vector<BandFieldRange>& BandFieldRanges() {
  static const std::vector<BandFieldRange> table = {
      {"gain", kGainMin, kGainHoldMax}, {"freq", 0, kFreqMaxIndex}, {"q", 0, kQMaxIndex},
      {"sq", 0, kSlopeMaxIndex},    {"shape", 0, 2},            {"off", 0, 1}};
  return table;
}

bool SetBandField(ParamRecord& band, const std::string& name, long v, std::string& error) {
  for (const BandFieldRange& f : BandFieldRanges()) {
    if (name != f.name) continue;
    if (v < f.lo || v > f.hi) {
      error = name + " " + std::to_string(v) + " outside " + std::to_string(f.lo) + ".." +
              std::to_string(f.hi);
      return false;
    }
    const int32_t iv = static_cast<int32_t>(v);
    if (name == "gain") band.Gain = iv;
    if (name == "freq") band.Freq = iv;
    if (name == "q") band.Q = iv;
    if (name == "sq") band.SQ = iv;
    if (name == "shape") band.QType = static_cast<uint8_t>(iv);
    if (name == "off") band.EQDisabled = iv ? kTrue : kFalse;
    return true;
  }
  error = "bad band field '" + name + "' (gain, freq, q, sq, shape, off)";
  return false;
}

long BandField(const ParamRecord& band, const std::string& name) {
  if (name == "gain") return band.Gain;
  if (name == "freq") return band.Freq;
  if (name == "q") return band.Q;
  if (name == "sq") return band.SQ;
  if (name == "shape") return band.QType;
  if (name == "off") return band.EQDisabled == kTrue ? 1 : 0;
  return 0;
}

}  // namespace mirelune
