// SPDX-License-Identifier: GPL-3.0-or-later
// The option list: entries and face by ShowType, Value limits, opening, hover-follows-pointer,
// choosing, the ways it closes without an event, refusal while hidden or disabled, and where
// the open list goes on the screen.
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "controls/mcombobox.h"
#include "controls/option_list_popup.h"
#include "test_support.h"

using namespace mirelune;
using namespace mirelune::controls;
using namespace mirelune::controls::testing;

namespace {

struct ComboHost : Host {
  MComboBox* combo;
  QWidget* focusable;
  explicit ComboHost(int showType, const Store* store = nullptr) {
    ComboSetup s;
    s.ShowType = showType;
    combo = new MComboBox(s, store, &window);
    combo->move(20, 20);
    combo->show();
    combo->BkGround_Init();
    focusable = new QWidget(&window);
    focusable->setFocusPolicy(Qt::ClickFocus);
    focusable->setGeometry(200, 150, 50, 50);
    focusable->show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) qWarning("test window did not become active");
  }
  // Centre of entry `row` in the open list's viewport.
  QPoint Entry(int row) const {
    return QPoint(20, row * OptionListPopup::kRowHeight + OptionListPopup::kRowHeight / 2);
  }
  QWidget* ListViewport() const { return combo->List()->viewport(); }
  // Pointer input on the open list goes to the list's own window: it is a top-level window
  // that lies over the host window.
  QWindow* ListWindow() const { return combo->List()->windowHandle(); }
  QPoint InList(QPoint viewportPos) const {
    return ListViewport()->mapTo(combo->List(), viewportPos);
  }
  // Moves over entry `row`, arriving from a neighbouring point so that a move is delivered even
  // when an earlier test left the pointer at the same place.
  void HoverEntry(int row) const {
    QTest::mouseMove(ListWindow(), InList(Entry(row)) + QPoint(1, 0));
    QTest::mouseMove(ListWindow(), InList(Entry(row)));
  }
};

void ClickAt(QWidget* w, QPoint p) {
  QTest::mouseMove(w, p);
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p);
}

// Opens the list with a click on the face and waits until its window can take input.
void Open(MComboBox* c, QPoint at) {
  ClickAt(c, at);
  if (!QTest::qWaitForWindowExposed(c->List())) qWarning("the open list was not exposed");
}

}  // namespace

class ComboBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void entriesFacesAndSizes_data();
  void entriesFacesAndSizes();
  void valueIsLimitedToTheEntries();
  void openHoverChoose();
  void closesWithoutAnEvent_data();
  void closesWithoutAnEvent();
  void hiddenOrDisabledDoesNotOpen_data();
  void hiddenOrDisabledDoesNotOpen();
  void listPlacement_data();
  void listPlacement();
  void opensUpwardsNearTheScreenBottom();
};

void ComboBoxTest::entriesFacesAndSizes_data() {
  QTest::addColumn<int>("showType");
  QTest::addColumn<int>("count");
  QTest::addColumn<QString>("last");
  QTest::addColumn<int>("lastFace");
  QTest::addColumn<QSize>("size");
  QTest::newRow("sub-woofer filter types") << 0 << 5 << "Bessel 12dB" << 157 << QSize(138, 21);
  QTest::newRow("output filter types") << 1 << 2 << "ButterWorth 24dB" << 225 << QSize(138, 21);
  QTest::newRow("modes") << 2 << 10 << "模式10" << 238 << QSize(87, 20);
  QTest::newRow("reverb presets") << 3 << 5 << "人声" << 322 << QSize(87, 20);
  QTest::newRow("automatic/manual") << 4 << 2 << "手动" << 364 << QSize(87, 20);
  QTest::newRow("off/1/2/3") << 5 << 4 << "3" << 368 << QSize(87, 20);
  QTest::newRow("levels") << 6 << 4 << "+3dB" << 372 << QSize(87, 20);
  QTest::newRow("levels without images") << 9 << 4 << "+3dB" << 0 << QSize(87, 20);
}

void ComboBoxTest::entriesFacesAndSizes() {
  QFETCH(int, showType);
  QFETCH(int, count);
  QFETCH(QString, last);
  QFETCH(int, lastFace);
  QFETCH(QSize, size);
  ComboSetup s;
  s.ShowType = showType;
  MComboBox c(s, nullptr);
  QCOMPARE(c.Entries().size(), count);
  QCOMPARE(c.List()->count(), count);
  QCOMPARE(c.Entries().last(), last);
  QCOMPARE(c.Value(), 0);
  c.SetValue(count - 1);
  QCOMPARE(c.FaceImage(), lastFace);
  QCOMPARE(c.size(), size);
}

void ComboBoxTest::valueIsLimitedToTheEntries() {
  ComboSetup s;
  s.ShowType = 3;
  MComboBox c(s, nullptr);
  QSignalSpy change(&c, &MComboBox::Change);
  c.SetValue(7);
  QCOMPARE(c.Value(), 4);
  QCOMPARE(c.FaceImage(), 322);
  c.SetValue(-1);  // no entry chosen, no face image (not the image before the list)
  QCOMPARE(c.Value(), -1);
  QCOMPARE(c.FaceImage(), 0);
  QCOMPARE(change.count(), 0);
}

void ComboBoxTest::openHoverChoose() {
  ComboHost h(0);
  QSignalSpy change(h.combo, &MComboBox::Change);
  Open(h.combo, QPoint(60, 10));
  QVERIFY(h.combo->IsOpen());
  QVERIFY(h.combo->List()->isVisible());
  QVERIFY(h.combo->List()->isWindow());

  h.HoverEntry(2);
  QCOMPARE(h.combo->Value(), 2);  // follows the pointer, silently
  h.HoverEntry(1);
  QCOMPARE(h.combo->Value(), 1);
  QTest::mouseMove(h.ListWindow(), h.InList(QPoint(20, 5 * OptionListPopup::kRowHeight + 3)));
  QCOMPARE(h.combo->Value(), 1);  // below the last entry: ignored
  QCOMPARE(change.count(), 0);

  h.HoverEntry(3);
  QTest::mousePress(h.ListWindow(), Qt::LeftButton, Qt::NoModifier, h.InList(h.Entry(3)));
  QVERIFY(!h.combo->IsOpen());
  QVERIFY(!h.combo->List()->isVisible());
  QCOMPARE(change.count(), 1);
  QCOMPARE(change.at(0).at(0).toInt(), 3);
  QCOMPARE(h.combo->Value(), 3);
  QCOMPARE(h.combo->FaceImage(), 156);
  QTest::mouseRelease(h.ListWindow(), Qt::LeftButton, Qt::NoModifier, h.InList(h.Entry(3)));
  QCOMPARE(change.count(), 1);
}

void ComboBoxTest::closesWithoutAnEvent_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("second press on the face") << "face";
  QTest::newRow("focus moves to another control") << "focus";
  QTest::newRow("press on the window background") << "background";
}

void ComboBoxTest::closesWithoutAnEvent() {
  QFETCH(QString, how);
  ComboHost h(3);
  QSignalSpy change(h.combo, &MComboBox::Change);
  Open(h.combo, QPoint(40, 10));
  QVERIFY(h.combo->IsOpen());
  h.HoverEntry(2);
  QCOMPARE(h.combo->Value(), 2);
  if (how == "face") ClickAt(h.combo, QPoint(40, 10));
  if (how == "focus") ClickAt(h.focusable, QPoint(10, 10));
  if (how == "background") ClickAt(&h.window, QPoint(350, 20));
  QVERIFY(!h.combo->IsOpen());
  QVERIFY(!h.combo->List()->isVisible());
  QCOMPARE(h.combo->Value(), 2);  // the hovered entry stays chosen
  QCOMPARE(change.count(), 0);
}

void ComboBoxTest::hiddenOrDisabledDoesNotOpen_data() {
  QTest::addColumn<bool>("hidden");
  QTest::newRow("front-panel item hidden") << true;
  QTest::newRow("Enabled false") << false;
}

void ComboBoxTest::hiddenOrDisabledDoesNotOpen() {
  QFETCH(bool, hidden);
  auto store = EmptyStore();
  ComboHost h(3, store.get());
  h.combo->SetAddr(810);
  if (hidden) {
    store->Menu.AddrHidden[810] = 1;
  } else {
    h.combo->SetEnabled(false);
  }
  QCOMPARE(h.combo->Hidden(), hidden);
  ClickAt(h.combo, QPoint(40, 10));
  QVERIFY(!h.combo->IsOpen());
  QVERIFY(!h.combo->List()->isVisible());
  // The disabled overlay lies over the face: the rendered face differs from an enabled one.
  const QImage refused = h.combo->grab().toImage();
  store->Menu.AddrHidden[810] = 0;
  h.combo->SetEnabled(true);
  QVERIFY(h.combo->grab().toImage() != refused);
}

void ComboBoxTest::listPlacement_data() {
  QTest::addColumn<QRect>("face");
  QTest::addColumn<double>("listHeight");
  QTest::addColumn<int>("screenBottom");
  QTest::addColumn<QPoint>("expected");
  // Below: top = T + H - 19 twips; left = L + 30 twips (2 px).
  QTest::newRow("room below") << QRect(100, 200, 87, 20) << 68.5 << 768 << QPoint(102, 219);
  // Above: top = T - LH - 1 twip = 700 - 68.5 - 0.07.
  QTest::newRow("near the bottom") << QRect(100, 700, 87, 20) << 68.5 << 768 << QPoint(102, 631);
  // The rule allows 99 twips (6.6 px) of slack: 700 + 20 - 6.6 + 54 = 767.4 still fits.
  QTest::newRow("just fits") << QRect(0, 700, 87, 20) << 54.0 << 768 << QPoint(2, 719);
  QTest::newRow("just does not") << QRect(0, 701, 87, 20) << 54.0 << 768 << QPoint(2, 647);
}

void ComboBoxTest::listPlacement() {
  QFETCH(QRect, face);
  QFETCH(double, listHeight);
  QFETCH(int, screenBottom);
  QFETCH(QPoint, expected);
  QCOMPARE(MComboBox::ListTopLeft(face, listHeight, screenBottom), expected);
}

void ComboBoxTest::opensUpwardsNearTheScreenBottom() {
  ComboHost h(2);
  const QRect screen = h.window.screen()->geometry();
  h.window.move(screen.left() + 10, screen.bottom() - 60);
  QTest::qWait(0);
  ClickAt(h.combo, QPoint(40, 10));
  QVERIFY(h.combo->IsOpen());
  const QPoint face = h.combo->mapToGlobal(QPoint(0, 0));
  const QRect list = h.combo->List()->geometry();
  QVERIFY2(list.bottom() < face.y(),
           qPrintable(QStringLiteral("list %1..%2, face top %3")
                          .arg(list.top()).arg(list.bottom()).arg(face.y())));
  QVERIFY(list.top() >= screen.top());
}

QTEST_MAIN(ComboBoxTest)
#include "combobox_test.moc"
