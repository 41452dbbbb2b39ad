// SPDX-License-Identifier: GPL-3.0-or-later
// A room on the venue's broker: the MQTT face of the amplifier's owner (`mirelune-cli serve
// --mqtt`), beside its HTTP face.
//
// It carries commands to the same request layer the HTTP API uses (remote/remote_api.h): a set
// is the body of PUT /api/v1/params, checked whole against the ranges and the role before
// anything is applied, and applied as one change; a mode recall is POST /api/v1/modes/N/load.
// The role is the topic's - the staff's topics or the installer's, which the broker's access
// list keeps for the installer's credentials - and the request layer enforces it again, so a
// broker that lets a command through does not widen what staff may do. Whole-mode writes and
// reads go to RoomModeTransfers, for the installer only. Topics and messages: room_topics.h,
// room_messages.h.
//
// It publishes the room's state (retained) after every change whoever made it and once a minute
// (its "seen" time), each change as an event, its availability (retained, with the last will
// "offline"), and the home-automation discovery messages (ha_discovery.h).
//
// Bounds: kMaxWaiting commands wait (more are answered "busy", 429); commands over
// kMaxCommandBytes are dropped unread; kRememberedIds ids are remembered, so a command
// repeated within the last 1024 is answered again, not carried out again.
//
// Commands are taken one at a time and only while the owner is Ready (never inside another
// request's wait), in arrival order. UI thread only.
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "mqtt/mqtt_connection.h"
#include "mqtt/room_topics.h"
#include "owner/owner_service.h"
#include "remote/remote_access.h"

class QJsonObject;
class QTimer;

namespace mirelune {

class RemoteApi;
class RemoteAuth;
class Store;

// Whole-mode transfers on the room's amplifier (its owner implements them).
class RoomModeTransfers {
 public:
  struct Result {
    int status = 200;  // 200 done; 400 the table cannot be written; 503 the amplifier failed
    std::string error;
    int acknowledged = 0;  // groups the amplifier acknowledged, of
    int groups = 0;
  };
  virtual ~RoomModeTransfers() = default;
  // Writes `table` into stored mode `mode` (0..9).
  virtual Result WriteMode(int mode, const RecordTable& table, const std::string& by) = 0;
  // Reads stored mode `mode` back into `table` without recalling it (what a read-back covers:
  // ModeReadCovers).
  virtual Result ReadMode(int mode, RecordTable& table) = 0;
};

struct RoomSettings {
  std::string site, room;
  std::string discoveryPrefix = "homeassistant";  // empty: no discovery messages
  std::string language = "zh";                    // of the discovery names
  std::string version;                            // this program's, in the state
  std::string program = "mirelune-cli serve";
};

class RoomAgent : public QObject {
 public:
  static constexpr size_t kMaxWaiting = 64;
  static constexpr size_t kRememberedIds = 1024;
  static constexpr int kSeenRefreshMs = 60 * 1000;
  static constexpr int kRetryMs = 20;

  // The connection's client id and last will are set here from the room's names.
  RoomAgent(MqttOptions options, RoomSettings settings, OwnerBackend& backend, const Store& store,
            std::function<StaffList()> staff, RoomModeTransfers* modes, QObject* parent = nullptr);
  ~RoomAgent() override;

  // Begins connecting (false with `error` only for what retrying cannot cure).
  bool Start(std::string& error);
  // Says the room goes offline (availability and state) and leaves the broker.
  void Stop();
  bool Connected() const;
  const RoomTopics& topics() const { return topics_; }

  // Connection changes and every applied change (as the HTTP remote logs them).
  std::function<void(const std::string& line)> onLog;

 private:
  struct Waiting {
    RemoteRole role;
    RoomCommand command;
    std::string payload;
  };
  void OnConnected();
  void OnMessage(const std::string& topic, const std::string& payload, bool retained);
  void OnEvent(const OwnerEvent& event);
  void Drain();
  QJsonObject Execute(const Waiting& w, bool& answer, std::string& id);
  QJsonObject Carry(const std::string& method, const std::string& path, RemoteRole role, const std::string& body,
                    const std::string& client);
  void ScheduleState();
  void PublishState(bool online = true);
  void PublishDiscovery(const QJsonObject& params);
  void RefreshNames();
  void Log(const std::string& line);

  RoomSettings settings_;
  RoomTopics topics_;
  OwnerBackend& backend_;
  const Store& store_;
  std::function<StaffList()> staff_;
  RoomModeTransfers* modes_;
  std::unique_ptr<MqttConnection> connection_;
  std::unique_ptr<RemoteAuth> auth_;
  std::unique_ptr<RemoteApi> api_;
  int listener_ = 0;
  QTimer* drain_ = nullptr;
  QTimer* state_ = nullptr;
  QTimer* seen_ = nullptr;
  std::deque<Waiting> queue_;
  std::deque<std::string> doneOrder_;
  std::unordered_map<std::string, std::string> done_;  // id -> the reply given
  std::vector<std::string> names_;                      // the ten mode names, as last read
  bool namesStale_ = true;
  bool statePending_ = false;
  std::string lastDiscovery_;
  bool everConnected_ = false;
  bool lostLogged_ = false;
};

}  // namespace mirelune
