// SPDX-License-Identifier: GPL-3.0-or-later
// A room's broker settings, kept with the console's other settings (beside the remote's staff
// list), so that a box's `serve --mqtt URL` needs only what changed since the last time.
// The password itself is not kept: only the file it is read from.
#pragma once

#include <string>

namespace mirelune {

struct SavedRoomSettings {
  std::string site, room;
  std::string user, passwordFile;
  std::string caFile, certFile, keyFile;
  std::string discovery;  // "homeassistant" (the default), another prefix, or "off"
};

SavedRoomSettings LoadRoomSettings();
// False with `error` when the settings cannot be written.
bool SaveRoomSettings(const SavedRoomSettings& settings, std::string& error);

}  // namespace mirelune
