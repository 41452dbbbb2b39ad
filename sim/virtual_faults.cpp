// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtual_faults.h"

#include <cstdlib>
#include <sstream>

namespace mirelune {

namespace {

bool ToInt(const std::string& s, int lo, int hi, int& out) {
  // Digits only: "5", never " 5", "+3" or "5 ": a fault item is typed as it is documented.
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

bool ParseFaultList(const std::string& text, VirtualFaults& f, std::string& error) {
  std::stringstream in(text);
  std::string item;
  constexpr int kBig = 100000000;
  while (std::getline(in, item, ',')) {
    if (item.empty()) continue;
    const size_t eq = item.find('=');
    const std::string key = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    const bool hasValue = eq != std::string::npos;
    bool ok = true;
    if (key == "drop") {
      ok = hasValue && ToInt(value, 0, kBig, f.dropReplies);
    } else if (key == "corrupt") {
      ok = hasValue && ToInt(value, 0, kBig, f.corruptReplies);
    } else if (key == "split") {
      ok = hasValue && ToInt(value, 1, 63, f.splitBytes);
    } else if (key == "delay") {
      ok = hasValue && ToInt(value, 0, kBig, f.replyDelayMs);
    } else if (key == "stray" && !hasValue) {
      f.strayBytes = true;
    } else if (key == "nosync" && !hasValue) {
      f.noSyncEcho = true;
    } else if (key == "usbtiming" && !hasValue) {
      f.usbTiming = true;
    } else if (key == "admin" && !hasValue) {
      f.administrator = true;
    } else if (key == "unplug" && hasValue) {
      const size_t colon = value.find(':');
      ok = ToInt(value.substr(0, colon), 0, kBig, f.unplugAtMs);
      if (ok && colon != std::string::npos) ok = ToInt(value.substr(colon + 1), 0, kBig, f.unplugForMs);
    } else if (key == "open" && value == "denied") {
      f.openFailure = VirtualFaults::OpenFailure::Denied;
    } else if (key == "open" && value == "busy") {
      f.openFailure = VirtualFaults::OpenFailure::Busy;
    } else {
      ok = false;
    }
    if (!ok) {
      error = "bad fault item '" + item + "'";
      return false;
    }
  }
  return true;
}

FaultArgument SplitFaultArgument(const std::string& text) {
  // A colon before any '=' names an amplifier; one after it belongs to an item (unplug=AT:FOR).
  const size_t colon = text.find(':');
  const size_t eq = text.find('=');
  if (colon != std::string::npos && (eq == std::string::npos || colon < eq))
    return {text.substr(0, colon), text.substr(colon + 1)};
  return {{}, text};
}

}  // namespace mirelune
