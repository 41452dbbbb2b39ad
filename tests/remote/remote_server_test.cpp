// SPDX-License-Identifier: GPL-3.0-or-later
// The room remote's server at its door, in this process over loopback with the server's clock
// in the test's hand (deadlines in virtual time): heads judged before bodies, the body limit at
// its exact boundary, connections kept and closed as HTTP/1.1 and 1.0 ask, idle and slow
// clients closed, a flood of idle connections that leaves room for a sign-in, the Host field,
// WebSockets refused before their upgrade, and the events: queued while the request that
// caused them runs, bounded per page, and a page that does not read closed without holding up
// the others.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include "model/store.h"
#include "owner/owner_changes.h"
#include "remote/remote_server.h"

using namespace mirelune;

namespace {

// An owner over a store that acknowledges everything; `afterPublish` looks on while a request
// still runs.
class Backend : public OwnerBackend {
 public:
  Backend() { store.InitDefaults(); }
  OwnerFacts Facts() override {
    OwnerFacts f;
    f.program = "test";
    f.device = "virtual:t";
    f.online = true;
    f.mode = 0;
    return f;
  }
  bool Ready() override { return true; }
  bool Get(const std::vector<int>& addresses, int, std::vector<ParamRecord>& out, std::string&) override {
    for (int a : addresses) out.push_back(store.ParamTable.at(store.SlotFor(a), a));
    return true;
  }
  bool Set(const std::vector<OwnerChange>& changes, int, const std::string& by, size_t& acknowledged,
           std::string&) override {
    ApplyOwnerChanges(store, changes);
    acknowledged = changes.size();
    Publish(changes.front().address, by);
    if (afterPublish) afterPublish();
    return true;
  }
  void Publish(int address, const std::string& by = "test") {
    OwnerEvent e;
    e.addresses = {address};
    e.by = by;
    events.Publish(e);
  }
  bool ModeNames(std::vector<std::string>& names, std::string&) override {
    names.assign(10, "Mode");
    return true;
  }
  bool LoadMode(int, const std::string&, std::string&) override { return true; }
  bool CheckInstallerPassword(const std::string&, bool& accepted, std::string&) override {
    accepted = false;
    return true;
  }
  Store store;
  std::function<void()> afterPublish;
};

// What a raw client saw: the status line, the whole text, and whether the server closed.
struct Seen {
  int status = 0;
  QByteArray text;
  bool closed = false;
  QByteArray Body() const { return text.mid(text.indexOf("\r\n\r\n") + 4); }
};

bool Wait(int ms, const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  return true;
}

int StatusOf(const QByteArray& text) {
  return text.startsWith("HTTP/1.") && text.size() >= 12 ? text.mid(9, 3).toInt() : 0;
}

// Reads what the server sends on `s` until one whole reply is in (by its Content-Length) or it
// closes, at most `ms`.
Seen ReadReply(QTcpSocket& s, int ms = 5000) {
  Seen seen;
  Wait(ms, [&] {
    seen.text += s.readAll();
    const int end = seen.text.indexOf("\r\n\r\n");
    if (end >= 0) {
      const auto m = QRegularExpression("Content-Length: (\\d+)", QRegularExpression::CaseInsensitiveOption)
                         .match(QString::fromLatin1(seen.text.left(end)));
      if (m.hasMatch() && seen.text.size() >= end + 4 + m.captured(1).toInt()) return true;
    }
    return s.state() != QAbstractSocket::ConnectedState;
  });
  seen.status = StatusOf(seen.text);
  return seen;
}

}  // namespace

class RemoteServerTest : public QObject {
  Q_OBJECT

 private:
  Backend backend_;
  int64_t now_ = 1000;
  std::unique_ptr<RemoteServer> server_;
  std::vector<std::string> log_;

  QByteArray Host() const { return "127.0.0.1:" + QByteArray::number(server_->Port()); }
  std::unique_ptr<QTcpSocket> Open() {
    auto s = std::make_unique<QTcpSocket>();
    s->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(server_->Port()));
    if (!s->waitForConnected(5000)) return nullptr;
    // The server takes it in.
    Wait(2000, [&] { return server_->Connections() > 0; });
    return s;
  }
  Seen Exchange(const QByteArray& bytes, bool waitForClose = false) {
    std::unique_ptr<QTcpSocket> s = Open();
    if (!s) return {};
    s->write(bytes);
    Seen seen = ReadReply(*s);
    if (waitForClose)
      seen.closed = Wait(5000, [&] {
        seen.text += s->readAll();
        return s->state() != QAbstractSocket::ConnectedState;
      });
    return seen;
  }
  QByteArray Request(const QByteArray& method, const QByteArray& path, const QByteArray& body = {},
                     const QByteArray& extra = {}) {
    return method + " " + path + " HTTP/1.1\r\nHost: " + Host() + "\r\n" + extra +
           (body.isNull() ? QByteArray() : "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n") +
           "\r\n" + body;
  }
  QByteArray SignIn() {
    const Seen s = Exchange(Request("POST", "/api/v1/session", "{\"pin\":\"" + QByteArray::fromStdString(server_->Pin()) + "\"}"));
    return QJsonDocument::fromJson(s.Body()).object().value("token").toString().toLatin1();
  }
  QUrl Events(const QByteArray& token) const {
    return QUrl("ws://" + QString::fromLatin1(Host()) + "/api/v1/events?token=" + QString::fromLatin1(token));
  }

 private slots:
  void init() {
    log_.clear();
    server_ = std::make_unique<RemoteServer>(backend_, backend_.store, [] { return DefaultStaffList(); }, nullptr,
                                             [this] { return now_; });
    server_->onLog = [this](const std::string& line) { log_.push_back(line); };
    RemoteListen listen;
    listen.port = 0;
    std::string error;
    QVERIFY2(server_->Start(listen, error), error.c_str());
  }
  void cleanup() { server_.reset(); }

  // Refused from the head alone, before a byte of the body: the client is told at once.
  void headsAreJudgedBeforeBodies_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("status");
    const QByteArray put = "PUT /api/v1/params HTTP/1.1\r\nHost: %h\r\n";
    QTest::newRow("200 MB declared") << put + "Content-Length: 209715200\r\n\r\n" << 413;
    QTest::newRow("one byte over") << put + "Content-Length: 65537\r\n\r\n" << 413;
    QTest::newRow("absurd") << put + "Content-Length: 9223372036854775807\r\n\r\n" << 413;
    QTest::newRow("beyond any integer") << put + "Content-Length: 99999999999999999999\r\n\r\n" << 400;
    QTest::newRow("two lengths") << put + "Content-Length: 10\r\nContent-Length: 20\r\n\r\n" << 400;
    QTest::newRow("signed") << put + "Content-Length: +10\r\n\r\n" << 400;
    QTest::newRow("chunked") << put + "Transfer-Encoding: chunked\r\n\r\n" << 501;
    QTest::newRow("no host") << QByteArray("GET /api/v1/device HTTP/1.1\r\n\r\n") << 400;
    QTest::newRow("another host") << QByteArray("GET / HTTP/1.1\r\nHost: rebound.example:%p\r\n\r\n") << 421;
    QTest::newRow("another port") << QByteArray("GET / HTTP/1.1\r\nHost: 127.0.0.1:1\r\n\r\n") << 421;
    QTest::newRow("HTTP/2.0") << QByteArray("GET / HTTP/2.0\r\nHost: %h\r\n\r\n") << 505;
    QTest::newRow("garbage") << QByteArray("\x16\x03\x01 hello\r\n\r\n") << 400;
  }
  void headsAreJudgedBeforeBodies() {
    QFETCH(QByteArray, head);
    QFETCH(int, status);
    head.replace("%h", Host()).replace("%p", QByteArray::number(server_->Port()));
    const Seen seen = Exchange(head, true);
    QCOMPARE(seen.status, status);
    QVERIFY2(seen.text.contains("Connection: close"), seen.text.constData());
    QVERIFY2(seen.closed, "the connection stays open");
  }

  void theBodyLimitHoldsAtItsExactBoundary() {
    const QByteArray token = SignIn();
    QVERIFY(!token.isEmpty());
    const QByteArray json = "{\"2560\": 26}";
    QByteArray exact = json + QByteArray(static_cast<int>(RemoteApi::kMaxBody) - json.size(), ' ');
    Seen seen = Exchange(Request("PUT", "/api/v1/params", exact, "Authorization: Bearer " + token + "\r\n"));
    QCOMPARE(seen.status, 200);
    QCOMPARE(backend_.store.ParamTable.at(0, 2560).Value, 26);
    seen = Exchange(Request("PUT", "/api/v1/params", exact + " ", "Authorization: Bearer " + token + "\r\n"), true);
    QCOMPARE(seen.status, 413);
  }

  void http11KeepsTheConnectionCloseAndHttp10End() {
    std::unique_ptr<QTcpSocket> s = Open();
    QVERIFY(s);
    for (int i = 0; i < 3; ++i) {
      s->write(Request("GET", "/api/v1/device"));
      const Seen seen = ReadReply(*s);
      QCOMPARE(seen.status, 401);
      QVERIFY2(seen.text.contains("Connection: keep-alive"), seen.text.constData());
    }
    QCOMPARE(s->state(), QAbstractSocket::ConnectedState);
    QVERIFY(Exchange(Request("GET", "/api/v1/device", {}, "Connection: close\r\n"), true).closed);
    const Seen old = Exchange("GET /api/v1/device HTTP/1.0\r\n\r\n", true);
    QVERIFY2(old.text.startsWith("HTTP/1.0 401"), old.text.constData());
    QVERIFY(old.closed);
  }

  void idleAndSlowClientsAreClosedAtTheirDeadlines() {
    std::unique_ptr<QTcpSocket> idle = Open();
    std::unique_ptr<QTcpSocket> slow = Open();
    QVERIFY(idle && slow);
    slow->write("PUT /api/v1/params HTTP/1.1\r\nHost: ");  // and nothing more
    QVERIFY(Wait(2000, [&] { return server_->Connections() == 2; }));
    QTest::qWait(50);
    now_ += server_->limits().requestMs;
    server_->Sweep();
    const Seen late = ReadReply(*slow);
    QCOMPARE(late.status, 408);
    QCOMPARE(idle->state(), QAbstractSocket::ConnectedState);  // not idle for long enough yet
    now_ += server_->limits().idleMs;
    server_->Sweep();
    QVERIFY(Wait(2000, [&] { return idle->state() != QAbstractSocket::ConnectedState; }));
  }

  // As many idle connections as the server takes, from one address: a new sign-in still gets
  // in, in the place of the longest idle one.
  void aFloodOfIdleConnectionsLeavesRoomForASignIn() {
    server_->limits().maxConnections = 20;
    server_->limits().maxPerAddress = 20;
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 30; ++i) {
      auto s = std::make_unique<QTcpSocket>();
      s->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(server_->Port()));
      QVERIFY(s->waitForConnected(5000));
      flood.push_back(std::move(s));
      now_ += 1;
    }
    QVERIFY(Wait(5000, [&] { return server_->Connections() == 20; }));
    const Seen seen = Exchange(Request("POST", "/api/v1/session", "{\"pin\":\"" + QByteArray::fromStdString(server_->Pin()) + "\"}"));
    QCOMPARE(seen.status, 200);
    QVERIFY(server_->Connections() <= 20);
    // The oldest of the flood went first.
    QVERIFY(Wait(2000, [&] { return flood.front()->state() != QAbstractSocket::ConnectedState; }));
    QCOMPARE(flood.back()->state(), QAbstractSocket::ConnectedState);
  }

  // Refused with an HTTP status, before any upgrade; a token in the address only for it.
  void webSocketsAreRefusedBeforeTheirUpgrade_data() {
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<bool>("token");
    QTest::addColumn<int>("status");
    QTest::newRow("no token") << QByteArray() << false << 401;
    QTest::newRow("another site") << QByteArray("Origin: http://evil.example\r\n") << true << 403;
    QTest::newRow("right") << QByteArray("Origin: http://%h\r\n") << true << 101;
  }
  void webSocketsAreRefusedBeforeTheirUpgrade() {
    QFETCH(QByteArray, extra);
    QFETCH(bool, token);
    QFETCH(int, status);
    const QByteArray t = token ? SignIn() : QByteArray("00000000000000000000000000000000");
    extra.replace("%h", Host());
    const Seen seen = Exchange("GET /api/v1/events?token=" + t + " HTTP/1.1\r\nHost: " + Host() +
                               "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n" +
                               extra + "\r\n");
    QCOMPARE(seen.status, status);
    // The same token in a plain request's address is no token.
    if (token) QCOMPARE(Exchange(Request("GET", "/api/v1/device?token=" + t)).status, 401);
  }

  // The event of a request waits until its reply is written; a page that does not read is
  // closed once its queue is full, while the page that reads gets every event in order.
  void aStalledSubscriberHoldsUpNobody() {
    RemoteLimits& limits = server_->limits();
    limits.maxQueuedEvents = 32;
    limits.socketBacklog = 4096;
    const QByteArray token = SignIn();
    QWebSocket reader;
    QList<QJsonObject> got;
    connect(&reader, &QWebSocket::textMessageReceived, this,
            [&got](const QString& m) { got.append(QJsonDocument::fromJson(m.toUtf8()).object()); });
    reader.open(Events(token));
    QVERIFY(Wait(5000, [&] { return got.size() == 1; }));  // hello
    // The stalled page: a WebSocket that stops reading after its upgrade.
    QTcpSocket stalled;
    stalled.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    stalled.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(server_->Port()));
    QVERIFY(stalled.waitForConnected(5000));
    stalled.write("GET /api/v1/events?token=" + token + " HTTP/1.1\r\nHost: " + Host() +
                  "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                  "Sec-WebSocket-Version: 13\r\n\r\n");
    QVERIFY(Wait(5000, [&] { return server_->Clients() == 2; }));
    stalled.setReadBufferSize(1);

    // A PUT's event is still queued when its request returns: the reply goes first.
    size_t queuedDuringRequest = 0;
    qsizetype receivedDuringRequest = -1;
    backend_.afterPublish = [&] {
      queuedDuringRequest = server_->QueuedEvents(0);
      receivedDuringRequest = got.size();
    };
    const Seen put = Exchange(Request("PUT", "/api/v1/params", "{\"2560\": 40}", "Authorization: Bearer " + token + "\r\n"));
    QCOMPARE(put.status, 200);
    QCOMPARE(queuedDuringRequest, size_t{1});
    QCOMPARE(receivedDuringRequest, qsizetype{1});
    backend_.afterPublish = nullptr;
    QVERIFY(Wait(5000, [&] { return got.size() == 2; }));

    const int events = 3000;
    size_t most = 0;
    for (int i = 0; i < events; ++i) {
      backend_.store.ParamTable.at(0, 2561).Value = i % 81;
      backend_.Publish(2561);
      for (int k = 0; k < server_->Clients(); ++k) most = std::max(most, server_->QueuedEvents(k));
      if (i % 20 == 0) QCoreApplication::processEvents();
    }
    QVERIFY2(most <= limits.maxQueuedEvents, qPrintable(QString::number(most)));
    QVERIFY(Wait(20000, [&] { return got.size() == 2 + events; }));
    for (int i = 0; i < events; ++i) QCOMPARE(got[2 + i].value("value").toInt(), i % 81);
    // The stalled page was told to go; cut off once it did not.
    QVERIFY(std::any_of(log_.begin(), log_.end(),
                        [](const std::string& l) { return l.find("did not read its events") != std::string::npos; }));
    now_ += limits.closeGraceMs;
    server_->Sweep();
    QVERIFY(Wait(5000, [&] { return server_->Clients() == 1; }));
    QCOMPARE(reader.state(), QAbstractSocket::ConnectedState);
  }
};

QTEST_GUILESS_MAIN(RemoteServerTest)
#include "remote_server_test.moc"
