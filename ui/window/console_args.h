// SPDX-License-Identifier: GPL-3.0-or-later
// The console's command line:
//   mirelune [--device DEVICE] [--faults LIST] [--trace FILE] [--lang zh|en]
//            | --version | --help
#pragma once

#include <string>
#include <vector>

#include "ui/session/console_session.h"

namespace mirelune::ui {

inline constexpr char kUsage[] =
    "usage: mirelune [--device DEVICE] [--faults LIST] [--trace FILE] [--lang zh|en]\n"
    "       mirelune --version | --help\n"
    "  --device hid      the USB amplifier (the one attached; default: the one chosen\n"
    "                    last in Device > Choose amplifier)\n"
    "  --device hid:SERIAL, hid:N, hid:PATH   one of several USB amplifiers\n"
    "                    (mirelune-cli devices lists them)\n"
    "  --device virtual  the built-in virtual amplifier; virtual:NAME a named one\n"
    "  --faults LIST     fault injection of the virtual amplifier, e.g. drop=2,split=5\n"
    "                    (the items of mirelune-cli --faults)\n"
    "  --trace FILE      record every frame sent (\">\") and received (\"<\") into FILE,\n"
    "                    each line with the milliseconds since the start; the menu entry\n"
    "                    of the link log stops it\n"
    "  --lang zh|en      the console's language (default: the one chosen in its menu,\n"
    "                    else Chinese on a Chinese system locale and English elsewhere)\n"
    "  --version         print the version and exit\n"
    "User guide: /usr/share/doc/mirelune/guide.en.md, guide.zh.md (docs/ in the source)\n";

struct ConsoleCommandLine {
  ConsoleOptions options;  // the virtual state path is left empty: the caller chooses it
  bool help = false;       // --help or -h
  bool version = false;    // --version
  std::string tracePath;   // --trace FILE; empty: no link log at start
  std::string language;    // --lang: "zh", "en", or empty for the saved or the system's
};

// Parses the arguments after the program name; both "--opt value" and "--opt=value" are
// accepted. False with `error` naming the offending argument.
bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleCommandLine& line,
                      std::string& error);

// The same for callers that only need the session's options: the other fields are parsed (a
// bad --trace is still an error) and dropped; `help` is set for --help/-h.
bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleOptions& options, bool& help,
                      std::string& error);

}  // namespace mirelune::ui
