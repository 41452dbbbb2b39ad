// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/owner_client.h"

#include <QElapsedTimer>
#include <QLocalSocket>

namespace mirelune {

struct OwnerClient::Impl {
  QLocalSocket socket;
};

OwnerClient::~OwnerClient() { delete impl_; }

bool OwnerClient::Connect(const std::string& path, std::string& error) {
  delete impl_;
  impl_ = new Impl;
  path_ = path;
  impl_->socket.connectToServer(QString::fromStdString(path));
  if (!impl_->socket.waitForConnected(kConnectLimitMs)) {
    error = path + ": " + impl_->socket.errorString().toStdString();
    return false;
  }
  return true;
}

bool OwnerClient::Request(const std::string& request, std::string& reply, std::string& error,
                          int limitMs) {
  if (!impl_ || impl_->socket.state() != QLocalSocket::ConnectedState) {
    error = "not connected to the owner";
    return false;
  }
  impl_->socket.write(QByteArray::fromStdString(request + "\n"));
  if (!impl_->socket.waitForBytesWritten(kConnectLimitMs) && impl_->socket.bytesToWrite() > 0) {
    error = path_ + ": the request could not be sent (" + impl_->socket.errorString().toStdString() + ")";
    return false;
  }
  QElapsedTimer clock;
  clock.start();
  while (!impl_->socket.canReadLine()) {
    const int left = limitMs - static_cast<int>(clock.elapsed());
    if (left <= 0) {
      error = "the owner did not answer within " + std::to_string(limitMs / 1000) + " s";
      return false;
    }
    if (!impl_->socket.waitForReadyRead(left) && !impl_->socket.canReadLine()) {
      if (impl_->socket.state() != QLocalSocket::ConnectedState) {
        error = "the owner closed the connection before answering";
        return false;
      }
    }
  }
  reply = impl_->socket.readLine().trimmed().toStdString();
  return true;
}

}  // namespace mirelune
