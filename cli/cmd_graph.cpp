// SPDX-License-Identifier: GPL-3.0-or-later
// Response-graph commands: response (CSV of band curves) and plot (the graph as a PNG).
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <sstream>

#include "cli/command.h"
#include "cli/graph_args.h"
#include "cli/helper_program.h"
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
  std::string warning;
  if (!LoadStore(a, store, err, warning)) {
    ctx.err << "mirelune-cli response: " << err << "\n";
    return kExitFailed;
  }
  if (!warning.empty()) ctx.err << "mirelune-cli response: warning: " << warning << "\n";
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
  return ExecHelper(ctx, "plot", "mirelune-plot", args.words);
}

CommandRegistration response{
    {"response", "以 CSV 输出某页 EQ 曲线的响应",
     "用法: mirelune-cli response FILE --page P [--sound-mode S] [--sub-page E]\n"
     "                            [--freqs F1,F2,...] [--width W] [--phase]\n"
     "每个频率输出一行 CSV：freq_hz，第 P 页（0..7）各曲线频段按曲线顺序的响应（dB），然后是该页\n"
     "没有标记的 EQ 频段（音乐页和话筒页的频段 14 和 15），它们的总和，带 --phase 时还有总和的\n"
     "相位（度，展开，由 48 kHz 下相同的 cookbook 节计算）。不带 --freqs 时，频率为宽 W 像素\n"
     "（默认 1000）的曲线自身的点。S：0 唱歌（默认），1 跳舞；E：效果页的部分 0..2。\n",
     Response, GraphSyntax(false)}};
CommandRegistration plot{
    {"plot", "把某页的 EQ 曲线画成 PNG 文件",
     "用法: mirelune-cli plot FILE --page P -o OUT.png [--width W] [--height H]\n"
     "                        [--sound-mode S] [--sub-page E] [--compare OTHER.sp]... [--phase]\n"
     "按控制台打开该页后立即显示的样子（选中频段 0）画出第 P 页的曲线，W x H 像素（默认\n"
     "1000 x 300）。--compare 在其下方以各自的颜色和图例画出另一个配置文件的同一页（最多\n"
     "4 个文件）；--phase 在右侧以度为单位的坐标轴上加上总响应的相位。\n",
     Plot, GraphSyntax(true)}};

}  // namespace
}  // namespace mirelune::cli
