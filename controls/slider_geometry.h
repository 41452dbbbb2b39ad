// SPDX-License-Identifier: GPL-3.0-or-later
// Size, orientation, track and images of each slider style, and the maths between a position
// and pixels. Pure data and functions: the widget asks here, tests check here.
//
// Coordinates are pixels from the slider's top-left corner. The knob (style 5) measures its
// drags in twips, 15 per pixel, which the functions below take care of.
#pragma once

#include <array>

#include <QPointF>
#include <QSize>
#include <QString>

namespace mirelune::controls {

enum class Orientation { Vertical, Horizontal, Knob };

struct PlacedImage {
  int id = 0;  // 0: none
  double x = 0;
  double y = 0;
};

struct SliderGeometry {
  QSize size;
  Orientation orientation = Orientation::Horizontal;
  int thumbWidth = 0;
  int thumbHeight = 0;
  double thumbX = 0;  // vertical styles: left edge of the thumb
  double thumbY = 0;  // horizontal styles: top edge of the thumb
  int origin = 0;     // y0 (vertical) or x0 (horizontal): where position MaxValue/0 sits
  int length = 1;
  std::array<PlacedImage, 2> background{};  // drawn once into the background layer
  int fillNormal = 0;
  int fillGreyed = 0;
  int fillDance = 0;
  int thumbNormal = 0;
  int thumbGreyed = 0;
  int thumbFocused = 0;  // 0: the style has no highlighted thumb
  QString textPos;       // "x,y" for DrawSkinText
  int textWidth = 0;
  bool muteIcon = false;  // HScrollSize 3: a mute icon at (140, 5)
};

// The geometry of a style. HScrollSize selects the horizontal variant of styles 2, 3 and 7
// (values outside 0..4 behave as 0); EQNormalStyle 1 is the tall EQ strip; ValueType picks the
// unit image of style 7.
SliderGeometry GeometryFor(int style, int hScrollSize, int eqNormalStyle, int valueType);

constexpr double kTwipsPerPixel = 15.0;

// Centre of the thumb along the track, in pixels. The top of a vertical track is the maximum.
double ThumbCentre(const SliderGeometry& g, int position, int maxValue);

// Rotation of the knob image: a 266 degree sweep centred on the top, in 0..360.
double KnobAngle(int position, int maxValue);

// Position whose thumb centre is nearest the pointer (vertical: y, horizontal: x), clamped to
// 0..maxValue, halves to even. `grab` is subtracted first (the offset of a vertical drag).
int PositionAt(const SliderGeometry& g, double x, double y, int maxValue, double grab = 0);

// Knob drag: one position per 100 twips of vertical travel, up increases.
int KnobPositionAt(int startPosition, double y, double pressY, int maxValue);

// Whether a press at (x, y) lies on the thumb whose centre is `centre`.
bool ThumbHit(const SliderGeometry& g, double centre, double x, double y);

// Rounds half to even and clamps into 0..maxValue; NaN gives 0.
int NearestPosition(double p, int maxValue);

}  // namespace mirelune::controls
