// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_folders.h"

#include <cstdlib>
#include <filesystem>

namespace mirelune {

std::string UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data) return data;
  const char* home = std::getenv("HOME");
  std::string clean = std::filesystem::path(home && *home ? home : "/").lexically_normal().string();
  if (clean.size() > 1 && clean.back() == '/') clean.pop_back();
  return clean + "/.local/share";
}

}  // namespace mirelune
