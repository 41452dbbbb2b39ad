// The console's command line: mirelune [--device hid|virtual] [--faults LIST].
#pragma once

#include <string>
#include <vector>

#include "ui/console_session.h"

namespace mirelune::ui {

inline constexpr char kUsage[] =
    "usage: mirelune [--device hid|virtual] [--faults LIST]\n"
    "  --device hid      the USB amplifier (default)\n"
    "  --device virtual  the built-in virtual amplifier\n"
    "  --faults LIST     fault injection of the virtual amplifier, e.g. drop=2,split=5\n"
    "                    (the items of mirelune-cli --faults)\n";

// Parses the arguments after the program name; both "--opt value" and "--opt=value" are
// accepted. False with `error` naming the offending argument. `help` is set for --help/-h.
// The virtual state path is left empty; the caller chooses it.
bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleOptions& options, bool& help,
                      std::string& error);

}  // namespace mirelune::ui
