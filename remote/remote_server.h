// SPDX-License-Identifier: GPL-3.0-or-later
// Folder remote/: the room remote: HTTP API, phone page and WebSocket over the owner's request
// layer; no Qt Gui. May include: owner/ and what lies under it.
//
// The room remote's server: Qt's HTTP server carrying RemoteApi's requests and a WebSocket per
// page for the owner's events. Hosted by `mirelune-cli serve` and by the console (Device >
// Remote control); the host stays the amplifier's owner and its backend applies every change.
//
// Requests wait while the backend is not Ready (the owner is inside a send or a read) and are
// taken in arrival order, so a request never starts inside another one's wait. UI thread only.
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "remote/remote_access.h"
#include "remote/remote_api.h"
#include "remote/remote_auth.h"

class QAbstractHttpServer;
class QHttpServerResponder;
class QTimer;
class QWebSocket;

namespace mirelune {

class Store;

struct RemoteListen {
  std::string host = "127.0.0.1";  // "0.0.0.0" (or "::") listens on every interface
  int port = 8808;                  // 0: any free port
  std::string certFile, keyFile;    // both or neither: HTTPS and WSS
};

// "HOST:PORT", "HOST" or ":PORT" into `listen`; false with `error`.
bool ParseListen(const std::string& text, RemoteListen& listen, std::string& error);
// Whether `host` reaches only this machine.
bool IsLoopbackHost(const std::string& host);

class RemoteServer : public QObject {
 public:
  static constexpr int kRetryMs = 20;
  static constexpr int kMaxMessage = 4096;

  RemoteServer(OwnerBackend& backend, const Store& store, std::function<StaffList()> staff,
               QObject* parent = nullptr);
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
  int Clients() const { return static_cast<int>(sockets_.size()); }
  int Port() const { return port_; }

  RemoteApi& api() { return *api_; }
  RemoteAuth& auth() { return *auth_; }

  // One line per applied change (RemoteApi's log), and per refused WebSocket.
  std::function<void(const std::string& line)> onLog;

 private:
  class Http;
  struct Pending;
  void Take(RemoteRequest request, std::unique_ptr<QHttpServerResponder> responder);
  void Drain();
  void OnWebSocket();
  void Broadcast(const OwnerEvent& event);

  OwnerBackend& backend_;
  std::unique_ptr<RemoteAuth> auth_;
  std::unique_ptr<RemoteApi> api_;
  std::unique_ptr<Http> http_;
  QTimer* retry_ = nullptr;
  std::deque<std::unique_ptr<Pending>> queue_;
  struct Client {
    QWebSocket* socket;
    RemoteRole role;
  };
  std::vector<Client> sockets_;
  int listener_ = 0;
  std::string host_;
  int port_ = 0;
  bool encrypted_ = false;
};

}  // namespace mirelune
