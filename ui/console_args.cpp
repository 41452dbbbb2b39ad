#include "ui/console_args.h"

namespace mirelune::ui {

bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleOptions& options, bool& help,
                      std::string& error) {
  help = false;
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
      help = true;
      continue;
    }
    if (arg != "--device" && arg != "--faults") {
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
      if (value == "hid") {
        options.device = ConsoleOptions::Device::Hid;
      } else if (value == "virtual") {
        options.device = ConsoleOptions::Device::Virtual;
      } else {
        error = "--device: '" + value + "' is neither hid nor virtual";
        return false;
      }
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
    if (!ParseFaultSpec(faultText, options.faults, why)) {
      error = "--faults: " + why;
      return false;
    }
  }
  return true;
}

}  // namespace mirelune::ui
