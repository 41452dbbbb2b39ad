// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/local_owner_server.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>

namespace mirelune {

LocalOwnerServer::LocalOwnerServer(OwnerService& service, QObject* parent)
    : QObject(parent), service_(service) {
  retry_ = new QTimer(this);
  retry_->setSingleShot(true);
  retry_->setInterval(kRetryMs);
  connect(retry_, &QTimer::timeout, this, [this] { Drain(); });
  // Subscribers hear of every change the owner's amplifier acknowledged, whoever made it.
  listener_ = service_.backend().events.Subscribe([this](const OwnerEvent& e) {
    if (e.kind == OwnerEvent::Kind::Changed && !e.addresses.empty())
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
  if (server_) {
    server_->close();
    server_.reset();
  }
  path_.clear();
}

void LocalOwnerServer::OnConnection() {
  while (server_ && server_->hasPendingConnections()) {
    QLocalSocket* socket = server_->nextPendingConnection();
    socket->setParent(this);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    OnReadable(socket);
  }
}

void LocalOwnerServer::OnReadable(QLocalSocket* socket) {
  while (socket->canReadLine()) {
    const QByteArray line = socket->readLine().trimmed();
    if (!line.isEmpty()) queue_.push_back({socket, line.toStdString()});
  }
  if (socket->bytesAvailable() > kMaxLine) {
    socket->write("{\"ok\":false,\"error\":\"request too long\"}\n");
    socket->disconnectFromServer();
    return;
  }
  Drain();
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
    if (!p.socket) continue;
    bool subscribe = false;
    const std::string reply = service_.Handle(p.line, subscribe);
    if (!p.socket) continue;  // gone while the request ran
    p.socket->write(QByteArray::fromStdString(reply + "\n"));
    p.socket->flush();
    if (subscribe) subscribers_.push_back(p.socket);
  }
  draining_ = false;
}

void LocalOwnerServer::Publish(const std::string& eventLine) {
  subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                    [](const QPointer<QLocalSocket>& s) { return !s; }),
                     subscribers_.end());
  for (const QPointer<QLocalSocket>& s : subscribers_) {
    s->write(QByteArray::fromStdString(eventLine + "\n"));
    s->flush();
  }
}

}  // namespace mirelune
