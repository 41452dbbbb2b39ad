// SPDX-License-Identifier: GPL-3.0-or-later
// The console as its amplifier's owner, wired as main() wires it (Qt timers, the real event
// loop, the real command-line tool in a process of its own): a `set` made with mirelune-cli
// while the console runs lands on the amplifier, in the console's store and controls as one
// undo step, and stays after the console exits; commands that cannot go through it are told
// who holds the amplifier; a second console says the amplifier is busy at once; and
// Device > Choose amplifier switches to another amplifier and remembers it.
#include <QDialog>
#include <QLocalSocket>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QProcess>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

#include "admin/frm_program_manager.h"
#include "controls/mscrollbar.h"
#include "model/param_ranges.h"
#include "model/sp_file.h"
#include <QCheckBox>
#include <QListWidget>
#include "owner/device_lock.h"
#include "owner/owned_port.h"
#include "platform/qt_scheduler.h"
#include "platform/recording_notifier.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_state.h"
#include "ui/session/console_session.h"
#include "ui/dialogs/device_chooser.h"
#include "ui/tuning/frm_eq.h"
#include "tests/ui/user_folders.h"
#include "ui/window/mdi_main.h"

using namespace mirelune;
using namespace mirelune::ui;

class OwnerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cliEditGoesThroughTheConsoleAndStays();
  void parallelSetsWithTheSoundModeThroughTheConsole();
  void secondConsoleSaysTheAmplifierIsBusy();
  void chooseAmplifierSwitchesAndRemembers();
  void batchUploadReachesEveryConnectedAmplifier();

 private:
  // Runs mirelune-cli with `args` while the event loop turns (the console answers it).
  int RunCli(const QStringList& args, QString* out = nullptr, QString* err = nullptr);
  ConsoleOptions Options(const std::string& address);
  QString dir_;
};

void OwnerTest::initTestCase() {
  dir_ = mirelune::ui::testing::IsolateUserFolders("ui_owner");
  QVERIFY(!dir_.isEmpty());
}

ConsoleOptions OwnerTest::Options(const std::string& address) {
  ConsoleOptions o;
  o.device = ConsoleOptions::Device::Virtual;
  o.address = address;
  o.own = true;
  o.virtualStatePath = VirtualStatePath(address.size() > 8 ? address.substr(8) : std::string());
  return o;
}

int OwnerTest::RunCli(const QStringList& args, QString* out, QString* err) {
  QProcess cli;
  cli.start(MIRELUNE_CLI, args);
  if (!cli.waitForStarted(5000)) return -1;
  // Not waitForFinished: the console in this process must answer while the tool waits.
  QElapsedTimer clock;
  clock.start();
  while (cli.state() != QProcess::NotRunning && clock.elapsed() < 20000) QTest::qWait(5);
  if (cli.state() != QProcess::NotRunning) return -2;
  if (out) *out = QString::fromUtf8(cli.readAllStandardOutput());
  if (err) *err = QString::fromUtf8(cli.readAllStandardError());
  return cli.exitCode();
}

void OwnerTest::cliEditGoesThroughTheConsoleAndStays() {
  const ConsoleOptions options = Options("virtual:t");
  {
    QtScheduler scheduler;
    RecordingNotifier messages;
    ConsoleSession session(options, scheduler, messages);
    MdiMain frame(session);
    frame.show();
    session.Start();
    QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);
    QVERIFY2(session.StateError().empty(), session.StateError().c_str());
    QVERIFY2(frame.windowTitle().contains("virtual:t"), qPrintable(frame.windowTitle()));
    QVERIFY2(frame.tuningWindow()->StatusText().contains("(virtual:t)"),
             qPrintable(frame.tuningWindow()->StatusText()));
    const int before = session.store().ParamTable.at(0, 1028).Value;
    QVERIFY(!session.history().CanUndo());
    // A subscriber of change events (what the remote page will be).
    QLocalSocket events;
    events.connectToServer(QString::fromStdString(OwnedPort::SocketPathFor("virtual-t")));
    QVERIFY(events.waitForConnected(2000));
    events.write("{\"op\":\"subscribe\"}\n");
    QTRY_VERIFY(events.canReadLine());
    QVERIFY(events.readLine().contains("\"ok\":true"));

    QString out, err;
    QCOMPARE(RunCli({"--device", "virtual:t", "set", "1028=77", "5:gain=300"}, &out, &err), 0);
    QVERIFY2(out.contains("set 1028 in mode 1"), qPrintable(out + err));
    // On the amplifier, in the store, on the strip - at once.
    QCOMPARE(session.amplifier()->Working().at(0, 1028).Value, 77);
    QCOMPARE(session.store().ParamTable.at(0, 1028).Value, 77);
    QCOMPARE(session.amplifier()->Working().at(0, 5).Gain, 300);
    QCOMPARE(frame.tuningWindow()->Slider(8)->Value(), 300.0f);
    // One event for the request, naming who made it.
    QTRY_VERIFY(events.canReadLine());
    QByteArray event = events.readLine();
    // Undo and redo send the request's addresses again: the console's own changes.
    QVERIFY2(event.contains("\"addresses\":[1028,5]") && event.contains("\"by\":\"mirelune-cli (PID"),
             event.constData());
    // What the tool reads back is the console's.
    QCOMPARE(RunCli({"--device", "virtual:t", "get", "1028"}, &out), 0);
    QCOMPARE(out.trimmed(), QString("1028=77"));
    // A refused change changes nothing anywhere.
    QCOMPARE(RunCli({"--device", "virtual:t", "set", "1028=999999"}, &out, &err), 2);
    QCOMPARE(session.store().ParamTable.at(0, 1028).Value, 77);
    // One undo step takes the whole request back, on the amplifier too.
    QVERIFY(session.history().CanUndo());
    QVERIFY(session.history().Undo());
    QCOMPARE(session.store().ParamTable.at(0, 1028).Value, before);
    QCOMPARE(session.amplifier()->Working().at(0, 1028).Value, before);
    QVERIFY(session.amplifier()->Working().at(0, 5).Gain != 300);
    QVERIFY(session.history().Redo());
    QCOMPARE(session.amplifier()->Working().at(0, 1028).Value, 77);
    // The console's own edit is an event too (what undo and redo sent is read past first).
    QTest::qWait(100);
    events.readAll();
    controls::MScrollBar* strip = frame.tuningWindow()->Slider(8);
    strip->SetValue(290);
    emit strip->Scroll();
    QTRY_VERIFY(events.canReadLine());
    event = events.readLine();
    QVERIFY2(event.contains("\"addresses\":[5]") && event.contains("\"by\":\"mirelune\""), event.constData());
        // A command that cannot go through the console says who has the amplifier.
    QCOMPARE(RunCli({"--device", "virtual:t", "read-mode", "1", "-o", dir_ + "/m1.sp"}, &out, &err), 1);
    QVERIFY2(err.contains("virtual:t is in use by mirelune (PID"), qPrintable(err));
    QVERIFY(!QFile::exists(dir_ + "/m1.sp"));
    // The amplifier's memory is on the disk within a second of the change: no exit needed to
    // keep it. (Read past the console's lock of the file, which it holds while it runs.)
    VirtualAmplifier copy;
    std::string error;
    auto kept = [&] {
      QFile file(QString::fromStdString(options.virtualStatePath));
      if (!file.open(QIODevice::ReadOnly)) return false;
      const QByteArray bytes = file.readAll();
      return DecodeVirtualState(std::vector<uint8_t>(bytes.begin(), bytes.end()), copy, error) &&
             copy.Working().at(0, 1028).Value == 77;
    };
    QTRY_VERIFY_WITH_TIMEOUT(kept(), 2000);
    QVERIFY(frame.close());
    QVERIFY2(session.SaveState(error), error.c_str());
  }
  // After the console: the change is still there, and the tool may open the amplifier itself.
  QString out;
  QCOMPARE(RunCli({"--device", "virtual:t", "get", "1028"}, &out), 0);
  QCOMPARE(out.trimmed(), QString("1028=77"));
  LockHolder holder;
  QVERIFY(!FindHolder("virtual-t", holder));
}

// Many tools at once, one plain address each, the sound mode, the rights and the reverb mode
// among them: the console answers every one (none dropped, no crash), each reply names the
// sound mode its change went to, and the amplifier holds there what the tool was told.
void OwnerTest::parallelSetsWithTheSoundModeThroughTheConsole() {
  const ConsoleOptions options = Options("virtual:par");
  QtScheduler scheduler;
  RecordingNotifier messages;
  ConsoleSession session(options, scheduler, messages);
  MdiMain frame(session);
  frame.show();
  session.Start();
  QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);
  struct Job {
    int address, value;
    std::unique_ptr<QProcess> cli;
  };
  std::vector<Job> jobs;
  for (auto [a, v] : std::vector<std::pair<int, int>>{{2590, 1}, {2592, 1}, {810, 2}, {2560, 30}, {2568, 60}})
    jobs.push_back({a, v, std::make_unique<QProcess>()});
  // And one value within its range for a spread of other plain addresses.
  for (int a : {1028, 1029, 770, 771, 276, 532, 806, 808, 1024, 1025, 2561, 2563, 2597, 2598, 2599, 2576, 1030, 1031}) {
    const ParamRange r = RangeOf(a);
    const int start = StartUpStore().ParamTable.at(0, a).Value;
    jobs.push_back({a, start == r.low ? r.low + 1 : r.low, std::make_unique<QProcess>()});
  }
  for (Job& j : jobs)
    j.cli->start(MIRELUNE_CLI, {"--device", "virtual:par", "set", QString("%1=%2").arg(j.address).arg(j.value)});
  QElapsedTimer clock;
  clock.start();
  auto running = [&] {
    return std::any_of(jobs.begin(), jobs.end(), [](const Job& j) { return j.cli->state() != QProcess::NotRunning; });
  };
  while (running() && clock.elapsed() < 60000) QTest::qWait(5);
  QVERIFY(!running());
  for (Job& j : jobs) {
    const QString out = QString::fromUtf8(j.cli->readAllStandardOutput());
    const QString err = QString::fromUtf8(j.cli->readAllStandardError());
    QVERIFY2(j.cli->exitStatus() == QProcess::NormalExit && j.cli->exitCode() == 0,
             qPrintable(QString("%1=%2: %3%4").arg(j.address).arg(j.value).arg(out, err)));
    // "set 1028 in mode 1, sound mode 0": where the change went.
    const auto m = QRegularExpression("sound mode (\\d)").match(out);
    const int slot = j.address >= kFirstSlotOnlyAddress ? 0 : m.captured(1).toInt();
    QVERIFY2(j.address >= kFirstSlotOnlyAddress || m.hasMatch(), qPrintable(out));
    QCOMPARE(session.amplifier()->Working().at(slot, j.address).Value, j.value);
    QCOMPARE(session.store().ParamTable.at(slot, j.address).Value, j.value);
  }
  // The console shows the sound mode the tool switched to.
  QCOMPARE(int{session.store().CurrentSoundMode}, 1);
  QVERIFY(frame.close());
}

void OwnerTest::secondConsoleSaysTheAmplifierIsBusy() {
  QtScheduler scheduler;
  RecordingNotifier messages;
  auto first = std::make_unique<ConsoleSession>(Options("virtual:busy"), scheduler, messages);
  first->Start();
  QTRY_VERIFY_WITH_TIMEOUT(first->StatusFacts().modeNumber >= 0, 5000);
  ConsoleSession second(Options("virtual:busy"), scheduler, messages);
  second.Start();
  // At the first attempt, without waiting for the first console to end.
  const QString text = QString::fromStdString(second.StatusText());
  QVERIFY2(text.contains("mirelune (PID"), qPrintable(text));
  // The tool tip names the amplifier too (the line is kept short for small windows).
  const QString detail = QString::fromStdString(second.StatusDetail());
  QVERIFY2(detail.contains("virtual:busy") && detail.contains("mirelune (PID"), qPrintable(detail));
  QVERIFY(!second.link().Online);
  QCOMPARE(second.amplifier()->SearchesReceived(), 0);
  // When the first ends, the second takes the amplifier on its next attempt.
  first->Quit();
  first.reset();
  QTRY_VERIFY_WITH_TIMEOUT(second.StatusFacts().modeNumber >= 0, 5000);
  QVERIFY(messages.messages.empty());
}

void OwnerTest::chooseAmplifierSwitchesAndRemembers() {
  // A named amplifier with a memory of its own, for the list, and one used once without a
  // change (no memory written).
  {
    VirtualAmplifier other;
    other.Working().at(0, 1028).Value = 33;
    other.SetCurrentMode(3);
    std::string error;
    QVERIFY2(SaveVirtualState(VirtualStatePath("other"), other, error), error.c_str());
    VirtualAmplifier fresh;
    VirtualStateSession use(VirtualStatePath("fresh"));
    QVERIFY2(use.Open(fresh, error) && use.Close(fresh, error), error.c_str());
    QVERIFY(!QFile::exists(QString::fromStdString(VirtualStatePath("fresh"))));
  }
  QtScheduler scheduler;
  RecordingNotifier messages;
  ConsoleSession session(Options("virtual:t"), scheduler, messages);
  MdiMain frame(session);
  frame.show();
  session.Start();
  QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);

  frame.MenuItem("CmdChooseDevice")->trigger();
  DeviceChooser* chooser = frame.Chooser();
  QVERIFY(chooser && chooser->isVisible());
  QTableWidget* table = chooser->findChild<QTableWidget*>("deviceTable");
  QVERIFY(table);
  QStringList devices;
  for (int r = 0; r < table->rowCount(); ++r) devices << table->item(r, 0)->text();
  QVERIFY2(devices.contains("virtual") && devices.contains("virtual:t") && devices.contains("virtual:other") &&
               devices.contains("virtual:fresh"),
           qPrintable(devices.join(",")));
  // Nobody holds the named ones: their memory gives the name they answer with and their mode.
  for (const auto& [device, mode] : {std::pair<QString, QString>{"virtual:other", "4"}, {"virtual:fresh", "1"}}) {
    const int r = static_cast<int>(devices.indexOf(device));
    QCOMPARE(table->item(r, 4)->text(), QString("_LM-R52Z"));
    QCOMPARE(table->item(r, 5)->text(), mode);
  }
  QCOMPARE(QString::fromStdString(chooser->Chosen()), QString("virtual:t"));

  QVERIFY(chooser->Select("virtual:other"));
  QTest::mouseClick(chooser->findChild<QPushButton*>("useDevice"), Qt::LeftButton);
  QCOMPARE(session.DeviceLabel(), std::string("virtual:other"));
  QVERIFY2(frame.windowTitle().contains("virtual:other"), qPrintable(frame.windowTitle()));
  // The new amplifier is read; the old one is free for others.
  QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);
  QCOMPARE(session.store().ParamTable.at(0, 1028).Value, 33);
  // Nothing was edited without an amplifier: no offline edits were kept, none is named.
  QCOMPARE(session.StatusFacts().savedEdits, std::string());
  LockHolder holder;
  QVERIFY(!FindHolder("virtual-t", holder));
  QVERIFY(FindHolder("virtual-other", holder));
  QCOMPARE(SavedDeviceChoice(), std::string("virtual:other"));
  QVERIFY(frame.close());
}

void OwnerTest::batchUploadReachesEveryConnectedAmplifier() {
  // Two more rooms: one free, one whose amplifier another program holds.
  for (const char* name : {"room2", "held"}) {
    VirtualAmplifier amp;
    std::string error;
    QVERIFY2(SaveVirtualState(VirtualStatePath(name), amp, error), error.c_str());
  }
  DeviceLock held;
  LockHolder who;
  std::string error;
  QCOMPARE(held.TryAcquire("virtual-held", "another-tool", "", who, error), DeviceLock::Result::Acquired);

  QtScheduler scheduler;
  RecordingNotifier messages;
  ConsoleSession session(Options("virtual:t"), scheduler, messages);
  MdiMain frame(session);
  const QString folder = dir_ + "/modes";
  QVERIFY(QDir().mkpath(folder));
  frame.SetModeFolder(folder.toStdString());
  {
    RecordTable table = session.store().ParamTable;
    table.at(0, 1028).Value = 11;
    QVERIFY(SaveTableToFile((folder + "/A.sp").toStdString(), table).ok);
  }
  frame.show();
  session.Start();
  QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);
  frame.OpenProgramManager();
  FrmProgramManager* m = frame.ProgramManager();
  QVERIFY(m);
  m->List4()->item(0)->setSelected(true);
  m->List1()->clearSelection();
  m->List1()->item(2)->setSelected(true);
  QTest::mouseClick(m->findChild<QPushButton*>("Command10"), Qt::LeftButton);
  QCOMPARE(m->Assignment(2), std::string("A"));
  QCheckBox* all = m->findChild<QCheckBox*>("chkAllAmplifiers");
  QVERIFY(all && all->isVisibleTo(m));
  all->setChecked(true);
  messages.Clear();
  QTest::mouseClick(m->findChild<QPushButton*>("Command8"), Qt::LeftButton);

  QCOMPARE(session.amplifier()->StoredMode(2).at(0, 1028).Value, 11);
  VirtualAmplifier room2, heldAmp;
  QVERIFY2(LoadVirtualState(VirtualStatePath("room2"), room2, error), error.c_str());
  QCOMPARE(room2.StoredMode(2).at(0, 1028).Value, 11);
  // The held one was left alone, and the report says so; one failure makes it a warning.
  QVERIFY2(LoadVirtualState(VirtualStatePath("held"), heldAmp, error), error.c_str());
  QCOMPARE(heldAmp.StoredMode(2).at(0, 1028).Value, 72);
  const std::vector<std::string> warnings = messages.Texts(RecordingNotifier::Kind::Warning);
  QCOMPARE(warnings.size(), size_t{1});
  const QString report = QString::fromStdString(warnings[0]);
  QVERIFY2(report.contains(QString::fromUtf8("virtual:t：完成")), qPrintable(report));
  QVERIFY2(report.contains(QString::fromUtf8("virtual:room2：完成")), qPrintable(report));
  QVERIFY2(report.contains(QString::fromUtf8("virtual:held：失败：virtual:held is in use by another-tool (PID")),
           qPrintable(report));
  // The others were let go again.
  LockHolder holder;
  QVERIFY(!FindHolder("virtual-room2", holder));
  QVERIFY(frame.close());
}

QTEST_MAIN(OwnerTest)
#include "owner_test.moc"
