// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/value_type.h"

#include <cmath>

#include "model/scales.h"
#include "model/value_text.h"

namespace mirelune::controls {

QString FrequencyText(int index) { return QString::fromStdString(FrequencyNumber(index)); }

QString QText(int index) { return QString::fromStdString(QIndexText(index)); }

float ValueFromPosition(int valueType, int p) {
  switch (valueType) {
    case 0: case 8: case 11: case 13: case 14: return static_cast<float>(p);
    case 1: case 4: case 5: case 7: return static_cast<float>(p + 1);
    case 2: case 12: return static_cast<float>(400 - p);
    case 3: case 15: return static_cast<float>(p + 10);
    case 6: case 16: return static_cast<float>(p + 298);
    case 9: return static_cast<float>(p + 25);
    case 10: return static_cast<float>(p < 100 ? p : 2 * p - 100);
    default: return 0.0f;
  }
}

int PositionFromValue(int valueType, float v, int maxValue) {
  double p = 0;
  switch (valueType) {
    case 0: case 8: case 11: case 13: case 14: p = v; break;
    case 1: case 4: case 5: case 7: p = v - 1.0; break;
    case 2: case 12: p = 400.0 - v; break;
    case 3: case 15: p = v - 10.0; break;
    case 6: case 16: p = v - 298.0; break;
    case 9: p = v - 25.0; break;
    case 10:
      // Above 100 % one position is two percent: 101 -> 100, 103 -> 101, 200 -> 150.
      if (v >= 100.0f) {
        // Far beyond any range the result is clamped anyway; bound it before rounding to an integer.
        const double over = std::fmin(static_cast<double>(v) - 100.0, 1e9);
        p = static_cast<double>(RoundHalfEven(over) / 2) + 100.0;
      } else {
        p = v;
      }
      break;
    default: p = 0; break;
  }
  if (std::isnan(p)) return 0;
  if (p < 0) p = 0;
  if (p > maxValue) p = maxValue;
  return static_cast<int>(RoundHalfEven(p));
}

QString ShownText(int valueType, int p) {
  QString text = QString::fromStdString(ShownNumber(valueType, p));
  if (valueType == 10) text += QLatin1Char('%');
  return text;
}

}  // namespace mirelune::controls
