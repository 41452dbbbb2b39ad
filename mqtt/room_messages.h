// SPDX-License-Identifier: GPL-3.0-or-later
// What the rooms and the fleet command say to each other over the broker: commands, replies and
// a room's state, all JSON objects (UTF-8), and a mode's table packed into JSON.
//
// Commands (topics in room_topics.h); every command carries an id the room applies once:
//   set         {"id": "ID", "params": {..the body of PUT /api/v1/params..}, "from": "who"}
//   mode        {"id": "ID", "mode": 1..10}              recall a stored mode
//   write-mode  {"id": "ID", "mode": 1..10, "sp_zlib": "BASE64"} (or "sp": "BASE64", the file
//               as it is) - installer only
//   read-mode   {"id": "ID", "mode": 1..10}              - installer only
// "from" is optional and only names the sender in the room's log. IDs are 1..64 characters of
// letters, digits and "._:-".
//
// Replies on result/ID: {"id": "ID", "ok": true|false, "status": S, ...}, S being what the HTTP
// API would answer (200; 400 malformed or out of range; 403 outside the role; 413 too large;
// 503 amplifier not connected or not answering; 429 too many commands waiting), plus
//   set: "params": [PARAM..] as PUT /api/v1/params, or "error" (and "acknowledged", "of" when
//        the amplifier stopped acknowledging halfway);
//   mode: "mode": n;  write-mode: "mode": n, on a failure "acknowledged" and "groups";
//   read-mode: "mode": n, "sp_zlib": "BASE64".
// A command whose id the room has carried out already is answered with that first reply again
// and "replayed": true, and is not carried out again.
//
// "sp_zlib" is a .sp table (252 000 bytes) compressed with zlib, after a 4-byte big-endian
// length (what Qt's qCompress writes), in base64: a mode of mostly start-up values takes a few
// kilobytes instead of 336 000 characters.
#pragma once

#include <QJsonObject>
#include <string>

#include "model/param_record.h"

namespace mirelune {

// Commands larger than this are refused unread (a .sp file in base64 is 336 000 bytes).
inline constexpr size_t kMaxCommandBytes = 512 * 1024;

bool ValidCommandId(const std::string& id);

// A table as "sp_zlib" text, and back. Unpack refuses (false, `error`) anything that is not
// base64 of a compressed 252 000-byte table, checking the declared length before inflating.
std::string PackTable(const RecordTable& table);
bool UnpackTable(const std::string& text, bool compressed, RecordTable& table, std::string& error);

// The text of "mode" in a command: a number 1..10, or a text starting with one ("3 KTV", as the
// home-automation hub sends its option). 0 when there is none.
int CommandMode(const QJsonValue& value);

// The option a home-automation hub shows for stored mode `number` (1..10): "3 KTV".
std::string ModeOption(int number, const std::string& name);

std::string JsonText(const QJsonObject& object);
// The object of `text`; false for anything but a JSON object.
bool ParseJsonObject(const std::string& text, QJsonObject& object);

}  // namespace mirelune
