// SPDX-License-Identifier: GPL-3.0-or-later
// Device commands: info, set, get.
#include <ostream>
#include <set>
#include <tuple>
#include <sstream>

#include "cli/assignments.h"
#include "model/json_text.h"
#include "model/param_names.h"
#include "cli/command.h"
#include "cli/device_session.h"
#include "cli/help.h"
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
    s.Fail(TrIn("Cli", "功放报告的模式号是 %1，不在 0..9 之内").arg(mode).toStdString());
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

// info's lines in the tool's language ("device: ...", "current mode: N", "mode N: name").
void PrintInfo(Context& ctx, const std::string& id, int mode, const std::vector<std::string>& names) {
  ctx.out << TrIn("Cli", "功放标识：").toStdString() << id << "\n";
  ctx.out << TrIn("Cli", "当前模式：").toStdString() << mode << "\n";
  for (size_t n = 0; n < names.size(); ++n)
    ctx.out << TrIn("Cli", "模式 %1：").arg(n + 1).toStdString() << names[n] << "\n";
}

int Info(Context& ctx, const Args& args) {
  const bool json = args.Has("--json");
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
      s.Fail(TrIn("Cli", "%1 尚未读取功放（它处于脱机状态）").arg(QString::fromStdString(s.Holder().Text())).toStdString());
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
        s.Fail(TrIn("Cli", "在此之前 %2 项修改中已确认 %1 项")
                   .arg(acknowledged)
                   .arg(req.assignments.size())
                   .toStdString());
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
  bool refused = false;
  if (!AskOwner(s, request, reply, &refused)) {
    // A value the owner refuses (a master volume above its limit) changed nothing, as a value
    // refused here would; otherwise the owner's reply says how many it made before one failed.
    return refused ? kExitUsage : kExitFailed;
  }
  const int mode = reply.value("mode").toInt();
  const int sound = reply.value("sound_mode").toInt();
  for (const Assignment& a : req.assignments)
    done += "set " + std::to_string(a.address) + " in mode " + std::to_string(mode) +
            (a.address < kFirstSlotOnlyAddress ? ", sound mode " + std::to_string(sound) : "") + "\n";
  return kExitOk;
}

int Set(Context& ctx, const Args& args) {
  SetRequest req;
  std::string error;
  if (!ParseSet(args, req, error)) return UsageError(ctx.err, "set", error);
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

int Get(Context& ctx, const Args& args) {
  const bool json = args.Has("--json");
  const bool hasSound = args.Has("--sound-mode");
  const long sound = args.Number("--sound-mode", 0);
  std::vector<int> addresses;
  std::string error;
  if (!ResolveParams(args.operands, addresses, error)) return UsageError(ctx.err, "get", error);
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

const CommandRegistration kInfo({"info", "显示功放的标识、当前模式和模式名称",
                                 "用法: mirelune-cli [--device DEVICE] info [--json]\n"
                                 "建立连接（最多 3 秒），读取状态和模式名称，输出设备标识、当前模式（1-10）和十个模式\n"
                                 "名称；--json 输出 {\"device\", \"current_mode\", \"modes\"}。\n",
                                 Info,
                                 Syntax().WithOptions({Flag("--json")})});

// The band fields and their ranges, from the one table the checks use.
std::string BandFieldsHelp() {
  std::string s;
  int n = 0;
  for (const BandFieldRange& f : BandFieldRanges()) {
    const std::string name = f.name;
    const std::string range = std::to_string(f.lo) + ".." + std::to_string(f.hi);
    const std::string what = name == "gain"    ? "gain=CODE (" + range + ", 250 = 0 dB)"
                             : name == "shape" ? "shape=" + range + Translated(" (峰值、低架、高架)")
                             : name == "off"   ? "off=" + range
                                               : name + "=INDEX (" + range + ")";
    s += (n == 0 ? "  " : n % 3 == 0 ? ",\n  " : ", ") + what;
    ++n;
  }
  return s + "\n";
}

const CommandRegistration kSet(
    {"set", "修改功放上的参数",
     "用法: mirelune-cli [--device DEVICE] set PARAM=VALUE... [--sound-mode 0|1]\n"
     "      mirelune-cli [--device DEVICE] set PARAM VALUE [--sound-mode 0|1]\n"
     "PARAM 是地址，十进制或 0x 十六进制（菜单种类 * 256 + 菜单地址），或功放菜单中的名称：\n"
     "KIND:NAME（4:音乐音量），只有一个项目使用该名称时也可只写 NAME；中文或英文均可（英文名称\n"
     "可以不加引号：Music master volume=25）。\n"
     "VALUE 是参数范围内的整数（即控制台中该地址控件的范围；没有控件时为 0..62499），或像\n"
     "控制台显示的那样带单位的值（\"80 Hz\"、\"-3,5 dB\"、\"250 ms\"、\"1.2k\"、\"OFF\"），取控件\n"
     "最接近的一档；均衡频段为以下字段的任意组合\n"
     "%1"
     "写成 PARAM=FIELDS 或 PARAM:FIELDS（0:gain=300,q=20）。例如：\n"
     "  set 1028=70 1029=70 0:gain=300\n"
     "未给出的字段保持功放的值。不带 --sound-mode 时修改功放自身的声音模式。发送第一帧之前\n"
     "检查每一个赋值：PARAM 或 VALUE 有误时退出 2（什么也不发送）；功放未确认某项修改（之前的\n"
     "修改已生效）或修改无法保存时退出 1。\n",
     Set, SetSyntax(), BandFieldsHelp});

const CommandRegistration kGet(
    {"get", "从功放读取参数",
     "用法: mirelune-cli [--device DEVICE] get PARAM... [--sound-mode 0|1] [--json]\n"
     "从功放的当前模式读取参数所在的菜单种类，每个参数输出一行，格式与 set 接受的相同：\n"
     "ADDRESS=VALUE，均衡频段为 ADDRESS:gain=..,freq=..,q=..,sq=..,shape=..,off=..。PARAM 与\n"
     "set 相同。不带 --sound-mode 时读取功放自身的声音模式。--json 输出 {\"mode\", \"sound_mode\",\n"
     "\"params\": [{\"address\", \"name\", \"value\" 或频段字段}]}。\n",
     Get,
     Syntax()
         .WithOptions({Flag("--json"), Opt("--sound-mode", "0|1", OneOf({"0", "1"}))})
         .WithOperands({Many("PARAM", Value::Of(Value::Param), 1)})});

}  // namespace
}  // namespace mirelune::cli
