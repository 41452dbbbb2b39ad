// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/http_head.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace mirelune {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool Token(const std::string& s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (c <= 32 || c >= 127 || std::strchr("\"(),/:;<=>?@[\\]{}", c)) return false;
  return true;
}

// Whether the comma-separated field value `list` holds `word` (case-insensitive).
bool ListHas(const std::string& list, const std::string& word) {
  size_t i = 0;
  const std::string l = Lower(list);
  while (i <= l.size()) {
    size_t j = l.find(',', i);
    if (j == std::string::npos) j = l.size();
    if (Trim(l.substr(i, j - i)) == word) return true;
    i = j + 1;
  }
  return false;
}

bool Fail(int code, const std::string& why, int& status, std::string& error) {
  status = code;
  error = why;
  return false;
}

}  // namespace

size_t HeadEnd(const char* bytes, size_t size) {
  for (size_t i = 3; i < size; ++i)
    if (bytes[i] == '\n' && bytes[i - 1] == '\r' && bytes[i - 2] == '\n' && bytes[i - 3] == '\r') return i + 1;
  // A bare LF line end is taken as well (some tools send it).
  for (size_t i = 1; i < size; ++i)
    if (bytes[i] == '\n' && bytes[i - 1] == '\n') return i + 1;
  return 0;
}

bool ParseHttpHead(const std::string& text, size_t maxBody, HttpHead& head, int& status, std::string& error) {
  head = HttpHead{};
  if (text.size() > kMaxHead) return Fail(431, "the request's head is longer than 16 KiB", status, error);
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = text.find('\n', i);
    if (j == std::string::npos) j = text.size();
    std::string line = text.substr(i, j - i);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    lines.push_back(line);
    i = j + 1;
  }
  if (lines.empty()) return Fail(400, "no request line", status, error);
  if (lines.size() - 1 > kMaxFields) return Fail(431, "more than 100 header fields", status, error);

  // METHOD SP TARGET SP HTTP/1.x
  const std::string& request = lines[0];
  const size_t sp1 = request.find(' ');
  const size_t sp2 = sp1 == std::string::npos ? std::string::npos : request.find(' ', sp1 + 1);
  if (sp2 == std::string::npos || request.find(' ', sp2 + 1) != std::string::npos)
    return Fail(400, "malformed request line", status, error);
  head.method = request.substr(0, sp1);
  head.target = request.substr(sp1 + 1, sp2 - sp1 - 1);
  const std::string version = request.substr(sp2 + 1);
  if (!Token(head.method) || head.target.empty() || head.target[0] != '/')
    return Fail(400, "malformed request line", status, error);
  for (unsigned char c : head.target)
    if (c <= 32 || c >= 127) return Fail(400, "malformed request target", status, error);
  if (version == "HTTP/1.1")
    head.minor = 1;
  else if (version == "HTTP/1.0")
    head.minor = 0;
  else if (version.rfind("HTTP/", 0) == 0)
    return Fail(505, "only HTTP/1.0 and HTTP/1.1 are spoken here", status, error);
  else
    return Fail(400, "malformed request line", status, error);
  const size_t q = head.target.find('?');
  head.path = head.target.substr(0, q);
  head.query = q == std::string::npos ? std::string() : head.target.substr(q + 1);

  std::vector<std::string> lengths;
  for (size_t n = 1; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    const size_t colon = line.find(':');
    if (colon == std::string::npos || line[0] == ' ' || line[0] == '\t')
      return Fail(400, "malformed header field", status, error);
    const std::string name = Lower(line.substr(0, colon));
    if (!Token(name)) return Fail(400, "malformed header field name", status, error);
    const std::string value = Trim(line.substr(colon + 1));
    for (unsigned char c : value)
      if ((c < 32 && c != '\t') || c == 127) return Fail(400, "a control character in a header field", status, error);
    if (name == "content-length") {
      lengths.push_back(value);
      continue;
    }
    std::string& field = head.fields[name];
    field = field.empty() ? value : field + ", " + value;
  }
  if (head.fields.count("transfer-encoding"))
    return Fail(501, "Transfer-Encoding is not taken here; send the body with a Content-Length", status, error);
  if (!lengths.empty()) {
    // One length, or the same one repeated: a request read two ways is no request.
    for (const std::string& l : lengths)
      if (l != lengths[0]) return Fail(400, "Content-Length given twice with different values", status, error);
    const std::string& l = lengths[0];
    if (l.empty() || l.size() > 19 || !std::all_of(l.begin(), l.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return Fail(400, "Content-Length is not a number of bytes", status, error);
    unsigned long long n = 0;
    for (char c : l) n = n * 10 + static_cast<unsigned>(c - '0');
    if (n > maxBody)
      return Fail(413, "the request body (" + l + " bytes) is larger than " + std::to_string(maxBody / 1024) + " KiB",
                  status, error);
    head.contentLength = static_cast<size_t>(n);
  }
  if (head.minor == 1 && !head.fields.count("host")) return Fail(400, "an HTTP/1.1 request without Host", status, error);
  const std::string connection = head.fields.count("connection") ? head.fields["connection"] : std::string();
  head.keepAlive = head.minor == 1 ? !ListHas(connection, "close") : ListHas(connection, "keep-alive");
  head.upgrade = head.fields.count("upgrade") && ListHas(head.fields["upgrade"], "websocket");
  return true;
}

bool HostNamesServer(const std::string& host, const std::vector<std::string>& names, int port, bool encrypted) {
  std::string name = Lower(host);
  std::string portText;
  if (!name.empty() && name[0] == '[') {
    const size_t close = name.find(']');
    if (close == std::string::npos) return false;
    portText = close + 1 < name.size() && name[close + 1] == ':' ? name.substr(close + 2) : std::string();
    if (close + 1 < name.size() && name[close + 1] != ':') return false;
    name = name.substr(1, close - 1);
  } else if (const size_t colon = name.rfind(':'); colon != std::string::npos) {
    portText = name.substr(colon + 1);
    name = name.substr(0, colon);
    if (portText.empty()) return false;
  }
  if (!portText.empty()) {
    if (portText.size() > 5 || !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    if (std::stoi(portText) != port) return false;
  } else if (port != (encrypted ? 443 : 80)) {
    return false;
  }
  return std::find(names.begin(), names.end(), name) != names.end();
}

const char* HttpReason(int status) {
  switch (status) {
    case 101: return "Switching Protocols";
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 415: return "Unsupported Media Type";
    case 421: return "Misdirected Request";
    case 426: return "Upgrade Required";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Status";
  }
}

}  // namespace mirelune
