// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/assignments.h"

#include <algorithm>
#include <sstream>

#include "cli/command.h"
#include "model/band_fields.h"
#include "model/menu_catalogue.h"
#include "model/param_names.h"
#include "model/value_text.h"
#include "model/param_ranges.h"
#include "model/scales.h"
#include "model/store.h"

namespace mirelune::cli {
namespace {

// Whether `text` is a number followed by a unit, or "OFF": a value as the console shows it.
bool ShownWithUnit(const std::string& text) {
  double n = 0;
  std::string unit;
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "off") return true;
  return ReadNumberAndUnit(text, n, unit) && (!unit.empty() || text.find_first_of("kK") != std::string::npos);
}

std::string RangeTextOf(int address, const SliderRange& r) {
  return RangeText(r.valueType, r.maxValue, SliderUnit(address, r.valueType));
}

const char* const kBandFieldNames[] = {"gain", "freq", "q", "sq", "shape", "off"};

// The position of the ':' that starts a band field list ("0:gain=300"), or npos.
size_t BandColon(const std::string& text) {
  for (size_t colon = text.find(':'); colon != std::string::npos; colon = text.find(':', colon + 1))
    for (const char* f : kBandFieldNames)
      if (text.compare(colon + 1, std::string(f).size() + 1, std::string(f) + "=") == 0) return colon;
  return std::string::npos;
}

bool ParseAssignment(const std::string& param, const std::string& value, Assignment& a,
                     std::string& error) {
  if (!ResolveParam(param, a.address, error)) return false;
  a.band = StartUpStore().ParamTable.at(0, a.address).Kind == kEqBand;
  if (a.band) {
    ParamRecord check;
    a.bandFields = value;
    if (ApplyBandFields(value, check, error)) return true;
    error = param + ": " + error;
    return false;
  }
  long v = 0;
  if (!ParseInt(value, v)) {
    // A value with its unit ("80 Hz", "-3,5 dB", "250 ms", "OFF") is read as the console shows
    // it, onto the nearest position of the address's slider, and refused beyond its range.
    const SliderRange* slider = SliderRangeOf(a.address);
    if (slider && ShownWithUnit(value)) {
      const TypedValue t = ParseSliderText(value, slider->valueType, slider->maxValue,
                                           SliderUnit(a.address, slider->valueType));
      if (!t.ok) {
        error = std::to_string(a.address) + " (" + QualifiedName(a.address) + "): " + t.error;
        return false;
      }
      a.plain = ValueAtPosition(slider->valueType, t.position);
      return true;
    }
    error = "VALUE must be a whole number for address " + std::to_string(a.address) +
            (slider ? " or a value with its unit (" + RangeTextOf(a.address, *slider) + ")" : std::string()) +
            ", not '" + value + "'";
    return false;
  }
  const ParamRange range = RangeOf(a.address);
  if (!range.Contains(v)) {
    error = "value " + value + " outside the range of address " + std::to_string(a.address) +
            ": " + range.Text();
    return false;
  }
  a.plain = static_cast<int32_t>(v);
  return true;
}

}  // namespace

bool ResolveParam(const std::string& text, int& address, std::string& error) {
  long number = 0;
  if (ParseInt(text, number)) {
    if (!HoldsParam(number)) {
      error = "no parameter at address '" + text + "'";
      return false;
    }
    address = static_cast<int>(number);
    return true;
  }
  int kind = -1;
  std::string name = text;
  const size_t colon = text.find(':');
  long k = 0;
  if (colon != std::string::npos && ParseInt(text.substr(0, colon), k)) {
    if (k < 0 || k >= kKindCount) {
      error = "no menu kind " + text.substr(0, colon) + " in '" + text + "' (0.." +
              std::to_string(kKindCount - 1) + ")";
      return false;
    }
    kind = static_cast<int>(k);
    name = text.substr(colon + 1);
  }
  const std::vector<int> found = AddressesNamed(name, kind);
  if (found.empty()) {
    error = "no parameter named '" + text + "'";
    return false;
  }
  if (found.size() > 1) {
    error = "'" + text + "' names several parameters:";
    for (int a : found) error += " " + QualifiedName(a) + " (" + std::to_string(a) + ")";
    return false;
  }
  address = found[0];
  return true;
}

std::string ParamName(int address) { return QualifiedName(address); }

bool ApplyBandFields(const std::string& text, ParamRecord& band, std::string& error) {
  std::stringstream in(text);
  std::string item;
  bool any = false;
  while (std::getline(in, item, ',')) {
    const size_t eq = item.find('=');
    const std::string key = item.substr(0, eq);
    long v = 0;
    bool known = false;
    for (const BandFieldRange& f : BandFieldRanges()) known = known || key == f.name;
    if (!known || eq == std::string::npos || !ParseInt(item.substr(eq + 1), v)) {
      error = "bad band field '" + item + "' (gain=, freq=, q=, sq=, shape=, off=)";
      return false;
    }
    if (!SetBandField(band, key, v, error)) return false;
    any = true;
  }
  if (!any) error = "no band field given";
  return any;
}

const Syntax& SetSyntax() {
  static const Syntax syntax =
      Syntax()
          .WithOptions({Opt("--sound-mode", "0|1", OneOf({"0", "1"}))})
          .WithOperands({Many("PARAM=VALUE", Value::Of(Value::Assignment), 0)});
  return syntax;
}

namespace {

constexpr char kSetUsage[] = "usage: set PARAM=VALUE... | set PARAM VALUE  [--sound-mode 0|1]";

std::string Joined(const std::vector<std::string>& words, size_t from, size_t to) {
  std::string s;
  for (size_t i = from; i < to; ++i) s += (i > from ? " " : "") + words[i];
  return s;
}

// Where a word's VALUE starts: after the ':' of a band field list or the first '='; npos for
// a word without one.
size_t SplitPoint(const std::string& word) {
  const size_t colon = BandColon(word);
  return colon != std::string::npos ? colon : word.find('=');
}

}  // namespace

bool ResolveParams(const std::vector<std::string>& words, std::vector<int>& addresses,
                   std::string& error) {
  for (size_t i = 0; i < words.size();) {
    // The longest run of words that names a parameter: English names have blanks.
    size_t end = std::min(words.size(), i + kMaxNameWords);
    int address = 0;
    std::string ignored;
    while (end > i + 1 && !ResolveParam(Joined(words, i, end), address, ignored)) --end;
    if (end == i + 1 && !ResolveParam(words[i], address, error)) return false;
    addresses.push_back(address);
    i = end;
  }
  return true;
}

bool ParseSet(const Args& args, SetRequest& req, std::string& error) {
  req = SetRequest{};
  error.clear();
  const std::vector<std::string>& words = args.operands;
  if (words.empty()) {
    error = kSetUsage;
    return false;
  }
  req.hasSound = args.Has("--sound-mode");
  req.sound = static_cast<int>(args.Number("--sound-mode", 0));
  // The two-word form of a single change, PARAM VALUE, where the name may take several words:
  // no word before the last holds a VALUE of its own, and the words before the last name a
  // parameter.
  bool assigned = false;
  for (size_t i = 0; i + 1 < words.size(); ++i)
    assigned = assigned || SplitPoint(words[i]) != std::string::npos;
  const bool lastAssigns = SplitPoint(words.back()) != std::string::npos;
  if (!assigned && words.size() >= 2) {
    int address = 0;
    std::string ignored;
    const std::string param = Joined(words, 0, words.size() - 1);
    if (!lastAssigns || ResolveParam(param, address, ignored)) {
      Assignment a;
      if (!ParseAssignment(param, words.back(), a, error)) return false;
      req.assignments.push_back(a);
      return true;
    }
  }
  // PARAM=VALUE..., a name of several words joined up to the word with its '='.
  size_t start = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const size_t split = SplitPoint(word);
    if (split == std::string::npos) continue;
    const std::string param =
        Joined(words, start, i) + (i > start && split > 0 ? " " : "") + word.substr(0, split);
    if (param.empty()) {
      error = "'" + word + "' is not PARAM=VALUE; " + kSetUsage;
      return false;
    }
    Assignment a;
    if (!ParseAssignment(param, word.substr(split + 1), a, error)) return false;
    req.assignments.push_back(a);
    start = i + 1;
  }
  if (start < words.size()) {
    error = "'" + words[start] + "' is not PARAM=VALUE; " + kSetUsage;
    return false;
  }
  return true;
}

bool ParseSet(const std::vector<std::string>& words, SetRequest& req, std::string& error) {
  Args args;
  if (!ParseArgs(SetSyntax(), words, args, error)) {
    req = SetRequest{};
    return false;
  }
  return ParseSet(args, req, error);
}

bool SplitScriptLine(const std::string& line, std::vector<std::string>& words, std::string& error) {
  words.clear();
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (char c : line) {
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        word += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      inWord = true;
    } else if (c == '#' && !inWord) {
      break;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quote) {
    error = std::string("unterminated ") + quote + " quote";
    return false;
  }
  if (inWord) words.push_back(word);
  return true;
}

}  // namespace mirelune::cli
