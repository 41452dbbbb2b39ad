// SPDX-License-Identifier: GPL-3.0-or-later
// Undo, redo and the two copies of the tuning window against the virtual amplifier in virtual
// time: what reaches the amplifier, what the window shows afterwards, the gesture timer, the
// tool bar per page, and the history's end at a read of the device.
#include <QTest>

#include <cmath>

#include "controls/mbtnflag.h"
#include "controls/mscrollbar.h"
#include "link/frame_codec.h"
#include "model/mode_copy.h"
#include "ui/tuning/tool_bar.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using controls::MBtnFlag;
using controls::MScrollBar;

namespace {

// SetParam frames the amplifier received, as (sound-mode byte, address).
std::vector<std::pair<int, int>> SetParams(VirtualAmplifier& amp, size_t from = 0) {
  std::vector<std::pair<int, int>> out;
  const auto& log = amp.CommandLog();
  for (size_t i = from; i < log.size(); ++i)
    if (log[i].size() > 5 && log[i][1] == SetParam) out.emplace_back(log[i][2], log[i][3] * 256 + log[i][4]);
  return out;
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10)); }

void Settle(Console& c, int ms = 300) { c.RunUntil([] { return false; }, ms); }

bool Editable(Console& c) {
  return c.eq().PageContainer(c.store().CurrentPage)->isEnabled() && c.graph().isEnabled() &&
         c.eq().Tools()->UndoButton()->isEnabled();
}

}  // namespace

class UndoCopyTest : public QObject {
  Q_OBJECT

 private slots:
  void graphDragUndoneAndRedoneOnTheAmplifier();
  void longDragEndsOnTheAmplifierAsOneStep_data();
  void longDragEndsOnTheAmplifierAsOneStep();
  void stripBurstsWithinASecondAreOneStep();
  void undoOfflineChangesOnlyTheWindow();
  void heldFrequencySweepIsOneStep();
  void deviceReadEndsTheHistory();
  void toolBarPerPage_data();
  void toolBarPerPage();
  void modeCopySendsTheOtherSoundMode();
  void micCopyOnPageTwo();
};

// The user drags a graph band, then clicks the undo button: the old band goes to the amplifier,
// and the store, the graph and the strip show it again. Ctrl+Y brings the drag back.
void UndoCopyTest::graphDragUndoneAndRedoneOnTheAmplifier() {
  Console c;
  QVERIFY(c.Synced());
  GraphWidget& g = c.graph();
  ResponseModel& m = g.model();
  const int band = 2;
  const int addr = m.Band(band).Addr;
  const ParamRecord before = c.store().ParamTable.at(0, addr);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, before.Gain);

  const MarkerPos p = m.Marker(band);
  const QPoint start(static_cast<int>(std::lround(p.x)), static_cast<int>(p.y));
  QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, start);
  QTest::mouseMove(&g, start + QPoint(40, -40));
  QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, start + QPoint(40, -40));
  Settle(c);
  const int draggedGain = m.Band(band).Gain;
  const int draggedFreq = m.Band(band).Freq;
  QVERIFY(draggedGain != before.Gain);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, draggedGain);
  QCOMPARE(c.session->history().UndoPos, 0);

  const size_t logBefore = c.amp().CommandLog().size();
  Click(c.eq().Tools()->UndoButton());
  // Exactly the dragged band went out again, with its old values.
  QCOMPARE(SetParams(c.amp(), logBefore), (std::vector<std::pair<int, int>>{{0, addr}}));
  QCOMPARE(c.amp().Working().at(0, addr).Gain, before.Gain);
  QCOMPARE(c.amp().Working().at(0, addr).Freq, before.Freq);
  QCOMPARE(c.store().ParamTable.at(0, addr).Gain, before.Gain);
  QCOMPARE(m.Band(band).Gain, before.Gain);
  QCOMPARE(m.Band(band).Freq, before.Freq);
  QVERIFY(Editable(c));

  QTest::keyClick(&g, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, draggedGain);
  QCOMPARE(c.amp().Working().at(0, addr).Freq, draggedFreq);
  QCOMPARE(m.Band(band).Gain, draggedGain);
  QTest::keyClick(&g, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, before.Gain);
  QVERIFY(c.messages.messages.empty());
}

void UndoCopyTest::longDragEndsOnTheAmplifierAsOneStep_data() {
  QTest::addColumn<QString>("faults");
  QTest::addColumn<bool>("slowerThanTheHand");
  QTest::newRow("USB timing") << "usbtiming" << false;
  // Replies 40 ms late: the moves come faster than the amplifier answers.
  QTest::newRow("late replies") << "usbtiming,delay=40" << true;
}

// A hand's drag: 200 pointer moves 16 ms apart. The band's frames go out while the graph keeps
// following the pointer, never more than one on its way (what comes meanwhile waits and is
// merged into the next), and when the hand stops the amplifier holds the last position; the
// whole drag is one undo step.
void UndoCopyTest::longDragEndsOnTheAmplifierAsOneStep() {
  QFETCH(QString, faults);
  QFETCH(bool, slowerThanTheHand);
  Console c(faults.toStdString());
  QVERIFY(c.Synced());
  GraphWidget& g = c.graph();
  ResponseModel& m = g.model();
  const int band = 2;
  const int addr = m.Band(band).Addr;
  const ParamRecord before = c.store().ParamTable.at(0, addr);
  const size_t logBefore = c.amp().CommandLog().size();

  const MarkerPos p = m.Marker(band);
  const QPoint start(static_cast<int>(std::lround(p.x)), static_cast<int>(p.y));
  QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, start);
  int mostOnTheirWay = 0;
  QPoint at = start;
  for (int i = 1; i <= 200; ++i) {
    const int t = i % 100 < 50 ? i % 100 : 100 - i % 100;  // back and forth over 150 px
    at = start + QPoint(3 * t, -(i % 30));
    QTest::mouseMove(&g, at);
    // Event by event, counting the frames on their way after each.
    bool due = false;
    c.scheduler.StartTimer(16, false, [&due] { due = true; });
    while (!due && c.scheduler.RunNext()) mostOnTheirWay = std::max(mostOnTheirWay, c.link().RepliesOwed());
    // The graph does not wait for the amplifier: each move is in the store 16 ms later.
    QCOMPARE(c.store().ParamTable.at(0, addr).Freq, m.Band(band).Freq);
  }
  QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, at);
  const ParamRecord last = c.store().ParamTable.at(0, addr);
  QVERIFY(last.Freq != before.Freq || last.Gain != before.Gain);
  QVERIFY(c.RunUntil([&] { return !c.session->PostsPending(); }, 2000));
  Settle(c, 1500);  // the gesture ends

  QCOMPARE(c.amp().Working().at(0, addr).Freq, last.Freq);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, last.Gain);
  // Seen on its way between events: the draw tick sent the frame and went on without waiting
  // for the reply. Never two at a time.
  QCOMPARE(mostOnTheirWay, 1);
  const size_t frames = SetParams(c.amp(), logBefore).size();
  QVERIFY(frames >= 2);
  if (slowerThanTheHand) QVERIFY2(frames < 100, qPrintable(QString::number(frames)));
  QCOMPARE(c.session->history().UndoPos, 0);
  QVERIFY(c.messages.messages.empty());

  Click(c.eq().Tools()->UndoButton());
  QCOMPARE(c.amp().Working().at(0, addr).Freq, before.Freq);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, before.Gain);
}

// Three strip moves 300 ms apart are one undo step; a move 1.5 s later is another.
void UndoCopyTest::stripBurstsWithinASecondAreOneStep() {
  Console c;
  QVERIFY(c.Synced());
  MScrollBar* strip = c.eq().Slider(5);  // "EQ,0,2": address 2
  const int g0 = c.store().ParamTable.at(0, 2).Gain;
  for (int gain : {200, 210, 220}) {
    strip->SetValue(static_cast<float>(gain));
    emit strip->Scroll();
    Settle(c, 300);
  }
  Settle(c, 1200);
  strip->SetValue(230);
  emit strip->Scroll();
  QCOMPARE(c.session->history().UndoPos, 1);

  Click(c.eq().Tools()->UndoButton());
  QCOMPARE(c.store().ParamTable.at(0, 2).Gain, 220);
  QCOMPARE(c.amp().Working().at(0, 2).Gain, 220);
  QCOMPARE(strip->Value(), 220.0f);
  Click(c.eq().Tools()->UndoButton());
  QCOMPARE(c.store().ParamTable.at(0, 2).Gain, g0);
  QCOMPARE(c.amp().Working().at(0, 2).Gain, g0);
  QCOMPARE(strip->Value(), static_cast<float>(g0));
}

void UndoCopyTest::undoOfflineChangesOnlyTheWindow() {
  Console c;
  QVERIFY(!c.link().Online);
  MScrollBar* strip = c.eq().Slider(5);
  const int g0 = c.store().ParamTable.at(0, 2).Gain;
  strip->SetValue(290);
  emit strip->Scroll();
  Click(c.eq().Tools()->UndoButton());
  QCOMPARE(c.store().ParamTable.at(0, 2).Gain, g0);
  QCOMPARE(strip->Value(), static_cast<float>(g0));
  QVERIFY(SetParams(c.amp()).empty());
  QVERIFY(Editable(c));
}

// Holding Right sweeps the selected band's frequency; the whole sweep is one undo step.
void UndoCopyTest::heldFrequencySweepIsOneStep() {
  Console c;
  QVERIFY(c.Synced());
  GraphWidget& g = c.graph();
  ResponseModel& m = g.model();
  const int band = m.SelectedBand();
  const int addr = m.Band(band).Addr;
  const int f0 = m.Band(band).Freq;
  QTest::keyPress(&g, Qt::Key_Right);
  Settle(c, 600);
  QTest::keyRelease(&g, Qt::Key_Right);
  Settle(c);
  QVERIFY(m.Band(band).Freq > f0 + 3);
  QCOMPARE(c.session->history().UndoPos, 0);
  QTest::keyClick(&g, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(c.store().ParamTable.at(0, addr).Freq, f0);
  QCOMPARE(c.amp().Working().at(0, addr).Freq, f0);
  QCOMPARE(m.Band(band).Freq, f0);
}

// Switching the link off and on reads the device again; the snapshots of the old contents go.
void UndoCopyTest::deviceReadEndsTheHistory() {
  Console c;
  QVERIFY(c.Synced());
  MScrollBar* strip = c.eq().Slider(5);
  strip->SetValue(290);
  emit strip->Scroll();
  QVERIFY(c.session->history().CanUndo());
  Click(c.eq().ConnectButton());
  QVERIFY(!c.link().Online);
  QVERIFY(!c.Synced(100));
  // The amplifier's band is changed behind the console's back; the new read must bring it.
  c.amp().Working().at(0, 2).Gain = 300;
  Click(c.eq().ConnectButton());
  QVERIFY(c.Synced());
  QCOMPARE(c.store().ParamTable.at(0, 2).Gain, 300);
  QVERIFY(!c.session->history().CanUndo());
  Click(c.eq().Tools()->UndoButton());
  QCOMPARE(c.store().ParamTable.at(0, 2).Gain, 300);
}

void UndoCopyTest::toolBarPerPage_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<bool>("micCopy");
  QTest::addColumn<bool>("modeCopyInBar");
  QTest::newRow("music") << 0 << false << true;
  QTest::newRow("mic 1,2") << 1 << true << false;
  QTest::newRow("mic 3") << 2 << true << true;
  QTest::newRow("effects") << 3 << false << false;
  QTest::newRow("main out") << 4 << false << true;
  QTest::newRow("sub") << 7 << false << true;
}

void UndoCopyTest::toolBarPerPage() {
  QFETCH(int, page);
  QFETCH(bool, micCopy);
  QFETCH(bool, modeCopyInBar);
  Console c;
  c.eq().ShowPage(page);
  ToolBar* t = c.eq().Tools();
  QWidget* bar = t->UndoButton()->parentWidget();
  const QRect inBar(0, 0, bar->width(), bar->height());
  QCOMPARE(t->MicCopyButton()->isVisible(), micCopy);
  QCOMPARE(inBar.contains(t->ModeCopyButton()->geometry()), modeCopyInBar);
  QVERIFY(inBar.contains(t->UndoButton()->geometry()));
  QVERIFY(inBar.contains(t->RedoButton()->geometry()));
  if (micCopy) {
    QVERIFY(inBar.contains(t->MicCopyButton()->geometry()));
    QVERIFY(!t->MicCopyButton()->geometry().intersects(t->ModeCopyButton()->geometry()));
  }
  QCOMPARE(t->UndoButton()->ShownImage(), 194);
  QCOMPARE(t->RedoButton()->ShownImage(), 192);
  QCOMPARE(t->ModeCopyButton()->ShownImage(), 284);
  QCOMPARE(t->MicCopyButton()->ShownImage(), 315);
}

// Singing mode holds its own sub-woofer volume and music band; the copy sends every per-mode
// address with the dance-mode byte, and the amplifier's dance mode then holds them.
void UndoCopyTest::modeCopySendsTheOtherSoundMode() {
  Console c;
  QVERIFY(c.Synced());
  Store& s = c.store();
  s.ParamTable.at(0, 3).Gain = 321;
  s.ParamTable.at(0, 1792).Value = 77;
  QVERIFY(c.amp().Working().at(1, 3).Gain != 321);

  c.messages.questionAnswers = {false};
  size_t from = c.amp().CommandLog().size();
  Click(c.eq().Tools()->ModeCopyButton());
  QVERIFY(SetParams(c.amp(), from).empty());
  QVERIFY(s.ParamTable.at(1, 3).Gain != 321);

  c.messages.Clear();
  c.messages.questionAnswers = {true};
  from = c.amp().CommandLog().size();
  Click(c.eq().Tools()->ModeCopyButton());
  std::vector<std::pair<int, int>> expected;
  for (int a = 0; a < kAddressCount; ++a)
    if (s.ParamTable.at(0, a).PerMode == kTrue) expected.emplace_back(1, a);
  QCOMPARE(SetParams(c.amp(), from), expected);
  QCOMPARE(c.amp().Working().at(1, 3).Gain, 321);
  QCOMPARE(c.amp().Working().at(1, 1792).Value, 77);
  QCOMPARE(int(s.CurrentSoundMode), 0);
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Question),
           std::vector<std::string>{kSingToDanceText});
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Warning), std::vector<std::string>{"完成!"});
  QVERIFY(Editable(c));
}

// Page 2 copies microphone 3 into microphones 1 and 2.
void UndoCopyTest::micCopyOnPageTwo() {
  Console c;
  QVERIFY(c.Synced());
  Store& s = c.store();
  for (int r = 0; r <= 20; ++r) {
    ParamRecord& src = s.ParamTable.at(0, 512 + r);
    if (src.Kind == kEqBand) {
      src.Gain = 260 + r;
    } else if (src.Kind == kPlain) {
      src.Value = 40 + r;
    }
  }
  c.eq().ShowPage(2);
  c.messages.questionAnswers = {true};
  const size_t from = c.amp().CommandLog().size();
  Click(c.eq().Tools()->MicCopyButton());
  std::vector<std::pair<int, int>> expected;
  for (int r = 0; r <= 20; ++r) expected.emplace_back(0, 256 + r);
  QCOMPARE(SetParams(c.amp(), from), expected);
  for (int r = 0; r <= 20; ++r) {
    const ParamRecord& src = s.ParamTable.at(0, 512 + r);
    for (int slot : {0, 1}) {
      const ParamRecord& got = c.amp().Working().at(slot, 256 + r);
      QCOMPARE(got.Kind == kEqBand ? got.Gain : got.Value, src.Kind == kEqBand ? src.Gain : src.Value);
    }
  }
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Question),
           std::vector<std::string>{kMicCopyFromMic3Text});
  QVERIFY(Editable(c));
}

QTEST_MAIN(UndoCopyTest)
#include "undo_copy_test.moc"
