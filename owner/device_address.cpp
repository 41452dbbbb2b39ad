// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/device_address.h"

#include <algorithm>
#include <cctype>

#include "sim/virtual_state.h"

namespace mirelune {

namespace {

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 4 &&
         std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

DeviceTarget HidTarget(const std::vector<HidDeviceInfo>& rows, size_t i) {
  DeviceTarget t;
  t.hid = rows[i];
  t.identity = IdentityOf(rows, i);
  return t;
}

std::string Safe(const std::string& s) {
  std::string out;
  for (char c : s)
    out += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') ? c : '_';
  return out;
}

}  // namespace

bool ParseDeviceList(const std::string& text, std::vector<DeviceAddress>& out, std::string& error) {
  out.clear();
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    DeviceAddress a;
    a.text = item;
    if (item == "hid") {
      a.kind = DeviceAddress::Kind::Hid;
    } else if (item.rfind("hid:", 0) == 0 && item.size() > 4) {
      a.kind = DeviceAddress::Kind::HidNamed;
      a.value = item.substr(4);
    } else if (item == "virtual") {
      a.kind = DeviceAddress::Kind::Virtual;
    } else if (item.rfind("virtual:", 0) == 0) {
      a.kind = DeviceAddress::Kind::Virtual;
      a.value = item.substr(8);
      if (!ValidVirtualName(a.value)) {
        error = "'" + item + "': a virtual amplifier's name is 1 to 32 letters, digits, '_', '-' or '.'";
        return false;
      }
    } else if (item == "all") {
      a.kind = DeviceAddress::Kind::All;
    } else {
      error = item.empty() ? "an empty device in '" + text + "'"
                           : "unknown device '" + item +
                                 "' (hid, hid:SERIAL, hid:N, hid:PATH, virtual, virtual:NAME, all)";
      return false;
    }
    out.push_back(a);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

std::string DeviceTarget::Label() const {
  if (isVirtual) return virtualName.empty() ? "virtual" : "virtual:" + virtualName;
  return "hid:" + identity.value;
}

std::string DeviceTarget::LockKey() const {
  if (isVirtual) return virtualName.empty() ? "virtual" : "virtual-" + virtualName;
  switch (identity.by) {
    case HidIdentity::By::Serial: return "hid-serial-" + Safe(identity.value);
    case HidIdentity::By::Location: return "hid-usb-" + Safe(identity.value);
    default: return "hid-path-" + Safe(identity.value);
  }
}

std::string CandidateList(const std::vector<HidDeviceInfo>& rows) {
  std::string s;
  for (size_t i = 0; i < rows.size(); ++i) {
    const HidIdentity id = IdentityOf(rows, i);
    if (!s.empty()) s += ", ";
    s += "hid:" + id.value;
    if (id.by == HidIdentity::By::Serial && !rows[i].location.empty()) s += " (USB " + rows[i].location + ")";
  }
  return s;
}

bool ResolveDevices(const std::vector<DeviceAddress>& addresses, const DeviceCandidates& c,
                    bool many, std::vector<DeviceTarget>& out, std::string& error,
                    DeviceChoiceFailure* why) {
  out.clear();
  if (why) *why = {};
  const auto& rows = c.hid;
  auto add = [&](DeviceTarget t) {
    const std::string key = t.LockKey();
    if (std::none_of(out.begin(), out.end(), [&](const DeviceTarget& o) { return o.LockKey() == key; }))
      out.push_back(std::move(t));
  };
  if (!many && (addresses.size() != 1 || addresses[0].kind == DeviceAddress::Kind::All)) {
    error = "this command works on one amplifier; 'all' and lists are for write-mode, read-mode, "
            "modes push and sync";
    return false;
  }
  for (const DeviceAddress& a : addresses) {
    switch (a.kind) {
      case DeviceAddress::Kind::Hid:
        if (rows.empty()) {
          error = "no amplifier connected (USB 2E3C:0D07)";
          if (why) why->kind = DeviceChoiceFailure::Kind::NoneConnected;
          return false;
        }
        if (rows.size() > 1 && !many) {
          error = std::to_string(rows.size()) + " amplifiers are connected: " + CandidateList(rows) +
                  "; choose one with --device hid:SERIAL or hid:N";
          if (why) *why = {DeviceChoiceFailure::Kind::Several, rows.size(), CandidateList(rows)};
          return false;
        }
        for (size_t i = 0; i < rows.size(); ++i) add(HidTarget(rows, i));
        break;
      case DeviceAddress::Kind::HidNamed: {
        std::vector<size_t> hits;
        for (size_t i = 0; i < rows.size(); ++i)
          if (rows[i].serial == a.value || rows[i].path == a.value || rows[i].location == a.value)
            hits.push_back(i);
        if (hits.empty() && AllDigits(a.value)) {
          const size_t n = static_cast<size_t>(std::stoul(a.value));
          if (n < rows.size()) hits.push_back(n);
        }
        if (hits.empty()) {
          error = "no amplifier '" + a.text + "' is connected" +
                  (rows.empty() ? std::string(" (none is)") : "; connected: " + CandidateList(rows));
          return false;
        }
        if (hits.size() > 1) {
          error = "'" + a.text + "' names " + std::to_string(hits.size()) +
                  " amplifiers (they share a serial number); use their USB location: " +
                  CandidateList(rows);
          return false;
        }
        add(HidTarget(rows, hits[0]));
        break;
      }
      case DeviceAddress::Kind::Virtual: {
        DeviceTarget t;
        t.isVirtual = true;
        t.virtualName = a.value;
        add(t);
        break;
      }
      case DeviceAddress::Kind::All: {
        for (size_t i = 0; i < rows.size(); ++i) add(HidTarget(rows, i));
        for (const std::string& name : c.virtualNames) {
          DeviceTarget t;
          t.isVirtual = true;
          t.virtualName = name;
          add(t);
        }
        if (out.empty()) {
          error = "'all': no amplifier connected and no named virtual amplifier";
          return false;
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace mirelune
