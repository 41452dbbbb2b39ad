// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/device_values.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "link/group_decode.h"
#include "model/band_fields.h"
#include "model/json_text.h"
#include "model/param_names.h"
#include "model/param_ranges.h"
#include "model/reverb_presets.h"
#include "model/scales.h"
#include "platform/text.h"

namespace mirelune::cli {
namespace {

constexpr int kModeCount = 10;


// The sound mode edits and reads go to: --sound-mode, else the amplifier's own (read from the
// system kind only when an address of the sound modes needs it).
bool ChooseSoundMode(DeviceSession& s, bool given, int asked, bool needed, int mode, int& sound) {
  sound = asked;
  if (!given && needed) {
    if (!ReadKind(s, 10, mode, 0)) return false;
    sound = s.store().ParamTable.at(0, sysaddr::kSoundMode).Value == 1 ? 1 : 0;
  }
  s.store().SetCurrentSoundMode(static_cast<uint8_t>(sound));
  return true;
}

bool NeedsSoundMode(const std::vector<int>& addresses) {
  for (int a : addresses)
    if (a < kFirstSlotOnlyAddress) return true;
  return false;
}

}  // namespace

bool ReadKind(DeviceSession& s, int kind, int mode, int slot, bool fresh) {
  const auto key = std::make_tuple(kind, slot, mode);
  if (!fresh && s.known.kinds.count(key)) return true;
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
  if (r.status == GroupDecodeResult::kOk) {
    s.known.kinds.insert(key);
    return true;
  }
  s.Fail("the amplifier's reply to " + what + " carries " + std::to_string(r.payloadBytes) +
         " bytes, expected " + std::to_string(r.decodedBytes));
  return false;
}

// `done` receives the confirmations, printed only once the changes are also kept.
int SetOnDevice(DeviceSession& s, const SetRequest& req, std::string& done) {
  if (!s.Connect()) return kExitFailed;
  Store& store = s.store();
  int mode = 0;
  if (!ReadCurrentMode(s, mode)) return kExitFailed;
  std::vector<int> addresses;
  for (const Assignment& a : req.assignments) addresses.push_back(a.address);
  int sound = 0;
  if (!ChooseSoundMode(s, req.hasSound, req.sound, NeedsSoundMode(addresses), mode, sound))
    return kExitFailed;
  // Band fields not given keep the device's values: every kind touched is read first.
  for (int addr : addresses)
    if (!ReadKind(s, addr / 256, mode, store.SlotFor(addr))) return kExitFailed;
  // A master volume stops at its upper limit: the one the same batch sets, else the device's
  // (read above with the volume's kind). Refused whole, before the first change.
  std::vector<std::pair<int, long long>> values;
  for (const Assignment& a : req.assignments)
    if (!a.band) values.emplace_back(a.address, a.plain);
  MasterLimits limits{};
  for (size_t i = 0; i < limits.size(); ++i)
    limits[i] = store.ParamTable.at(0, kMasterVolumeLimitFirst + static_cast<int>(i)).Value;
  std::string limitError;
  if (!CheckMasterLimits(values, limits, limitError)) {
    s.Fail(limitError);
    return kExitUsage;
  }

  size_t acknowledged = 0;
  std::vector<Assignment> ordered = req.assignments;
  std::stable_sort(ordered.begin(), ordered.end(), [](const Assignment& x, const Assignment& y) {
    return ApplyRank(x.address) < ApplyRank(y.address);
  });
  for (const Assignment& a : ordered) {
    const int addr = a.address;
    const int slot = store.SlotFor(addr);
    ParamRecord rec = store.ParamTable.at(slot, addr);
    if (a.band) {
      std::string error;
      if (!ApplyBandFields(a.bandFields, rec, error)) {  // checked before: cannot fail here
        s.Fail(error);
        return kExitUsage;
      }
    } else {
      rec.Value = a.plain;
    }
    store.ParamTable.at(slot, addr) = rec;
    if (addr < kFirstSlotOnlyAddress && store.ParamTable.at(0, addr).PerMode == kFalse)
      store.ParamTable.at(1 - slot, addr) = rec;
    if (!s.Request(SetParam, 0, addr, "the change of " + std::to_string(addr))) {
      // The store now holds a value the amplifier may not have: forget what was read.
      s.known = {};
      if (acknowledged > 0)
        s.Fail(Text(InContext("Cli", "在此之前 %2 项修改中已确认 %1 项"),
                    {std::to_string(acknowledged), std::to_string(req.assignments.size())}));
      return kExitFailed;
    }
    ++acknowledged;
    done += "set " + std::to_string(addr) + " in mode " + std::to_string(mode + 1) +
            (addr < kFirstSlotOnlyAddress ? ", sound mode " + std::to_string(slot) : "") + "\n";
  }
  return kExitOk;
}

// ReadStatus: payload byte 1 is the current mode number 0..9. Within a script the number read
// first is kept: only the script's own commands change the amplifier meanwhile.
bool ReadCurrentMode(DeviceSession& s, int& mode) {
  if (s.known.mode >= 0) {
    mode = s.known.mode;
    return true;
  }
  if (!s.Request(ReadStatus, 0, 0, "the status request")) return false;
  mode = s.link().ReplyPayload()[1];
  if (mode >= kModeCount) {
    s.Fail(Text(InContext("Cli", "功放报告的模式号是 %1，不在 0..9 之内"), {std::to_string(mode)}));
    return false;
  }
  s.known.mode = mode;
  return true;
}

// One parameter as `get` prints it: PARAM=VALUE as `set` takes it back.
void PrintParam(std::ostream& out, int addr, const ParamRecord& r, bool json, bool first) {
  const bool band = r.Kind == kEqBand;
  if (!json) {
    out << addr << (band ? ":" : "=");
    if (band)
      out << "gain=" << r.Gain << ",freq=" << r.Freq << ",q=" << r.Q << ",sq=" << r.SQ
          << ",shape=" << int{r.QType} << ",off=" << (r.EQDisabled == kTrue ? 1 : 0);
    else
      out << r.Value;
    out << "\n";
    return;
  }
  // One name and one unit per parameter, the console's: the naming table's.
  const std::string name = ParamName(addr);
  const NamedParam* named = NameOf(addr);
  out << (first ? "" : ", ") << "{\"address\": " << addr
      << ", \"name\": " << (name.empty() ? "null" : JsonString(name))
      << ", \"name_en\": " << (named ? JsonString(named->en) : "null")
      << ", \"unit\": " << JsonString(UnitOf(addr));
  if (band)
    out << ", \"gain\": " << r.Gain << ", \"freq\": " << r.Freq << ", \"q\": " << r.Q
        << ", \"sq\": " << r.SQ << ", \"shape\": " << int{r.QType}
        << ", \"off\": " << (r.EQDisabled == kTrue ? 1 : 0)
        << ", \"text\": " << JsonString(BandText(r.Gain, r.Freq, r.Q));
  else
    out << ", \"value\": " << r.Value << ", \"text\": " << JsonString(ParamValueText(addr, r.Value));
  out << "}";
}

const Syntax& GetSyntax() {
  static const Syntax syntax =
      Syntax()
          .WithOptions({Flag("--json"), Opt("--sound-mode", "0|1", OneOf({"0", "1"}))})
          .WithOperands({Many("PARAM", Value::Of(Value::Param), 1)});
  return syntax;
}

bool ParseGet(const Args& args, GetRequest& req, std::string& error) {
  req.json = args.Has("--json");
  req.hasSound = args.Has("--sound-mode");
  req.sound = static_cast<int>(args.Number("--sound-mode", 0));
  return ResolveParams(args.operands, req.addresses, error);
}

int GetOnDevice(DeviceSession& s, const GetRequest& req, std::ostream& out) {
  const std::vector<int>& addresses = req.addresses;
  const bool json = req.json;
  if (!s.Connect()) return kExitFailed;
  int mode = 0, chosen = 0;
  if (!ReadCurrentMode(s, mode)) return kExitFailed;
  if (!ChooseSoundMode(s, req.hasSound, req.sound, NeedsSoundMode(addresses), mode, chosen))
    return kExitFailed;
  // The amplifier's values, not what an earlier command of a script read: each kind asked
  // for is read once, now.
  std::set<std::tuple<int, int>> read;
  for (int addr : addresses) {
    const auto key = std::make_tuple(addr / 256, s.store().SlotFor(addr));
    if (read.count(key)) continue;
    if (!ReadKind(s, addr / 256, mode, s.store().SlotFor(addr), true)) return kExitFailed;
    read.insert(key);
  }
  if (json)
    out << "{\"mode\": " << mode + 1 << ", \"sound_mode\": " << chosen << ", \"params\": [";
  for (size_t i = 0; i < addresses.size(); ++i) {
    const int addr = addresses[i];
    PrintParam(out, addr, s.store().ParamTable.at(s.store().SlotFor(addr), addr), json, i == 0);
  }
  if (json) out << "]}\n";
  return kExitOk;
}

}  // namespace mirelune::cli
