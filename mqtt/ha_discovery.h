// SPDX-License-Identifier: GPL-3.0-or-later
// The discovery messages a home-automation hub reads to show a room without hand
// configuration (Home Assistant's MQTT discovery): one retained message per entity under
// PREFIX/COMPONENT/NODE/OBJECT/config, all of one device per room:
//   number          each master volume on the staff list (its name, unit, range; a slider),
//                   set through the staff's set topic
//   select          the stored mode ("3 KTV"), recalled through the staff's mode topic; only
//                   when staff may recall modes
//   binary_sensor   the amplifier's link (connectivity)
// Every entity follows the room's availability topic, so a room whose box died shows as
// unavailable. Names are in `language` ("zh" or "en"). Commands carry an id made from the hub's
// clock, so the room applies each once. Plain C++ and Qt JSON.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "mqtt/room_topics.h"

namespace mirelune {

struct DiscoveryVolume {
  int address = 0;
  long min = 0, max = 0;
};

struct DiscoveryRoom {
  std::string prefix = "homeassistant";
  std::string site, room;
  std::string language = "zh";
  std::string identifier;  // what the amplifier answered with ("_LM-R52Z")
  std::string version;     // this program's
  std::vector<DiscoveryVolume> volumes;
  bool modes = false;  // staff may recall stored modes
  std::vector<std::string> modeNames;  // 10 when known
};

// "mirelune_" + SITE + "_" + ROOM with every byte but letters, digits and '-' written as _XX
// (hex): what the hub accepts as a node id, and different for different rooms.
std::string DiscoveryNodeId(const std::string& site, const std::string& room);

// (topic, retained payload) of every entity of the room.
std::vector<std::pair<std::string, std::string>> DiscoveryMessages(const DiscoveryRoom& room);

// The config topics DiscoveryMessages gives for the room with any content: to clear those a
// room no longer offers (an empty retained message removes an entity).
std::vector<std::string> DiscoveryTopics(const DiscoveryRoom& room, const std::vector<int>& allVolumes);

}  // namespace mirelune
