// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/remote_server.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkInterface>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>

#include "model/store.h"

namespace mirelune {

namespace {

const char* MethodName(QHttpServerRequest::Method m) {
  switch (m) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Options: return "OPTIONS";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    default: return "OTHER";
  }
}

std::string ClientOf(const QHostAddress& a) {
  // An IPv4 peer on a dual-stack socket reads as ::ffff:a.b.c.d; the log and the lock-out
  // name it once.
  bool ok = false;
  const quint32 v4 = a.toIPv4Address(&ok);
  return ok ? QHostAddress(v4).toString().toStdString() : a.toString().toStdString();
}

RemoteRequest ToRemote(const QHttpServerRequest& r) {
  RemoteRequest out;
  out.method = MethodName(r.method());
  out.path = r.url().path().toStdString();
  const QUrlQuery q(r.url());
  for (const auto& [k, v] : q.queryItems(QUrl::FullyDecoded)) out.query[k.toStdString()] = v.toStdString();
  for (const auto& [k, v] : r.headers()) out.headers[k.toLower().toStdString()] = v.toStdString();
  out.body = r.body().toStdString();
  out.client = ClientOf(r.remoteAddress());
  return out;
}

bool LoadAsset(const std::string& name, std::string& bytes) {
  QFile f(":/remote/" + QString::fromStdString(name));
  if (!f.open(QIODevice::ReadOnly)) return false;
  bytes = f.readAll().toStdString();
  return true;
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

// Qt's HTTP server handing every request to the remote.
class RemoteServer::Http : public QAbstractHttpServer {
 public:
  explicit Http(RemoteServer& owner) : owner_(owner) {}

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    // A WebSocket upgrade is taken without an answer: Qt then hands the connection to
    // OnWebSocket, which decides on it.
    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0) return true;
    owner_.Take(ToRemote(request), std::make_unique<QHttpServerResponder>(makeResponder(request, socket)));
    return true;
  }
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
  }

 private:
  RemoteServer& owner_;
};

struct RemoteServer::Pending {
  RemoteRequest request;
  std::unique_ptr<QHttpServerResponder> responder;
};

RemoteServer::RemoteServer(OwnerBackend& backend, const Store& store, std::function<StaffList()> staff,
                           QObject* parent)
    : QObject(parent), backend_(backend) {
  auth_ = std::make_unique<RemoteAuth>([] { return QDateTime::currentMSecsSinceEpoch(); });
  api_ = std::make_unique<RemoteApi>(backend, store, *auth_, std::move(staff));
  api_->loadAsset = LoadAsset;
  api_->log = [this](const std::string& line) {
    if (onLog) onLog(line);
  };
  retry_ = new QTimer(this);
  retry_->setSingleShot(true);
  retry_->setInterval(kRetryMs);
  connect(retry_, &QTimer::timeout, this, [this] { Drain(); });
}

RemoteServer::~RemoteServer() { Stop(); }

bool RemoteServer::Running() const { return http_ != nullptr; }

bool RemoteServer::Start(const RemoteListen& listen, std::string& error) {
  Stop();
  auto http = std::make_unique<Http>(*this);
  encrypted_ = false;
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
    const QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);
    QSslKey ecKey;
    if (key.isNull()) {
      keyFile.seek(0);
      ecKey = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
    }
    if (cert.isNull()) {
      error = listen.certFile + ": not a PEM certificate";
      return false;
    }
    if (key.isNull() && ecKey.isNull()) {
      error = listen.keyFile + ": not a PEM RSA or EC private key (without a pass phrase)";
      return false;
    }
    http->sslSetup(cert, key.isNull() ? ecKey : key);
    encrypted_ = true;
  }
  QHostAddress address;
  if (listen.host == "localhost")
    address = QHostAddress::LocalHost;
  else
    address = QHostAddress(QString::fromStdString(listen.host));
  const quint16 port = http->listen(address, static_cast<quint16>(listen.port));
  if (port == 0) {
    error = listen.host + ":" + std::to_string(listen.port) + ": cannot listen (the port is taken, or the address is not this machine's)";
    return false;
  }
  http_ = std::move(http);
  host_ = listen.host;
  port_ = port;
  connect(http_.get(), &QAbstractHttpServer::newWebSocketConnection, this, [this] { OnWebSocket(); });
  listener_ = backend_.events.Subscribe([this](const OwnerEvent& e) { Broadcast(e); });
  return true;
}

void RemoteServer::Stop() {
  if (listener_) backend_.events.Unsubscribe(listener_);
  listener_ = 0;
  queue_.clear();
  for (Client& c : sockets_) {
    c.socket->disconnect(this);
    c.socket->close();
    c.socket->deleteLater();
  }
  sockets_.clear();
  http_.reset();
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

void RemoteServer::Take(RemoteRequest request, std::unique_ptr<QHttpServerResponder> responder) {
  auto p = std::make_unique<Pending>();
  p->request = std::move(request);
  p->responder = std::move(responder);
  queue_.push_back(std::move(p));
  Drain();
}

void RemoteServer::Drain() {
  while (!queue_.empty()) {
    if (!backend_.Ready()) {
      retry_->start();
      return;
    }
    std::unique_ptr<Pending> p = std::move(queue_.front());
    queue_.pop_front();
    const RemoteReply reply = api_->Handle(p->request);
    QHttpServerResponder& out = *p->responder;
    out.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
    out.writeHeader("Content-Type", QByteArray::fromStdString(reply.contentType));
    out.writeHeader("Content-Length", QByteArray::number(static_cast<qsizetype>(reply.body.size())));
    out.writeHeader("Cache-Control", "no-store");
    out.writeHeader("X-Content-Type-Options", "nosniff");
    out.writeHeader("Referrer-Policy", "no-referrer");
    // The page runs only its own files and talks only to this server.
    out.writeHeader("Content-Security-Policy",
                    "default-src 'self'; connect-src 'self' ws: wss:; img-src 'self' data:; "
                    "frame-ancestors 'none'; base-uri 'none'; form-action 'self'");
    for (const auto& [k, v] : reply.headers) out.writeHeader(QByteArray::fromStdString(k), QByteArray::fromStdString(v));
    out.writeBody(QByteArray::fromStdString(reply.body));
    // A request may have been handled inside a wait of the owner (the console's nested loop):
    // the next one is looked at from the event loop, not from here.
    if (!queue_.empty()) {
      retry_->start(0);
      return;
    }
  }
}

void RemoteServer::OnWebSocket() {
  while (http_ && http_->hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> owned = http_->nextPendingWebSocketConnection();
    QWebSocket* socket = owned.release();
    socket->setParent(this);
    RemoteRequest r;
    r.method = "GET";
    r.path = socket->requestUrl().path().toStdString();
    const QUrlQuery q(socket->requestUrl());
    for (const auto& [k, v] : q.queryItems(QUrl::FullyDecoded)) r.query[k.toStdString()] = v.toStdString();
    const QNetworkRequest nr = socket->request();
    for (const QByteArray& h : nr.rawHeaderList()) r.headers[h.toLower().toStdString()] = nr.rawHeader(h).toStdString();
    r.client = ClientOf(socket->peerAddress());
    // A page of another site may not listen in: the origin, when a browser gives one, must be
    // this server's own.
    const std::string origin = socket->origin().toStdString();
    const std::string host = r.headers.count("host") ? r.headers["host"] : std::string();
    const bool originOk = origin.empty() || origin == "http://" + host || origin == "https://" + host;
    const RemoteRole role = r.path == "/api/v1/events" ? api_->Authorize(r) : RemoteRole::None;
    if (!originOk || role == RemoteRole::None) {
      if (onLog)
        onLog("refused a WebSocket from " + r.client + (originOk ? " (no valid token)" : " (origin " + origin + ")"));
      socket->close(QWebSocketProtocol::CloseCodePolicyViolated, originOk ? "unauthorised" : "origin");
      socket->deleteLater();
      continue;
    }
    socket->setMaxAllowedIncomingMessageSize(kMaxMessage);
    socket->setMaxAllowedIncomingFrameSize(kMaxMessage);
    sockets_.push_back({socket, role});
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
      sockets_.erase(std::remove_if(sockets_.begin(), sockets_.end(), [socket](const Client& c) { return c.socket == socket; }),
                     sockets_.end());
      socket->deleteLater();
    });
    socket->sendTextMessage(QString::fromStdString(api_->HelloMessage()));
  }
}

void RemoteServer::Broadcast(const OwnerEvent& event) {
  // One set of messages per role, sent to every page of that role.
  for (RemoteRole role : {RemoteRole::Staff, RemoteRole::Installer}) {
    bool any = false;
    for (const Client& c : sockets_) any = any || c.role == role;
    if (!any) continue;
    const std::vector<std::string> messages = api_->EventMessages(event, role);
    for (const Client& c : sockets_)
      if (c.role == role)
        for (const std::string& m : messages) c.socket->sendTextMessage(QString::fromStdString(m));
  }
}

}  // namespace mirelune
