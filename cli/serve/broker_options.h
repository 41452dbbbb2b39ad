// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the broker options `serve --mqtt` and `fleet` share and the room options of `serve`
// (their rows: cli/broker_syntax.h), and the room of `serve` on the broker.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/broker_syntax.h"
#include "cli/command.h"
#include "mqtt/headless_room_modes.h"
#include "mqtt/mqtt_connection.h"
#include "mqtt/room_agent.h"

namespace mirelune::cli {

// Reads the broker options (cli/broker_syntax.h) from a parsed command line into `options` (the password from the file's first
// line, else from MIRELUNE_MQTT_PASSWORD). False with `error` for a password file that cannot
// be read.
bool ReadBrokerOptions(const Args& args, MqttOptions& options, std::string& passwordFile,
                       std::string& error);

// `serve`'s room on the broker: --mqtt URL --site SITE --room ROOM [--mqtt-discovery PREFIX|off]
// and the broker options. What is not given comes from the settings kept last time; what is
// used is kept for the next time.
struct ServeRoomOptions {
  bool enabled = false;
  MqttOptions mqtt;
  std::string site, room, discovery;
};
// Reads them from serve's parsed command line. False with `error` for a malformed or missing
// option (a usage error).
bool ReadServeRoomOptions(const Args& args, ServeRoomOptions& options, std::string& error);

// The room's bridge over the owner of `serve`.
class ServeRoom {
 public:
  ServeRoom(const ServeRoomOptions& options, HeadlessOwner& owner, std::function<StaffList()> staff,
            const std::string& language);
  HeadlessRoomModes modes;
  RoomAgent agent;
};

// Starts the room's bridge over `owner` (nothing when not enabled). False with `error`.
bool StartServeRoom(Context& ctx, const ServeRoomOptions& options, HeadlessOwner& owner,
                    std::function<StaffList()> staff, std::unique_ptr<ServeRoom>& room, std::string& error);
// Says the room goes offline and leaves the broker.
void StopServeRoom(std::unique_ptr<ServeRoom>& room);

}  // namespace mirelune::cli
