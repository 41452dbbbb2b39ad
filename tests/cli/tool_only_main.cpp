// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-cli with the tool only: loads libmirelune-cli.so as the front does and runs the
// whole command line there, never through the library that runs get and set without Qt. The
// other side of cli_values_test.sh's comparison.
#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
  void* tool = ::dlopen(MIRELUNE_CLI_TOOL, RTLD_NOW | RTLD_LOCAL);
  const auto run = tool ? reinterpret_cast<int (*)(int, char**)>(::dlsym(tool, "MireluneCliMain")) : nullptr;
  if (!run) {
    std::fprintf(stderr, "cannot load %s: %s\n", MIRELUNE_CLI_TOOL, ::dlerror());
    return 125;
  }
  return run(argc, argv);
}
