// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid_discovery.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace mirelune {

bool HidIdentity::Matches(const HidDeviceInfo& d) const {
  switch (by) {
    case By::Serial: return d.serial == value;
    case By::Location: return d.location == value;
    case By::Path: return d.path == value;
    case By::None: return true;
  }
  return false;
}

std::string HidIdentity::Text() const {
  switch (by) {
    case By::Serial: return "serial " + value;
    case By::Location: return "USB " + value;
    case By::Path: return value;
    case By::None: return {};
  }
  return {};
}

std::vector<HidDeviceInfo> AmplifierRows(std::vector<HidDeviceInfo> raw) {
  std::vector<HidDeviceInfo> rows;
  std::set<std::string> paths;
  for (HidDeviceInfo& d : raw)
    if (!d.path.empty() && paths.insert(d.path).second) rows.push_back(std::move(d));
  std::stable_sort(rows.begin(), rows.end(), [](const HidDeviceInfo& a, const HidDeviceInfo& b) {
    // Rows without a location go last, in path order.
    if (a.location.empty() != b.location.empty()) return b.location.empty();
    if (a.location != b.location) return a.location < b.location;
    return a.path < b.path;
  });
  return rows;
}

HidIdentity IdentityOf(const std::vector<HidDeviceInfo>& rows, size_t index) {
  const HidDeviceInfo& d = rows.at(index);
  auto unique = [&](auto field) {
    const std::string& v = d.*field;
    if (v.empty()) return false;
    return std::count_if(rows.begin(), rows.end(),
                         [&](const HidDeviceInfo& o) { return o.*field == v; }) == 1;
  };
  if (unique(&HidDeviceInfo::serial)) return {HidIdentity::By::Serial, d.serial};
  if (unique(&HidDeviceInfo::location)) return {HidIdentity::By::Location, d.location};
  return {HidIdentity::By::Path, d.path};
}

std::string UsbLocationFromSysfs(const std::string& devicePath) {
  // The USB device's own folder is the last component shaped BUS-PORT[.PORT...] (no ':'); the
  // interface folder after it carries ":CONFIG.INTERFACE".
  std::string best;
  size_t start = 0;
  while (start <= devicePath.size()) {
    size_t end = devicePath.find('/', start);
    if (end == std::string::npos) end = devicePath.size();
    const std::string part = devicePath.substr(start, end - start);
    const size_t dash = part.find('-');
    const bool shaped = dash != std::string::npos && dash > 0 && dash + 1 < part.size() &&
                        part.find(':') == std::string::npos &&
                        std::all_of(part.begin(), part.begin() + static_cast<long>(dash), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }) &&
                        std::all_of(part.begin() + static_cast<long>(dash) + 1, part.end(),
                                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; });
    if (shaped) best = part;
    start = end + 1;
  }
  return best;
}

}  // namespace mirelune
