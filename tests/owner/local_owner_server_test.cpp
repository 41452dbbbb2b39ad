// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's local socket under many clients at once, against a headless owner of a virtual
// amplifier with the USB timing model (so every change waits for its acknowledgement in a
// nested event loop, as the console's do): every request is answered, in arrival order, none
// is handled inside its socket's own signal - clients that go away right after their answer,
// or before it, never take the owner down - the sound mode's switch is ordered with the others
// so that each reply names where its change went and the amplifier holds it there, and a
// subscriber that does not read is let go.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "model/param_ranges.h"
#include "model/reverb_presets.h"
#include "model/store.h"
#include "owner/device_address.h"
#include "owner/headless_owner.h"
#include "owner/owned_port.h"
#include "platform/qt_scheduler.h"
#include "platform/recording_notifier.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_faults.h"
#include "sim/virtual_state.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "owner_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  return app ? *app : *QCoreApplication::instance();
}

// Runs the event loop until `done` or `ms` have passed.
bool Pump(int ms, const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  return true;
}

class LocalOwnerServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    const char* base = std::getenv("MIRELUNE_TEST_TMP");
    // Short: a socket's path has room for 107 bytes.
    static int n = 0;
    dir = fs::path(base ? base : fs::temp_directory_path().string()) / "los" / std::to_string(++n);
    fs::remove_all(dir);
    fs::create_directories(dir / "run");
    fs::permissions(dir / "run", fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    ::setenv("HOME", dir.c_str(), 1);
  }

  std::unique_ptr<HeadlessOwner> StartOwner(const std::string& name) {
    std::vector<DeviceAddress> addresses;
    std::vector<DeviceTarget> targets;
    std::string error;
    EXPECT_TRUE(ParseDeviceList("virtual:" + name, addresses, error)) << error;
    EXPECT_TRUE(ResolveDevices(addresses, DeviceCandidates{}, false, targets, error)) << error;
    VirtualFaults faults;
    EXPECT_TRUE(ParseFaultList("usbtiming", faults, error)) << error;
    target = targets.front();
    auto owner = std::make_unique<HeadlessOwner>(target, scheduler, notifier, "owner test", faults);
    EXPECT_TRUE(owner->Start(error)) << error;
    socketPath = OwnedPort::SocketPathFor(target.LockKey());
    return owner;
  }

  fs::path dir;
  QtScheduler scheduler;
  RecordingNotifier notifier;
  DeviceTarget target;
  std::string socketPath;
};

// Plain addresses with a value each: every kind of the amplifier, the sound mode (2590), the
// rights (2592), the reverb mode with a preset (810) and a master volume with its limit. The
// reverb preset's own addresses stay out: a preset may set them after another client did.
std::vector<std::pair<int, int>> Assignments() {
  std::vector<int> preset;
  for (const ReverbPresetEntry& e : ReverbPresetEntries()) preset.push_back(e.address);
  std::vector<std::pair<int, int>> out = {{sysaddr::kSoundMode, 1}, {sysaddr::kRights, 1}, {kReverbModeAddress, 1},
                                          {2560, 33}, {2568, 70}};
  const Store& s = StartUpStore();
  int taken = 0;
  for (int a = 0; a < kAddressCount && taken < 40; ++a) {
    if (!HoldsParam(a) || s.ParamTable.at(0, a).Kind == kEqBand || a >= 2560) continue;
    if (a == kReverbModeAddress || std::find(preset.begin(), preset.end(), a) != preset.end()) continue;
    if (a % 5 != 0) continue;  // a spread over every kind, not all of them
    const ParamRange r = RangeOf(a);
    const int32_t start = s.ParamTable.at(0, a).Value;
    out.emplace_back(a, start == r.low ? std::min(r.high, r.low + 1) : r.low);
    ++taken;
  }
  return out;
}

TEST_F(LocalOwnerServerTest, ManyClientsAtOnceAreAnsweredAndWhatTheyAreToldIsWhatTheAmplifierHolds) {
  std::unique_ptr<HeadlessOwner> owner = StartOwner("many");
  ASSERT_FALSE(socketPath.empty());
  struct Client {
    std::unique_ptr<QLocalSocket> socket;
    int address = 0, value = 0;
    bool leavesEarly = false;  // goes away before its answer
    QJsonObject reply;
  };
  const auto assignments = Assignments();
  std::vector<std::tuple<int, int, int>> held;  // address, slot, value
  // A few bursts: a socket used after its deletion does not crash every time (the test runs
  // with freed memory overwritten, MALLOC_PERTURB_, so that it mostly does).
  for (int round = 0; round < 5; ++round) {
    std::vector<Client> clients(assignments.size());
    for (size_t i = 0; i < clients.size(); ++i) {
      Client& c = clients[i];
      c.address = assignments[i].first;
      c.value = assignments[i].second;
      c.leavesEarly = i % 7 == 6 && c.address < 2560;
      c.socket = std::make_unique<QLocalSocket>();
      c.socket->connectToServer(QString::fromStdString(socketPath));
      ASSERT_TRUE(c.socket->waitForConnected(5000)) << c.socket->errorString().toStdString();
      QLocalSocket* s = c.socket.get();
      // Most go away the moment their answer is in, as a command-line tool exits.
      QObject::connect(s, &QLocalSocket::readyRead, s, [&c, s] {
        if (!s->canReadLine()) return;
        c.reply = QJsonDocument::fromJson(s->readLine()).object();
        s->abort();
      });
    }
    for (Client& c : clients) {
      const QByteArray line = "{\"op\":\"set\",\"by\":\"test\",\"changes\":[{\"address\":" +
                              QByteArray::number(c.address) + ",\"value\":" + QByteArray::number(c.value) + "}]}\n";
      c.socket->write(line);
      c.socket->flush();
      if (c.leavesEarly) c.socket->abort();
    }
    ASSERT_TRUE(Pump(30000, [&] {
      for (const Client& c : clients)
        if (!c.leavesEarly && c.reply.isEmpty()) return false;
      return true;
    })) << "an answer is missing in round " << round;
    for (const Client& c : clients) {
      if (c.leavesEarly) continue;
      ASSERT_TRUE(c.reply.value("ok").toBool())
          << c.address << "=" << c.value << ": " << c.reply.value("error").toString().toStdString();
      EXPECT_EQ(c.reply.value("acknowledged").toInt(), 1);
      const int slot = c.address >= kFirstSlotOnlyAddress ? 0 : c.reply.value("sound_mode").toInt();
      held.emplace_back(c.address, slot, c.value);
    }
  }
  // What each client was told is what the amplifier keeps, in the sound mode its reply named.
  owner.reset();
  VirtualAmplifier amp;
  std::string error;
  ASSERT_TRUE(LoadVirtualState(VirtualStatePath("many"), amp, error)) << error;
  for (const auto& [address, slot, value] : held)
    EXPECT_EQ(amp.Working().at(slot, address).Value, value) << "address " << address << " slot " << slot;
  EXPECT_EQ(amp.Working().at(0, sysaddr::kSoundMode).Value, 1);
}

TEST_F(LocalOwnerServerTest, TheSoundModeSwitchFollowsTheChangesOfItsOwnRequest) {
  std::unique_ptr<HeadlessOwner> owner = StartOwner("switch");
  QLocalSocket client;
  client.connectToServer(QString::fromStdString(socketPath));
  ASSERT_TRUE(client.waitForConnected(5000));
  auto ask = [&](const QByteArray& line) {
    client.write(line + "\n");
    EXPECT_TRUE(Pump(10000, [&] { return client.canReadLine(); }));
    return QJsonDocument::fromJson(client.readLine()).object();
  };
  // A plain parameter each sound mode keeps for itself.
  int a = 0;
  while (StartUpStore().ParamTable.at(0, a).Kind == kEqBand || StartUpStore().ParamTable.at(0, a).PerMode != kTrue ||
         !HoldsParam(a) || RangeOf(a).high < 42)
    ++a;
  const QByteArray address = QByteArray::number(a);
  QJsonObject r = ask(R"({"op":"set","changes":[{"address":2590,"value":1},{"address":)" + address +
                      R"(,"value":41}]})");
  ASSERT_TRUE(r.value("ok").toBool()) << r.value("error").toString().toStdString();
  EXPECT_EQ(r.value("sound_mode").toInt(), 0) << "the change went to the sound mode in effect";
  r = ask(R"({"op":"set","changes":[{"address":)" + address + R"(,"value":42}]})");
  EXPECT_EQ(r.value("sound_mode").toInt(), 1) << "the next request edits the new one";
  r = ask(R"({"op":"hello"})");
  EXPECT_EQ(r.value("sound_mode").toInt(), 1);
  client.abort();
  owner.reset();
  VirtualAmplifier amp;
  std::string error;
  ASSERT_TRUE(LoadVirtualState(VirtualStatePath("switch"), amp, error)) << error;
  EXPECT_EQ(amp.Working().at(0, a).Value, 41) << "address " << a;
  EXPECT_EQ(amp.Working().at(1, a).Value, 42) << "address " << a;
}

TEST_F(LocalOwnerServerTest, ASubscriberThatDoesNotReadIsLetGoAndOneThatReadsStays) {
  std::unique_ptr<HeadlessOwner> owner = StartOwner("events");
  auto subscribe = [&](QLocalSocket& s) {
    s.connectToServer(QString::fromStdString(socketPath));
    ASSERT_TRUE(s.waitForConnected(5000));
    s.write("{\"op\":\"subscribe\"}\n");
    ASSERT_TRUE(Pump(10000, [&] { return s.canReadLine(); }));
    s.readLine();
  };
  QLocalSocket reader, stalled;
  subscribe(reader);
  subscribe(stalled);
  // The stalled one never reads: its socket's buffers fill, then the owner's own backlog.
  QObject::connect(&reader, &QLocalSocket::readyRead, &reader, [&reader] { reader.readAll(); });
  stalled.setReadBufferSize(1);
  LocalOwnerServer* server = owner->LocalServer();
  ASSERT_NE(server, nullptr);
  ASSERT_EQ(server->Subscribers(), 2u);
  const std::string big(64 * 1024, 'x');
  for (int i = 0; i < 64 && server->Subscribers() == 2; ++i) {
    server->Publish("{\"event\":\"changed\",\"pad\":\"" + big + "\"}");
    Pump(20, [] { return false; });
  }
  EXPECT_EQ(server->Subscribers(), 1u) << "the one that does not read is let go within 4 MiB of events";
  EXPECT_EQ(reader.state(), QLocalSocket::ConnectedState);
}

}  // namespace
}  // namespace mirelune
