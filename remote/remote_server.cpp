// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/remote_server.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>
#include <algorithm>
#include <sys/socket.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "model/store.h"

namespace mirelune {

namespace {

// A refused client may still be sending (the rest of a body too large): what it sends is read
// and dropped this long after the reply, so that closing does not reset the connection before
// the client has read why.
constexpr int64_t kLingerMs = 2000;

std::string ClientOf(const QHostAddress& a) {
  // An IPv4 peer on a dual-stack socket reads as ::ffff:a.b.c.d; the log and the lock-out
  // name it once.
  bool ok = false;
  const quint32 v4 = a.toIPv4Address(&ok);
  return ok ? QHostAddress(v4).toString().toStdString() : a.toString().toStdString();
}

std::string PeerKey(const QHostAddress& a, quint16 port) { return ClientOf(a) + "/" + std::to_string(port); }

bool LoadAsset(const std::string& name, std::string& bytes) {
  QFile f(":/remote/" + QString::fromStdString(name));
  if (!f.open(QIODevice::ReadOnly)) return false;
  bytes = f.readAll().toStdString();
  return true;
}

std::string Lower(const QString& s) { return s.toLower().toStdString(); }

std::string ErrorBody(const std::string& text) {
  std::string escaped;
  for (char ch : text) {
    if (ch == '"' || ch == '\\') escaped += '\\';
    if (static_cast<unsigned char>(ch) >= 0x20) escaped += ch;
  }
  return "{\"error\":\"" + escaped + "\"}";
}

}  // namespace

bool IsLoopbackHost(const std::string& host) {
  if (host == "localhost") return true;
  const QHostAddress a(QString::fromStdString(host));
  return !a.isNull() && a.isLoopback();
}

bool ParseListen(const std::string& text, RemoteListen& listen, std::string& error) {
  RemoteListen out = listen;
  std::string host = text, port;
  if (!text.empty() && text.front() == '[') {  // [::1]:8808
    const size_t close = text.find(']');
    if (close == std::string::npos) {
      error = "'" + text + "': an IPv6 address is written [ADDRESS]:PORT";
      return false;
    }
    host = text.substr(1, close - 1);
    if (close + 1 < text.size()) {
      if (text[close + 1] != ':') {
        error = "'" + text + "': HOST:PORT expected";
        return false;
      }
      port = text.substr(close + 2);
    }
  } else if (const size_t colon = text.rfind(':'); colon != std::string::npos && text.find(':') == colon) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (!host.empty()) {
    if (host != "localhost" && QHostAddress(QString::fromStdString(host)).isNull()) {
      error = "'" + host + "' is not an IP address of this machine (e.g. 127.0.0.1, 0.0.0.0, 192.168.1.20)";
      return false;
    }
    out.host = host;
  }
  if (!port.empty() || (text.size() && text.back() == ':')) {
    bool ok = false;
    const int p = QString::fromStdString(port).toInt(&ok);
    if (!ok || p < 0 || p > 65535) {
      error = "'" + port + "' is not a port number (0..65535)";
      return false;
    }
    out.port = p;
  }
  listen = out;
  return true;
}

struct RemoteServer::Connection {
  uint64_t id = 0;
  QPointer<QTcpSocket> socket;
  std::string client;
  int64_t since = 0;         // accepted, or its last reply written
  int64_t requestStart = 0;  // the first byte of the request being received; 0: none
  bool haveHead = false;
  HttpHead head;
  bool queued = false;   // a whole request waits for its turn or runs
  bool closing = false;  // its last reply is written; the connection ends after it
  int64_t closingSince = 0;
};

struct RemoteServer::Subscriber {
  QWebSocket* socket = nullptr;
  QPointer<QTcpSocket> tcp;  // what it writes through: its unsent bytes
  RemoteRole role = RemoteRole::None;
  std::string client;
  std::deque<QString> queue;
  size_t bytes = 0;
  bool closing = false;
  bool gone = false;
  int64_t closingSince = 0;
};

RemoteServer::RemoteServer(OwnerBackend& backend, const Store& store, std::function<StaffList()> staff,
                           QObject* parent, std::function<int64_t()> nowMs)
    : QObject(parent), backend_(backend), now_(std::move(nowMs)) {
  if (!now_) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    now_ = [clock] { return clock->elapsed(); };
  }
  auth_ = std::make_unique<RemoteAuth>([] { return QDateTime::currentMSecsSinceEpoch(); });
  auth_->onPinReplaced = [this] {
    if (onPinChanged) onPinChanged();
  };
  api_ = std::make_unique<RemoteApi>(backend, store, *auth_, std::move(staff));
  api_->loadAsset = LoadAsset;
  api_->log = [this](const std::string& line) { Log(line); };
  auto timer = [this](int ms, void (RemoteServer::*slot)()) {
    auto* t = new QTimer(this);
    t->setSingleShot(ms >= 0);
    t->setInterval(std::abs(ms));
    connect(t, &QTimer::timeout, this, slot);
    return t;
  };
  retry_ = timer(kRetryMs, &RemoteServer::Drain);
  kick_ = timer(0, &RemoteServer::Drain);
  flush_ = timer(0, &RemoteServer::Flush);
  sweep_ = timer(-1000, &RemoteServer::Sweep);
}

RemoteServer::~RemoteServer() { Stop(); }

bool RemoteServer::Running() const { return tcp_ != nullptr; }

void RemoteServer::Log(const std::string& line) {
  if (onLog) onLog(line);
}

bool RemoteServer::Start(const RemoteListen& listen, std::string& error) {
  Stop();
  encrypted_ = false;
  std::unique_ptr<QTcpServer> tcp;
  if (!listen.certFile.empty() || !listen.keyFile.empty()) {
    if (listen.certFile.empty() || listen.keyFile.empty()) {
      error = "--tls-cert and --tls-key go together";
      return false;
    }
    QFile certFile(QString::fromStdString(listen.certFile)), keyFile(QString::fromStdString(listen.keyFile));
    if (!certFile.open(QIODevice::ReadOnly)) {
      error = listen.certFile + ": cannot read the certificate (" + certFile.errorString().toStdString() + ")";
      return false;
    }
    if (!keyFile.open(QIODevice::ReadOnly)) {
      error = listen.keyFile + ": cannot read the key (" + keyFile.errorString().toStdString() + ")";
      return false;
    }
    const QSslCertificate cert(&certFile, QSsl::Pem);
    QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) {
      keyFile.seek(0);
      key = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
    }
    if (cert.isNull()) {
      error = listen.certFile + ": not a PEM certificate";
      return false;
    }
    if (key.isNull()) {
      error = listen.keyFile + ": not a PEM RSA or EC private key (without a pass phrase)";
      return false;
    }
    auto ssl = std::make_unique<QSslServer>();
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setLocalCertificate(cert);
    conf.setPrivateKey(key);
    ssl->setSslConfiguration(conf);
    ssl->setHandshakeTimeout(static_cast<int>(limits_.requestMs));
    tcp = std::move(ssl);
    encrypted_ = true;
  } else {
    tcp = std::make_unique<QTcpServer>();
  }
  const QHostAddress address =
      listen.host == "localhost" ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QString::fromStdString(listen.host));
  tcp->setMaxPendingConnections(limits_.maxConnections);
  if (!tcp->listen(address, static_cast<quint16>(listen.port))) {
    error = listen.host + ":" + std::to_string(listen.port) +
            ": cannot listen (the port is taken, or the address is not this machine's)";
    return false;
  }
  tcp_ = std::move(tcp);
  host_ = listen.host;
  port_ = tcp_->serverPort();
  // What a browser may name this server by: the addresses it listens on, and this machine's
  // own names; a name of another site that resolves here (DNS rebinding) is none of them.
  hostNames_ = {"localhost"};
  if (address == QHostAddress::AnyIPv4 || address == QHostAddress::AnyIPv6 || address == QHostAddress::Any) {
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) hostNames_.push_back(Lower(a.toString()));
    const std::string name = Lower(QHostInfo::localHostName());
    if (!name.empty()) {
      hostNames_.push_back(name);
      hostNames_.push_back(name + ".local");
    }
  } else {
    hostNames_.push_back(Lower(address.toString()));
    if (address.isLoopback()) {
      hostNames_.push_back("127.0.0.1");
      hostNames_.push_back("::1");
    }
  }
  connect(tcp_.get(), &QTcpServer::pendingConnectionAvailable, this, &RemoteServer::OnConnection);
  webSockets_ = std::make_unique<QWebSocketServer>(QStringLiteral("mirelune"), QWebSocketServer::NonSecureMode);
  webSockets_->setHandshakeTimeout(std::chrono::milliseconds(limits_.requestMs));
  connect(webSockets_.get(), &QWebSocketServer::newConnection, this, &RemoteServer::OnWebSocket);
  listener_ = backend_.events.Subscribe([this](const OwnerEvent& e) { Broadcast(e); });
  sweep_->start();
  return true;
}

void RemoteServer::Stop() {
  if (listener_) backend_.events.Unsubscribe(listener_);
  listener_ = 0;
  queue_.clear();
  retry_->stop();
  kick_->stop();
  flush_->stop();
  sweep_->stop();
  for (auto& s : subscribers_) {
    s->socket->disconnect(this);
    s->socket->abort();
    s->socket->deleteLater();
  }
  subscribers_.clear();
  for (auto& [id, c] : connections_)
    if (c->socket) {
      c->socket->disconnect(this);
      c->socket->abort();
      c->socket->deleteLater();
    }
  connections_.clear();
  for (auto& [key, h] : handovers_)
    if (h.socket) h.socket->abort();
  handovers_.clear();
  webSockets_.reset();
  tcp_.reset();
}

std::string RemoteServer::Url() const {
  std::string host = host_;
  const QHostAddress a(QString::fromStdString(host_));
  if (a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6 || a == QHostAddress::Any) {
    host = "127.0.0.1";
    // The phone needs an address of this machine on the room's network.
    for (const QHostAddress& local : QNetworkInterface::allAddresses())
      if (!local.isLoopback() && local.protocol() == QAbstractSocket::IPv4Protocol && !local.isLinkLocal()) {
        host = local.toString().toStdString();
        break;
      }
  } else if (a.protocol() == QAbstractSocket::IPv6Protocol) {
    host = "[" + host_ + "]";
  }
  return std::string(encrypted_ ? "https" : "http") + "://" + host + ":" + std::to_string(port_) + "/";
}

size_t RemoteServer::QueuedEvents(int index) const {
  return index >= 0 && static_cast<size_t>(index) < subscribers_.size() ? subscribers_[static_cast<size_t>(index)]->queue.size()
                                                                        : 0;
}

// ---- connections ----

bool RemoteServer::MakeRoom(const std::string& client) {
  using Test = bool (*)(const Connection&);
  const Test idle = [](const Connection& c) { return !c.queued && !c.closing && c.requestStart == 0; };
  const Test slow = [](const Connection& c) { return !c.queued && !c.closing && !c.haveHead && c.requestStart != 0; };
  // The connection to give up for a new one: the longest idle (of `client` when `own`), else
  // the longest still sending its head.
  const auto victim = [&](bool own) -> Connection* {
    Connection* best = nullptr;
    for (const Test pass : {idle, slow}) {
      for (auto& [id, c] : connections_) {
        if ((own && c->client != client) || !pass(*c)) continue;
        const int64_t t = c->requestStart ? c->requestStart : c->since;
        if (!best || t < (best->requestStart ? best->requestStart : best->since)) best = c.get();
      }
      if (best) return best;
    }
    return nullptr;
  };
  int mine = 0;
  for (auto& [id, c] : connections_) mine += c->client == client;
  for (auto& s : subscribers_) mine += s->client == client;
  if (mine >= limits_.maxPerAddress) {
    Connection* v = victim(true);
    if (!v) return false;
    Close(*v);
  }
  const int all = static_cast<int>(connections_.size() + subscribers_.size() + handovers_.size());
  if (all >= limits_.maxConnections) {
    Connection* v = victim(false);
    if (!v) return false;
    Close(*v);
  }
  return true;
}

void RemoteServer::OnConnection() {
  while (tcp_ && tcp_->hasPendingConnections()) {
    QTcpSocket* socket = tcp_->nextPendingConnection();
    if (!socket) break;
    socket->setParent(this);
    const std::string client = ClientOf(socket->peerAddress());
    if (!MakeRoom(client)) {
      const std::string body = ErrorBody("too many connections; try again later");
      socket->write(QByteArray::fromStdString("HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\n"
                                              "Retry-After: 5\r\nConnection: close\r\nContent-Length: " +
                                              std::to_string(body.size()) + "\r\n\r\n" + body));
      socket->disconnectFromHost();
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      QTimer::singleShot(kLingerMs, socket, [socket] { socket->abort(); });
      continue;
    }
    auto c = std::make_unique<Connection>();
    c->id = ++lastId_;
    c->socket = socket;
    c->client = client;
    c->since = now_();
    // An honest request fits whole; beyond it the client's writes wait in the system.
    socket->setReadBufferSize(static_cast<qint64>(kMaxHead + RemoteApi::kMaxBody + 4096));
    const uint64_t id = c->id;
    connect(socket, &QTcpSocket::readyRead, this, [this, id] { OnReadable(id); });
    connect(socket, &QTcpSocket::disconnected, this, [this, id] { Forget(id); });
    connections_[id] = std::move(c);
    trimmed_ = false;
    if (socket->bytesAvailable()) OnReadable(id);
  }
}

void RemoteServer::Forget(uint64_t id) {
  const auto it = connections_.find(id);
  if (it == connections_.end()) return;
  if (it->second->socket) {
    it->second->socket->disconnect(this);
    it->second->socket->deleteLater();
  }
  connections_.erase(it);
}

void RemoteServer::Close(Connection& c) {
  if (c.socket) {
    c.socket->disconnect(this);
    c.socket->abort();
  }
  Forget(c.id);
}

void RemoteServer::OnReadable(uint64_t id) {
  const auto it = connections_.find(id);
  if (it == connections_.end() || !it->second->socket) return;
  Connection& c = *it->second;
  if (c.closing) {
    c.socket->readAll();  // what a refused client still sends, dropped
    return;
  }
  if (c.queued) return;  // one request at a time; the next waits in the socket
  if (!c.haveHead) TakeHead(c);
  // TakeHead may have closed or handed over the connection.
  const auto again = connections_.find(id);
  if (again != connections_.end() && again->second->haveHead && !again->second->queued) TakeBody(*again->second);
}

void RemoteServer::TakeHead(Connection& c) {
  const qint64 available = c.socket->bytesAvailable();
  if (available <= 0) return;
  if (c.requestStart == 0) c.requestStart = now_();
  // Peeked, not read: a WebSocket's head must stay in the socket for the WebSocket server.
  const QByteArray bytes = c.socket->peek(std::min<qint64>(available, static_cast<qint64>(kMaxHead) + 4));
  const size_t end = HeadEnd(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (end == 0) {
    if (static_cast<size_t>(bytes.size()) > kMaxHead) Refuse(c, 431, "the request's head is longer than 16 KiB");
    return;
  }
  HttpHead head;
  int status = 400;
  std::string error;
  if (!ParseHttpHead(bytes.left(static_cast<qsizetype>(end)).toStdString(), RemoteApi::kMaxBody, head, status, error)) {
    Refuse(c, status, error);
    return;
  }
  const auto host = head.fields.find("host");
  if (host != head.fields.end() && !HostNamesServer(host->second, hostNames_, port_, encrypted_)) {
    Refuse(c, 421, "this server is not " + host->second + "; open " + Url());
    return;
  }
  c.head = head;
  if (head.upgrade) {
    Upgrade(c);
    return;
  }
  c.socket->skip(static_cast<qint64>(end));
  c.haveHead = true;
  const auto expect = head.fields.find("expect");
  if (expect != head.fields.end() && QString::fromStdString(expect->second).compare("100-continue", Qt::CaseInsensitive) == 0)
    c.socket->write(head.minor == 1 ? "HTTP/1.1 100 Continue\r\n\r\n" : "");
}

void RemoteServer::TakeBody(Connection& c) {
  if (c.socket->bytesAvailable() < static_cast<qint64>(c.head.contentLength)) return;
  RemoteRequest r = RequestOf(c, c.head);
  r.body = c.socket->read(static_cast<qint64>(c.head.contentLength)).toStdString();
  c.queued = true;
  queue_.push_back({c.id, std::move(r), c.head.keepAlive});
  // Worked from the event loop, never inside this socket's signal.
  if (!draining_ && !retry_->isActive()) kick_->start();
}

RemoteRequest RemoteServer::RequestOf(const Connection& c, const HttpHead& head) const {
  RemoteRequest out;
  out.method = head.method;
  out.path = QUrl::fromPercentEncoding(QByteArray::fromStdString(head.path)).toStdString();
  const QUrlQuery q(QString::fromStdString(head.query));
  for (const auto& [k, v] : q.queryItems(QUrl::FullyDecoded)) out.query[k.toStdString()] = v.toStdString();
  out.headers = head.fields;
  out.client = c.client;
  return out;
}

void RemoteServer::Drain() {
  // A request's own waits turn the event loop; what arrives meanwhile queues behind it.
  if (draining_) return;
  draining_ = true;
  while (!queue_.empty()) {
    if (!backend_.Ready()) {
      retry_->start();
      break;
    }
    Pending p = std::move(queue_.front());
    queue_.pop_front();
    // A client gone before its turn is not served: nothing of its request is applied.
    auto it = connections_.find(p.connection);
    if (it == connections_.end() || !it->second->socket) continue;
    const RemoteReply reply = api_->Handle(p.request);
    it = connections_.find(p.connection);
    if (it == connections_.end() || !it->second->socket) continue;  // gone while it ran
    Reply(*it->second, reply, p.keepAlive);
    // The events of this request go out before the next one is taken.
    if (!queue_.empty()) {
      kick_->start();
      break;
    }
  }
  draining_ = false;
}

void RemoteServer::Reply(Connection& c, const RemoteReply& reply, bool keepAlive) {
  QByteArray out;
  out += c.head.minor == 0 ? "HTTP/1.0 " : "HTTP/1.1 ";
  out += QByteArray::number(reply.status) + " " + HttpReason(reply.status) + "\r\n";
  auto header = [&out](const std::string& k, const std::string& v) {
    out += QByteArray::fromStdString(k) + ": " + QByteArray::fromStdString(v) + "\r\n";
  };
  header("Content-Type", reply.contentType);
  header("Content-Length", std::to_string(reply.body.size()));
  header("Cache-Control", "no-store");
  header("X-Content-Type-Options", "nosniff");
  header("Referrer-Policy", "no-referrer");
  // The page runs only its own files and talks only to this server.
  header("Content-Security-Policy",
         "default-src 'self'; connect-src 'self' ws: wss:; img-src 'self' data:; "
         "frame-ancestors 'none'; base-uri 'none'; form-action 'self'");
  for (const auto& [k, v] : reply.headers) header(k, v);
  header("Connection", keepAlive ? "keep-alive" : "close");
  out += "\r\n";
  out += QByteArray::fromStdString(reply.body);
  c.socket->write(out);
  // Out now, before the events this request caused are written to the pages.
  c.socket->flush();
  c.since = now_();
  c.requestStart = 0;
  c.haveHead = false;
  c.queued = false;
  if (!keepAlive) {
    c.closing = true;
    c.closingSince = c.since;
    QTcpSocket* s = c.socket;
    // Closed for writing once the reply is out; the client's own close (or kLingerMs) ends it.
    auto shut = [this, s] {
      if (s->bytesToWrite() > 0) return;
      if (encrypted_) {
        s->disconnectFromHost();
      } else {
        s->flush();
        ::shutdown(static_cast<int>(s->socketDescriptor()), SHUT_WR);
      }
    };
    connect(s, &QTcpSocket::bytesWritten, this, shut);
    s->flush();
    shut();
    return;
  }
  if (c.socket->bytesAvailable()) OnReadable(c.id);
}

void RemoteServer::Refuse(Connection& c, int status, const std::string& text) {
  RemoteReply r;
  r.status = status;
  r.body = ErrorBody(text);
  if (status == 503) r.headers.emplace_back("Retry-After", "5");
  if (status >= 400 && c.client.size()) Log(c.client + " refused: " + std::to_string(status) + " " + text);
  c.queued = false;
  Reply(c, r, false);
}

// ---- WebSockets ----

void RemoteServer::Upgrade(Connection& c) {
  const RemoteRequest r = RequestOf(c, c.head);
  const std::string host = r.headers.count("host") ? r.headers.at("host") : std::string();
  const std::string origin = r.headers.count("origin") ? r.headers.at("origin") : std::string();
  // A page of another site may not listen in: the origin, when a browser gives one, must be
  // this server's own.
  const bool originOk = origin.empty() || origin == "http://" + host || origin == "https://" + host;
  if (r.path != kEventsPath) {
    Refuse(c, 404, "no WebSocket at " + r.path);
    return;
  }
  if (!originOk) {
    Log("refused a WebSocket from " + c.client + " (origin " + origin + ")");
    Refuse(c, 403, "a page of another site may not listen");
    return;
  }
  const RemoteRole role = api_->Authorize(r);
  if (role == RemoteRole::None) {
    Log("refused a WebSocket from " + c.client + " (no valid token)");
    Refuse(c, 401, "a valid token is needed (POST /api/v1/session)");
    return;
  }
  QTcpSocket* socket = c.socket;
  socket->disconnect(this);
  handovers_[PeerKey(socket->peerAddress(), socket->peerPort())] = {socket, role, c.client, now_()};
  connections_.erase(c.id);
  // Its head is still unread in the socket: the WebSocket server answers it.
  webSockets_->handleConnection(socket);
}

void RemoteServer::OnWebSocket() {
  while (webSockets_ && webSockets_->hasPendingConnections()) {
    QWebSocket* socket = webSockets_->nextPendingConnection();
    if (!socket) break;
    const auto h = handovers_.find(PeerKey(socket->peerAddress(), socket->peerPort()));
    if (h == handovers_.end()) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    auto s = std::make_unique<Subscriber>();
    s->socket = socket;
    s->tcp = h->second.socket;
    s->role = h->second.role;
    s->client = h->second.client;
    handovers_.erase(h);
    socket->setParent(this);
    socket->setMaxAllowedIncomingMessageSize(kMaxMessage);
    socket->setMaxAllowedIncomingFrameSize(kMaxMessage);
    Subscriber* raw = s.get();
    connect(socket, &QWebSocket::disconnected, this, [this, raw] {
      raw->gone = true;
      flush_->start();
    });
    if (s->tcp) {
      // What the system holds unsent for a page is bounded too, not only what waits here.
      s->tcp->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 64 * 1024);
      connect(s->tcp, &QTcpSocket::bytesWritten, this, [this] { flush_->start(); });
    }
    s->queue.push_back(QString::fromStdString(api_->HelloMessage()));
    subscribers_.push_back(std::move(s));
    flush_->start();
  }
}

void RemoteServer::Broadcast(const OwnerEvent& event) {
  // One set of messages per role, queued for every page of that role; written by Flush once
  // the request that caused them has its reply.
  for (RemoteRole role : {RemoteRole::Staff, RemoteRole::Installer}) {
    bool any = false;
    for (const auto& s : subscribers_) any = any || (s->role == role && !s->closing && !s->gone);
    if (!any) continue;
    std::vector<QString> messages;
    size_t size = 0;
    for (const std::string& m : api_->EventMessages(event, role)) {
      messages.push_back(QString::fromStdString(m));
      size += m.size();
    }
    if (messages.empty()) continue;
    for (auto& s : subscribers_) {
      if (s->role != role || s->closing || s->gone) continue;
      if (s->queue.size() + messages.size() > limits_.maxQueuedEvents || s->bytes + size > limits_.maxQueuedBytes) {
        Lagging(*s);
        continue;
      }
      s->queue.insert(s->queue.end(), messages.begin(), messages.end());
      s->bytes += size;
    }
  }
  flush_->start();
}

void RemoteServer::Lagging(Subscriber& s) {
  Log("closed the WebSocket of " + s.client + ": it did not read its events (" + std::to_string(s.queue.size()) +
      " waiting)");
  s.queue.clear();
  s.bytes = 0;
  s.closing = true;
  s.closingSince = now_();
  s.socket->close(static_cast<QWebSocketProtocol::CloseCode>(kLaggingCloseCode),
                  QStringLiteral("too slow: events were dropped; read the state again"));
}

void RemoteServer::Flush() {
  for (auto it = subscribers_.begin(); it != subscribers_.end();) {
    if ((*it)->gone) {
      (*it)->socket->disconnect(this);
      (*it)->socket->deleteLater();
      it = subscribers_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& s : subscribers_) {
    if (s->closing) continue;
    // Fed while its socket sends: a page that does not read keeps only this much unsent.
    while (!s->queue.empty() && (!s->tcp || s->tcp->bytesToWrite() < limits_.socketBacklog)) {
      const QString m = std::move(s->queue.front());
      s->queue.pop_front();
      s->bytes -= std::min(s->bytes, static_cast<size_t>(m.size()));
      s->socket->sendTextMessage(m);
    }
  }
}

void RemoteServer::Sweep() {
  const int64_t now = now_();
  std::vector<uint64_t> ids;
  for (const auto& [id, c] : connections_) ids.push_back(id);
  for (uint64_t id : ids) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) continue;
    Connection& c = *it->second;
    if (!c.socket) {
      Forget(id);
    } else if (c.closing) {
      if (now - c.closingSince >= kLingerMs) Close(c);
    } else if (c.queued) {
      continue;
    } else if (c.requestStart != 0 && now - c.requestStart >= limits_.requestMs) {
      Refuse(c, 408, "the request was not complete within " + std::to_string(limits_.requestMs / 1000) + " s");
    } else if (c.requestStart == 0 && now - c.since >= limits_.idleMs) {
      Close(c);
    }
  }
  for (auto it = handovers_.begin(); it != handovers_.end();)
    it = !it->second.socket || now - it->second.since >= limits_.requestMs ? handovers_.erase(it) : std::next(it);
  for (auto& s : subscribers_)
    if (s->closing && !s->gone && now - s->closingSince >= limits_.closeGraceMs) s->socket->abort();
  if (connections_.empty() && subscribers_.empty() && handovers_.empty() && !trimmed_) {
    // The clients are gone: what their buffers took goes back to the system.
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    trimmed_ = true;
  }
}

}  // namespace mirelune
