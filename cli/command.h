// SPDX-License-Identifier: GPL-3.0-or-later
// Folder cli/: mirelune-cli: the command table and one file per group of commands; no GUI folder.
// May include: remote/, modes/, graph/ and what lies under them.
//
// The command table of mirelune-cli. Each cmd_*.cpp registers its commands with a static
// CommandRegistration: name, one-line summary, usage text, the function that runs it, and its
// syntax - the options it takes (with what their values are) and its operands. One parser
// reads every command line by that syntax, so every command refuses a bad option in the same
// words with exit 2, and `--help`, the man page and the shells' completion scripts come from
// the same table. A new option is a row in the command's syntax, next to its registration:
//
//   const CommandRegistration kGet(
//       {"get", "从功放读取参数", "用法: ...", Get,
//        {.options = {Flag("--json"), Opt("--sound-mode", "0|1", OneOf({"0", "1"}))},
//         .operands = {Many("PARAM", Value::Param, 1)}}});
//
//   int Get(Context& ctx, const Args& args) {
//     const bool json = args.Has("--json");
//     ... args.Value("--sound-mode"), args.operands ...
//   }
//
// The summary and usage are source texts (Chinese) shown through the translations in the
// user's language (cli/help.h).
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
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

struct Args;
// The options of a command line whose global options TakeKnownOptions has taken into `global`.
void ReadGlobalOptions(const Args& global, Options& options);

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

// What a value on the command line is. The parser checks numbers and fixed lists; every kind
// tells the shells' completion what to offer.
struct Value {
  enum Kind {
    Text,        // anything: no check, nothing to offer
    Number,      // a whole number lo..hi (ParseInt's forms)
    Choice,      // one of `choices`
    File,        // a file name; `extensions` ("sp", "txt") are what completion offers first
    Script,      // a file name or "-" for standard input
    Device,      // what --device takes: the amplifiers present, virtual:NAME, all, lists
    Param,       // a parameter: address, KIND:NAME or NAME, Chinese or English
    Assignment,  // PARAM=VALUE of `set` (or the two words PARAM VALUE)
    Mode,        // a device mode number 1..10
    ModeName,    // a file of the mode folder, by its mode name
  };
  Kind kind = Text;
  long lo = 0, hi = 0;               // Number
  std::vector<std::string> choices;  // Choice
  std::string extensions;            // File: comma-separated, without dots; empty for any file

  static Value Of(Kind k) {
    Value v;
    v.kind = k;
    return v;
  }
};
Value NumberIn(long lo, long hi);
Value OneOf(std::vector<std::string> choices);
Value FileOf(std::string extensions = "");

struct OptionSpec {
  std::string name;       // "--page"
  std::string shortName;  // "-o", or empty
  std::string valueName;  // "P" in "--page P"; empty for a flag
  Value value;
  bool required = false;
  bool repeatable = false;
  bool TakesValue() const { return !valueName.empty(); }
};
// A flag; an option with a value; the same, required or repeatable.
OptionSpec Flag(std::string name);
OptionSpec Opt(std::string name, std::string valueName, Value value, std::string shortName = "");
OptionSpec Required(OptionSpec o);
OptionSpec Repeatable(OptionSpec o);

struct OperandSpec {
  std::string name;  // "FILE", "N", "PARAM=VALUE"
  Value value;
  int min = 1;       // how many words it takes
  int max = 1;       // -1: any number
};
OperandSpec One(std::string name, Value value);
OperandSpec Many(std::string name, Value value, int min);

struct SubCommand;

// The words a command takes after its name. With sub-commands the first operand names one
// (`eq export`, `modes pull`) and that one's syntax applies, with the command's own options.
struct Syntax {
  std::vector<OptionSpec> options;
  std::vector<OperandSpec> operands;
  std::vector<SubCommand> subs;
  bool hidden = false;  // not in --help, the man page or completion (the completion's helper)
  bool raw = false;     // the words are passed as they are, unparsed

  // A registration reads as one row: Syntax().WithOptions({...}).WithOperands({...}).
  Syntax WithOptions(std::vector<OptionSpec> o) const;
  Syntax WithOperands(std::vector<OperandSpec> o) const;
  Syntax WithSubs(std::vector<SubCommand> s) const;
  Syntax Hidden() const;
  Syntax Raw() const;
};

struct SubCommand {
  std::string name;
  Syntax syntax;
};

// A command line parsed by its syntax.
struct Args {
  std::string sub;                    // the sub-command, when the command has them
  std::vector<std::string> operands;  // in order
  std::vector<std::string> words;     // the arguments as given (raw syntaxes use these)

  bool Has(const std::string& option) const { return values.count(option) > 0; }
  // The option's value; `fallback` when it was not given.
  std::string Value(const std::string& option, const std::string& fallback = "") const;
  // Every value of a repeatable option, in order.
  std::vector<std::string> Values(const std::string& option) const;
  // A Number option's value (already checked); `fallback` when it was not given.
  long Number(const std::string& option, long fallback) const;

  std::map<std::string, std::vector<std::string>> values;  // by the option's long name
};

// Parses `words` by `syntax`: options anywhere among the operands, as `--name VALUE`,
// `--name=VALUE` or `-o VALUE`; a word is an option when it starts with "--" and a letter or is
// a short option's name, so "-5", "-3,5 dB" and "-" are operands. False with `error` (an English
// sentence without the command's name) for an unknown option, a missing value, an option given
// twice, a number or choice out of its list, a required option missing, or too few or too many
// operands.
bool ParseArgs(const Syntax& syntax, const std::vector<std::string>& words, Args& args,
               std::string& error);

// Takes the options of `options` out of `words`, wherever they stand, into `args`; the other
// words stay in order. For the global options, which may come before or after the command.
bool TakeKnownOptions(const std::vector<OptionSpec>& options, std::vector<std::string>& words,
                      Args& args, std::string& error);

// The syntax a sub-command of `syntax` uses; nullptr when there is no such sub-command.
const SubCommand* FindSub(const Syntax& syntax, const std::string& name);

struct Command {
  using Run = std::function<int(Context&, const Args& args)>;
  Command(std::string name, std::string summary, std::string usage, Run run, Syntax syntax = {},
          std::function<std::string()> usageArgument = {})
      : name(std::move(name)), summary(std::move(summary)), usage(std::move(usage)),
        run(std::move(run)), syntax(std::move(syntax)), usageArgument(std::move(usageArgument)) {}

  std::string name;
  std::string summary;  // one line for the command list (source text)
  std::string usage;    // the text of `mirelune-cli help NAME` / `NAME --help` (source text)
  // Returns the exit status; `args` is the command line after the command name, parsed.
  Run run;
  Syntax syntax;
  // Fills "%1" of the usage with text made from a table (set: the band fields and ranges).
  std::function<std::string()> usageArgument;
};

std::vector<Command>& Commands();
// The global options, before or after the command name (Options above).
const std::vector<OptionSpec>& GlobalOptions();
// The command named `name`; nullptr when there is none.
const Command* FindCommand(const std::string& name);

struct CommandRegistration {
  explicit CommandRegistration(Command c) { Commands().push_back(std::move(c)); }
};

// Prints a usage error in the one shape of every command and returns kExitUsage:
//   mirelune-cli set: unknown option --x (try mirelune-cli help set)
// `command` may name a sub-command ("modes pull"); the help named is that of the command.
int UsageError(std::ostream& err, const std::string& command, const std::string& reason);

// Small argument helpers for words that are not a command line of their own (a batch's child
// command lines). Removes "--name VALUE" (or "-n VALUE") from args; true when present. Missing
// value -> error.
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

// The eq commands that change a page take it either from a file (--into FILE.sp -o OUT.sp) or
// from the amplifier (--device): exactly one of the two, and --into with its -o. False with the
// usage error otherwise.
bool CheckIntoOrDevice(bool into, bool output, bool deviceGiven, std::string& err);

}  // namespace mirelune::cli
