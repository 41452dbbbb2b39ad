// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/band_strip_edit.h"

#include "model/scales.h"
#include "model/slot_rule.h"

namespace mirelune::ui {

bool ApplyBandStrip(Store& store, ResponseModel& model, const controls::MScrollBar& strip, int number) {
  GraphBandTable& table = model.MutableBands();
  GraphBand* band = nullptr;
  int marked = -1;
  for (int b = 0; b < model.BandCount(); ++b)
    if (table.bands[static_cast<size_t>(b)].SliderIndex == number && table.bands[static_cast<size_t>(b)].Kind == kBandEq) {
      band = &table.bands[static_cast<size_t>(b)];
      marked = b;
    }
  for (int e = 0; e < table.extraCount && !band; ++e)
    if (table.extra[static_cast<size_t>(e)].SliderIndex == number) band = &table.extra[static_cast<size_t>(e)];
  if (!band) return false;
  band->Freq = strip.Freq();
  band->Gain = static_cast<int32_t>(RoundHalfEven(strip.Value()));
  band->Q = strip.q();
  band->SQ = strip.sQ();
  band->QType = strip.QType();
  band->EQDisabled = strip.EQdisabled() ? kTrue : kFalse;
  const GraphBand g = *band;
  WriteBySlotRule(store, strip.Addr(), [&](ParamRecord& r) {
    r.QType = static_cast<uint8_t>(g.QType);
    r.Freq = g.Freq;
    r.Q = g.Q;
    r.SQ = g.SQ;
    r.EQDisabled = g.EQDisabled;
    r.Gain = g.Gain;
  });
  if (marked >= 0)
    model.SelectBand(marked);
  else
    model.ExtraBandsChanged();
  return true;
}

}  // namespace mirelune::ui
