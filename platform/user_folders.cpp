// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_folders.h"

#include <cstdlib>
#include <vector>

namespace mirelune {
namespace {

// A path cleaned as QDir::cleanPath cleans it: no empty or "." parts, each ".." taking away the
// part before it, and one that has none left kept (also after the root: "/h/../.." is "/..").
std::string CleanPath(const std::string& path) {
  std::vector<std::string> parts;
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") parts.pop_back();
      else parts.push_back(part);
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  const bool absolute = !path.empty() && path[0] == '/';
  std::string out;
  for (const std::string& p : parts) out += (out.empty() && !absolute ? "" : "/") + p;
  if (out.empty()) return absolute ? "/" : ".";
  return out;
}

}  // namespace

std::string UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data) return data;
  const char* home = std::getenv("HOME");
  return CleanPath(home && *home ? home : "/") + "/.local/share";
}

}  // namespace mirelune
