// SPDX-License-Identifier: GPL-3.0-or-later
// The head of an HTTP/1.x request (request line and header fields), read and judged before a
// byte of its body is: what the room remote's server needs to refuse a request at its door.
// Plain C++, no sockets; every rule is tested with byte strings.
//
// Rules (the server answers the status given and closes the connection):
//  - the head ends with an empty line within kMaxHead bytes and kMaxFields fields, else 431;
//  - a request line "METHOD TARGET HTTP/1.0|HTTP/1.1" and "name: value" fields, else 400
//    (505 for another HTTP version);
//  - a body only with one Content-Length of at most 19 decimal digits; several that differ, a
//    sign, spaces inside or anything else: 400; Transfer-Encoding (chunked bodies): 501;
//  - a Content-Length above the caller's limit: 413, before the body is read;
//  - HTTP/1.1 needs a Host field (400).
// HTTP/1.0 and "Connection: close" end the connection after the reply; HTTP/1.1 keeps it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mirelune {

struct HttpHead {
  std::string method;   // "GET"
  std::string target;   // "/api/v1/params?x=1"
  std::string path;     // "/api/v1/params" (not decoded)
  std::string query;    // "x=1"
  int minor = 1;        // HTTP/1.minor
  std::map<std::string, std::string> fields;  // names in lower case; repeated ones joined by ", "
  size_t contentLength = 0;
  bool keepAlive = true;
  bool upgrade = false;  // a WebSocket upgrade (Upgrade: websocket)
};

constexpr size_t kMaxHead = 16 * 1024;
constexpr size_t kMaxFields = 100;

// Where the head in `bytes` ends (the offset just after its empty line); 0 while it is not
// complete.
size_t HeadEnd(const char* bytes, size_t size);

// Parses the complete head `text` (up to and with its empty line) into `head`. False with the
// status to answer (400, 413, 431, 501, 505) and `error` saying why. `maxBody`: the largest
// Content-Length taken.
bool ParseHttpHead(const std::string& text, size_t maxBody, HttpHead& head, int& status, std::string& error);

// Whether the Host field `host` names this server: one of `names` (addresses and names of this
// machine, lower case, IPv6 without brackets) with `port`, or without a port when `port` is
// the scheme's own (80, or 443 when `encrypted`).
bool HostNamesServer(const std::string& host, const std::vector<std::string>& names, int port, bool encrypted);

// The reason phrase of `status` ("Payload Too Large").
const char* HttpReason(int status);

}  // namespace mirelune
