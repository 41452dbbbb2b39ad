// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command.h"

#include <charconv>
#include <climits>
#include <ostream>
#include <system_error>

namespace mirelune::cli {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& c : Commands())
    if (c.name == name) return &c;
  return nullptr;
}

const std::vector<OptionSpec>& GlobalOptions() {
  static const std::vector<OptionSpec> options = {
      Opt("--device", "DEVICE", Value::Of(Value::Device)),
      Flag("--trace"),
      Opt("--password", "PW", Value::Of(Value::Text)),
      Repeatable(Opt("--faults", "[NAME:]LIST", Value::Of(Value::Text))),
      Opt("--lang", "zh|en", OneOf({"zh", "en"})),
      Opt("--wait", "SECONDS", NumberIn(1, 86400)),
      Flag("--version"),
  };
  return options;
}

Value NumberIn(long lo, long hi) {
  Value v = Value::Of(Value::Number);
  v.lo = lo;
  v.hi = hi;
  return v;
}

Value OneOf(std::vector<std::string> choices) {
  Value v = Value::Of(Value::Choice);
  v.choices = std::move(choices);
  return v;
}

Value FileOf(std::string extensions) {
  Value v = Value::Of(Value::File);
  v.extensions = std::move(extensions);
  return v;
}

OptionSpec Flag(std::string name) {
  OptionSpec o;
  o.name = std::move(name);
  return o;
}

OptionSpec Opt(std::string name, std::string valueName, Value value, std::string shortName) {
  OptionSpec o;
  o.name = std::move(name);
  o.valueName = std::move(valueName);
  o.value = std::move(value);
  o.shortName = std::move(shortName);
  return o;
}

OptionSpec Required(OptionSpec o) {
  o.required = true;
  return o;
}

OptionSpec Repeatable(OptionSpec o) {
  o.repeatable = true;
  return o;
}

OperandSpec One(std::string name, Value value) { return {std::move(name), std::move(value), 1, 1}; }

OperandSpec Many(std::string name, Value value, int min) {
  return {std::move(name), std::move(value), min, -1};
}

Syntax Syntax::WithOptions(std::vector<OptionSpec> o) const {
  Syntax s = *this;
  s.options = std::move(o);
  return s;
}

Syntax Syntax::WithOperands(std::vector<OperandSpec> o) const {
  Syntax s = *this;
  s.operands = std::move(o);
  return s;
}

Syntax Syntax::WithSubs(std::vector<SubCommand> subs) const {
  Syntax s = *this;
  s.subs = std::move(subs);
  return s;
}

Syntax Syntax::Hidden() const {
  Syntax s = *this;
  s.hidden = true;
  return s;
}

Syntax Syntax::Raw() const {
  Syntax s = *this;
  s.raw = true;
  return s;
}

std::string Args::Value(const std::string& option, const std::string& fallback) const {
  const auto it = values.find(option);
  return it == values.end() || it->second.empty() ? fallback : it->second.back();
}

std::vector<std::string> Args::Values(const std::string& option) const {
  const auto it = values.find(option);
  return it == values.end() ? std::vector<std::string>() : it->second;
}

long Args::Number(const std::string& option, long fallback) const {
  long v = fallback;
  if (Has(option) && !ParseInt(Value(option), v)) return fallback;
  return v;
}

namespace {

// "--name" followed by a letter, or a short option's "-x": "-5", "-3,5 dB" and "-" are not.
bool LooksLikeOption(const std::string& word) {
  if (word.size() >= 3 && word[0] == '-' && word[1] == '-')
    return (word[2] >= 'a' && word[2] <= 'z') || (word[2] >= 'A' && word[2] <= 'Z');
  return word.size() == 2 && word[0] == '-' &&
         ((word[1] >= 'a' && word[1] <= 'z') || (word[1] >= 'A' && word[1] <= 'Z'));
}

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, const std::string& word) {
  for (const OptionSpec& o : options)
    if (word == o.name || (!o.shortName.empty() && word == o.shortName)) return &o;
  return nullptr;
}

// "0 or 1", "rew or apo", "one of bash, zsh, fish".
std::string ChoiceText(const std::vector<std::string>& choices) {
  if (choices.size() == 2) return choices[0] + " or " + choices[1];
  std::string s = "one of ";
  for (size_t i = 0; i < choices.size(); ++i) s += (i ? ", " : "") + choices[i];
  return s;
}

// Numbers and choices are checked here; `name` is the option or operand ("--page", "SHELL").
bool CheckValue(const std::string& name, const Value& value, const std::string& text,
                std::string& error) {
  if (value.kind == Value::Number) {
    long v = 0;
    if (!ParseInt(text, v) || v < value.lo || v > value.hi) {
      error = name + " must be a whole number " + std::to_string(value.lo) + ".." +
              std::to_string(value.hi) + ", not '" + text + "'";
      return false;
    }
  } else if (value.kind == Value::Choice) {
    for (const std::string& c : value.choices)
      if (c == text) return true;
    error = name + " must be " + ChoiceText(value.choices) + ", not '" + text + "'";
    return false;
  }
  return true;
}

// Reads the option at words[i] (its value from the same word after '=' or from the next one)
// into `args`; `used` is how many words it took. False with `error`.
bool ReadOption(const OptionSpec& o, const std::vector<std::string>& words, size_t i,
                const std::string& given, bool inlineValue, const std::string& value, Args& args,
                size_t& used, std::string& error) {
  used = 1;
  std::string v;
  if (!o.TakesValue()) {
    if (inlineValue) {
      error = "option " + given + " takes no value";
      return false;
    }
  } else if (inlineValue) {
    v = value;
  } else if (i + 1 < words.size()) {
    v = words[i + 1];
    used = 2;
  } else {
    error = "option " + given + " needs a value";
    return false;
  }
  if (args.values.count(o.name) && !o.repeatable) {
    error = "option " + o.name + " is given more than once";
    return false;
  }
  if (o.TakesValue() && !CheckValue(o.name, o.value, v, error)) return false;
  args.values[o.name].push_back(v);
  return true;
}

// The option a word names, with an inline "=VALUE" split off; nullptr when none of `options`.
const OptionSpec* OptionOfWord(const std::vector<OptionSpec>& options, const std::string& word,
                               std::string& given, bool& inlineValue, std::string& value) {
  given = word;
  inlineValue = false;
  const size_t eq = word.find('=');
  if (word.rfind("--", 0) == 0 && eq != std::string::npos) {
    given = word.substr(0, eq);
    value = word.substr(eq + 1);
    inlineValue = true;
  }
  return FindOption(options, given);
}

}  // namespace

const SubCommand* FindSub(const Syntax& syntax, const std::string& name) {
  for (const SubCommand& s : syntax.subs)
    if (s.name == name) return &s;
  return nullptr;
}

bool TakeKnownOptions(const std::vector<OptionSpec>& options, std::vector<std::string>& words,
                      Args& args, std::string& error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < words.size();) {
    std::string given, value;
    bool inlineValue = false;
    const OptionSpec* o = OptionOfWord(options, words[i], given, inlineValue, value);
    if (!o) {
      rest.push_back(words[i++]);
      continue;
    }
    size_t used = 0;
    if (!ReadOption(*o, words, i, given, inlineValue, value, args, used, error)) return false;
    i += used;
  }
  words = std::move(rest);
  return true;
}

bool ParseArgs(const Syntax& syntax, const std::vector<std::string>& words, Args& args,
               std::string& error) {
  args = Args{};
  args.words = words;
  error.clear();
  if (syntax.raw) {
    args.operands = words;
    return true;
  }
  // The sub-command is the first word that is no option; its options join the command's.
  const Syntax* own = &syntax;
  std::vector<OptionSpec> options = syntax.options;
  std::vector<std::string> rest = words;
  if (!syntax.subs.empty()) {
    std::string names;
    for (size_t i = 0; i < syntax.subs.size(); ++i)
      names += (i == 0 ? "" : i + 1 == syntax.subs.size() ? " or " : ", ") + syntax.subs[i].name;
    size_t at = 0;
    while (at < rest.size() && LooksLikeOption(rest[at])) {
      const OptionSpec* o = FindOption(syntax.options, rest[at]);
      at += o && o->TakesValue() ? 2 : 1;
    }
    if (at > rest.size()) at = rest.size();
    if (at == rest.size()) {
      error = names + " expected";
      return false;
    }
    const SubCommand* sub = FindSub(syntax, rest[at]);
    if (!sub) {
      error = "no sub-command '" + rest[at] + "' (" + names + ")";
      return false;
    }
    args.sub = sub->name;
    rest.erase(rest.begin() + static_cast<long>(at));
    own = &sub->syntax;
    options.insert(options.end(), own->options.begin(), own->options.end());
  }
  if (!TakeKnownOptions(options, rest, args, error)) return false;
  for (const std::string& w : rest) {
    if (LooksLikeOption(w)) {
      error = "unknown option " + w.substr(0, w.find('='));
      return false;
    }
  }
  for (const OptionSpec& o : options) {
    if (o.required && !args.Has(o.name)) {
      error = (o.shortName.empty() ? o.name : o.shortName) + " " + o.valueName + " is required";
      return false;
    }
  }
  // Operands in order: each operand takes at least its minimum, the last open one the rest.
  size_t minimum = 0;
  bool open = false;
  size_t maximum = 0;
  for (const OperandSpec& o : own->operands) {
    minimum += static_cast<size_t>(o.min);
    if (o.max < 0) open = true; else maximum += static_cast<size_t>(o.max);
  }
  if (rest.size() < minimum) {
    size_t have = rest.size();
    for (const OperandSpec& o : own->operands) {
      if (have < static_cast<size_t>(o.min)) {
        error = "missing " + o.name;
        return false;
      }
      have -= static_cast<size_t>(o.min);
    }
  }
  if (!open && rest.size() > maximum) {
    error = "unexpected argument '" + rest[maximum] + "'";
    return false;
  }
  // Each operand takes its minimum, the open one also what is left over.
  size_t at = 0;
  for (const OperandSpec& o : own->operands) {
    const size_t take = static_cast<size_t>(o.min) + (o.max < 0 ? rest.size() - minimum : 0);
    for (size_t k = 0; k < take && at < rest.size(); ++k, ++at)
      if (!CheckValue(o.name, o.value, rest[at], error)) return false;
  }
  args.operands = std::move(rest);
  return true;
}

int UsageError(std::ostream& err, const std::string& command, const std::string& reason) {
  const std::string help = command.substr(0, command.find(' '));
  err << "mirelune-cli" << (command.empty() ? "" : " " + command) << ": " << reason
      << " (try mirelune-cli help" << (help.empty() ? "" : " " + help) << ")\n";
  return kExitUsage;
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                std::string& error, const std::string& shortName) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name || (!shortName.empty() && args[i] == shortName)) {
      if (i + 1 >= args.size()) {
        error = "option " + args[i] + " needs a value";
        return false;
      }
      value = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
      return true;
    }
    const std::string eq = name + "=";
    if (args[i].rfind(eq, 0) == 0) {
      value = args[i].substr(eq.size());
      args.erase(args.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
  for (size_t i = 0; i < args.size(); ++i)
    if (args[i] == name) {
      args.erase(args.begin() + static_cast<long>(i));
      return true;
    }
  return false;
}

bool ParseInt(const std::string& text, long& value) {
  const char* s = text.data();
  const char* end = s + text.size();
  bool negative = false;
  if (s < end && (*s == '-' || *s == '+')) negative = *s++ == '-';
  int base = 10;
  if (end - s > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s += 2;
  }
  // from_chars of an unsigned number takes no sign, so a second sign is refused here, and it
  // reports a number too large for the type instead of wrapping or saturating.
  unsigned long magnitude = 0;
  const auto r = std::from_chars(s, end, magnitude, base);
  if (s == end || r.ec != std::errc() || r.ptr != end) return false;
  const unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
  if (magnitude > limit) return false;
  value = negative ? static_cast<long>(0 - magnitude) : static_cast<long>(magnitude);
  return true;
}

}  // namespace mirelune::cli

namespace mirelune::cli {

void ReadGlobalOptions(const Args& global, Options& opt) {
  opt.deviceGiven = global.Has("--device");
  opt.device = global.Value("--device", opt.device);
  opt.trace = global.Has("--trace");
  opt.language = global.Value("--lang");
  opt.hasPassword = global.Has("--password");
  opt.password = global.Value("--password");
  opt.faultLists = global.Values("--faults");
  if (global.Has("--wait")) opt.waitMs = static_cast<int>(global.Number("--wait", 30) * 1000);
}

bool CheckIntoOrDevice(bool into, bool output, bool deviceGiven, std::string& err) {
  if (into == deviceGiven) {
    err = into ? "give either --into FILE.sp -o OUT.sp or --device, not both"
               : "give --into FILE.sp -o OUT.sp, or --device DEVICE for the amplifier";
    return false;
  }
  if (into != output) {
    err = into ? "--into needs -o OUT.sp" : "-o belongs to --into FILE.sp";
    return false;
  }
  return true;
}

}  // namespace mirelune::cli
