// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-cli as started: a front without Qt that answers --version itself, runs `get` and
// `set` through libmirelune-cli-values.so (no Qt either; it hands every case it does not run
// back untouched) and loads the tool (libmirelune-cli.so) for everything else. Both libraries
// lie beside it in the build and in <prefix>/libexec/mirelune when installed. Loading Qt Core
// alone costs a process several times what it costs to start at all; a question about the
// version, or one value read or set, need not pay that.
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/command.h"
#include "cli/front/values_entry.h"
#include "mirelune/version.h"

namespace {

// The command line's global options as the tool reads them, and the command's name; false
// when they are not what the tool would take (it says why in its own words).
bool ReadLine(int argc, char** argv, mirelune::cli::Args& global, std::string& command) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "__complete") return false;
  std::string error;
  if (!mirelune::cli::TakeKnownOptions(mirelune::cli::GlobalOptions(), words, global, error)) return false;
  command = words.empty() ? std::string() : words[0];
  return true;
}

// --version among the global options, on a standard output that takes the whole line: then
// the answer is given here. Anything else (a bad option, a closed or full output) is left to
// the tool, which says it in its own words.
bool AnsweredVersion(const mirelune::cli::Args& global) {
  if (!global.Has("--version")) return false;
  if (::fcntl(1, F_GETFD) == -1) return false;
  const std::string line = std::string("mirelune-cli ") + mirelune::kVersion + "\n";
  ssize_t n;
  do n = ::write(1, line.data(), line.size());
  while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(line.size());
}

// get or set through the library without Qt, beside the tool; kValuesHandOver when it does not
// run this command line or cannot be loaded (the tool then runs it as it would anyway).
int RanWithoutQt(int argc, char** argv, const std::filesystem::path& tool) {
  const std::filesystem::path values = tool.parent_path() / "libmirelune-cli-values.so";
  void* lib = ::dlopen(values.c_str(), RTLD_NOW | RTLD_LOCAL);
  const auto run = lib ? reinterpret_cast<int (*)(int, char**, const char*)>(::dlsym(lib, "MireluneCliValues")) : nullptr;
  return run ? run(argc, argv, tool.c_str()) : kValuesHandOver;
}

}  // namespace

int main(int argc, char** argv) {
  mirelune::cli::Args global;
  std::string command;
  const bool read = ReadLine(argc, argv, global, command);
  if (read && AnsweredVersion(global)) return 0;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::filesystem::path dir = ec ? std::filesystem::path(".") : self.parent_path();
  const std::filesystem::path places[] = {dir / "libmirelune-cli.so",
                                          (dir / ".." / "libexec" / "mirelune" / "libmirelune-cli.so").lexically_normal()};
  std::string tried;
  for (const std::filesystem::path& p : places) {
    if (::access(p.c_str(), R_OK) != 0) continue;
    if (read && (command == "get" || command == "set")) {
      const int status = RanWithoutQt(argc, argv, p);
      if (status != kValuesHandOver) return status;
    }
    void* tool = ::dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto run = tool ? reinterpret_cast<int (*)(int, char**)>(::dlsym(tool, "MireluneCliMain")) : nullptr;
    if (run) return run(argc, argv);
    const char* why = ::dlerror();
    tried = p.string() + " cannot be loaded (" + (why ? why : "no MireluneCliMain in it") + ")";
    break;
  }
  if (tried.empty()) tried = "neither " + places[0].string() + " nor " + places[1].string() + " is installed";
  const std::string message = "mirelune-cli: the tool itself is missing: " + tried + "\n";
  [[maybe_unused]] const ssize_t n = ::write(2, message.data(), message.size());
  return mirelune::cli::kExitFailed;
}
