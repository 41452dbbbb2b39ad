// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/helper_program.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <unistd.h>

namespace mirelune::cli {
namespace {

std::map<std::string, Command::Run>& Implementations() {
  static std::map<std::string, Command::Run> table;
  return table;
}

// This process's arguments after its name, as it was started (NUL-separated in the kernel's
// copy): what the helper is given, so that it reads the same command line.
bool OwnArguments(std::vector<std::string>& words) {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  if (!in) return false;
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  words.clear();
  for (size_t at = 0; at < all.size();) {
    const size_t end = all.find('\0', at);
    words.push_back(all.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  if (words.empty()) return false;
  words.erase(words.begin());
  return true;
}

}  // namespace

ImplementationRegistration::ImplementationRegistration(std::string name, Command::Run run) {
  Implementations()[std::move(name)] = std::move(run);
}

const Command::Run* FindImplementation(const std::string& name) {
  const auto it = Implementations().find(name);
  return it == Implementations().end() ? nullptr : &it->second;
}

int RunWithCode(Context& ctx, const std::string& name, const std::string& helper, const Args& args) {
  if (const Command::Run* run = FindImplementation(name)) return (*run)(ctx, args);
  if (ctx.shared)
    return UsageError(ctx.err, name,
                      "it runs in its own program (" + helper + "), on its own command line, not in a script");
  std::vector<std::string> words;
  if (!OwnArguments(words)) {
    ctx.err << "mirelune-cli " << name << ": cannot read this program's command line (/proc/self/cmdline) for "
            << helper << "\n";
    return kExitFailed;
  }
  return ExecHelper(ctx, name, helper, words);
}

Command::Run InHelper(std::string name, std::string helper) {
  return [name = std::move(name), helper = std::move(helper)](Context& ctx, const Args& args) {
    return RunWithCode(ctx, name, helper, args);
  };
}

int ExecHelper(Context& ctx, const std::string& command, const std::string& helper,
               const std::vector<std::string>& words) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::filesystem::path dir = ec ? std::filesystem::path(".") : self.parent_path();
  const std::filesystem::path places[] = {dir / helper,
                                          (dir / ".." / "libexec" / "mirelune" / helper).lexically_normal()};
  std::string path;
  for (const std::filesystem::path& p : places)
    if (::access(p.c_str(), X_OK) == 0) {
      path = p.string();
      break;
    }
  if (path.empty()) {
    ctx.err << "mirelune-cli " << command << ": its helper program is not installed: neither "
            << places[0].string() << " nor " << places[1].string() << " can be run\n";
    return kExitFailed;
  }
  ctx.out.flush();
  ctx.err.flush();
  std::fflush(nullptr);
  std::vector<std::string> argv{path};
  argv.insert(argv.end(), words.begin(), words.end());
  std::vector<char*> pointers;
  for (std::string& w : argv) pointers.push_back(w.data());
  pointers.push_back(nullptr);
  ::execv(path.c_str(), pointers.data());
  ctx.err << "mirelune-cli " << command << ": cannot run " << path << " (" << std::strerror(errno) << ")\n";
  return kExitFailed;
}

}  // namespace mirelune::cli
