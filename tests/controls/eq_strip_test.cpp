// SPDX-License-Identifier: GPL-3.0-or-later
// The EQ band strip: its readout rows, the typed editor that takes or refuses text, the
// arrow keys and wheel on the readouts, the Q-type buttons, the bypass row and the click that
// selects a band.
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/eq_strip_face.h"
#include "controls/mscrollbar.h"
#include "test_support.h"

using namespace mirelune;
using namespace mirelune::controls;
using namespace mirelune::controls::testing;

namespace {

struct StripHost : Host {
  MScrollBar* strip;
  QLineEdit* other;  // somewhere else for the focus to go
  explicit StripHost(bool tall = false) {
    SliderSetup s;
    s.ScrollBarType = 1;
    s.EQNormalStyle = tall ? 1 : 0;
    strip = new MScrollBar(s, nullptr, &window);
    strip->move(10, 10);
    strip->show();
    strip->BkGround_Init();
    other = new QLineEdit(&window);
    other->move(200, 200);
    other->show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) qWarning("test window did not become active");
  }
};

void MoveTo(QWidget* w, QPoint p) {
  QTest::mouseMove(w, p + QPoint(1, 1));
  QTest::mouseMove(w, p);
}

void ClickAt(QWidget* w, QPoint p) {
  MoveTo(w, p);
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p);
}

}  // namespace

class EqStripTest : public QObject {
  Q_OBJECT

 private slots:
  void readoutRows_data();
  void readoutRows();
  void editorTakesTypedTextOrRefusesIt_data();
  void editorTakesTypedTextOrRefusesIt();
  void bandBeyondTheStripShowsItsOwnGain();
  void editorClosesWithoutCommit();
  void arrowKeysInTheOpenEditorAlwaysReport();
  void wheelOverTheReadoutsStepsFrequencyAndQ_data();
  void wheelOverTheReadoutsStepsFrequencyAndQ();
  void qTypeButtons();
  void bypassRowWorksWhileBypassed_data();
  void bypassRowWorksWhileBypassed();
  void clickSelectsThenSteps();
};

void EqStripTest::readoutRows_data() {
  QTest::addColumn<bool>("tall");
  QTest::addColumn<double>("y");
  QTest::addColumn<int>("row");
  const int none = int(StripRow::None), gain = int(StripRow::Gain), freq = int(StripRow::Freq),
            q = int(StripRow::Q);
  QTest::newRow("edge of the gain row belongs to none") << false << 125.0 << none;
  QTest::newRow("gain") << false << 130.0 << gain;
  QTest::newRow("gain wins the overlap") << false << 138.5 << gain;
  QTest::newRow("frequency") << false << 145.0 << freq;
  QTest::newRow("Q") << false << 160.0 << q;
  QTest::newRow("below Q") << false << 165.0 << none;
  QTest::newRow("tall gain") << true << 160.0 << gain;
  QTest::newRow("tall gap between gain and frequency") << true << 173.0 << none;
  QTest::newRow("tall frequency") << true << 180.0 << freq;
  QTest::newRow("tall Q") << true << 200.0 << q;
}

void EqStripTest::readoutRows() {
  QFETCH(bool, tall);
  QFETCH(double, y);
  QFETCH(int, row);
  QCOMPARE(int(ReadoutRowAt(tall, y)), row);
}

void EqStripTest::editorTakesTypedTextOrRefusesIt_data() {
  QTest::addColumn<int>("rowY");
  QTest::addColumn<int>("qType");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("field");
  QTest::addColumn<int>("expected");  // -1: refused, nothing changes
  QTest::newRow("gain -3.5 dB") << 132 << 0 << "-3.5" << "Value" << 215;
  QTest::newRow("gain with unit and comma") << 132 << 0 << "-3,5 dB" << "Value" << 215;
  QTest::newRow("gain +12 dB, the top") << 132 << 0 << "+12" << "Value" << 370;
  QTest::newRow("gain 20 dB refused") << 132 << 0 << "20" << "Value" << -1;
  QTest::newRow("gain -30 dB refused") << 132 << 0 << "-30" << "Value" << -1;
  QTest::newRow("gain text refused") << 132 << 0 << "abc" << "Value" << -1;
  QTest::newRow("gain in Hz refused") << 132 << 0 << "3 Hz" << "Value" << -1;
  QTest::newRow("gain 1e30 refused") << 132 << 0 << "1e30" << "Value" << -1;
  QTest::newRow("frequency 1.2k") << 145 << 0 << "1.2k" << "Freq" << 215;
  QTest::newRow("frequency 1,5 kHz") << 145 << 0 << "1,5 kHz" << "Freq" << 226;
  QTest::newRow("frequency 80 Hz") << 145 << 0 << "80 Hz" << "Freq" << 74;
  QTest::newRow("frequency above the table refused") << 145 << 0 << "30000" << "Freq" << -1;
  QTest::newRow("frequency below the table refused") << 145 << 0 << "5" << "Freq" << -1;
  QTest::newRow("frequency text refused") << 145 << 0 << "abc" << "Freq" << -1;
  QTest::newRow("Q 5 on a peaking band") << 158 << 0 << "5" << "q" << 44;
  QTest::newRow("Q 1.8 on a low shelf") << 158 << 1 << "1.8" << "sQ" << 26;
  QTest::newRow("Q 5 on a low shelf refused") << 158 << 1 << "5" << "sQ" << -1;
  QTest::newRow("Q text refused") << 158 << 0 << "abc" << "q" << -1;
  QTest::newRow("Q 500 refused") << 158 << 0 << "500" << "q" << -1;
}

void EqStripTest::editorTakesTypedTextOrRefusesIt() {
  QFETCH(int, rowY);
  QFETCH(int, qType);
  QFETCH(QString, typed);
  QFETCH(QString, field);
  QFETCH(int, expected);
  StripHost h;
  MScrollBar* s = h.strip;
  s->SetQType(qType);
  s->SetFreq(200);
  s->SetQ(20);
  s->SetSQ(5);
  QSignalSpy scroll(s, &MScrollBar::Scroll);

  ClickAt(s, QPoint(25, rowY));
  QVERIFY(s->EditorOpen());
  QVERIFY(s->Editor()->isVisible());
  QCOMPARE(QApplication::focusWidget(), s->Editor());
  // The whole readout is selected: what is typed replaces it, nothing is appended to it.
  QCOMPARE(s->Editor()->selectedText(), s->Editor()->text());
  QCOMPARE(s->Value(), 250.0f);  // the click on a readout is no gain step
  QCOMPARE(scroll.count(), 0);

  QTest::keyClicks(s->Editor(), typed);
  QCOMPARE(s->Editor()->text(), typed);
  QTest::keyClick(s->Editor(), Qt::Key_Return);
  if (expected < 0) {
    // Refused in place: still open with the text as typed, nothing reported or changed.
    QVERIFY(s->EditorOpen());
    QCOMPARE(s->Editor()->text(), typed);
    QVERIFY(!s->Editor()->toolTip().isEmpty());
    QCOMPARE(scroll.count(), 0);
    QTest::keyClick(s->Editor(), Qt::Key_Escape);
    QVERIFY(!s->EditorOpen());
    QCOMPARE(scroll.count(), 0);
  } else {
    QVERIFY(!s->EditorOpen());
    QVERIFY(!s->Editor()->isVisible());
    QCOMPARE(scroll.count(), 1);
    // The focus is back on the strip, not in a hidden editor.
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(s));
  }
  const int got = field == "Value" ? int(s->Value())
                  : field == "Freq" ? s->Freq()
                  : field == "q"    ? s->q()
                                    : s->sQ();
  if (expected >= 0) QCOMPARE(got, expected);
  // Only the target changed.
  if (field != "Value" || expected < 0) QCOMPARE(s->Value(), 250.0f);
  if (field != "Freq" || expected < 0) QCOMPARE(s->Freq(), 200);
  if (field != "q" || expected < 0) QCOMPARE(s->q(), 20);
  if (field != "sQ" || expected < 0) QCOMPARE(s->sQ(), 5);
}

void EqStripTest::bandBeyondTheStripShowsItsOwnGain() {
  StripHost h;
  MScrollBar* s = h.strip;
  QSignalSpy scroll(s, &MScrollBar::Scroll);
  s->SetValue(400);  // +15 dB: the strip reaches +12
  QCOMPARE(s->Position(), 360);
  QCOMPARE(s->Value(), 400.0f);  // read back as the band holds it
  ClickAt(s, QPoint(25, 132));
  QCOMPARE(s->Editor()->text(), QStringLiteral("15.0"));
  QTest::keyClick(s->Editor(), Qt::Key_Escape);
  // A change of something else (the bypass row) reports the band with its gain unchanged.
  ClickAt(s, QPoint(25, 170));
  QVERIFY(s->EQdisabled());
  QCOMPARE(scroll.count(), 1);
  QCOMPARE(s->Value(), 400.0f);
  ClickAt(s, QPoint(25, 170));
  QVERIFY(!s->EQdisabled());
  QCOMPARE(s->Value(), 400.0f);
  // A step down moves into the strip's range, and from there on the strip's own values hold.
  s->SetForceShowFocus(true);
  MoveTo(s, QPoint(28, 60));
  QTest::keyClick(s, Qt::Key_Down);
  QCOMPARE(s->Value(), 369.0f);
  QTest::keyClick(s, Qt::Key_Up);
  QCOMPARE(s->Value(), 370.0f);
}

void EqStripTest::editorClosesWithoutCommit() {
  StripHost h;
  MScrollBar* s = h.strip;
  s->SetFreq(200);
  QSignalSpy scroll(s, &MScrollBar::Scroll);

  // Focus going elsewhere.
  ClickAt(s, QPoint(25, 145));
  QVERIFY(s->EditorOpen());
  QTest::keyClicks(s->Editor(), "500");
  h.other->setFocus();
  QVERIFY(!s->EditorOpen());
  QVERIFY(!s->Editor()->isVisible());
  QCOMPARE(s->Freq(), 200);

  // A press elsewhere on the strip (the track, away from the thumb).
  ClickAt(s, QPoint(25, 145));
  QTest::keyClicks(s->Editor(), "500");
  MoveTo(s, QPoint(28, 100));
  QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(28, 100));
  QVERIFY(!s->EditorOpen());
  QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(28, 100));
  QCOMPARE(s->Freq(), 200);
  QCOMPARE(s->Value(), 250.0f);
  QCOMPARE(scroll.count(), 1);  // that click asked to select the band, nothing more
}

void EqStripTest::arrowKeysInTheOpenEditorAlwaysReport() {
  StripHost h;
  MScrollBar* s = h.strip;
  QSignalSpy scroll(s, &MScrollBar::Scroll);

  s->SetValue(369);
  ClickAt(s, QPoint(25, 132));
  QTest::keyClick(s->Editor(), Qt::Key_Up);
  QCOMPARE(s->Value(), 370.0f);
  QTest::keyClick(s->Editor(), Qt::Key_Up);
  QCOMPARE(s->Value(), 370.0f);  // held at +12 dB, and still reported
  QCOMPARE(scroll.count(), 2);
  QCOMPARE(s->Editor()->text(), QStringLiteral("12.0"));

  s->SetFreq(1);
  ClickAt(s, QPoint(25, 145));
  QTest::keyClick(s->Editor(), Qt::Key_Down);
  QCOMPARE(s->Freq(), 1);
  QCOMPARE(s->Editor()->text(), QStringLiteral("19.7"));
  QCOMPARE(scroll.count(), 3);

  s->SetQType(2);
  s->SetSQ(26);
  ClickAt(s, QPoint(25, 158));
  QTest::keyClick(s->Editor(), Qt::Key_Up);
  QCOMPARE(s->sQ(), 26);
  QCOMPARE(s->Editor()->text(), QStringLiteral("1.80"));
  QTest::keyClick(s->Editor(), Qt::Key_Down);
  QCOMPARE(s->sQ(), 25);
  QCOMPARE(scroll.count(), 5);
}

void EqStripTest::wheelOverTheReadoutsStepsFrequencyAndQ_data() {
  QTest::addColumn<bool>("tall");
  QTest::addColumn<int>("y");
  QTest::addColumn<int>("qType");
  QTest::addColumn<QString>("field");
  QTest::newRow("frequency row") << false << 145 << 0 << "Freq";
  QTest::newRow("tall frequency row") << true << 180 << 0 << "Freq";
  QTest::newRow("Q row, peaking") << false << 158 << 0 << "q";
  QTest::newRow("Q row, high shelf") << false << 158 << 2 << "sQ";
  QTest::newRow("gain track") << false << 100 << 0 << "Value";
}

void EqStripTest::wheelOverTheReadoutsStepsFrequencyAndQ() {
  QFETCH(bool, tall);
  QFETCH(int, y);
  QFETCH(int, qType);
  QFETCH(QString, field);
  StripHost h(tall);
  MScrollBar* s = h.strip;
  s->SetQType(qType);
  s->SetFreq(100);
  s->SetQ(20);
  s->SetSQ(10);
  auto read = [&] {
    return field == "Value" ? int(s->Value())
           : field == "Freq" ? s->Freq()
           : field == "q"    ? s->q()
                             : s->sQ();
  };
  const int before = read();
  QSignalSpy scroll(s, &MScrollBar::Scroll);
  MoveTo(s, QPoint(25, y));
  SendWheel(s, QPoint(25, y), 120);
  QCOMPARE(read(), before + 1);
  SendWheel(s, QPoint(25, y), -120);
  SendWheel(s, QPoint(25, y), -120);
  QCOMPARE(read(), before - 1);
  QCOMPARE(scroll.count(), 3);
  SendWheel(s, QPoint(25, y), 120, Qt::ControlModifier);
  QCOMPARE(read(), before - 1);
  QCOMPARE(scroll.count(), 3);
}

void EqStripTest::qTypeButtons() {
  StripHost h;
  MScrollBar* s = h.strip;
  s->SetForceShowFocus(true);  // a click step would show as a gain change
  QSignalSpy scroll(s, &MScrollBar::Scroll);
  const struct {
    int y;
    int type;
  } presses[] = {{85, 1}, {105, 2}, {70, 0}, {70, 0}};
  int n = 0;
  for (const auto& p : presses) {
    ClickAt(s, QPoint(5, p.y));
    QCOMPARE(s->QType(), p.type);
    QCOMPARE(scroll.count(), ++n);  // also when the type was already selected
  }
  QCOMPARE(s->Value(), 250.0f);
}

void EqStripTest::bypassRowWorksWhileBypassed_data() {
  QTest::addColumn<bool>("tall");
  QTest::addColumn<int>("y");
  QTest::newRow("normal strip") << false << 170;
  QTest::newRow("tall strip") << true << 212;
}

void EqStripTest::bypassRowWorksWhileBypassed() {
  QFETCH(bool, tall);
  QFETCH(int, y);
  StripHost h(tall);
  MScrollBar* s = h.strip;
  s->SetForceShowFocus(true);
  QSignalSpy scroll(s, &MScrollBar::Scroll);
  ClickAt(s, QPoint(30, y));
  QVERIFY(s->EQdisabled());
  QCOMPARE(scroll.count(), 1);
  QCOMPARE(s->Value(), 250.0f);

  // Everything else is refused while bypassed.
  MoveTo(s, QPoint(28, 100));
  QTest::keyClick(s, Qt::Key_Up);
  SendWheel(s, QPoint(28, 100), 120);
  ClickAt(s, QPoint(5, 85));   // Q-type button
  ClickAt(s, QPoint(25, 145)); // frequency readout
  ClickAt(s, QPoint(28, 100)); // track
  QCOMPARE(s->QType(), 0);
  QVERIFY(!s->EditorOpen());
  QCOMPARE(s->Value(), 250.0f);
  QCOMPARE(scroll.count(), 1);

  ClickAt(s, QPoint(30, y));
  QVERIFY(!s->EQdisabled());
  QCOMPARE(scroll.count(), 2);
}

void EqStripTest::clickSelectsThenSteps() {
  StripHost h;
  MScrollBar* s = h.strip;
  QSignalSpy scroll(s, &MScrollBar::Scroll);
  ClickAt(s, QPoint(28, 100));  // below the thumb (centre y 49.7)
  QCOMPARE(scroll.count(), 1);
  QCOMPARE(s->Value(), 250.0f);  // unselected: only asks to be selected
  s->SetForceShowFocus(true);
  ClickAt(s, QPoint(28, 100));
  QCOMPARE(scroll.count(), 2);
  QCOMPARE(s->Value(), 249.0f);  // selected: one step towards the press
}

QTEST_MAIN(EqStripTest)
#include "eq_strip_test.moc"
