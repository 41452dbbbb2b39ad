// SPDX-License-Identifier: GPL-3.0-or-later
// `eq fit`: the EQ bands of a page fitted to a room measurement on the amplifier's own tables
// (measure/room_fit.h), written into a configuration file or onto the amplifier as one change
// through `set`, with the report of what it reaches.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/command.h"
#include "model/number_text.h"
#include "model/json_text.h"
#include "cli/device_page.h"
#include "cli/helper_program.h"
#include "cli/room/eq_fit_command.h"
#include "graph/graph_bands.h"
#include "measure/room_fit.h"
#include "model/decimal_number.h"
#include "model/scales.h"
#include "model/sp_file.h"
#include "model/store.h"

namespace mirelune::cli {
namespace {

struct FitArgs {
  std::string input;
  std::string target = "flat";
  double lowHz = 20;
  double highHz = 500;
  double maxBoostDb = 3;
  long page = 0;
  long subPage = 0;
  bool hasSound = false;
  long sound = 0;
  std::vector<int> locks;  // 1-based band numbers
  Smoothing smoothing{Smoothing::Kind::Fraction, 12};
  bool throughPage = true;
  std::string calibration;
  std::string into;
  std::string output;
  bool json = false;
};

std::optional<double> Number(const std::string& text) { return ParseDecimalNumber(text, DecimalMark::Point); }

bool TakeLong(std::vector<std::string>& args, const std::string& name, long lo, long hi, long& v, bool& given,
              std::string& err) {
  std::string text;
  given = TakeOption(args, name, text, err);
  if (!given) return err.empty();
  if (!ParseInt(text, v) || v < lo || v > hi) {
    err = name + " must be a whole number " + std::to_string(lo) + ".." + std::to_string(hi) + ", not '" + text + "'";
    return false;
  }
  return true;
}

bool ParseFitArgs(std::vector<std::string> args, const Options& global, FitArgs& a, std::string& err) {
  bool given = false;
  if (!TakeLong(args, "--page", 0, 7, a.page, given, err) || !TakeLong(args, "--sub-page", 0, 2, a.subPage, given, err) ||
      !TakeLong(args, "--sound-mode", 0, 1, a.sound, a.hasSound, err))
    return false;
  a.json = TakeFlag(args, "--json");
  std::string text;
  if (TakeOption(args, "--target", a.target, err)) {
    FitTarget probe;
    std::string why;
    const bool isFile = a.target != "flat" && a.target.rfind("tilt=", 0) != 0 && a.target.rfind("shelf=", 0) != 0;
    if (!isFile && !ParseFitTarget(a.target, probe, why)) {
      err = "--target: " + why;
      return false;
    }
  }
  if (!err.empty()) return false;
  if (TakeOption(args, "--range", text, err)) {
    const size_t colon = text.find(':');
    const auto lo = Number(text.substr(0, colon));
    const auto hi = colon == std::string::npos ? std::nullopt : Number(text.substr(colon + 1));
    if (!lo || !hi || *lo < 20 || *hi > 20000 || *hi < 2 * *lo) {
      err = "--range must be LOW:HIGH in Hz within 20..20000, an octave wide at least, not '" + text + "'";
      return false;
    }
    a.lowHz = *lo;
    a.highHz = *hi;
  }
  if (!err.empty()) return false;
  if (TakeOption(args, "--max-boost", text, err)) {
    const auto v = Number(text);
    if (!v || *v < 0 || *v > 12) {
      err = "--max-boost must be 0..12 dB, not '" + text + "'";
      return false;
    }
    a.maxBoostDb = *v;
  }
  if (!err.empty()) return false;
  if (TakeOption(args, "--smoothing", text, err) && !ParseSmoothing(text, a.smoothing)) {
    err = "--smoothing must be 1/1..1/48, var or none, not '" + text + "'";
    return false;
  }
  if (!err.empty()) return false;
  if (TakeOption(args, "--measured", text, err)) {
    if (text != "page" && text != "bypass") {
      err = "--measured must be page or bypass, not '" + text + "'";
      return false;
    }
    a.throughPage = text == "page";
  }
  if (!err.empty()) return false;
  if (TakeOption(args, "--lock", text, err)) {
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
      long n = 0;
      if (!ParseInt(item, n) || n < 1 || n > kMaxGraphEqBands + kMaxExtraEqBands) {
        err = "--lock takes band numbers 1..17 separated by commas, not '" + text + "'";
        return false;
      }
      a.locks.push_back(static_cast<int>(n));
    }
  }
  if (!err.empty()) return false;
  TakeOption(args, "--calibration", a.calibration, err);
  if (!err.empty()) return false;
  const bool into = TakeOption(args, "--into", a.into, err);
  if (!err.empty()) return false;
  const bool out = TakeOption(args, "--output", a.output, err, "-o");
  if (!err.empty()) return false;
  if (!CheckIntoOrDevice(into, out, global.deviceGiven, err)) return false;
  if (args.size() != 1 || args[0].rfind("-", 0) == 0) {
    err = args.empty() ? "no measurement file given" : "unexpected argument '" + args[0] + "'";
    return false;
  }
  a.input = args[0];
  return true;
}

// ---- The report ----

std::string SetText(const BandSetting& s) {
  std::string t = s.QType == 1 ? "LS" : s.QType == 2 ? "HS" : "PK";
  t += " " + HzText(FreqAt(s.Freq)) + " Hz " + GainText(s.Gain) + " dB";
  t += s.QType == 0 ? " Q " + QIndexText(s.Q) : " S " + QIndexText(s.SQ);
  if (s.EQDisabled != kFalse) t += " (off)";
  return t;
}

std::string JsonSetting(const BandSetting& s) {
  return "{\"shape\":" + std::to_string(s.QType) + ",\"freqIndex\":" + std::to_string(s.Freq) +
         ",\"freqHz\":" + HzText(FreqAt(s.Freq)) + ",\"gainCode\":" + std::to_string(s.Gain) +
         ",\"gainDb\":" + FixedText((s.Gain - kGainZero) / 10.0, 1) + ",\"qIndex\":" + std::to_string(s.Q) +
         ",\"q\":" + QIndexText(s.Q) + ",\"slopeIndex\":" + std::to_string(s.SQ) +
         ",\"off\":" + (s.EQDisabled != kFalse ? "true" : "false") + "}";
}

std::string Figures(const DeviationFigures& f) {
  return FixedText(f.rmsDb, 2) + " dB RMS, " + FixedText(f.maxDb, 2) + " dB max";
}

std::string JsonFigures(const DeviationFigures& f) {
  return "{\"rmsDb\":" + FixedText(f.rmsDb, 3) + ",\"maxDb\":" + FixedText(f.maxDb, 3) + "}";
}

int FreeCount(const RoomFit& fit) {
  int n = 0;
  for (const FittedBand& b : fit.bands) n += b.locked ? 0 : 1;
  return n;
}

void TextReport(std::ostream& out, const FitArgs& a, const RoomFit& fit, int sound, const std::string& applied) {
  out << "page " << a.page;
  if (a.page == 3) out << " part " << a.subPage;
  out << ", sound mode " << sound << ": " << fit.bands.size() << " EQ bands, " << fit.bands.size() - FreeCount(fit)
      << " locked; range " << HzText(a.lowHz) << ".." << HzText(a.highHz) << " Hz, target " << a.target << ", max boost "
      << FixedText(a.maxBoostDb, 1) << " dB, smoothing " << SmoothingText(a.smoothing) << "\n";
  out << "deviation before: " << Figures(fit.before) << "\n";
  out << "deviation after:  " << Figures(fit.after) << " (predicted)\n";
  out << "continuous EQ:    " << Figures(fit.continuous) << " (the same " << fit.continuousBands.size()
      << " bands with any frequency, gain and Q)\n";
  if (!fit.dips.empty()) {
    out << "dips left alone (not boosted, not counted):";
    for (const auto& [lo, hi] : fit.dips) out << " " << HzText(lo) << ".." << HzText(hi) << " Hz";
    out << "\n";
  }
  std::string flat;
  for (const FittedBand& b : fit.bands) {
    if (b.locked) {
      out << "band " << b.band + 1 << " (address " << b.address << "): locked, " << SetText(b.after) << "\n";
    } else if (b.used) {
      out << "band " << b.band + 1 << " (address " << b.address << "): " << SetText(b.after) << "\n";
    } else if (b.before != b.after) {
      flat += (flat.empty() ? "" : ",") + std::to_string(b.band + 1);
    }
  }
  if (!flat.empty()) out << "bands " << flat << " set flat (0 dB)\n";
  if (fit.kept) out << "the page's bands as they are do at least as well: nothing changed\n";
  else out << "used " << fit.used << " of " << FreeCount(fit) << " free bands; " << applied << "\n";
}

void JsonReport(std::ostream& out, const FitArgs& a, const RoomFit& fit, int sound, bool applied) {
  out << "{\"page\":" << a.page << ",\"subPage\":" << a.subPage << ",\"soundMode\":" << sound
      << ",\"range\":{\"fromHz\":" << HzText(a.lowHz) << ",\"toHz\":" << HzText(a.highHz) << "},\"target\":"
      << JsonString(a.target) << ",\"maxBoostDb\":" << FixedText(a.maxBoostDb, 1) << ",\"smoothing\":\""
      << SmoothingText(a.smoothing) << "\",\n \"before\":" << JsonFigures(fit.before)
      << ",\"after\":" << JsonFigures(fit.after) << ",\"continuous\":" << JsonFigures(fit.continuous)
      << ",\n \"dips\":[";
  for (size_t k = 0; k < fit.dips.size(); ++k)
    out << (k ? "," : "") << "{\"fromHz\":" << HzText(fit.dips[k].first) << ",\"toHz\":" << HzText(fit.dips[k].second) << "}";
  out << "],\n \"bands\":[";
  for (size_t k = 0; k < fit.bands.size(); ++k) {
    const FittedBand& b = fit.bands[k];
    out << (k ? ",\n  " : "\n  ") << "{\"band\":" << b.band + 1 << ",\"address\":" << b.address
        << ",\"locked\":" << (b.locked ? "true" : "false") << ",\"used\":" << (b.used ? "true" : "false")
        << ",\"before\":" << JsonSetting(b.before) << ",\"after\":" << JsonSetting(b.after) << "}";
  }
  out << "],\n \"continuousBands\":[";
  for (size_t k = 0; k < fit.continuousBands.size(); ++k) {
    const ContinuousBand& c = fit.continuousBands[k];
    out << (k ? "," : "") << "{\"freqHz\":" << FixedText(c.freqHz, 2) << ",\"gainDb\":" << FixedText(c.gainDb, 2)
        << ",\"q\":" << FixedText(c.q, 3) << "}";
  }
  out << "],\"used\":" << fit.used << ",\"kept\":" << (fit.kept ? "true" : "false") << ",\"changed\":" << fit.ChangedAddresses().size()
      << ",\"applied\":" << (applied ? "true" : "false") << "}\n";
}

// The fit's bands into the store: the sound mode's slot, and the other one for a band common
// to both modes (the console's slot rule).
void WriteBands(Store& store, const RoomFit& fit) {
  const int m = store.CurrentSoundMode != 0 ? 1 : 0;
  for (const FittedBand& b : fit.bands) {
    ApplyBandSetting(store.ParamTable.at(m, b.address), b.after);
    if (store.ParamTable.at(0, b.address).PerMode == kFalse) ApplyBandSetting(store.ParamTable.at(1 - m, b.address), b.after);
  }
}

}  // namespace

int EqFitCommand(Context& ctx, const std::vector<std::string>& argv) {
  FitArgs a;
  std::string err;
  if (!ParseFitArgs(argv, ctx.options, a, err)) {
    ctx.err << "mirelune-cli eq fit: " << err << "\n";
    return kExitUsage;
  }
  // Every file is read and checked before the amplifier is touched.
  RoomFitRequest req;
  MeasureFileError bad;
  if (!LoadMeasurement(a.input, req.measured, bad)) {
    ctx.err << "mirelune-cli eq fit: " << bad.Text() << "\n";
    return kExitFailed;
  }
  if (!a.calibration.empty()) {
    Calibration cal;
    if (!LoadCalibration(a.calibration, cal, bad)) {
      ctx.err << "mirelune-cli eq fit: the calibration: " << bad.Text() << "\n";
      return kExitFailed;
    }
    ApplyCalibration(req.measured, cal);
  }
  if (!ParseFitTarget(a.target, req.target, err)) {
    ctx.err << "mirelune-cli eq fit: " << err << "\n";
    return kExitFailed;
  }
  req.lowHz = a.lowHz;
  req.highHz = a.highHz;
  req.maxBoostDb = a.maxBoostDb;
  req.smoothing = a.smoothing;
  req.measuredThroughPage = a.throughPage;
  req.page = static_cast<int>(a.page);
  err = CheckRoomFitRequest(req);
  if (!err.empty()) {
    ctx.err << "mirelune-cli eq fit: " << a.input << ": " << err << "\n";
    return kExitFailed;
  }

  auto store = std::make_unique<Store>();
  int sound = static_cast<int>(a.sound);
  if (!a.into.empty()) {
    store->InitDefaults();
    const FileResult r = LoadTableFromFile(a.into, store->ParamTable);
    if (!r) {
      ctx.err << "mirelune-cli eq fit: " << r.error << "\n";
      return kExitFailed;
    }
    store->CurrentPage = static_cast<int32_t>(a.page);
    store->EffectSubPage = static_cast<uint8_t>(a.subPage);
    store->SetCurrentSoundMode(static_cast<uint8_t>(sound));
  } else {
    const int status = ReadDevicePage(ctx, static_cast<int>(a.page), static_cast<int>(a.subPage), a.hasSound, sound, *store);
    if (status != kExitOk) return status;
  }
  BuildGraphBands(*store, nullptr, req.bands);
  const size_t bandCount = PageEqBands(req.bands).size();
  req.locked.assign(bandCount, false);
  for (const int n : a.locks) {
    if (static_cast<size_t>(n) > bandCount) {
      ctx.err << "mirelune-cli eq fit: --lock " << n << ": page " << a.page << " has " << bandCount << " EQ bands\n";
      return kExitUsage;
    }
    req.locked[static_cast<size_t>(n - 1)] = true;
  }

  const RoomFit fit = FitRoom(req);
  if (!fit.ok) {
    ctx.err << "mirelune-cli eq fit: " << fit.error << "\n";
    return kExitFailed;
  }
  std::string applied;
  if (!a.into.empty()) {
    WriteBands(*store, fit);
    const FileResult saved = SaveTableToFile(a.output, store->ParamTable);
    if (!saved) {
      ctx.err << "mirelune-cli eq fit: " << saved.error << "\n";
      return kExitFailed;
    }
    applied = "written to " + a.output;
  } else {
    std::vector<std::string> changes;
    for (const FittedBand& b : fit.bands)
      if (b.before != b.after)
        changes.push_back(BandAssignment(b.address, b.after.Freq, b.after.Gain, b.after.Q, b.after.SQ, b.after.QType,
                                         b.after.EQDisabled != kFalse));
    if (!changes.empty()) {
      const int status = SetOnDevice(ctx, changes, sound);
      if (status != kExitOk) {
        ctx.err << "mirelune-cli eq fit: the bands were not applied (see above)\n";
        return status;
      }
    }
    applied = changes.empty() ? "nothing to change on the amplifier"
                              : "applied to the amplifier as one change of " + std::to_string(changes.size()) +
                                    (changes.size() == 1 ? " band" : " bands");
  }
  // With the file on standard output (-o -), the report goes beside it, to stderr.
  std::ostream& report = a.output == "-" ? ctx.err : ctx.out;
  if (a.json) JsonReport(report, a, fit, sound, true);
  else TextReport(report, a, fit, sound, applied);
  return kExitOk;
}

namespace {

// Run through `eq` (cli/cmd_eq.cpp) with its words, which fit reads without the sub-command.
const ImplementationRegistration kEqFitCode("eq fit", [](Context& ctx, const Args& args) {
  std::vector<std::string> words = args.words;
  const auto at = std::find(words.begin(), words.end(), "fit");
  if (at != words.end()) words.erase(at);
  return EqFitCommand(ctx, words);
});

}  // namespace

}  // namespace mirelune::cli
