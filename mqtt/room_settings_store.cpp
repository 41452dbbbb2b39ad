// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/room_settings_store.h"

#include <QSettings>

namespace mirelune {

namespace {

struct Field {
  const char* key;
  std::string SavedRoomSettings::*member;
};

constexpr Field kFields[] = {
    {"mqtt/site", &SavedRoomSettings::site},          {"mqtt/room", &SavedRoomSettings::room},
    {"mqtt/user", &SavedRoomSettings::user},          {"mqtt/password_file", &SavedRoomSettings::passwordFile},
    {"mqtt/ca", &SavedRoomSettings::caFile},          {"mqtt/cert", &SavedRoomSettings::certFile},
    {"mqtt/key", &SavedRoomSettings::keyFile},        {"mqtt/discovery", &SavedRoomSettings::discovery},
};

}  // namespace

SavedRoomSettings LoadRoomSettings() {
  QSettings settings("Mirelune", "Mirelune");
  SavedRoomSettings s;
  for (const Field& f : kFields) s.*f.member = settings.value(f.key).toString().toStdString();
  return s;
}

bool SaveRoomSettings(const SavedRoomSettings& s, std::string& error) {
  QSettings settings("Mirelune", "Mirelune");
  for (const Field& f : kFields) {
    if ((s.*f.member).empty())
      settings.remove(f.key);
    else
      settings.setValue(f.key, QString::fromStdString(s.*f.member));
  }
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    error = settings.fileName().toStdString() + ": the settings could not be written";
    return false;
  }
  return true;
}

}  // namespace mirelune
