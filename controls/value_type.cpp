#include "controls/value_type.h"

#include <charconv>
#include <cmath>

#include "model/scales.h"

namespace mirelune::controls {

namespace {

QString OneDecimal(double v) {
  if (v == 0.0) v = 0.0;  // never "-0.0"
  return QString::number(v, 'f', 1);
}

}  // namespace

QString FrequencyText(int index) {
  if (index < 0 || index > kFreqMaxIndex) return {};
  if (index == kFreqMaxIndex) return QStringLiteral("OFF");
  const float hz = FreqAt(index);
  char buf[32];
  // Shortest text that reads back as the same single-precision number: 19.7, not 19.70000076.
  const auto r = std::to_chars(buf, buf + sizeof buf, hz, std::chars_format::fixed);
  return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

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
  switch (valueType) {
    case 0: return QString::number(p);
    case 1: return FrequencyText(p + 1);
    case 2: return OneDecimal((p - 400) / 10.0);
    case 3: return p < 90 ? OneDecimal(p / 10.0 + 1.0) : QString::number(p - 80);
    case 4: return OneDecimal((p + 1) * 0.5);
    case 5: return QString::number((p + 1) * 10);
    case 6: case 16: return FrequencyText(p + 298);
    case 7: return QString::number(p + 1);
    case 8: return QString::number(p - 50);
    case 9: return QString::number(p + 25);
    case 10: return QString::number(p < 100 ? p : 2 * p - 100) + QLatin1Char('%');
    case 11: return OneDecimal(p / 10.0);
    case 12: return OneDecimal((p - 260) / 10.0);
    case 13: return p == 0 ? QStringLiteral("OFF") : FrequencyText(p);
    case 14: return QString::number(p * 10);
    case 15: return QString::number(p + 10);
    default: return QStringLiteral("0");
  }
}

}  // namespace mirelune::controls
