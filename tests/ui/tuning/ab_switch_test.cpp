// SPDX-License-Identifier: GPL-3.0-or-later
// The A/B comparison as a user works it: the tool bar's A/B button starts it, edits go to B,
// Ctrl+B on the window switches the amplifier sending only the records that differ, a link that
// drops in the middle of a switch is reported and the amplifier ends holding the side shown once
// it is back, and keeping a side is one undo step. Virtual time, the USB timing model.
#include <QMenu>
#include <QToolButton>
#include <QTest>

#include "controls/mscrollbar.h"
#include "link/frame_codec.h"
#include "sim/virtual_hid_port.h"
#include "tests/ui/console_fixture.h"
#include "ui/tuning/ab_switch.h"
#include "ui/tuning/tool_bar.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

namespace {

std::vector<int> SentAddresses(VirtualAmplifier& amp, size_t from) {
  std::vector<int> out;
  const auto& log = amp.CommandLog();
  for (size_t i = from; i < log.size(); ++i)
    if (log[i].size() > 5 && log[i][1] == SetParam) out.push_back(log[i][3] * 256 + log[i][4]);
  return out;
}

void Settle(Console& c, int ms = 300) { c.RunUntil([] { return false; }, ms); }

void Move(Console& c, int strip, float value) {
  controls::MScrollBar* s = c.eq().Slider(strip);
  QVERIFY(s);
  s->SetValue(value);
  emit s->Scroll();
}

}  // namespace

class AbSwitchTest : public QObject {
  Q_OBJECT

 private slots:
  void switchesSendOnlyTheDifferenceAndKeepIsOneStep() {
    Console c("usbtiming");
    QVERIFY(c.Synced());
    auto* button = c.eq().findChild<QToolButton*>("cmdAbSwitch");
    QVERIFY(button && button->isVisible());
    QVERIFY(button->toolTip().contains("Ctrl+B"));
    const RecordTable a = c.store().ParamTable;
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    AbSwitch* ab = c.eq().Tools()->Ab();
    QVERIFY(ab->Active());
    QCOMPARE(ab->Showing(), 'B');
    // B: two bands moved on their strips.
    const int s1 = c.eq().Slider(3)->Addr(), s2 = c.eq().Slider(8)->Addr();
    Move(c, 3, c.eq().Slider(3)->Value() - 30);
    Move(c, 8, c.eq().Slider(8)->Value() + 20);
    Settle(c);
    const RecordTable b = c.store().ParamTable;
    QVERIFY(!(a == b));

    // Ctrl+B on the window: to A, exactly the two records.
    size_t from = c.amp().CommandLog().size();
    const int64_t t0 = c.scheduler.NowMs();
    QTest::keyClick(c.frame->windowHandle(), Qt::Key_B, Qt::ControlModifier);
    const int64_t took = c.scheduler.NowMs() - t0;
    Settle(c);
    QCOMPARE(ab->Showing(), 'A');
    std::vector<int> want = {s1, s2};
    std::sort(want.begin(), want.end());
    QCOMPARE(SentAddresses(c.amp(), from), want);
    QVERIFY(c.store().ParamTable == a);
    QCOMPARE(c.amp().Working().at(0, s1).Gain, a.at(0, s1).Gain);
    qInfo("a switch of two records took %lld ms of virtual time on the USB timing model", static_cast<long long>(took));

    // Back to B, then keep B: one undo step back to A.
    from = c.amp().CommandLog().size();
    QTest::keyClick(c.frame->windowHandle(), Qt::Key_B, Qt::ControlModifier);
    Settle(c);
    QCOMPARE(SentAddresses(c.amp(), from), want);
    QCOMPARE(c.amp().Working().at(0, s2).Gain, b.at(0, s2).Gain);
    QVERIFY(ab->Button()->menu());
    QAction* keepB = ab->Button()->menu()->findChild<QAction*>("cmdAbKeepB");
    QVERIFY(keepB);
    keepB->trigger();
    QVERIFY(!ab->Active());
    QVERIFY(c.store().ParamTable == b);
    QVERIFY(c.session->history().CanUndo());
    QVERIFY(!c.session->history().CanRedo());
    QTest::keyClick(c.frame->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    Settle(c);
    QCOMPARE(c.store().ParamTable.at(0, s1).Gain, a.at(0, s1).Gain);
    QCOMPARE(c.store().ParamTable.at(0, s2).Gain, a.at(0, s2).Gain);
    QCOMPARE(c.amp().Working().at(0, s2).Gain, a.at(0, s2).Gain);
  }

  // Keeping is one step also when the comparison's edits filled the undo history and its
  // oldest snapshots were let go meanwhile (the entry the comparison started at moved down).
  void keepAfterTheHistoryOverflowedIsStillOneStep() {
    Console c;
    QVERIFY(c.Synced());
    const int strip = 3;
    const float start = c.eq().Slider(strip)->Value();
    auto step = [&](int i) {
      Move(c, strip, start + static_cast<float>(i % 2 ? 10 : -10) - static_cast<float>(i % 7));
      Settle(c, 1100);  // the gesture ends: every move is a step of its own
    };
    for (int i = 0; i < 10; ++i) step(i);  // steps before the comparison
    const RecordTable a = c.store().ParamTable;
    AbSwitch* ab = c.eq().Tools()->Ab();
    QVERIFY(ab->Toggle());
    const int64_t droppedBefore = c.session->history().Dropped();
    for (int i = 10; i < 35; ++i) step(i);
    QVERIFY2(c.session->history().Dropped() > droppedBefore, "the history did not overflow");
    const RecordTable b = c.store().ParamTable;
    QVERIFY(ab->Keep('B'));
    QVERIFY(c.store().ParamTable == b);
    QTest::keyClick(c.frame->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    Settle(c);
    QCOMPARE(c.store().ParamTable.at(0, c.eq().Slider(strip)->Addr()).Gain,
             a.at(0, c.eq().Slider(strip)->Addr()).Gain);
    QVERIFY2(c.store().ParamTable == a, "one undo after keeping B is not the state before the comparison");
    QVERIFY(c.session->history().CanUndo());  // the steps before the comparison are still there
  }

  // The link drops after the first record of a switch: the warning names what was not
  // acknowledged,
  // and when the amplifier is back (read again) it gets the side shown, so that it and the
  // store end equal.
  void aDropMidSwitchEndsEqualOnceTheLinkIsBack() {
    Console c("usbtiming");
    QVERIFY(c.Synced());
    AbSwitch* ab = c.eq().Tools()->Ab();
    QVERIFY(ab->Toggle());
    const int s1 = c.eq().Slider(3)->Addr(), s2 = c.eq().Slider(8)->Addr();
    Move(c, 3, c.eq().Slider(3)->Value() - 30);
    Move(c, 8, c.eq().Slider(8)->Value() + 20);
    Settle(c);
    const RecordTable b = c.store().ParamTable;
    QVERIFY(ab->Toggle());  // on A
    Settle(c);
    // The cable is pulled as the first record's acknowledgement arrives: the second record
    // never reaches the amplifier.
    VirtualHidPort* port = c.session->virtualPort();
    int replies = 0;
    c.link().onTrace = [&](bool sent, const std::vector<uint8_t>& bytes) {
      if (!sent && bytes.size() > 3 && ++replies == 1) port->Unplug();
    };
    const size_t warnings = c.messages.Texts(RecordingNotifier::Kind::Warning).size();
    QVERIFY(ab->Toggle());  // to B: the first record arrives, the second does not
    QVERIFY(!c.link().Online);
    const auto texts = c.messages.Texts(RecordingNotifier::Kind::Warning);
    QVERIFY(texts.size() > warnings);
    const std::string& said = texts.back();
    QVERIFY2(said.find("A/B") != std::string::npos && said.find(std::to_string(s2)) != std::string::npos, said.c_str());
    QCOMPARE(ab->Unsent(), std::vector<int>{s2});
    QCOMPARE(c.amp().Working().at(0, s1).Gain, b.at(0, s1).Gain);
    QVERIFY(c.amp().Working().at(0, s2).Gain != b.at(0, s2).Gain);
    // The warning tells that they go again by themselves.
    QVERIFY2(said.find("自动补发") != std::string::npos, said.c_str());

    // Plugged in again: the link comes back, reads what the amplifier holds, and B is put back.
    c.link().onTrace = nullptr;
    port->Replug();
    QVERIFY(c.Synced(10000));
    Settle(c, 1000);
    QCOMPARE(ab->Showing(), 'B');
    QVERIFY(ab->Unsent().empty());
    QCOMPARE(c.amp().Working().at(0, s2).Gain, b.at(0, s2).Gain);
    QCOMPARE(c.store().ParamTable.at(0, s2).Gain, b.at(0, s2).Gain);
    for (int addr = 0; addr < kFirstSlotOnlyAddress; ++addr)
      if (HoldsParam(addr)) QVERIFY2(c.store().ParamTable.at(0, addr) == c.amp().Working().at(0, addr), qPrintable(QString::number(addr)));
  }

  // Another sound mode in between: refused with a warning naming the comparison's mode, and
  // nothing is sent or changed.
  void anotherSoundModeIsRefused() {
    Console c;
    QVERIFY(c.Synced());
    AbSwitch* ab = c.eq().Tools()->Ab();
    QVERIFY(ab->Toggle());
    c.store().SetCurrentSoundMode(1);
    const RecordTable before = c.store().ParamTable;
    const size_t from = c.amp().CommandLog().size();
    QVERIFY(!ab->Toggle());
    QVERIFY(!ab->Keep('A'));
    QVERIFY(ab->Active());
    QVERIFY(c.store().ParamTable == before);
    QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{});
    const auto texts = c.messages.Texts(RecordingNotifier::Kind::Warning);
    QVERIFY(!texts.empty());
    QVERIFY2(texts.back().find("唱歌模式") != std::string::npos, texts.back().c_str());
  }
};

QTEST_MAIN(AbSwitchTest)
#include "ab_switch_test.moc"
