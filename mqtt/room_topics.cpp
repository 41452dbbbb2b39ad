// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/room_topics.h"

#include <vector>

namespace mirelune {

namespace {

constexpr size_t kLongestName = 64;

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t i = 0;
  for (;;) {
    const size_t j = s.find(sep, i);
    parts.push_back(s.substr(i, j == std::string::npos ? std::string::npos : j - i));
    if (j == std::string::npos) return parts;
    i = j + 1;
  }
}

// The length of the UTF-8 sequence starting at `c` (1 for anything malformed).
size_t SequenceLength(unsigned char c) {
  if (c >= 0xF0) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC0) return 2;
  return 1;
}

bool GlobAt(const std::string& p, size_t pi, const std::string& n, size_t ni) {
  while (pi < p.size()) {
    if (p[pi] == '*') {
      while (pi < p.size() && p[pi] == '*') ++pi;
      if (pi == p.size()) return true;
      for (size_t k = ni; k <= n.size(); ++k)
        if (GlobAt(p, pi, n, k)) return true;
      return false;
    }
    if (ni >= n.size()) return false;
    if (p[pi] == '?') {
      ni += SequenceLength(static_cast<unsigned char>(n[ni]));
      ++pi;
      continue;
    }
    if (p[pi] != n[ni]) return false;
    ++pi;
    ++ni;
  }
  return ni == n.size();
}

}  // namespace

bool ValidRoomName(const std::string& name, const char* what, std::string& error) {
  if (name.empty() || name.size() > kLongestName) {
    error = std::string(what) + " '" + name + "' must be 1 to 64 bytes long";
    return false;
  }
  if (name.front() == '$') {
    error = std::string(what) + " '" + name + "' may not start with '$' (the broker's own topics do)";
    return false;
  }
  for (unsigned char c : name)
    if (c == '/' || c == '+' || c == '#' || c == ',' || c < 0x20 || c == 0x7F) {
      error = std::string(what) + " '" + name + "' may not hold '/', '+', '#', ',' or control characters";
      return false;
    }
  return true;
}

const char* CommandName(RoomCommand command) {
  switch (command) {
    case RoomCommand::Set: return "set";
    case RoomCommand::Mode: return "mode";
    case RoomCommand::WriteMode: return "write-mode";
    case RoomCommand::ReadMode: return "read-mode";
  }
  return "";
}

RoomTopics::RoomTopics(std::string site, std::string room) : site_(std::move(site)), room_(std::move(room)) {}

std::string RoomTopics::Base() const { return std::string(kTopicRoot) + "/" + site_ + "/" + room_; }
std::string RoomTopics::State() const { return Base() + "/state"; }
std::string RoomTopics::Availability() const { return Base() + "/availability"; }
std::string RoomTopics::Event(RemoteRole role) const {
  return Base() + (role == RemoteRole::Installer ? "/installer/event" : "/event");
}
std::string RoomTopics::Command(RemoteRole role, RoomCommand command) const {
  return Base() + (role == RemoteRole::Installer ? "/installer/" : "/") + CommandName(command);
}
std::string RoomTopics::Result(RemoteRole role, const std::string& id) const {
  return Base() + (role == RemoteRole::Installer ? "/installer/result/" : "/result/") + id;
}

bool RoomTopics::ParseCommand(const std::string& topic, RemoteRole& role, RoomCommand& command) const {
  for (RemoteRole r : {RemoteRole::Staff, RemoteRole::Installer})
    for (RoomCommand c : {RoomCommand::Set, RoomCommand::Mode, RoomCommand::WriteMode, RoomCommand::ReadMode})
      if (topic == Command(r, c)) {
        role = r;
        command = c;
        return true;
      }
  return false;
}

bool SplitRoomTopic(const std::string& topic, std::string& site, std::string& room, std::string& leaf) {
  const std::vector<std::string> parts = Split(topic, '/');
  if (parts.size() != 4 || parts[0] != kTopicRoot || parts[1].empty() || parts[2].empty()) return false;
  site = parts[1];
  room = parts[2];
  leaf = parts[3];
  return true;
}

bool GlobMatch(const std::string& pattern, const std::string& name) { return GlobAt(pattern, 0, name, 0); }

RoomPattern::RoomPattern(const std::string& pattern) : text_(pattern) {
  for (const std::string& one : Split(pattern, ',')) {
    const size_t slash = one.find('/');
    std::string site = one.substr(0, slash);
    std::string room = slash == std::string::npos ? "*" : one.substr(slash + 1);
    if (site.empty()) site = "*";
    if (room.empty()) room = "*";
    parts_.emplace_back(site, room);
  }
}

bool RoomPattern::Matches(const std::string& site, const std::string& room) const {
  for (const auto& [s, r] : parts_)
    if (GlobMatch(s, site) && GlobMatch(r, room)) return true;
  return false;
}

std::string RoomPattern::Subscription(const std::string& leaf) const {
  std::string site = parts_.empty() ? "+" : parts_.front().first;
  for (const auto& p : parts_)
    if (p.first != site || p.first.find_first_of("*?+#/") != std::string::npos) site = "+";
  return std::string(kTopicRoot) + "/" + site + "/+/" + leaf;
}

}  // namespace mirelune
