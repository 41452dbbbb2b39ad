// SPDX-License-Identifier: GPL-3.0-or-later
// What goes on top of the curves, as plain data: grid lines and labels, the markers with their
// skin image ids, and the selected band's texts. GraphView draws these; tests check them
// without a painter.
#pragma once

#include <string>
#include <vector>

#include "graph/graph_geometry.h"

namespace mirelune {

class ResponseModel;

constexpr int kImageGraphBackground = 303;
constexpr int kImageBypassOverlay = 226;
constexpr int kImageMarkerInactive = 279;     // 12 x 12, drawn at -6
constexpr int kImageMarkerSelected = 325;     // + t, 32 x 32, drawn at -16
constexpr int kImageMarkerSmall = 342;        // + t, 16 x 16, drawn at -8
constexpr int kMarkerLowPass = 15;            // t of a low-pass marker
constexpr int kMarkerHighPass = 16;           // t of a high-pass marker

// Band colours by band number, 0xRRGGBB. Curves use them at alpha 0x70; the selected band's
// fill at alpha 13 x GradientLevel.
constexpr unsigned kBandColour[17] = {
    0x52E733, 0x3A8BE4, 0xC01AE6, 0xF42129, 0x5800F8, 0xBEFF08, 0x1BB4FF, 0x29FFA9, 0x6CB75E,
    0x5F8AB4, 0xA257B6, 0xBC5456, 0x6F4FBF, 0xA4C64E, 0x549FC2, 0x966420, 0xF42129};
constexpr unsigned kCurveAlpha = 0x70;
// Curves of a page whose EQ is bypassed: still there, plainly not in effect.
constexpr unsigned kBypassedCurveAlpha = 0x40;

struct GraphText {
  std::string text;  // UTF-8
  float x = 0;
  float y = 0;
};

struct GridLayout {
  std::vector<int> verticalX;    // 10 Hz .. 10 kHz decades and 20 kHz, rounded
  std::vector<float> horizontalY;  // +12 .. -24 dB in 6 dB steps
  std::vector<GraphText> labels;
};
GridLayout LayoutGrid(const GraphGeometry& geo);

struct MarkerDraw {
  int imageId = 0;
  float x = 0;     // top-left corner
  float y = 0;
  int scaledTo = 0;  // 0: natural size; else drawn as scaledTo x scaledTo
};
std::vector<MarkerDraw> LayoutMarkers(const ResponseModel& model);

// The selected band's texts (none while Locked or without bands).
std::vector<GraphText> LayoutSelectedTexts(const ResponseModel& model);

// A FreqTable frequency in its shortest decimal form ("19.7", "1000").
std::string FreqText(float hz);

}  // namespace mirelune
