// SPDX-License-Identifier: GPL-3.0-or-later
// fleet's code (its row and usage: cli/cmd_fleet.cpp): a venue's rooms from one place, through the venue's MQTT broker only (each room's box
// runs `serve --mqtt`). One line per room with its result; exit 1 when any room failed, was
// offline or did not answer.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <ostream>
#include <sstream>

#include "cli/assignments.h"
#include "cli/serve/broker_options.h"
#include "cli/command.h"
#include "cli/helper_program.h"
#include "model/param_names.h"
#include "model/sp_file.h"
#include "mqtt/fleet_client.h"
#include "mqtt/mode_diff.h"
#include "mqtt/room_messages.h"

namespace mirelune::cli {
namespace {

int g_argc = 1;
char g_name[] = "mirelune-cli";
char* g_argv[] = {g_name, nullptr};

constexpr int kListSeconds = 5;
constexpr int kSetSeconds = 10;
constexpr int kTransferSeconds = 60;
constexpr size_t kDifferencesShown = 20;


struct Fleet {
  Context& ctx;
  std::string sub;
  int timeoutS = 0;
  MqttOptions mqtt;
  std::unique_ptr<FleetClient> client;

  std::ostream& Err() { return ctx.err << "mirelune-cli fleet " << sub << ": "; }

  bool Rooms(const RoomPattern& pattern, std::vector<FleetRoom>& rooms) {
    client = std::make_unique<FleetClient>(mqtt);
    std::string error;
    const int ms = (timeoutS ? timeoutS : kListSeconds) * 1000;
    if (!client->Connect(ms, error) || !client->Rooms(pattern, ms, rooms, error)) {
      Err() << error << "\n";
      return false;
    }
    return true;
  }
};

std::string LastSeen(const FleetRoom& r) { return r.state.value("seen").toString("-").toStdString(); }

std::string Masters(const FleetRoom& r) {
  const QJsonObject params = r.state.value("params").toObject();
  std::string out;
  for (const char* a : {"2560", "2561", "2562"}) {
    const QJsonObject p = params.value(a).toObject();
    out += (out.empty() ? "" : "/") + (p.isEmpty() ? std::string("-") : std::to_string(p.value("level").toInteger()));
  }
  return out;
}

std::string ModeText(const FleetRoom& r) {
  if (!r.state.value("mode").isDouble()) return "-";
  const std::string name = r.state.value("mode_name").toString().toStdString();
  return std::to_string(r.state.value("mode").toInt()) + (name.empty() ? "" : " " + name);
}

int List(Fleet& f, const Args& args) {
  const std::string pattern = args.Value("--rooms", "*/*");
  const bool json = args.Has("--json");
  std::vector<FleetRoom> rooms;
  if (!f.Rooms(RoomPattern(pattern), rooms)) return kExitFailed;
  if (json) {
    QJsonArray a;
    for (const FleetRoom& r : rooms) {
      QJsonObject o;
      o["name"] = QString::fromStdString(r.Label());
      o["site"] = QString::fromStdString(r.site);
      o["room"] = QString::fromStdString(r.room);
      o["online"] = r.online;
      o["link"] = r.online && r.state.value("link").toBool();
      o["mode"] = r.state.value("mode");
      o["mode_name"] = r.state.value("mode_name");
      o["identifier"] = r.state.value("identifier");
      o["device"] = r.state.value("device");
      o["last_seen"] = r.state.value("seen");
      QJsonObject masters;
      const QJsonObject params = r.state.value("params").toObject();
      for (const char* m : {"2560", "2561", "2562"})
        if (params.contains(m)) masters[m] = params.value(m).toObject().value("level");
      o["master_volumes"] = masters;
      a.append(o);
    }
    f.ctx.out << QJsonDocument(QJsonObject{{"rooms", a}}).toJson(QJsonDocument::Indented).toStdString();
    return kExitOk;
  }
  f.ctx.out << "ROOM\tONLINE\tLINK\tMODE\tMASTER\tAMPLIFIER\tLAST SEEN\n";
  for (const FleetRoom& r : rooms)
    f.ctx.out << r.Label() << "\t" << (r.online ? "online" : "OFFLINE") << "\t"
              << (!r.online ? "-" : r.state.value("link").toBool() ? "yes" : "NO") << "\t" << ModeText(r) << "\t"
              << Masters(r) << "\t" << r.state.value("identifier").toString("-").toStdString() << "\t" << LastSeen(r)
              << "\n";
  return kExitOk;
}

// Sends one command to the matching rooms and prints a line per room; `line` may add to a
// room's ok line (and turn it into a failure) from the room's reply.
int Command(Fleet& f, const std::string& pattern, RemoteRole role, RoomCommand command, const QJsonObject& body,
            int defaultSeconds,
            const std::function<bool(const FleetRoom&, const QJsonObject& reply, std::string& text)>& line = nullptr) {
  std::vector<FleetRoom> all;
  if (!f.Rooms(RoomPattern(pattern), all)) return kExitFailed;
  if (all.empty()) {
    f.Err() << "no room matches '" << pattern << "' on " << f.mqtt.broker.Url() << "\n";
    return kExitFailed;
  }
  std::vector<FleetRoom> online;
  for (const FleetRoom& r : all)
    if (r.online) online.push_back(r);
  std::vector<FleetClient::Answer> answers;
  std::string error;
  const bool sent = online.empty() ||
                    f.client->Send(online, role, command, body, (f.timeoutS ? f.timeoutS : defaultSeconds) * 1000, answers, error);
  if (!sent) f.Err() << error << "\n";
  std::map<std::string, const FleetClient::Answer*> byRoom;
  for (size_t i = 0; i < online.size() && i < answers.size(); ++i) byRoom[online[i].Label()] = &answers[i];
  int ok = 0, failed = 0, offline = 0;
  for (const FleetRoom& r : all) {
    std::string text;
    bool good = false;
    if (!r.online) {
      ++offline;
      text = "FAILED\toffline (last seen " + LastSeen(r) + ")";
    } else if (const auto a = byRoom.find(r.Label()); a == byRoom.end() || !a->second->answered) {
      text = "FAILED\tno answer within " + std::to_string(f.timeoutS ? f.timeoutS : defaultSeconds) + " s";
    } else if (!a->second->reply.value("ok").toBool()) {
      text = "FAILED\t" + a->second->reply.value("error").toString("the room refused").toStdString();
      if (a->second->reply.contains("acknowledged"))
        text += " (" + std::to_string(a->second->reply.value("acknowledged").toInt()) + " of " +
                std::to_string(a->second->reply.value(a->second->reply.contains("groups") ? "groups" : "of").toInt()) +
                " acknowledged)";
    } else {
      good = true;
      text = "ok";
      if (line) good = line(r, a->second->reply, text);
    }
    (good ? ok : failed) += 1;
    f.ctx.out << r.Label() << "\t" << text << "\n";
  }
  f.ctx.out << ok << " of " << all.size() << " rooms ok" << (offline ? ", " + std::to_string(offline) + " offline" : "")
            << "\n";
  return failed == 0 && sent ? kExitOk : kExitFailed;
}

// PARAM=VALUE... as the body of PUT /api/v1/params: addresses as keys, device values, band
// fields as objects.
bool SetBody(const std::vector<std::string>& words, QJsonObject& params, std::string& error) {
  SetRequest req;
  if (!ParseSet(words, req, error)) return false;
  if (req.hasSound) {
    error = "--sound-mode is not for fleet set: each room changes the sound mode it is in";
    return false;
  }
  for (const Assignment& a : req.assignments) {
    const QString key = QString::number(a.address);
    if (params.contains(key)) {
      error = "address " + key.toStdString() + " is given twice";
      return false;
    }
    if (!a.band) {
      params[key] = static_cast<qint64>(a.plain);
      continue;
    }
    QJsonObject fields;
    std::stringstream in(a.bandFields);
    std::string item;
    while (std::getline(in, item, ',')) {
      const size_t eq = item.find('=');
      long v = 0;
      if (eq != std::string::npos && ParseInt(item.substr(eq + 1), v)) fields[QString::fromStdString(item.substr(0, eq))] = static_cast<qint64>(v);
    }
    params[key] = fields;
  }
  return true;
}

bool ModeNumber(const std::string& text, int& mode) {
  long n = 0;
  if (!ParseInt(text, n) || n < 1 || n > 10) return false;
  mode = static_cast<int>(n);
  return true;
}

int Set(Fleet& f, const Args& command) {
  const std::vector<std::string>& args = command.operands;
  const bool installer = command.Has("--installer");
  const std::string pattern = args[0];
  QJsonObject params;
  std::string error;
  if (!SetBody(std::vector<std::string>(args.begin() + 1, args.end()), params, error))
    return UsageError(f.ctx.err, "fleet set", error);
  QJsonObject body{{"params", params}, {"from", "fleet"}};
  return Command(f, pattern, installer ? RemoteRole::Installer : RemoteRole::Staff, RoomCommand::Set, body, kSetSeconds,
                 [](const FleetRoom&, const QJsonObject& reply, std::string& text) {
                   for (const QJsonValue& p : reply.value("params").toArray()) {
                     const QJsonObject o = p.toObject();
                     text += "\t" + std::to_string(o.value("address").toInt()) + "=" + o.value("text").toString().toStdString();
                   }
                   return true;
                 });
}

int Mode(Fleet& f, const Args& command) {
  const std::vector<std::string>& args = command.operands;
  const bool installer = command.Has("--installer");
  int mode = 0;
  if (!ModeNumber(args[1], mode))
    return UsageError(f.ctx.err, "fleet mode", "mode must be 1..10, not '" + args[1] + "'");
  return Command(f, args[0], installer ? RemoteRole::Installer : RemoteRole::Staff, RoomCommand::Mode,
                 QJsonObject{{"mode", mode}, {"from", "fleet"}}, kSetSeconds);
}

// FILE.sp --mode N [--rooms PATTERN] of push and diff; false after a message (its status in
// `status`).
bool TransferArgs(Fleet& f, const Args& args, RecordTable& table, int& mode, std::string& pattern,
                  int& status) {
  pattern = args.Value("--rooms", "*/*");
  mode = static_cast<int>(args.Number("--mode", 1));  // required, 1..10 (the syntax checked it)
  const FileResult r = LoadTableFromFile(args.operands[0], table);
  if (!r) {
    f.Err() << r.error << "\n";
    status = kExitFailed;
    return false;
  }
  return true;
}

int Push(Fleet& f, const Args& args) {
  RecordTable table;
  int mode = 0, status = 0;
  std::string pattern;
  if (!TransferArgs(f, args, table, mode, pattern, status)) return status;
  const QJsonObject body{{"mode", mode}, {"sp_zlib", QString::fromStdString(PackTable(table))}, {"from", "fleet"}};
  return Command(f, pattern, RemoteRole::Installer, RoomCommand::WriteMode, body, kTransferSeconds);
}

int Diff(Fleet& f, const Args& args) {
  RecordTable file;
  int mode = 0, status = 0;
  std::string pattern;
  if (!TransferArgs(f, args, file, mode, pattern, status)) return status;
  return Command(
      f, pattern, RemoteRole::Installer, RoomCommand::ReadMode, QJsonObject{{"mode", mode}, {"from", "fleet"}},
      kTransferSeconds, [&](const FleetRoom&, const QJsonObject& reply, std::string& text) {
        RecordTable room;
        std::string error;
        if (!UnpackTable(reply.value("sp_zlib").toString().toStdString(), true, room, error)) {
          text = "FAILED\tthe room's answer is damaged: " + error;
          return false;
        }
        const std::vector<ModeDifference> diffs = ModeDifferences(file, room);
        if (diffs.empty()) {
          text = "same";
          return true;
        }
        text = "DIFFERENT\t" + std::to_string(diffs.size()) + (diffs.size() == 1 ? " parameter" : " parameters");
        for (size_t i = 0; i < diffs.size() && i < kDifferencesShown; ++i) {
          const ModeDifference& d = diffs[i];
          text += "\n  " + std::to_string(d.address) + " " + QualifiedName(d.address) + (d.slot == 1 ? " (dance)" : "") +
                  ": file " + d.file + ", room " + d.room;
        }
        if (diffs.size() > kDifferencesShown)
          text += "\n  ... and " + std::to_string(diffs.size() - kDifferencesShown) + " more";
        return false;
      });
}

int FleetCommand(Context& ctx, const Args& args) {
  Fleet f{ctx, args.sub, 0, {}, nullptr};
  std::string passwordFile, error;
  if (!ReadBrokerOptions(args, f.mqtt, passwordFile, error) ||
      !ParseBrokerUrl(args.Value("--broker"), f.mqtt.broker, error))
    return UsageError(ctx.err, "fleet", error);
  f.timeoutS = static_cast<int>(args.Number("--timeout", 0));
  QCoreApplication app(g_argc, g_argv);
  int status = kExitUsage;
  if (f.sub == "list")
    status = List(f, args);
  else if (f.sub == "set")
    status = Set(f, args);
  else if (f.sub == "mode")
    status = Mode(f, args);
  else if (f.sub == "push")
    status = Push(f, args);
  else
    status = Diff(f, args);
  // The connection says goodbye while the event loop's application still exists.
  f.client.reset();
  return status;
}

const ImplementationRegistration kFleetCode("fleet", FleetCommand);

}  // namespace
}  // namespace mirelune::cli
