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

Syntax MakeGraphSyntax(bool plot) {
  Syntax s = Syntax().WithOptions({Required(Opt("--page", "P", NumberIn(0, 7))),
                       Opt("--sound-mode", "S", NumberIn(0, 1)),
                       Opt("--sub-page", "E", NumberIn(0, 2)),
                       Opt("--width", "W", NumberIn(46, 16384)),
                       Flag("--phase")}).WithOperands({One("FILE", FileOf("sp"))});
  if (plot) {
    s.options.push_back(Opt("--height", "H", NumberIn(30, 16384)));
    s.options.push_back(Repeatable(Opt("--compare", "OTHER.sp", FileOf("sp"))));
    s.options.push_back(Required(Opt("--output", "OUT.png", FileOf("png"), "-o")));
  } else {
    s.options.push_back(Opt("--freqs", "F1,F2,...", Value::Of(Value::Text)));
  }
  return s;
}

}  // namespace

const Syntax& GraphSyntax(bool plot) {
  static const Syntax response = MakeGraphSyntax(false);
  static const Syntax drawing = MakeGraphSyntax(true);
  return plot ? drawing : response;
}

bool ReadGraphArgs(const Args& args, bool plot, GraphArgs& a, std::string& err) {
  a.file = args.operands.at(0);
  a.page = args.Number("--page", -1);
  a.soundMode = args.Number("--sound-mode", 0);
  a.subPage = args.Number("--sub-page", 0);
  a.width = args.Number("--width", 1000);
  a.phase = args.Has("--phase");
  if (plot) {
    a.height = args.Number("--height", 300);
    a.compare = args.Values("--compare");
    if (a.compare.size() > 4) {
      err = "--compare: at most 4 files";
      return false;
    }
    a.output = args.Value("--output");
  } else if (args.Has("--freqs")) {
    a.haveFreqs = true;
    if (!ParseFreqs(args.Value("--freqs"), a.freqs, err)) return false;
  }
  return true;
}

bool ParseGraphArgs(const std::vector<std::string>& words, bool plot, GraphArgs& a,
                    std::string& err) {
  Args args;
  return ParseArgs(GraphSyntax(plot), words, args, err) && ReadGraphArgs(args, plot, a, err);
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
