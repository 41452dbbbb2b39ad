#include "controls/eq_strip_face.h"

#include <cmath>

#include <QLocale>

#include "model/scales.h"

namespace mirelune::controls {

namespace {

int S(bool tall) { return tall ? 1 : 0; }

// The rows are open intervals: a y exactly on a row's edge belongs to no row.
bool InRow(double y, int top, int bottom) { return y > top && y < bottom; }

constexpr int kFreqLowIndex = 1;    // 19.7 Hz
constexpr int kFreqHighIndex = 361;  // 20200 Hz

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

QString ReadoutTextPos(bool tall, StripRow row) {
  const int s = S(tall);
  switch (row) {
    case StripRow::Gain: return QStringLiteral("8,%1").arg(125 + 33 * s);
    case StripRow::Freq: return QStringLiteral("9,%1").arg(138 + 36 * s);
    case StripRow::Q: return QStringLiteral("5,%1").arg(151 + 39 * s);
    case StripRow::None: break;
  }
  return {};
}

int ReadoutTextWidth(StripRow row) { return row == StripRow::Q ? 5 : 4; }

QPointF BypassImagePos(bool tall) { return {17, 166.0 + 42 * S(tall)}; }

bool ParseTypedNumber(const QString& text, double& value) {
  const QString t = text.trimmed();
  bool ok = false;
  // The same reading under every locale: "." is the decimal point, group separators are
  // refused ("1.500" is one and a half everywhere, "1,5" nowhere).
  QLocale c = QLocale::c();
  c.setNumberOptions(c.numberOptions() | QLocale::RejectGroupSeparator);
  double v = c.toDouble(t, &ok);
  if (!ok || !std::isfinite(v)) return false;
  value = v;
  return true;
}

int CommitGainText(QString& text) {
  double v = 0;
  if (!ParseTypedNumber(text, v)) {
    text = QStringLiteral("0.0");
    v = 0;
  }
  // The typed number is single precision as on the device side; bound it before it becomes an
  // integer so that 1e30 clamps instead of overflowing.
  const double code = static_cast<double>(static_cast<float>(v)) * 10.0 + 250.0;
  if (code <= kGainMin) return kGainMin;
  if (code >= kGainMax) return kGainMax;
  return ClampGain(static_cast<int>(RoundHalfEven(code)));
}

int CommitFreqText(QString& text) {
  double v = 0;
  if (!ParseTypedNumber(text, v)) {
    text = QStringLiteral("100");
    v = 100;
  }
  const int i = FreqToIndex(static_cast<float>(v));
  return i < kFreqLowIndex ? kFreqLowIndex : (i > kFreqHighIndex ? kFreqHighIndex : i);
}

int CommitQText(QString& text, bool shelf) {
  double v = 0;
  if (!ParseTypedNumber(text, v)) {
    text = QStringLiteral("0.70");
    v = 0.70;
  }
  const int i = QToIndex(static_cast<float>(v));
  return shelf ? ClampSlopeIndex(i) : ClampQIndex(i);
}

}  // namespace mirelune::controls
