// Response-graph commands: response (CSV of band curves) and plot (the graph as a PNG).
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <sstream>

#include <QBuffer>
#include <QGuiApplication>

#include "cli/command.h"
#include "model/file_bytes.h"
#include "graph/graph_bands.h"
#include "graph/graph_view.h"
#include "graph/response_model.h"
#include "model/sp_file.h"
#include "model/store.h"

namespace mirelune::cli {
namespace {

struct GraphArgs {
  std::string file;
  long page = -1;
  long soundMode = 0;
  long subPage = 0;
  long width = 1000;
  long height = 300;
  bool haveFreqs = false;
  std::vector<double> freqs;
  std::string output;
};

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

// Parses the options both commands share; `plot` adds -o and --height, `response` --freqs.
bool ParseGraphArgs(std::vector<std::string> args, bool plot, GraphArgs& a, std::string& err) {
  std::string freqs;
  if (!TakeLong(args, "--page", 0, 7, a.page, err) ||
      !TakeLong(args, "--sound-mode", 0, 1, a.soundMode, err) ||
      !TakeLong(args, "--sub-page", 0, 2, a.subPage, err) ||
      !TakeLong(args, "--width", 46, 16384, a.width, err))
    return false;
  if (plot) {
    if (!TakeLong(args, "--height", 30, 16384, a.height, err)) return false;
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

bool LoadStore(const GraphArgs& a, Store& store, std::string& err) {
  store.InitDefaults();
  FileResult r = LoadTableFromFile(a.file, store.ParamTable);
  if (!r) {
    err = r.error;
    return false;
  }
  store.CurrentPage = static_cast<int32_t>(a.page);
  store.EffectSubPage = static_cast<uint8_t>(a.subPage);
  store.SetCurrentSoundMode(static_cast<uint8_t>(a.soundMode));
  return true;
}

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

int Response(Context& ctx, const std::vector<std::string>& argv) {
  GraphArgs a;
  std::string err;
  Store store;
  if (!ParseGraphArgs(argv, false, a, err)) {
    ctx.err << "mirelune-cli response: " << err << "\n";
    return kExitUsage;
  }
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
  std::vector<std::vector<float>> rows(static_cast<size_t>(bands.count), std::vector<float>(n));
  for (int b = 0; b < bands.count; ++b)
    BandCurve(bands.bands[static_cast<size_t>(b)], store.CurrentPage, points, rows[static_cast<size_t>(b)].data());

  ctx.out << "freq_hz";
  for (int b = 0; b < bands.count; ++b) ctx.out << ",band" << b;
  ctx.out << ",sum\n";
  for (size_t i = 0; i < n; ++i) {
    ctx.out << Shortest(a.freqs[i]);
    float sum = 0;
    for (const auto& row : rows) {
      sum += row[i];
      ctx.out << ',' << FourDecimals(row[i]);
    }
    ctx.out << ',' << FourDecimals(sum) << '\n';
  }
  return kExitOk;
}

int Plot(Context& ctx, const std::vector<std::string>& argv) {
  GraphArgs a;
  std::string err;
  Store store;
  if (!ParseGraphArgs(argv, true, a, err)) {
    ctx.err << "mirelune-cli plot: " << err << "\n";
    return kExitUsage;
  }
  if (!LoadStore(a, store, err)) {
    ctx.err << "mirelune-cli plot: " << err << "\n";
    return kExitFailed;
  }
  // Drawing needs a GUI application; without a display the offscreen platform serves.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::unique_ptr<QGuiApplication> app;
  if (QGuiApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "mirelune-cli";
    static char* args[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, args);
  }
  ResponseModel model(store);
  GraphView view(model);
  view.ResizeGraph(QSize(static_cast<int>(a.width), static_cast<int>(a.height)));
  model.RedrawAll(true);
  view.DrawGraph();
  // Encoded in memory first, then written whole through the one file writer: a full disk or a
  // FIFO never leaves a cut picture in place of a good one.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!view.Composite().save(&buffer, "PNG")) {
    ctx.err << "mirelune-cli plot: the picture could not be encoded as PNG\n";
    return kExitFailed;
  }
  const FileResult written = ReplaceFile(a.output, std::vector<uint8_t>(png.begin(), png.end()));
  if (!written) {
    ctx.err << "mirelune-cli plot: " << written.error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

CommandRegistration response{
    {"response", "print the response curves of a page's EQ graph as CSV",
     "usage: mirelune-cli response FILE --page P [--sound-mode S] [--sub-page E]\n"
     "                             [--freqs F1,F2,...] [--width W]\n"
     "Prints one CSV row per frequency: freq_hz, the response in dB of each graph band of page P\n"
     "(0..7) in graph order, and their sum. Without --freqs the frequencies are the graph's own\n"
     "points for a graph W pixels wide (default 1000). S: 0 singing (default), 1 dance;\n"
     "E: the effects page's part 0..2.\n",
     Response}};
CommandRegistration plot{
    {"plot", "draw a page's EQ graph into a PNG file",
     "usage: mirelune-cli plot FILE --page P -o OUT.png [--width W] [--height H]\n"
     "                         [--sound-mode S] [--sub-page E]\n"
     "Draws the graph of page P as the console shows it right after the page opens (band 0\n"
     "selected), W x H pixels (default 1000 x 300).\n",
     Plot}};

}  // namespace
}  // namespace mirelune::cli
