// SPDX-License-Identifier: GPL-3.0-or-later
// What the response graph needs from the main window's sliders: find the strip bound to an
// address, show which graph band a strip edits, mirror the band's values onto it, and mark the
// selected band's strip. The skinned sliders implement this; tests use a recording fake.
//
// Sliders are numbered 1..SliderCount(); 0 means "no slider".
#pragma once

#include <cstdint>
#include <string>

namespace mirelune {

// The band values a strip shows.
struct BandFace {
  int32_t Freq = 0;
  int32_t Q = 0;
  int32_t SQ = 0;
  int32_t QType = 0;
  int16_t EQDisabled = 0;
};

class BandSliderSink {
 public:
  virtual ~BandSliderSink() = default;

  virtual int SliderCount() const = 0;
  virtual int SliderAddr(int slider) const = 0;  // parameter address, -1 when unbound

  // The strip's EQindex text: the graph band number it edits, "" when none.
  virtual std::string EqIndexText(int slider) const = 0;
  virtual void SetEqIndexText(int slider, const std::string& text) = 0;

  virtual void SetBandFace(int slider, const BandFace& face) = 0;  // Freq, q, sQ, QType, EQdisabled
  virtual void SetSliderValue(int slider, int32_t value) = 0;
  // Freq, q and sQ only (a drag does not change the shape or the bypass).
  virtual void SetBandPosition(int slider, int32_t freq, int32_t q, int32_t sq) = 0;
  virtual void SetForceShowFocus(int slider, bool on) = 0;

  // The first slider bound to `address`, 0 when none.
  virtual int FindSlider(int address) const {
    for (int i = 1; i <= SliderCount(); ++i)
      if (SliderAddr(i) == address) return i;
    return 0;
  }
};

}  // namespace mirelune
