// SPDX-License-Identifier: GPL-3.0-or-later
// SliderBandSink: the response graph's view of a window's slider array.
//
// Slider number n is element n of the array as the window numbers its sliders (MyScrollBar(n));
// element 0 is never a band's slider, since 0 means "no slider" to the graph. Null elements are
// unbound. The sliders stay owned by their window and must outlive this object.
#pragma once

#include <vector>

#include "graph/band_slider_sink.h"

namespace mirelune::controls {

class MScrollBar;

class SliderBandSink : public BandSliderSink {
 public:
  explicit SliderBandSink(std::vector<MScrollBar*> sliders) : sliders_(std::move(sliders)) {}

  int SliderCount() const override;
  int SliderAddr(int slider) const override;
  std::string EqIndexText(int slider) const override;
  void SetEqIndexText(int slider, const std::string& text) override;
  void SetBandFace(int slider, const BandFace& face) override;
  void SetSliderValue(int slider, int32_t value) override;
  void SetBandPosition(int slider, int32_t freq, int32_t q, int32_t sq) override;
  void SetForceShowFocus(int slider, bool on) override;

 private:
  MScrollBar* At(int slider) const;
  std::vector<MScrollBar*> sliders_;
};

}  // namespace mirelune::controls
