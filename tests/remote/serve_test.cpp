// SPDX-License-Identifier: GPL-3.0-or-later
// The room remote as it is served: `mirelune-cli serve` on a virtual amplifier, asked over real
// HTTP and WebSocket connections, with the amplifier's side read and changed by mirelune-cli
// itself through the serving process.
#include <QSignalSpy>
#include <QWebSocket>

#include "link/admin_password.h"
#include "tests/remote/serve_process.h"

using mirelune::testing::Http;
using mirelune::testing::HttpReply;
using mirelune::testing::PollUntil;
using mirelune::testing::ServeProcess;

class ServeTest : public QObject {
  Q_OBJECT

 private:
  QByteArray SignIn(const QJsonObject& body, int* status = nullptr) {
    const HttpReply r = Http(net_, "POST", serve_->At("/api/v1/session"), QJsonDocument(body).toJson());
    if (status) *status = r.status;
    return r.json().value("token").toString().toLatin1();
  }
  int Put(const QByteArray& token, const QByteArray& body) {
    return Http(net_, "PUT", serve_->At("/api/v1/params"), body, token).status;
  }
  QUrl Events(const QByteArray& token) {
    QUrl u = serve_->At("/api/v1/events?token=" + QString::fromLatin1(token));
    u.setScheme("ws");
    return u;
  }

  QNetworkAccessManager net_;
  std::unique_ptr<ServeProcess> serve_;
  QByteArray staff_, installer_;

 private slots:
  void initTestCase() {
    serve_ = std::make_unique<ServeProcess>(MIRELUNE_CLI, QString("serve%1").arg(QCoreApplication::applicationPid()));
    QVERIFY2(serve_->Error().isEmpty(), qPrintable(serve_->Error()));
    int status = 0;
    staff_ = SignIn({{"pin", serve_->Pin()}}, &status);
    QCOMPARE(status, 200);
    QString password;
    for (uint8_t d : mirelune::DefaultAdminDigits()) password += QChar('0' + d);
    installer_ = SignIn({{"password", password}}, &status);
    QCOMPARE(status, 200);
  }
  void cleanupTestCase() { serve_.reset(); }

  void thePairingLinkSignsInOnce() {
    int status = 0;
    QVERIFY(!SignIn({{"pair", serve_->Pair()}}, &status).isEmpty());
    QCOMPARE(status, 200);
    SignIn({{"pair", serve_->Pair()}}, &status);
    QCOMPARE(status, 401);
  }

  void rolesDecideWhatMayBeChanged() {
    QCOMPARE(Http(net_, "GET", serve_->At("/api/v1/params")).status, 401);
    QCOMPARE(Http(net_, "GET", serve_->At("/api/v1/params"), {}, "00000000000000000000000000000000").status, 401);
    const HttpReply device = Http(net_, "GET", serve_->At("/api/v1/device"), {}, staff_);
    QCOMPARE(device.status, 200);
    QCOMPARE(device.json().value("online").toBool(), true);
    QCOMPARE(device.json().value("role").toString(), QString("staff"));
    QCOMPARE(Put(staff_, R"({"0": {"gain": 320}})"), 403);
    QCOMPARE(Put(installer_, R"({"0": {"gain": 320}})"), 200);
    QByteArray out;
    QCOMPARE(serve_->Cli({"get", "0", "--json"}, &out), 0);
    QVERIFY2(out.contains("\"gain\": 320"), out.constData());
  }

  void aBatchIsAppliedWholeOrNotAtAll() {
    QCOMPARE(Put(staff_, R"({"2560": 21, "2561": 22})"), 200);
    QCOMPARE(serve_->Value(2560), 21L);
    QCOMPARE(serve_->Value(2561), 22L);
    QCOMPARE(Put(staff_, R"({"2560": 31, "2561": 81})"), 400);   // 81 is beyond the master volume
    QCOMPARE(Put(staff_, R"({"2560": 31, "1028": 10})"), 403);   // not on the staff list
    QCOMPARE(serve_->Value(2560), 21L);
    QCOMPARE(serve_->Value(2561), 22L);
    // The master volume's upper limit, changed by the installer, holds for staff at once.
    QCOMPARE(Put(installer_, R"({"2568": 30})"), 200);
    QCOMPARE(Put(staff_, R"({"2560": 31})"), 400);
    QCOMPARE(Put(staff_, R"({"2560": 30})"), 200);
    QCOMPARE(serve_->Value(2560), 30L);
    QCOMPARE(Put(installer_, R"({"2568": 80})"), 200);
    // A limit and its volume in one batch: the volume against the new limit, here and through
    // the owner's socket alike; refused whole.
    QCOMPARE(Put(installer_, R"({"2570": 30, "2562": 50})"), 400);
    QByteArray err;
    QCOMPARE(serve_->Cli({"set", "2570=30", "2562=50"}, nullptr, &err), 2);
    QVERIFY2(err.contains("above its upper limit"), err.constData());
    QCOMPARE(serve_->Value(2570), 80L);
    QVERIFY(serve_->Value(2562) != 50);
    QCOMPARE(serve_->Cli({"set", "2570=30", "2562=30"}), 0);
    QCOMPARE(serve_->Value(2562), 30L);
    QCOMPARE(Put(installer_, R"({"2570": 80})"), 200);
  }

  void aChangeMadeThroughTheCommandLineReachesTheWebSocket() {
    QWebSocket ws;
    QSignalSpy messages(&ws, &QWebSocket::textMessageReceived);
    ws.open(Events(staff_));
    QVERIFY(PollUntil(10000, [&] { return messages.count() >= 1; }));  // hello
    QCOMPARE(QJsonDocument::fromJson(messages.at(0).at(0).toString().toUtf8()).object().value("type").toString(),
             QString("hello"));
    QCOMPARE(serve_->Cli({"set", "2560=44"}), 0);
    QJsonObject change;
    QVERIFY(PollUntil(10000, [&] {
      for (const auto& m : messages) {
        const QJsonObject o = QJsonDocument::fromJson(m.at(0).toString().toUtf8()).object();
        if (o.value("type") == "change" && o.value("address").toInt() == 2560) change = o;
      }
      return !change.isEmpty();
    }));
    QCOMPARE(change.value("value").toInt(), 44);
    QVERIFY(change.value("by").toString().contains("mirelune-cli"));
    // A change staff may not see sends them nothing.
    const int before = messages.count();
    QCOMPARE(serve_->Cli({"set", "0:gain=300"}), 0);
    QCOMPARE(Put(staff_, R"({"2561": 23})"), 200);
    QVERIFY(PollUntil(10000, [&] { return messages.count() > before; }));
    QTest::qWait(200);
    for (int i = before; i < messages.count(); ++i)
      QVERIFY2(!messages.at(i).at(0).toString().contains("\"address\":0,"), qPrintable(messages.at(i).at(0).toString()));
  }

  void webSocketsOfOtherSitesOrWithoutTokenOrTooLongAreRefused() {
    struct Case {
      QString origin;
      QByteArray token;
    };
    for (const Case& c : {Case{"http://evil.example", staff_}, Case{QString(), QByteArray("0000")}}) {
      QWebSocket ws(c.origin);
      QSignalSpy closed(&ws, &QWebSocket::disconnected);
      QSignalSpy messages(&ws, &QWebSocket::textMessageReceived);
      ws.open(Events(c.token));
      QVERIFY2(PollUntil(10000, [&] { return closed.count() > 0; }), qPrintable(c.origin));
      QCOMPARE(messages.count(), 0);
    }
    QWebSocket ws;
    QSignalSpy closed(&ws, &QWebSocket::disconnected);
    QSignalSpy messages(&ws, &QWebSocket::textMessageReceived);
    ws.open(Events(staff_));
    QVERIFY(PollUntil(10000, [&] { return messages.count() >= 1; }));
    ws.sendTextMessage(QString(5000, 'x'));
    QVERIFY(PollUntil(10000, [&] { return closed.count() > 0; }));
  }

  // The amplifier gone for longer than the link waits, and back: the pages hear both, and the
  // device says so in between.
  void theLinkStateReachesThePage() {
    ServeProcess flaky(MIRELUNE_CLI, QString("flaky%1").arg(QCoreApplication::applicationPid()),
                       {"--faults", "unplug=1000:8000"});
    QVERIFY2(flaky.Error().isEmpty(), qPrintable(flaky.Error()));
    QNetworkAccessManager net;
    const QByteArray token =
        Http(net, "POST", flaky.At("/api/v1/session"), QJsonDocument(QJsonObject{{"pin", flaky.Pin()}}).toJson())
            .json().value("token").toString().toLatin1();
    QWebSocket ws;
    QSignalSpy messages(&ws, &QWebSocket::textMessageReceived);
    QUrl events = flaky.At("/api/v1/events?token=" + QString::fromLatin1(token));
    events.setScheme("ws");
    ws.open(events);
    auto linkSeen = [&](bool online) {
      for (const auto& m : messages) {
        const QJsonObject o = QJsonDocument::fromJson(m.at(0).toString().toUtf8()).object();
        if (o.value("type") == "link" && o.value("online").toBool() == online) return true;
      }
      return false;
    };
    QVERIFY(PollUntil(15000, [&] { return linkSeen(false); }));
    const HttpReply device = Http(net, "GET", flaky.At("/api/v1/device"), {}, token);
    QCOMPARE(device.json().value("online").toBool(), false);
    QCOMPARE(Http(net, "PUT", flaky.At("/api/v1/params"), R"({"2560": 10})", token).status, 503);
    QVERIFY(PollUntil(20000, [&] { return linkSeen(true); }));
    QVERIFY(PollUntil(5000, [&] {
      return Http(net, "PUT", flaky.At("/api/v1/params"), R"({"2560": 10})", token).status == 200;
    }));
  }

  // A change is kept before its 200 leaves: serve killed right after the answers loses none.
  void anAcknowledgedChangeSurvivesAKill() {
    ServeProcess killed(MIRELUNE_CLI, QString("kill%1").arg(QCoreApplication::applicationPid()));
    QVERIFY2(killed.Error().isEmpty(), qPrintable(killed.Error()));
    QNetworkAccessManager net;
    QString password;
    for (uint8_t d : mirelune::DefaultAdminDigits()) password += QChar('0' + d);
    const QByteArray token = Http(net, "POST", killed.At("/api/v1/session"),
                                  QJsonDocument(QJsonObject{{"password", password}}).toJson())
                                 .json().value("token").toString().toLatin1();
    QVERIFY(!token.isEmpty());
    for (int v : {11, 12, 13})
      QCOMPARE(Http(net, "PUT", killed.At("/api/v1/params"),
                    QByteArray(R"({"2560": )") + QByteArray::number(v) + R"(, "0": {"gain": )" + QByteArray::number(300 + v) + "}}",
                    token).status,
               200);
    ::kill(static_cast<pid_t>(killed.process().processId()), SIGKILL);
    killed.process().waitForFinished(5000);
    QCOMPARE(killed.Value(2560), 13L);
    QByteArray out;
    QCOMPARE(killed.Cli({"get", "0", "--json"}, &out), 0);
    QVERIFY2(out.contains("\"gain\": 313"), out.constData());
  }

  // Last: it locks this client (the loopback address) out.
  void fiveWrongPinsLockTheClientOut() {
    const QString wrong = serve_->Pin() == "000000" ? "111111" : "000000";
    int status = 0;
    SignIn({{"pin", serve_->Pin()}}, &status);  // a right PIN clears the count so far
    QCOMPARE(status, 200);
    for (int i = 0; i < 5; ++i) {
      SignIn({{"pin", wrong}}, &status);
      QCOMPARE(status, 401);
    }
    SignIn({{"pin", serve_->Pin()}}, &status);
    QCOMPARE(status, 429);
    // Tokens already given keep working.
    QCOMPARE(Http(net_, "GET", serve_->At("/api/v1/device"), {}, staff_).status, 200);
  }

  void stopsOnSigtermAndKeepsTheAmplifiersMemory() {
    serve_->Stop();
    QCOMPARE(serve_->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(serve_->process().exitCode(), 0);
    QCOMPARE(serve_->Value(2560), 44L);  // read from the virtual amplifier's kept memory
  }
};

QTEST_GUILESS_MAIN(ServeTest)
#include "serve_test.moc"
