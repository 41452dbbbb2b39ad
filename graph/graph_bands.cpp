// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/graph_bands.h"

#include <string>

#include "graph/band_slider_sink.h"
#include "model/scales.h"

namespace mirelune {
namespace {

void AddEqBands(const Store& store, BandSliderSink* sliders, const AddressRange& r,
                GraphBandTable& t) {
  const int m = store.CurrentSoundMode;
  for (int a = r.first; a <= r.last; ++a) {
    if (store.ParamTable.at(0, a).Kind != kEqBand) continue;
    const bool marked = t.count < kMaxGraphEqBands;
    if (!marked && t.extraCount >= kMaxExtraEqBands) break;
    const ParamRecord& rec = store.ParamTable.at(m, a);
    GraphBand& b = marked ? t.bands[static_cast<size_t>(t.count)] : t.extra[static_cast<size_t>(t.extraCount)];
    const int number = t.count + t.extraCount;
    b.Freq = rec.Freq;
    b.Gain = rec.Gain;
    b.Q = rec.Q;
    b.SQ = rec.SQ;
    b.QType = rec.QType;
    b.EQDisabled = rec.EQDisabled;
    b.Kind = kBandEq;
    b.Addr = a;
    b.Paired = kFalse;
    b.Hidden = store.Menu.AddrHidden[static_cast<size_t>(a)] != 0 ? kTrue : kFalse;
    b.SliderIndex = 0;
    if (sliders) {
      b.SliderIndex = sliders->FindSlider(a);
      if (b.SliderIndex != 0) {
        sliders->SetEqIndexText(b.SliderIndex, std::to_string(number));
        sliders->SetBandFace(b.SliderIndex, BandFace{b.Freq, b.Q, b.SQ, b.QType, b.EQDisabled});
        sliders->SetSliderValue(b.SliderIndex, b.Gain);
      }
    }
    b.Number = static_cast<uint8_t>(number);
    if (marked)
      ++t.count;
    else
      ++t.extraCount;
  }
}

void AddFilters(const Store& store, BandSliderSink* sliders, const AddressRange& r,
                uint8_t kind, GraphBandTable& t) {
  const int m = store.CurrentSoundMode;
  const int page = store.CurrentPage;
  for (int a = r.first; a <= r.last && t.count < kMaxGraphBands; ++a) {
    if (store.ParamTable.at(0, a).Kind != kind) continue;
    GraphBand& b = t.bands[static_cast<size_t>(t.count)];
    const bool paired = a + 1 <= r.last && store.ParamTable.at(0, a + 1).Kind == kind;
    int freqAddr = a;
    if (paired) {
      freqAddr = a + 1;
      b.Gain = store.ParamTable.at(m, a).Value;
    } else {
      b.Gain = (kind == kHighPass && (page == 1 || page == 2)) ? 1 : 0;
    }
    int freq = store.ParamTable.at(m, freqAddr).Value;
    if (freq != FreqToIndex(10.0f) && freq != FreqToIndex(20220.0f))
      freq = ClampFreqIndex(freq, false);
    b.Freq = freq;
    b.Kind = kind == kHighPass ? kBandHighPass : kBandLowPass;
    b.Addr = a;
    b.Paired = paired ? kTrue : kFalse;
    b.Hidden = store.Menu.AddrHidden[static_cast<size_t>(a)] != 0 ? kTrue : kFalse;
    // A filter has no shape and no bypass of its own.
    b.Q = 0;
    b.SQ = 0;
    b.QType = 0;
    b.EQDisabled = kFalse;
    b.SliderIndex = sliders ? sliders->FindSlider(freqAddr) : 0;
    if (b.SliderIndex != 0) sliders->SetSliderValue(b.SliderIndex, b.Freq);
    ++t.count;
    if (paired) ++a;
  }
}

}  // namespace

AddressRange GraphAddressRange(const Store& store) {
  const int page = store.CurrentPage;
  if (page < 0 || page >= kKindCount) return {};
  AddressRange r{store.KindStart[static_cast<size_t>(page)], store.KindEnd[static_cast<size_t>(page)]};
  if (page == 3) {
    const int start = r.first;
    switch (store.EffectSubPage) {
      case 0: r.last = start + 12; break;
      case 1: r.first = start + 13; r.last = start + 30; break;
      default: r.first = start + 31; break;
    }
  }
  // Guards against start/end values that a corrupt or foreign table could carry.
  if (r.first < 0) r.first = 0;
  if (r.last >= kAddressCount) r.last = kAddressCount - 1;
  return r;
}

void BuildGraphBands(const Store& store, BandSliderSink* sliders, GraphBandTable& t) {
  for (int i = 0; i < kMaxGraphBands; ++i) {
    t.bands[static_cast<size_t>(i)].Hidden = kFalse;
    t.bands[static_cast<size_t>(i)].Number = static_cast<uint8_t>(i);
  }
  t.count = 0;
  t.extraCount = 0;
  t.locked = false;
  if (sliders)
    for (int i = 1; i <= sliders->SliderCount(); ++i) sliders->SetEqIndexText(i, "");

  const AddressRange r = GraphAddressRange(store);
  AddEqBands(store, sliders, r, t);
  if (t.count > 0)
    t.locked = store.BassAutoControl == 1 && store.ParamTable.at(0, t.bands[0].Addr).PerMode != kFalse;
  AddFilters(store, sliders, r, kHighPass, t);
  AddFilters(store, sliders, r, kLowPass, t);
}

std::vector<const GraphBand*> PageEqBands(const GraphBandTable& table) {
  std::vector<const GraphBand*> out;
  for (int b = 0; b < table.count; ++b)
    if (table.bands[static_cast<size_t>(b)].Kind == kBandEq) out.push_back(&table.bands[static_cast<size_t>(b)]);
  for (int e = 0; e < table.extraCount; ++e) out.push_back(&table.extra[static_cast<size_t>(e)]);
  return out;
}

}  // namespace mirelune
