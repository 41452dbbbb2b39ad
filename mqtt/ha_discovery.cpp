// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/ha_discovery.h"

#include <QJsonArray>
#include <QJsonObject>

#include "model/param_names.h"
#include "mqtt/room_messages.h"

namespace mirelune {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Pick(const std::string& language, const std::string& zh, const std::string& en) {
  return language == "en" ? en : zh;
}

// The hub renders these with its own clock; the room refuses a command without an id.
constexpr char kIdTemplate[] = "ha-{{ now().timestamp() }}";

std::string ConfigTopic(const DiscoveryRoom& r, const char* component, const std::string& object) {
  return r.prefix + "/" + component + "/" + DiscoveryNodeId(r.site, r.room) + "/" + object + "/config";
}

QJsonObject Common(const DiscoveryRoom& r, const RoomTopics& topics, const std::string& object, const std::string& name) {
  const std::string node = DiscoveryNodeId(r.site, r.room);
  QJsonObject device;
  device["identifiers"] = QJsonArray{Q(node)};
  device["name"] = Q(r.site + "/" + r.room);
  device["manufacturer"] = "Mirelune";
  device["model"] = Q(r.identifier.empty() ? std::string("DSP amplifier") : r.identifier);
  if (!r.version.empty()) device["sw_version"] = Q(r.version);
  QJsonObject o;
  o["name"] = Q(name);
  o["unique_id"] = Q(node + "_" + object);
  o["object_id"] = Q(node + "_" + object);
  o["state_topic"] = Q(topics.State());
  o["availability_topic"] = Q(topics.Availability());
  o["payload_available"] = "online";
  o["payload_not_available"] = "offline";
  o["device"] = device;
  return o;
}

}  // namespace

std::string DiscoveryNodeId(const std::string& site, const std::string& room) {
  static const char kHex[] = "0123456789abcdef";
  auto escape = [](const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-') {
        out += static_cast<char>(c);
      } else {
        out += '_';
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
    }
    return out;
  };
  return "mirelune_" + escape(site) + "_" + escape(room);
}

std::vector<std::pair<std::string, std::string>> DiscoveryMessages(const DiscoveryRoom& r) {
  const RoomTopics topics(r.site, r.room);
  std::vector<std::pair<std::string, std::string>> out;
  for (const DiscoveryVolume& v : r.volumes) {
    const NamedParam* n = NameOf(v.address);
    const std::string key = std::to_string(v.address);
    const std::string object = "volume_" + key;
    QJsonObject o = Common(r, topics, object, n ? Pick(r.language, n->zh, n->en) : key);
    o["command_topic"] = Q(topics.Command(RemoteRole::Staff, RoomCommand::Set));
    o["command_template"] =
        Q(std::string("{\"id\": \"") + kIdTemplate + "\", \"params\": {\"" + key + "\": {{ value | int }}}}");
    // The level without the mute flag: a muted volume shows its level, and setting it unmutes.
    o["value_template"] = Q("{{ value_json.params['" + key + "'].level }}");
    o["min"] = static_cast<qint64>(v.min);
    o["max"] = static_cast<qint64>(v.max);
    o["step"] = 1;
    o["mode"] = "slider";
    o["icon"] = "mdi:volume-high";
    if (n && !n->unit.empty()) o["unit_of_measurement"] = Q(n->unit);
    out.emplace_back(ConfigTopic(r, "number", object), JsonText(o));
  }
  if (r.modes && r.modeNames.size() == 10) {
    QJsonObject o = Common(r, topics, "mode", Pick(r.language, "模式", "Mode"));
    QJsonArray options;
    for (int i = 0; i < 10; ++i) options.append(Q(ModeOption(i + 1, r.modeNames[static_cast<size_t>(i)])));
    o["options"] = options;
    o["command_topic"] = Q(topics.Command(RemoteRole::Staff, RoomCommand::Mode));
    o["command_template"] = Q(std::string("{\"id\": \"") + kIdTemplate + "\", \"mode\": {{ value | tojson }}}");
    o["value_template"] = "{{ value_json.mode_option }}";
    o["icon"] = "mdi:playlist-music";
    out.emplace_back(ConfigTopic(r, "select", "mode"), JsonText(o));
  }
  QJsonObject link = Common(r, topics, "link", Pick(r.language, "功放连接", "Amplifier link"));
  link["value_template"] = "{{ 'ON' if value_json.link else 'OFF' }}";
  link["payload_on"] = "ON";
  link["payload_off"] = "OFF";
  link["device_class"] = "connectivity";
  out.emplace_back(ConfigTopic(r, "binary_sensor", "link"), JsonText(link));
  return out;
}

std::vector<std::string> DiscoveryTopics(const DiscoveryRoom& r, const std::vector<int>& allVolumes) {
  std::vector<std::string> out;
  for (int a : allVolumes) out.push_back(ConfigTopic(r, "number", "volume_" + std::to_string(a)));
  out.push_back(ConfigTopic(r, "select", "mode"));
  out.push_back(ConfigTopic(r, "binary_sensor", "link"));
  return out;
}

}  // namespace mirelune
