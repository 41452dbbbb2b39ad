// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/remote_access.h"

#include <algorithm>
#include <sstream>

#include "model/param_names.h"
#include "model/store.h"

namespace mirelune {

namespace {

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 6 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

StaffList DefaultStaffList() {
  StaffList l;
  l.addresses = {276, 532, 806, 808, 2560, 2561, 2562};
  l.modes = true;
  return l;
}

std::string FormatStaffList(const StaffList& list) {
  std::string s;
  for (int a : list.addresses) s += (s.empty() ? "" : ",") + std::to_string(a);
  if (list.modes) s += s.empty() ? "modes" : ",modes";
  return s;
}

bool ParseStaffList(const std::string& text, StaffList& list, std::string& error) {
  StaffList out;
  out.modes = false;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    item.erase(0, item.find_first_not_of(" \t"));
    item.erase(item.find_last_not_of(" \t") + 1);
    if (item.empty()) continue;
    if (item == "modes") {
      out.modes = true;
      continue;
    }
    if (!AllDigits(item) || !HoldsParam(std::stol(item))) {
      error = "'" + item + "' is not the address of a parameter";
      return false;
    }
    out.addresses.push_back(std::stoi(item));
  }
  std::sort(out.addresses.begin(), out.addresses.end());
  out.addresses.erase(std::unique(out.addresses.begin(), out.addresses.end()), out.addresses.end());
  list = out;
  return true;
}

std::vector<int> VisibleAddresses(RemoteRole role, const StaffList& list) {
  if (role == RemoteRole::Staff) return list.addresses;
  std::vector<int> all;
  if (role != RemoteRole::Installer) return all;
  for (int a = 0; a < kAddressCount; ++a)
    if (HoldsParam(a)) all.push_back(a);
  return all;
}

bool MaySee(RemoteRole role, const StaffList& list, int address) {
  if (role == RemoteRole::Installer) return HoldsParam(address);
  if (role != RemoteRole::Staff) return false;
  return std::binary_search(list.addresses.begin(), list.addresses.end(), address);
}

bool MayLoadModes(RemoteRole role, const StaffList& list) {
  return role == RemoteRole::Installer || (role == RemoteRole::Staff && list.modes);
}

ParamRange RemoteRangeOf(int address, const Store& store) {
  return RangeUnderLimits(address, MasterLimitsOf(store));
}

MasterLimits MasterLimitsOf(const Store& store) {
  MasterLimits limits{};
  for (size_t i = 0; i < limits.size(); ++i)
    limits[i] = store.ParamTable.at(0, kMasterVolumeLimitFirst + static_cast<int>(i)).Value;
  return limits;
}

bool ResolveRemoteKey(const std::string& key, const std::vector<int>& visible, int& address,
                      std::string& error) {
  if (AllDigits(key)) {
    const long a = std::stol(key);
    if (!HoldsParam(a)) {
      error = "no parameter at address " + key;
      return false;
    }
    address = static_cast<int>(a);
    return true;
  }
  int kind = -1;
  std::string name = key;
  if (const size_t colon = key.find(':'); colon != std::string::npos && AllDigits(key.substr(0, colon))) {
    kind = std::stoi(key.substr(0, colon));
    name = key.substr(colon + 1);
  }
  const std::vector<int> named = AddressesNamed(name, kind);
  if (named.empty()) {
    error = "no parameter named '" + key + "'";
    return false;
  }
  if (named.size() == 1) {
    address = named.front();
    return true;
  }
  std::vector<int> seen;
  for (int a : named)
    if (std::binary_search(visible.begin(), visible.end(), a)) seen.push_back(a);
  if (seen.size() == 1) {
    address = seen.front();
    return true;
  }
  error = "'" + key + "' names several parameters:";
  for (int a : (seen.empty() ? named : seen)) error += " " + QualifiedName(a) + " (" + std::to_string(a) + ")";
  return false;
}

}  // namespace mirelune
