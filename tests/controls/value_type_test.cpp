// SPDX-License-Identifier: GPL-3.0-or-later
// Every ValueType both ways through a real slider: the written raw value, the position it
// becomes, what Value reads back and what the readout says. The mute flag of style 0 and of
// HScrollSize 3 rides in the 250s of the raw value.
#include <cmath>
#include <limits>

#include <QTest>

#include "controls/mscrollbar.h"
#include "controls/value_type.h"
#include "model/scales.h"

using namespace mirelune;
using namespace mirelune::controls;

class ValueTypeTest : public QObject {
  Q_OBJECT

 private slots:
  void writeAndRead_data();
  void writeAndRead();
  void setupForcesRangesAndCentresThePosition_data();
  void setupForcesRangesAndCentresThePosition();
  void setupDefaultsAreTableIndexes();
  void shrinkingMaxValuePullsThePositionIn();
  void style7UnitImageFollowsTheValueType();
};

void ValueTypeTest::writeAndRead_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("hScrollSize");
  QTest::addColumn<int>("valueType");
  QTest::addColumn<int>("maxValue");
  QTest::addColumn<float>("written");
  QTest::addColumn<int>("position");
  QTest::addColumn<float>("readBack");
  QTest::addColumn<QString>("shown");

  const float nan = std::numeric_limits<float>::quiet_NaN();
  auto row = [](const char* name, int style, int hs, int vt, int max, float w, int p, float r,
                const char* text) {
    QTest::newRow(name) << style << hs << vt << max << w << p << r << QString::fromUtf8(text);
  };
  row("vt0 plain", 2, 2, 0, 80, 30, 30, 30, "30");
  row("vt0 above range clamps", 2, 2, 0, 80, 500, 80, 80, "80");
  row("vt0 negative clamps to 0", 2, 2, 0, 80, -5, 0, 0, "0");
  row("vt0 NaN gives 0", 2, 2, 0, 80, nan, 0, 0, "0");
  row("vt0 half rounds to even", 2, 2, 0, 80, 2.5f, 2, 2, "2");
  row("vt1 low end", 2, 2, 1, 142, 1, 0, 1, "19.7");
  row("vt1 high end", 2, 2, 1, 142, 143, 142, 143, "303");
  row("vt2 0 dB", 2, 0, 2, 400, 0, 400, 0, "0.0");
  row("vt2 -40 dB", 2, 0, 2, 400, 400, 0, 400, "-40.0");
  row("vt2 -13.5", 2, 0, 2, 400, 135, 265, 135, "-13.5");
  row("vt3 ratio 1.0", 2, 0, 3, 180, 10, 0, 10, "1.0");
  row("vt3 ratio 9.9", 2, 0, 3, 180, 99, 89, 99, "9.9");
  row("vt3 ratio 10", 2, 0, 3, 180, 100, 90, 100, "10");
  row("vt3 ratio 100", 2, 0, 3, 180, 190, 180, 190, "100");
  row("vt4 1.5 rounds to even 0", 2, 0, 4, 199, 1.5f, 0, 1, "0.5");
  row("vt4 top", 2, 0, 4, 199, 200, 199, 200, "100.0");
  row("vt5 low", 2, 0, 5, 199, 1, 0, 1, "10");
  row("vt5 top", 2, 0, 5, 199, 200, 199, 200, "2000");
  row("vt6 low", 2, 4, 6, 63, 298, 0, 298, "5990");
  row("vt6 position 63", 2, 4, 6, 63, 361, 63, 361, "20200");
  row("vt7", 2, 2, 7, 89, 90, 89, 90, "90");
  row("vt8 negative offset", 2, 2, 8, 100, 0, 0, 0, "-50");
  row("vt8 positive offset", 2, 2, 8, 100, 100, 100, 100, "50");
  row("vt9", 2, 2, 9, 50, 75, 50, 75, "75");
  row("vt10 below 100", 2, 2, 10, 150, 99, 99, 99, "99%");
  row("vt10 101 -> 100", 2, 2, 10, 150, 101, 100, 100, "100%");
  row("vt10 103 -> 101 reads 102", 2, 2, 10, 150, 103, 101, 102, "102%");
  row("vt10 200 -> 150", 2, 2, 10, 150, 200, 150, 200, "200%");
  row("vt10 style 0 mute only", 0, 0, 10, 150, 250, 0, 250, "0%");
  row("vt10 style 0 muted 130%", 0, 0, 10, 150, 380, 115, 380, "130%");
  row("vt10 style 0 unmuted", 0, 0, 10, 150, 120, 110, 120, "120%");
  row("vt10 HScrollSize 3 muted", 2, 3, 10, 150, 260, 10, 260, "10%");
  row("vt11", 2, 2, 11, 100, 55, 55, 55, "5.5");
  row("vt12 -26 dB", 2, 0, 12, 400, 400, 0, 400, "-26.0");
  row("vt12 0 dB", 2, 0, 12, 400, 140, 260, 140, "0.0");
  row("vt12 +14 dB", 2, 0, 12, 400, 0, 400, 0, "14.0");
  row("vt13 off", 2, 2, 13, 143, 0, 0, 0, "OFF");
  row("vt13 19.7", 2, 2, 13, 143, 1, 1, 1, "19.7");
  row("vt13 303", 2, 2, 13, 143, 143, 143, 143, "303");
  row("vt14", 2, 2, 14, 900, 900, 900, 900, "9000");
  row("vt15 strip 0 dB", 1, 0, 15, 360, 250, 240, 250, "250");
  row("vt15 strip below range", 1, 0, 15, 360, 5, 0, 10, "10");
  row("vt16 off at 64", 2, 1, 16, 64, 362, 64, 362, "OFF");
  row("vt16 20200 at 63", 2, 1, 16, 64, 361, 63, 361, "20200");
  row("unknown type", 2, 2, 17, 80, 55, 0, 0, "0");
}

void ValueTypeTest::writeAndRead() {
  QFETCH(int, style);
  QFETCH(int, hScrollSize);
  QFETCH(int, valueType);
  QFETCH(int, maxValue);
  QFETCH(float, written);
  QFETCH(int, position);
  QFETCH(float, readBack);
  QFETCH(QString, shown);

  SliderSetup s;
  s.ScrollBarType = style;
  s.HScrollSize = hScrollSize;
  s.ValueType = valueType;
  s.MaxValue = maxValue;
  MScrollBar bar(s, nullptr);
  QCOMPARE(bar.ValueType(), valueType);
  QCOMPARE(bar.MaxValue(), maxValue);
  bar.SetValue(written);
  QCOMPARE(bar.Position(), position);
  QCOMPARE(bar.Value(), readBack);
  QCOMPARE(ShownText(valueType, bar.Position()), shown);
  // Reading back and writing again is stable.
  bar.SetValue(bar.Value());
  QCOMPARE(bar.Position(), position);
}

void ValueTypeTest::setupForcesRangesAndCentresThePosition_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("givenType");
  QTest::addColumn<int>("givenMax");
  QTest::addColumn<int>("type");
  QTest::addColumn<int>("max");
  QTest::addColumn<int>("position");
  QTest::newRow("style 0 forces volume range") << 0 << 0 << 80 << 10 << 150 << 75;
  QTest::newRow("style 1 forces gain range, 0 dB") << 1 << 0 << 80 << 15 << 360 << 240;
  QTest::newRow("style 2 keeps layout, 71.5 -> 72") << 2 << 13 << 143 << 13 << 143 << 72;
  QTest::newRow("style 6 keeps layout") << 6 << 9 << 50 << 9 << 50 << 25;
  QTest::newRow("max 0 is stored as 1") << 2 << 0 << 0 << 0 << 1 << 0;
  QTest::newRow("negative max is stored as 1") << 5 << 0 << -7 << 0 << 1 << 0;
}

void ValueTypeTest::setupForcesRangesAndCentresThePosition() {
  QFETCH(int, style);
  QFETCH(int, givenType);
  QFETCH(int, givenMax);
  QFETCH(int, type);
  QFETCH(int, max);
  QFETCH(int, position);
  SliderSetup s;
  s.ScrollBarType = style;
  s.ValueType = givenType;
  s.MaxValue = givenMax;
  MScrollBar bar(s, nullptr);
  QCOMPARE(bar.ValueType(), type);
  QCOMPARE(bar.MaxValue(), max);
  QCOMPARE(bar.Position(), position);
  QCOMPARE(bar.size(), GeometryFor(style, 0, 0, type).size);
}

void ValueTypeTest::setupDefaultsAreTableIndexes() {
  const SliderSetup s;
  QCOMPARE(s.Freq, FreqToIndex(100.0f));
  QCOMPARE(s.q, QToIndex(0.7f));
  QCOMPARE(s.sQ, QToIndex(0.6f));
  // Out-of-range layout values are clamped into the scales.
  SliderSetup wild;
  wild.ScrollBarType = 1;
  wild.q = 170;
  wild.sQ = 60;
  MScrollBar bar(wild, nullptr);
  QCOMPARE(bar.q(), 100);
  QCOMPARE(bar.sQ(), 26);
}

void ValueTypeTest::shrinkingMaxValuePullsThePositionIn() {
  SliderSetup s;
  s.ScrollBarType = 6;
  MScrollBar bar(s, nullptr);
  bar.SetValue(70);
  bar.SetMaxValue(60);
  QCOMPARE(bar.Value(), 60.0f);
  bar.SetMaxValue(0);
  QCOMPARE(bar.MaxValue(), 1);
  QCOMPARE(bar.Value(), 1.0f);
}

void ValueTypeTest::style7UnitImageFollowsTheValueType() {
  SliderSetup s;
  s.ScrollBarType = 7;
  s.ValueType = 10;
  s.MaxValue = 150;
  MScrollBar bar(s, nullptr);
  QCOMPARE(bar.Geometry().background[1].id, 269);  // the percent box
  bar.SetValueType(0);
  QCOMPARE(bar.Geometry().background[1].id, 101);
}

QTEST_MAIN(ValueTypeTest)
#include "value_type_test.moc"
