// SPDX-License-Identifier: GPL-3.0-or-later
// `get` and `set` of the virtual amplifier without Qt: loading Qt Core (and the ICU, glib and
// pcre2 it brings) costs a short command most of its time, and these two are what scripts run
// most often. The work itself is the tool's own code (cli/device_values.h, the device session,
// the link and the virtual amplifier), on a scheduler without Qt's loop. Everything else is
// handed to the tool before anything happens: a command line with a mistake (the tool words
// the usage error), --help, a real amplifier (its reports come from hidapi's thread through
// Qt's loop), several amplifiers, a closed standard stream, and an amplifier a console owns
// (the tool goes through the console's socket).
#include <dlfcn.h>

#include <clocale>
#include <iostream>
#include <locale>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/device_session.h"
#include "cli/device_values.h"
#include "cli/front/values_entry.h"
#include "cli/language.h"
#include "cli/standard_streams.h"
#include "owner/device_address.h"
#include "platform/clock_scheduler.h"
#include "platform/text.h"
#include "sim/virtual_faults.h"

namespace mirelune::cli {
namespace {

class PlainPlatform : public SessionPlatform {
 public:
  std::unique_ptr<Scheduler> NewScheduler() override {
    // Where the tool's session makes Qt's application object, which takes the C library's
    // locale from the environment: the system's own texts (strerror) then read the same.
    std::setlocale(LC_ALL, "");
    return std::make_unique<ClockScheduler>();
  }
  std::unique_ptr<HidPort> NewHidPort() override { return nullptr; }
  std::vector<HidDeviceInfo> Amplifiers(uint16_t, uint16_t) override { return {}; }
};

// The English texts are the tool's (its Qt translation): the tool's library is loaded when the
// first text is to be said. When it cannot be, that is said once and the texts stay Chinese,
// as the tool does when its translation is missing.
class EnglishOfTool : public TextTranslator {
 public:
  explicit EnglishOfTool(std::string tool) : tool_(std::move(tool)) {}
  std::string In(const char* context, const char* source) const override {
    return Loaded() ? english_(context, source) : source;
  }
  std::string Lines(const std::string& message) const override {
    return Loaded() ? english_(nullptr, message.c_str()) : message;
  }

 private:
  using English = const char* (*)(const char*, const char*);
  bool Loaded() const {
    if (!tried_) {
      tried_ = true;
      void* lib = ::dlopen(tool_.c_str(), RTLD_NOW | RTLD_LOCAL);
      english_ = lib ? reinterpret_cast<English>(::dlsym(lib, "MireluneCliEnglish")) : nullptr;
      if (!english_) std::cerr << "mirelune-cli: the English translation could not be loaded; messages stay Chinese\n";
    }
    return english_ != nullptr;
  }
  std::string tool_;
  mutable bool tried_ = false;
  mutable English english_ = nullptr;
};

// The command line as the tool reads it, when it is one this library runs.
struct Line {
  Options options;
  std::string command;
  Args args;
  GetRequest get;
  SetRequest set;
};

bool Runs(int argc, char** argv, Line& line) {
  std::vector<std::string> rest(argv + 1, argv + argc);
  Args global;
  std::string error;
  if (!TakeKnownOptions(GlobalOptions(), rest, global, error) || global.Has("--version")) return false;
  ReadGlobalOptions(global, line.options);
  std::vector<DeviceAddress> addresses;
  if (!ParseDeviceList(line.options.device, addresses, error) || addresses.size() != 1 ||
      addresses[0].kind != DeviceAddress::Kind::Virtual)
    return false;
  for (const std::string& given : line.options.faultLists) {
    VirtualFaults faults;
    if (!ParseFaultList(SplitFaultArgument(given).items, faults, error)) return false;
  }
  if (rest.empty() || (rest[0] != "get" && rest[0] != "set")) return false;
  line.command = rest[0];
  rest.erase(rest.begin());
  for (const std::string& word : rest)
    if (word == "--help") return false;
  if (line.command == "get")
    return ParseArgs(GetSyntax(), rest, line.args, error) && ParseGet(line.args, line.get, error);
  return ParseArgs(SetSyntax(), rest, line.args, error) && ParseSet(line.args, line.set, error);
}

}  // namespace
}  // namespace mirelune::cli

extern "C" int MireluneCliValues(int argc, char** argv, const char* tool) {
  using namespace mirelune::cli;
  if (StandardStreamClosed()) return kValuesHandOver;
  Line line;
  if (!Runs(argc, argv, line)) return kValuesHandOver;
  std::cout.imbue(std::locale::classic());
  std::cerr.imbue(std::locale::classic());
  const std::string lang = line.options.language.empty() ? LocaleLanguage() : line.options.language;
  static EnglishOfTool english(tool);
  if (lang != "zh") mirelune::SetTextTranslator(&english);
  static PlainPlatform platform;
  UseSessionPlatform(platform);
  SayStateLockWaits(line.command, line.options);
  Context ctx{line.options, std::cout, std::cerr};
  bool owned = false;
  const auto throughOwner = [&owned](DeviceSession&) {
    owned = true;
    return kExitFailed;
  };
  int status = kExitOk;
  if (line.command == "get") {
    status = RunOnDevice(ctx, "get", [&](DeviceSession& s) { return GetOnDevice(s, line.get, ctx.out); },
                         throughOwner);
  } else {
    std::string done;
    status = RunOnDevice(ctx, "set", [&](DeviceSession& s) { return SetOnDevice(s, line.set, done); },
                         throughOwner);
    if (status == kExitOk) ctx.out << done;
  }
  if (owned) return kValuesHandOver;
  return CheckedExit(status, line.command);
}
