// SPDX-License-Identifier: GPL-3.0-or-later
// Folder remote/: the room remote: HTTP API, phone page and WebSocket over the owner's request
// layer; no Qt Gui. May include: owner/ and what lies under it.
//
// The room remote's server: HTTP/1.1 (and 1.0) on a TCP server of its own carrying RemoteApi's
// requests, and a WebSocket per page for the owner's events. Hosted by `mirelune-cli serve` and
// by the console (Device > Remote control); the host stays the amplifier's owner and its
// backend applies every change. UI thread only.
//
// Order. Requests wait while the backend is not Ready (the owner is inside a send or a read)
// and are taken in arrival order, one at a time, from a timer of the server's own - never
// inside a socket's signal, since a request's wait turns the event loop. A request's reply is
// written before the events it caused go out: events only queue while a request runs, and the
// queues are written from the event loop afterwards.
//
// Bounds (RemoteLimits), each with what the client is told:
//  - a request's head is read and judged before its body (http_head.h): a body larger than
//    RemoteApi::kMaxBody is answered 413 from the head, a conflicting or absurd Content-Length
//    400, and the connection closed; a head and body not complete within requestMs: 408;
//  - one request at a time per connection; what a client sends ahead waits in its socket;
//  - HTTP/1.1 keeps the connection for the next request (idleMs without one closes it),
//    "Connection: close" and HTTP/1.0 close it after the reply;
//  - maxConnections connections (HTTP and WebSockets) in all and maxPerAddress from one
//    address: a new connection beyond either takes the place of the longest idle one (of that
//    address first), so a flood of idle connections never keeps a new sign-in out; with none
//    idle it is answered 503 and closed;
//  - the Host field must name this server (an address it listens on, or this machine's name),
//    else 421: a page of another site reached through a rebound DNS name is not served;
//  - a WebSocket is refused before the upgrade, with its HTTP status (401 no valid token, 403
//    another site's page, 503 too many); its messages to the server are at most kMaxMessage;
//  - events wait per WebSocket in a queue of at most maxQueuedEvents / maxQueuedBytes, fed to
//    its socket while less than socketBacklog is unsent there. A page that falls behind (does
//    not read) has its queue dropped and is closed with code kLaggingCloseCode and a reason;
//    the page connects again and reads the state anew. Others are not held up by it.
// Deadlines are checked by Sweep, once a second, against the clock given (tests: their own).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "remote/http_head.h"
#include "remote/remote_access.h"
#include "remote/remote_api.h"
#include "remote/remote_auth.h"

class QTcpServer;
class QTcpSocket;
class QTimer;
class QWebSocket;
class QWebSocketServer;

namespace mirelune {

class Store;

struct RemoteListen {
  std::string host = "127.0.0.1";  // "0.0.0.0" (or "::") listens on every interface
  int port = 8808;                  // 0: any free port
  std::string certFile, keyFile;    // both or neither: HTTPS and WSS
};

struct RemoteLimits {
  int maxConnections = 256;
  int maxPerAddress = 128;
  int64_t requestMs = 15000;  // from a request's first byte to its last
  int64_t idleMs = 30000;     // a kept connection without a request
  size_t maxQueuedEvents = 512;
  size_t maxQueuedBytes = 512 * 1024;
  int64_t socketBacklog = 64 * 1024;
  int64_t closeGraceMs = 5000;  // a WebSocket told to go that does not is cut off
};

// "HOST:PORT", "HOST" or ":PORT" into `listen`; false with `error`.
bool ParseListen(const std::string& text, RemoteListen& listen, std::string& error);
// Whether `host` reaches only this machine.
bool IsLoopbackHost(const std::string& host);

class RemoteServer : public QObject {
 public:
  static constexpr int kRetryMs = 20;
  static constexpr int kMaxMessage = 4096;
  static constexpr int kLaggingCloseCode = 4000;

  // `nowMs` is the clock of the deadlines (monotonic milliseconds; the process's by default).
  RemoteServer(OwnerBackend& backend, const Store& store, std::function<StaffList()> staff,
               QObject* parent = nullptr, std::function<int64_t()> nowMs = nullptr);
  ~RemoteServer() override;

  // Listens; false with `error` (the address taken, a certificate that cannot be read).
  bool Start(const RemoteListen& listen, std::string& error);
  void Stop();
  bool Running() const;

  // "http://192.168.1.20:8808/" - for a server on every interface, the first LAN address.
  std::string Url() const;
  std::string PairingLink() const { return Url() + "#pair=" + auth_->PairingCode(); }
  const std::string& Pin() const { return auth_->Pin(); }
  void NewPairingCode() { auth_->NewPairingCode(); }
  bool Encrypted() const { return encrypted_; }
  // Pages listening to the events.
  int Clients() const { return static_cast<int>(subscribers_.size()); }
  int Port() const { return port_; }

  RemoteApi& api() { return *api_; }
  RemoteAuth& auth() { return *auth_; }
  RemoteLimits& limits() { return limits_; }

  // One line per applied change and per wrong secret (RemoteApi's log), per refused or closed
  // connection.
  std::function<void(const std::string& line)> onLog;
  // The PIN was replaced after too many wrong secrets: show the new one.
  std::function<void()> onPinChanged;

  // Closes what ran past its deadline (the server calls it once a second).
  void Sweep();
  // For tests: HTTP connections open, events waiting for the WebSocket of `index`.
  int Connections() const { return static_cast<int>(connections_.size()); }
  size_t QueuedEvents(int index) const;

 private:
  struct Connection;
  struct Subscriber;
  struct Pending {
    uint64_t connection;
    RemoteRequest request;
    bool keepAlive;
  };
  void OnConnection();
  void OnReadable(uint64_t id);
  void TakeHead(Connection& c);
  void TakeBody(Connection& c);
  void Upgrade(Connection& c);
  void Drain();
  void Reply(Connection& c, const RemoteReply& reply, bool keepAlive);
  void Refuse(Connection& c, int status, const std::string& text);
  void Close(Connection& c);
  void Forget(uint64_t id);
  bool MakeRoom(const std::string& client);
  RemoteRequest RequestOf(const Connection& c, const HttpHead& head) const;
  void OnWebSocket();
  void Broadcast(const OwnerEvent& event);
  void Flush();
  void Lagging(Subscriber& s);
  void Log(const std::string& line);

  OwnerBackend& backend_;
  std::function<int64_t()> now_;
  RemoteLimits limits_;
  std::unique_ptr<RemoteAuth> auth_;
  std::unique_ptr<RemoteApi> api_;
  std::unique_ptr<QTcpServer> tcp_;
  std::unique_ptr<QWebSocketServer> webSockets_;
  QTimer* retry_ = nullptr;
  QTimer* kick_ = nullptr;
  QTimer* flush_ = nullptr;
  QTimer* sweep_ = nullptr;
  std::deque<Pending> queue_;
  bool draining_ = false;
  std::map<uint64_t, std::unique_ptr<Connection>> connections_;
  uint64_t lastId_ = 0;
  // WebSockets handed to the WebSocket server, by peer, until their handshake is done.
  struct Handover {
    QPointer<QTcpSocket> socket;
    RemoteRole role;
    std::string client;
    int64_t since;
  };
  std::map<std::string, Handover> handovers_;
  std::vector<std::unique_ptr<Subscriber>> subscribers_;
  int listener_ = 0;
  std::string host_;
  std::vector<std::string> hostNames_;  // what the Host field may name
  int port_ = 0;
  bool encrypted_ = false;
  bool trimmed_ = true;
};

}  // namespace mirelune
