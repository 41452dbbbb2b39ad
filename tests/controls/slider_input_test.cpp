// SPDX-License-Identifier: GPL-3.0-or-later
// The slider under simulated input on each orientation: keys and wheel (hover required, ends
// give no event), click steps, drags, the long-press repeat in driven time, the mute icon, and
// every state that must drop input.
#include <QSignalSpy>
#include <QTest>

#include "controls/mscrollbar.h"
#include "controls/value_type.h"
#include "test_support.h"

using namespace mirelune;
using namespace mirelune::controls;
using namespace mirelune::controls::testing;

namespace {

MScrollBar* MakeSlider(QWidget* parent, const Store* store, int style, int hs, int max, int vt = 0) {
  SliderSetup s;
  s.ScrollBarType = style;
  s.HScrollSize = hs;
  s.MaxValue = max;
  s.ValueType = vt;
  auto* bar = new MScrollBar(s, store, parent);
  bar->move(10, 10);
  bar->show();
  bar->BkGround_Init();
  return bar;
}

// A point on the track well away from the thumb, inside the slider.
QPoint Hover(MScrollBar* bar) { return QPoint(bar->width() / 2, bar->height() - 3); }

// Moves the pointer onto `p` from a neighbouring point, so that a move is delivered even when
// the previous test left the pointer at the same place.
void MoveTo(QWidget* w, QPoint p) {
  QTest::mouseMove(w, p + QPoint(1, 1));
  QTest::mouseMove(w, p);
}

// Puts the slider at `position` by writing the raw value of that position.
void SetPosition(MScrollBar* bar, int position) {
  bar->SetValue(ValueFromPosition(bar->ValueType(), position));
}

}  // namespace

class SliderInputTest : public QObject {
  Q_OBJECT

 private slots:
  void keysStepOnlyWhileHoveredAndStopAtTheEnds_data();
  void keysStepOnlyWhileHoveredAndStopAtTheEnds();
  void wheelActsOnlyOnAPureNotch_data();
  void wheelActsOnlyOnAPureNotch();
  void clickStepsTowardsThePress_data();
  void clickStepsTowardsThePress();
  void dragFollowsThePointer_data();
  void dragFollowsThePointer();
  void longPressRepeatsInDrivenTime_data();
  void longPressRepeatsInDrivenTime();
  void muteIconTogglesTheMuteFlagOnly_data();
  void muteIconTogglesTheMuteFlagOnly();
  void stateDropsAllInput_data();
  void stateDropsAllInput();
  void hoverEndsAtLeave();
};

void SliderInputTest::keysStepOnlyWhileHoveredAndStopAtTheEnds_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("hs");
  QTest::addColumn<int>("max");
  QTest::newRow("vertical fader") << 0 << 0 << 150;
  QTest::newRow("EQ strip") << 1 << 0 << 360;
  QTest::newRow("horizontal") << 2 << 2 << 80;
  QTest::newRow("knob") << 5 << 0 << 80;
  QTest::newRow("master") << 6 << 0 << 80;
}

void SliderInputTest::keysStepOnlyWhileHoveredAndStopAtTheEnds() {
  QFETCH(int, style);
  QFETCH(int, hs);
  QFETCH(int, max);
  Host host;
  MScrollBar* bar = MakeSlider(&host.window, nullptr, style, hs, max);
  QSignalSpy scroll(bar, &MScrollBar::Scroll);
  QSignalSpy mouseIn(bar, &MScrollBar::MouseIn);
  SetPosition(bar, max - 1);
  QCOMPARE(bar->Position(), max - 1);

  QTest::keyClick(bar, Qt::Key_Up);
  QCOMPARE(bar->Position(), max - 1);  // no hover yet
  QCOMPARE(scroll.count(), 0);

  MoveTo(bar, QPoint(2, 2));
  QVERIFY(bar->Hover());
  QCOMPARE(mouseIn.count(), 1);
  QTest::mouseMove(bar, QPoint(3, 3));
  QCOMPARE(mouseIn.count(), 1);  // only the first move starts hover

  QTest::keyClick(bar, Qt::Key_Up);
  QCOMPARE(bar->Position(), max);
  QCOMPARE(scroll.count(), 1);
  QTest::keyClick(bar, Qt::Key_Up);
  QTest::keyClick(bar, Qt::Key_Right);
  QCOMPARE(bar->Position(), max);
  QCOMPARE(scroll.count(), 1);  // at the end: nothing, no event
  QTest::keyClick(bar, Qt::Key_Down);
  QTest::keyClick(bar, Qt::Key_Left);
  QCOMPARE(bar->Position(), max - 2);
  QCOMPARE(scroll.count(), 3);
  QTest::keyClick(bar, Qt::Key_A);
  QCOMPARE(scroll.count(), 3);

  SetPosition(bar, 0);
  QCOMPARE(bar->Position(), 0);
  QTest::keyClick(bar, Qt::Key_Down);
  QCOMPARE(bar->Position(), 0);
  QCOMPARE(scroll.count(), 3);
}

void SliderInputTest::wheelActsOnlyOnAPureNotch_data() {
  QTest::addColumn<int>("deltaY");
  QTest::addColumn<int>("deltaX");
  QTest::addColumn<int>("mods");
  QTest::addColumn<int>("buttons");
  QTest::addColumn<int>("change");
  QTest::newRow("notch away") << 120 << 0 << 0 << 0 << 1;
  QTest::newRow("notch towards") << -120 << 0 << 0 << 0 << -1;
  QTest::newRow("ctrl held") << 120 << 0 << int(Qt::ControlModifier) << 0 << 0;
  QTest::newRow("shift held") << -120 << 0 << int(Qt::ShiftModifier) << 0 << 0;
  QTest::newRow("button held") << 120 << 0 << 0 << int(Qt::LeftButton) << 0;
  QTest::newRow("two notches at once") << 240 << 0 << 0 << 0 << 0;
  QTest::newRow("half notch") << 60 << 0 << 0 << 0 << 0;
  QTest::newRow("sideways") << 0 << 120 << 0 << 0 << 0;
}

void SliderInputTest::wheelActsOnlyOnAPureNotch() {
  QFETCH(int, deltaY);
  QFETCH(int, deltaX);
  QFETCH(int, mods);
  QFETCH(int, buttons);
  QFETCH(int, change);
  Host host;
  MScrollBar* bar = MakeSlider(&host.window, nullptr, 2, 2, 80);
  QSignalSpy scroll(bar, &MScrollBar::Scroll);
  MoveTo(bar, Hover(bar));
  const int before = bar->Position();
  SendWheel(bar, Hover(bar), deltaY, Qt::KeyboardModifiers(mods), Qt::MouseButtons(buttons),
            deltaX);
  QCOMPARE(bar->Position(), before + change);
  QCOMPARE(scroll.count(), change != 0 ? 1 : 0);
}

void SliderInputTest::clickStepsTowardsThePress_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("hs");
  QTest::addColumn<QPoint>("press");
  QTest::addColumn<int>("change");
  // Style 0 at position 75: thumb centre y 87.5. Style 2 (HScrollSize 2) at 40: centre x 68.
  // The knob steps by the side of its middle (x 63.5) when pressed below the knob face.
  QTest::newRow("vertical, below the thumb") << 0 << 0 << QPoint(33, 130) << -1;
  QTest::newRow("vertical, above the thumb") << 0 << 0 << QPoint(33, 40) << 1;
  QTest::newRow("vertical, on the thumb off centre") << 0 << 0 << QPoint(33, 92) << -1;
  QTest::newRow("horizontal, right of the thumb") << 2 << 2 << QPoint(110, 12) << 1;
  QTest::newRow("horizontal, left of the thumb") << 2 << 2 << QPoint(20, 12) << -1;
  QTest::newRow("knob, right half") << 5 << 0 << QPoint(100, 150) << 1;
  QTest::newRow("knob, left half") << 5 << 0 << QPoint(20, 150) << -1;
}

void SliderInputTest::clickStepsTowardsThePress() {
  QFETCH(int, style);
  QFETCH(int, hs);
  QFETCH(QPoint, press);
  QFETCH(int, change);
  Host host;
  MScrollBar* bar = MakeSlider(&host.window, nullptr, style, hs, style == 0 ? 150 : 80);
  QSignalSpy scroll(bar, &MScrollBar::Scroll);
  QSignalSpy click(bar, &MScrollBar::Click);
  MoveTo(bar, press);
  const int before = bar->Position();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, press);
  QCOMPARE(click.count(), 1);
  QCOMPARE(bar->Position(), before + change);
  QCOMPARE(scroll.count(), 1);
  QVERIFY(!bar->RepeatTimer().isActive());
}

void SliderInputTest::dragFollowsThePointer_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("hs");
  QTest::addColumn<QPoint>("press");
  QTest::addColumn<QPoint>("moveTo");
  QTest::addColumn<int>("expected");
  QTest::addColumn<QPoint>("idleMove");
  QTest::addColumn<int>("scrollsAfterIdleMove");
  // Vertical, style 0 at 75 (centre 87.5): grab offset nearest(2.5) = 2, so y 49 maps to
  // nearest(150 - 150 * (49 - 2 - 26) / 123) = 124.
  QTest::newRow("vertical keeps the grab offset")
      << 0 << 0 << QPoint(33, 90) << QPoint(33, 49) << 124 << QPoint(34, 49) << 1;
  // Horizontal, style 2 at 40 (centre 68), pressed 5 px right of the centre: the thumb centre
  // jumps under the pointer, nearest(80 * (80 - 7) / 122) = 48, at a level y.
  QTest::newRow("horizontal follows the pointer itself")
      << 2 << 2 << QPoint(73, 12) << QPoint(80, 12) << 48 << QPoint(80, 13) << 1;
  // Knob at 40: 30 px up is 450 twips, 4.5 positions, nearest even 44; every move reports.
  QTest::newRow("knob by vertical travel") << 5 << 0 << QPoint(60, 50) << QPoint(60, 20) << 44 << QPoint(61, 20)
                                           << 2;
}

void SliderInputTest::dragFollowsThePointer() {
  QFETCH(int, style);
  QFETCH(int, hs);
  QFETCH(QPoint, press);
  QFETCH(QPoint, moveTo);
  QFETCH(int, expected);
  QFETCH(QPoint, idleMove);
  QFETCH(int, scrollsAfterIdleMove);
  Host host;
  MScrollBar* bar = MakeSlider(&host.window, nullptr, style, hs, style == 0 ? 150 : 80);
  QSignalSpy scroll(bar, &MScrollBar::Scroll);
  MoveTo(bar, press);
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, press);
  QVERIFY(!bar->RepeatTimer().isActive());  // a thumb hit drags, it does not repeat
  QTest::mouseMove(bar, moveTo);
  QCOMPARE(bar->Position(), expected);
  QCOMPARE(scroll.count(), 1);
  // A move that lands on the same position reports only on the knob.
  QTest::mouseMove(bar, idleMove);
  QCOMPARE(bar->Position(), expected);
  QCOMPARE(scroll.count(), scrollsAfterIdleMove);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, idleMove);
  QCOMPARE(bar->Position(), expected);  // a drag is not also a click step
  QCOMPARE(scroll.count(), scrollsAfterIdleMove);
  QTest::mouseMove(bar, moveTo + QPoint(2, 5));
  QCOMPARE(bar->Position(), expected);  // released: moves no longer drag
}

void SliderInputTest::longPressRepeatsInDrivenTime_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("hs");
  QTest::addColumn<QPoint>("press");
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("target");
  // Style 2 at 40: x 117 is nearest(80 * 110 / 122) = 72. Style 0 at 75: y 140 is
  // nearest(150 - 150 * 114 / 123) = 11.
  QTest::newRow("horizontal") << 2 << 2 << QPoint(117, 12) << 40 << 72;
  QTest::newRow("vertical") << 0 << 0 << QPoint(33, 140) << 75 << 11;
}

void SliderInputTest::longPressRepeatsInDrivenTime() {
  QFETCH(int, style);
  QFETCH(int, hs);
  QFETCH(QPoint, press);
  QFETCH(int, start);
  QFETCH(int, target);
  Host host;
  MScrollBar* bar = MakeSlider(&host.window, nullptr, style, hs, style == 0 ? 150 : 80);
  QSignalSpy scroll(bar, &MScrollBar::Scroll);
  MoveTo(bar, press);
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, press);
  QVERIFY(bar->RepeatTimer().isActive());
  QCOMPARE(bar->RepeatTimer().interval(), 50);

  for (int i = 0; i < 4; ++i) bar->RepeatTick();
  QCOMPARE(bar->Position(), start);  // 200 ms: nothing yet
  QCOMPARE(scroll.count(), 0);
  bar->RepeatTick();  // 250 ms: the first step
  const int dir = target > start ? 1 : -1;
  QCOMPARE(bar->Position(), start + dir);
  QCOMPARE(scroll.count(), 1);

  const int steps = std::abs(target - start);
  for (int i = 1; i < steps; ++i) bar->RepeatTick();
  QCOMPARE(bar->Position(), target);
  for (int i = 0; i < 3; ++i) bar->RepeatTick();
  QCOMPARE(bar->Position(), target);  // arrived: it stays, and keeps reporting
  QCOMPARE(scroll.count(), steps + 3);

  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, press);
  QVERIFY(!bar->RepeatTimer().isActive());
}

void SliderInputTest::muteIconTogglesTheMuteFlagOnly_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("hs");
  QTest::addColumn<QPoint>("icon");
  QTest::newRow("fader icon") << 0 << 0 << QPoint(18, 165);
  QTest::newRow("HScrollSize 3 icon") << 2 << 3 << QPoint(145, 12);
}

void SliderInputTest::muteIconTogglesTheMuteFlagOnly() {
  QFETCH(int, style);
  QFETCH(int, hs);
  QFETCH(QPoint, icon);
  Host host;
  MScrollBar* bar = MakeSlider(&host.window, nullptr, style, hs, 150, 10);
  bar->SetValue(120);
  QSignalSpy scroll(bar, &MScrollBar::Scroll);
  MoveTo(bar, icon);
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, icon);
  QCOMPARE(bar->Value(), 370.0f);  // muted: +250, the level itself unchanged
  QCOMPARE(scroll.count(), 1);
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, icon);
  QCOMPARE(bar->Value(), 120.0f);
  QCOMPARE(scroll.count(), 2);
}

void SliderInputTest::stateDropsAllInput_data() {
  QTest::addColumn<QString>("state");
  QTest::newRow("front-panel item hidden") << "hidden";
  QTest::newRow("bass auto control on a PerMode record") << "bassAuto";
  QTest::newRow("Enabled false") << "disabled";
  QTest::newRow("TVisible false") << "invisible";
  QTest::newRow("EQ band bypassed") << "bypassed";
}

void SliderInputTest::stateDropsAllInput() {
  QFETCH(QString, state);
  Host host;
  auto store = EmptyStore();
  constexpr int kAddr = 1027;
  store->ParamTable.at(0, kAddr).PerMode = kTrue;
  MScrollBar* bar = MakeSlider(&host.window, store.get(), 2, 2, 80);
  bar->SetAddr(kAddr);
  if (state == "hidden") store->Menu.AddrHidden[kAddr] = 1;
  if (state == "bassAuto") store->BassAutoControl = 1;
  if (state == "disabled") bar->SetEnabled(false);
  if (state == "invisible") bar->SetTVisible(false);
  if (state == "bypassed") bar->SetEQdisabled(true);
  QCOMPARE(bar->Greyed(), state == "hidden" || state == "bassAuto");

  QSignalSpy scroll(bar, &MScrollBar::Scroll);
  QSignalSpy click(bar, &MScrollBar::Click);
  const int before = bar->Position();
  const QPoint thumb(68, 12);  // centre of the thumb at 40
  MoveTo(bar, thumb);
  QTest::keyClick(bar, Qt::Key_Up);
  SendWheel(bar, thumb, 120);
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
  QTest::mouseMove(bar, QPoint(120, 12));
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(120, 12));
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(120, 12));
  QVERIFY(!bar->RepeatTimer().isActive());
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(120, 12));
  QCOMPARE(bar->Position(), before);
  QCOMPARE(scroll.count(), 0);
  QCOMPARE(click.count(), 0);

  // The value itself stays writable and readable in every state.
  bar->SetValue(12);
  QCOMPARE(bar->Value(), 12.0f);

  if (state == "bassAuto") {
    // Greyed only while the automatic control is on.
    store->BassAutoControl = 0;
    QVERIFY(!bar->Greyed());
    QTest::keyClick(bar, Qt::Key_Up);
    QCOMPARE(bar->Value(), 13.0f);
    QCOMPARE(scroll.count(), 1);
  }
}

void SliderInputTest::hoverEndsAtLeave() {
  Host host;
  MScrollBar* bar = MakeSlider(&host.window, nullptr, 2, 2, 80);
  MoveTo(bar, Hover(bar));
  QVERIFY(bar->Hover());
  QTest::mouseMove(&host.window, QPoint(350, 250));
  QVERIFY(!bar->Hover());
  const int before = bar->Position();
  QTest::keyClick(bar, Qt::Key_Up);
  QCOMPARE(bar->Position(), before);
}

QTEST_MAIN(SliderInputTest)
#include "slider_input_test.moc"
