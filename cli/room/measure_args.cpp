// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/room/measure_args.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <tuple>

#include "model/number_text.h"
#include "model/json_text.h"
#include "cli/command.h"
#include "model/decimal_number.h"
#include "model/file_bytes.h"
#include "platform/audio_port.h"

namespace mirelune::cli {
namespace {

bool TakeNumber(std::vector<std::string>& args, const std::string& name, double lo, double hi, double& v,
                std::string& err, const std::string& unit) {
  std::string text;
  if (!TakeOption(args, name, text, err)) return err.empty();
  const std::optional<double> x = ParseDecimalNumber(text, DecimalMark::Point);
  if (!x || *x < lo || *x > hi) {
    char range[64];
    std::snprintf(range, sizeof range, "%g..%g", lo, hi);
    err = name + " must be " + range + unit + ", not '" + text + "'";
    return false;
  }
  v = *x;
  return true;
}

const char* Verdict(InputLevel::Verdict v) {
  switch (v) {
    case InputLevel::Verdict::Ok: return "ok";
    case InputLevel::Verdict::TooLow: return "too low";
    case InputLevel::Verdict::Clipping: return "clipping";
  }
  return "";
}

void Warn(std::ostream& err, const char* what, const InputLevel& l) {
  if (l.verdict == InputLevel::Verdict::TooLow)
    err << "mirelune-cli measure: warning: the " << what << " reached the input at " << FixedText(l.rmsDb, 1)
        << " dBFS RMS, too low: raise the amplifier's level or the microphone's gain\n";
  else if (l.verdict == InputLevel::Verdict::Clipping)
    err << "mirelune-cli measure: warning: the " << what << " clipped the input (peak " << FixedText(l.peakDb, 1)
        << " dBFS): lower the amplifier's level or the microphone's gain\n";
}

}  // namespace


bool ParseMeasureArgs(std::vector<std::string> args, MeasureArgs& a, std::string& err) {
  a.list = TakeFlag(args, "--list");
  a.json = TakeFlag(args, "--json");
  a.live.levelCheck = !TakeFlag(args, "--no-level-check");
  // -o is the file; --output the sound output (as in the command's usage).
  const bool hasFile = TakeOption(args, "-o", a.file, err);
  if (!err.empty()) return false;
  TakeOption(args, "--output", a.live.output, err);
  if (!err.empty()) return false;
  TakeOption(args, "--input", a.live.input, err);
  if (!err.empty()) return false;
  double repeat = a.live.repeat;
  if (!TakeNumber(args, "--length", kMinSweepSeconds, kMaxSweepSeconds, a.live.sweep.seconds, err, " s") ||
      !TakeNumber(args, "--repeat", 1, kMaxRepeat, repeat, err, ""))
    return false;
  if (repeat != std::floor(repeat)) {
    err = "--repeat must be a whole number 1..16";
    return false;
  }
  a.live.repeat = static_cast<int>(repeat);
  std::string window;
  if (TakeOption(args, "--window", window, err)) {
    const size_t colon = window.find(':');
    const auto left = ParseDecimalNumber(window.substr(0, colon), DecimalMark::Point);
    const auto right = colon == std::string::npos ? std::nullopt : ParseDecimalNumber(window.substr(colon + 1), DecimalMark::Point);
    if (!left || !right || *left < kMinWindowMs || *left > kMaxWindowMs || *right < kMinWindowMs || *right > kMaxWindowMs) {
      err = "--window must be LEFT:RIGHT in ms, each 1..2000, not '" + window + "'";
      return false;
    }
    a.live.window.leftMs = *left;
    a.live.window.rightMs = *right;
  }
  if (!err.empty()) return false;
  TakeOption(args, "--calibration", a.calibration, err);
  if (!err.empty()) return false;
  for (const auto& [name, hi, value] : {std::tuple{"--page", 7L, &a.page}, std::tuple{"--sub-page", 2L, &a.subPage}}) {
    std::string text;
    if (!TakeOption(args, name, text, err)) {
      if (!err.empty()) return false;
      continue;
    }
    if (!ParseInt(text, *value) || *value < 0 || *value > hi) {
      err = std::string(name) + " must be a whole number 0.." + std::to_string(hi) + ", not '" + text + "'";
      return false;
    }
  }
  if (!args.empty()) {
    err = "unexpected argument '" + args[0] + "'";
    return false;
  }
  if (!a.list && !hasFile) {
    err = "-o ROOM.txt is required (or --list)";
    return false;
  }
  return true;
}

int ListDevices(AudioPort& port, std::ostream& out) {
  out << "outputs:\n";
  for (const std::string& n : port.Outputs()) out << "  " << n << "\n";
  out << "inputs:\n";
  for (const std::string& n : port.Inputs()) out << "  " << n << "\n";
  return kExitOk;
}

int RunMeasure(AudioPort& port, const MeasureArgs& a, std::ostream& out, std::ostream& err) {
  if (a.list) return ListDevices(port, out);
  Calibration cal;
  if (!a.calibration.empty()) {
    MeasureFileError bad;
    if (!LoadCalibration(a.calibration, cal, bad)) {
      err << "mirelune-cli measure: the calibration: " << bad.Text() << "\n";
      return kExitFailed;
    }
  }
  const LiveResult r = RunLiveMeasurement(port, a.live, {}, nullptr);
  if (r.levelChecked) Warn(err, "pink noise", r.noiseLevel);
  if (!r.ok) {
    err << "mirelune-cli measure: " << (r.cancelled ? "cancelled" : r.error) << "; nothing was written\n";
    return kExitFailed;
  }
  Warn(err, "sweep", r.sweepLevel);
  Measurement m = r.response;
  if (!a.calibration.empty()) {
    ApplyCalibration(m, cal);
    m.notes.push_back("Calibration: " + a.calibration + " applied");
  }
  const std::string text = WriteMeasurement(m);
  const FileResult saved = ReplaceFile(a.file, std::vector<uint8_t>(text.begin(), text.end()));
  if (!saved) {
    err << "mirelune-cli measure: " << saved.error << "\n";
    return kExitFailed;
  }
  if (a.json) {
    out << "{\"file\":" << JsonString(a.file) << ",\"delayMs\":" << FixedText(r.ir.DelayMs(), 3) << ",\"points\":" << m.size()
        << ",\"levelCheck\":";
    if (r.levelChecked)
      out << "{\"rmsDb\":" << FixedText(r.noiseLevel.rmsDb, 1) << ",\"peakDb\":" << FixedText(r.noiseLevel.peakDb, 1)
          << ",\"verdict\":\"" << Verdict(r.noiseLevel.verdict) << "\"}";
    else
      out << "null";
    out << ",\"sweepPeakDb\":" << FixedText(r.sweepLevel.peakDb, 1) << ",\"sweeps\":" << a.live.repeat << "}\n";
    return kExitOk;
  }
  if (r.levelChecked)
    out << "level check: pink noise at the input " << FixedText(r.noiseLevel.rmsDb, 1) << " dBFS RMS, peak "
        << FixedText(r.noiseLevel.peakDb, 1) << " dBFS: " << Verdict(r.noiseLevel.verdict) << "\n";
  out << "measured: " << a.live.repeat << (a.live.repeat == 1 ? " sweep" : " sweeps averaged") << " of "
      << FixedText(a.live.sweep.seconds, 1) << " s, peak at the input " << FixedText(r.sweepLevel.peakDb, 1)
      << " dBFS, delay " << FixedText(r.ir.DelayMs(), 2) << " ms\n";
  out << "saved " << a.file << ": " << m.size() << " points, 20 Hz..20 kHz, with phase\n";
  return kExitOk;
}

}  // namespace mirelune::cli
