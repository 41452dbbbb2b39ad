// mirelune-cli: the console's core from the command line.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace {

using mirelune::cli::Command;
using mirelune::cli::Commands;

void PrintHelp(std::ostream& out) {
  out << "usage: mirelune-cli [--device hid|virtual] [--trace] [--password PW] [--faults LIST]\n"
         "                    COMMAND [ARGS...]\n\n"
         "Global options:\n"
         "  --device hid|virtual  the USB amplifier (default) or the built-in virtual amplifier\n"
         "  --trace               print every frame sent (\"> \") and received (\"< \") in hex\n"
         "  --password PW         the administrator password, instead of asking on the terminal\n"
         "  --faults LIST         fault injection of the virtual amplifier (see README)\n\n"
         "Commands:\n";
  std::vector<Command> cmds = Commands();
  std::sort(cmds.begin(), cmds.end(), [](auto& a, auto& b) { return a.name < b.name; });
  for (const Command& c : cmds) {
    std::string name = c.name;
    name.resize(std::max<size_t>(name.size() + 2, 14), ' ');
    out << "  " << name << c.summary << "\n";
  }
  out << "\n'mirelune-cli COMMAND --help' describes one command.\n";
}

}  // namespace

int main(int argc, char** argv) {
  mirelune::cli::Options opt;
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        std::cerr << "mirelune-cli: option " << a << " needs a value\n";
        std::exit(2);
      }
      into = argv[++i];
    };
    if (a == "--device") {
      value(opt.device);
      if (opt.device != "hid" && opt.device != "virtual") {
        std::cerr << "mirelune-cli: --device must be hid or virtual, not '" << opt.device << "'\n";
        return 2;
      }
    } else if (a == "--trace") {
      opt.trace = true;
    } else if (a == "--password") {
      value(opt.password);
      opt.hasPassword = true;
    } else if (a == "--faults") {
      value(opt.virtualFaults);
    } else {
      rest.push_back(a);
    }
  }
  if (rest.empty() || rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
    if (rest.size() < 2) {
      PrintHelp(rest.empty() ? std::cerr : std::cout);
      return rest.empty() ? 2 : 0;
    }
    rest = {rest[1], "--help"};
  }
  const std::string name = rest[0];
  rest.erase(rest.begin());
  for (const Command& c : Commands()) {
    if (c.name != name) continue;
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
      std::cout << c.usage;
      return 0;
    }
    mirelune::cli::Context ctx{opt, std::cout, std::cerr};
    return c.run(ctx, rest);
  }
  std::cerr << "mirelune-cli: unknown command '" << name << "' (try --help)\n";
  return 2;
}
