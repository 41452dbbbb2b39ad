// SPDX-License-Identifier: GPL-3.0-or-later
// EQ filter sets of measurement programs: `eq export` prints a page's EQ bands as REW or
// Equalizer APO filter text, `eq import` places such a filter set on a page of a configuration
// file or of the amplifier's current mode and prints what it did (graph/eq_fit.h).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "cli/command.h"
#include "model/number_text.h"
#include "model/json_text.h"
#include "cli/device_session.h"
#include "cli/device_values.h"
#include "cli/help.h"
#include "cli/helper_program.h"
#include "graph/eq_fit.h"
#include "link/group_decode.h"
#include "model/filter_set.h"
#include "model/sp_file.h"
#include "model/store.h"
#include "model/slot_rule.h"

namespace mirelune::cli {
namespace {

constexpr int kModeCount = 10;

struct EqArgs {
  std::string input;       // the configuration file (export) or the filter set (import)
  long page = -1;
  bool hasSound = false;
  long soundMode = 0;
  long subPage = 0;
  FilterFormat format = FilterFormat::Rew;
  std::string into;        // import: the configuration file to start from
  std::string output;      // import: where the result goes
  bool json = false;
};

// Reads a command line parsed by kEq's syntax (export or import).
bool ReadEqArgs(const Args& args, bool import, const Options& global, EqArgs& a, std::string& err) {
  a.input = args.operands.at(0);
  a.page = args.Number("--page", -1);
  a.hasSound = args.Has("--sound-mode");
  a.soundMode = args.Number("--sound-mode", 0);
  a.subPage = args.Number("--sub-page", 0);
  if (!import) {
    if (args.Has("--format")) ParseFilterFormat(args.Value("--format"), a.format);
    return true;
  }
  a.json = args.Has("--json");
  a.into = args.Value("--into");
  a.output = args.Value("--output");
  const bool into = args.Has("--into"), out = args.Has("--output");
  if (!CheckIntoOrDevice(into, out, global.deviceGiven, err)) return false;
  return true;
}

void ShowPage(Store& store, const EqArgs& a, int soundMode) {
  store.CurrentPage = static_cast<int32_t>(a.page);
  store.EffectSubPage = static_cast<uint8_t>(a.subPage);
  store.SetCurrentSoundMode(static_cast<uint8_t>(soundMode));
}

bool LoadSp(const std::string& path, Store& store, std::string& err, std::ostream& warnings,
            const char* cmd) {
  store.InitDefaults();
  const FileResult r = LoadTableFromFile(path, store.ParamTable);
  if (!r) err = r.error;
  if (!r.warning.empty()) warnings << "mirelune-cli " << cmd << ": warning: " << r.warning << "\n";
  return r.ok;
}

// Writes the fit's bands into the store by the console's slot rule.
void ApplyFit(Store& store, const EqFit& fit) {
  for (size_t k = 0; k < fit.bandAddresses.size(); ++k)
    WriteBySlotRule(store, fit.bandAddresses[k],
                    [&](ParamRecord& r) { ApplyBandSetting(r, fit.after[k]); });
}

// ---- Numbers and the report ----

// The shortest text that reads back as the same double; "." under every locale.
std::string Num(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

const char* OutcomeName(FitOutcome o) {
  switch (o) {
    case FitOutcome::Placed: return "placed";
    case FitOutcome::Off: return "off";
    case FitOutcome::Empty: return "empty";
    case FitOutcome::Unsupported: return "unsupported";
    case FitOutcome::OutOfRange: return "out-of-range";
    case FitOutcome::NoBandLeft: return "no-band-left";
  }
  return "";
}

const char* ValueName(FitValue v) {
  switch (v) {
    case FitValue::Freq: return "freq";
    case FitValue::Gain: return "gain";
    case FitValue::Q: return "q";
    case FitValue::Slope: return "slope";
    case FitValue::None: break;
  }
  return "";
}

bool IsShelf(FilterType t) { return t == FilterType::LowShelf || t == FilterType::HighShelf; }

std::string AskedText(const Filter& f, const FilterFit& fit) {
  std::string s = std::string(f.on ? "ON " : "OFF ") + f.typeText;
  if (f.hasFreq) s += " " + HzText(f.freqHz) + " Hz";
  if (f.hasGain) s += " " + FixedText(f.gainDb, 1) + " dB";
  if (IsShelf(f.type)) s += " S " + FixedText(fit.slope, 2);
  else if (f.hasQ) s += " Q " + FixedText(f.q, 2);
  return s;
}

std::string SetText(const BandSetting& s) {
  std::string t = s.QType == 1 ? "LS" : s.QType == 2 ? "HS" : "PK";
  t += " " + HzText(FreqAt(s.Freq)) + " Hz " + GainText(s.Gain) + " dB";
  t += s.QType == 0 ? " Q " + QIndexText(s.Q) : " S " + QIndexText(s.SQ);
  return t;
}

std::string Why(const Filter& f, const FilterFit& fit, size_t bands) {
  switch (fit.outcome) {
    case FitOutcome::Unsupported:
      return f.typeText + " is not a shape the EQ bands have (peaking, low shelf, high shelf)";
    case FitOutcome::OutOfRange: {
      const char* unit = fit.value == FitValue::Freq ? " Hz" : fit.value == FitValue::Gain ? " dB" : "";
      const std::string name = fit.value == FitValue::Freq   ? "frequency"
                               : fit.value == FitValue::Gain ? "gain"
                               : fit.value == FitValue::Q    ? "Q"
                                                             : "shelf slope S";
      const auto n = [&](double v) { return fit.value == FitValue::Freq ? HzText(v) : FixedText(v, 2); };
      return name + " " + n(fit.asked) + unit + " outside " + n(fit.low) + ".." + n(fit.high) + unit;
    }
    case FitOutcome::NoBandLeft:
      return "no band left (the page has " + std::to_string(bands) + " EQ bands; the filters of largest gain are placed)";
    default: return "";
  }
}

std::string TextReport(const FilterSet& set, const EqFit& fit) {
  std::ostringstream out;
  out << "page " << fit.page;
  if (fit.page == 3) out << " part " << fit.subPage;
  out << ", sound mode " << fit.soundMode << ": " << fit.bandAddresses.size() << " EQ bands\n";
  for (const FilterFit& ff : fit.filters) {
    const Filter& f = set.filters[static_cast<size_t>(ff.index)];
    out << "filter " << ff.index + 1 << " (line " << f.line << "): " << AskedText(f, ff) << " -> ";
    if (ff.outcome == FitOutcome::Placed)
      out << "band " << ff.band + 1 << " (address " << ff.address << "): " << SetText(ff.set);
    else if (ff.outcome == FitOutcome::Off || ff.outcome == FitOutcome::Empty)
      out << "nothing asked";
    else
      out << "not placed: " << Why(f, ff, fit.bandAddresses.size());
    if (std::isfinite(ff.maxDiffDb)) out << "; max difference " << FixedText(ff.maxDiffDb, 2) << " dB";
    else if (ff.Failed()) out << "; its response is not known";
    out << "\n";
  }
  if (fit.preampNotPlaced)
    out << "preamp " << FixedText(fit.preampDb, 1) << " dB (line " << fit.preampLine
        << ") -> not placed: the EQ bands have no gain of their own\n";
  std::string flat;
  for (size_t k = static_cast<size_t>(fit.placed); k < fit.after.size(); ++k)
    flat += (flat.empty() ? "" : ",") + std::to_string(k + 1);
  if (!flat.empty()) out << "bands " << flat << " set flat (0 dB)\n";
  out << "all filters: max difference " << FixedText(fit.maxDiffDb, 2) << " dB over 20 Hz..20 kHz"
      << (fit.askedKnown ? "" : " (without the filters whose response is not known)") << "\n";
  out << "placed " << fit.placed << " filter" << (fit.placed == 1 ? "" : "s");
  if (fit.notPlaced > 0) out << "; NOT placed: " << fit.notPlaced;
  out << "\n";
  return out.str();
}

std::string JsonSetting(const BandSetting& s) {
  std::ostringstream out;
  out << "{\"shape\":" << int(s.QType) << ",\"freqIndex\":" << s.Freq << ",\"freqHz\":" << Num(FreqAt(s.Freq))
      << ",\"gainCode\":" << s.Gain << ",\"gainDb\":" << Num((s.Gain - kGainZero) / 10.0)
      << ",\"qIndex\":" << s.Q << ",\"q\":" << Num(QAt(s.Q)) << ",\"slopeIndex\":" << s.SQ
      << ",\"slope\":" << Num(QAt(s.SQ)) << "}";
  return out.str();
}

std::string JsonReport(const FilterSet& set, const EqFit& fit) {
  std::ostringstream out;
  out << "{\"page\":" << fit.page << ",\"subPage\":" << fit.subPage << ",\"soundMode\":" << fit.soundMode
      << ",\"bands\":" << fit.bandAddresses.size() << ",\"grid\":{\"fromHz\":" << Num(kFitLowHz)
      << ",\"toHz\":" << Num(kFitHighHz) << ",\"points\":" << kFitPoints << "},\n \"filters\":[";
  for (const FilterFit& ff : fit.filters) {
    const Filter& f = set.filters[static_cast<size_t>(ff.index)];
    out << (ff.index == 0 ? "\n  " : ",\n  ") << "{\"line\":" << f.line << ",\"number\":" << f.number
        << ",\"source\":" << JsonString(f.source) << ",\"type\":" << JsonString(f.typeText)
        << ",\"on\":" << (f.on ? "true" : "false") << ",\"freqHz\":" << (f.hasFreq ? Num(f.freqHz) : "null")
        << ",\"gainDb\":" << (f.hasGain ? Num(f.gainDb) : "null") << ",\"q\":" << (f.hasQ ? Num(f.q) : "null")
        << ",\"slope\":" << (IsShelf(f.type) ? Num(ff.slope) : "null") << ",\"outcome\":\""
        << OutcomeName(ff.outcome) << "\"";
    if (ff.outcome == FitOutcome::Placed)
      out << ",\"band\":" << ff.band + 1 << ",\"address\":" << ff.address << ",\"set\":" << JsonSetting(ff.set);
    if (ff.outcome == FitOutcome::OutOfRange)
      out << ",\"value\":\"" << ValueName(ff.value) << "\",\"asked\":" << Num(ff.asked)
          << ",\"low\":" << Num(ff.low) << ",\"high\":" << Num(ff.high);
    out << ",\"maxDiffDb\":" << Num(ff.maxDiffDb) << "}";
  }
  out << "],\n \"preamp\":";
  if (fit.preampNotPlaced)
    out << "{\"db\":" << Num(fit.preampDb) << ",\"line\":" << fit.preampLine << ",\"placed\":false}";
  else
    out << "null";
  out << ",\n \"maxDiffDb\":" << Num(fit.maxDiffDb) << ",\"askedKnown\":" << (fit.askedKnown ? "true" : "false")
      << ",\"placed\":" << fit.placed << ",\"notPlaced\":" << fit.notPlaced << ",\"applied\":true}\n";
  return out.str();
}

// ---- The amplifier ----

// Reads the page from the amplifier's current mode, fits the set and sends the bands it changes.
int ImportOnDevice(DeviceSession& s, const EqArgs& a, const FilterSet& set, EqFit& fit) {
  if (!s.Connect()) return kExitFailed;
  Store& store = s.store();
  int mode = 0;
  if (!ReadCurrentMode(s, mode)) return kExitFailed;
  int sound = static_cast<int>(a.soundMode);
  // Without --sound-mode the bands of the sound mode the amplifier is in are edited.
  if (!a.hasSound) {
    if (!ReadKind(s, 10, mode, 0, true)) return kExitFailed;
    sound = store.ParamTable.at(0, sysaddr::kSoundMode).Value == 1 ? 1 : 0;
  }
  ShowPage(store, a, sound);
  if (!ReadKind(s, static_cast<int>(a.page), mode, sound, true)) return kExitFailed;
  fit = FitFilterSet(store, set);
  ApplyFit(store, fit);
  for (const int address : fit.ChangedAddresses())
    if (!s.Request(SetParam, 0, address, "the band at address " + std::to_string(address))) return kExitFailed;
  return kExitOk;
}

// ---- Commands ----

int Export(Context& ctx, const Args& args) {
  EqArgs a;
  std::string err;
  if (!ReadEqArgs(args, false, ctx.options, a, err)) return UsageError(ctx.err, "eq export", err);
  Store store;
  if (!LoadSp(a.input, store, err, ctx.err, "eq export")) {
    ctx.err << "mirelune-cli eq export: " << err << "\n";
    return kExitFailed;
  }
  ShowPage(store, a, static_cast<int>(a.soundMode));
  ctx.out << WriteFilterSet(PageFilterSet(store), a.format);
  return kExitOk;
}

int Import(Context& ctx, const Args& args) {
  EqArgs a;
  std::string err;
  if (!ReadEqArgs(args, true, ctx.options, a, err)) return UsageError(ctx.err, "eq import", err);
  // The filter set is checked in full before a file is read or a frame is sent.
  FilterSet set;
  FilterSetError bad;
  if (!LoadFilterSet(a.input, set, bad)) {
    ctx.err << "mirelune-cli eq import: " << bad.Text() << "\n";
    return kExitFailed;
  }
  EqFit fit;
  if (a.into.empty()) {
    const int status = RunOnDevice(ctx, "eq import", [&](DeviceSession& s) { return ImportOnDevice(s, a, set, fit); });
    if (status != kExitOk) return status;
  } else {
    Store store;
    if (!LoadSp(a.into, store, err, ctx.err, "eq import")) {
      ctx.err << "mirelune-cli eq import: " << err << "\n";
      return kExitFailed;
    }
    ShowPage(store, a, static_cast<int>(a.soundMode));
    fit = FitFilterSet(store, set);
    ApplyFit(store, fit);
    const FileResult saved = SaveTableToFile(a.output, store.ParamTable);
    if (!saved) {
      ctx.err << "mirelune-cli eq import: " << saved.error << "\n";
      return kExitFailed;
    }
  }
  // With the file on standard output (-o -), the report goes beside it, to stderr.
  (a.output == "-" ? ctx.err : ctx.out) << (a.json ? JsonReport(set, fit) : TextReport(set, fit));
  if (!fit.Complete()) {
    ctx.err << "mirelune-cli eq import: " << fit.notPlaced << (fit.notPlaced == 1 ? " item" : " items")
            << " of the filter set could not be placed (see the report); the others were applied\n";
    return kExitFailed;
  }
  return kExitOk;
}

int Eq(Context& ctx, const Args& args) {
  if (args.sub == "fit") return RunWithCode(ctx, "eq fit", "mirelune-room", args);
  return args.sub == "export" ? Export(ctx, args) : Import(ctx, args);
}

// The options both sub-commands take: the page and where on it.
const std::vector<OptionSpec> kPageOptions = {Required(Opt("--page", "P", NumberIn(0, 7))),
                                              Opt("--sound-mode", "S", NumberIn(0, 1)),
                                              Opt("--sub-page", "E", NumberIn(0, 2))};

// The page options of export and import (fit has its own: its page is optional).
std::vector<OptionSpec> WithPage(std::vector<OptionSpec> options) {
  options.insert(options.begin(), kPageOptions.begin(), kPageOptions.end());
  return options;
}

// fit's usage lines (after export's and import's) and the paragraph describing it: "%1" of eq's
// usage, translated on its own.
const char kEqFitHelp[] =
    "\n"
    "      mirelune-cli eq fit ROOM.txt [--target flat|tilt=DB|shelf=DB[@HZ]|FILE]\n"
    "                             [--range 20:500] [--max-boost 3] [--page P] [--sub-page E]\n"
    "                             [--sound-mode S] [--lock N,...] [--smoothing 1/12]\n"
    "                             [--measured page|bypass] [--calibration FILE]\n"
    "                             (--into FILE.sp -o OUT.sp | --device DEVICE) [--json]\n"
    "fit 读入房间的测量结果（`measure` 的文件、测量程序导出的文本，或 \"freq dB [phase]\" 的\n"
    "CSV/TSV，小数点或逗号均可），在范围内（默认 20..500 Hz）把第 P 页的 EQ 频段拟合到目标：\n"
    "平直（默认）、每倍频程若干 dB 的倾斜（tilt=-1，-6..6）、低架提升（shelf=6@120：0..15 dB，\n"
    "转折频率 20..1000 Hz，默认 100），或由 \"freq dB\" 行组成的目标文件。每个频率、Q 和增益都\n"
    "取自功放自身的表，之后不再取整；只用峰值频段；任何频段以及频段之和都不会把任何一点提升\n"
    "超过 --max-boost dB（0..12，默认 3；衰减可到 -24 dB）；窄的凹陷（零点）不予处理：从不\n"
    "提升，也不计入；在与最佳结果相差 0.5 dB 以内（RMS 和最大值）的前提下使用尽可能少的频段，\n"
    "剩下的空闲频段设为平直，--lock 保持指定的频段不变（编号与图上显示的相同，从 1 开始）。\n"
    "测量被视为经过当前的页面所做（--measured page，与 `measure` 相同）：空闲频段当前的份额被\n"
    "替换；用 --measured bypass 时测量不经过该页，此时计入该页的高通/低通滤波器和锁定的频段。\n"
    "测量先经平滑（--smoothing 1/1..1/48、var 或 none；默认 1/12）。--calibration 对其应用话筒\n"
    "校准文件。报告给出拟合前后与目标的偏差（范围内的 RMS 和最大值，单位 dB，不计电平，不计\n"
    "凹陷）、设置的每个频段，以及频率、增益和 Q 可以连续取值的均衡器用相同的频段所能达到的结果\n"
    "（--json 供脚本使用）。用 --into 时结果写入 OUT.sp；用 --device 时从功放的当前模式读取该页\n"
    "（不带 --sound-mode 时为功放所处的声音模式），并把改变的频段作为一次修改发送，方式与 `set`\n"
    "相同（控制台占用功放时经由控制台：其撤销历史中的一步）。\n"
    "有问题的文件在写入或发送任何内容之前就被拒绝（退出 1）；命令行错误退出 2。\n";

const CommandRegistration kEq(
    {"eq", "测量程序的 EQ 滤波器组（REW、Equalizer APO）：导出、导入；按房间拟合",
     "用法: mirelune-cli eq export FILE.sp --page P [--sound-mode S] [--sub-page E]\n"
     "                             [--format rew|apo]\n"
     "      mirelune-cli eq import FILTERS.txt --page P [--sound-mode S] [--sub-page E]\n"
     "                             (--into FILE.sp -o OUT.sp | --device DEVICE) [--json]\n"
     "export 把配置文件第 P 页（0..7）的 EQ 频段输出为 REW（默认）或 Equalizer APO 的滤波器\n"
     "文本。import 读入这样的文本（两种格式均可），按频率顺序把其中的滤波器放到该页的 EQ 频段\n"
     "上，每个值取功放所具有的最接近值；剩下的频段设为平直。用 --into 时结果写入 OUT.sp；用\n"
     "--device 时写入功放的当前模式（不带 --sound-mode 时为功放所处的声音模式）。\n"
     "S：0 唱歌（默认），1 跳舞；E：效果页的部分 0..2。\n"
     "报告逐个列出滤波器要求的值、设置的值，以及 20 Hz..20 kHz 内要求的响应与实现的响应之间\n"
     "的最大差值（dB）（--json 供脚本使用）。无法放置的滤波器（频段没有的类型，如 HP、LP 或\n"
     "NO；超出范围的值；滤波器多于频段；Preamp）会被报告，其余的仍然应用，退出状态为 1。有问题\n"
     "的滤波器文件在写入或发送任何内容之前就被拒绝（退出 1）；命令行错误退出 2。\n"
     "%1",
     Eq,
     Syntax().WithSubs(
         {{"export", Syntax()
                         .WithOptions(WithPage({Opt("--format", "rew|apo", OneOf({"rew", "apo"}))}))
                         .WithOperands({One("FILE.sp", FileOf("sp"))})},
          {"import", Syntax()
                         .WithOptions(WithPage({Opt("--into", "FILE.sp", FileOf("sp")),
                                                Opt("--output", "OUT.sp", FileOf("sp"), "-o"), Flag("--json")}))
                         .WithOperands({One("FILTERS.txt", FileOf("txt"))})},
          {"fit", Syntax()
                      .WithOptions({Opt("--page", "P", NumberIn(0, 7)), Opt("--sound-mode", "S", NumberIn(0, 1)),
                                    Opt("--sub-page", "E", NumberIn(0, 2)),
                                    Opt("--target", "TARGET", Value::Of(Value::Text)),
                                    Opt("--range", "LO:HI", Value::Of(Value::Text)),
                                    Opt("--max-boost", "DB", Value::Of(Value::Text)),
                                    Opt("--smoothing", "1/N", Value::Of(Value::Text)),
                                    Opt("--measured", "page|bypass", OneOf({"page", "bypass"})),
                                    Opt("--lock", "N,...", Value::Of(Value::Text)),
                                    Opt("--calibration", "FILE", FileOf("txt,cal")),
                                    Opt("--into", "FILE.sp", FileOf("sp")),
                                    Opt("--output", "OUT.sp", FileOf("sp"), "-o"), Flag("--json")})
                      .WithOperands({One("ROOM.txt", FileOf("txt,csv"))})}}),
     [] { return Translated(kEqFitHelp); }});

}  // namespace
}  // namespace mirelune::cli
