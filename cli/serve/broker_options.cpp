// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/serve/broker_options.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "cli/command.h"
#include "cli/language.h"
#include "mirelune/version.h"
#include "mqtt/headless_room_modes.h"
#include "mqtt/room_agent.h"
#include "mqtt/room_settings_store.h"
#include "owner/headless_owner.h"
#include "remote/remote_access.h"

namespace mirelune::cli {

namespace {

bool ReadPassword(const std::string& path, std::string& password, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "--mqtt-password-file: " + path + " cannot be read";
    return false;
  }
  std::getline(in, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return true;
}

}  // namespace

bool ReadBrokerOptions(const Args& args, MqttOptions& options, std::string& passwordFile,
                       std::string& error) {
  options.user = args.Value("--mqtt-user", options.user);
  passwordFile = args.Value("--mqtt-password-file", passwordFile);
  options.caFile = args.Value("--mqtt-ca", options.caFile);
  options.certFile = args.Value("--mqtt-cert", options.certFile);
  options.keyFile = args.Value("--mqtt-key", options.keyFile);
  if (!passwordFile.empty()) return ReadPassword(passwordFile, options.password, error);
  if (const char* env = std::getenv("MIRELUNE_MQTT_PASSWORD")) options.password = env;
  return true;
}

ServeRoom::ServeRoom(const ServeRoomOptions& o, HeadlessOwner& owner, std::function<StaffList()> staff,
                     const std::string& language)
    : modes(owner),
      agent(o.mqtt,
            RoomSettings{o.site, o.room, o.discovery == "off" ? std::string() : o.discovery, language, kVersion,
                         "mirelune-cli serve"},
            owner, owner.session().store(), std::move(staff), &modes) {}

bool ReadServeRoomOptions(const Args& args, ServeRoomOptions& o, std::string& error) {
  std::string passwordFile;
  const std::string url = args.Value("--mqtt");
  const bool given = args.Has("--mqtt");
  SavedRoomSettings saved = LoadRoomSettings();
  const SavedRoomSettings before = saved;
  const bool site = args.Has("--site");
  o.site = args.Value("--site", o.site);
  o.room = args.Value("--room", o.room);
  o.discovery = args.Value("--mqtt-discovery", o.discovery);
  if (!ReadBrokerOptions(args, o.mqtt, passwordFile, error)) return false;
  if (!given) {
    if (site || !o.room.empty() || !o.discovery.empty() || !o.mqtt.user.empty() || !passwordFile.empty() ||
        !o.mqtt.caFile.empty() || !o.mqtt.certFile.empty()) {
      error = "--site, --room and the --mqtt-* options go with --mqtt URL";
      return false;
    }
    return true;
  }
  o.enabled = true;
  if (!ParseBrokerUrl(url, o.mqtt.broker, error)) return false;
  // What is not given now is what was used last time.
  auto fill = [](std::string& now, std::string& kept) {
    if (now.empty()) now = kept;
    kept = now;
  };
  fill(o.site, saved.site);
  fill(o.room, saved.room);
  fill(o.discovery, saved.discovery);
  fill(o.mqtt.user, saved.user);
  fill(passwordFile, saved.passwordFile);
  fill(o.mqtt.caFile, saved.caFile);
  fill(o.mqtt.certFile, saved.certFile);
  fill(o.mqtt.keyFile, saved.keyFile);
  if (o.discovery.empty()) o.discovery = "homeassistant";
  if (o.site.empty() || o.room.empty()) {
    error = "--mqtt needs --site SITE and --room ROOM (the room's names on the broker)";
    return false;
  }
  if (!ValidRoomName(o.site, "--site", error) || !ValidRoomName(o.room, "--room", error)) return false;
  if (o.discovery != "off" && o.discovery.find_first_of("+#") != std::string::npos) {
    error = "--mqtt-discovery: '" + o.discovery + "' is no topic prefix";
    return false;
  }
  if (o.mqtt.password.empty() && !passwordFile.empty() && !ReadPassword(passwordFile, o.mqtt.password, error))
    return false;
  if (saved.site != before.site || saved.room != before.room || saved.discovery != before.discovery ||
      saved.user != before.user || saved.passwordFile != before.passwordFile || saved.caFile != before.caFile ||
      saved.certFile != before.certFile || saved.keyFile != before.keyFile) {
    std::string warning;
    if (!SaveRoomSettings(saved, warning)) std::cerr << "mirelune-cli serve: " << warning << "\n";
  }
  return true;
}

bool StartServeRoom(Context& ctx, const ServeRoomOptions& options, HeadlessOwner& owner,
                    std::function<StaffList()> staff, std::unique_ptr<ServeRoom>& room, std::string& error) {
  if (!options.enabled) return true;
  const std::string language = ctx.options.language.empty() ? LocaleLanguage() : ctx.options.language;
  room = std::make_unique<ServeRoom>(options, owner, std::move(staff), language);
  room->agent.onLog = [&ctx](const std::string& line) { ctx.err << line << std::endl; };
  if (!room->agent.Start(error)) {
    room.reset();
    return false;
  }
  ctx.out << "MQTT: " << options.mqtt.broker.Url() << " as " << room->agent.topics().Label() << "\n";
  return true;
}

void StopServeRoom(std::unique_ptr<ServeRoom>& room) {
  if (room) room->agent.Stop();
  room.reset();
}

}  // namespace mirelune::cli
