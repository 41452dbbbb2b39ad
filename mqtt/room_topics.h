// SPDX-License-Identifier: GPL-3.0-or-later
// The topics of a venue's rooms on the broker, and the names they are built from. Plain C++.
//
//   mirelune/SITE/ROOM/state              retained: the room's state (room_messages.h)
//   mirelune/SITE/ROOM/availability       retained: "online" | "offline" (the last will)
//   mirelune/SITE/ROOM/event              every change staff may see, whoever made it
//   mirelune/SITE/ROOM/set | mode         the staff's commands
//   mirelune/SITE/ROOM/result/ID          the answer to a staff command with id ID
//   mirelune/SITE/ROOM/installer/...      the same for the installer (event, set, mode,
//                                          write-mode, read-mode, result/ID)
//
// The broker's access list gives the installer's credentials, and only them, the installer's
// topics (docs/mqtt/); the room checks the role again on every command. Home-automation
// discovery lives under its own prefix (ha_discovery.h).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "remote/remote_auth.h"

namespace mirelune {

inline constexpr char kTopicRoot[] = "mirelune";

// SITE and ROOM: 1..64 bytes of UTF-8 without '/', '+', '#', ',', control characters or a leading
// '$' (the broker's own topics; ',' separates the rooms of a fleet pattern). False with `error` naming the problem.
bool ValidRoomName(const std::string& name, const char* what, std::string& error);

enum class RoomCommand { Set, Mode, WriteMode, ReadMode };
const char* CommandName(RoomCommand command);  // "set", "mode", "write-mode", "read-mode"

class RoomTopics {
 public:
  RoomTopics(std::string site, std::string room);

  const std::string& Site() const { return site_; }
  const std::string& Room() const { return room_; }
  std::string Label() const { return site_ + "/" + room_; }
  std::string Base() const;  // mirelune/SITE/ROOM
  std::string State() const;
  std::string Availability() const;
  std::string Event(RemoteRole role) const;
  std::string Command(RemoteRole role, RoomCommand command) const;
  std::string Result(RemoteRole role, const std::string& id) const;

  // Which command `topic` is: false for any topic that is not one of this room's commands.
  bool ParseCommand(const std::string& topic, RemoteRole& role, RoomCommand& command) const;

 private:
  std::string site_, room_;
};

// mirelune/SITE/ROOM/LEAF (LEAF one level, e.g. "state"): false for any other shape.
bool SplitRoomTopic(const std::string& topic, std::string& site, std::string& room, std::string& leaf);

// Which rooms a fleet command means: "SITE/ROOM" with '*' (any run of characters) and '?' (one
// character) in either part; a pattern without '/' is a site ("venue" means "venue/*"); several
// patterns separated by ',' mean the rooms of any of them ("venue/k01,venue/k07").
class RoomPattern {
 public:
  explicit RoomPattern(const std::string& pattern = "*/*");
  bool Matches(const std::string& site, const std::string& room) const;
  // The broker's subscription pattern for the rooms' LEAF topics: the site itself where every
  // alternative names that one site without wildcards, else '+'.
  std::string Subscription(const std::string& leaf) const;
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  std::vector<std::pair<std::string, std::string>> parts_;  // (site, room) patterns
};

// Glob matching of one name: '*' any run of characters (also none), '?' one character (one
// UTF-8 sequence).
bool GlobMatch(const std::string& pattern, const std::string& name);

}  // namespace mirelune
