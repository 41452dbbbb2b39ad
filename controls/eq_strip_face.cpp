// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/eq_strip_face.h"

#include "model/scales.h"

namespace mirelune::controls {

namespace {

int S(bool tall) { return tall ? 1 : 0; }

// The rows are open intervals: a y exactly on a row's edge belongs to no row.
bool InRow(double y, int top, int bottom) { return y > top && y < bottom; }


}  // namespace

StripRow ReadoutRowAt(bool tall, double y) {
  const int s = S(tall);
  if (InRow(y, 125 + 33 * s, 139 + 33 * s)) return StripRow::Gain;
  if (InRow(y, 138 + 36 * s, 152 + 36 * s)) return StripRow::Freq;
  if (InRow(y, 151 + 39 * s, 165 + 39 * s)) return StripRow::Q;
  return StripRow::None;
}

int QTypeButtonAt(double x, double y) {
  if (x >= 16) return -1;
  if (InRow(y, 60, 78)) return 0;
  if (InRow(y, 78, 96)) return 1;
  if (InRow(y, 96, 114)) return 2;
  return -1;
}

bool InBypassRow(bool tall, double y) {
  const int s = S(tall);
  return InRow(y, 166 + 42 * s, 177 + 42 * s);
}

QPoint EditorTopLeft(bool tall, StripRow row) {
  const int s = S(tall);
  switch (row) {
    case StripRow::Gain: return {3, 123 + 33 * s};
    case StripRow::Freq: return {4, 136 + 36 * s};
    case StripRow::Q: return {4, 149 + 39 * s};
    case StripRow::None: break;
  }
  return {};
}

QPointF ReadoutTextPos(bool tall, StripRow row) {
  const int s = S(tall);
  switch (row) {
    case StripRow::Gain: return {8, 125.0 + 33 * s};
    case StripRow::Freq: return {9, 138.0 + 36 * s};
    case StripRow::Q: return {5, 151.0 + 39 * s};
    case StripRow::None: break;
  }
  return {};
}

int ReadoutTextWidth(StripRow row) { return row == StripRow::Q ? 5 : 4; }

QPointF BypassImagePos(bool tall) { return {17, 166.0 + 42 * S(tall)}; }

}  // namespace mirelune::controls
