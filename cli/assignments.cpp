// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/assignments.h"

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

bool ParseSet(const std::vector<std::string>& argv, SetRequest& req, std::string& error) {
  static const char kUsage[] =
      "usage: set PARAM=VALUE... | set PARAM VALUE  [--sound-mode 0|1]";
  std::vector<std::string> args = argv;
  std::string soundText;
  error.clear();
  req = SetRequest{};
  req.hasSound = TakeOption(args, "--sound-mode", soundText, error);
  if (!error.empty() || args.empty()) {
    error = kUsage;
    return false;
  }
  long sound = 0;
  if (req.hasSound && (!ParseInt(soundText, sound) || sound < 0 || sound > 1)) {
    error = "--sound-mode must be 0 or 1, not '" + soundText + "'";
    return false;
  }
  req.sound = static_cast<int>(sound);
  for (const std::string& a : args)
    if (a.rfind("--", 0) == 0) {
      error = "unknown option '" + a + "'; " + kUsage;
      return false;
    }
  // The two-word form of a single change: its first word has no '=' of its own.
  if (args.size() == 2 && args[0].find('=') == std::string::npos) {
    Assignment a;
    if (!ParseAssignment(args[0], args[1], a, error)) return false;
    req.assignments.push_back(a);
    return true;
  }
  for (const std::string& word : args) {
    const size_t colon = BandColon(word);
    const size_t split = colon != std::string::npos ? colon : word.find('=');
    if (split == std::string::npos || split == 0) {
      error = "'" + word + "' is not PARAM=VALUE; " + kUsage;
      return false;
    }
    Assignment a;
    if (!ParseAssignment(word.substr(0, split), word.substr(split + 1), a, error)) return false;
    req.assignments.push_back(a);
  }
  return true;
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
