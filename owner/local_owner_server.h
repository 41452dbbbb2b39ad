// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's first transport: a local socket (a Unix domain socket with user-only rights in
// the runtime folder) carrying OwnerService's lines, one request at a time per connection.
//
// Requests are taken in arrival order. While the backend is not Ready (the owner is in the
// middle of a transfer or a send), they wait and are looked at again every kRetryMs; so a
// request never starts inside another one's wait. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "owner/owner_service.h"

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace mirelune {

class LocalOwnerServer : public QObject {
 public:
  static constexpr int kRetryMs = 20;
  // A connection may not send more than this without a newline.
  static constexpr int kMaxLine = 1 << 20;

  explicit LocalOwnerServer(OwnerService& service, QObject* parent = nullptr);
  ~LocalOwnerServer() override;

  // Listens at `path` (a stale socket file of a dead owner is removed first); false with
  // `error` naming the path.
  bool Listen(const std::string& path, std::string& error);
  void Close();
  std::string Path() const { return path_; }

  // Sends an event line to every connection that subscribed (every change the backend
  // publishes is sent so).
  void Publish(const std::string& eventLine);

 private:
  struct Pending {
    QPointer<QLocalSocket> socket;
    std::string line;
  };
  void OnConnection();
  void OnReadable(QLocalSocket* socket);
  void Drain();

  OwnerService& service_;
  std::unique_ptr<QLocalServer> server_;
  QTimer* retry_ = nullptr;
  std::string path_;
  std::deque<Pending> queue_;
  std::vector<QPointer<QLocalSocket>> subscribers_;
  bool draining_ = false;
  int listener_ = 0;
};

}  // namespace mirelune
