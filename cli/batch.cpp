// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <ostream>

#include "link/usb_comm.h"
#include "owner/device_address.h"
#include "platform/hid_discovery.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {

namespace {

// At most this many amplifiers are worked on at once (a hub of eight rooms at a time).
constexpr int kParallel = 8;

// The output file of one amplifier when several write one each: "m7.sp" -> "m7-virtual_a.sp".
std::string PerDevicePath(const std::string& path, const std::string& label) {
  std::string safe;
  for (char c : label) safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') ? c : '_';
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return path + "-" + safe;
  return path.substr(0, dot) + "-" + safe + path.substr(dot);
}

std::string LastLine(const QByteArray& text) {
  const QList<QByteArray> lines = text.trimmed().split('\n');
  return lines.isEmpty() ? std::string() : lines.last().trimmed().toStdString();
}

struct Job {
  DeviceTarget target;
  QStringList arguments;
  std::string output;  // the file this amplifier's result went to, if any
  std::unique_ptr<QProcess> process;
  QElapsedTimer clock;
  double seconds = 0;
  int exit = -1;
  std::string message;
  bool done = false;
};

}  // namespace

bool WantsSeveralDevices(const Options& options) {
  return options.device == "all" || options.device.find(',') != std::string::npos;
}

bool BatchCommand(const std::string& command, const std::vector<std::string>& args) {
  if (command == "write-mode" || command == "read-mode" || command == "sync") return true;
  return command == "modes" && !args.empty() && args[0] == "push";
}

int RunBatch(Context& ctx, const std::string& self, const std::string& command,
             std::vector<std::string> args) {
  static int argc = 1;
  static char name[] = "mirelune-cli";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
  std::vector<std::string> rest = args;
  const bool json = TakeFlag(rest, "--json");
  std::vector<DeviceAddress> addresses;
  std::string error;
  if (!ParseDeviceList(ctx.options.device, addresses, error)) {
    ctx.err << "mirelune-cli " << command << ": --device: " << error << "\n";
    return kExitUsage;
  }
  DeviceCandidates candidates;
  candidates.hid = EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  candidates.virtualNames = NamedVirtualAmplifiers();
  std::vector<DeviceTarget> targets;
  if (!ResolveDevices(addresses, candidates, true, targets, error)) {
    ctx.err << "mirelune-cli " << command << ": " << error << "\n";
    return kExitFailed;
  }
  // Files one amplifier reads into get a name of their own each.
  std::string outPath, outError;
  std::vector<std::string> withoutOut = rest;
  const bool hasOut = TakeOption(withoutOut, "--output", outPath, outError, "-o");
  if (hasOut && outPath == "-") {
    // The summary is on standard output already; each amplifier's file needs a name.
    ctx.err << "mirelune-cli " << command << ": -o - (standard output) takes the file of one amplifier, "
               "without --json\n";
    return kExitUsage;
  }

  std::vector<Job> jobs(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) {
    Job& j = jobs[i];
    j.target = targets[i];
    j.arguments << "--device" << QString::fromStdString(j.target.Label());
    for (const std::string& f : ctx.options.faultLists) j.arguments << "--faults" << QString::fromStdString(f);
    if (ctx.options.hasPassword) j.arguments << "--password" << QString::fromStdString(ctx.options.password);
    j.arguments << "--wait" << QString::number(ctx.options.waitMs / 1000);
    j.arguments << QString::fromStdString(command);
    const std::vector<std::string>& mine = hasOut ? withoutOut : rest;
    for (const std::string& a : mine) j.arguments << QString::fromStdString(a);
    if (hasOut) {
      j.output = targets.size() > 1 ? PerDevicePath(outPath, j.target.Label()) : outPath;
      j.arguments << "-o" << QString::fromStdString(j.output);
    }
  }

  // Faults of named amplifiers are for their own process only: each child picks its own from
  // the list (FaultsFor); an amplifier without virtual faults must not get any.
  size_t next = 0, running = 0, finished = 0;
  auto start = [&](Job& j) {
    j.process = std::make_unique<QProcess>();
    QStringList args = j.arguments;
    if (!j.target.isVirtual) {
      // --faults is for virtual amplifiers only.
      for (int k = 0; k + 1 < args.size();)
        if (args[k] == "--faults") args.remove(k, 2); else ++k;
    }
    j.clock.start();
    j.process->start(QString::fromStdString(self), args);
    ++running;
  };
  while (finished < jobs.size()) {
    while (running < kParallel && next < jobs.size()) start(jobs[next++]);
    for (Job& j : jobs) {
      if (!j.process || j.done) continue;
      if (j.process->state() != QProcess::NotRunning && !j.process->waitForFinished(20)) continue;
      j.done = true;
      --running;
      ++finished;
      j.seconds = j.clock.elapsed() / 1000.0;
      const QByteArray out = j.process->readAllStandardOutput();
      const QByteArray err = j.process->readAllStandardError();
      if (j.process->exitStatus() != QProcess::NormalExit || j.process->error() == QProcess::FailedToStart) {
        j.exit = kExitFailed;
        j.message = j.process->error() == QProcess::FailedToStart ? "could not start " + self
                                                                    : "the process for it crashed";
      } else {
        j.exit = j.process->exitCode();
        j.message = j.exit == 0 ? (j.output.empty() ? LastLine(out) : j.output) : LastLine(err);
        // The child's own prefix says nothing here: the line already names the command.
        const std::string prefix = "mirelune-cli " + command + ": ";
        if (j.message.rfind(prefix, 0) == 0) j.message = j.message.substr(prefix.size());
      }
    }
  }

  int failed = 0;
  for (const Job& j : jobs) failed += j.exit != 0;
  if (json) {
    QJsonArray list;
    for (const Job& j : jobs) {
      QJsonObject o;
      o["device"] = QString::fromStdString(j.target.Label());
      o["serial"] = j.target.isVirtual ? QJsonValue() : QJsonValue(QString::fromStdString(j.target.hid.serial));
      o["ok"] = j.exit == 0;
      o["exit"] = j.exit;
      o["seconds"] = j.seconds;
      o[j.exit == 0 ? "result" : "error"] = QString::fromStdString(j.message);
      if (!j.output.empty() && j.exit == 0) o["file"] = QString::fromStdString(j.output);
      list.append(o);
    }
    QJsonObject all{{"command", QString::fromStdString(command)}, {"devices", list},
                    {"ok", static_cast<int>(jobs.size()) - failed}, {"failed", failed}};
    ctx.out << QJsonDocument(all).toJson(QJsonDocument::Compact).toStdString() << "\n";
  } else {
    for (const Job& j : jobs) {
      char time[32];
      std::snprintf(time, sizeof time, "%.1f s", j.seconds);
      ctx.out << j.target.Label() << "\t" << (j.target.isVirtual || j.target.hid.serial.empty() ? "-" : j.target.hid.serial)
              << "\t" << (j.exit == 0 ? "ok" : "FAILED") << "\t" << time
              << (j.message.empty() ? "" : "\t" + j.message) << "\n";
    }
    ctx.out << command << ": " << jobs.size() - static_cast<size_t>(failed) << " of " << jobs.size()
            << " amplifiers done" << (failed ? ", " + std::to_string(failed) + " failed" : std::string()) << "\n";
  }
  return failed ? kExitFailed : kExitOk;
}

}  // namespace mirelune::cli
