// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/graph_args.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "cli/command.h"
#include "model/sp_file.h"
#include "model/store.h"

namespace mirelune::cli {

namespace {
bool TakeLong(std::vector<std::string>& args, const std::string& name, long lo, long hi, long& v,
              std::string& err) {
  std::string text;
  if (!TakeOption(args, name, text, err)) return err.empty();
  if (!ParseInt(text, v) || v < lo || v > hi) {
    err = name + " must be a whole number " + std::to_string(lo) + ".." + std::to_string(hi) +
          ", not '" + text + "'";
    return false;
  }
  return true;
}

bool ParseFreqs(const std::string& text, std::vector<double>& out, std::string& err) {
  std::stringstream in(text);
  std::string f;
  while (std::getline(in, f, ',')) {
    // from_chars, not strtod: "." is the separator under every locale.
    double v = 0;
    const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
    if (f.empty() || r.ec != std::errc() || r.ptr != f.data() + f.size() || !std::isfinite(v) ||
        v <= 0) {
      err = "--freqs: '" + f + "' is not a positive frequency in Hz";
      return false;
    }
    out.push_back(v);
  }
  if (out.empty()) err = "--freqs: no frequencies given";
  return !out.empty();
}

}  // namespace

// Parses the options both commands share; `plot` adds -o, --height and --compare, `response`
// --freqs.
bool ParseGraphArgs(std::vector<std::string> args, bool plot, GraphArgs& a, std::string& err) {
  std::string freqs;
  if (!TakeLong(args, "--page", 0, 7, a.page, err) ||
      !TakeLong(args, "--sound-mode", 0, 1, a.soundMode, err) ||
      !TakeLong(args, "--sub-page", 0, 2, a.subPage, err) ||
      !TakeLong(args, "--width", 46, 16384, a.width, err))
    return false;
  a.phase = TakeFlag(args, "--phase");
  if (plot) {
    if (!TakeLong(args, "--height", 30, 16384, a.height, err)) return false;
    std::string other;
    while (TakeOption(args, "--compare", other, err)) a.compare.push_back(other);
    if (!err.empty()) return false;
    if (a.compare.size() > 4) {
      err = "--compare: at most 4 files";
      return false;
    }
    if (!TakeOption(args, "--output", a.output, err, "-o")) {
      if (err.empty()) err = "-o OUT.png is required";
      return false;
    }
  } else if (TakeOption(args, "--freqs", freqs, err)) {
    a.haveFreqs = true;
    if (!ParseFreqs(freqs, a.freqs, err)) return false;
  } else if (!err.empty()) {
    return false;
  }
  if (a.page < 0) {
    err = "--page P is required";
    return false;
  }
  if (args.size() != 1 || args[0].rfind("-", 0) == 0) {
    err = args.empty() ? "no configuration file given" : "unexpected argument '" + args[0] + "'";
    return false;
  }
  a.file = args[0];
  return true;
}

bool LoadStore(const GraphArgs& a, Store& store, std::string& err, std::string& warning) {
  store.InitDefaults();
  FileResult r = LoadTableFromFile(a.file, store.ParamTable);
  if (!r) {
    err = r.error;
    return false;
  }
  warning = r.warning;
  store.CurrentPage = static_cast<int32_t>(a.page);
  store.EffectSubPage = static_cast<uint8_t>(a.subPage);
  store.SetCurrentSoundMode(static_cast<uint8_t>(a.soundMode));
  return true;
}


}  // namespace mirelune::cli
