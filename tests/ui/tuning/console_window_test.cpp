// SPDX-License-Identifier: GPL-3.0-or-later
// The tuning window against the virtual amplifier in virtual time: coming online and reading
// the device, edits from the graph and the strips reaching the amplifier, page switching, the
// link switch, an amplifier that goes away or cannot be opened, and closing during a request.
// Also renders the window into ui-console.png in the build directory for a look by eye.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>

#include "controls/c_progressbar.h"
#include "controls/graph_wheel_hook.h"
#include "controls/mbtnflag.h"
#include "controls/mscrollbar.h"
#include "link/frame_codec.h"
#include "admin/frm_program_manager.h"
#include "admin/protected_panels.h"
#include "link/admin_password.h"
#include "model/sp_file.h"
#include "platform/scripted_file_dialogs.h"
#include "ui/look/language.h"
#include "platform/qt_scheduler.h"
#include "tests/ui/console_fixture.h"
#include "tests/controls/test_support.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using controls::MScrollBar;

namespace {

int Count(const std::vector<std::string>& texts, const std::string& text) {
  return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

// SetParam frames the amplifier received for `address`.
std::vector<std::vector<uint8_t>> SetParamFrames(VirtualAmplifier& amp, int address) {
  std::vector<std::vector<uint8_t>> out;
  for (const auto& f : amp.CommandLog())
    if (f.size() > 5 && f[1] == SetParam && f[3] == address / 256 && f[4] == address % 256)
      out.push_back(f);
  return out;
}

QPoint MarkerPoint(ResponseModel& m, int band) {
  const MarkerPos p = m.Marker(band);
  return {static_cast<int>(std::lround(p.x)), static_cast<int>(p.y)};
}

}  // namespace

class ConsoleWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void comesOnlineAndShowsTheDevicesValues();
  void graphDragSendsOneFrameWithTheNewValues();
  void stripEditReachesStoreGraphAndAmplifier();
  void editsDuringAWaitAreSentAfterIt();
  void filterSliders_data();
  void filterSliders();
  void graphKeysAndWheelStepTheSelectedBand_data();
  void graphKeysAndWheelStepTheSelectedBand();
  void pageButtonsRebuildTheBands_data();
  void pageButtonsRebuildTheBands();
  void effectTabsShowTheirStripsInTheSamePlace();
  void linkSwitchGoesOfflineAndBack();
  void unpluggedAmplifierShowsOfflineAndComesBack();
  void openFailuresAreExplained_data();
  void openFailuresAreExplained();
  void closingDuringARequestWaitsForIt();
  void editsWhileOfflineSendNothing();
  void offlineEditsAreKeptBeforeAReadReplacesThem();
  void fileLoadedOnlineIsNoOfflineEdit();
  void rightsChosenOnlineAreNoOfflineEdit();
  void productionWiringInRealTime();
  void renderWindow();
};

void ConsoleWindowTest::comesOnlineAndShowsTheDevicesValues() {
  // Band 3 of the music page (address 3) carries +5.0 dB on the device, and the device stands
  // in mode 3; the console starts from its own defaults. Replies take 20 ms, so the read
  // lasts long enough to be watched.
  Console c("delay=20", [](VirtualAmplifier& amp) {
    amp.Working().at(0, 3).Gain = 300;
    amp.SetCurrentMode(2);
  });
  QVERIFY(c.store().ParamTable.at(0, 3).Gain != 300);
  QCOMPARE(c.eq().ConnectButton()->Value(), int(kStatusOffline));

  // The start-up read runs inside nested waits; a probe timer looks at the window meanwhile:
  // the progress bar shows and the pages and the graph take no input.
  int samples = 0, busySamples = 0;
  const auto probe = c.scheduler.StartTimer(10, true, [&] {
    if (!c.session->Syncing()) return;
    ++samples;
    if (c.eq().Busy() && c.eq().ProgressBar()->isVisible() &&
        !c.eq().PageContainer(0)->isEnabled() && !c.eq().graph()->isEnabled() &&
        c.eq().StatusText() == QString::fromUtf8("已联机：_LM-R52Z，正在读取功放数据…"))
      ++busySamples;
  });
  QVERIFY(c.Synced());
  c.scheduler.StopTimer(probe);
  QVERIFY(samples > 5);
  QCOMPARE(busySamples, samples);
  QVERIFY(c.eq().PageContainer(0)->isEnabled());
  QCOMPARE(c.store().ParamTable.at(0, 3).Gain, 300);
  ResponseModel& m = c.graph().model();
  int band = -1;
  for (int b = 0; b < m.BandCount(); ++b)
    if (m.Band(b).Addr == 3) band = b;
  QVERIFY(band >= 0);
  QCOMPARE(m.Band(band).Gain, 300);
  QCOMPARE(c.eq().Slider(6)->Value(), 300.0f);  // MyScrollBar(6) is bound to "EQ,0,3"
  QCOMPARE(c.eq().ConnectButton()->Value(), int(kStatusOnline));
  QCOMPARE(c.eq().StatusText(), QString::fromUtf8("已联机：_LM-R52Z，模式3，唱歌模式"));
  QVERIFY(!c.eq().Busy());
  QVERIFY(!c.eq().ProgressBar()->isVisible());
  QVERIFY(c.messages.messages.empty());
}

void ConsoleWindowTest::graphDragSendsOneFrameWithTheNewValues() {
  Console c;
  QVERIFY(c.Synced());
  GraphWidget& g = c.graph();
  ResponseModel& m = g.model();
  const int band = 2;
  const int addr = m.Band(band).Addr;
  const int gainBefore = m.Band(band).Gain;
  const int freqBefore = m.Band(band).Freq;
  const size_t framesBefore = SetParamFrames(c.amp(), addr).size();

  const QPoint start = MarkerPoint(m, band);
  QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, start);
  QVERIFY(g.gestures().Dragging());
  QCOMPARE(m.SelectedBand(), band);
  // Three moves within one turn of the event loop: one frame for the last position.
  for (int step = 1; step <= 3; ++step)
    QTest::mouseMove(&g, start + QPoint(25 * step, -20 * step));
  QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, start + QPoint(75, -60));
  QVERIFY(c.RunUntil([&] { return SetParamFrames(c.amp(), addr).size() > framesBefore; }, 1000));
  c.RunUntil([] { return false; }, 200);

  QCOMPARE(SetParamFrames(c.amp(), addr).size(), framesBefore + 1);
  const GraphBand& moved = m.Band(band);
  QVERIFY(moved.Gain > gainBefore);
  QVERIFY(moved.Freq > freqBefore);
  const ParamRecord& stored = c.store().ParamTable.at(0, addr);
  QCOMPARE(stored.Gain, moved.Gain);
  QCOMPARE(stored.Freq, moved.Freq);
  // The amplifier took the frame: its live record now holds the dragged values.
  QCOMPARE(c.amp().Working().at(0, addr).Gain, moved.Gain);
  QCOMPARE(c.amp().Working().at(0, addr).Freq, moved.Freq);
  QVERIFY(c.messages.messages.empty());
}

void ConsoleWindowTest::stripEditReachesStoreGraphAndAmplifier() {
  Console c;
  QVERIFY(c.Synced());
  MScrollBar* strip = c.eq().Slider(3);  // "EQ,0,0": address 0, graph band 0
  QCOMPARE(strip->EQindex(), QString("0"));
  strip->SetValue(310);  // +6.0 dB
  strip->SetQType(1);
  emit strip->Scroll();
  QCOMPARE(c.store().ParamTable.at(0, 0).Gain, 310);
  QCOMPARE(c.store().ParamTable.at(0, 0).QType, uint8_t(1));
  QCOMPARE(c.graph().model().Band(0).Gain, 310);
  QCOMPARE(c.amp().Working().at(0, 0).Gain, 310);
  QCOMPARE(c.amp().Working().at(0, 0).QType, uint8_t(1));
  QVERIFY(strip->Enabled());
}

// Replies take 100 ms; while the first frame waits, the user drags a graph band and moves a
// strip. Their frames follow the waiting one instead of starting inside its wait, and the
// amplifier ends with the last values of all three.
void ConsoleWindowTest::editsDuringAWaitAreSentAfterIt() {
  Console c;
  QVERIFY(c.Synced());
  c.session->virtualPort()->Faults().replyDelayMs = 100;
  int nested = 0;
  c.link().onTrace = [&](bool sent, const std::vector<uint8_t>& bytes) {
    if (sent && bytes.size() > 1 && bytes[0] == 0xFE && bytes[1] == SetParam && c.link().InWait)
      ++nested;
  };
  GraphWidget& g = c.graph();
  ResponseModel& m = g.model();
  const int dragged = m.Band(4).Addr;
  c.scheduler.StartTimer(30, false, [&] {
    const QPoint p = MarkerPoint(m, 4);
    QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseMove(&g, p + QPoint(30, -30));
    QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, p + QPoint(30, -30));
  });
  c.scheduler.StartTimer(40, false, [&] {
    MScrollBar* strip = c.eq().Slider(5);  // address 2
    strip->SetValue(205);
    emit strip->Scroll();
  });
  QVERIFY(c.session->SendParam(0));
  c.RunUntil([] { return false; }, 1000);

  QCOMPARE(nested, 0);
  QCOMPARE(int(SetParamFrames(c.amp(), dragged).size()), 1);
  QCOMPARE(c.amp().Working().at(0, dragged).Gain, m.Band(4).Gain);
  QCOMPARE(c.amp().Working().at(0, dragged).Freq, m.Band(4).Freq);
  QCOMPARE(c.amp().Working().at(0, 2).Gain, 205);
  QVERIFY(c.link().Online);
  QVERIFY(c.messages.messages.empty());
}

void ConsoleWindowTest::filterSliders_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("subPage");
  QTest::addColumn<int>("slider");
  QTest::addColumn<int>("address");
  QTest::addColumn<int>("value");
  QTest::addColumn<bool>("movesCurve");
  QTest::newRow("music high-pass") << 0 << 0 << 126 << 15 << 60 << true;
  QTest::newRow("main output") << 4 << 0 << 67 << 1031 << 90 << true;
  QTest::newRow("echo cut on the echo part") << 3 << 0 << 141 << 774 << 70 << true;
  QTest::newRow("reverb cut on the echo part") << 3 << 0 << 135 << 781 << 70 << false;
}

// A filter frequency slider stores and sends its value; its curve follows, except for the
// effects page's cut filters away from their own part, which have no curve there.
void ConsoleWindowTest::filterSliders() {
  QFETCH(int, page);
  QFETCH(int, subPage);
  QFETCH(int, slider);
  QFETCH(int, address);
  QFETCH(int, value);
  QFETCH(bool, movesCurve);
  Console c;
  QVERIFY(c.Synced());
  c.eq().ShowPage(page);
  if (page == 3) c.eq().ShowEffectSubPage(subPage);
  ResponseModel& m = c.graph().model();
  int band = -1;
  for (int b = 0; b < m.BandCount(); ++b)
    if (m.Band(b).SliderIndex == slider) band = b;
  QCOMPARE(band >= 0, movesCurve);
  std::vector<int> freqs;
  for (int b = 0; b < m.BandCount(); ++b) freqs.push_back(m.Band(b).Freq);

  MScrollBar* s = c.eq().Slider(slider);
  QCOMPARE(s->Addr(), address);
  const int32_t before = c.amp().Working().at(0, address).Value;
  s->SetValue(float(value));
  const int32_t stored = int32_t(std::lround(s->Value()));
  QVERIFY(stored != before);
  emit s->Scroll();
  QCOMPARE(c.store().ParamTable.at(0, address).Value, stored);
  QCOMPARE(c.amp().Working().at(0, address).Value, stored);
  if (movesCurve) {
    QCOMPARE(m.Band(band).Freq, stored);
    QCOMPARE(m.SelectedBand(), band);
  } else {
    for (int b = 0; b < m.BandCount(); ++b) QCOMPARE(m.Band(b).Freq, freqs[size_t(b)]);
  }
}

void ConsoleWindowTest::graphKeysAndWheelStepTheSelectedBand_data() {
  QTest::addColumn<QString>("input");
  QTest::addColumn<int>("gainStep");
  QTest::addColumn<int>("qStep");
  QTest::newRow("Up") << "Up" << 1 << 0;
  QTest::newRow("Down") << "Down" << -1 << 0;
  QTest::newRow("Home") << "Home" << 0 << 1;
  QTest::newRow("End") << "End" << 0 << -1;
  QTest::newRow("wheel away") << "wheel+" << 1 << 0;
  QTest::newRow("wheel towards") << "wheel-" << -1 << 0;
  QTest::newRow("Ctrl wheel away") << "ctrlwheel+" << 0 << 1;
}

void ConsoleWindowTest::graphKeysAndWheelStepTheSelectedBand() {
  QFETCH(QString, input);
  QFETCH(int, gainStep);
  QFETCH(int, qStep);
  Console c;
  QVERIFY(c.Synced());
  GraphWidget& g = c.graph();
  ResponseModel& m = g.model();
  m.SelectBand(1);
  const int addr = m.Band(1).Addr;
  const int gain = m.Band(1).Gain;
  const int q = m.Band(1).Q;
  QCOMPARE(m.Band(1).QType, 0);

  if (input.startsWith("wheel") || input.startsWith("ctrlwheel")) {
    const QPoint centre(g.width() / 2, g.height() / 2);
    controls::testing::SendWheel(&g, centre, input.endsWith('+') ? 120 : -120,
                                 input.startsWith("ctrl") ? Qt::ControlModifier : Qt::NoModifier);
    QVERIFY(g.wheelHook()->Pending());
    g.wheelHook()->DeliverPending();
  } else {
    const Qt::Key key = input == "Up" ? Qt::Key_Up : input == "Down" ? Qt::Key_Down
                        : input == "Home" ? Qt::Key_Home : Qt::Key_End;
    QTest::keyPress(&g, key);
    QTest::keyRelease(&g, key);
  }
  QVERIFY(c.RunUntil([&] { return !SetParamFrames(c.amp(), addr).empty(); }, 1000));
  QCOMPARE(m.Band(1).Gain, gain + gainStep);
  QCOMPARE(m.Band(1).Q, q + qStep);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, gain + gainStep);
  QCOMPARE(c.amp().Working().at(0, addr).Q, q + qStep);
}

void ConsoleWindowTest::pageButtonsRebuildTheBands_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("firstStrip");  // the strip of graph band 0
  QTest::addColumn<int>("eqBands");     // EQ bands the graph shows
  QTest::newRow("music") << 0 << 3 << 15;
  QTest::newRow("microphones 1, 2") << 1 << 18 << 15;
  QTest::newRow("effects, echo part") << 3 << 157 << 5;
  QTest::newRow("main output") << 4 << 50 << 10;
  QTest::newRow("auxiliary output") << 5 << 72 << 7;
  QTest::newRow("centre output") << 6 << 91 << 7;
  QTest::newRow("sub-woofer") << 7 << 108 << 5;
}

void ConsoleWindowTest::pageButtonsRebuildTheBands() {
  QFETCH(int, page);
  QFETCH(int, firstStrip);
  QFETCH(int, eqBands);
  Console c;
  QVERIFY(c.Synced());
  // Start from another page so that the click has something to switch away from.
  const int other = page == 4 ? 5 : 4;
  c.eq().ShowPage(other);
  QTest::mouseClick(c.eq().PageButton(page), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));

  QCOMPARE(c.store().CurrentPage, page);
  for (int p = 0; p < 8; ++p) {
    QCOMPARE(c.eq().PageContainer(p)->isVisible(), p == page);
    QCOMPARE(c.eq().PageButton(p)->Value(), p == page ? 1 : 0);
  }
  ResponseModel& m = c.graph().model();
  int eq = 0;
  for (int b = 0; b < m.BandCount(); ++b) {
    QVERIFY(m.Band(b).Addr >= c.store().KindStart[size_t(page)]);
    QVERIFY(m.Band(b).Addr <= c.store().KindEnd[size_t(page)]);
    if (m.Band(b).Kind == kBandEq) {
      ++eq;
      // Each EQ band edits through the strip bound to its address.
      MScrollBar* s = c.eq().Slider(m.Band(b).SliderIndex);
      QVERIFY2(s, qPrintable(QString("band %1 has no strip").arg(b)));
      QCOMPARE(s->Addr(), m.Band(b).Addr);
      QCOMPARE(s->EQindex(), QString::number(b));
    }
  }
  QCOMPARE(eq, eqBands);
  QCOMPARE(m.Band(0).SliderIndex, firstStrip);
  QCOMPARE(m.SelectedBand(), 0);
  // The strips of the page left behind no longer stand for graph bands.
  for (int n = 0; n < 184; ++n) {
    MScrollBar* s = c.eq().Slider(n);
    if (s && s->parentWidget() == c.eq().PageContainer(other)) QVERIFY(s->EQindex().isEmpty());
  }
}

void ConsoleWindowTest::effectTabsShowTheirStripsInTheSamePlace() {
  Console c;
  QVERIFY(c.Synced());
  c.eq().ShowPage(3);
  const QPoint echoFirst = c.eq().Slider(157)->pos();
  QTest::mouseClick(c.eq().EffectTab(1), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QCOMPARE(c.store().EffectSubPage, uint8_t(1));
  QCOMPARE(c.eq().EffectTab(1)->Value(), 1);
  QCOMPARE(c.eq().EffectTab(0)->Value(), 0);
  QCOMPARE(c.eq().Slider(162)->pos(), echoFirst);
  QVERIFY(c.eq().Slider(157)->x() > c.eq().PageContainer(3)->width());
  ResponseModel& m = c.graph().model();
  // The reverb part: its five EQ bands (794..798) and its cut filters (781..782).
  int eq = 0;
  for (int b = 0; b < m.BandCount(); ++b) {
    const int a = m.Band(b).Addr;
    if (m.Band(b).Kind == kBandEq) {
      ++eq;
      QVERIFY(a >= 794 && a <= 798);
    } else {
      QVERIFY(a >= 781 && a <= 782);
    }
  }
  QCOMPARE(eq, 5);
  QCOMPARE(m.Band(0).SliderIndex, 162);
}

void ConsoleWindowTest::linkSwitchGoesOfflineAndBack() {
  Console c;
  QVERIFY(c.Synced());
  controls::MBtnFlag* button = c.eq().ConnectButton();
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY(!c.link().Online);
  QCOMPARE(button->Value(), int(kStatusSwitchedOff));
  QCOMPARE(c.eq().StatusText(), QString::fromUtf8("联机已关闭"));
  const int searches = c.amp().SearchesReceived();
  c.RunUntil([] { return false; }, 3000);
  QCOMPARE(c.amp().SearchesReceived(), searches);  // switched off: no search frames
  QVERIFY(!c.link().Online);

  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QCOMPARE(button->Value(), int(kStatusOffline));
  QVERIFY(c.Synced(3000));
  QCOMPARE(button->Value(), int(kStatusOnline));
  QVERIFY(c.eq().StatusText().startsWith(QString::fromUtf8("已联机：_LM-R52Z")));
  QVERIFY(c.messages.messages.empty());
}

void ConsoleWindowTest::unpluggedAmplifierShowsOfflineAndComesBack() {
  Console c;
  QVERIFY(c.Synced());
  c.session->virtualPort()->Unplug();
  QVERIFY(c.RunUntil([&] { return !c.link().Online; }, 8000));
  c.RunUntil([] { return false; }, 600);
  QCOMPARE(c.eq().ConnectButton()->Value(), int(kStatusOffline));
  QCOMPARE(c.eq().StatusText(), QString::fromUtf8("未连接功放（USB 2E3C:0D07）"));
  // Losing the heartbeat is reported once.
  QCOMPARE(Count(c.messages.Texts(RecordingNotifier::Kind::Warning), kLinkTimeoutText), 1);

  c.session->virtualPort()->Replug();
  QVERIFY(c.Synced(3000));
  QVERIFY(c.eq().StatusText().startsWith(QString::fromUtf8("已联机：")));
}

void ConsoleWindowTest::openFailuresAreExplained_data() {
  QTest::addColumn<QString>("faults");
  QTest::addColumn<QString>("expected");
  QTest::newRow("permission") << "open=denied" << QString::fromUtf8("当前用户无权打开");
  QTest::newRow("busy") << "open=busy" << QString::fromUtf8("正被其他程序使用");
}

void ConsoleWindowTest::openFailuresAreExplained() {
  QFETCH(QString, faults);
  QFETCH(QString, expected);
  Console c(faults.toStdString());
  c.RunUntil([] { return false; }, 2000);
  QVERIFY(!c.link().Online);
  QCOMPARE(c.eq().ConnectButton()->Value(), int(kStatusOffline));
  QVERIFY2(c.eq().StatusText().contains(expected), qPrintable(c.eq().StatusText()));
  QVERIFY(c.eq().StatusText().contains("2E3C:0D07"));
}

void ConsoleWindowTest::closingDuringARequestWaitsForIt() {
  // Replies come 400 ms late, so a request is still waiting when the close comes.
  Console c;
  QVERIFY(c.Synced());
  c.session->virtualPort()->Faults().replyDelayMs = 400;
  QSignalSpy closeNow(&c.eq(), &FrmEq::closeNow);
  bool closedAtOnce = true;
  c.scheduler.StartTimer(100, false, [&] { closedAtOnce = c.frame->close(); });
  const bool acknowledged = c.session->SendParam(0);
  QVERIFY(!acknowledged);
  QVERIFY(!closedAtOnce);
  QVERIFY(c.link().Quitting);
  QVERIFY(!c.link().InWait);
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Warning),
           std::vector<std::string>{kStoppingText});
  QCOMPARE(closeNow.count(), 0);
  c.RunUntil([&] { return closeNow.count() > 0; }, 1000);
  QCOMPARE(closeNow.count(), 1);
  QVERIFY(!c.frame->isVisible());
}

void ConsoleWindowTest::editsWhileOfflineSendNothing() {
  Console c("open=busy");
  c.RunUntil([] { return false; }, 1000);
  MScrollBar* strip = c.eq().Slider(4);
  strip->SetValue(200);
  emit strip->Scroll();
  c.RunUntil([] { return false; }, 500);
  QCOMPARE(c.store().ParamTable.at(0, 1).Gain, 200);
  QCOMPARE(c.graph().model().Band(1).Gain, 200);
  QVERIFY(c.amp().CommandLog().empty());
  QVERIFY(c.messages.messages.empty());
}

// Edits made while the link is off are kept in a configuration file before the read that
// follows replaces them, and the status text says where; edits the amplifier acknowledged are
// not saved again at the next read.
void ConsoleWindowTest::offlineEditsAreKeptBeforeAReadReplacesThem() {
  Console c;
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY(!c.link().LinkSwitchOn());
  MScrollBar* strip = c.eq().Slider(4);
  strip->SetValue(200);
  emit strip->Scroll();
  QVERIFY(c.session->SavedEditsFile().empty());
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY(c.Synced());
  const std::string file = c.session->SavedEditsFile();
  QVERIFY(!file.empty());
  RecordTable kept;
  QVERIFY(LoadTableFromFile(file, kept).ok);
  QCOMPARE(kept.at(0, 1).Gain, 200);
  QVERIFY(c.store().ParamTable.at(0, 1).Gain != 200);  // the amplifier's value is shown now
  const QString name = QString::fromStdString(file).section('/', -1);
  QVERIFY2(c.eq().StatusText().contains(name), qPrintable(c.eq().StatusText()));
  QVERIFY(c.eq().findChild<QLabel*>("linkStatusText")->toolTip().contains(QString::fromStdString(file)));
  QFile::remove(QString::fromStdString(file));

  // The notice belongs to that read: switching the link off ends it.
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY2(!c.eq().StatusText().contains(name), qPrintable(c.eq().StatusText()));
  QVERIFY(c.session->SavedEditsFile().empty());
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY(c.Synced());

  // Online and acknowledged, then the link goes off and on: nothing to keep.
  strip->SetValue(230);
  emit strip->Scroll();
  QCOMPARE(c.amp().Working().at(0, 1).Gain, 230);
  const auto searches = c.amp().SearchesReceived();
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY(!c.link().Online);
  QVERIFY(c.RunUntil([&] { return c.amp().SearchesReceived() > searches; }, 3000));
  QVERIFY(c.Synced());
  QVERIFY(c.session->SavedEditsFile().empty());  // no second file
  QVERIFY(!QFile::exists(QString::fromStdString(file)));
}

// A configuration file opened while online is written to the amplifier and read back: what the
// amplifier holds. A language switch afterwards reads the amplifier anew and keeps no
// "offline edits" file, and the status line names none; a mode read is the same.
void ConsoleWindowTest::fileLoadedOnlineIsNoOfflineEdit() {
  Console c;
  QVERIFY(c.Synced());
  const QString dir = QString(MIRELUNE_BUILD_DIR) + "/test-tmp/file-load";
  QDir().mkpath(dir);
  const std::string path = (dir + "/room.sp").toStdString();
  {
    auto t = std::make_unique<RecordTable>(c.store().ParamTable);
    t->at(0, 1028).Value = 55;
    t->at(1, 1028).Value = 55;
    QVERIFY(SaveTableToFile(path, *t).ok);
  }
  auto dialogs = std::make_unique<ScriptedFileDialogs>();
  dialogs->answers.push_back(path);
  c.frame->SetFileDialogs(std::move(dialogs));
  c.frame->MenuItem("CmdProgramSetup")->trigger();
  FrmProgramManager* m = c.frame->ProgramManager();
  QVERIFY(m);
  m->Button("Command20")->click();  // 打开文件
  c.RunUntil([] { return false; }, 500);
  QCOMPARE(c.amp().Working().at(0, 1028).Value, 55);
  QCOMPARE(c.store().ParamTable.at(0, 1028).Value, 55);

  c.frame->SwitchLanguage(Language::English);
  QVERIFY(c.Synced());
  QVERIFY2(c.session->SavedEditsFile().empty(), c.session->SavedEditsFile().c_str());
  QVERIFY2(!c.eq().StatusText().contains("offline"), qPrintable(c.eq().StatusText()));
  c.frame->SwitchLanguage(Language::Chinese);
  QVERIFY(c.Synced());
  QVERIFY(c.session->SavedEditsFile().empty());
  QCOMPARE(c.store().ParamTable.at(0, 1028).Value, 55);
}

// The rights and the keyboard lock chosen in the administration panels while online are
// settings the amplifier acknowledged, as every other change sent: the next read keeps no
// "offline edits" file for them and the last-reported table knows them.
void ConsoleWindowTest::rightsChosenOnlineAreNoOfflineEdit() {
  Console c;
  QVERIFY(c.Synced());
  c.frame->MenuItem("CmdProgramSetup")->trigger();
  FrmProgramManager* m = c.frame->ProgramManager();
  QVERIFY(m);
  ProtectedPanels& p = *m->Panels();
  QString rightsPassword;  // the amplifier's rights password as delivered
  for (uint8_t d : DefaultAdminDigits()) rightsPassword += QChar('0' + d);
  p.Text9()->setText(rightsPassword);
  p.Command5()->click();  // 确认
  QVERIFY(p.Option(ProtectedPanels::kRights, 1)->isEnabled());
  p.Option(ProtectedPanels::kRights, 1)->click();  // 管理员
  QCOMPARE(c.amp().Working().at(0, sysaddr::kRights).Value, 1);
  QCOMPARE(c.session->LastReported().at(0, sysaddr::kRights).Value, 1);

  c.frame->SwitchLanguage(Language::English);
  QVERIFY(c.Synced());
  QVERIFY2(c.session->SavedEditsFile().empty(), c.session->SavedEditsFile().c_str());
  QVERIFY2(!c.eq().StatusText().contains("offline"), qPrintable(c.eq().StatusText()));
  QCOMPARE(c.store().ParamTable.at(0, sysaddr::kRights).Value, 1);
  c.frame->SwitchLanguage(Language::Chinese);
  QVERIFY(c.Synced());
}

// The console as main() wires it: Qt timers and the event loop in real time (the virtual
// amplifier answers at once, so this takes about a second), the exit button, and the virtual
// amplifier's memory kept in a file between two runs.
void ConsoleWindowTest::productionWiringInRealTime() {
  const QByteArray tmp = qgetenv("MIRELUNE_TEST_TMP");
  const QString dir = (tmp.isEmpty() ? QString(MIRELUNE_BUILD_DIR) + "/test-tmp" : QString(tmp)) + "/ui";
  QVERIFY(QDir().mkpath(dir));
  ConsoleOptions options;
  options.device = ConsoleOptions::Device::Virtual;
  options.virtualStatePath = (dir + "/virtual-amplifier.state").toStdString();
  QFile::remove(QString::fromStdString(options.virtualStatePath));

  for (int run = 0; run < 2; ++run) {
    QtScheduler scheduler;
    RecordingNotifier messages;
    ConsoleSession session(options, scheduler, messages);
    QVERIFY(session.StateError().empty());
    MdiMain frame(session);
    frame.show();
    session.Start();
    QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);
    if (run == 0) {
      // An edit from the strip of address 5 reaches the amplifier's live set.
      MScrollBar* strip = frame.tuningWindow()->Slider(8);
      strip->SetValue(280);
      emit strip->Scroll();
      QCOMPARE(session.amplifier()->Working().at(0, 5).Gain, 280);
    } else {
      // The second run's amplifier remembered it, and the start-up read brought it back.
      QCOMPARE(session.store().ParamTable.at(0, 5).Gain, 280);
      QCOMPARE(frame.tuningWindow()->Slider(8)->Value(), 280.0f);
    }
    QSignalSpy closeNow(frame.tuningWindow(), &FrmEq::closeNow);
    controls::MBtnFlag* exit = frame.tuningWindow()->findChild<controls::MBtnFlag*>("cmdExit");
    QVERIFY(exit);
    QTest::mouseClick(exit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(closeNow.count(), 1);  // nothing waited: at once
    // The tuning window is gone, the frame stays until it is closed itself.
    QVERIFY(!frame.MainWindowLoaded());
    QVERIFY(frame.isVisible());
    QVERIFY(session.link().Quitting);
    QVERIFY(frame.close());
    std::string error;
    QVERIFY2(session.SaveState(error), error.c_str());
    QVERIFY(messages.messages.empty());
  }
}

void ConsoleWindowTest::renderWindow() {
  Console c("", [](VirtualAmplifier& amp) {
    amp.Working().at(0, 2).Gain = 330;
    amp.Working().at(0, 6).Gain = 190;
  });
  QVERIFY(c.Synced());
  c.frame->resize(1280, 720);
  c.RunUntil([] { return false; }, 1500);
  QImage shot(c.frame->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  c.frame->render(&shot);
  const QString path = QString(MIRELUNE_BUILD_DIR) + "/ui-console.png";
  QVERIFY(shot.save(path));
  // The graph shows its frame, not the empty fill.
  const QImage graph = c.graph().view().Composite();
  QVERIFY(!graph.isNull());
  QCOMPARE(graph.size(), c.graph().size());

  // The smallest window, offline with the longest reason, on the sub-woofer page.
  Console off("open=denied");
  off.RunUntil([] { return false; }, 1000);
  off.eq().ShowPage(7);
  off.frame->resize(FrmEq::kMinWidth, FrmEq::kMinHeight);
  off.RunUntil([] { return false; }, 100);
  QImage small(off.frame->size(), QImage::Format_ARGB32);
  small.fill(Qt::black);
  off.frame->render(&small);
  QVERIFY(small.save(QString(MIRELUNE_BUILD_DIR) + "/ui-console-offline.png"));
}

QTEST_MAIN(ConsoleWindowTest)
#include "console_window_test.moc"
