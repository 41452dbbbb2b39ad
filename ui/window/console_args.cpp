// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/console_args.h"

#include "owner/device_address.h"

namespace mirelune::ui {

namespace {

bool TakesValue(const std::string& option) {
  return option == "--device" || option == "--faults" || option == "--trace" || option == "--lang";
}

}  // namespace

bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleCommandLine& line,
                      std::string& error) {
  ConsoleOptions& options = line.options;
  bool faultsGiven = false;
  std::string faultText;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    if (arg == "--help" || arg == "-h") {
      line.help = true;
      continue;
    }
    if (arg == "--version" && !hasValue) {
      line.version = true;
      continue;
    }
    if (!TakesValue(arg)) {
      error = "unknown argument '" + args[i] + "'";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (arg == "--device") {
      std::vector<DeviceAddress> addresses;
      std::string why;
      if (!ParseDeviceList(value, addresses, why)) {
        error = "--device: " + why;
        return false;
      }
      if (addresses.size() != 1 || addresses[0].kind == DeviceAddress::Kind::All) {
        error = "--device: the console works on one amplifier, not '" + value + "'";
        return false;
      }
      options.device = addresses[0].kind == DeviceAddress::Kind::Virtual ? ConsoleOptions::Device::Virtual
                                                                        : ConsoleOptions::Device::Hid;
      options.address = value;
    } else if (arg == "--lang") {
      if (value != "zh" && value != "en") {
        error = "--lang: '" + value + "' is neither zh nor en";
        return false;
      }
      line.language = value;
    } else if (arg == "--trace") {
      if (value.empty()) {
        error = "--trace needs a file name";
        return false;
      }
      line.tracePath = value;
    } else {
      faultsGiven = true;
      faultText = value;
    }
  }
  if (faultsGiven) {
    if (options.device != ConsoleOptions::Device::Virtual) {
      error = "--faults applies to --device virtual only";
      return false;
    }
    std::string why;
    if (!ParseFaultList(faultText, options.faults, why)) {
      error = "--faults: " + why;
      return false;
    }
  }
  return true;
}

bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleOptions& options, bool& help,
                      std::string& error) {
  ConsoleCommandLine line;
  line.options = options;
  if (!ParseConsoleArgs(args, line, error)) return false;
  options = line.options;
  help = line.help;
  return true;
}

}  // namespace mirelune::ui
