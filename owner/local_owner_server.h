// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's first transport: a local socket (a Unix domain socket with user-only rights in
// the runtime folder) carrying OwnerService's lines.
//
// Requests of every connection queue in arrival order and are answered in that order, one at a
// time: a request that changes the meaning of the ones behind it (the sound mode, the reverb
// mode and its preset) has been applied, and its reply sent, before the next one is looked at.
// While the backend is not Ready (the owner is in the middle of a transfer or a send) the queue
// waits and is looked at again every kRetryMs, so a request never starts inside another one's
// wait.
//
// Requests are never handled inside a socket's own signal: a request's wait turns the event
// loop, and a client that goes away meanwhile has its socket deleted there; the socket whose
// signal was being delivered would then be used after its deletion on the way back. The queue
// is therefore worked from a timer of its own, and every socket is held by a QPointer.
//
// Bounds: a line of at most kMaxLine bytes; at most kMaxQueuedPerConnection requests of one
// connection waiting (further lines stay unread in the socket, which stops the client's writes);
// a subscriber that lets more than kMaxEventBacklog bytes of events pile up unread is dropped
// (it may subscribe again and read what it missed). UI thread only.
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
  static constexpr size_t kMaxQueuedPerConnection = 16;
  static constexpr qint64 kMaxEventBacklog = 1 << 20;
  // Connections the system keeps waiting for their accept while the owner is busy: many
  // programs started at once (a script's parallel sets) must not be refused at the door.
  static constexpr int kBacklog = 1024;

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

  // For tests: requests waiting, connections open, subscribers.
  size_t Queued() const { return queue_.size(); }
  size_t Connections() const;
  size_t Subscribers() const;

 private:
  struct Pending {
    QPointer<QLocalSocket> socket;
    std::string line;
  };
  void OnConnection();
  void OnReadable(QLocalSocket* socket);
  void Drain();
  size_t QueuedFor(const QLocalSocket* socket) const;

  OwnerService& service_;
  std::unique_ptr<QLocalServer> server_;
  QTimer* retry_ = nullptr;
  QTimer* kick_ = nullptr;
  std::string path_;
  std::deque<Pending> queue_;
  std::vector<QPointer<QLocalSocket>> subscribers_;
  bool draining_ = false;
  int listener_ = 0;
};

}  // namespace mirelune
