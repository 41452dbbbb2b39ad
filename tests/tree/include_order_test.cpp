// SPDX-License-Identifier: GPL-3.0-or-later
// The tree's order: a folder includes only folders below it. The table below is that order
// (each folder with the folders directly under it; what lies under those lies under it too);
// docs/development.md describes the same folders in words. The check reads the `#include "…"`
// lines of every .cpp and .h outside tests/ and build folders, so a header of a higher folder
// included from a lower one fails here before anyone has to untangle the link order. A source
// in a folder the table does not name fails too: a new folder takes its place in the order
// when it is made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Folder {
  const char* name;
  std::vector<const char*> below;  // the folders directly under it
};

// Bottom first. The programs that draw nothing (cli and its helpers) have no GUI folder under them:
// ui/ and admin/ are not reachable from them.
const Folder kOrder[] = {
    {"model", {}},
    {"platform", {"model"}},
    {"graph", {"model"}},
    {"link", {"platform"}},
    {"measure", {"graph", "platform"}},
    {"sim", {"link", "measure"}},
    {"owner", {"sim"}},
    {"remote", {"owner"}},
    {"modes", {"owner"}},
    {"mqtt", {"remote"}},
    {"controls", {"graph", "platform"}},
    {"admin", {"modes", "controls"}},
    {"ui/look", {"graph", "platform"}},
    {"ui/session", {"modes"}},
    {"ui/graph", {"controls", "link"}},
    {"ui/pages", {"ui/look", "controls"}},
    {"ui/dialogs", {"ui/pages", "ui/session", "remote"}},
    {"ui/tuning", {"ui/dialogs", "ui/graph", "admin"}},
    {"ui/window", {"ui/tuning"}},
    {"cli", {"modes", "graph"}},
    {"cli/front", {"cli"}},
    {"cli/serve", {"cli", "mqtt"}},
    {"cli/room", {"cli"}},
    {"cli/plot", {"cli"}},
    {"cli/measure", {"cli/room"}},
    {"bench", {"ui/window"}},
    {"tools/screenshots", {"ui/window"}},
    {"tools/skingen", {}},
    {"packaging", {}},
};

// Headers the build writes (configure_file), includable from anywhere.
const char* const kGenerated[] = {"mirelune/version.h"};

using Below = std::map<std::string, std::set<std::string>>;

// Every folder with all folders under it, directly or not.
Below AllBelow() {
  std::map<std::string, std::vector<std::string>> direct;
  for (const Folder& f : kOrder) direct[f.name].assign(f.below.begin(), f.below.end());
  Below all;
  for (const Folder& f : kOrder) {
    std::set<std::string>& seen = all[f.name];
    std::vector<std::string> todo = direct[f.name];
    while (!todo.empty()) {
      const std::string d = todo.back();
      todo.pop_back();
      if (!seen.insert(d).second) continue;
      const auto it = direct.find(d);
      if (it != direct.end()) todo.insert(todo.end(), it->second.begin(), it->second.end());
    }
  }
  return all;
}

// The table's folder holding `path` (relative to the top of the tree): its directory, when the
// table names it. "ui/graph/x.h" is ui/graph's, "graph/x.h" graph's, and a file directly in ui/
// is in no folder of the order.
std::optional<std::string> FolderOf(const std::string& path) {
  const std::string dir = fs::path(path).parent_path().generic_string();
  for (const Folder& f : kOrder)
    if (dir == f.name) return dir;
  return std::nullopt;
}

struct Include {
  std::string file;    // relative to the top
  int line = 0;
  std::string target;  // as written, made relative to the top when it was relative
};

std::vector<Include> ReadIncludes(const fs::path& top, const fs::path& file) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*"([^"]+)\")");
  std::vector<Include> out;
  std::ifstream in(file);
  std::string text;
  int n = 0;
  const std::string rel = fs::relative(file, top).generic_string();
  while (std::getline(in, text)) {
    ++n;
    std::smatch m;
    if (!std::regex_search(text, m, kInclude)) continue;
    std::string target = m[1];
    if (target.find('/') == std::string::npos || target.rfind("../", 0) == 0 ||
        target.rfind("./", 0) == 0)
      target = (fs::path(rel).parent_path() / target).lexically_normal().generic_string();
    out.push_back({rel, n, target});
  }
  return out;
}

bool Skipped(const fs::path& top, const fs::path& dir) {
  const std::string name = fs::relative(dir, top).generic_string();
  return name == "tests" || name.rfind("build", 0) == 0 || name.rfind(".", 0) == 0;
}

std::vector<fs::path> Sources(const fs::path& top) {
  std::vector<fs::path> out;
  for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->is_directory() && it.depth() == 0 && Skipped(top, it->path())) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string ext = it->path().extension().string();
    if (it->is_regular_file() && (ext == ".cpp" || ext == ".h")) out.push_back(it->path());
  }
  return out;
}

TEST(IncludeOrder, TheTableIsAnOrder) {
  const Below all = AllBelow();
  std::set<std::string> names;
  for (const Folder& f : kOrder) names.insert(f.name);
  for (const Folder& f : kOrder) {
    EXPECT_EQ(all.at(f.name).count(f.name), 0u) << f.name << " lies below itself: a cycle";
    for (const char* b : f.below) EXPECT_EQ(names.count(b), 1u) << f.name << " names " << b;
  }
  // The programs that show no window reach nothing of a GUI folder.
  for (const char* program : {"cli", "cli/front", "cli/serve", "cli/room", "cli/plot", "cli/measure", "remote", "mqtt", "modes"})
    for (const std::string& below : all.at(program))
      EXPECT_TRUE(below.rfind("ui/", 0) != 0 && below != "admin" && below != "controls")
          << program << " may include the GUI folder " << below;
}

TEST(IncludeOrder, NoFolderIncludesAHigherOne) {
  const fs::path top = MIRELUNE_SOURCE_DIR;
  const Below all = AllBelow();
  const std::vector<fs::path> sources = Sources(top);
  ASSERT_GT(sources.size(), 100u) << "no sources found under " << top;
  int checked = 0;
  for (const fs::path& file : sources) {
    const std::string rel = fs::relative(file, top).generic_string();
    const std::optional<std::string> from = FolderOf(rel);
    if (!from) {
      ADD_FAILURE() << rel << ": its folder has no place in the include order (kOrder)";
      continue;
    }
    for (const Include& inc : ReadIncludes(top, file)) {
      bool generated = false;
      for (const char* g : kGenerated) generated = generated || inc.target == g;
      if (generated) continue;
      const std::optional<std::string> to = FolderOf(inc.target);
      if (!to) {
        ADD_FAILURE() << inc.file << ":" << inc.line << " includes \"" << inc.target
                      << "\", which is in no folder of the include order";
        continue;
      }
      ++checked;
      if (*to == *from) continue;
      EXPECT_EQ(all.at(*from).count(*to), 1u)
          << inc.file << ":" << inc.line << " includes \"" << inc.target << "\": " << *to
          << " is not below " << *from;
    }
  }
  EXPECT_GT(checked, 500) << "too few includes read: is the pattern still right?";
}

}  // namespace
