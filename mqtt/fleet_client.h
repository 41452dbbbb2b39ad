// SPDX-License-Identifier: GPL-3.0-or-later
// The fleet command's side of the broker: which rooms there are, and a command to many rooms
// with every room's answer. It talks only to the broker, never to a room's box.
//
// The rooms are what the broker retains: each room's state and availability (room_topics.h).
// Retained messages have no end marker, so after subscribing the client publishes one message
// to a topic of its own (mirelune-fleet/CLIENTID/sync) and waits for it: the broker sends a
// client's messages in order, so when it arrives every retained state was delivered (all of it
// at QoS 0: the broker would hold QoS 1 messages back beyond 20 in flight, and the QoS 0 sync
// message would overtake them).
//
// A command goes to every room at once, with one id (a room applies an id once, and the ids of
// different rooms do not meet), and the answers are collected until all rooms answered or the
// time is up. UI thread; runs its own event loop while waiting.
#pragma once

#include <QJsonObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mqtt/mqtt_connection.h"
#include "mqtt/room_topics.h"

class QEventLoop;

namespace mirelune {

struct FleetRoom {
  std::string site, room;
  bool online = false;  // its availability (the state's own word when there is none)
  QJsonObject state;    // empty when only the availability is known
  std::string Label() const { return site + "/" + room; }
};

class FleetClient {
 public:
  struct Answer {
    bool answered = false;
    QJsonObject reply;
  };

  explicit FleetClient(MqttOptions options);
  ~FleetClient();

  // Connects within timeoutMs; false with `error` (refused, unreachable, no answer).
  bool Connect(int timeoutMs, std::string& error);
  // The rooms matching `pattern`, sorted by site and room.
  bool Rooms(const RoomPattern& pattern, int timeoutMs, std::vector<FleetRoom>& rooms, std::string& error);
  // Sends `body` with a new "id" to `command` of every room as `role` and waits at most
  // timeoutMs for the answers; one Answer per room, in the order of `rooms`. False with `error`
  // when the connection failed (answers received until then are kept).
  bool Send(const std::vector<FleetRoom>& rooms, RemoteRole role, RoomCommand command, QJsonObject body,
            int timeoutMs, std::vector<Answer>& answers, std::string& error);
  void Disconnect();

  const std::string& ClientId() const { return clientId_; }

 private:
  bool Wait(int timeoutMs, const std::function<bool()>& done);

  std::string clientId_;
  std::unique_ptr<MqttConnection> connection_;
  std::function<void(const std::string&, const std::string&, bool)> route_;
  QEventLoop* loop_ = nullptr;
  std::function<bool()> done_;
  std::string lost_;
};

// A fresh command id (16 random hex digits).
std::string NewCommandId();

}  // namespace mirelune
