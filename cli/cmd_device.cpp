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
#include "cli/device_values.h"
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

int Get(Context& ctx, const Args& args) {
  GetRequest req;
  std::string error;
  if (!ParseGet(args, req, error)) return UsageError(ctx.err, "get", error);
  const std::vector<int>& addresses = req.addresses;
  const bool json = req.json;
  const auto throughOwner = [&](DeviceSession& s) {
    QJsonArray list;
    for (int addr : addresses) list.append(addr);
    QJsonObject request{{"op", "get"}, {"addresses", list}}, reply;
    if (req.hasSound) request["sound_mode"] = req.sound;
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
  };
  return RunOnDevice(ctx, "get", [&](DeviceSession& s) { return GetOnDevice(s, req, ctx.out); }, throughOwner);
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
     Get, GetSyntax()});

}  // namespace
}  // namespace mirelune::cli
