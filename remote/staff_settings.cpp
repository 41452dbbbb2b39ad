// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/staff_settings.h"

#include <QSettings>

namespace mirelune {

namespace {
constexpr char kKey[] = "remote/staff";
}

StaffList LoadStaffList(std::string* warning) {
  QSettings settings("Mirelune", "Mirelune");
  if (!settings.contains(kKey)) return DefaultStaffList();
  StaffList list;
  std::string error;
  if (!ParseStaffList(settings.value(kKey).toString().toStdString(), list, error)) {
    if (warning) *warning = "the saved remote list is damaged (" + error + "); the default list is used";
    return DefaultStaffList();
  }
  return list;
}

bool SaveStaffList(const StaffList& list, std::string& error) {
  QSettings settings("Mirelune", "Mirelune");
  settings.setValue(kKey, QString::fromStdString(FormatStaffList(list)));
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    error = settings.fileName().toStdString() + ": the settings could not be written";
    return false;
  }
  return true;
}

}  // namespace mirelune
