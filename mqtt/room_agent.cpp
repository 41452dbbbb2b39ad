// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/room_agent.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

#include "model/store.h"
#include "mqtt/ha_discovery.h"
#include "mqtt/room_messages.h"
#include "remote/remote_api.h"
#include "remote/remote_auth.h"

namespace mirelune {

namespace {

constexpr int kMasterVolumes[] = {2560, 2561, 2562};

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Now() {
  return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
}

// The sender as the log names it: printable ASCII, at most 40 characters.
std::string Client(const QJsonObject& in) {
  std::string from;
  for (QChar c : in.value("from").toString().left(40))
    if (c.unicode() >= 0x20 && c.unicode() < 0x7F) from += static_cast<char>(c.unicode());
  return from.empty() ? std::string("mqtt") : "mqtt " + from;
}

QJsonObject Refusal(int status, const std::string& error) {
  QJsonObject o;
  o["ok"] = false;
  o["status"] = status;
  o["error"] = Q(error);
  return o;
}

}  // namespace

RoomAgent::RoomAgent(MqttOptions options, RoomSettings settings, OwnerBackend& backend, const Store& store,
                     std::function<StaffList()> staff, RoomModeTransfers* modes, QObject* parent)
    : QObject(parent),
      settings_(std::move(settings)),
      topics_(settings_.site, settings_.room),
      backend_(backend),
      store_(store),
      staff_(std::move(staff)),
      modes_(modes) {
  options.clientId = "mirelune:" + topics_.Label();
  options.willTopic = topics_.Availability();
  options.willPayload = "offline";
  options.willRetain = true;
  connection_ = std::make_unique<MqttConnection>(std::move(options), this);
  connection_->onConnected = [this] { OnConnected(); };
  connection_->onDisconnected = [this](const std::string& why) {
    // One line per outage, not one per attempt.
    if (lostLogged_) return;
    lostLogged_ = true;
    Log("MQTT: " + why + (everConnected_ ? "; connecting again" : "; trying again"));
  };
  connection_->onMessage = [this](const std::string& topic, const std::string& payload, bool retained) {
    OnMessage(topic, payload, retained);
  };
  // The bridge signs its own requests: one token per command, of the role its topic carries,
  // revoked when the command is done. Its clock is the wall clock, as the HTTP remote's.
  auth_ = std::make_unique<RemoteAuth>([] { return QDateTime::currentMSecsSinceEpoch(); });
  api_ = std::make_unique<RemoteApi>(backend_, store_, *auth_, staff_);
  api_->log = [this](const std::string& line) { Log(line); };
  drain_ = new QTimer(this);
  drain_->setSingleShot(true);
  connect(drain_, &QTimer::timeout, this, [this] { Drain(); });
  state_ = new QTimer(this);
  state_->setSingleShot(true);
  connect(state_, &QTimer::timeout, this, [this] { PublishState(); });
  seen_ = new QTimer(this);
  connect(seen_, &QTimer::timeout, this, [this] { ScheduleState(); });
}

RoomAgent::~RoomAgent() {
  if (listener_) backend_.events.Unsubscribe(listener_);
}

bool RoomAgent::Start(std::string& error) {
  for (RemoteRole role : {RemoteRole::Staff, RemoteRole::Installer})
    for (RoomCommand c : {RoomCommand::Set, RoomCommand::Mode, RoomCommand::WriteMode, RoomCommand::ReadMode})
      connection_->Subscribe(topics_.Command(role, c), 1);
  if (!connection_->Start(error)) return false;
  listener_ = backend_.events.Subscribe([this](const OwnerEvent& e) { OnEvent(e); });
  seen_->start(kSeenRefreshMs);
  return true;
}

bool RoomAgent::Connected() const { return connection_->Connected(); }

void RoomAgent::Stop() {
  seen_->stop();
  drain_->stop();
  state_->stop();
  if (listener_) backend_.events.Unsubscribe(listener_);
  listener_ = 0;
  if (connection_->Connected()) {
    PublishState(false);
    connection_->Publish(topics_.Availability(), "offline", 1, true);
  }
  connection_->Stop();
}

void RoomAgent::Log(const std::string& line) {
  if (onLog) onLog(line);
}

void RoomAgent::OnConnected() {
  Log(std::string("MQTT: ") + (everConnected_ ? "connected again to " : "connected to ") +
      connection_->options().broker.Url() + " as " + topics_.Label());
  everConnected_ = true;
  lostLogged_ = false;
  connection_->Publish(topics_.Availability(), "online", 1, true);
  // A broker that restarted without its retained messages gets everything again.
  lastDiscovery_.clear();
  ScheduleState();
}

void RoomAgent::OnMessage(const std::string& topic, const std::string& payload, bool retained) {
  RemoteRole role = RemoteRole::None;
  RoomCommand command = RoomCommand::Set;
  if (!topics_.ParseCommand(topic, role, command)) return;
  if (payload.size() > kMaxCommandBytes) {
    Log("MQTT: refused a command of " + std::to_string(payload.size()) + " bytes on " + topic + " (over " +
        std::to_string(kMaxCommandBytes / 1024) + " KiB)");
    return;
  }
  QJsonObject in;
  std::string id;
  if (ParseJsonObject(payload, in)) id = in.value("id").toString().toStdString();
  if (!ValidCommandId(id)) {
    // Without an id there is no topic to answer on.
    Log("MQTT: ignored a command on " + topic + " without a valid \"id\"");
    return;
  }
  if (retained) {
    // A retained command would be carried out again at every reconnection.
    QJsonObject r = Refusal(400, "a retained command is not carried out: publish commands without the retain flag");
    r["id"] = Q(id);
    connection_->Publish(topics_.Result(role, id), JsonText(r), 1, false);
    return;
  }
  if (queue_.size() >= kMaxWaiting) {
    QJsonObject r = Refusal(429, "busy: " + std::to_string(kMaxWaiting) + " commands are waiting; try again");
    r["id"] = Q(id);
    connection_->Publish(topics_.Result(role, id), JsonText(r), 1, false);
    return;
  }
  queue_.push_back({role, command, payload});
  if (!drain_->isActive()) drain_->start(0);
}

void RoomAgent::Drain() {
  while (!queue_.empty()) {
    if (!backend_.Ready()) {
      drain_->start(kRetryMs);
      return;
    }
    const Waiting w = std::move(queue_.front());
    queue_.pop_front();
    bool answer = true;
    std::string id;
    const QJsonObject reply = Execute(w, answer, id);
    if (answer) connection_->Publish(topics_.Result(w.role, id), JsonText(reply), 1, false);
    // A command may have run inside a wait of the owner: the next one starts from the event
    // loop, not from here.
    if (!queue_.empty()) {
      drain_->start(0);
      return;
    }
  }
  if (statePending_) ScheduleState();
}

QJsonObject RoomAgent::Carry(const std::string& method, const std::string& path, RemoteRole role,
                             const std::string& body, const std::string& client) {
  const std::string token = auth_->Issue(role);
  RemoteRequest request;
  request.method = method;
  request.path = path;
  request.body = body;
  request.client = client;
  request.headers["authorization"] = "Bearer " + token;
  const RemoteReply reply = api_->Handle(request);
  auth_->Revoke(token);
  QJsonObject out;
  ParseJsonObject(reply.body, out);
  out["ok"] = reply.status == 200;
  out["status"] = reply.status;
  return out;
}

QJsonObject RoomAgent::Execute(const Waiting& w, bool& answer, std::string& id) {
  QJsonObject in;
  ParseJsonObject(w.payload, in);  // checked on arrival
  id = in.value("id").toString().toStdString();
  answer = true;
  if (const auto done = done_.find(id); done != done_.end()) {
    QJsonObject again;
    ParseJsonObject(done->second, again);
    again["replayed"] = true;
    return again;
  }
  const std::string client = Client(in);
  QJsonObject reply;
  bool remember = true;
  switch (w.command) {
    case RoomCommand::Set:
      if (!in.value("params").isObject())
        reply = Refusal(400, "\"params\" must be an object of parameters and values, as PUT /api/v1/params takes");
      else
        reply = Carry("PUT", "/api/v1/params", w.role, JsonText(in.value("params").toObject()), client);
      break;
    case RoomCommand::Mode: {
      const int n = CommandMode(in.value("mode"));
      reply = n == 0 ? Refusal(400, "\"mode\" must be a stored mode, 1..10")
                     : Carry("POST", "/api/v1/modes/" + std::to_string(n) + "/load", w.role, "", client);
      break;
    }
    case RoomCommand::WriteMode:
    case RoomCommand::ReadMode: {
      remember = w.command == RoomCommand::WriteMode;
      const int n = CommandMode(in.value("mode"));
      if (w.role != RemoteRole::Installer) {
        reply = Refusal(403, std::string(CommandName(w.command)) + " is the installer's: publish it to " +
                                 topics_.Command(RemoteRole::Installer, w.command) + " with the installer's credentials");
      } else if (!modes_) {
        reply = Refusal(503, "this room cannot transfer whole modes");
      } else if (n == 0 || !in.value("mode").isDouble()) {
        reply = Refusal(400, "\"mode\" must be a stored mode, 1..10");
      } else if (w.command == RoomCommand::ReadMode) {
        RecordTable table;
        const RoomModeTransfers::Result r = modes_->ReadMode(n - 1, table);
        reply = r.status == 200 ? QJsonObject{{"ok", true}, {"status", 200}} : Refusal(r.status, r.error);
        if (r.status == 200) reply["sp_zlib"] = Q(PackTable(table));
      } else {
        RecordTable table;
        std::string error;
        const bool zipped = in.value("sp_zlib").isString();
        if (!zipped && !in.value("sp").isString()) {
          reply = Refusal(400, "give the mode's table as \"sp_zlib\" or \"sp\"");
        } else if (!UnpackTable(in.value(zipped ? "sp_zlib" : "sp").toString().toStdString(), zipped, table, error)) {
          reply = Refusal(400, error);
        } else {
          const RoomModeTransfers::Result r = modes_->WriteMode(n - 1, table, RemoteApi::By(w.role, client));
          reply = r.status == 200 ? QJsonObject{{"ok", true}, {"status", 200}} : Refusal(r.status, r.error);
          if (r.status != 200 && r.groups > 0) {
            reply["acknowledged"] = r.acknowledged;
            reply["groups"] = r.groups;
          }
          Log(Now() + " " + client + " " + RoleName(w.role) + " write-mode " + std::to_string(n) + " " +
              (r.status == 200 ? std::string("ok") : "FAILED: " + r.error));
          // The mode's name may be new.
          namesStale_ = true;
          ScheduleState();
        }
      }
      if (n > 0) reply["mode"] = n;
      break;
    }
  }
  reply["id"] = Q(id);
  if (remember) {
    done_[id] = JsonText(reply);
    doneOrder_.push_back(id);
    if (doneOrder_.size() > kRememberedIds) {
      done_.erase(doneOrder_.front());
      doneOrder_.pop_front();
    }
  }
  return reply;
}

void RoomAgent::OnEvent(const OwnerEvent& event) {
  if (connection_->Connected())
    for (RemoteRole role : {RemoteRole::Staff, RemoteRole::Installer})
      for (const std::string& m : api_->EventMessages(event, role))
        connection_->Publish(topics_.Event(role), m, 0, false);
  // A link that comes back may lead to another amplifier, with other mode names.
  if (event.kind == OwnerEvent::Kind::Link && event.online) namesStale_ = true;
  ScheduleState();
}

void RoomAgent::ScheduleState() {
  statePending_ = true;
  if (!state_->isActive()) state_->start(0);
}

void RoomAgent::RefreshNames() {
  const QJsonObject modes = Carry("GET", "/api/v1/modes", RemoteRole::Installer, "", "mqtt");
  if (!modes.value("ok").toBool()) return;
  names_.clear();
  for (const QJsonValue& m : modes.value("modes").toArray()) names_.push_back(m.toObject().value("name").toString().toStdString());
  namesStale_ = false;
}

void RoomAgent::PublishState(bool online) {
  if (!connection_->Connected()) return;  // published again on connecting
  if (online && (!backend_.Ready() || !queue_.empty())) {
    // After the commands waiting, and never inside another request's wait.
    statePending_ = true;
    state_->start(kRetryMs);
    return;
  }
  statePending_ = false;
  const bool linked = backend_.Facts().online;
  if (online && linked && namesStale_) RefreshNames();
  const QJsonObject device = Carry("GET", "/api/v1/device", RemoteRole::Staff, "", "mqtt");
  QJsonObject state;
  state["site"] = Q(settings_.site);
  state["room"] = Q(settings_.room);
  state["online"] = online;
  state["link"] = device.value("online").toBool();
  state["device"] = device.value("name");
  state["identifier"] = device.value("identifier");
  state["mode"] = device.value("mode");
  state["sound_mode"] = device.value("sound_mode");
  const int mode = device.value("mode").toInt(0);
  const bool named = mode >= 1 && mode <= static_cast<int>(names_.size());
  state["mode_name"] = named ? QJsonValue(Q(names_[static_cast<size_t>(mode - 1)])) : QJsonValue();
  state["mode_option"] = named ? QJsonValue(Q(ModeOption(mode, names_[static_cast<size_t>(mode - 1)]))) : QJsonValue();
  QJsonArray names;
  for (const std::string& n : names_) names.append(Q(n));
  state["modes"] = names;
  state["can_load_modes"] = device.value("can_load_modes");
  QJsonObject params;
  if (state["link"].toBool()) {
    const QJsonObject got = Carry("GET", "/api/v1/params", RemoteRole::Staff, "", "mqtt");
    for (const QJsonValue& v : got.value("params").toArray()) {
      QJsonObject p = v.toObject();
      // The level without the mute flag, for displays that show a volume as a number.
      if (p.value("value").isDouble()) {
        const qint64 value = p.value("value").toInteger();
        const qint64 mute = p.value("mute_offset").toInteger();
        const bool muted = mute > 0 && value >= mute;
        p["level"] = muted ? value - mute : value;
        p["muted"] = muted;
      }
      params[QString::number(p.value("address").toInt())] = p;
    }
  }
  state["params"] = params;
  state["seen"] = Q(Now());
  state["program"] = Q(settings_.program);
  state["version"] = Q(settings_.version);
  if (!connection_->Publish(topics_.State(), JsonText(state), 1, true)) {
    Log("MQTT: the state could not be published (" + connection_->LastError() + ")");
    return;
  }
  if (online) PublishDiscovery(params);
}

void RoomAgent::PublishDiscovery(const QJsonObject& params) {
  if (settings_.discoveryPrefix.empty()) return;
  DiscoveryRoom r;
  r.prefix = settings_.discoveryPrefix;
  r.site = settings_.site;
  r.room = settings_.room;
  r.language = settings_.language;
  r.identifier = backend_.Facts().identifier;
  r.version = settings_.version;
  for (int a : kMasterVolumes) {
    const QJsonObject p = params.value(QString::number(a)).toObject();
    if (!p.isEmpty()) r.volumes.push_back({a, p.value("min").toInteger(), p.value("max").toInteger()});
  }
  r.modes = MayLoadModes(RemoteRole::Staff, staff_());
  r.modeNames = names_;
  const auto messages = DiscoveryMessages(r);
  std::string all;
  for (const auto& [topic, payload] : messages) all += topic + "\n" + payload + "\n";
  // Unchanged discovery is not sent again; an offline amplifier's (no volumes known) is not
  // sent at all, so the hub keeps the entities it had.
  if (all == lastDiscovery_ || (r.volumes.empty() && !backend_.Facts().online)) return;
  std::vector<int> masters(std::begin(kMasterVolumes), std::end(kMasterVolumes));
  for (const std::string& topic : DiscoveryTopics(r, masters)) {
    bool offered = false;
    for (const auto& m : messages) offered = offered || m.first == topic;
    // An empty retained message removes an entity the room no longer offers.
    if (!offered && lastDiscovery_.empty()) connection_->Publish(topic, "", 1, true);
  }
  bool sent = true;
  for (const auto& [topic, payload] : messages) sent = connection_->Publish(topic, payload, 1, true) && sent;
  if (sent) lastDiscovery_ = all;
}

}  // namespace mirelune
