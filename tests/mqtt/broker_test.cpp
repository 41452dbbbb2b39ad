// SPDX-License-Identifier: GPL-3.0-or-later
// A venue's rooms on a real broker: mosquitto started here on a free loopback port with the
// documented access list (docs/mqtt/mirelune.acl) and a password per user, rooms as
// `mirelune-cli serve --mqtt` processes on virtual amplifiers, the fleet command as a process,
// and subscribers of our own watching what crosses the broker. Every wait is bounded.
#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <pwd.h>
#include <unistd.h>

#include "mqtt/mqtt_connection.h"
#include "mqtt/room_messages.h"
#include "tests/remote/serve_process.h"

using mirelune::testing::PollUntil;
using mirelune::testing::ServeProcess;

namespace {

constexpr char kMosquitto[] = "/usr/sbin/mosquitto";
constexpr char kPasswd[] = "/usr/bin/mosquitto_passwd";
constexpr int kWaitMs = 15000;

// What one subscriber received: the last payload per topic, and every message in order.
struct Watcher {
  std::unique_ptr<mirelune::MqttConnection> connection;
  std::map<std::string, std::string> last;
  std::vector<std::pair<std::string, std::string>> all;

  QJsonObject Json(const std::string& topic) const {
    QJsonObject o;
    const auto at = last.find(topic);
    if (at != last.end()) mirelune::ParseJsonObject(at->second, o);
    return o;
  }
  std::string Text(const std::string& topic) const {
    const auto at = last.find(topic);
    return at == last.end() ? std::string() : at->second;
  }
};

}  // namespace

class BrokerTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QProcess broker_;
  int port_ = 0;
  std::map<QString, std::unique_ptr<ServeProcess>> rooms_;
  Watcher monitor_;  // the installer's view: everything
  Watcher staff_;    // a staff subscriber: the rooms' events
  QString mosquittoLog_;

  QString Url() const { return QString("mqtt://127.0.0.1:%1").arg(port_); }
  QString PasswordFile(const QString& user) const { return dir_.filePath("pw-" + user); }

  bool StartBroker() {
    broker_.setProcessChannelMode(QProcess::MergedChannels);
    broker_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    broker_.start(kMosquitto, {"-c", dir_.filePath("mosquitto.conf")});
    return PollUntil(kWaitMs, [&] {
      if (broker_.state() == QProcess::NotRunning) return true;
      QTcpSocket s;
      s.connectToHost("127.0.0.1", static_cast<quint16>(port_));
      return s.waitForConnected(200);
    }) && broker_.state() == QProcess::Running;
  }
  void StopBroker() {
    broker_.terminate();
    if (!broker_.waitForFinished(10000)) broker_.kill();
    broker_.waitForFinished(5000);
    mosquittoLog_ += QString::fromUtf8(broker_.readAll());
  }

  mirelune::MqttOptions Options(const QString& user) {
    mirelune::MqttOptions o;
    std::string error;
    mirelune::ParseBrokerUrl(Url().toStdString(), o.broker, error);
    o.user = user.toStdString();
    o.password = ("pw-" + user).toStdString();
    // One id per connection: the broker drops the older of two clients with the same id.
    static int connections = 0;
    o.clientId = "test-" + user.toStdString() + "-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                 std::to_string(++connections);
    return o;
  }

  bool Watch(Watcher& w, const QString& user, const std::vector<std::string>& patterns) {
    w.connection = std::make_unique<mirelune::MqttConnection>(Options(user));
    w.connection->onMessage = [&w](const std::string& topic, const std::string& payload, bool) {
      w.last[topic] = payload;
      w.all.emplace_back(topic, payload);
    };
    for (const std::string& p : patterns) w.connection->Subscribe(p, 1);
    std::string error;
    return w.connection->Start(error) && PollUntil(kWaitMs, [&w] { return w.connection->Connected(); });
  }

  ServeProcess& StartRoom(const QString& site, const QString& room, const QStringList& faults = {}) {
    const QString user = "room-" + site + "-" + room;
    auto p = std::make_unique<ServeProcess>(
        MIRELUNE_CLI, room,
        QStringList{"--mqtt", Url(), "--site", site, "--room", room, "--mqtt-user", user, "--mqtt-password-file",
                    PasswordFile(user)} +
            faults);
    ServeProcess& r = *p;
    rooms_[site + "/" + room] = std::move(p);
    return r;
  }

  // The state of SITE/ROOM once `done` holds for it (the last one seen either way).
  QJsonObject StateWhen(const std::string& room, const std::function<bool(const QJsonObject&)>& done) {
    const std::string topic = "mirelune/" + room + "/state";
    PollUntil(kWaitMs, [&] { return done(monitor_.Json(topic)); });
    return monitor_.Json(topic);
  }

  int Fleet(const QString& user, const QStringList& args, QByteArray* out = nullptr, QByteArray* err = nullptr) {
    QProcess p;
    p.start(MIRELUNE_CLI, QStringList{"fleet", "--broker", Url(), "--mqtt-user", user, "--mqtt-password-file",
                                      PasswordFile(user)} +
                              args);
    if (!p.waitForFinished(60000)) {
      p.kill();
      p.waitForFinished();
      return -1;
    }
    if (out) *out = p.readAllStandardOutput();
    if (err) *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  long Value(const QString& room, int address) { return rooms_.at(room)->Value(address); }

  // Publishes `command` on `topic` as the watcher's user and returns the answer on `result`.
  QJsonObject Ask(Watcher& as, const std::string& topic, const QJsonObject& command, const std::string& result) {
    monitor_.last.erase(result);
    as.connection->Publish(topic, mirelune::JsonText(command), 1, false);
    PollUntil(kWaitMs, [&] { return monitor_.last.count(result) > 0; });
    return monitor_.Json(result);
  }

 private slots:
  void initTestCase() {
    if (!QFile::exists(kMosquitto) || !QFile::exists(kPasswd))
      QSKIP("mosquitto is not installed (scripts/install-deps.sh installs it)");
    QVERIFY(dir_.isValid());
    {
      QTcpServer probe;
      QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
      port_ = probe.serverPort();
    }
    // The documented access list, and one user it does not know of: a broker set up too
    // loosely, to show the rooms refuse on their own what is outside the topic's role.
    QFile acl(QString(MIRELUNE_SOURCE_DIR) + "/docs/mqtt/mirelune.acl");
    QVERIFY(acl.open(QIODevice::ReadOnly));
    QFile testAcl(dir_.filePath("acl"));
    QVERIFY(testAcl.open(QIODevice::WriteOnly));
    testAcl.write(acl.readAll() +
                  "\nuser lax\ntopic readwrite mirelune/#\n"
                  "\nuser room-venue2-w01\ntopic readwrite mirelune/venue2/w01/#\n");
    testAcl.close();
    const QStringList users{"staff", "installer", "lax", "room-venue-k01", "room-venue-k02", "room-venue-k03",
                            "room-venue2-w01"};
    QFile passwordFile(dir_.filePath("passwd"));
    QVERIFY(passwordFile.open(QIODevice::WriteOnly));
    passwordFile.close();
    for (const QString& u : users) {
      QCOMPARE(QProcess::execute(kPasswd, {"-b", dir_.filePath("passwd"), u, "pw-" + u}), 0);
      QFile pw(PasswordFile(u));
      QVERIFY(pw.open(QIODevice::WriteOnly));
      pw.write(("pw-" + u + "\n").toUtf8());
    }
    QFile conf(dir_.filePath("mosquitto.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    // Started by root, mosquitto would become the user "mosquitto", who cannot read this folder:
    // it stays who we are.
    const struct passwd* me = ::getpwuid(::getuid());
    conf.write(QString("per_listener_settings false\nallow_anonymous false\npassword_file %1\nacl_file %2\n"
                       "persistence false\nmax_packet_size 1048576\nlistener %3 127.0.0.1\nuser %4\n")
                   .arg(dir_.filePath("passwd"), dir_.filePath("acl"))
                   .arg(port_)
                   .arg(me ? QString::fromLocal8Bit(me->pw_name) : QString("mosquitto"))
                   .toUtf8());
    conf.close();
    QVERIFY2(StartBroker(), qPrintable(QString::fromUtf8(broker_.readAll())));
    QVERIFY(Watch(monitor_, "installer", {"mirelune/#", "homeassistant/#"}));
    QVERIFY(Watch(staff_, "staff", {"mirelune/+/+/event"}));
    for (const char* room : {"k01", "k02"}) {
      ServeProcess& r = StartRoom("venue", room);
      QVERIFY2(r.Error().isEmpty(), qPrintable(r.Error()));
    }
  }

  void cleanupTestCase() {
    rooms_.clear();
    monitor_.connection.reset();
    staff_.connection.reset();
    if (broker_.state() != QProcess::NotRunning) StopBroker();
  }

  void aRoomPublishesItsStateAndItsLastWillMarksItOffline() {
    const QJsonObject s = StateWhen("venue/k01", [](const QJsonObject& o) { return o.value("link").toBool(); });
    QCOMPARE(s.value("online").toBool(), true);
    QCOMPARE(s.value("link").toBool(), true);
    QCOMPARE(s.value("device").toString(), QString("virtual:k01"));
    QCOMPARE(s.value("identifier").toString(), QString("_LM-R52Z"));
    QCOMPARE(s.value("mode").toInt(), 1);
    QCOMPARE(s.value("mode_name").toString(), QString("Mode 1"));
    QCOMPARE(s.value("modes").toArray().size(), 10);
    const QJsonObject music = s.value("params").toObject().value("2560").toObject();
    QCOMPARE(music.value("name").toString(), QString("音乐总音量"));
    QCOMPARE(music.value("level").toInteger(), music.value("value").toInteger() % 250);
    QVERIFY(music.value("max").toInt() > 0);
    QCOMPARE(monitor_.Text("mirelune/venue/k01/availability"), std::string("online"));

    // A box that dies: the broker publishes its will; the last state stays for the fleet.
    ServeProcess& w = StartRoom("venue2", "w01");
    QVERIFY2(w.Error().isEmpty(), qPrintable(w.Error()));
    QVERIFY(PollUntil(kWaitMs, [&] { return monitor_.Text("mirelune/venue2/w01/availability") == "online"; }));
    StateWhen("venue2/w01", [](const QJsonObject& o) { return o.value("link").toBool(); });
    w.process().kill();
    QVERIFY(PollUntil(kWaitMs, [&] { return monitor_.Text("mirelune/venue2/w01/availability") == "offline"; }));
    QCOMPARE(monitor_.Json("mirelune/venue2/w01/state").value("mode").toInt(), 1);
    QByteArray out;
    QCOMPARE(Fleet("staff", {"list", "--json", "--rooms", "venue2"}, &out), 0);
    const QJsonArray rooms = QJsonDocument::fromJson(out).object().value("rooms").toArray();
    QCOMPARE(rooms.size(), 1);
    QCOMPARE(rooms.at(0).toObject().value("name").toString(), QString("venue2/w01"));
    QCOMPARE(rooms.at(0).toObject().value("online").toBool(), false);
    QVERIFY(!rooms.at(0).toObject().value("last_seen").toString().isEmpty());

    // A box stopped on purpose says so itself, in its availability and its state.
    ServeProcess& again = StartRoom("venue2", "w01");
    QVERIFY2(again.Error().isEmpty(), qPrintable(again.Error()));
    QVERIFY(PollUntil(kWaitMs, [&] { return monitor_.Text("mirelune/venue2/w01/availability") == "online"; }));
    again.Stop();
    QVERIFY(PollUntil(kWaitMs, [&] {
      return monitor_.Text("mirelune/venue2/w01/availability") == "offline" &&
             !monitor_.Json("mirelune/venue2/w01/state").value("online").toBool(true);
    }));
  }

  void theDiscoveryMessagesDescribeTheRoom() {
    const std::string node = "mirelune_venue_k01";
    QVERIFY(PollUntil(kWaitMs, [&] { return !monitor_.Text("homeassistant/select/" + node + "/mode/config").empty(); }));
    const QJsonObject volume = monitor_.Json("homeassistant/number/" + node + "/volume_2560/config");
    QCOMPARE(volume.value("command_topic").toString(), QString("mirelune/venue/k01/set"));
    QCOMPARE(volume.value("state_topic").toString(), QString("mirelune/venue/k01/state"));
    QCOMPARE(volume.value("max").toInt(),
             monitor_.Json("mirelune/venue/k01/state").value("params").toObject().value("2560").toObject().value("max").toInt());
    QCOMPARE(monitor_.Json("homeassistant/select/" + node + "/mode/config").value("options").toArray().at(0).toString(),
             QString("1 Mode 1"));
    QCOMPARE(monitor_.Json("homeassistant/binary_sensor/" + node + "/link/config").value("device_class").toString(),
             QString("connectivity"));
    QCOMPARE(monitor_.Json("mirelune/venue/k01/state").value("mode_option").toString(), QString("1 Mode 1"));
  }

  void theFleetListsEveryRoomOfALargeVenue() {
    // More rooms than the broker keeps in flight to one client at QoS 1 (20): the list still
    // waits for every one of them. (Published by the loose user, as rooms would.)
    Watcher lax;
    QVERIFY(Watch(lax, "lax", {}));
    constexpr int kRooms = 45;
    for (int i = 1; i <= kRooms; ++i) {
      const std::string base = "mirelune/many/r" + std::to_string(100 + i);
      QVERIFY(lax.connection->Publish(base + "/state", R"({"online": true, "link": true, "mode": 2})", 1, true));
      QVERIFY(lax.connection->Publish(base + "/availability", "online", 1, true));
    }
    QVERIFY(PollUntil(kWaitMs, [&] { return lax.connection->Unsent() == 0; }));
    QByteArray out;
    QCOMPARE(Fleet("staff", {"list", "--json", "--rooms", "many"}, &out), 0);
    const QJsonArray rooms = QJsonDocument::fromJson(out).object().value("rooms").toArray();
    QCOMPARE(rooms.size(), kRooms);
    for (const QJsonValue& r : rooms) {
      QVERIFY(r.toObject().value("online").toBool());
      QCOMPARE(r.toObject().value("mode").toInt(), 2);  // its state arrived too
    }
    // Removed again: an empty retained message.
    for (int i = 1; i <= kRooms; ++i) {
      const std::string base = "mirelune/many/r" + std::to_string(100 + i);
      lax.connection->Publish(base + "/state", "", 1, true);
      lax.connection->Publish(base + "/availability", "", 1, true);
    }
    QVERIFY(PollUntil(kWaitMs, [&] { return lax.connection->Unsent() == 0; }));
  }

  void aFleetSetReachesEveryAmplifierAndItsEventEveryListener() {
    staff_.all.clear();
    QByteArray out, err;
    QCOMPARE(Fleet("staff", {"set", "venue/k01,venue/k02", "音乐总音量=33"}, &out, &err), 0);
    QVERIFY2(out.contains("venue/k01\tok\t2560=33") && out.contains("venue/k02\tok\t2560=33"), out.constData());
    QCOMPARE(Value("venue/k01", 2560), 33L);
    QCOMPARE(Value("venue/k02", 2560), 33L);
    // Another subscriber hears the change, named with who made it, and the state follows.
    QVERIFY(PollUntil(kWaitMs, [&] {
      for (const auto& [topic, payload] : staff_.all) {
        QJsonObject e;
        mirelune::ParseJsonObject(payload, e);
        if (topic == "mirelune/venue/k02/event" && e.value("type").toString() == "change" &&
            e.value("address").toInt() == 2560 && e.value("value").toInt() == 33 &&
            e.value("by").toString().contains("mqtt fleet"))
          return true;
      }
      return false;
    }));
    const QJsonObject s = StateWhen("venue/k02", [](const QJsonObject& o) {
      return o.value("params").toObject().value("2560").toObject().value("level").toInt() == 33;
    });
    QCOMPARE(s.value("params").toObject().value("2560").toObject().value("level").toInt(), 33);
  }

  void eachRoomChecksTheWholeCommandAndTheRole() {
    QByteArray out;
    // Staff may not change what the staff list leaves out: nothing of the command is applied.
    QCOMPARE(Fleet("staff", {"set", "venue/k01,venue/k02", "2560=40", "1028=60"}, &out), 1);
    QVERIFY2(out.contains("venue/k01\tFAILED\t4:左通道音量 (1028) is not on this role's list") &&
                 out.contains("venue/k02\tFAILED"),
             out.constData());
    const long left = Value("venue/k01", 1028);
    QCOMPARE(Value("venue/k01", 2560), 33L);
    QCOMPARE(Value("venue/k02", 2560), 33L);

    // A room whose upper limit refuses one value refuses its whole command; the other room
    // takes it. One line per room.
    QCOMPARE(Fleet("installer", {"set", "--installer", "venue/k01", "2568=30"}, &out), 0);
    QCOMPARE(Fleet("staff", {"set", "venue/k01,venue/k02", "2560=35", "2561=10"}, &out), 1);
    QVERIFY2(out.contains("venue/k01\tFAILED\tvalue 35 of address 2560 is above its upper limit") && out.contains("venue/k02\tok"),
             out.constData());
    QVERIFY(Value("venue/k01", 2561) != 10);
    QCOMPARE(Value("venue/k01", 2560), 33L);
    QCOMPARE(Value("venue/k02", 2561), 10L);

    // The broker's access list keeps the installer's topics from the staff's credentials.
    QCOMPARE(Fleet("staff", {"--timeout", "2", "set", "--installer", "venue/k01", "1028=61"}, &out), 1);
    QVERIFY2(out.contains("venue/k01\tFAILED\tno answer within 2 s"), out.constData());
    QCOMPARE(Value("venue/k01", 1028), left);

    // And where a broker lets more through, the room still holds to the topic's role.
    Watcher lax;
    QVERIFY(Watch(lax, "lax", {}));
    RecordTableHolder table;
    const QJsonObject write = Ask(lax, "mirelune/venue/k01/write-mode",
                                  {{"id", "lax-1"}, {"mode", 2}, {"sp_zlib", QString::fromStdString(table.Packed())}},
                                  "mirelune/venue/k01/result/lax-1");
    QCOMPARE(write.value("status").toInt(), 403);
    QCOMPARE(write.value("ok").toBool(true), false);
    const QJsonObject set = Ask(lax, "mirelune/venue/k01/set", {{"id", "lax-2"}, {"params", QJsonObject{{"1028", 62}}}},
                                "mirelune/venue/k01/result/lax-2");
    QCOMPARE(set.value("status").toInt(), 403);
    QCOMPARE(Value("venue/k01", 1028), left);
  }

  void aRepeatedCommandIdIsAnsweredButNotAppliedAgain() {
    Watcher installer;
    QVERIFY(Watch(installer, "installer", {}));
    const std::string topic = "mirelune/venue/k02/installer/set";
    const std::string result = "mirelune/venue/k02/installer/result/";
    const QJsonObject first = Ask(installer, topic, {{"id", "replay-1"}, {"params", QJsonObject{{"2560", 41}}}}, result + "replay-1");
    QVERIFY2(first.value("ok").toBool(), mirelune::JsonText(first).c_str());
    QCOMPARE(Ask(installer, topic, {{"id", "replay-2"}, {"params", QJsonObject{{"2560", 42}}}}, result + "replay-2")
                 .value("ok")
                 .toBool(),
             true);
    const QJsonObject again = Ask(installer, topic, {{"id", "replay-1"}, {"params", QJsonObject{{"2560", 41}}}}, result + "replay-1");
    QCOMPARE(again.value("replayed").toBool(), true);
    QCOMPARE(again.value("ok").toBool(), true);
    QCOMPARE(Value("venue/k02", 2560), 42L);
    // Without an id there is nothing to answer on, and nothing is done.
    installer.connection->Publish(topic, R"({"params": {"2560": 7}})", 1, false);
    QCOMPARE(Ask(installer, topic, {{"id", "replay-3"}, {"params", QJsonObject{{"2561", 11}}}}, result + "replay-3")
                 .value("ok")
                 .toBool(),
             true);
    QCOMPARE(Value("venue/k02", 2560), 42L);
  }

  void aPushReportsEveryRoomAndTheOneThatFailed() {
    // The third room's amplifier goes away four seconds after its box started.
    ServeProcess& k03 = StartRoom("venue", "k03", {"--faults", "unplug=4000"});
    QVERIFY2(k03.Error().isEmpty(), qPrintable(k03.Error()));
    StateWhen("venue/k03", [](const QJsonObject& o) { return o.contains("link") && !o.value("link").toBool(); });
    QCOMPARE(monitor_.Json("mirelune/venue/k03/state").value("link").toBool(true), false);

    const QString file = dir_.filePath("venue.sp");
    QCOMPARE(ServeProcessFreeCli({"defaults", "-o", file}), 0);
    QByteArray out;
    // The factory's mode 2 differs from the start-up table in 4:左通道音量.
    QCOMPARE(Fleet("installer", {"diff", file, "--mode", "2", "--rooms", "venue/k01"}, &out), 1);
    QVERIFY2(out.contains("venue/k01\tDIFFERENT\t1 parameter") && out.contains("1028 4:左通道音量: file 80, room 71"),
             out.constData());

    QCOMPARE(Fleet("installer", {"push", file, "--mode", "2", "--rooms", "venue"}, &out), 1);
    QVERIFY2(out.contains("venue/k01\tok\n") && out.contains("venue/k02\tok\n") &&
                 out.contains("venue/k03\tFAILED\tthe amplifier is not connected") && out.contains("2 of 3 rooms ok"),
             out.constData());
    QCOMPARE(Fleet("installer", {"diff", file, "--mode", "2", "--rooms", "venue/k01,venue/k02"}, &out), 0);
    QVERIFY2(out.contains("venue/k01\tsame") && out.contains("venue/k02\tsame"), out.constData());
    // The write went into stored mode 2 only: the room still plays mode 1, unchanged.
    QCOMPARE(monitor_.Json("mirelune/venue/k01/state").value("mode").toInt(), 1);
    QCOMPARE(Value("venue/k01", 2560), 33L);
  }

  void aRoomAndTheFleetUseTlsWithClientCertificates() {
    if (QStandardPaths::findExecutable("openssl").isEmpty()) QSKIP("openssl is not installed");
    // A CA of our own, the broker's certificate for 127.0.0.1, and client certificates whose
    // common names are the users of the access list (the room's, the installer's).
    const QString d = dir_.filePath("tls");
    QVERIFY(QDir().mkpath(d));
    auto ssl = [&](const QStringList& args) { return QProcess::execute("openssl", args); };
    QFile ext(d + "/ext");
    QVERIFY(ext.open(QIODevice::WriteOnly));
    ext.write("subjectAltName=IP:127.0.0.1\n");
    ext.close();
    QCOMPARE(ssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", d + "/ca.key", "-out", d + "/ca.crt",
                  "-days", "2", "-subj", "/CN=test CA"}), 0);
    for (const QString& who : {QString("server"), QString("room-venue-k01"), QString("installer")}) {
      QCOMPARE(ssl({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", d + "/" + who + ".key", "-out",
                    d + "/" + who + ".csr", "-subj", "/CN=" + (who == "server" ? QString("127.0.0.1") : who)}), 0);
      QStringList sign{"x509", "-req", "-in", d + "/" + who + ".csr", "-CA", d + "/ca.crt", "-CAkey", d + "/ca.key",
                       "-CAcreateserial", "-out", d + "/" + who + ".crt", "-days", "2"};
      if (who == "server") sign << "-extfile" << d + "/ext";
      QCOMPARE(ssl(sign), 0);
    }
    int tlsPort = 0;
    {
      QTcpServer probe;
      QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
      tlsPort = probe.serverPort();
    }
    QFile conf(d + "/mosquitto.conf");
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(QString("per_listener_settings false\nallow_anonymous false\nacl_file %1\npersistence false\n"
                       "listener %2 127.0.0.1\ncafile %3/ca.crt\ncertfile %3/server.crt\nkeyfile %3/server.key\n"
                       "require_certificate true\nuse_identity_as_username true\nuser %4\n")
                   .arg(dir_.filePath("acl"))
                   .arg(tlsPort)
                   .arg(d, QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name))
                   .toUtf8());
    conf.close();
    QProcess broker;
    broker.setProcessChannelMode(QProcess::MergedChannels);
    broker.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    broker.start(kMosquitto, {"-c", d + "/mosquitto.conf"});
    QVERIFY(PollUntil(kWaitMs, [&] {
      QTcpSocket s;
      s.connectToHost("127.0.0.1", static_cast<quint16>(tlsPort));
      return s.waitForConnected(200) || broker.state() == QProcess::NotRunning;
    }));
    QVERIFY2(broker.state() == QProcess::Running, broker.readAll().constData());
    const QString url = QString("mqtts://127.0.0.1:%1").arg(tlsPort);
    auto certs = [&](const QString& user) {
      return QStringList{"--mqtt-ca", d + "/ca.crt", "--mqtt-cert", d + "/" + user + ".crt", "--mqtt-key", d + "/" + user + ".key"};
    };
    ServeProcess room(MIRELUNE_CLI, "tls1",
                      QStringList{"--mqtt", url, "--site", "venue", "--room", "k01"} + certs("room-venue-k01"));
    QVERIFY2(room.Error().isEmpty(), qPrintable(room.Error()));
    auto list = [&](const QStringList& extra, QByteArray* out, QByteArray* err) {
      QProcess p;
      p.start(MIRELUNE_CLI, QStringList{"fleet", "--broker", url, "--timeout", "5"} + extra + QStringList{"list"});
      if (!p.waitForFinished(30000)) return -1;
      *out = p.readAllStandardOutput();
      *err = p.readAllStandardError();
      return p.exitCode();
    };
    QByteArray out, err;
    QVERIFY(PollUntil(kWaitMs, [&] { return list(certs("installer"), &out, &err) == 0 && out.contains("venue/k01\tonline\tyes"); }));
    // Without the CA the broker is not trusted; without a certificate the broker refuses.
    QCOMPARE(list({}, &out, &err), 1);
    QVERIFY2(err.contains("TLS handshake failed"), err.constData());
    QCOMPARE(list({"--mqtt-ca", d + "/ca.crt"}, &out, &err), 1);
    room.Stop();
    broker.terminate();
    broker.waitForFinished(10000);
  }

  void theRoomsComeBackAfterTheBrokerRestarts() {
    StopBroker();
    QVERIFY(PollUntil(kWaitMs, [&] { return !monitor_.connection->Connected(); }));
    monitor_.last.clear();
    QVERIFY(StartBroker());
    // The broker kept nothing: each room publishes its state and availability again.
    QVERIFY(PollUntil(kWaitMs, [&] {
      return monitor_.Json("mirelune/venue/k01/state").value("link").toBool() &&
             monitor_.Json("mirelune/venue/k02/state").value("link").toBool() &&
             monitor_.Text("mirelune/venue/k01/availability") == "online";
    }));
    QByteArray out;
    QCOMPARE(Fleet("staff", {"set", "venue/k01,venue/k02", "2562=21"}, &out), 0);
    QCOMPARE(Value("venue/k01", 2562), 21L);
    QCOMPARE(Value("venue/k02", 2562), 21L);
  }

 private:
  // A file command that needs no amplifier.
  int ServeProcessFreeCli(const QStringList& args) {
    QProcess p;
    p.start(MIRELUNE_CLI, args);
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
  struct RecordTableHolder {
    std::string Packed() const { return mirelune::PackTable(table); }
    mirelune::RecordTable table;
  };
};

QTEST_GUILESS_MAIN(BrokerTest)
#include "broker_test.moc"
