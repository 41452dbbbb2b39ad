// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/owner_client.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

namespace mirelune {

struct OwnerClient::Impl {
  QLocalSocket socket;
};

std::string LimitText(int ms) {
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  const std::string tenths = std::to_string((ms + 50) / 100);
  return (tenths.size() > 1 ? tenths.substr(0, tenths.size() - 1) : "0") + "." + tenths.back() + " s";
}

OwnerClient::~OwnerClient() { delete impl_; }

bool OwnerClient::Connect(const std::string& path, std::string& error, int limitMs) {
  path_ = path;
  QElapsedTimer clock;
  clock.start();
  bool told = false;
  while (true) {
    delete impl_;
    impl_ = new Impl;
    impl_->socket.connectToServer(QString::fromStdString(path));
    const int left = limitMs - static_cast<int>(clock.elapsed());
    if (impl_->socket.waitForConnected(std::max(1, std::min(left, kNoticeMs)))) return true;
    // A socket file without a listener, or none at all: the owner is gone, no use waiting.
    const QLocalSocket::LocalSocketError e = impl_->socket.error();
    if (e == QLocalSocket::ServerNotFoundError || e == QLocalSocket::ConnectionRefusedError ||
        e == QLocalSocket::SocketAccessError) {
      error = path + ": " + impl_->socket.errorString().toStdString();
      return false;
    }
    // Otherwise its queue of connections is full (many programs at once): try again.
    if (clock.elapsed() >= limitMs) {
      error = "the owner did not accept the connection within " + LimitText(limitMs);
      return false;
    }
    if (!told && clock.elapsed() >= kNoticeMs && onWaiting) onWaiting("to accept the connection");
    told = told || clock.elapsed() >= kNoticeMs;
    QThread::msleep(20);
  }
}

bool OwnerClient::Request(const std::string& request, std::string& reply, std::string& error,
                          int limitMs) {
  if (!impl_ || impl_->socket.state() != QLocalSocket::ConnectedState) {
    error = "not connected to the owner";
    return false;
  }
  QElapsedTimer clock;
  clock.start();
  impl_->socket.write(QByteArray::fromStdString(request + "\n"));
  if (!impl_->socket.waitForBytesWritten(limitMs) && impl_->socket.bytesToWrite() > 0) {
    error = path_ + ": the request could not be sent (" + impl_->socket.errorString().toStdString() + ")";
    return false;
  }
  bool told = false;
  while (!impl_->socket.canReadLine()) {
    const int elapsed = static_cast<int>(clock.elapsed());
    if (elapsed >= limitMs) {
      error = "the owner did not answer within " + LimitText(limitMs);
      return false;
    }
    if (!told && elapsed >= kNoticeMs) {
      told = true;
      if (onWaiting) onWaiting("to answer");
    }
    const int step = told ? limitMs - elapsed : std::min(limitMs, kNoticeMs) - elapsed;
    if (!impl_->socket.waitForReadyRead(std::max(1, step)) && !impl_->socket.canReadLine() &&
        impl_->socket.state() != QLocalSocket::ConnectedState) {
      error = "the owner closed the connection before answering";
      return false;
    }
  }
  reply = impl_->socket.readLine().trimmed().toStdString();
  return true;
}

}  // namespace mirelune
