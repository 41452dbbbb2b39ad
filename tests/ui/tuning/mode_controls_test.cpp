// SPDX-License-Identifier: GPL-3.0-or-later
// The sound-mode, automatic-control, bypass, reset, mute, radio and master-volume controls of
// the tuning window against the virtual amplifier in virtual time: what the amplifier receives
// and holds, what the store, the buttons and the graph show afterwards.
// Also renders the window into ui-mode-controls.png in the build directory for a look by eye.
#include <QLineEdit>
#include <QTest>

#include <set>

#include "controls/mbtnflag.h"
#include "controls/mscrollbar.h"
#include "link/frame_codec.h"
#include "ui/tuning/mode_controls.h"
#include "ui/tuning/tool_bar.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using controls::MBtnFlag;
using controls::MScrollBar;
using G = SystemButtonGroup;

Q_DECLARE_METATYPE(mirelune::ui::SystemButtonGroup)

namespace {

// SetParam frames the amplifier received, as (sound-mode byte, address).
std::vector<std::pair<int, int>> SetParams(VirtualAmplifier& amp, size_t from) {
  std::vector<std::pair<int, int>> out;
  const auto& log = amp.CommandLog();
  for (size_t i = from; i < log.size(); ++i)
    if (log[i].size() > 5 && log[i][1] == SetParam) out.emplace_back(log[i][2], log[i][3] * 256 + log[i][4]);
  return out;
}

void Click(QWidget* w, QPoint at = QPoint(8, 8)) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at); }

void Settle(Console& c, int ms = 300) { c.RunUntil([] { return false; }, ms); }

ModeControls& Modes(Console& c) { return *c.eq().Modes(); }
MBtnFlag* Btn(Console& c, G g, int i) { return Modes(c).Button(g, i); }

// The part of the graph's finished frame where the bypass overlay goes.
QImage OverlayArea(Console& c) {
  const QImage& frame = c.graph().view().Composite();
  return frame.copy(frame.width() / 2 - 100, frame.height() / 3, 200, 56);
}

}  // namespace

class ModeControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void soundModeSwitchSendsTheModeAndShowsTheOtherSlot();
  void automaticControlBlocksTheSoundModeSwitch();
  void subWooferSwitchFollowsThePair();
  void bypassOfThePageShown_data();
  void bypassOfThePageShown();
  void resetRestoresTheFactoryBandsAndIsUndoable();
  void muteAndRadioWriteTheirSystemAddress_data();
  void muteAndRadioWriteTheirSystemAddress();
  void masterSliderSendsSlotZeroOnEveryPage();
  void masterKeys_data();
  void masterKeys();
  void deviceReadShowsTheSystemSettings();
  void renderWindow();
};

// Dance mode holds its own music band 2: switching to it sends address 2590 alone, the amplifier
// holds mode 1, the graph shows the dance band and the history of singing edits ends.
void ModeControlsTest::soundModeSwitchSendsTheModeAndShowsTheOtherSlot() {
  Console c("", [](VirtualAmplifier& amp) {
    amp.Working().at(0, 2).Gain = 200;
    amp.Working().at(1, 2).Gain = 320;
  });
  QVERIFY(c.Synced());
  QVERIFY(c.store().ParamTable.at(0, 2).PerMode != kFalse);
  ResponseModel& m = c.graph().model();
  const int band = 2;
  QCOMPARE(m.Band(band).Addr, 2);
  QCOMPARE(m.Band(band).Gain, 200);
  MScrollBar* strip = c.eq().Slider(5);  // "EQ,0,2"
  strip->SetValue(210);
  emit strip->Scroll();
  Settle(c);
  QVERIFY(c.session->history().CanUndo());

  size_t from = c.amp().CommandLog().size();
  // One two-state switch: the halves side by side, wide enough for their one-line captions.
  QCOMPARE(Btn(c, G::BassMode, 0)->y(), Btn(c, G::BassMode, 1)->y());
  QCOMPARE(Btn(c, G::BassMode, 0)->geometry().right() + 1, Btn(c, G::BassMode, 1)->x());
  QVERIFY(Btn(c, G::BassMode, 0)->width() >= 64 && Btn(c, G::BassMode, 1)->width() >= 64);
  QVERIFY(c.eq().StatusText().endsWith(QString::fromUtf8("，唱歌模式")));
  Click(Btn(c, G::BassMode, 1));
  QCOMPARE(SetParams(c.amp(), from), (std::vector<std::pair<int, int>>{{0, 2590}}));
  QCOMPARE(c.amp().Working().at(0, 2590).Value, 1);
  // The status line names the sound mode being edited at once.
  QVERIFY2(c.eq().StatusText().endsWith(QString::fromUtf8("，劲舞模式")), qPrintable(c.eq().StatusText()));
  QCOMPARE(c.store().CurrentSoundMode, uint8_t{1});
  QCOMPARE(c.store().ParamTable.at(0, 2590).Value, 1);
  QCOMPARE(m.Band(band).Gain, 320);
  QCOMPARE(strip->Value(), 320.0f);
  QCOMPARE(Btn(c, G::BassMode, 0)->Value(), 0);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 1);
  QVERIFY(!c.session->history().CanUndo());
  // Undo now has nothing to take back into the dance slot.
  Click(c.eq().Tools()->UndoButton());
  QCOMPARE(c.store().ParamTable.at(1, 2).Gain, 320);

  from = c.amp().CommandLog().size();
  Click(Btn(c, G::BassMode, 0));
  QCOMPARE(SetParams(c.amp(), from), (std::vector<std::pair<int, int>>{{0, 2590}}));
  QCOMPARE(c.amp().Working().at(0, 2590).Value, 0);
  QCOMPARE(m.Band(band).Gain, 210);
  QCOMPARE(Btn(c, G::BassMode, 0)->Value(), 1);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 0);
  QVERIFY(c.messages.messages.empty());
}

// The automatic control on: both sound-mode buttons released, the per-mode graph locked; a
// sound-mode click warns and sends nothing; a reset of the locked bands does nothing. Off again:
// the button of the current sound mode is pressed.
void ModeControlsTest::automaticControlBlocksTheSoundModeSwitch() {
  Console c;
  QVERIFY(c.Synced());
  size_t from = c.amp().CommandLog().size();
  Click(Btn(c, G::BassAutoPair, 1));
  QCOMPARE(SetParams(c.amp(), from), (std::vector<std::pair<int, int>>{{0, 2591}}));
  QCOMPARE(c.amp().Working().at(0, 2591).Value, 1);
  QCOMPARE(c.store().BassAutoControl, uint8_t{1});
  QCOMPARE(Btn(c, G::BassAutoPair, 0)->Value(), 0);
  QCOMPARE(Btn(c, G::BassAutoPair, 1)->Value(), 1);
  QCOMPARE(Btn(c, G::BassAutoSingle, 0)->Value(), 1);
  QCOMPARE(Btn(c, G::BassMode, 0)->Value(), 0);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 0);
  QVERIFY(c.graph().model().Locked());
  QVERIFY(c.eq().Slider(5)->Greyed());

  from = c.amp().CommandLog().size();
  Click(Btn(c, G::BassMode, 1));
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Warning),
           (std::vector<std::string>{kBassAutoModeWarning}));
  QCOMPARE(c.store().CurrentSoundMode, uint8_t{0});
  QCOMPARE(Btn(c, G::BassMode, 0)->Value(), 0);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 0);
  const int gain = c.store().ParamTable.at(0, 2).Gain;
  c.store().ParamTable.at(0, 2).Gain = gain + 40;
  Click(Btn(c, G::Reset, 0));
  QCOMPARE(c.store().ParamTable.at(0, 2).Gain, gain + 40);
  QVERIFY(SetParams(c.amp(), from).empty());

  Click(Btn(c, G::BassAutoPair, 0));
  QCOMPARE(c.amp().Working().at(0, 2591).Value, 0);
  QCOMPARE(Btn(c, G::BassMode, 0)->Value(), 1);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 0);
  QVERIFY(!c.graph().model().Locked());
  QVERIFY(!c.eq().Slider(5)->Greyed());
}

// The single switch of the sub-woofer page is the same setting as the tool bar's pair; in dance
// mode switching it off presses the dance button.
void ModeControlsTest::subWooferSwitchFollowsThePair() {
  Console c;
  QVERIFY(c.Synced());
  Click(Btn(c, G::BassMode, 1));
  c.eq().ShowPage(7);
  MBtnFlag* sw = Btn(c, G::BassAutoSingle, 0);
  size_t from = c.amp().CommandLog().size();
  Click(sw, QPoint(sw->width() - 3, sw->height() / 2));  // right half: on
  QCOMPARE(SetParams(c.amp(), from), (std::vector<std::pair<int, int>>{{0, 2591}}));
  QCOMPARE(c.amp().Working().at(0, 2591).Value, 1);
  QCOMPARE(Btn(c, G::BassAutoPair, 1)->Value(), 1);
  QCOMPARE(Btn(c, G::BassAutoPair, 0)->Value(), 0);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 0);

  Click(sw, QPoint(2, sw->height() / 2));  // left half: off
  QCOMPARE(c.amp().Working().at(0, 2591).Value, 0);
  QCOMPARE(c.store().BassAutoControl, uint8_t{0});
  QCOMPARE(Btn(c, G::BassAutoPair, 0)->Value(), 1);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 1);
  QCOMPARE(Btn(c, G::BassMode, 0)->Value(), 0);
}

void ModeControlsTest::bypassOfThePageShown_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("subPage");
  QTest::addColumn<int>("address");
  QTest::newRow("music") << 0 << 0 << 2582;
  QTest::newRow("main out") << 4 << 0 << 2586;
  QTest::newRow("sub") << 7 << 0 << 2589;
  QTest::newRow("echo") << 3 << 0 << 2598;
  QTest::newRow("reverb") << 3 << 1 << 2599;
  QTest::newRow("effect EQ") << 3 << 2 << 2585;
}

// The bypass button writes and sends the page's (or effects part's) bypass, the graph draws the
// overlay on its next tick, and the button shows each page's own bypass when pages change.
void ModeControlsTest::bypassOfThePageShown() {
  QFETCH(int, page);
  QFETCH(int, subPage);
  QFETCH(int, address);
  Console c;
  QVERIFY(c.Synced());
  c.eq().ShowPage(page);
  if (page == 3) c.eq().ShowEffectSubPage(subPage);
  Settle(c, 1500);
  const QImage before = OverlayArea(c);

  MBtnFlag* bypass = Btn(c, G::ByPass, 0);
  QCOMPARE(bypass->Value(), 0);
  const size_t from = c.amp().CommandLog().size();
  Click(bypass);
  Settle(c, 50);
  const auto& log = c.amp().CommandLog();
  QCOMPARE(log.size(), from + 1);
  const std::vector<uint8_t> head(log.back().begin(), log.back().begin() + 8);
  QCOMPARE(head, (std::vector<uint8_t>{0xFE, SetParam, 0, static_cast<uint8_t>(address >> 8),
                                       static_cast<uint8_t>(address & 0xFF), 9, 0, 1}));
  QCOMPARE(log.back().size(), size_t{9});
  QCOMPARE(c.amp().Working().at(0, address).Value, 1);
  QCOMPARE(c.store().ParamTable.at(0, address).Value, 1);
  for (int other : {2582, 2585, 2586, 2589, 2598, 2599})
    if (other != address) QCOMPARE(c.store().ParamTable.at(0, other).Value, 0);
  QVERIFY(OverlayArea(c) != before);

  // Another page has its own bypass, off; coming back shows this one on again.
  c.eq().ShowPage(page == 0 ? 4 : 0);
  QCOMPARE(bypass->Value(), 0);
  c.eq().ShowPage(page);
  QCOMPARE(bypass->Value(), 1);

  Click(bypass);
  Settle(c, 50);
  QCOMPARE(c.amp().Working().at(0, address).Value, 0);
  Settle(c, 1500);  // the page changes restarted the graph's fade
  QCOMPARE(OverlayArea(c), before);
  QVERIFY(c.messages.messages.empty());
}

// Reset puts the factory bands of the page into the current sound mode, sends each EQ band of
// the page, and one undo takes it all back on the amplifier too.
void ModeControlsTest::resetRestoresTheFactoryBandsAndIsUndoable() {
  Console c("", [](VirtualAmplifier& amp) {
    amp.Working().at(0, 2).Gain = 330;
    amp.Working().at(0, 9).Gain = 170;
  });
  QVERIFY(c.Synced());
  Store& s = c.store();
  QCOMPARE(s.ParamTable.at(0, 2).Gain, 330);
  QVERIFY(s.ParamTable.at(2, 2).Gain != 330);
  QVERIFY(s.ParamTable.at(2, 9).Gain != 170);

  const size_t from = c.amp().CommandLog().size();
  Click(Btn(c, G::Reset, 0));
  std::set<int> sent;
  for (const auto& [mode, address] : SetParams(c.amp(), from)) {
    QCOMPARE(mode, 0);
    sent.insert(address);
  }
  std::set<int> bands;
  for (int b = 0; b < c.graph().model().BandCount(); ++b)
    if (c.graph().model().Band(b).Kind == kBandEq) bands.insert(c.graph().model().Band(b).Addr);
  QVERIFY(bands.count(2) && bands.count(9));
  QCOMPARE(sent, bands);
  for (int a : {2, 9}) {
    QCOMPARE(s.ParamTable.at(0, a).Gain, s.ParamTable.at(2, a).Gain);
    QCOMPARE(c.amp().Working().at(0, a).Gain, s.ParamTable.at(2, a).Gain);
  }
  QCOMPARE(c.graph().model().Band(2).Gain, s.ParamTable.at(2, 2).Gain);

  Click(c.eq().Tools()->UndoButton());
  QCOMPARE(s.ParamTable.at(0, 2).Gain, 330);
  QCOMPARE(c.amp().Working().at(0, 2).Gain, 330);
  QCOMPARE(c.amp().Working().at(0, 9).Gain, 170);
  QCOMPARE(c.graph().model().Band(2).Gain, 330);
  QVERIFY(c.messages.messages.empty());
}

void ModeControlsTest::muteAndRadioWriteTheirSystemAddress_data() {
  QTest::addColumn<G>("group");
  QTest::addColumn<int>("index");
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("address");
  QTest::addColumn<int>("value");
  QTest::newRow("master mute 1") << G::SingleMute << 1 << 0 << 2594 << 1;
  QTest::newRow("main out mute 1") << G::MyMute << 1 << 4 << 2577 << 1;
  QTest::newRow("aux mute 3") << G::MyMute << 3 << 5 << 2579 << 1;
  QTest::newRow("sub mute") << G::MyMute << 5 << 7 << 2581 << 1;
  QTest::newRow("input 5") << G::OptionInput << 5 << 0 << 2563 << 5;
  QTest::newRow("OptionEX 0") << G::OptionEx << 0 << 0 << 2596 << 0;
  QTest::newRow("mic option 3") << G::OptionFbx << 3 << 1 << 2572 << 3;
  QTest::newRow("mic 3 option 0") << G::OptionFbx2 << 0 << 2 << 2573 << 0;
}

// One click: the system address holds the new value in slot 0 and on the amplifier, it is the
// only frame, no undo step is taken, and a radio group shows exactly the clicked button.
void ModeControlsTest::muteAndRadioWriteTheirSystemAddress() {
  QFETCH(G, group);
  QFETCH(int, index);
  QFETCH(int, page);
  QFETCH(int, address);
  QFETCH(int, value);
  Console c("", [&](VirtualAmplifier& amp) {
    // Start from a value the click must change.
    amp.Working().at(0, address).Value = value == 0 ? 1 : 0;
  });
  QVERIFY(c.Synced());
  c.eq().ShowPage(page);
  const size_t from = c.amp().CommandLog().size();
  Click(Btn(c, group, index));
  QCOMPARE(SetParams(c.amp(), from), (std::vector<std::pair<int, int>>{{0, address}}));
  QCOMPARE(c.amp().Working().at(0, address).Value, value);
  QCOMPARE(c.store().ParamTable.at(0, address).Value, value);
  QVERIFY(!c.session->history().CanUndo());
  if (const int n = RadioGroupSize(group)) {
    for (int k = 0; k < n; ++k) QCOMPARE(Btn(c, group, k)->Value(), k == index ? 1 : 0);
  } else {
    QCOMPARE(Btn(c, group, index)->Value(), 1);
    Click(Btn(c, group, index));
    QCOMPARE(c.amp().Working().at(0, address).Value, 0);
    QCOMPARE(Btn(c, group, index)->Value(), 0);
  }
  // Another page and back: the button still shows the store.
  c.eq().ShowPage(page == 4 ? 5 : 4);
  c.eq().ShowPage(page);
  if (RadioGroupSize(group)) QCOMPARE(Btn(c, group, index)->Value(), 1);
}

// The master volumes are system settings: slot 0 only whatever the sound mode, sent with mode
// byte 0, and visible on every page.
void ModeControlsTest::masterSliderSendsSlotZeroOnEveryPage() {
  Console c("delay=20");  // replies come late enough for a move during a read
  QVERIFY(c.Synced());
  Click(Btn(c, G::BassMode, 1));
  MScrollBar* master = Modes(c).MasterSlider(2);
  QCOMPARE(master->Addr(), 2562);
  const int32_t slot1 = c.store().ParamTable.at(1, 2562).Value;
  const size_t from = c.amp().CommandLog().size();
  master->SetValue(57);
  emit master->Scroll();
  QCOMPARE(SetParams(c.amp(), from), (std::vector<std::pair<int, int>>{{0, 2562}}));
  const auto& frame = c.amp().CommandLog().back();
  QCOMPARE(int(frame[6]), 0);
  QCOMPARE(int(frame[7]), 57);
  QCOMPARE(c.amp().Working().at(0, 2562).Value, 57);
  QCOMPARE(c.store().ParamTable.at(0, 2562).Value, 57);
  QCOMPARE(c.store().ParamTable.at(1, 2562).Value, slot1);
  QVERIFY(master->Enabled());

  // While the amplifier is read the top bar takes no edit either: a move during the read is
  // neither stored nor sent, and the slider shows what the read brought.
  bool wasBusy = false;
  c.scheduler.StartTimer(30, false, [&] {
    wasBusy = c.eq().Busy();
    master->SetValue(12);
    emit master->Scroll();
  });
  const size_t beforeRead = c.amp().CommandLog().size();
  QVERIFY(c.session->transfers().ReadModeToParams(0, false, ReadGroup));
  QVERIFY(wasBusy);
  QVERIFY(SetParams(c.amp(), beforeRead).empty());
  QCOMPARE(c.store().ParamTable.at(0, 2562).Value, 57);
  QCOMPARE(master->Value(), 57.0f);

  // Nor while the sound-mode copy sends (the window is locked).
  bool wasLocked = false;
  c.scheduler.StartTimer(30, false, [&] {
    wasLocked = !c.eq().Tools()->UndoButton()->parentWidget()->isEnabled();
    master->SetValue(13);
    emit master->Scroll();
  });
  c.messages.questionAnswers = {true};
  const size_t beforeCopy = c.amp().CommandLog().size();
  Click(c.eq().Tools()->ModeCopyButton());
  QVERIFY(wasLocked);
  const auto notices = c.messages.Texts(RecordingNotifier::Kind::Warning);
  QCOMPARE(notices, std::vector<std::string>{"完成!"});
  for (const auto& [mode, address] : SetParams(c.amp(), beforeCopy)) QVERIFY(address != 2562);
  QCOMPARE(c.store().ParamTable.at(0, 2562).Value, 57);
  for (int page : {0, 1, 3, 4, 7}) {
    c.eq().ShowPage(page);
    for (int i = 0; i < 3; ++i) QVERIFY(Modes(c).MasterSlider(i)->isVisible());
    QCOMPARE(master->Value(), 57.0f);
  }
}

void ModeControlsTest::masterKeys_data() {
  QTest::addColumn<QChar>("key");
  QTest::addColumn<int>("slider");
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("expected");
  QTest::newRow("q at the top") << QChar('q') << 0 << 80 << 80;
  QTest::newRow("q below it") << QChar('q') << 0 << 79 << 80;
  QTest::newRow("a at 0") << QChar('a') << 0 << 0 << 0;
  QTest::newRow("a") << QChar('a') << 0 << 30 << 29;
  QTest::newRow("w") << QChar('w') << 1 << 10 << 11;
  QTest::newRow("s") << QChar('s') << 1 << 10 << 9;
  QTest::newRow("e") << QChar('e') << 2 << 5 << 6;
  QTest::newRow("d to 0") << QChar('d') << 2 << 1 << 0;
  QTest::newRow("other key") << QChar('x') << 0 << 40 << 40;
  // Caps Lock (or Shift) types capitals: the same keys, the same steps.
  QTest::newRow("Q, caps") << QChar('Q') << 0 << 40 << 41;
  QTest::newRow("S, caps") << QChar('S') << 1 << 10 << 9;
  QTest::newRow("E, caps") << QChar('E') << 2 << 5 << 6;
}

// A key steps its master volume within 0..80 and sends it; at the end of the range, nothing
// is stored or sent. Typing into a slider's value editor steps nothing.
void ModeControlsTest::masterKeys() {
  QFETCH(QChar, key);
  QFETCH(int, slider);
  QFETCH(int, start);
  QFETCH(int, expected);
  Console c("", [&](VirtualAmplifier& amp) {
    for (int i = 0; i < 3; ++i) amp.Working().at(0, 2560 + i).Value = start;
  });
  QVERIFY(c.Synced());
  const int address = 2560 + slider;
  const size_t from = c.amp().CommandLog().size();
  QTest::keyClick(&c.graph(), key.toLatin1());
  QCOMPARE(c.store().ParamTable.at(0, address).Value, expected);
  QCOMPARE(c.amp().Working().at(0, address).Value, expected);
  QCOMPARE(Modes(c).MasterSlider(slider)->Value(), float(expected));
  const auto sent = SetParams(c.amp(), from);
  if (expected == start) {
    QVERIFY(sent.empty());
  } else {
    QCOMPARE(sent, (std::vector<std::pair<int, int>>{{0, address}}));
  }
  for (int i = 0; i < 3; ++i)
    if (i != slider) QCOMPARE(c.store().ParamTable.at(0, 2560 + i).Value, start);

  QLineEdit editor(&c.eq());
  QTest::keyClick(&editor, key.toLatin1());
  QCOMPARE(c.store().ParamTable.at(0, address).Value, expected);
}

// After the start-up read every control shows the amplifier's system settings.
void ModeControlsTest::deviceReadShowsTheSystemSettings() {
  Console c("", [](VirtualAmplifier& amp) {
    RecordTable& w = amp.Working();
    w.at(0, 2560).Value = 44;
    w.at(0, 2563).Value = 6;
    w.at(0, 2572).Value = 9;  // no such button: the group shows none
    w.at(0, 2594).Value = 1;
    w.at(0, 2578).Value = 1;
    w.at(0, 2582).Value = 1;
    w.at(0, 2591).Value = 1;
  });
  QVERIFY(c.Synced());
  QCOMPARE(Modes(c).MasterSlider(0)->Value(), 44.0f);
  for (int k = 0; k < 8; ++k) QCOMPARE(Btn(c, G::OptionInput, k)->Value(), k == 6 ? 1 : 0);
  for (int k = 0; k < 4; ++k) QCOMPARE(Btn(c, G::OptionFbx, k)->Value(), 0);
  QCOMPARE(Btn(c, G::SingleMute, 1)->Value(), 1);
  QCOMPARE(Btn(c, G::SingleMute, 0)->Value(), 0);
  QCOMPARE(Btn(c, G::MyMute, 2)->Value(), 1);
  QCOMPARE(Btn(c, G::ByPass, 0)->Value(), 1);
  QCOMPARE(c.store().BassAutoControl, uint8_t{1});
  QCOMPARE(Btn(c, G::BassAutoPair, 1)->Value(), 1);
  QCOMPARE(Btn(c, G::BassMode, 0)->Value(), 0);
  QCOMPARE(Btn(c, G::BassMode, 1)->Value(), 0);
}

void ModeControlsTest::renderWindow() {
  Console c("", [](VirtualAmplifier& amp) {
    amp.Working().at(0, 2).Gain = 330;
    amp.Working().at(0, 2582).Value = 1;
    amp.Working().at(0, 2593).Value = 1;
  });
  QVERIFY(c.Synced());
  c.frame->resize(1280, 720);
  c.RunUntil([] { return false; }, 1500);
  // Nothing on the tool bar overlaps another control.
  QWidget* bar = c.eq().Tools()->UndoButton()->parentWidget();
  QList<QRect> rects;
  for (QWidget* w : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w->isVisible() && w->y() < bar->height()) rects.append(w->geometry());
  for (int i = 0; i < rects.size(); ++i)
    for (int j = i + 1; j < rects.size(); ++j) QVERIFY2(!rects[i].intersects(rects[j]), "tool bar overlap");
  QImage shot(c.frame->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  c.frame->render(&shot);
  QVERIFY(shot.save(QString(MIRELUNE_BUILD_DIR) + "/ui-mode-controls.png"));
}

QTEST_MAIN(ModeControlsTest)
#include "mode_controls_test.moc"
