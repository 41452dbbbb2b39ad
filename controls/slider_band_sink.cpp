// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/slider_band_sink.h"

#include "controls/mscrollbar.h"
#include "model/param_record.h"

namespace mirelune::controls {

MScrollBar* SliderBandSink::At(int slider) const {
  if (slider <= 0 || slider >= static_cast<int>(sliders_.size())) return nullptr;
  return sliders_[static_cast<size_t>(slider)];
}

int SliderBandSink::SliderCount() const {
  return sliders_.empty() ? 0 : static_cast<int>(sliders_.size()) - 1;
}

int SliderBandSink::SliderAddr(int slider) const {
  const MScrollBar* s = At(slider);
  return s ? s->Addr() : -1;
}

std::string SliderBandSink::EqIndexText(int slider) const {
  const MScrollBar* s = At(slider);
  return s ? s->EQindex().toStdString() : std::string();
}

void SliderBandSink::SetEqIndexText(int slider, const std::string& text) {
  if (MScrollBar* s = At(slider)) s->SetEQindex(QString::fromStdString(text));
}

// The face fields take effect at the next repaint; the value assignment that follows in the
// graph's order repaints.
void SliderBandSink::SetBandFace(int slider, const BandFace& face) {
  MScrollBar* s = At(slider);
  if (!s) return;
  s->SetFreq(face.Freq);
  s->SetQ(face.Q);
  s->SetSQ(face.SQ);
  s->SetQType(face.QType);
  s->SetEQdisabled(face.EQDisabled != kFalse);
  s->Refresh();
}

void SliderBandSink::SetSliderValue(int slider, int32_t value) {
  if (MScrollBar* s = At(slider)) s->SetValue(static_cast<float>(value));
}

void SliderBandSink::SetBandPosition(int slider, int32_t freq, int32_t q, int32_t sq) {
  MScrollBar* s = At(slider);
  if (!s) return;
  s->SetFreq(freq);
  s->SetQ(q);
  s->SetSQ(sq);
  s->Refresh();
}

void SliderBandSink::SetForceShowFocus(int slider, bool on) {
  if (MScrollBar* s = At(slider)) s->SetForceShowFocus(on);
}

}  // namespace mirelune::controls
