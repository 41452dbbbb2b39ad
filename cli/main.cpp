// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-cli: the console's core from the command line.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <locale>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/command.h"
#include "cli/language.h"
#include <filesystem>
#include "mirelune/version.h"
#include "owner/device_address.h"
#include "sim/virtual_faults.h"

namespace {

using mirelune::cli::Command;
using mirelune::cli::Commands;

void PrintHelp(std::ostream& out) {
  out << "usage: mirelune-cli [--device DEVICE] [--trace] [--password PW] [--faults LIST]\n"
         "                    COMMAND [ARGS...]\n"
         "       mirelune-cli --version\n\n"
         "Global options:\n"
         "  --device DEVICE       the amplifier: hid (the one attached, default), hid:SERIAL,\n"
         "                        hid:N (a row of 'devices'), hid:PATH, virtual, virtual:NAME;\n"
         "                        write-mode, read-mode, modes push and sync also take all\n"
         "                        and lists (virtual:a,virtual:b)\n"
         "  --trace               print every frame sent (\"> \") and received (\"< \") in hex\n"
         "  --password PW         the administrator password, instead of asking on the terminal\n"
         "  --faults [NAME:]LIST  fault injection of the virtual amplifier, items separated by\n"
         "                        commas: drop=N, corrupt=N (replies dropped or damaged),\n"
         "                        split=N (reports of N bytes), stray, delay=MS, nosync,\n"
         "                        unplug=AT[:FOR] (ms), usbtiming, open=denied|busy, admin;\n"
         "                        of virtual:NAME only with the prefix; repeatable\n"
         "  --lang zh|en          the language of messages (default: the locale's - Chinese\n"
         "                        for Chinese locales, English for all others)\n"
         "  --version             print the version and exit\n\n"
         "Commands:\n";
  std::vector<Command> cmds = Commands();
  std::sort(cmds.begin(), cmds.end(), [](auto& a, auto& b) { return a.name < b.name; });
  for (const Command& c : cmds) {
    std::string name = c.name;
    name.resize(std::max<size_t>(name.size() + 2, 14), ' ');
    out << "  " << name << c.summary << "\n";
  }
  out << "\n'mirelune-cli COMMAND --help' describes one command.\n"
         "Exit status: 0 done, 1 the operation failed, 2 a usage error (diff: 1 when the files\n"
         "differ, 2 on any error).\n"
         "User guide: /usr/share/doc/mirelune/guide.en.md, guide.zh.md (docs/ in the source).\n";
}

std::string g_command;  // the command run, for the message of an output that failed

// Output that could not be delivered is no success, whatever the command did: standard output
// is flushed and closed here, and a failure of either (a full disk, /dev/full, a closed pipe,
// an I/O error reported only at close) is a message and exit 1.
int CheckedExit(int status) {
  std::cout.flush();
  errno = 0;
  bool ok = static_cast<bool>(std::cout) && std::fflush(stdout) == 0;
  int err = errno;
  if (ok && std::fclose(stdout) != 0) {
    ok = false;
    err = errno;
  }
  if (ok) return status;
  std::cerr << "mirelune-cli" << (g_command.empty() ? "" : " " + g_command)
            << ": standard output could not be written (" << (err ? std::strerror(err) : "write error")
            << "); what it printed is incomplete\n";
  return status == 0 ? mirelune::cli::kExitFailed : status;
}

// This program's own file, for the processes of a batch.
std::string SelfPath(const char* argv0) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(argv0) : self.string();
}

}  // namespace

int Run(int argc, char** argv) {
  using mirelune::cli::kExitUsage;
  // Numbers go out the same under every locale: the streams keep the classic one even if a
  // library changes the global C++ locale (Qt sets only the C library's, from the environment).
  std::cout.imbue(std::locale::classic());
  std::cerr.imbue(std::locale::classic());
  mirelune::cli::Options opt;
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        std::cerr << "mirelune-cli: option " << a << " needs a value\n";
        std::exit(kExitUsage);
      }
      into = argv[++i];
    };
    if (a == "--device") {
      value(opt.device);
      opt.deviceGiven = true;
      std::vector<mirelune::DeviceAddress> addresses;
      std::string error;
      if (!mirelune::ParseDeviceList(opt.device, addresses, error)) {
        std::cerr << "mirelune-cli: --device: " << error << "\n";
        return kExitUsage;
      }
    } else if (a == "--version") {
      std::cout << "mirelune-cli " << mirelune::kVersion << "\n";
      return 0;
    } else if (a == "--trace") {
      opt.trace = true;
    } else if (a == "--lang") {
      value(opt.language);
      if (opt.language != "zh" && opt.language != "en") {
        std::cerr << "mirelune-cli: --lang must be zh or en, not '" << opt.language << "'\n";
        return kExitUsage;
      }
    } else if (a == "--password") {
      value(opt.password);
      opt.hasPassword = true;
    } else if (a == "--faults") {
      std::string given;
      value(given);
      opt.faultLists.push_back(given);
    } else {
      rest.push_back(a);
    }
  }
  if (!mirelune::cli::UseLanguage(opt.language))
    std::cerr << "mirelune-cli: the English translation could not be loaded; messages stay Chinese\n";
  if (!opt.faultLists.empty()) {
    if (opt.device.find("virtual") == std::string::npos && opt.device.find("all") == std::string::npos) {
      std::cerr << "mirelune-cli: --faults applies to --device virtual only\n";
      return kExitUsage;
    }
    for (const std::string& given : opt.faultLists) {
      mirelune::VirtualFaults faults;
      std::string error;
      if (!mirelune::ParseFaultList(mirelune::SplitFaultArgument(given).items, faults, error)) {
        std::cerr << "mirelune-cli: --faults: " << error << "\n";
        return kExitUsage;
      }
    }
  }
  if (rest.empty() || rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
    if (rest.size() < 2) {
      PrintHelp(rest.empty() ? std::cerr : std::cout);
      return rest.empty() ? kExitUsage : 0;
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
    int status = 0;
    // --json on a command that runs on several amplifiers gives its summary for one as well.
    const bool json = std::find(rest.begin(), rest.end(), "--json") != rest.end() &&
                      mirelune::cli::BatchCommand(name, rest);
    if (mirelune::cli::WantsSeveralDevices(opt) || json) {
      if (!mirelune::cli::BatchCommand(name, rest)) {
        std::cerr << "mirelune-cli " << name << ": --device " << opt.device
                  << " names several amplifiers; only write-mode, read-mode, modes push and sync "
                     "run on several\n";
        return kExitUsage;
      }
      status = mirelune::cli::RunBatch(ctx, SelfPath(argv[0]), name, rest);
    } else {
      status = c.run(ctx, rest);
    }
    g_command = name;
    return status;
  }
  std::cerr << "mirelune-cli: unknown command '" << name << "' (try --help)\n";
  return kExitUsage;
}

int main(int argc, char** argv) { return CheckedExit(Run(argc, argv)); }
