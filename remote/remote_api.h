// SPDX-License-Identifier: GPL-3.0-or-later
// The room remote's HTTP API: one request in, one reply out, over the owner's request layer.
// No sockets here - remote_server.h carries requests to it - so every rule is tested with plain
// values.
//
// All bodies are JSON (UTF-8); every reply is a JSON object, errors {"error": "..."}.
//
//   POST /api/v1/session   {"pin": "123456"} (staff) | {"password": "654321"} (installer, the
//                          amplifier's rights password, checked by the amplifier) |
//                          {"pair": "CODE"} (staff, one use: the pairing link's code)
//                          -> 200 {"token": "<32 hex>", "role": "staff"|"installer",
//                                  "expires_in": 43200}
//                          -> 401 wrong secret, 429 too many wrong ones (Retry-After), 400
//                             malformed, 503 installer password while the amplifier is offline
//   DELETE /api/v1/session -> 200 {} (the token dies)
//                          Only with "Content-Type: application/json" (else 415): a page of
//                          another site cannot spend the tries with a simple form POST. Every
//                          wrong secret is logged with the client's address; see remote_auth.h
//                          for the limits (429 with Retry-After).
// Every other endpoint needs "Authorization: Bearer TOKEN" (the WebSocket, and only it, may
// give "?token=TOKEN" instead, as browsers cannot set its headers) and answers 401 without a
// valid one.
//   GET /api/v1/device     -> {"name": "virtual:a", "identifier": "_LM-R52Z", "online": true,
//                              "mode": 1..10 | null, "mode_name": "..." | null,
//                              "sound_mode": 0|1, "role": "staff", "can_load_modes": true}
//   GET /api/v1/modes      -> {"mode": 1..10 | null, "modes": [{"number": 1, "name": ".."}, ..10]}
//                             (403 when the role may not recall modes)
//   POST /api/v1/modes/{n}/load   (n = 1..10) -> 200 {"mode": n}; 403 for a role without mode
//                             recall; 400 for n outside 1..10; 503 offline
//   GET /api/v1/params     -> {"params": [PARAM, ...]} the parameters the role may see, in
//                             address order
//   GET /api/v1/params/{address} -> PARAM; 404 for no parameter; 403 not the role's
//   PUT /api/v1/params     {"2560": 25, "话筒总音量": 60, "0": {"gain": 300}} -> keys are
//                             addresses or names (Chinese or English; "KIND:NAME" where a name
//                             is not unique among the role's parameters); plain values are the
//                             device values of PARAM.value, an EQ band takes an object of band
//                             fields. Everything is checked first (403 for a parameter the role
//                             may not change, 400 with the reason for an unknown name or a value
//                             outside min..max); then applied as one change (one undo step of
//                             the console) -> 200 {"params": [PARAM of each changed address]}.
//                             Nothing is applied when any entry is refused.
//   GET /, /app.js, /style.css   the phone page (no authorisation; it asks for the PIN itself)
//   GET /api/v1/events     WebSocket. Messages from the server, one JSON object each:
//                             {"type": "hello", "online": .., "mode": .., "sound_mode": ..}
//                             {"type": "change", "address": 2560, "value": 25, "text": "25",
//                              "by": "..."}  (for each changed parameter the role may see,
//                              whoever changed it; a band gives "band": {...} instead of value)
//                             {"type": "link", "online": bool, "mode": 1..10 | null}
//                             {"type": "mode", "mode": n}  (a mode was recalled; read params again)
//                           Messages from the client are ignored (over 4 KiB closes it).
//
// PARAM = {"address": 2560, "name": "音乐总音量", "name_en": "Music master volume",
//          "kind": "系统", "kind_en": "System" (the page it belongs to, to tell equal names apart),
//          "value": 40, "text": "40", "unit": "", "min": 0, "max": 80,
//          "mute_offset": 0 | 250}
//   min..max is the range of the value without the mute flag; where mute_offset is 250 the
//   parameter is muted while value >= 250 (the level is value - 250). A master volume's max is
//   its upper limit (addresses 2568..2570) where that is lower. An EQ band has "value": null and
//   "band": {"gain", "freq", "q", "sq", "shape", "off"} with "min"/"max" of the gain code.
//
// Requests over kMaxBody bytes are refused with 413 before they are looked at.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "owner/owner_service.h"
#include "remote/remote_access.h"
#include "remote/remote_auth.h"

namespace mirelune {

class Store;

// The WebSocket's path.
constexpr char kEventsPath[] = "/api/v1/events";

struct RemoteRequest {
  std::string method;  // "GET", "POST", "PUT", "DELETE"
  std::string path;    // "/api/v1/params"
  std::map<std::string, std::string> query;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
  std::string client;  // the peer's address, for lock-outs and the log
};

struct RemoteReply {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

class RemoteApi {
 public:
  static constexpr size_t kMaxBody = 64 * 1024;

  // `backend` answers and applies; `store` is the owner's store (for the ranges that depend on
  // it, the master volumes' limits); `staff` gives the current remote list.
  RemoteApi(OwnerBackend& backend, const Store& store, RemoteAuth& auth,
            std::function<StaffList()> staff);

  RemoteReply Handle(const RemoteRequest& request);

  // The role the request's token gives (Authorization: Bearer, or ?token= for the WebSocket).
  RemoteRole Authorize(const RemoteRequest& request);

  // The WebSocket's first message, and the messages an owner event gives a client of `role`
  // (none for changes it may not see).
  std::string HelloMessage();
  std::vector<std::string> EventMessages(const OwnerEvent& event, RemoteRole role);

  // The page's files by name ("index.html", "app.js", "style.css"): false when there is none.
  std::function<bool(const std::string& name, std::string& bytes)> loadAsset;
  // One line per applied change: time, client, role, address and name, old -> new; and one
  // per wrong secret: time, client, which secret.
  std::function<void(const std::string& line)> log;
  // Names the change's author in events ("remote staff 192.168.1.20").
  static std::string By(RemoteRole role, const std::string& client);

 private:
  RemoteReply Session(const RemoteRequest& request);
  RemoteReply Device(RemoteRole role);
  RemoteReply Modes(RemoteRole role);
  RemoteReply LoadMode(RemoteRole role, const std::string& number, const std::string& client);
  RemoteReply Params(RemoteRole role);
  RemoteReply Param(RemoteRole role, const std::string& address);
  RemoteReply PutParams(RemoteRole role, const RemoteRequest& request);
  std::string ParamJson(int address);

  OwnerBackend& backend_;
  const Store& store_;
  RemoteAuth& auth_;
  std::function<StaffList()> staff_;
  std::vector<std::string> modeNames_;  // as last read, for the device's mode name
};

}  // namespace mirelune
