// SPDX-License-Identifier: GPL-3.0-or-later
// The menu visibility editor on the store's catalogue, and the flags it stores reaching the
// virtual amplifier.
#include <cstdlib>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

#include "admin/menu_show_frm.h"
#include "link/frame_codec.h"
#include "model/menu_catalogue.h"
#include "sim/virtual_rig.h"

using namespace mirelune;

namespace {

std::vector<QString> Lines(const QListWidget& list) {
  std::vector<QString> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i)->text());
  return out;
}

std::vector<bool> Ticks(const QListWidget& list) {
  std::vector<bool> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i)->checkState() == Qt::Checked);
  return out;
}

void Untick(QListWidget& list, int row) { list.item(row)->setCheckState(Qt::Unchecked); }

}  // namespace

class MenuShowFrmTest : public QObject {
  Q_OBJECT

 private slots:
  void ListsEveryKindTickedWhenNothingIsHidden();
  void ShowsHiddenItemsUnticked();
  void KindSwitchStoresWithoutSaving();
  void TickAllAndUntickAllStoreOnlyOnSave();
  void SavedFlagReachesTheAmplifier();
};

void MenuShowFrmTest::ListsEveryKindTickedWhenNothingIsHidden() {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  MenuShowFrm editor(store->Menu);
  QCOMPARE(editor.windowTitle(), QString::fromUtf8(kMenuShowCaption));
  QCOMPARE(editor.CurrentKind(), 0);
  QCOMPARE(editor.List1()->currentRow(), 0);
  const int counts[kCatalogueKinds] = {16, 21, 21, 41, 24, 21, 19, 23, 8, 8};
  std::vector<QString> kind1;
  for (int k = 0; k < kCatalogueKinds; ++k) {
    QTest::mouseClick(editor.KindButton(k), Qt::LeftButton);
    QCOMPARE(editor.CurrentKind(), k);
    QCOMPARE(editor.KindButton(k)->text(), QString::fromUtf8(CatalogueKindCaption(k)));
    for (int b = 0; b < kCatalogueKinds; ++b)
      QCOMPARE(editor.KindButton(b)->font().bold(), b == k);
    QCOMPARE(editor.KindButton(k)->palette().color(QPalette::Button), QColor(255, 192, 255));
    // Its caption stays readable on that pale colour (lightness apart by more than half).
    const QPalette pal = editor.KindButton(k)->palette();
    QVERIFY(std::abs(pal.color(QPalette::Button).lightness() - pal.color(QPalette::ButtonText).lightness()) > 128);
    QCOMPARE(editor.List1()->count(), counts[k]);
    QCOMPARE(Ticks(*editor.List1()), std::vector<bool>(static_cast<size_t>(counts[k]), true));
    if (k == 1) kind1 = Lines(*editor.List1());
    if (k == 2) QCOMPARE(Lines(*editor.List1()), kind1);
  }
  // Items are named by the parameter they hide: the microphone kinds' first item greys the
  // high-pass (address 256), the second the microphone volume (276).
  QCOMPARE(kind1.front(), QString::fromUtf8("高通滤波器频点"));
  QCOMPARE(kind1.at(1), QString::fromUtf8("话筒音量"));
  QCOMPARE(kind1.back(), QString::fromUtf8("释放时间"));
  // Walking through every kind changed nothing.
  for (int k = 0; k < kCatalogueKinds; ++k)
    for (int i = 0; i < counts[k]; ++i) QCOMPARE(int(store->Menu.MenuHidden[k][i]), 0);
}

void MenuShowFrmTest::ShowsHiddenItemsUnticked() {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  store->Menu.MenuHidden[0][0] = 1;
  store->Menu.MenuHidden[0][15] = 1;
  MenuShowFrm editor(store->Menu);
  std::vector<bool> expected(16, true);
  expected[0] = expected[15] = false;
  QCOMPARE(Ticks(*editor.List1()), expected);
}

// Unticking a line of kind 4 and switching to kind 5 stores it; closing without saving keeps
// it in the catalogue with OK false.
void MenuShowFrmTest::KindSwitchStoresWithoutSaving() {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  MenuShowFrm editor(store->Menu);
  editor.show();
  QTest::mouseClick(editor.KindButton(4), Qt::LeftButton);
  Untick(*editor.List1(), 1);  // 话筒音量, menu address 1
  QCOMPARE(int(store->Menu.MenuHidden[4][1]), 0);
  QTest::mouseClick(editor.KindButton(5), Qt::LeftButton);
  QCOMPARE(int(store->Menu.MenuHidden[4][1]), 1);
  QCOMPARE(int(store->Menu.AddrHidden[4 * 256 + 1]), 1);
  editor.close();
  QVERIFY(!editor.OK);
  QCOMPARE(int(store->Menu.MenuHidden[4][1]), 1);
  QCOMPARE(int(store->Menu.MenuHidden[5][1]), 0);

  // Back on kind 4 the line shows unticked.
  MenuShowFrm again(store->Menu);
  again.SelectKind(4);
  QCOMPARE(again.List1()->item(1)->checkState(), Qt::Unchecked);
}

void MenuShowFrmTest::TickAllAndUntickAllStoreOnlyOnSave() {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  store->Menu.MenuHidden[6][3] = 1;
  store->Menu.MapHiddenToAddresses();
  QCOMPARE(int(store->Menu.AddrHidden[6 * 256 + 3]), 1);
  MenuShowFrm editor(store->Menu);
  editor.SelectKind(6);
  QTest::mouseClick(editor.Command2(), Qt::LeftButton);
  QCOMPARE(Ticks(*editor.List1()), std::vector<bool>(19, false));
  QCOMPARE(int(store->Menu.MenuHidden[6][0]), 0);
  QTest::mouseClick(editor.Command1(), Qt::LeftButton);
  Untick(*editor.List1(), 0);
  QTest::mouseClick(editor.Command3(), Qt::LeftButton);
  QVERIFY(editor.OK);
  QVERIFY(!editor.isVisible());
  for (int i = 0; i < 19; ++i) QCOMPARE(int(store->Menu.MenuHidden[6][i]), i == 0 ? 1 : 0);
  // Item 0 of kind 6 names menu address 0; item 3 (混响音量, address 3) is shown again.
  QCOMPARE(int(store->Menu.AddrHidden[6 * 256 + 0]), 1);
  QCOMPARE(int(store->Menu.AddrHidden[6 * 256 + 3]), 0);
}

// Hiding "回声效果音量" (kind 3, item 0, menu address 0x26) and "高通滤波器" of kind 1 (item 1,
// menu address 0x14), saving and sending: WriteMenuFlags carries the flags, the amplifier
// keeps them and reports them on ReadMenuFlags, AddrHidden follows the catalogue's addresses.
void MenuShowFrmTest::SavedFlagReachesTheAmplifier() {
  auto rig = std::make_unique<VirtualRig>();
  QVERIFY(rig->BringUp());
  MenuShowFrm editor(rig->store.Menu);
  editor.SelectKind(1);
  Untick(*editor.List1(), 1);
  editor.SelectKind(3);
  Untick(*editor.List1(), 0);
  editor.Save();
  QVERIFY(editor.OK);
  QCOMPARE(int(rig->store.Menu.AddrHidden[806]), 1);
  QCOMPARE(int(rig->store.Menu.AddrHidden[276]), 1);
  QCOMPARE(int(rig->store.Menu.AddrHidden[256]), 0);

  const size_t before = rig->amplifier.CommandLog().size();
  QVERIFY(SendMenuFlags(rig->link));
  const auto& log = rig->amplifier.CommandLog();
  QCOMPARE(log.size() - before, size_t{10});
  for (int k = 0; k < kCatalogueKinds; ++k) {
    const std::vector<uint8_t>& f = log[before + static_cast<size_t>(k)];
    QCOMPARE(int(f[1]), int(WriteMenuFlags));
    QCOMPARE(int(f[3]), k);
    QCOMPARE(f.size(), size_t{7} + 2 * rig->store.Menu.MenuItemCount[k]);
  }
  const std::vector<uint8_t>& kind3 = log[before + 3];
  QCOMPARE(std::vector<uint8_t>(kind3.begin() + 6, kind3.begin() + 10),
           (std::vector<uint8_t>{0, 1, 0, 0}));
  QCOMPARE(int(rig->amplifier.MenuHidden(3, 0)), 1);
  QCOMPARE(int(rig->amplifier.MenuHidden(1, 1)), 1);
  QCOMPARE(int(rig->amplifier.MenuHidden(2, 1)), 0);

  for (int k : {1, 3}) {
    QVERIFY(rig->link.SendCommand(ReadMenuFlags, 0, k));
    const auto& p = rig->link.ReplyPayload();
    const int hiddenItem = k == 1 ? 1 : 0;
    for (int i = 0; i < rig->store.Menu.MenuItemCount[k]; ++i)
      QCOMPARE(int(p[2 * i + 1]), i == hiddenItem ? 1 : 0);
  }
}

QTEST_MAIN(MenuShowFrmTest)
#include "menu_show_frm_test.moc"
