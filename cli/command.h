// SPDX-License-Identifier: GPL-3.0-or-later
// Folder cli/: mirelune-cli: the command table and one file per group of commands; no GUI folder.
// May include: remote/, modes/, graph/ and what lies under them.
//
// The command table of mirelune-cli. Each cmd_*.cpp registers its commands with a static
// CommandRegistration; main() parses the global options and dispatches.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace mirelune::cli {

// Global options, given before or after the command name.
struct Options {
  std::string device = "hid";   // --device hid[:SERIAL|:N|:PATH]|virtual[:NAME]|all|A,B,..
  bool deviceGiven = false;     // --device was on the command line (eq import's target)
  bool trace = false;           // --trace: frames on stdout
  std::string password;         // --password: administrator password, else asked on the terminal
  // --faults [NAME:]LIST, repeatable: fault injection of the virtual amplifiers (of virtual:NAME
  // only with the prefix)
  std::vector<std::string> faultLists;
  bool hasPassword = false;
  std::string language;         // --lang zh|en; empty: the locale's
  // --wait SECONDS: how long a command waits for an amplifier another command holds, for the
  // owner's answer, or for a virtual amplifier's memory another program has locked
  int waitMs = 30000;
};

// "giving up after 30 s (--wait SECONDS to wait longer)": how a waiting command names its end.
std::string WaitLimitText(const Options& options);

class DeviceSession;

struct Context {
  Options options;
  std::ostream& out;
  std::ostream& err;
  // The link session of `run`: the device commands of a script use it instead of a new one.
  DeviceSession* shared = nullptr;
  // False while several amplifiers are worked on side by side in this process: nothing is
  // asked on the terminal, every question is answered as without one.
  bool terminal = true;
};

struct Command {
  std::string name;
  std::string summary;  // one line for the command list
  std::string usage;    // the text of `mirelune-cli help NAME` / `NAME --help`
  // Returns the exit status. `args` excludes the command name and the global options.
  std::function<int(Context&, const std::vector<std::string>& args)> run;
};

std::vector<Command>& Commands();

struct CommandRegistration {
  explicit CommandRegistration(Command c) { Commands().push_back(std::move(c)); }
};

// Small argument helpers shared by the commands.
// Removes "--name VALUE" (or "-n VALUE") from args; true when present. Missing value -> error.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                std::string& error, const std::string& shortName = "");
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Parses a decimal or 0x-hexadecimal integer: the whole text, at most one sign, no spaces, and
// a number that fits `value`; false for anything else ("--5", "5x", "99999999999999999999").
bool ParseInt(const std::string& text, long& value);

// Exit statuses, the same for every command: 0 done, 1 the operation failed (a file refused,
// the amplifier not answering, a save that failed), 2 the command line is wrong (unknown
// command or option, a missing or malformed argument, a value out of its range). `diff` keeps
// 1 for "the files differ" and reports its errors with 2.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

}  // namespace mirelune::cli
