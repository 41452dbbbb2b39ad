// SPDX-License-Identifier: GPL-3.0-or-later
// A soak of the console in virtual time: a few thousand random edits on every reachable page in
// both sound modes, through the same handlers the controls call, while the virtual amplifier
// drops, corrupts, splits and delays replies and is unplugged twice. Afterwards the amplifier's
// working set must equal the console's store: no acknowledged edit lost, none invented, and
// whatever a failed send left behind replaced by the read that followed.
#include <QTest>

#include <random>

#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "controls/value_type.h"
#include "sim/virtual_faults.h"
#include "ui/tuning/mode_controls.h"
#include "ui/pages/page_table.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using controls::MBtnFlag;
using controls::MComboBox;
using controls::MScrollBar;

class SoakTest : public QObject {
  Q_OBJECT

 private slots:
  void randomEditsUnderFaultsEndWithStoreAndDeviceEqual();
};

void SoakTest::randomEditsUnderFaultsEndWithStoreAndDeviceEqual() {
  Console c;
  // Hours of virtual time pass.
  c.scheduler.SetHorizonMs(24LL * 3600 * 1000);
  QVERIFY(c.Synced());
  std::mt19937 rng(20261210);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const int reachable[] = {0, 1, 3, 4, 5, 6, 7};  // page 2 has no button
  VirtualFaults& faults = c.session->virtualPort()->Faults();
  int edits = 0, unplugs = 0;
  const int kEdits = 2500;
  for (int step = 0; step < kEdits; ++step) {
    // Faults come and go.
    switch (pick(40)) {
      case 0: faults.dropReplies = 1; break;
      case 1: faults.corruptReplies = 1; break;
      case 2: faults.splitBytes = faults.splitBytes ? 0 : 1 + pick(20); break;
      case 3: faults.replyDelayMs = faults.replyDelayMs ? 0 : 100 + pick(1200); break;
      default: break;
    }
    if ((step == kEdits / 3 || step == 2 * kEdits / 3) && c.session->virtualPort()->Plugged()) {
      c.session->virtualPort()->Unplug();
      ++unplugs;
      c.RunUntil([] { return false; }, 300);
      c.session->virtualPort()->Replug();
    }
    if (pick(60) == 0 && c.store().BassAutoControl == 0) c.eq().Modes()->SelectSoundMode(pick(2));
    if (pick(25) == 0) c.eq().ShowPage(reachable[pick(7)]);
    const int page = c.store().CurrentPage;
    if (page == kEffectsPage && pick(10) == 0) c.eq().ShowEffectSubPage(pick(kEffectSubPages));
    if (c.eq().Busy()) {
      c.RunUntil([&] { return !c.eq().Busy(); }, 20000);
      continue;
    }
    QWidget* container = c.eq().PageContainer(page);
    const auto sliders = container->findChildren<MScrollBar*>(Qt::FindDirectChildrenOnly);
    const auto lists = container->findChildren<MComboBox*>(Qt::FindDirectChildrenOnly);
    const int kind = pick(10);
    if (kind < 7 && !sliders.isEmpty()) {
      MScrollBar* s = sliders[pick(static_cast<int>(sliders.size()))];
      if (!s->isVisibleTo(container) || !s->TVisible() || !s->Enabled()) continue;
      s->SetValue(controls::ValueFromPosition(s->ValueType(), pick(s->MaxValue() + 1)));
      emit s->Scroll();
    } else if (kind < 8 && !lists.isEmpty()) {
      MComboBox* l = lists[pick(static_cast<int>(lists.size()))];
      const int item = pick(static_cast<int>(l->Entries().size()));
      l->SetValue(item);
      emit l->Change(item);
    } else if (kind < 9) {
      const int i = pick(3);
      MScrollBar* m = c.eq().Modes()->MasterSlider(i);
      m->SetValue(static_cast<float>(pick(m->MaxValue() + 1)));
      c.eq().Modes()->MasterSliderScroll(i);
    } else if (page == 7) {
      MBtnFlag* b = c.eq().FlagButton(2 + pick(6));
      if (!b) continue;
      b->SetValue(1 - b->Value());
      emit b->Click();
    } else {
      continue;
    }
    ++edits;
    c.RunUntil([] { return false; }, pick(3) == 0 ? 1100 : 30);
  }
  // Calm again: the last sends end, a link lost on the way comes back and reads the device.
  faults = VirtualFaults{};
  c.RunUntil([] { return false; }, 3000);
  QVERIFY(c.Synced(20000));
  c.RunUntil([] { return false; }, 2000);
  QVERIFY(edits > kEdits / 2);
  QCOMPARE(unplugs, 2);

  const Store& store = c.store();
  const RecordTable& device = c.amp().Working();
  int compared = 0;
  for (int kind : {0, 1, 3, 4, 5, 6, 7}) {
    for (int a = store.KindStart[static_cast<size_t>(kind)]; a <= store.KindEnd[static_cast<size_t>(kind)]; ++a) {
      for (int slot = 0; slot < 2; ++slot) {
        const ParamRecord& s = store.ParamTable.at(slot, a);
        const ParamRecord& d = device.at(slot, a);
        const bool band = s.Kind == kEqBand;
        const bool same = band ? (s.Gain == d.Gain && s.Freq == d.Freq && s.Q == d.Q && s.SQ == d.SQ &&
                                  s.QType == d.QType && s.EQDisabled == d.EQDisabled)
                               : s.Value == d.Value;
        QVERIFY2(same, qPrintable(QString("address %1, sound mode %2: console %3, amplifier %4")
                                      .arg(a).arg(slot).arg(band ? s.Gain : s.Value).arg(band ? d.Gain : d.Value)));
        ++compared;
      }
    }
  }
  for (int a = 2560; a <= 2562; ++a) QCOMPARE(store.ParamTable.at(0, a).Value, device.at(0, a).Value);
  QVERIFY(compared > 300);  // every record of the seven pages, both sound modes
}

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
