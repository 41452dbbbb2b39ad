// Device commands: info, set.
#include <ostream>
#include <sstream>

#include "cli/command.h"
#include "cli/device_session.h"
#include "link/group_decode.h"
#include "model/ansi_text.h"
#include "model/param_ranges.h"
#include "model/scales.h"

namespace mirelune::cli {
namespace {

constexpr int kModeCount = 10;

// ReadStatus: payload byte 1 is the current mode number 0..9.
bool ReadCurrentMode(DeviceSession& s, int& mode) {
  if (!s.Request(ReadStatus, 0, 0, "the status request")) return false;
  mode = s.link().ReplyPayload()[1];
  if (mode >= kModeCount) {
    s.Fail("the amplifier reports mode number " + std::to_string(mode) + ", not 0..9");
    return false;
  }
  return true;
}

// Reads menu kind `kind` of `mode` into ParamTable slot `slot` (slot 0 for kinds 8..10).
bool ReadKind(DeviceSession& s, int kind, int mode, int slot) {
  Link& link = s.link();
  Store& store = s.store();
  int modeArg = slot * 11 + mode;
  if (kind >= 8) {
    link.ModeOverride = mode;
    modeArg = mode;
  }
  const std::string what = "the read of menu kind " + std::to_string(kind);
  if (!s.Request(ReadGroup, modeArg, store.KindStart[static_cast<size_t>(kind)], what))
    return false;
  const GroupDecodeResult r =
      DecodeGroup(store, store.ParamTable, kind, slot, link.ReplyPayload().data(),
                  link.ReplyPayload().size(), link.RxLength());
  if (r.status == GroupDecodeResult::kOk) return true;
  s.Fail("the amplifier's reply to " + what + " carries " + std::to_string(r.payloadBytes) +
         " bytes, expected " + std::to_string(r.decodedBytes));
  return false;
}

int Info(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    ctx.err << "mirelune-cli info: usage: info\n";
    return kExitUsage;
  }
  return RunOnDevice(ctx, "info", [&](DeviceSession& s) {
    if (!s.Connect()) return kExitFailed;
    int mode = 0;
    if (!ReadCurrentMode(s, mode)) return kExitFailed;
    if (!s.Request(ReadModeNames, 0, 0, "the mode-name request")) return kExitFailed;
    const auto& p = s.link().ReplyPayload();
    const std::vector<uint8_t> names(p.begin(), p.begin() + kModeNameCount * kModeNameBytes);
    ctx.out << "device: " << s.link().DeviceIdentifierSeen() << "\n";
    ctx.out << "current mode: " << mode + 1 << "\n";
    for (int n = 0; n < kModeCount; ++n)
      ctx.out << "mode " << n + 1 << ": "
              << BytesToText(names, static_cast<size_t>(n) * kModeNameBytes) << "\n";
    return kExitOk;
  });
}

// "gain=CODE,freq=INDEX,..." applied onto `band`; false with `error` for anything else.
bool ApplyBandFields(const std::string& text, ParamRecord& band, std::string& error) {
  struct Field {
    const char* name;
    long lo, hi;
  };
  static const Field fields[] = {{"gain", kGainMin, kGainMax}, {"freq", 0, kFreqMaxIndex},
                                 {"q", 0, kQMaxIndex},         {"sq", 0, kSlopeMaxIndex},
                                 {"shape", 0, 2},              {"off", 0, 1}};
  std::stringstream in(text);
  std::string item;
  bool any = false;
  while (std::getline(in, item, ',')) {
    const size_t eq = item.find('=');
    const std::string key = item.substr(0, eq);
    long v = 0;
    const Field* f = nullptr;
    for (const Field& candidate : fields)
      if (key == candidate.name) f = &candidate;
    if (!f || eq == std::string::npos || !ParseInt(item.substr(eq + 1), v)) {
      error = "bad band field '" + item + "' (gain=, freq=, q=, sq=, shape=, off=)";
      return false;
    }
    if (v < f->lo || v > f->hi) {
      error = std::string(f->name) + " " + std::to_string(v) + " outside " + std::to_string(f->lo) +
              ".." + std::to_string(f->hi);
      return false;
    }
    const int32_t iv = static_cast<int32_t>(v);
    if (key == "gain") band.Gain = iv;
    if (key == "freq") band.Freq = iv;
    if (key == "q") band.Q = iv;
    if (key == "sq") band.SQ = iv;
    if (key == "shape") band.QType = static_cast<uint8_t>(iv);
    if (key == "off") band.EQDisabled = iv ? kTrue : kFalse;
    any = true;
  }
  if (!any) error = "no band field given";
  return any;
}

// What `set` was asked to do, checked in full before the amplifier is touched.
struct SetRequest {
  int address = 0;
  bool band = false;
  int32_t plain = 0;       // the value of a plain parameter
  std::string bandFields;  // the field list of an EQ band
  bool hasSound = false;
  int sound = 0;
};

bool ParseSet(const std::vector<std::string>& argv, SetRequest& req, std::string& error) {
  std::vector<std::string> args = argv;
  std::string soundText;
  req.hasSound = TakeOption(args, "--sound-mode", soundText, error);
  if (!error.empty() || args.size() != 2) {
    error = "usage: set ADDRESS VALUE [--sound-mode 0|1]";
    return false;
  }
  long address = 0, sound = 0;
  Store probe;
  probe.InitDefaults();
  if (!ParseInt(args[0], address) || address < 0 || address >= kAddressCount ||
      probe.ParamTable.at(0, static_cast<int>(address)).Valid == kFalse) {
    error = "no parameter at address '" + args[0] + "'";
    return false;
  }
  if (req.hasSound && (!ParseInt(soundText, sound) || sound < 0 || sound > 1)) {
    error = "--sound-mode must be 0 or 1, not '" + soundText + "'";
    return false;
  }
  req.address = static_cast<int>(address);
  req.sound = static_cast<int>(sound);
  req.band = probe.ParamTable.at(0, req.address).Kind == kEqBand;
  if (req.band) {
    ParamRecord check;
    req.bandFields = args[1];
    return ApplyBandFields(req.bandFields, check, error);
  }
  long value = 0;
  if (!ParseInt(args[1], value)) {
    error = "VALUE must be a whole number for address " + std::to_string(req.address) +
            ", not '" + args[1] + "'";
    return false;
  }
  const ParamRange range = RangeOf(req.address);
  if (!range.Contains(value)) {
    error = "value " + args[1] + " outside the range of address " + std::to_string(req.address) +
            ": " + range.Text();
    return false;
  }
  req.plain = static_cast<int32_t>(value);
  return true;
}

// `done` receives the confirmation, printed only once the change is also kept.
int SetOnDevice(DeviceSession& s, const SetRequest& req, std::string& done) {
  if (!s.Connect()) return kExitFailed;
  Store& store = s.store();
  const int addr = req.address;
  const int kind = addr / 256;
  int mode = 0;
  if (!ReadCurrentMode(s, mode)) return kExitFailed;
  int sound = req.sound;
  // Without --sound-mode the edit goes to the sound mode the amplifier is in.
  if (!req.hasSound && addr < kFirstSlotOnlyAddress) {
    if (!ReadKind(s, 10, mode, 0)) return kExitFailed;
    sound = store.ParamTable.at(0, sysaddr::kSoundMode).Value == 1 ? 1 : 0;
  }
  store.SetCurrentSoundMode(static_cast<uint8_t>(sound));
  const int slot = store.SlotFor(addr);
  if (!ReadKind(s, kind, mode, slot)) return kExitFailed;

  ParamRecord rec = store.ParamTable.at(slot, addr);
  if (req.band) {
    std::string error;
    if (!ApplyBandFields(req.bandFields, rec, error)) {  // checked before: cannot fail here
      s.Fail(error);
      return kExitUsage;
    }
  } else {
    rec.Value = req.plain;
  }
  store.ParamTable.at(slot, addr) = rec;
  if (addr < kFirstSlotOnlyAddress && store.ParamTable.at(0, addr).PerMode == kFalse)
    store.ParamTable.at(1 - slot, addr) = rec;
  if (!s.Request(SetParam, 0, addr, "the parameter change")) return kExitFailed;
  done = "set " + std::to_string(addr) + " in mode " + std::to_string(mode + 1) +
         (addr < kFirstSlotOnlyAddress ? ", sound mode " + std::to_string(slot) : "") + "\n";
  return kExitOk;
}

int Set(Context& ctx, const std::vector<std::string>& argv) {
  SetRequest req;
  std::string error;
  if (!ParseSet(argv, req, error)) {
    ctx.err << "mirelune-cli set: " << error << "\n";
    return kExitUsage;
  }
  std::string done;
  const int status =
      RunOnDevice(ctx, "set", [&](DeviceSession& s) { return SetOnDevice(s, req, done); });
  if (status == kExitOk) ctx.out << done;
  return status;
}

const CommandRegistration kInfo({"info", "show the amplifier's identifier, current mode and mode names",
                                 "usage: mirelune-cli [--device hid|virtual] info\n"
                                 "Brings the link up (at most 3 s), reads the status and the mode names and\n"
                                 "prints the device identifier, the current mode (1-10) and the ten names.\n",
                                 Info});

const CommandRegistration kSet(
    {"set", "change one parameter on the amplifier",
     "usage: mirelune-cli [--device hid|virtual] set ADDRESS VALUE [--sound-mode 0|1]\n"
     "ADDRESS is decimal or 0x-hexadecimal (menu kind * 256 + menu address).\n"
     "VALUE is an integer within the parameter's range (that of the console's control for the\n"
     "address; 0..62499 where there is none); for an EQ band a list of any of\n"
     "  gain=CODE (10..370, 250 = 0 dB), freq=INDEX (0..362), q=INDEX (0..100),\n"
     "  sq=INDEX (0..26), shape=0|1|2 (peak, low shelf, high shelf), off=0|1\n"
     "Fields not given keep the amplifier's values. Without --sound-mode the amplifier's own\n"
     "sound mode is edited. Exit 2 for a bad ADDRESS or VALUE (nothing is sent), 1 when the\n"
     "amplifier does not acknowledge or the change cannot be kept.\n",
     Set});

}  // namespace
}  // namespace mirelune::cli
