// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/fleet_client.h"

#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <map>

#include "mqtt/room_messages.h"

namespace mirelune {

std::string NewCommandId() {
  static const char kHex[] = "0123456789abcdef";
  std::string id;
  for (int i = 0; i < 16; ++i) id += kHex[QRandomGenerator::system()->bounded(16)];
  return id;
}

FleetClient::FleetClient(MqttOptions options) {
  clientId_ = "mirelune-fleet-" + NewCommandId();
  options.clientId = clientId_;
  options.reconnect = false;
  options.willTopic.clear();
  connection_ = std::make_unique<MqttConnection>(std::move(options));
  connection_->onConnected = [this] {
    if (done_ && done_() && loop_) loop_->quit();
  };
  connection_->onDisconnected = [this](const std::string& why) {
    lost_ = why;
    if (loop_) loop_->quit();
  };
  connection_->onMessage = [this](const std::string& topic, const std::string& payload, bool retained) {
    if (route_) route_(topic, payload, retained);
    if (done_ && done_() && loop_) loop_->quit();
  };
}

FleetClient::~FleetClient() { Disconnect(); }

void FleetClient::Disconnect() {
  if (connection_) connection_->Stop();
}

bool FleetClient::Wait(int timeoutMs, const std::function<bool()>& done) {
  if (done()) return true;
  if (!lost_.empty()) return false;
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadline.start(timeoutMs);
  loop_ = &loop;
  done_ = done;
  loop.exec();
  loop_ = nullptr;
  done_ = nullptr;
  return done();
}

bool FleetClient::Connect(int timeoutMs, std::string& error) {
  if (!connection_->Start(error)) return false;
  if (Wait(timeoutMs, [this] { return connection_->Connected(); })) return true;
  error = !lost_.empty() ? lost_
                         : connection_->options().broker.Url() + ": the broker did not answer within " +
                               std::to_string(timeoutMs / 1000) + " s";
  return false;
}

bool FleetClient::Rooms(const RoomPattern& pattern, int timeoutMs, std::vector<FleetRoom>& rooms, std::string& error) {
  std::map<std::pair<std::string, std::string>, FleetRoom> found;
  std::map<std::pair<std::string, std::string>, std::string> availability;
  bool synced = false;
  const std::string sync = "mirelune-fleet/" + clientId_ + "/sync";
  route_ = [&](const std::string& topic, const std::string& payload, bool) {
    if (topic == sync) {
      synced = true;
      return;
    }
    std::string site, room, leaf;
    if (!SplitRoomTopic(topic, site, room, leaf) || !pattern.Matches(site, room)) return;
    // An empty retained message is a removed room.
    if (payload.empty()) return;
    FleetRoom& r = found[{site, room}];
    r.site = site;
    r.room = room;
    if (leaf == "availability") availability[{site, room}] = payload;
    if (leaf == "state") ParseJsonObject(payload, r.state);
  };
  // All at QoS 0: the broker holds back QoS 1 messages beyond a client's 20 in flight, and the
  // sync message would overtake them. At QoS 0 they leave in the order they were queued.
  connection_->Subscribe(pattern.Subscription("state"), 0);
  connection_->Subscribe(pattern.Subscription("availability"), 0);
  connection_->Subscribe(sync, 0);
  connection_->Publish(sync, "sync", 0, false);
  const bool ok = Wait(timeoutMs, [&] { return synced; });
  route_ = nullptr;
  if (!ok) {
    error = !lost_.empty() ? lost_ : "the broker did not deliver the rooms within " + std::to_string(timeoutMs / 1000) +
                                         " s (may this user read mirelune/# and write mirelune-fleet/#?)";
    return false;
  }
  rooms.clear();
  for (auto& [key, r] : found) {
    const auto a = availability.find(key);
    r.online = a != availability.end() ? a->second == "online" : r.state.value("online").toBool();
    rooms.push_back(std::move(r));
  }
  return true;
}

bool FleetClient::Send(const std::vector<FleetRoom>& rooms, RemoteRole role, RoomCommand command, QJsonObject body,
                       int timeoutMs, std::vector<Answer>& answers, std::string& error) {
  const std::string id = NewCommandId();
  body["id"] = QString::fromStdString(id);
  answers.assign(rooms.size(), Answer{});
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < rooms.size(); ++i) index[RoomTopics(rooms[i].site, rooms[i].room).Result(role, id)] = i;
  size_t left = rooms.size();
  route_ = [&](const std::string& topic, const std::string& payload, bool) {
    const auto at = index.find(topic);
    if (at == index.end() || answers[at->second].answered) return;
    answers[at->second].answered = true;
    ParseJsonObject(payload, answers[at->second].reply);
    --left;
  };
  // Subscribed before anything is sent: the broker takes a client's packets in order, so the
  // subscription stands before any room can answer. At QoS 0, so that hundreds of answers are
  // not held back behind the broker's limit of messages in flight to one client.
  std::string sites = "+";
  if (!rooms.empty() && std::all_of(rooms.begin(), rooms.end(), [&](const FleetRoom& r) { return r.site == rooms[0].site; }))
    sites = rooms[0].site;
  connection_->Subscribe(std::string(kTopicRoot) + "/" + sites + "/+/" +
                             (role == RemoteRole::Installer ? "installer/result/" : "result/") + id,
                         0);
  const std::string payload = JsonText(body);
  for (const FleetRoom& r : rooms) {
    if (!connection_->Publish(RoomTopics(r.site, r.room).Command(role, command), payload, 1, false)) {
      error = connection_->LastError();
      route_ = nullptr;
      return false;
    }
  }
  Wait(timeoutMs, [&] { return left == 0; });
  route_ = nullptr;
  if (!lost_.empty() && left > 0) {
    error = lost_;
    return false;
  }
  return true;
}

}  // namespace mirelune
