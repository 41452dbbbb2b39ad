// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/graph_overlay.h"

#include <charconv>
#include <cmath>

#include "graph/response_model.h"
#include "model/scales.h"

namespace mirelune {

std::string FreqText(float hz) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, hz, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

GridLayout LayoutGrid(const GraphGeometry& geo) {
  GridLayout g;
  for (int decade = 10; decade <= 1000; decade *= 10)
    for (int k = 1; k <= 9; ++k)
      g.verticalX.push_back(static_cast<int>(RoundHalfEven(geo.XFromFreq(static_cast<float>(k * decade)))));
  for (float f : {10000.0f, 20000.0f})
    g.verticalX.push_back(static_cast<int>(RoundHalfEven(geo.XFromFreq(f))));
  for (float dB : {12.0f, 6.0f, 0.0f, -6.0f, -12.0f, -18.0f, -24.0f})
    g.horizontalY.push_back(geo.YFromDb(dB));

  const float labelY = geo.YFromDb(-25.5f);
  const struct { const char* text; float hz; float dx; } freqLabels[] = {
      {"20Hz", 20, -14}, {"100Hz", 100, -14}, {"1KHz", 1000, -14}, {"10KHz", 10000, -14},
      {"20KHz", 20000, -16}};
  for (const auto& l : freqLabels) g.labels.push_back({l.text, geo.XFromFreq(l.hz) + l.dx, labelY});
  const struct { const char* text; float dB; } dbLabels[] = {
      {"+12dB", 12}, {" +6dB", 6}, {"  0dB", 0}, {" -6dB", -6}, {"-12dB", -12}, {"-18dB", -18}, {"-24dB", -24}};
  for (const auto& l : dbLabels) g.labels.push_back({l.text, 7.0f, geo.YFromDb(l.dB) - 6.0f});
  return g;
}

namespace {

int MarkerNumber(const GraphBand& band, int b) {
  if (band.Kind == kBandLowPass) return kMarkerLowPass;
  if (band.Kind == kBandHighPass) return kMarkerHighPass;
  return b;
}

}  // namespace

std::vector<MarkerDraw> LayoutMarkers(const ResponseModel& model) {
  std::vector<MarkerDraw> out;
  for (int b = 0; b < model.BandCount(); ++b) {
    const GraphBand& band = model.Band(b);
    MarkerPos p = model.Marker(b);
    const int t = MarkerNumber(band, b);
    if (model.Locked() || band.EQDisabled != 0 || band.Hidden != 0) {
      out.push_back({kImageMarkerInactive, p.x - 6, p.y - 6, 0});
    } else if (b == model.SelectedBand()) {
      p.x = static_cast<float>(RoundHalfEven(p.x));
      if (model.BlinkPhase())
        out.push_back({kImageMarkerSelected + t, p.x - 19, p.y - 19, 40});
      else
        out.push_back({kImageMarkerSelected + t, p.x - 16, p.y - 16, 0});
    } else {
      out.push_back({kImageMarkerSmall + t, p.x - 8, p.y - 8, 0});
    }
  }
  return out;
}

std::vector<GraphText> LayoutSelectedTexts(const ResponseModel& model) {
  std::vector<GraphText> out;
  const int sel = model.SelectedBand();
  if (model.Locked() || sel < 0 || sel >= model.BandCount()) return out;
  const GraphBand& band = model.Band(sel);
  const MarkerPos p = model.Marker(sel);
  float x = static_cast<float>(RoundHalfEven(p.x));
  const float y = p.y;
  if (x > static_cast<float>(model.Geometry().Right() - 80)) x -= 70;
  if (band.Kind == kBandEq) {
    if (band.EQDisabled != 0) return out;
    const int q = band.QType != 0 ? band.SQ : band.Q;
    out.push_back({FreqText(FreqAt(band.Freq)) + "Hz", x + 15, y - 16});
    out.push_back({GainText(band.Gain) + "dB", x + 15, y - 4});
    out.push_back({QIndexText(q) + " Q", x + 15, y + 8});
  } else if (band.Freq == 0) {
    out.push_back({"OFF", x - 10, y - 22});
  } else if (band.Freq == kFreqMaxIndex) {
    out.push_back({"OFF", x + 60, y - 25});
  } else {
    out.push_back({FreqText(FreqAt(band.Freq)) + "Hz", x - 15, y - 22});
  }
  return out;
}

}  // namespace mirelune
