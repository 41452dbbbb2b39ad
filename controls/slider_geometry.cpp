// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/slider_geometry.h"

#include <cmath>

#include "model/scales.h"

namespace mirelune::controls {

namespace {

struct Horizontal {
  int x0;
  int thumbY;
  PlacedImage bg0;
  PlacedImage bg1;
  int fill[3];  // normal, greyed, dance mode
  const char* text;
  QSize size;  // style 2 only
};

// The horizontal variants by HScrollSize.
const Horizontal kHorizontal[5] = {
    {12, 15, {135, 0, 0}, {382, 66, 0}, {136, 271, 275}, "72,1", {150, 40}},
    {12, 15, {135, 0, 0}, {382, 37, 0}, {136, 271, 275}, "43,1", {150, 40}},
    {7, 2, {140, 0, 0}, {269, 138, 4}, {141, 273, 277}, "143,4", {170, 30}},
    {7, 2, {140, 0, 0}, {269, 150, 4}, {141, 273, 277}, "154,4", {180, 26}},
    {7, 2, {140, 0, 0}, {382, 138, 4}, {141, 273, 277}, "143,4", {170, 30}},
};

void SetFill(SliderGeometry& g, int normal, int greyed, int dance) {
  g.fillNormal = normal;
  g.fillGreyed = greyed;
  g.fillDance = dance;
}

void SetHorizontalThumb(SliderGeometry& g) {
  g.orientation = Orientation::Horizontal;
  g.thumbWidth = 15;
  g.thumbHeight = 22;
  g.thumbNormal = 137;
  g.thumbGreyed = 108;
}

}  // namespace

SliderGeometry GeometryFor(int style, int hScrollSize, int eqNormalStyle, int valueType) {
  SliderGeometry g;
  const Horizontal& h = kHorizontal[(hScrollSize >= 0 && hScrollSize <= 4) ? hScrollSize : 0];
  const int s = eqNormalStyle == 1 ? 1 : 0;
  switch (style) {
    case 0:
      g.size = {74, 180};
      g.orientation = Orientation::Vertical;
      g.thumbWidth = 18;
      g.thumbHeight = 22;
      g.thumbX = 24;
      g.origin = 26;
      g.length = 123;
      g.background = {PlacedImage{104, 0, 2}, PlacedImage{269, 22, 160}};
      SetFill(g, 103, 0, 103);
      g.thumbNormal = 102;
      g.thumbGreyed = 107;
      g.thumbFocused = 270;
      g.textPos = QStringLiteral("30,160");
      g.textWidth = 2;
      break;
    case 1:
      g.size = {43, 178 + 46 * s};
      g.orientation = Orientation::Vertical;
      g.thumbWidth = 24;
      g.thumbHeight = 16;
      g.thumbX = 16;
      g.origin = 18;
      g.length = 95 + 27 * s;
      g.background = {PlacedImage{s ? 374 : 113, 0, 0}, PlacedImage{}};
      SetFill(g, s ? 375 : 112, s ? 377 : 272, s ? 376 : 276);
      g.thumbNormal = 102;
      g.thumbGreyed = 107;
      g.thumbFocused = 270;
      break;
    case 3:
      SetHorizontalThumb(g);
      g.size = {184, 25};
      g.origin = h.x0;
      g.thumbY = h.thumbY;
      g.length = 122;
      g.background = {PlacedImage{135, 0, 0}, PlacedImage{139, 126, 5}};
      SetFill(g, h.fill[0], h.fill[1], h.fill[2]);
      g.textPos = QString::fromLatin1(h.text);
      g.textWidth = 6;
      break;
    case 4:
      SetHorizontalThumb(g);
      g.size = {124, 42};
      g.origin = 8;
      g.thumbY = 18;
      g.length = 110;
      g.background = {PlacedImage{140, 0, 0}, PlacedImage{138, 57, 1.5}};
      SetFill(g, 141, 273, 277);
      g.textPos = QStringLiteral("64,2");
      g.textWidth = 3;
      break;
    case 5:
      g.size = {127, 167};
      g.orientation = Orientation::Knob;
      g.length = 1;
      g.background = {PlacedImage{382, 47, 140}, PlacedImage{}};
      g.thumbNormal = 182;
      g.thumbGreyed = 182;
      g.textPos = QStringLiteral("58,140");
      g.textWidth = 2;
      break;
    case 6:
      SetHorizontalThumb(g);
      g.size = {182, 28};
      g.origin = 8;
      g.thumbY = 4;
      g.length = 140;
      g.background = {PlacedImage{220, 0, 0}, PlacedImage{101, 157, 7}};
      SetFill(g, 221, 274, 221);
      g.thumbGreyed = 137;  // no greyed variant
      g.textPos = QStringLiteral("159,8");
      g.textWidth = 2;
      break;
    case 7:
      SetHorizontalThumb(g);
      g.size = {174, 25};
      g.origin = h.x0;
      g.thumbY = h.thumbY;
      g.length = 122;
      g.background = {PlacedImage{135, 0, 0}, PlacedImage{valueType != 0 ? 269 : 101, 135, 5}};
      SetFill(g, h.fill[0], h.fill[1], h.fill[2]);
      g.textPos = QString::fromLatin1(h.text);
      g.textWidth = 6;
      break;
    case 2:
    default:  // the styles in the layouts are 0..7; anything else draws as the common style 2
      SetHorizontalThumb(g);
      g.size = h.size;
      g.origin = h.x0;
      g.thumbY = h.thumbY;
      g.length = 122;
      g.background = {h.bg0, h.bg1};
      SetFill(g, h.fill[0], h.fill[1], h.fill[2]);
      g.textPos = QString::fromLatin1(h.text);
      g.textWidth = 3;
      break;
  }
  g.muteIcon = hScrollSize == 3;
  return g;
}

int NearestPosition(double p, int maxValue) {
  if (std::isnan(p)) return 0;
  if (p < 0) p = 0;
  if (p > maxValue) p = maxValue;
  return static_cast<int>(RoundHalfEven(p));
}

double ThumbCentre(const SliderGeometry& g, int position, int maxValue) {
  if (maxValue <= 0) maxValue = 1;
  if (position > maxValue) position = maxValue;
  if (g.orientation == Orientation::Vertical)
    return static_cast<double>(maxValue - position) * g.length / maxValue + g.origin;
  return static_cast<double>(position) * g.length / maxValue + g.origin;
}

double KnobAngle(int position, int maxValue) {
  if (maxValue <= 0) maxValue = 1;
  if (position > maxValue) position = maxValue;
  double a = static_cast<double>(position) * 266.0 / maxValue - 133.0;
  if (a < 0) a += 360.0;
  return a;
}

int PositionAt(const SliderGeometry& g, double x, double y, int maxValue, double grab) {
  if (g.orientation == Orientation::Vertical)
    return NearestPosition(maxValue - maxValue * (y - grab - g.origin) / g.length, maxValue);
  return NearestPosition(maxValue * (x - grab - g.origin) / g.length, maxValue);
}

int KnobPositionAt(int startPosition, double y, double pressY, int maxValue) {
  return NearestPosition(startPosition - (y - pressY) * kTwipsPerPixel / 100.0, maxValue);
}

bool ThumbHit(const SliderGeometry& g, double centre, double x, double y) {
  switch (g.orientation) {
    case Orientation::Vertical:
      return x >= g.thumbX && x <= g.thumbX + g.thumbWidth && y >= centre - g.thumbHeight / 2.0 &&
             y <= centre + g.thumbHeight / 2.0;
    case Orientation::Horizontal:
      return y >= g.thumbY - 2 && y <= g.thumbY + g.thumbHeight + 2 &&
             x >= centre - g.thumbWidth / 2.0 && x <= centre + g.thumbWidth / 2.0;
    case Orientation::Knob:
      return y < g.size.width();
  }
  return false;
}

}  // namespace mirelune::controls
