// SPDX-License-Identifier: GPL-3.0-or-later
// devices: every amplifier this computer can reach, as --device names them.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <ostream>
#include <sstream>

#include "cli/command.h"
#include "cli/device_session.h"
#include "cli/through_owner.h"
#include "link/frame_codec.h"
#include "link/usb_comm.h"
#include "owner/device_address.h"
#include "owner/device_lock.h"
#include "platform/hid_discovery.h"
#include "platform/tr.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {
namespace {

struct Row {
  int index = -1;  // hid rows: N of hid:N
  DeviceTarget target;
  std::string name;    // the identifier it answered with
  int mode = -1;       // 0..9
  std::string owner;   // who holds it, when someone does
  std::string problem; // why name and mode are missing
};

// Opens the amplifier briefly (or asks its owner) for its name and current mode.
void Probe(Context& ctx, Row& row, int limitMs) {
  LockHolder holder;
  if (FindHolder(row.target.LockKey(), holder)) {
    row.owner = holder.Text();
    if (holder.socket.empty()) {
      row.problem = "in use";
      return;
    }
  }
  std::ostringstream quiet;
  Options options = ctx.options;
  options.device = row.target.Label();
  options.trace = false;
  Context probe{options, quiet, quiet};
  DeviceSession s(probe, "devices");
  if (s.ThroughOwner()) {
    QJsonObject hello;
    if (!AskOwner(s, {{"op", "hello"}}, hello)) {
      row.problem = "its owner did not answer";
      return;
    }
    row.name = hello.value("identifier").toString().toStdString();
    row.mode = hello.value("mode").isNull() ? -1 : hello.value("mode").toInt() - 1;
    if (!hello.value("online").toBool()) row.problem = "its owner is offline";
    return;
  }
  if (!s.Ok()) {
    // Its memory locked by another program, its state damaged: said in the row.
    row.problem = s.LastError().empty() ? "cannot be opened" : s.LastError();
    s.Finish(kExitFailed);
    return;
  }
  if (!s.Connect(limitMs)) {
    row.problem = "no answer";
    s.Finish(kExitFailed);
    return;
  }
  row.name = s.link().DeviceIdentifierSeen();
  if (s.link().SendCommand(ReadStatus, 0, 0) && s.link().ReplyPayload()[1] < 10)
    row.mode = s.link().ReplyPayload()[1];
  s.Finish(kExitOk);
}

std::string Or(const std::string& s) { return s.empty() ? "-" : s; }

int Devices(Context& ctx, const Args& args) {
  const bool json = args.Has("--json");
  const bool quick = args.Has("--quick");
  std::vector<Row> rows;
  const std::vector<HidDeviceInfo> hid = EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  for (size_t i = 0; i < hid.size(); ++i) {
    Row r;
    r.index = static_cast<int>(i);
    r.target.hid = hid[i];
    r.target.identity = IdentityOf(hid, i);
    rows.push_back(r);
  }
  std::vector<std::string> names = {""};
  for (const std::string& n : NamedVirtualAmplifiers()) names.push_back(n);
  for (const std::string& n : names) {
    Row r;
    r.target.isVirtual = true;
    r.target.virtualName = n;
    rows.push_back(r);
  }
  if (!quick) {
    // A list is no place to wait: a memory another program holds locked is named in its row
    // after a second.
    SetStateLockWait({std::min(ctx.options.waitMs, 1000), nullptr});
    for (Row& r : rows) Probe(ctx, r, DeviceSession::kConnectLimitMs);
  }

  if (json) {
    QJsonArray list;
    for (const Row& r : rows) {
      QJsonObject o;
      o["device"] = QString::fromStdString(r.target.Label());
      o["kind"] = r.target.isVirtual ? "virtual" : "hid";
      o["index"] = r.index >= 0 ? QJsonValue(r.index) : QJsonValue();
      auto text = [](const std::string& s) { return s.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(s)); };
      o["serial"] = text(r.target.hid.serial);
      o["location"] = text(r.target.hid.location);
      o["path"] = text(r.target.hid.path);
      o["name"] = text(r.name);
      o["mode"] = r.mode >= 0 ? QJsonValue(r.mode + 1) : QJsonValue();
      o["owner"] = text(r.owner);
      o["problem"] = text(r.problem);
      list.append(o);
    }
    ctx.out << QJsonDocument(QJsonObject{{"devices", list}}).toJson(QJsonDocument::Compact).toStdString()
            << "\n";
    return kExitOk;
  }
  ctx.out << "N\tDEVICE\tSERIAL\tUSB\tPATH\tNAME\tMODE\tOWNER\n";
  for (const Row& r : rows) {
    ctx.out << (r.index >= 0 ? std::to_string(r.index) : "-") << "\t" << r.target.Label() << "\t"
            << Or(r.target.hid.serial) << "\t" << Or(r.target.hid.location) << "\t"
            << Or(r.target.hid.path) << "\t" << Or(r.name) << "\t"
            << (r.mode >= 0 ? std::to_string(r.mode + 1) : "-") << "\t" << Or(r.owner)
            << (r.problem.empty() ? "" : "\t(" + r.problem + ")") << "\n";
  }
  if (hid.empty())
    ctx.err << "mirelune-cli devices: " << TrIn("Cli", "没有连接 USB 功放（%1）").arg("2E3C:0D07").toStdString() << "\n";
  return kExitOk;
}

const CommandRegistration kDevices(
    {"devices", "列出功放：已连接的 USB 功放和虚拟功放",
     "用法: mirelune-cli devices [--json] [--quick]\n"
     "每台功放一行：N（用于 --device hid:N）、--device 接受的名称（hid:SERIAL；序列号缺失或\n"
     "重复时为 hid:USB 位置；virtual、virtual:NAME）、序列号、USB 位置、设备路径，以及短暂\n"
     "打开它（或询问占用它的程序）后得到的应答名称、当前模式（1-10）和占用者。--quick 不打开\n"
     "功放。命名的虚拟功放从第一次使用（--device virtual:NAME）起列出。--json 以相同字段输出\n"
     "{\"devices\": [...]}。\n",
     Devices,
     Syntax().WithOptions({Flag("--json"), Flag("--quick")})});

}  // namespace
}  // namespace mirelune::cli
