// SPDX-License-Identifier: GPL-3.0-or-later
// A console left alone rests: online after the start-up read, nothing but the keep-alive (the
// sync byte once a second, and its echo arriving) wakes it; offline with no amplifier, nothing
// but the reconnect poll. In virtual time, counting every timer callback - each one a wake-up
// of the real process.
#include <QTest>

#include "link/frame_codec.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

class IdleTest : public QObject {
  Q_OBJECT

 private slots:
  void onlineIdleWakesForTheKeepAliveOnly();
  void offlineWithoutAmplifierOnlyPolls();
  void theLinkReadsWhileTheWindowIsBuilt();
};

void IdleTest::onlineIdleWakesForTheKeepAliveOnly() {
  Console c("usbtiming");
  QVERIFY(c.Synced());
  // The marks of the graph blink for a while after the read, then rest.
  c.RunUntil([] { return false; }, 4000);
  std::vector<std::string> sent;
  c.link().onTrace = [&](bool out, const std::vector<uint8_t>& bytes) {
    if (out) sent.push_back(HexBytes(bytes));
  };
  const uint64_t before = c.scheduler.Fired();
  c.RunUntil([] { return false; }, 20000);
  const uint64_t wakes = c.scheduler.Fired() - before;
  // 20 keep-alives, 20 echoes delivered, and the run's own limit timer.
  QVERIFY2(wakes >= 20 && wakes <= 41, qPrintable(QString("%1 wake-ups in 20 s").arg(wakes)));
  QCOMPARE(sent.size(), size_t{20});
  for (const std::string& s : sent) QCOMPARE(s, std::string("FF"));
  QVERIFY(c.link().Online);
  // What is scheduled now: the keep-alive, the silence deadline, and the amplifier's pending
  // echo at most.
  QVERIFY2(c.scheduler.Pending() <= 3, qPrintable(QString("%1 timers").arg(c.scheduler.Pending())));
}

void IdleTest::offlineWithoutAmplifierOnlyPolls() {
  // The amplifier is never there: opening fails every time.
  Console c("open=busy");
  c.RunUntil([] { return false; }, 4000);  // past the graph marks' blinking after the start
  std::vector<std::string> sent;
  c.link().onTrace = [&](bool out, const std::vector<uint8_t>& bytes) {
    if (out) sent.push_back(HexBytes(bytes));
  };
  const uint64_t before = c.scheduler.Fired();
  c.RunUntil([] { return false; }, 20000);
  const uint64_t wakes = c.scheduler.Fired() - before;
  // The reconnect poll twice a second, and the run's own limit timer; no search goes out.
  QVERIFY2(wakes <= 41, qPrintable(QString("%1 wake-ups in 20 s").arg(wakes)));
  QVERIFY(sent.empty());
  QVERIFY(!c.link().Online);
  // The status line still tells why, without a timer of its own.
  QVERIFY2(c.eq().StatusText().contains(QString::fromUtf8("正被其他程序使用")) ||
               c.eq().StatusText().contains("in use"),
           qPrintable(c.eq().StatusText()));
}

void IdleTest::theLinkReadsWhileTheWindowIsBuilt() {
  // The session starts before the frame is built, as main() starts it: the search reply is
  // in by the time the window shows, and the window shows the values read.
  VirtualScheduler scheduler;
  RecordingNotifier messages;
  ConsoleOptions options;
  options.device = ConsoleOptions::Device::Virtual;
  ConsoleSession session(options, scheduler, messages);
  session.amplifier()->Working().at(0, 1028).Value = 33;
  session.Start();
  scheduler.RunFor(50);
  QVERIFY(session.link().Online);
  QVERIFY(session.link().DeviceIdentifierSeen() == "_LM-R52Z");
  MdiMain frame(session);
  frame.show();
  for (int i = 0; i < 200 && session.StatusFacts().modeNumber < 0; ++i) scheduler.RunFor(10);
  QVERIFY(session.StatusFacts().modeNumber >= 0);
  QCOMPARE(session.store().ParamTable.at(0, 1028).Value, 33);
}

QTEST_MAIN(IdleTest)
#include "idle_test.moc"
