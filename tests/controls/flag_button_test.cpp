// SPDX-License-Identifier: GPL-3.0-or-later
// The flag button: each action type's press and release, the Value mapping (reversed switches,
// limits), the hidden and disabled image substitutes, and the hover, leave, wheel and
// mouse-down notices.
#include <QSignalSpy>
#include <QTest>

#include "controls/mbtnflag.h"
#include "graph/skin.h"
#include "test_support.h"

using namespace mirelune;
using namespace mirelune::controls;
using namespace mirelune::controls::testing;

namespace {

MBtnFlag* MakeButton(QWidget* parent, const Store* store, int actionType, int value,
                     const QString& images = QStringLiteral("142,143")) {
  FlagSetup s;
  s.ActionType = actionType;
  s.Value = value;
  s.PngIndexStr = images;
  auto* b = new MBtnFlag(s, store, parent);
  b->move(10, 10);
  b->show();
  b->BkGround_Init();
  return b;
}

QPoint LeftHalf(QWidget* w) { return QPoint(w->width() / 4, w->height() / 2); }
QPoint RightHalf(QWidget* w) { return QPoint(w->width() * 3 / 4, w->height() / 2); }

}  // namespace

class FlagButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void actionTypes_data();
  void actionTypes();
  void valueMapping_data();
  void valueMapping();
  void substitutes_data();
  void substitutes();
  void hiddenOrDisabledTakesNoPress();
  void notices();
};

void FlagButtonTest::initTestCase() {
  skin::LoadSkin();
  // The button sizes itself to its first image; the tests press its halves.
  QVERIFY2(!skin::SkinSize(142).isEmpty(), "skin image 142 is missing");
}

void FlagButtonTest::actionTypes_data() {
  QTest::addColumn<int>("actionType");
  QTest::addColumn<int>("start");
  QTest::addColumn<bool>("rightHalf");
  QTest::addColumn<int>("afterPress");
  QTest::addColumn<int>("clicksAtPress");
  QTest::addColumn<int>("afterRelease");
  QTest::addColumn<int>("clicksAtRelease");
  // Stored image index after press / release, and Click counts.
  QTest::newRow("toggle on") << 0 << 0 << false << 1 << 1 << 1 << 1;
  QTest::newRow("toggle off") << 0 << 1 << true << 0 << 1 << 0 << 1;
  QTest::newRow("push button") << 1 << 0 << false << 1 << 0 << 0 << 1;
  QTest::newRow("command keeps its image") << 2 << 0 << true << 0 << 1 << 0 << 1;
  QTest::newRow("switch, right half") << 3 << 0 << true << 1 << 1 << 1 << 1;
  QTest::newRow("switch, left half") << 3 << 1 << false << 0 << 1 << 0 << 1;
  QTest::newRow("reversed switch, left half") << 4 << 1 << false << 0 << 1 << 0 << 1;
  QTest::newRow("reversed switch, right half") << 4 << 0 << true << 1 << 1 << 1 << 1;
  QTest::newRow("other type: only MouseDown") << 7 << 0 << true << 0 << 0 << 0 << 0;
}

void FlagButtonTest::actionTypes() {
  QFETCH(int, actionType);
  QFETCH(int, start);
  QFETCH(bool, rightHalf);
  QFETCH(int, afterPress);
  QFETCH(int, clicksAtPress);
  QFETCH(int, afterRelease);
  QFETCH(int, clicksAtRelease);
  Host host;
  MBtnFlag* b = MakeButton(&host.window, nullptr, actionType, start);
  QCOMPARE(b->StoredIndex(), start);
  QSignalSpy click(b, &MBtnFlag::Click);
  QSignalSpy down(b, &MBtnFlag::MouseDown);
  const QPoint at = rightHalf ? RightHalf(b) : LeftHalf(b);
  QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, at);
  QCOMPARE(down.count(), 1);
  QCOMPARE(b->StoredIndex(), afterPress);
  QCOMPARE(click.count(), clicksAtPress);
  QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, at);
  QCOMPARE(b->StoredIndex(), afterRelease);
  QCOMPARE(click.count(), clicksAtRelease);
}

void FlagButtonTest::valueMapping_data() {
  QTest::addColumn<int>("actionType");
  QTest::addColumn<int>("written");
  QTest::addColumn<int>("stored");
  QTest::addColumn<int>("read");
  QTest::newRow("toggle limits to 1") << 0 << 5 << 1 << 1;
  QTest::newRow("switch limits to 1") << 3 << 2 << 1 << 1;
  QTest::newRow("reversed switch 1") << 4 << 1 << 0 << 1;
  QTest::newRow("reversed switch 0") << 4 << 0 << 1 << 0;
  QTest::newRow("reversed switch limits then reverses") << 4 << 3 << 0 << 1;
  QTest::newRow("command takes any value") << 2 << 2 << 2 << 2;
  QTest::newRow("push button takes any value") << 1 << 4 << 4 << 4;
}

void FlagButtonTest::valueMapping() {
  QFETCH(int, actionType);
  QFETCH(int, written);
  QFETCH(int, stored);
  QFETCH(int, read);
  FlagSetup s;
  s.ActionType = actionType;
  s.PngIndexStr = QStringLiteral("361,362,359");
  MBtnFlag b(s, nullptr);
  b.SetValue(written);
  QCOMPARE(b.StoredIndex(), stored);
  QCOMPARE(b.Value(), read);
}

void FlagButtonTest::substitutes_data() {
  QTest::addColumn<QString>("images");
  QTest::addColumn<int>("actionType");
  QTest::addColumn<int>("storedIndex");
  QTest::addColumn<QString>("state");
  QTest::addColumn<int>("shown");
  QTest::newRow("reversed switch laid out with 1 shows its second image")
      << "142,143" << 4 << 1 << "" << 143;
  QTest::newRow("connection indicator, third image") << "361,362,359" << 2 << 2 << "" << 359;
  QTest::newRow("index beyond the list shows nothing") << "218,219" << 2 << 2 << "" << 0;
  QTest::newRow("hidden mute off") << "142,143" << 0 << 0 << "hidden" << 304;
  QTest::newRow("hidden mute on") << "142,143" << 0 << 1 << "hidden" << 305;
  QTest::newRow("hidden two-position switch") << "380,381" << 3 << 1 << "hidden" << 197;
  QTest::newRow("hidden target switch") << "378,379" << 0 << 0 << "hidden" << 199;
  QTest::newRow("hidden, no substitute") << "218,219" << 2 << 0 << "hidden" << 218;
  QTest::newRow("disabled details button") << "312,313" << 1 << 0 << "disabled" << 317;
  QTest::newRow("disabled, no substitute") << "142,143" << 0 << 0 << "disabled" << 142;
}

void FlagButtonTest::substitutes() {
  QFETCH(QString, images);
  QFETCH(int, actionType);
  QFETCH(int, storedIndex);
  QFETCH(QString, state);
  QFETCH(int, shown);
  auto store = EmptyStore();
  FlagSetup s;
  s.PngIndexStr = images;
  s.ActionType = actionType;
  s.Value = storedIndex;  // laid-out values are the stored index, never reversed
  MBtnFlag b(s, store.get());
  b.SetAddr(1798);
  if (state == "hidden") store->Menu.AddrHidden[1798] = 1;
  if (state == "disabled") b.SetEnabled(false);
  QCOMPARE(b.StoredIndex(), storedIndex);
  QCOMPARE(b.ShownImage(), shown);
}

void FlagButtonTest::hiddenOrDisabledTakesNoPress() {
  Host host;
  auto store = EmptyStore();
  MBtnFlag* hidden = MakeButton(&host.window, store.get(), 0, 0);
  hidden->SetAddr(1813);
  store->Menu.AddrHidden[1813] = 1;
  MBtnFlag* disabled = MakeButton(&host.window, store.get(), 0, 0);
  disabled->move(100, 10);
  disabled->SetEnabled(false);
  for (MBtnFlag* b : {hidden, disabled}) {
    QSignalSpy click(b, &MBtnFlag::Click);
    QSignalSpy down(b, &MBtnFlag::MouseDown);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, LeftHalf(b));
    QCOMPARE(b->StoredIndex(), 0);
    QCOMPARE(click.count(), 0);
    QCOMPARE(down.count(), 0);
  }
  // A hidden button gives no wheel notices either; a disabled one still does.
  QSignalSpy hiddenWheel(hidden, &MBtnFlag::Wheel);
  QSignalSpy disabledWheel(disabled, &MBtnFlag::Wheel);
  SendWheel(hidden, LeftHalf(hidden), 120);
  SendWheel(disabled, LeftHalf(disabled), 120);
  QCOMPARE(hiddenWheel.count(), 0);
  QCOMPARE(disabledWheel.count(), 1);
}

void FlagButtonTest::notices() {
  Host host;
  MBtnFlag* b = MakeButton(&host.window, nullptr, 2, 0);
  QSignalSpy in(b, &MBtnFlag::MouseIn);
  QSignalSpy leave(b, &MBtnFlag::MouseLeave);
  QSignalSpy wheel(b, &MBtnFlag::Wheel);
  QSignalSpy down(b, &MBtnFlag::MouseDown);

  QTest::mouseMove(b, LeftHalf(b) + QPoint(1, 0));
  QTest::mouseMove(b, LeftHalf(b));
  QCOMPARE(in.count(), 1);
  QVERIFY(b->Hover());

  SendWheel(b, LeftHalf(b), 120);
  SendWheel(b, LeftHalf(b), -120);
  SendWheel(b, LeftHalf(b), 120, Qt::ControlModifier);
  SendWheel(b, LeftHalf(b), 240);
  QCOMPARE(wheel.count(), 2);
  QCOMPARE(wheel.at(0).at(0).toBool(), true);
  QCOMPARE(wheel.at(1).at(0).toBool(), false);

  QTest::mousePress(b, Qt::RightButton, Qt::ControlModifier, QPoint(3, 4));
  QCOMPARE(down.count(), 1);
  QCOMPARE(down.at(0).at(0).toInt(), 2);  // right button
  QCOMPARE(down.at(0).at(1).toInt(), 2);  // Ctrl
  QCOMPARE(down.at(0).at(2).toFloat(), 3.0f);
  QCOMPARE(down.at(0).at(3).toFloat(), 4.0f);
  QTest::mouseRelease(b, Qt::RightButton, Qt::ControlModifier, QPoint(3, 4));

  QTest::mouseMove(&host.window, QPoint(380, 280));
  QCOMPARE(leave.count(), 1);
  QVERIFY(!b->Hover());
}

QTEST_MAIN(FlagButtonTest)
#include "flag_button_test.moc"
