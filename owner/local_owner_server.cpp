// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/local_owner_server.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>

namespace mirelune {

namespace {

bool Connected(const QPointer<QLocalSocket>& s) { return s && s->state() == QLocalSocket::ConnectedState; }

}  // namespace

LocalOwnerServer::LocalOwnerServer(OwnerService& service, QObject* parent)
    : QObject(parent), service_(service) {
  retry_ = new QTimer(this);
  retry_->setSingleShot(true);
  retry_->setInterval(kRetryMs);
  connect(retry_, &QTimer::timeout, this, [this] { Drain(); });
  kick_ = new QTimer(this);
  kick_->setSingleShot(true);
  kick_->setInterval(0);
  connect(kick_, &QTimer::timeout, this, [this] { Drain(); });
  // Subscribers hear of every change the owner's amplifier acknowledged, whoever made it.
  listener_ = service_.backend().events.Subscribe([this](const OwnerEvent& e) {
    // Every acknowledged move of a drag comes here: its line is made only for someone to read.
    if (e.kind == OwnerEvent::Kind::Changed && !e.addresses.empty() && !subscribers_.empty())
      Publish(OwnerService::ChangeEvent(e.addresses, e.by));
  });
}

LocalOwnerServer::~LocalOwnerServer() {
  service_.backend().events.Unsubscribe(listener_);
  Close();
}

bool LocalOwnerServer::Listen(const std::string& path, std::string& error) {
  Close();
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->setListenBacklogSize(kBacklog);
  server_->setMaxPendingConnections(kBacklog);
  const QString name = QString::fromStdString(path);
  // Only this process holds the amplifier's lock, so a socket file there is a dead owner's.
  QLocalServer::removeServer(name);
  if (!server_->listen(name)) {
    error = path + ": cannot listen (" + server_->errorString().toStdString() + ")";
    server_.reset();
    return false;
  }
  path_ = path;
  connect(server_.get(), &QLocalServer::newConnection, this, [this] { OnConnection(); });
  return true;
}

void LocalOwnerServer::Close() {
  queue_.clear();
  subscribers_.clear();
  retry_->stop();
  kick_->stop();
  for (QLocalSocket* s : findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly)) {
    s->disconnect(this);
    s->abort();
    s->deleteLater();
  }
  if (server_) {
    server_->close();
    server_.reset();
  }
  path_.clear();
}

size_t LocalOwnerServer::Connections() const {
  size_t n = 0;
  for (QLocalSocket* s : findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly))
    n += s->state() == QLocalSocket::ConnectedState ? 1 : 0;
  return n;
}

size_t LocalOwnerServer::Subscribers() const {
  return static_cast<size_t>(std::count_if(subscribers_.begin(), subscribers_.end(), Connected));
}

void LocalOwnerServer::OnConnection() {
  while (server_ && server_->hasPendingConnections()) {
    QLocalSocket* socket = server_->nextPendingConnection();
    socket->setParent(this);
    // What a connection may have buffered here: one whole line. Beyond it the system's buffer
    // fills and the client's writes wait.
    socket->setReadBufferSize(kMaxLine);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
    // Deleted from the event loop; Drain and Publish hold it by QPointer.
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    OnReadable(socket);
  }
}

size_t LocalOwnerServer::QueuedFor(const QLocalSocket* socket) const {
  return static_cast<size_t>(
      std::count_if(queue_.begin(), queue_.end(), [socket](const Pending& p) { return p.socket == socket; }));
}

void LocalOwnerServer::OnReadable(QLocalSocket* socket) {
  size_t queued = QueuedFor(socket);
  while (queued < kMaxQueuedPerConnection && socket->canReadLine()) {
    const QByteArray line = socket->readLine().trimmed();
    if (line.isEmpty()) continue;
    queue_.push_back({socket, line.toStdString()});
    ++queued;
  }
  if (!socket->canReadLine() && socket->bytesAvailable() >= kMaxLine) {
    socket->write("{\"ok\":false,\"error\":\"request too long\"}\n");
    socket->disconnectFromServer();
    return;
  }
  // Looked at from the event loop, never from inside this socket's signal (see the header).
  if (!queue_.empty() && !draining_ && !retry_->isActive()) kick_->start();
}

void LocalOwnerServer::Drain() {
  // A request's own waits turn the event loop; what arrives meanwhile queues behind it.
  if (draining_) return;
  draining_ = true;
  while (!queue_.empty()) {
    if (!service_.Ready()) {
      retry_->start();
      break;
    }
    Pending p = std::move(queue_.front());
    queue_.pop_front();
    // A client that went away before its turn told its user it got no answer: its request
    // is not applied behind its back.
    if (!Connected(p.socket)) continue;
    bool subscribe = false;
    const std::string reply = service_.Handle(p.line, subscribe);
    if (!Connected(p.socket)) continue;  // gone while the request ran
    p.socket->write(QByteArray::fromStdString(reply + "\n"));
    p.socket->flush();
    if (subscribe) subscribers_.push_back(p.socket);
    // Lines this connection sent beyond its share of the queue come in now.
    if (p.socket->canReadLine()) OnReadable(p.socket);
  }
  draining_ = false;
}

void LocalOwnerServer::Publish(const std::string& eventLine) {
  subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                    [](const QPointer<QLocalSocket>& s) { return !Connected(s); }),
                     subscribers_.end());
  const QByteArray line = QByteArray::fromStdString(eventLine + "\n");
  for (QPointer<QLocalSocket>& s : subscribers_) {
    // A subscriber that does not read would hold the owner's memory without end: it is let go
    // and may subscribe again.
    if (s->bytesToWrite() + line.size() > kMaxEventBacklog) {
      s->abort();
      s = nullptr;
      continue;
    }
    s->write(line);
  }
}

}  // namespace mirelune
