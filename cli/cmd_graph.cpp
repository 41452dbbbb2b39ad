// SPDX-License-Identifier: GPL-3.0-or-later
// Response-graph commands: response (CSV of band curves) and plot (the graph as a PNG).
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <sstream>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "cli/command.h"
#include "cli/graph_args.h"
#include "graph/graph_bands.h"
#include "graph/response_model.h"
#include "graph/response_phase.h"
#include "model/sp_file.h"
#include "model/store.h"

namespace mirelune::cli {
namespace {

// Locale-independent number texts of the CSV (snprintf's "%f" writes "0,5" under a comma
// locale, and plot's GUI application takes the locale from the environment).
std::string Shortest(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string FourDecimals(float v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::fixed, 4);
  return std::string(buf, r.ptr);
}

int Response(Context& ctx, const Args& args) {
  GraphArgs a;
  std::string err;
  Store store;
  if (!ReadGraphArgs(args, false, a, err)) return UsageError(ctx.err, "response", err);
  if (!LoadStore(a, store, err)) {
    ctx.err << "mirelune-cli response: " << err << "\n";
    return kExitFailed;
  }
  if (!a.haveFreqs) {
    GraphGeometry geo;
    geo.Set(static_cast<int>(a.width), static_cast<int>(a.height));
    for (int i = 0; i < geo.Points(); ++i) a.freqs.push_back(geo.PointFreq(i));
  }
  GraphBandTable bands;
  BuildGraphBands(store, nullptr, bands);
  const FilterCalc::PointTables points = FilterCalc::PointTablesFor(a.freqs);
  const size_t n = a.freqs.size();
  // The marked bands in graph order, then the page's further EQ bands: all the sum counts.
  std::vector<const GraphBand*> all;
  for (int b = 0; b < bands.count; ++b) all.push_back(&bands.bands[static_cast<size_t>(b)]);
  for (int e = 0; e < bands.extraCount; ++e) all.push_back(&bands.extra[static_cast<size_t>(e)]);
  std::vector<std::vector<float>> rows(all.size(), std::vector<float>(n));
  for (size_t b = 0; b < all.size(); ++b) BandCurve(*all[b], store.CurrentPage, points, rows[b].data());

  ctx.out << "freq_hz";
  for (size_t b = 0; b < all.size(); ++b) ctx.out << ",band" << b;
  ctx.out << ",sum" << (a.phase ? ",sum_phase_deg" : "") << "\n";
  const std::vector<double> phase = a.phase ? SumPhaseDeg(bands, store.CurrentPage, a.freqs) : std::vector<double>();
  const size_t marked = static_cast<size_t>(bands.count);
  for (size_t i = 0; i < n; ++i) {
    ctx.out << Shortest(a.freqs[i]);
    // As the graph adds: the marked bands, then the extra bands' own sum.
    float sum = 0, extra = 0;
    for (size_t b = 0; b < rows.size(); ++b) {
      (b < marked ? sum : extra) += rows[b][i];
      ctx.out << ',' << FourDecimals(rows[b][i]);
    }
    ctx.out << ',' << FourDecimals(sum + extra);
    if (a.phase) ctx.out << ',' << FourDecimals(static_cast<float>(phase[i]));
    ctx.out << '\n';
  }
  return kExitOk;
}

// The drawing needs Qt Gui, which this tool does not load: `plot` runs its helper,
// mirelune-plot, beside this program (or in <prefix>/libexec/mirelune), with the same
// arguments. The usage is checked here first, so both refuse alike.
int Plot(Context& ctx, const Args& args) {
  GraphArgs a;
  std::string err;
  if (!ReadGraphArgs(args, true, a, err)) return UsageError(ctx.err, "plot", err);
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::string helper;
  for (const std::filesystem::path& p :
       {self.parent_path() / "mirelune-plot", self.parent_path() / ".." / "libexec" / "mirelune" / "mirelune-plot"})
    if (!ec && ::access(p.c_str(), X_OK) == 0) {
      helper = p.string();
      break;
    }
  if (helper.empty()) {
    ctx.err << "mirelune-cli plot: its drawing helper mirelune-plot is not installed beside "
            << (ec ? std::string("this program") : self.string()) << "\n";
    return kExitFailed;
  }
  ctx.out.flush();
  ctx.err.flush();
  std::vector<std::string> words{helper};
  words.insert(words.end(), args.words.begin(), args.words.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  ::execv(helper.c_str(), argv.data());
  ctx.err << "mirelune-cli plot: cannot run " << helper << " (" << std::strerror(errno) << ")\n";
  return kExitFailed;
}

CommandRegistration response{
    {"response", "print the response curves of a page's EQ graph as CSV",
     "usage: mirelune-cli response FILE --page P [--sound-mode S] [--sub-page E]\n"
     "                             [--freqs F1,F2,...] [--width W] [--phase]\n"
     "Prints one CSV row per frequency: freq_hz, the response in dB of each graph band of page P\n"
     "(0..7) in graph order, then of the page's EQ bands without a marker (bands 14 and 15 of the\n"
     "music and microphone pages), their sum, and with --phase the sum's phase in degrees\n"
     "(unwrapped, from the same cookbook sections at 48 kHz). Without --freqs the frequencies are the graph's own\n"
     "points for a graph W pixels wide (default 1000). S: 0 singing (default), 1 dance;\n"
     "E: the effects page's part 0..2.\n",
     Response, GraphSyntax(false)}};
CommandRegistration plot{
    {"plot", "draw a page's EQ graph into a PNG file",
     "usage: mirelune-cli plot FILE --page P -o OUT.png [--width W] [--height H]\n"
     "                         [--sound-mode S] [--sub-page E] [--compare OTHER.sp]... [--phase]\n"
     "Draws the graph of page P as the console shows it right after the page opens (band 0\n"
     "selected), W x H pixels (default 1000 x 300). --compare draws the same page of another\n"
     "configuration file under it, in a colour of its own with a legend (up to 4 files); --phase\n"
     "adds the sum's phase on a right-hand axis in degrees.\n",
     Plot, GraphSyntax(true)}};

}  // namespace
}  // namespace mirelune::cli
