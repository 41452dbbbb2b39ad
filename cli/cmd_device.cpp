// SPDX-License-Identifier: GPL-3.0-or-later
// Device commands: info, set, get.
#include <ostream>
#include <set>
#include <tuple>
#include <sstream>

#include "cli/assignments.h"
#include "model/param_names.h"
#include "cli/command.h"
#include "cli/device_session.h"
#include "cli/through_owner.h"
#include <QJsonArray>
#include "platform/tr.h"
#include "link/group_decode.h"
#include "model/ansi_text.h"
#include "model/band_fields.h"
#include "model/reverb_presets.h"
#include <algorithm>
#include "model/param_ranges.h"
#include "model/scales.h"

namespace mirelune::cli {
namespace {

constexpr int kModeCount = 10;

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
    s.Fail("the amplifier reports mode number " + std::to_string(mode) + ", not 0..9");
    return false;
  }
  s.known.mode = mode;
  return true;
}

// Reads menu kind `kind` of `mode` into ParamTable slot `slot` (slot 0 for kinds 8..10),
// unless the session has read it already and `fresh` is false.
bool ReadKind(DeviceSession& s, int kind, int mode, int slot, bool fresh = false) {
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

// A JSON string; names are UTF-8 and pass through.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// info's lines in the tool's language ("device: ...", "current mode: N", "mode N: name").
void PrintInfo(Context& ctx, const std::string& id, int mode, const std::vector<std::string>& names) {
  ctx.out << TrIn("Cli", "功放标识：").toStdString() << id << "\n";
  ctx.out << TrIn("Cli", "当前模式：").toStdString() << mode << "\n";
  for (size_t n = 0; n < names.size(); ++n)
    ctx.out << TrIn("Cli", "模式 %1：").arg(n + 1).toStdString() << names[n] << "\n";
}

int Info(Context& ctx, const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  const bool json = TakeFlag(args, "--json");
  if (!args.empty()) {
    ctx.err << "mirelune-cli info: usage: info [--json]\n";
    return kExitUsage;
  }
  return RunOnDevice(ctx, "info", [&](DeviceSession& s) {
    if (!s.Connect()) return kExitFailed;
    int mode = 0;
    if (!ReadCurrentMode(s, mode)) return kExitFailed;
    if (!s.Request(ReadModeNames, 0, 0, "the mode-name request")) return kExitFailed;
    const auto& p = s.link().ReplyPayload();
    const std::vector<uint8_t> bytes(p.begin(), p.begin() + kModeNameCount * kModeNameBytes);
    std::vector<std::string> names;
    for (int n = 0; n < kModeCount; ++n)
      names.push_back(BytesToText(bytes, static_cast<size_t>(n) * kModeNameBytes));
    if (json) {
      ctx.out << "{\"device\": " << JsonString(s.link().DeviceIdentifierSeen())
              << ", \"current_mode\": " << mode + 1 << ", \"modes\": [";
      for (int n = 0; n < kModeCount; ++n) ctx.out << (n ? ", " : "") << JsonString(names[n]);
      ctx.out << "]}\n";
      return kExitOk;
    }
    PrintInfo(ctx, s.link().DeviceIdentifierSeen(), mode + 1, names);
    return kExitOk;
  }, [&](DeviceSession& s) {
    QJsonObject hello, namesReply;
    if (!AskOwner(s, {{"op", "hello"}}, hello)) return kExitFailed;
    if (!AskOwner(s, {{"op", "mode-names"}}, namesReply)) return kExitFailed;
    if (hello.value("mode").isNull()) {
      s.Fail(s.Holder().Text() + " has not read the amplifier (it is offline)");
      return kExitFailed;
    }
    const std::string id = hello.value("identifier").toString().toStdString();
    const int mode = hello.value("mode").toInt();
    const QJsonArray names = namesReply.value("names").toArray();
    if (json) {
      ctx.out << "{\"device\": " << JsonString(id) << ", \"current_mode\": " << mode << ", \"modes\": [";
      for (int n = 0; n < names.size(); ++n)
        ctx.out << (n ? ", " : "") << JsonString(names[n].toString().toStdString());
      ctx.out << "]}\n";
      return kExitOk;
    }
    std::vector<std::string> list;
    for (const QJsonValue& n : names) list.push_back(n.toString().toStdString());
    PrintInfo(ctx, id, mode, list);
    return kExitOk;
  });
}

bool NeedsSoundMode(const std::vector<int>& addresses) {
  for (int a : addresses)
    if (a < kFirstSlotOnlyAddress) return true;
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
        s.Fail(std::to_string(acknowledged) + " of " + std::to_string(req.assignments.size()) +
               " changes were acknowledged before");
      return kExitFailed;
    }
    ++acknowledged;
    done += "set " + std::to_string(addr) + " in mode " + std::to_string(mode + 1) +
            (addr < kFirstSlotOnlyAddress ? ", sound mode " + std::to_string(slot) : "") + "\n";
  }
  return kExitOk;
}

// The same change through the program that owns the amplifier: one request, applied there as
// one step (and shown in the console at once).
int SetThroughOwner(DeviceSession& s, const SetRequest& req, std::string& done) {
  QJsonArray changes;
  for (const Assignment& a : req.assignments) {
    QJsonObject c{{"address", a.address}};
    if (!a.band) {
      c["value"] = static_cast<qint64>(a.plain);
    } else {
      size_t start = 0;
      while (start <= a.bandFields.size()) {
        size_t comma = a.bandFields.find(',', start);
        if (comma == std::string::npos) comma = a.bandFields.size();
        const std::string item = a.bandFields.substr(start, comma - start);
        const size_t eq = item.find('=');
        long v = 0;
        if (eq != std::string::npos && ParseInt(item.substr(eq + 1), v))
          c[QString::fromStdString(item.substr(0, eq))] = static_cast<qint64>(v);
        start = comma + 1;
      }
    }
    changes.append(c);
  }
  QJsonObject request{{"op", "set"}, {"changes", changes}};
  if (req.hasSound) request["sound_mode"] = req.sound;
  QJsonObject reply;
  if (!AskOwner(s, request, reply)) {
    // The owner's reply says how many it made before one failed.
    return kExitFailed;
  }
  const int mode = reply.value("mode").toInt();
  const int sound = reply.value("sound_mode").toInt();
  for (const Assignment& a : req.assignments)
    done += "set " + std::to_string(a.address) + " in mode " + std::to_string(mode) +
            (a.address < kFirstSlotOnlyAddress ? ", sound mode " + std::to_string(sound) : "") + "\n";
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
      RunOnDevice(ctx, "set", [&](DeviceSession& s) { return SetOnDevice(s, req, done); },
                  [&](DeviceSession& s) { return SetThroughOwner(s, req, done); });
  if (status == kExitOk) ctx.out << done;
  return status;
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

int Get(Context& ctx, const std::vector<std::string>& argv) {
  static const char kUsage[] = "usage: get PARAM... [--sound-mode 0|1] [--json]";
  std::vector<std::string> args = argv;
  std::string soundText, error;
  const bool json = TakeFlag(args, "--json");
  const bool hasSound = TakeOption(args, "--sound-mode", soundText, error);
  long sound = 0;
  if (!error.empty() || args.empty()) {
    ctx.err << "mirelune-cli get: " << (error.empty() ? kUsage : error) << "\n";
    return kExitUsage;
  }
  if (hasSound && (!ParseInt(soundText, sound) || sound < 0 || sound > 1)) {
    ctx.err << "mirelune-cli get: --sound-mode must be 0 or 1, not '" << soundText << "'\n";
    return kExitUsage;
  }
  std::vector<int> addresses;
  for (const std::string& a : args) {
    int addr = 0;
    if (a.rfind("--", 0) == 0) error = "unknown option '" + a + "'; " + kUsage;
    if (!error.empty() || !ResolveParam(a, addr, error)) {
      ctx.err << "mirelune-cli get: " << error << "\n";
      return kExitUsage;
    }
    addresses.push_back(addr);
  }
  return RunOnDevice(ctx, "get", [&](DeviceSession& s) {
    if (!s.Connect()) return kExitFailed;
    int mode = 0, chosen = 0;
    if (!ReadCurrentMode(s, mode)) return kExitFailed;
    if (!ChooseSoundMode(s, hasSound, static_cast<int>(sound), NeedsSoundMode(addresses), mode,
                         chosen))
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
      ctx.out << "{\"mode\": " << mode + 1 << ", \"sound_mode\": " << chosen << ", \"params\": [";
    for (size_t i = 0; i < addresses.size(); ++i) {
      const int addr = addresses[i];
      PrintParam(ctx.out, addr, s.store().ParamTable.at(s.store().SlotFor(addr), addr), json, i == 0);
    }
    if (json) ctx.out << "]}\n";
    return kExitOk;
  }, [&](DeviceSession& s) {
    QJsonArray list;
    for (int addr : addresses) list.append(addr);
    QJsonObject request{{"op", "get"}, {"addresses", list}}, reply;
    if (hasSound) request["sound_mode"] = static_cast<int>(sound);
    if (!AskOwner(s, request, reply)) return kExitFailed;
    const QJsonArray params = reply.value("params").toArray();
    if (params.size() != static_cast<int>(addresses.size())) {
      s.Fail(s.Holder().Text() + " answered " + std::to_string(params.size()) + " parameters of " +
             std::to_string(addresses.size()));
      return kExitFailed;
    }
    if (json)
      ctx.out << "{\"mode\": " << reply.value("mode").toInt() << ", \"sound_mode\": "
              << reply.value("sound_mode").toInt() << ", \"params\": [";
    for (size_t i = 0; i < addresses.size(); ++i) {
      const QJsonObject p = params[static_cast<int>(i)].toObject();
      ParamRecord r;
      if (p.contains("value")) {
        r.Value = p.value("value").toInt();
      } else {
        r.Kind = kEqBand;
        std::string ignored;
        for (const BandFieldRange& f : BandFieldRanges())
          SetBandField(r, f.name, p.value(f.name).toInt(), ignored);
      }
      PrintParam(ctx.out, addresses[i], r, json, i == 0);
    }
    if (json) ctx.out << "]}\n";
    return kExitOk;
  });
}

const CommandRegistration kInfo({"info", "show the amplifier's identifier, current mode and mode names",
                                 "usage: mirelune-cli [--device DEVICE] info [--json]\n"
                                 "Brings the link up (at most 3 s), reads the status and the mode names and\n"
                                 "prints the device identifier, the current mode (1-10) and the ten names;\n"
                                 "--json prints {\"device\", \"current_mode\", \"modes\"}.\n",
                                 Info});

// The band fields and their ranges, from the one table the checks use.
std::string BandFieldsHelp() {
  std::string s;
  int n = 0;
  for (const BandFieldRange& f : BandFieldRanges()) {
    const std::string name = f.name;
    const std::string range = std::to_string(f.lo) + ".." + std::to_string(f.hi);
    const std::string what = name == "gain"    ? "gain=CODE (" + range + ", 250 = 0 dB)"
                             : name == "shape" ? "shape=" + range + " (peak, low shelf, high shelf)"
                             : name == "off"   ? "off=" + range
                                               : name + "=INDEX (" + range + ")";
    s += (n == 0 ? "  " : n % 3 == 0 ? ",\n  " : ", ") + what;
    ++n;
  }
  return s + "\n";
}

const CommandRegistration kSet(
    {"set", "change parameters on the amplifier",
     "usage: mirelune-cli [--device DEVICE] set PARAM=VALUE... [--sound-mode 0|1]\n"
     "       mirelune-cli [--device DEVICE] set PARAM VALUE [--sound-mode 0|1]\n"
     "PARAM is an address, decimal or 0x-hexadecimal (menu kind * 256 + menu address), or a\n"
     "name of the amplifier's menu: KIND:NAME (4:音乐音量) or NAME when only one item has it.\n"
     "VALUE is an integer within the parameter's range (that of the console's control for the\n"
     "address; 0..62499 where there is none), or a value with its unit as the console shows\n"
     "it (\"80 Hz\", \"-3,5 dB\", \"250 ms\", \"1.2k\", \"OFF\"), taken to the control's nearest step;\n"
     "for an EQ band a list of any of\n" +
         BandFieldsHelp() +
     "written PARAM=FIELDS or PARAM:FIELDS (0:gain=300,q=20). Example:\n"
     "  set 1028=70 1029=70 0:gain=300\n"
     "Fields not given keep the amplifier's values. Without --sound-mode the amplifier's own\n"
     "sound mode is edited. Every assignment is checked before the first frame: exit 2 for a\n"
     "bad PARAM or VALUE (nothing is sent), 1 when the amplifier does not acknowledge a change\n"
     "(those before it were made) or the changes cannot be kept.\n",
     Set});

const CommandRegistration kGet(
    {"get", "read parameters from the amplifier",
     "usage: mirelune-cli [--device DEVICE] get PARAM... [--sound-mode 0|1] [--json]\n"
     "Reads the menu kinds of the parameters from the amplifier's current mode and prints one\n"
     "line per parameter as set takes it: ADDRESS=VALUE, or for an EQ band\n"
     "ADDRESS:gain=..,freq=..,q=..,sq=..,shape=..,off=.. PARAM as for set. Without --sound-mode\n"
     "the amplifier's own sound mode is read. --json prints {\"mode\", \"sound_mode\",\n"
     "\"params\": [{\"address\", \"name\", \"value\" or the band fields}]}.\n",
     Get});

}  // namespace
}  // namespace mirelune::cli
