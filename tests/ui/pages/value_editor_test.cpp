// SPDX-License-Identifier: GPL-3.0-or-later
// Typing a value into any slider of the console, as a person does: a double-click or Enter on
// the slider, keys typed into the frame's window, Enter, Esc, a click elsewhere, the loss of
// focus - and what the virtual amplifier holds afterwards.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "controls/mbtnflag.h"
#include "controls/mscrollbar.h"
#include "controls/value_type.h"
#include "link/frame_codec.h"
#include "ui/tuning/mode_controls.h"
#include "ui/pages/page_table.h"
#include "ui/dialogs/secondary_window.h"
#include "tests/ui/console_fixture.h"
#include "platform/tr.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using controls::MScrollBar;

namespace {

void Settle(Console& c, int ms = 300) { c.RunUntil([] { return false; }, ms); }

void Activate(Console& c) {
  c.frame->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(c.frame.get()));
}

// Keys as the keyboard delivers them: to the frame's window, which hands them to the focus.
void Type(Console& c, const QString& text) {
  for (QChar ch : text) {
    const char latin = ch.toLatin1();
    if (latin) {
      QTest::keyClick(c.frame->windowHandle(), latin);
    } else {
      QTest::sendKeyEvent(QTest::KeyAction::Click, c.frame->windowHandle(), Qt::Key_unknown, QString(ch),
                          Qt::NoModifier);
    }
  }
}
void Key(Console& c, Qt::Key key) { QTest::keyClick(c.frame->windowHandle(), key); }

QPoint InFrame(Console& c, QWidget* w, QPoint p) { return w->mapTo(c.frame.get(), p); }

void DoubleClick(Console& c, QWidget* w, QPoint p) {
  QWindow* win = c.frame->windowHandle();
  const QPoint at = InFrame(c, w, p);
  QTest::mouseMove(win, at);
  QTest::mouseDClick(win, Qt::LeftButton, Qt::NoModifier, at);
}

void ClickAt(Console& c, QWidget* w, QPoint p) {
  QWindow* win = c.frame->windowHandle();
  const QPoint at = InFrame(c, w, p);
  QTest::mouseMove(win, at);
  QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, at);
}

void ShowPage(Console& c, int page) {
  ClickAt(c, c.eq().PageButton(page), QPoint(20, 10));
  QCOMPARE(int(c.store().CurrentPage), page);
}

MScrollBar* SliderOn(Console& c, int page, int number) {
  return c.eq().PageContainer(page)->findChild<MScrollBar*>(QString("MyScrollBar%1").arg(number));
}

// SetParam frames the amplifier received since `from`.
int SetParamsSince(VirtualAmplifier& amp, size_t from) {
  int n = 0;
  const auto& log = amp.CommandLog();
  for (size_t i = from; i < log.size(); ++i)
    if (log[i].size() > 5 && log[i][1] == SetParam) ++n;
  return n;
}

// The point of a slider to double-click: the middle of its track, away from the readout.
QPoint TrackPoint(MScrollBar* s) {
  const auto& g = s->Geometry();
  if (g.orientation == controls::Orientation::Vertical) return {s->width() / 2, g.origin + g.length / 3};
  return {g.origin + g.length / 3, s->height() / 2};
}

}  // namespace

class ValueEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void typedTextReachesTheAmplifier_data();
  void typedTextReachesTheAmplifier();
  void refusedTextSendsNothing_data();
  void refusedTextSendsNothing();
  void enterOpensAndCancellingLeavesTheValue();
  void bandStripTakesTypedGain();
  void readoutsCarryTheirUnits();
  void secondaryWindowSlidersTakeTypedValues();
};

void ValueEditorTest::typedTextReachesTheAmplifier_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("slider");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("address");
  QTest::addColumn<int>("raw");  // what the amplifier holds afterwards
  QTest::addColumn<QString>("shown");
  QTest::newRow("mic high-pass 80 Hz") << 1 << 33 << "80 Hz" << 256 << 74 << "80.3 Hz";
  // A filter switched off reads "关" in the Chinese console; "off", "OFF" and "关" are taken.
  QTest::newRow("mic high-pass OFF") << 1 << 33 << "off" << 256 << 0 << QString::fromUtf8("关");
  QTest::newRow("mic threshold, comma") << 1 << 125 << "-3,5 dB" << 272 << 35 << "-3.5 dB";
  QTest::newRow("echo delay in ms") << 3 << 144 << "250 ms" << 769 << 250 << "250 ms";
  QTest::newRow("echo delay bare") << 3 << 144 << "12" << 769 << 12 << "12 ms";
  QTest::newRow("reverb time in s") << 3 << 138 << "1,2 s" << 788 << 120 << "1200 ms";
  QTest::newRow("reverb high cut 12k") << 3 << 140 << "12k" << 782 << -1 << "";
  QTest::newRow("main out volume 150%") << 4 << 60 << "150%" << 1024 << 150 << "150%";
  QTest::newRow("main out delay") << 4 << 70 << "2.5 ms" << 1046 << 25 << "2.5 ms";
  QTest::newRow("main out ratio") << 4 << 152 << "4:1" << 1043 << 40 << "4.0:1";
  QTest::newRow("music low-pass OFF") << 0 << 183 << "OFF" << 16 << 362 << QString::fromUtf8("关");
  QTest::newRow("music low-pass 关") << 0 << 183 << QString::fromUtf8("关") << 16 << 362 << QString::fromUtf8("关");
}

// Double-click on the track, the whole text selected, typed over, Enter: exactly that value
// on the amplifier, shown with its unit; the console's keys work at once afterwards.
void ValueEditorTest::typedTextReachesTheAmplifier() {
  QFETCH(int, page);
  QFETCH(int, slider);
  QFETCH(QString, typed);
  QFETCH(int, address);
  QFETCH(int, raw);
  QFETCH(QString, shown);
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  ShowPage(c, page);
  MScrollBar* s = SliderOn(c, page, slider);
  QVERIFY(s && s->isVisible());
  QCOMPARE(s->Addr(), address);
  const int32_t before = c.amp().Working().at(0, address).Value;

  DoubleClick(c, s, TrackPoint(s));
  QVERIFY(s->EditorOpen());
  QLineEdit* ed = s->Editor();
  QCOMPARE(QApplication::focusWidget(), ed);
  QCOMPARE(ed->selectedText(), ed->text());
  // The first click of the double-click stepped the value; it was taken back.
  Settle(c);
  QCOMPARE(c.amp().Working().at(0, address).Value, before);

  Type(c, typed);
  QCOMPARE(ed->text(), typed);
  Key(c, Qt::Key_Return);
  Settle(c);
  QVERIFY(!s->EditorOpen());
  if (raw < 0) {
    // The nearest entry of the scale: the text it shows reads back as the typed value.
    QVERIFY(s->ReadoutText().endsWith(" Hz"));
    raw = c.store().ParamTable.at(0, address).Value;
    QVERIFY(std::abs(s->ReadoutText().chopped(3).toDouble() - 12000) < 300);
  } else {
    QCOMPARE(s->ReadoutText(), shown);
  }
  QCOMPARE(c.amp().Working().at(0, address).Value, raw);
  QCOMPARE(c.store().ParamTable.at(0, address).Value, raw);

  // The console's own keys again, at once.
  const int32_t master = c.store().ParamTable.at(0, 2560).Value;
  Type(c, "q");
  Settle(c);
  QCOMPARE(c.store().ParamTable.at(0, 2560).Value, master + 1);
}

void ValueEditorTest::refusedTextSendsNothing_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("ending");
  QTest::newRow("letters, Esc") << "qsseee" << "esc";
  QTest::newRow("beyond the range, Esc") << "500 Hz" << "esc";
  QTest::newRow("wrong unit, click elsewhere") << "80 ms" << "click";
  QTest::newRow("garbage, focus lost") << "1.80qs" << "focus";
}

// Text that is no value of the slider is refused in place (the editor stays open with a
// reason); Esc, a click elsewhere or the loss of focus close it; nothing is ever sent.
void ValueEditorTest::refusedTextSendsNothing() {
  QFETCH(QString, typed);
  QFETCH(QString, ending);
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  ShowPage(c, 1);
  MScrollBar* s = SliderOn(c, 1, 33);
  DoubleClick(c, s, TrackPoint(s));
  Settle(c);
  QVERIFY(s->EditorOpen());
  const size_t from = c.amp().CommandLog().size();
  const int32_t before = c.amp().Working().at(0, 256).Value;
  const int32_t master = c.store().ParamTable.at(0, 2560).Value;

  Type(c, typed);  // q/s/e land in the editor, not on the master volumes
  Key(c, Qt::Key_Return);
  Settle(c);
  QVERIFY(s->EditorOpen());
  QCOMPARE(s->Editor()->text(), typed);
  QVERIFY(s->Editor()->toolTip().contains("19.7"));  // the range is told
  // For a look by eye: the refused text in its red frame over the page.
  if (ending == "click") c.frame->grab().save(QString(MIRELUNE_BUILD_DIR) + "/ui-value-editor-refused.png");
  QCOMPARE(c.store().ParamTable.at(0, 2560).Value, master);

  if (ending == "esc") {
    Key(c, Qt::Key_Escape);
  } else if (ending == "click") {
    ClickAt(c, c.eq().PageContainer(1), QPoint(5, 5));
  } else {
    c.eq().PageButton(0)->setFocus();
  }
  QVERIFY(!s->EditorOpen());
  QVERIFY(!s->Editor()->isVisible());
  Settle(c);
  QCOMPARE(SetParamsSince(c.amp(), from), 0);
  QCOMPARE(c.amp().Working().at(0, 256).Value, before);
  // The keys typed later are the console's again.
  Type(c, "e");
  Settle(c);
  QCOMPARE(c.store().ParamTable.at(0, 2562).Value, c.amp().Working().at(0, 2562).Value);
  QCOMPARE(SetParamsSince(c.amp(), from), 1);
}

// Enter on a slider that has the focus opens its editor; Esc leaves the value as it was.
void ValueEditorTest::enterOpensAndCancellingLeavesTheValue() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  ShowPage(c, 3);
  MScrollBar* s = SliderOn(c, 3, 144);
  s->setFocus();
  const size_t from = c.amp().CommandLog().size();
  Key(c, Qt::Key_Return);
  QVERIFY(s->EditorOpen());
  QCOMPARE(s->Editor()->text(), QStringLiteral("220 ms"));
  // The console's Ctrl keys are the editor's while it is open: no undo step, no menu password.
  const int undoPos = c.session->history().UndoPos;
  const size_t messages = c.messages.messages.size();
  QTest::keyClick(c.frame->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(c.frame->windowHandle(), Qt::Key_H, Qt::ControlModifier);
  QVERIFY(s->EditorOpen());
  QCOMPARE(c.session->history().UndoPos, undoPos);
  QCOMPARE(c.messages.messages.size(), messages);
  Type(c, "100");
  Key(c, Qt::Key_Escape);
  QVERIFY(!s->EditorOpen());
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(s));
  Settle(c);
  QCOMPARE(SetParamsSince(c.amp(), from), 0);
  QCOMPARE(c.amp().Working().at(0, 769).Value, 220);
}

// The band strips take dB, Hz and Q through the same editor.
void ValueEditorTest::bandStripTakesTypedGain() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  ShowPage(c, 1);
  MScrollBar* s = SliderOn(c, 1, 18);  // microphone 1/2, EQ1 (address 257)
  QCOMPARE(s->Addr(), 257);
  DoubleClick(c, s, QPoint(28, 60));
  Settle(c);
  QVERIFY(s->EditorOpen());
  Type(c, "-3,5 dB");
  Key(c, Qt::Key_Return);
  Settle(c);
  QVERIFY(!s->EditorOpen());
  QCOMPARE(c.amp().Working().at(0, 257).Gain, 215);
}

// Every visible slider of every page shows its number with the parameter's unit, never twice.
void ValueEditorTest::readoutsCarryTheirUnits() {
  Console c;
  QVERIFY(c.Synced());
  for (int page = 0; page < kPageCount; ++page) {
    c.eq().ShowPage(page);
    for (MScrollBar* s : c.eq().PageContainer(page)->findChildren<MScrollBar*>()) {
      if (!s->isVisible() || !s->TVisible() || s->ScrollBarType() == 1) continue;
      const QString text = s->ReadoutText();
      const QString unit = s->Unit();
      QVERIFY2(text == Tr("关") || unit.isEmpty() || text.endsWith(unit),
               qPrintable(s->objectName() + ": " + text));
      QVERIFY2(text.count(unit.isEmpty() ? QString("@") : unit) <= 1, qPrintable(text));
      // Drawn whole inside the slider, at the largest value too.
      QVERIFY2(s->rect().contains(s->ReadoutRect()), qPrintable(s->objectName() + ": " + text));
      const float keep = s->Value();
      s->SetValue(controls::ValueFromPosition(s->ValueType(), s->MaxValue()));
      QVERIFY2(s->rect().contains(s->ReadoutRect()), qPrintable(s->objectName() + ": " + s->ReadoutText()));
      s->SetValue(keep);
    }
  }
  // Delays read in milliseconds, frequencies in Hz, volumes in percent.
  c.eq().ShowPage(3);
  QCOMPARE(SliderOn(c, 3, 144)->Unit(), QStringLiteral("ms"));
  QCOMPARE(SliderOn(c, 3, 140)->Unit(), QStringLiteral("Hz"));
  c.eq().ShowPage(4);
  QCOMPARE(SliderOn(c, 4, 60)->Unit(), QStringLiteral("%"));
  QCOMPARE(SliderOn(c, 4, 68)->Unit(), QString());
}

// The system settings window's sliders take typed values too; Enter and Esc in the editor are
// the editor's, not the window's (it stays open).
void ValueEditorTest::secondaryWindowSlidersTakeTypedValues() {
  Console c;
  QVERIFY(c.Synced());
  c.frame->MenuItem("CmdStartupSettings")->trigger();
  SecondaryWindow* set = c.eq().SystemSettings();
  QVERIFY(set && set->isVisible());
  set->move(4000, 100);  // away from the frame: the pointer finds this window
  set->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(set));
  MScrollBar* limit = set->findChild<MScrollBar*>("MyScrollBar0");
  QCOMPARE(limit->Addr(), 2568);
  QWindow* win = set->windowHandle();
  const QPoint at = limit->mapTo(set, TrackPoint(limit));
  QTest::mouseMove(win, at);
  QTest::mouseDClick(win, Qt::LeftButton, Qt::NoModifier, at);
  Settle(c);
  QVERIFY(limit->EditorOpen());
  QTest::keyClick(win, Qt::Key_Escape);
  QVERIFY(!limit->EditorOpen());
  QVERIFY(set->isVisible());
  limit->setFocus();
  QTest::keyClick(win, Qt::Key_Return);
  QVERIFY(limit->EditorOpen());
  for (char ch : std::string("60")) QTest::keyClick(win, ch);
  QTest::keyClick(win, Qt::Key_Return);
  Settle(c);
  QVERIFY(!limit->EditorOpen());
  QVERIFY(set->isVisible());
  QCOMPARE(c.amp().Working().at(0, 2568).Value, 60);
  QCOMPARE(c.eq().Modes()->MasterSlider(0)->MaxValue(), 60);
}

QTEST_MAIN(ValueEditorTest)
#include "value_editor_test.moc"
